// The saves that get killed. Builds two catalogs of different contents, then for each byte it
// reads on its standard input ('0' or '1': the content to save first) forks a saver that saves
// the user catalog through the catalog's own save, the two contents in turn, until it is
// killed ('a' or 'b': content 0 or 1 saved once, for timing). The helper writes the saver's process id on its standard output, waits for it and
// writes its wait status; it ends at the end of its input. Forking from one helper keeps the
// program's start-up (long under the sanitizers) out of the thousand rounds. A saver whose
// save fails prints what the user would have seen and exits with 2: an unkilled save must
// never fail.

#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "UserCatalogFolder.h"

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// Never outlives the process that started it, even one that is itself killed.
void DieWithParent()
{
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
}

[[noreturn]] void Save(CWexSezMaterialu& first, CWexSezMaterialu& second, bool once)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    for (;;) {
        if (once) {
            first.SetModified();
            ::_exit(first.SaveToFile() ? 0 : 2);
        }
        for (CWexSezMaterialu* catalog : {&first, &second}) {
            catalog->SetModified();
            if (!catalog->SaveToFile()) {
                for (const RecordedPrompt& prompt : services.Prompts())
                    std::fprintf(stderr, "%s\n%s\n", prompt.Text().c_str(), prompt.Content().c_str());
                ::_exit(2);
            }
        }
    }
}

bool WriteAll(const void* data, size_t size)
{
    return ::write(STDOUT_FILENO, data, size) == static_cast<ssize_t>(size);
}

} // namespace

int main()
{
    DieWithParent();
    CWexSezMaterialu contents[2];
    FillSavedCatalog(contents[0], 3, 0);
    FillSavedCatalog(contents[1], 3, 1);
    char command;
    while (::read(STDIN_FILENO, &command, 1) == 1) {
        const int start = command == '1' || command == 'b' ? 1 : 0;
        const pid_t saver = ::fork();
        if (saver < 0) return 3;
        if (saver == 0) {
            DieWithParent();
            Save(contents[start], contents[1 - start], command == 'a' || command == 'b');
        }
        int status = 0;
        if (!WriteAll(&saver, sizeof saver)) return 3;
        while (::waitpid(saver, &status, 0) < 0) {
        }
        if (!WriteAll(&status, sizeof status)) return 3;
    }
    return 0;
}
