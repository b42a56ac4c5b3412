// Saves the user catalog over and over, two different contents in turn, through the
// catalog's own save, until it is killed. Says "r" on its standard output when its
// catalogs are built and the first save starts. Exits 2 when a save fails (printing what
// the user would have seen): an unkilled save must never fail.

#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "UserCatalogFolder.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

int main()
{
    // Never outlives the test that kills it, even a test that is itself killed.
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CWexSezMaterialu first, second;
    FillSavedCatalog(first, 3, 0);
    FillSavedCatalog(second, 3, 1);
    if (::write(STDOUT_FILENO, "r", 1) != 1) return 3;
    while (std::chrono::steady_clock::now() < deadline) {
        for (CWexSezMaterialu* catalog : {&second, &first}) {
            catalog->SetModified();
            if (!catalog->SaveToFile()) {
                for (const RecordedPrompt& prompt : services.Prompts())
                    std::fprintf(stderr, "%s\n%s\n", prompt.Text().c_str(), prompt.Content().c_str());
                return 2;
            }
        }
    }
    return 4;
}
