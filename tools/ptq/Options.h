#pragma once
// The command line of ptq.

#include <optional>
#include <stdexcept>
#include <string>

enum class Command { Help, Version, Info, Export, Import, Check };

struct Options {
    Command command = Command::Help;
    std::string input;                 // FILE, or IN.json ("-" = standard input)
    std::optional<std::string> output; // -o
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
