// Velmora: the pipe-material catalog. The editing dialog is the program's only window.

#include "Application.h"
#include "QuitAfterStart.h"

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: velmora [--help | --version]\n"
    "\n"
    "Opens the catalog of pipe materials in its editing dialog (\"Materiály potrubí\").\n"
    "The catalog is Potrubi.ptq in the folder Velmora below the folder CommonDataPath;\n"
    "on the first start it is made from the standard catalog Potrubi_std.ptq in the\n"
    "folder Velmora below CommonInstallPath. Both folders are named in\n"
    "/etc/brevanti/registry.reg, else in ~/.config/brevanti/registry.reg. See velmora(1).\n"
    "\n"
    "  --help      show this text and exit\n"
    "  --version   show the version and exit\n";

bool AskedForHelp(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)) return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (AskedForHelp(argc, argv)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (AskedToQuitAfterStart(argc, argv)) {
        MessagesToStandardError services;
        return RunApplication(argc, argv, QuitAfterStartHooks(services));
    }
    return RunApplication(argc, argv);
}
