#pragma once
// The command line of ptq.

#include <optional>
#include <stdexcept>
#include <string>

enum class Command { Help, Version, Info, Export, Import, Check, Merge, Backups, Restore };

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
};

// Wrong usage; main reports it and exits with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws UsageError for anything it does not understand.
Options ParseOptions(int argc, const char* const* argv);

// The full --help text.
std::string HelpText();
