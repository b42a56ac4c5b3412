#pragma once
// The command line of ptq.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

enum class Command { Help, Version, Info, Export, Import, Check, Merge, UpdateCodes, Backups, Restore };

// The file forms of a catalog besides the catalog file itself.
enum class TableFormat { Json, Csv, Xlsx };

struct Options {
    Command command = Command::Help;
    std::string input;                 // FILE, or IN.json ("-" = standard input)
    std::optional<std::string> output; // -o
    std::string from;                  // merge: the catalog merged into `input`
    // merge: the button pressed on every overwrite question (--answer): 2 "Ano", 4 "Ne",
    // 16 "Ano všem", 32 "Ne všem".
    int overwriteButton = 2;
    // restore: the backup generation to put back, 1 (FILE.bak) to 5 (FILE.bak5).
    int generation = 1;

    // The options of the spreadsheet commands, parsed by ParseTableOption.
    std::optional<TableFormat> format; // export --format
    char delimiter = 0;                // --delimiter: ';', ',' or '\t'; 0 = recognise
    char decimal = 0;                  // --decimal: ',' or '.'; 0 = recognise
    int encoding = 0;                  // --encoding: 0 recognise, 1 UTF-8, 2 Windows-1250
    bool strict = false;               // check --strict: warnings fail the command
    bool dryRun = false;               // merge --dry-run: list the differences, write nothing
};

// Wrong usage; main reports it and exits with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Takes the option args[i] (and its value, advancing i) when it is one of the spreadsheet
// commands' options; false when it is not. Throws UsageError for a bad value.
bool ParseTableOption(Options& options, const std::vector<std::string_view>& args, std::size_t& i);

// The form of a file by its extension (.csv, .xlsx; anything else JSON).
TableFormat FormatOfFile(std::string_view name);

// Throws UsageError for anything it does not understand.
Options ParseOptions(int argc, const char* const* argv);

// The full --help text.
std::string HelpText();
