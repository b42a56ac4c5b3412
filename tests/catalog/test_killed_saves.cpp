// Saves killed at random moments: a process of the helper saves the user catalog in a loop, two
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
#include <vector>
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

// The helper, with its standard input and output on pipes: each round it forks a saver.
class Helper {
public:
    Helper()
    {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1]}) posix_spawn_file_actions_addclose(&actions, fd);
        char* argv[] = {const_cast<char*>(KILLED_SAVE_HELPER), nullptr};
        if (posix_spawn(&m_pid, KILLED_SAVE_HELPER, &actions, nullptr, argv, environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_commands = in[1];
        m_answers = out[0];
    }
    ~Helper()
    {
        ::close(m_commands); // the helper ends at the end of its input
        ::close(m_answers);
        if (m_pid > 0) {
            int status;
            while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {}
        }
    }

    // Starts a saver that saves content `first` first (`once`: only that, and ends); its
    // process id, or -1.
    pid_t StartSaver(int first, bool once = false)
    {
        const char command = once ? (first ? 'b' : 'a') : (first ? '1' : '0');
        pid_t saver = -1;
        if (m_pid <= 0 || ::write(m_commands, &command, 1) != 1 || !Read(&saver, sizeof saver)) return -1;
        return saver;
    }
    // Kills the saver; true when the kill ended it (it did not end by itself first).
    bool Kill(pid_t saver)
    {
        ::kill(saver, SIGKILL);
        int status = 0;
        return Read(&status, sizeof status) && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    // Waits for a saver started `once`; true when its save succeeded.
    bool Finished()
    {
        int status = 0;
        return Read(&status, sizeof status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    bool Read(void* data, size_t size)
    {
        auto* bytes = static_cast<char*>(data);
        while (size > 0) {
            const ssize_t got = ::read(m_answers, bytes, size);
            if (got <= 0) return false;
            bytes += got;
            size -= static_cast<size_t>(got);
        }
        return true;
    }

    pid_t m_pid = -1;
    int m_commands = -1;
    int m_answers = -1;
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

    // The user catalog before the first kill.
    ASSERT_TRUE(first.SaveToFile());
    second.SetModified();
    ASSERT_TRUE(second.SaveToFile());
    Bytes before = contents[1];
    Helper helper;

    // How long a saver takes for its first save here (the median of a few).
    std::vector<double> times;
    for (int i = 0; i < 11; ++i) {
        const auto started = Clock::now();
        ASSERT_GT(helper.StartSaver(i % 2, true), 0);
        ASSERT_TRUE(helper.Finished());
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - started).count());
    }
    std::sort(times.begin(), times.end());
    before = ReadBytes(folder.userFile);

    const int kills = std::max(1000, Setting("VELMORA_KILLS", 1000));
    const unsigned seed = static_cast<unsigned>(Setting("VELMORA_KILL_SEED", static_cast<int>(std::random_device{}())));
    std::mt19937 random(seed);
    // Each saver first saves the content the file does not hold; the kills land anywhere in
    // that save and the first half of the next.
    const double span = std::max(times[5] * 1.5, 100.0);
    std::uniform_int_distribution<long long> delay(0, static_cast<long long>(span));
    SCOPED_TRACE("VELMORA_KILL_SEED=" + std::to_string(seed));

    int survived = 0, leftStrays = 0, asFirst = 0, changed = 0;
    std::size_t mostStrays = 0;
    const auto started = Clock::now();
    for (int i = 0; i < kills; ++i) {
        const pid_t saver = helper.StartSaver(before == contents[0] ? 1 : 0);
        ASSERT_GT(saver, 0) << "kill " << i;
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ASSERT_TRUE(helper.Kill(saver)) << "kill " << i << ": the saver ended by itself (a failed save)";
        const Bytes bytes = ReadBytes(folder.userFile);
        ASSERT_TRUE(bytes == contents[0] || bytes == contents[1]) << "kill " << i << ": " << bytes.size() << " bytes";
        asFirst += bytes == contents[0];
        changed += bytes != before;
        before = bytes;
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

    // The killed saves' leftovers never pile up: each save clears those of the ones before,
    // so at most the new file and the backup link of the last killed save are there.
    EXPECT_LE(mostStrays, 2u);
    services.ClearPrompts();
    // The savers changed the file since `first` wrote it: saved as by a program that never
    // read it, it replaces the file instead of merging the savers' work.
    first.m_userFile = {};
    for (int i = 0; i < 2; ++i) {
        first.SetModified();
        ASSERT_TRUE(first.SaveToFile());
    }
    // Only the catalog and its backups: each backup one of the two contents, whole.
    for (const std::string& name : folder.Files()) {
        EXPECT_TRUE(name == "Potrubi.ptq" || name.starts_with("Potrubi.ptq.bak")) << name;
        if (name == "Potrubi.ptq") continue;
        const Bytes backup = ReadBytes(folder.userFile.parent_path() / name);
        EXPECT_TRUE(backup == contents[0] || backup == contents[1]) << name;
    }
    EXPECT_TRUE(std::filesystem::exists(folder.backupFile));
    EXPECT_TRUE(services.Prompts().empty());

    std::printf("[ killed saves ] %d kills survived in %.1f s (seed %u, save %.2f ms, kill within %.2f ms): "
                "%d left the first content, %d the second, %d a changed file; %d left temporary files (at most %zu at once)\n",
                survived, seconds, seed, times[5] / 1000.0,
                span / 1000.0, asFirst, survived - asFirst, changed, leftStrays, mostStrays);
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

    // The backup link is another name of the very file the save holds locked, so only a killed
    // save can have left it: it goes with the new file, while the target keeps its content.
    const Bytes content = ReadBytes(folder.userFile);
    catalog.SetModified();
    ASSERT_TRUE(catalog.SaveToFile());
    EXPECT_EQ(folder.Files(), (std::set<std::string>{".Potrubi.ptq.new.4343.0.tmp", ".Potrubi.ptq.other.tmp",
                                                     "Potrubi.ptq", "Potrubi.ptq.bak"}));
    EXPECT_EQ(ReadBytes(folder.backupFile), content);
    ::close(held);
    catalog.SetModified();
    ASSERT_TRUE(catalog.SaveToFile());
    EXPECT_EQ(folder.Files(), (std::set<std::string>{".Potrubi.ptq.other.tmp", "Potrubi.ptq", "Potrubi.ptq.bak",
                                                     "Potrubi.ptq.bak2"}));
    EXPECT_TRUE(services.Prompts().empty());
}

} // namespace
