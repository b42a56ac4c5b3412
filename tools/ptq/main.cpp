// ptq: inspect, check, export and build catalog files from the command line.

#include "Commands.h"
#include "ConsoleWindowServices.h"
#include "Options.h"

#include <cstdio>
#include <exception>
#include <new>

int main(int argc, char** argv)
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
        }
    } catch (const std::bad_alloc&) {
        std::fputs("ptq: out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ptq: %s\n", e.what());
    }
    return 1;
}
