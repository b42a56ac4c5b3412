// ptq: inspect, check, export and build catalog files from the command line.

#include "Commands.h"
#include "ConsoleWindowServices.h"
#include "Options.h"

#include <cstdio>
#include <exception>
#include <new>

#ifdef _WIN32
#include "TextConvert.h"

#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>
#include <windows.h>
#endif

namespace {

int Run(int argc, char** argv)
{
    ConsoleWindowServices services;
    ScopedWindowServices scope(services);

    Options options;
    try {
        options = ParseOptions(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "ptq: %s\nTry 'ptq --help' for more information.\n", e.what());
        return 2;
    }

    try {
        switch (options.command) {
        case Command::Help:
            std::fputs(HelpText().c_str(), stdout);
            return 0;
        case Command::Version:
            std::printf("ptq (Velmora) %s\n", PTQ_VERSION);
            return 0;
        case Command::Info:
            return RunInfo(options);
        case Command::Export:
            return RunExport(options);
        case Command::Import:
            return RunImport(options);
        case Command::Check:
            return RunCheck(options, services);
        case Command::Merge:
            return RunMerge(options, services);
        case Command::Backups:
            return RunBackups(options);
        case Command::Restore:
            return RunRestore(options);
        case Command::UpdateCodes:
            return RunUpdateCodes(options);
        }
    } catch (const std::bad_alloc&) {
        std::fputs("ptq: out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ptq: %s\n", e.what());
    }
    return 1;
}

} // namespace

#ifdef _WIN32
// Windows hands the arguments over as UTF-16; ptq works in UTF-8 everywhere. The standard
// streams carry the same bytes as on other systems: no CR before every LF, no end of input
// at a Ctrl-Z. A console shows the UTF-8 texts as they are.
int wmain(int argc, wchar_t** argv)
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);

    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        const wchar_t* arg = argv[i];
        arguments.push_back(Utf16ToUtf8(std::u16string(arg, arg + wcslen(arg))));
    }
    std::vector<char*> pointers;
    for (std::string& arg : arguments) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    return Run(argc, pointers.data());
}
#else
int main(int argc, char** argv)
{
    return Run(argc, argv);
}
#endif
