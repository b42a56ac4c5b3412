// The options of the spreadsheet commands (export --format; import and update-codes
// --delimiter, --decimal, --encoding), check --strict and merge --dry-run.

#include "Options.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace {

struct Choice {
    std::string_view name;
    int value;
};

bool TakesOption(Command command, std::initializer_list<Command> commands)
{
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

// "--name VALUE" or "--name=VALUE"; nullopt when args[i] is not --name.
std::optional<std::string_view> Value(std::string_view name, const std::vector<std::string_view>& args, std::size_t& i)
{
    std::string_view arg = args[i];
    if (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=') return arg.substr(name.size() + 1);
    if (arg != name) return std::nullopt;
    if (i + 1 >= args.size()) throw UsageError(std::string(name) + " needs a value");
    return args[++i];
}

int Choose(std::string_view option, std::string_view value, std::initializer_list<Choice> choices)
{
    std::string names;
    for (const Choice& choice : choices) {
        if (value == choice.name) return choice.value;
        names += (names.empty() ? "" : ", ") + std::string(choice.name);
    }
    throw UsageError(std::string(option) + " takes " + names + ", not '" + std::string(value) + "'");
}

} // namespace

TableFormat FormatOfFile(std::string_view name)
{
    auto ends = [&](std::string_view suffix) {
        if (name.size() < suffix.size()) return false;
        return std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                          [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    };
    if (ends(".csv")) return TableFormat::Csv;
    if (ends(".xlsx")) return TableFormat::Xlsx;
    return TableFormat::Json;
}

bool ParseTableOption(Options& options, const std::vector<std::string_view>& args, std::size_t& i)
{
    const std::string command = std::string(args.front());
    auto refuse = [&](std::string_view option) { throw UsageError(command + " takes no " + std::string(option)); };
    const auto reading = {Command::Import, Command::UpdateCodes, Command::Check};

    if (args[i] == "--strict") {
        if (options.command != Command::Check) refuse("--strict");
        options.strict = true;
        return true;
    }
    if (args[i] == "--dry-run") {
        if (options.command != Command::Merge) refuse("--dry-run");
        options.dryRun = true;
        return true;
    }
    if (auto value = Value("--format", args, i)) {
        if (options.command != Command::Export) refuse("--format");
        options.format = static_cast<TableFormat>(Choose(
            "--format", *value,
            {{"json", int(TableFormat::Json)}, {"csv", int(TableFormat::Csv)}, {"xlsx", int(TableFormat::Xlsx)}}));
        return true;
    }
    if (auto value = Value("--delimiter", args, i)) {
        if (!TakesOption(options.command, reading)) refuse("--delimiter");
        options.delimiter = static_cast<char>(Choose("--delimiter", *value, {{";", ';'}, {",", ','}, {"tab", '\t'}}));
        return true;
    }
    if (auto value = Value("--decimal", args, i)) {
        if (!TakesOption(options.command, reading)) refuse("--decimal");
        options.decimal = static_cast<char>(Choose("--decimal", *value, {{",", ','}, {".", '.'}}));
        return true;
    }
    if (auto value = Value("--encoding", args, i)) {
        if (!TakesOption(options.command, reading)) refuse("--encoding");
        options.encoding = Choose("--encoding", *value,
                                  {{"utf-8", 1}, {"windows-1250", 2}, {"cp1250", 2}});
        return true;
    }
    return false;
}
