// Saves killed at random moments: a helper process saves the user catalog in a loop, two
// contents in turn, and is killed with SIGKILL after a random delay, a thousand times over.
// After every kill the user catalog loads without a word and is byte for byte one of the two
// contents; the temporary files of killed saves never pile up, and the next save clears them.
// VELMORA_KILLS sets the number of kills (at least 1000), VELMORA_KILL_SEED the random seed.

#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"
#include "UserCatalogFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int Setting(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

// The helper, running with its standard output on a pipe.
class Helper {
public:
    Helper()
    {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        char* argv[] = {const_cast<char*>(KILLED_SAVE_HELPER), nullptr};
        if (posix_spawn(&m_pid, KILLED_SAVE_HELPER, &actions, nullptr, argv, environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        m_output = fds[0];
    }
    ~Helper()
    {
        if (m_pid > 0) Kill();
        if (m_output >= 0) ::close(m_output);
    }

    // Waits for the helper's "r": its catalogs are built, the saves begin.
    bool Started()
    {
        char c = 0;
        return m_pid > 0 && ::read(m_output, &c, 1) == 1 && c == 'r';
    }
    // Kills it and waits for it; true when it was still running (the kill killed it).
    bool Kill()
    {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {}
        m_pid = -1;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    pid_t m_pid = -1;
    int m_output = -1;
};

std::size_t TemporaryFiles(const UserCatalogFolder& folder)
{
    std::size_t count = 0;
    for (const std::string& name : folder.Files()) count += name.ends_with(".tmp");
    return count;
}

TEST(KilledSaves, UserCatalogIsAlwaysTheOldOrTheNewFile)
{
    // In memory where possible: a kill does not care for the disk, and waiting for it would
    // only make the thousand kills slow.
    UserCatalogFolder folder{true};
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CWexSezMaterialu first, second;
    FillSavedCatalog(first, 3, 0);
    FillSavedCatalog(second, 3, 1);
    const Bytes contents[2] = {WriteCatalog(first), WriteCatalog(second)};
    ASSERT_NE(contents[0], contents[1]);

    // The user catalog before the first kill, and how long a save takes here.
    auto started = Clock::now();
    ASSERT_TRUE(first.SaveToFile());
    second.SetModified();
    ASSERT_TRUE(second.SaveToFile());
    const auto saveTime = std::max<Clock::duration>((Clock::now() - started) / 2, std::chrono::microseconds(200));

    const int kills = std::max(1000, Setting("VELMORA_KILLS", 1000));
    const unsigned seed = static_cast<unsigned>(Setting("VELMORA_KILL_SEED", static_cast<int>(std::random_device{}())));
    std::mt19937 random(seed);
    // Kills land anywhere in the first two saves after the helper's start: one of each way.
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(saveTime * 2).count();
    std::uniform_int_distribution<long long> delay(0, span);
    SCOPED_TRACE("VELMORA_KILL_SEED=" + std::to_string(seed));

    int survived = 0, leftStrays = 0, asFirst = 0;
    std::size_t mostStrays = 0;
    started = Clock::now();
    for (int i = 0; i < kills; ++i) {
        {
            Helper helper;
            ASSERT_TRUE(helper.Started()) << "kill " << i;
            std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
            ASSERT_TRUE(helper.Kill()) << "kill " << i << ": the helper ended by itself (a failed save)";
        }
        const Bytes bytes = ReadBytes(folder.userFile);
        ASSERT_TRUE(bytes == contents[0] || bytes == contents[1]) << "kill " << i << ": " << bytes.size() << " bytes";
        asFirst += bytes == contents[0];
        CWexSezMaterialu loaded;
        ASSERT_TRUE(loaded.LoadFromFile(false)) << "kill " << i;
        ASSERT_TRUE(services.Prompts().empty()) << "kill " << i << ": " << services.Prompts()[0].Text();
        ASSERT_EQ(WriteCatalog(loaded), bytes) << "kill " << i;
        const std::size_t strays = TemporaryFiles(folder);
        leftStrays += strays > 0;
        mostStrays = std::max(mostStrays, strays);
        ++survived;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();

    // The killed saves' leftovers never pile up: each save clears those of the ones before
    // (a backup link of the file it replaces at the save after).
    EXPECT_LE(mostStrays, 2u);
    services.ClearPrompts();
    for (int i = 0; i < 2; ++i) {
        first.SetModified();
        ASSERT_TRUE(first.SaveToFile());
    }
    EXPECT_EQ(folder.Files(), (std::set<std::string>{"Potrubi.ptq", "Potrubi.ptq.bak"}));
    const Bytes backup = ReadBytes(folder.backupFile);
    EXPECT_TRUE(backup == contents[0] || backup == contents[1]);
    EXPECT_TRUE(services.Prompts().empty());

    std::printf("[ killed saves ] %d kills survived in %.1f s (seed %u, save %.2f ms, kill within %.2f ms): "
                "%d left the first content, %d the second; %d left temporary files (at most %zu at once)\n",
                survived, seconds, seed, std::chrono::duration<double, std::milli>(saveTime).count(),
                static_cast<double>(span) / 1000.0, asFirst, survived - asFirst, leftStrays, mostStrays);
}

TEST(KilledSaves, NextSaveRemovesOnlyTheLeftoversNobodyHolds)
{
    UserCatalogFolder folder;
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CWexSezMaterialu catalog;
    FillSavedCatalog(catalog, 1);
    ASSERT_TRUE(catalog.SaveToFile());
    const std::filesystem::path dir = folder.userFile.parent_path();
    // Left by killed saves: a new file and a backup link.
    WriteBytes(dir / ".Potrubi.ptq.new.4242.0.tmp", {1, 2, 3});
    std::filesystem::create_hard_link(folder.userFile, dir / ".Potrubi.ptq.bak.bak.4242.1.tmp");
    // Held by a save still running, and a file of someone else.
    WriteBytes(dir / ".Potrubi.ptq.new.4343.0.tmp", {4});
    const int held = ::open((dir / ".Potrubi.ptq.new.4343.0.tmp").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    WriteBytes(dir / ".Potrubi.ptq.other.tmp", {5});

    catalog.SetModified();
    ASSERT_TRUE(catalog.SaveToFile());
    // The backup link shared the replaced file's lock during that save: the next one takes it.
    EXPECT_EQ(folder.Files(), (std::set<std::string>{".Potrubi.ptq.bak.bak.4242.1.tmp", ".Potrubi.ptq.new.4343.0.tmp",
                                                     ".Potrubi.ptq.other.tmp", "Potrubi.ptq", "Potrubi.ptq.bak"}));
    catalog.SetModified();
    ASSERT_TRUE(catalog.SaveToFile());
    EXPECT_EQ(folder.Files(), (std::set<std::string>{".Potrubi.ptq.new.4343.0.tmp", ".Potrubi.ptq.other.tmp",
                                                     "Potrubi.ptq", "Potrubi.ptq.bak"}));
    ::close(held);
    catalog.SetModified();
    ASSERT_TRUE(catalog.SaveToFile());
    EXPECT_EQ(folder.Files(), (std::set<std::string>{".Potrubi.ptq.other.tmp", "Potrubi.ptq", "Potrubi.ptq.bak"}));
    EXPECT_TRUE(services.Prompts().empty());
}

} // namespace
