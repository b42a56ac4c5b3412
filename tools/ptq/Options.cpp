#include "Options.h"

#include <string_view>
#include <vector>

namespace {

struct CommandName {
    std::string_view name;
    Command command;
};

constexpr CommandName kCommands[] = {
    {"info", Command::Info}, {"export", Command::Export}, {"import", Command::Import}, {"check", Command::Check},
};

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

} // namespace

Options ParseOptions(int argc, const char* const* argv)
{
    std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty()) throw UsageError("no command given");

    Options options;
    std::string_view first = args.front();
    if (IsHelp(first) || first == "help") return options;
    if (first == "--version") {
        if (args.size() > 1) throw UsageError("--version takes no arguments");
        options.command = Command::Version;
        return options;
    }
    bool known = false;
    for (const auto& [name, command] : kCommands) {
        if (first == name) {
            options.command = command;
            known = true;
        }
    }
    if (!known) throw UsageError("unknown command '" + std::string(first) + "'");

    std::vector<std::string_view> files;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg.front() != '-') {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (IsHelp(arg)) {
            options.command = Command::Help;
            return options;
        } else if (arg == "-o" || arg == "--output" || arg.starts_with("--output=")) {
            if (options.output) throw UsageError("-o given twice");
            std::string_view value;
            if (arg.starts_with("--output=")) {
                value = arg.substr(9);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw UsageError(std::string(arg) + " needs a file name");
            }
            if (value.empty()) throw UsageError(std::string(arg) + " needs a file name");
            options.output = std::string(value);
        } else {
            throw UsageError("unknown option '" + std::string(arg) + "'");
        }
    }

    std::string name(first);
    if (files.empty()) throw UsageError(name + " needs a file");
    if (files.size() > 1) throw UsageError(name + " takes one file, not " + std::to_string(files.size()));
    options.input = std::string(files.front());
    bool takesOutput = options.command == Command::Export || options.command == Command::Import;
    if (options.output && !takesOutput) throw UsageError(name + " takes no -o");
    if (options.command == Command::Import && !options.output) throw UsageError("import needs -o FILE");
    if (options.input == "-" && options.command != Command::Import)
        throw UsageError(name + " reads a catalog file, not standard input");
    return options;
}

std::string HelpText()
{
    return R"(Usage: ptq COMMAND FILE [-o OUT]
Inspect, check, export and build Velmora pipe-material catalog files (*.ptq).

Commands:
  info FILE              print the catalog version, the number of materials and the
                         number of profiles
  export FILE [-o OUT]   write the catalog as JSON to OUT (standard output without -o)
  import IN.json -o FILE write a catalog file of the current versions from JSON
                         (IN.json "-" reads standard input); nothing is written when
                         the JSON is not valid
  check FILE             read the file with the program's own reader and report every
                         correction it makes and every failure it meets

Options:
  -o, --output FILE      the file to write
  -h, --help             show this help and exit
      --version          show the version and exit

JSON layout (export writes it, import reads it):
  {"version": 3, "materials": [{
     "name", "drawingName", "detail", "manufacturer", "roughness", "group",
     "purposes", "pnIndex", "sdrIndex", "shape", "descMode", "prefix", "suffix",
     "innerDiameterLabel", "profiles": [{"dn", "innerDiameter", "wall", "od",
     "width", "ursMaterial", "ursAssembly", "label", "shortLabel"}]}]}
  Export lists materials in file order and profiles in DN order; "version" is the
  catalog version of the file read. Numbers of millimetres are 32-bit floats, written
  as the shortest text that reads back to the same value.
  Import: "name" (1 to 20 characters, unique) and each profile's "dn" are required;
  every other field may be left out and takes the value of a new material or size.
  "od", "label" and "shortLabel" are derived and ignored, as is "version".
  Ranges: drawingName up to 20 characters, manufacturer up to 25, prefix and suffix up
  to 4, roughness >= 0, group 1-3, purposes 1-31, pnIndex -1..6, sdrIndex -1..7
  (-1 = not chosen), shape 0-4, descMode 0-2, innerDiameterLabel true/false;
  dn 0-27 (once per material), innerDiameter > 0, wall >= 0, width >= 0,
  ursMaterial and ursAssembly up to 10 characters. Unknown fields are errors.

Messages the program shows go to standard error as "TITLE: TEXT"; questions take
their default answer.

Exit status: 0 success (check: the whole file was read, corrections included),
1 a file could not be read or written, or the JSON is not valid; 2 wrong usage.
)";
}
