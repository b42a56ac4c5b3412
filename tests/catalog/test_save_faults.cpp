// Saving the user catalog while the system fails: every system call of a save failing in turn
// (the Nth call of its kind, once or from then on), on a file system with and without hard
// links and with and without a previous catalog, and the disk filling up (or a write coming
// back short) at every byte of the file. Whatever fails, the user's previous catalog stays
// byte for byte, nothing temporary is left in the folder, the edits stay in memory and the
// user is told; a save that reports success has the new catalog in place.

#include "CWexSezMaterialu.h"
#include "CatalogFileIO.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"
#include "UserCatalogFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <set>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace {

using catalog_io::SystemCalls;

enum class Call { Open, Read, Write, Fsync, Close, Flock, Fstat, Rename, Link, Unlink };

const char* NameOf(Call call)
{
    static const char* const names[] = {"open", "read", "write", "fsync", "close",
                                        "flock", "fstat", "rename", "link", "unlink"};
    return names[static_cast<int>(call)];
}

// What the failing call reports.
struct Fault {
    Call call;
    int error;
    int at = 1;              // the Nth call of that kind fails ...
    bool persistent = false; // ... and, when persistent, every later one too
};

// The disk's capacity for one save, counted in bytes written from its start.
struct DiskLimit {
    std::size_t bytes;
    bool full; // false: the write that reaches the limit comes back short, the rest go on
};

// The real system calls, with one fault and the file system's traits. fsync only pretends:
// these tests check what the file layer does with the answers, and thousands of real syncs
// would take minutes.
class FaultyCalls {
public:
    FaultyCalls(std::optional<Fault> fault, bool links, std::optional<DiskLimit> limit = {})
        : m_fault(fault), m_links(links), m_limit(limit), m_calls(catalog_io::RealSystemCalls())
    {
        m_calls.open = [this](const char* path, int flags, mode_t mode) {
            if (Fails(Call::Open)) return -1;
            const int fd = ::open(path, flags, mode);
            if (fd >= 0 && (flags & O_CREAT) && std::strstr(path, ".new.")) m_newFileCreated = true;
            return fd;
        };
        m_calls.read = [this](int fd, void* buffer, size_t size) -> ssize_t {
            return Fails(Call::Read) ? -1 : ::read(fd, buffer, size);
        };
        m_calls.write = [this](int fd, const void* data, size_t size) -> ssize_t {
            if (Fails(Call::Write)) return -1;
            m_written.insert(fd);
            if (m_limit && m_bytes + size > m_limit->bytes) {
                const std::size_t room = m_limit->bytes > m_bytes ? m_limit->bytes - m_bytes : 0;
                if (m_limit->full) {
                    // Up to the last free byte, then "no space left".
                    m_faultHit = true;
                    if (room == 0) {
                        errno = ENOSPC;
                        return -1;
                    }
                    size = room;
                } else {
                    // The one write that crosses the offset comes back short.
                    m_limit.reset();
                    if (room > 0) size = room;
                }
            }
            const ssize_t written = ::write(fd, data, size);
            if (written > 0) m_bytes += static_cast<std::size_t>(written);
            return written;
        };
        m_calls.fsync = [this](int) { return Fails(Call::Fsync) ? -1 : 0; };
        m_calls.close = [this](int fd) {
            ::close(fd);
            const bool written = m_written.erase(fd) > 0;
            if (!Fails(Call::Close)) return 0;
            if (written) m_failedCloseOfWrittenFile = true;
            return -1;
        };
        m_calls.flock = [this](int fd, int operation) { return Fails(Call::Flock) ? -1 : ::flock(fd, operation); };
        m_calls.fstat = [this](int fd, struct stat* info) { return Fails(Call::Fstat) ? -1 : ::fstat(fd, info); };
        m_calls.rename = [this](const char* from, const char* to) {
            return Fails(Call::Rename) ? -1 : ::rename(from, to);
        };
        m_calls.link = [this](const char* existing, const char* name) {
            if (Fails(Call::Link)) return -1;
            if (m_links) return ::link(existing, name);
            errno = EPERM;
            return -1;
        };
        m_calls.unlink = [this](const char* path) { return Fails(Call::Unlink) ? -1 : ::unlink(path); };
        m_scope.emplace(m_calls);
    }
    FaultyCalls(const FaultyCalls&) = delete;
    FaultyCalls& operator=(const FaultyCalls&) = delete;

    // The fault struck (a save that never got that far did all it had to).
    bool FaultHit() const { return m_faultHit; }
    // It struck (last) while the new file was being opened, before anything was written. The
    // last strike decides: a save that merges first reads the file and lets it go before it
    // writes, so an early strike there (a close) may not be what failed the save.
    bool HitWhileOpening() const { return m_hitWhileOpening; }
    bool FailedCloseOfWrittenFile() const { return m_failedCloseOfWrittenFile; }

private:
    bool Fails(Call call)
    {
        if (!m_fault || m_fault->call != call) return false;
        const int n = ++m_count;
        if (n != m_fault->at && !(m_fault->persistent && n > m_fault->at)) return false;
        m_hitWhileOpening = !m_newFileCreated;
        m_faultHit = true;
        errno = m_fault->error;
        return true;
    }

    std::optional<Fault> m_fault;
    bool m_links;
    std::optional<DiskLimit> m_limit;
    SystemCalls m_calls;
    std::optional<catalog_io::ScopedSystemCalls> m_scope;
    int m_count = 0;
    std::size_t m_bytes = 0;
    std::set<int> m_written;
    bool m_faultHit = false;
    bool m_hitWhileOpening = false;
    bool m_newFileCreated = false;
    bool m_failedCloseOfWrittenFile = false;
};

// The folder as a save under test finds it.
struct Setting {
    const char* name;
    bool links;    // the file system makes hard links (else the backup is a copy)
    bool previous; // a user catalog (and an older backup) is there already
    // The catalog read the file in another state (another program saved since): the save
    // reads the file and merges before it writes. Nothing to take or ask: only the path.
    bool changedSinceRead = false;
};

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        FillSavedCatalog(catalog, 10); // two buffers' worth: several writes
        edited = WriteCatalog(catalog);
        FillSavedCatalog(previousCatalog, 2, 1);
        previous = WriteCatalog(previousCatalog);
        // As read: the previous catalog with one more material, which the other program
        // deleted and the edits never had.
        CWexSezMaterialu read;
        read.Assign(previousCatalog);
        read.Insert(std::make_unique<CWexMaterial>(&read, u"Zz", MaterialFilter{3, 31}));
        asRead = std::make_shared<const Bytes>(WriteCatalog(read));
    }

    // Puts the folder in its state before the save.
    void Prepare(const Setting& setting, bool saved)
    {
        for (const std::string& name : folder.Files()) std::filesystem::remove(folder.userFile.parent_path() / name);
        if (setting.previous) {
            WriteBytes(folder.userFile, previous);
            WriteBytes(folder.backupFile, oldBackup);
        }
        catalog.m_bSaved = saved;
        // The folder is set anew behind the catalog's back: it read none of it (else its
        // save would merge the "other program's" file, which is not what is tried here).
        catalog.m_userFile = {};
        if (setting.changedSinceRead) catalog.m_userFile = {UserFileBase::State::Whole, asRead};
        services.ClearPrompts();
    }

    // Checks the folder, the catalog and the prompts after a save that ran into a fault;
    // `label` names the fault in the failure messages.
    void ExpectSound(const Setting& setting, bool saved, bool result, const FaultyCalls& calls, const std::string& label)
    {
        SCOPED_TRACE(label);
        ++pointsTried;
        EXPECT_EQ(WriteCatalog(catalog), edited) << "the edits are still in memory";
        // A save that keeps its backup shifts the older one to the second generation.
        const std::set<std::string> expectedFiles =
            setting.previous ? std::set<std::string>{"Potrubi.ptq", "Potrubi.ptq.bak", "Potrubi.ptq.bak2"}
            : result         ? std::set<std::string>{"Potrubi.ptq"}
                             : std::set<std::string>{};
        if (result) {
            // Success despite the fault: the layer got round it (a copy for a link, a file
            // system without locks), and the new catalog is in place.
            ++pointsGotRound;
            EXPECT_TRUE(catalog.m_bSaved);
            EXPECT_TRUE(services.Prompts().empty());
            EXPECT_EQ(ReadBytes(folder.userFile), edited);
            if (setting.previous) {
                EXPECT_EQ(ReadBytes(folder.backupFile), previous);
                EXPECT_EQ(ReadBytes(catalog_io::BackupGeneration(folder.backupFile, 2)), oldBackup);
            }
            EXPECT_EQ(folder.Files(), expectedFiles);
            return;
        }
        EXPECT_EQ(catalog.m_bSaved, saved);
        if (setting.previous) {
            EXPECT_EQ(ReadBytes(folder.userFile), previous) << "the previous catalog stays byte for byte";
            // The old backup stays, in its place or shifted to the second generation once the
            // previous catalog took its place.
            const std::filesystem::path second = catalog_io::BackupGeneration(folder.backupFile, 2);
            if (std::filesystem::exists(folder.backupFile)) {
                const Bytes backup = ReadBytes(folder.backupFile);
                EXPECT_TRUE(backup == oldBackup || backup == previous);
            }
            if (std::filesystem::exists(second)) EXPECT_EQ(ReadBytes(second), oldBackup);
            EXPECT_TRUE(std::filesystem::exists(folder.backupFile) || std::filesystem::exists(second))
                << "the old backup is never lost";
            const std::set<std::string> files = folder.Files();
            const std::set<std::string> shiftedOnly{"Potrubi.ptq", "Potrubi.ptq.bak2"};
            const std::set<std::string> unshifted{"Potrubi.ptq", "Potrubi.ptq.bak"};
            EXPECT_TRUE(files == expectedFiles || files == shiftedOnly || files == unshifted)
                << "nothing temporary is left";
        } else {
            EXPECT_FALSE(std::filesystem::exists(folder.userFile));
            EXPECT_EQ(folder.Files(), expectedFiles) << "nothing temporary is left";
        }
        ASSERT_EQ(services.Prompts().size(), 1u);
        const RecordedPrompt& prompt = services.Prompts()[0];
        if (calls.HitWhileOpening()) {
            EXPECT_EQ(prompt.kind, RecordedPrompt::Kind::TaskDialog);
            EXPECT_EQ(prompt.Text(), "Nelze otevřít soubor:\n" + folder.userFile.string());
            EXPECT_EQ(prompt.Content(), "Nelze uložit provedené změny");
        } else {
            EXPECT_EQ(prompt.kind, RecordedPrompt::Kind::Message);
            EXPECT_EQ(prompt.Text(), "Chyba při zápisu do souboru");
            EXPECT_EQ(prompt.Title(), "Neočekávaná výjimka");
            EXPECT_EQ(prompt.icon, MessageIcon::Error);
        }
    }

    UserCatalogFolder folder{true};
    // An injected "would block" is another process's lock that never goes: not waited for.
    catalog_io::ScopedLockWait noWait{std::chrono::milliseconds(0)};
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
    CWexSezMaterialu previousCatalog;
    Bytes edited, previous;
    std::shared_ptr<const Bytes> asRead;
    const Bytes oldBackup{0x03, 0xFF};
    static inline int pointsTried = 0;
    static inline int pointsGotRound = 0;
};

const Setting kSettings[] = {
    {"links, previous catalog", true, true},
    {"no links, previous catalog", false, true},
    {"first save", true, false},
    {"links, previous catalog changed since it was read", true, true, true},
};

TEST_F(SaveFaults, EveryCallOfASaveFailingInTurn)
{
    // The errors each call may realistically answer; flock's "would block" is another
    // process's lock, its ENOLCK a file system without locks.
    const std::pair<Call, int> faults[] = {
        {Call::Open, EACCES},  {Call::Open, EMFILE},   {Call::Read, EIO},     {Call::Write, EIO},
        {Call::Write, ENOSPC}, {Call::Write, EDQUOT},  {Call::Fsync, EIO},    {Call::Fsync, ENOSPC},
        {Call::Close, EIO},    {Call::Flock, EWOULDBLOCK}, {Call::Flock, ENOLCK}, {Call::Fstat, EIO},
        {Call::Rename, EIO},   {Call::Rename, EACCES}, {Call::Link, EIO},     {Call::Link, EMLINK},
        {Call::Unlink, EIO},
    };
    int points = 0;
    for (const Setting& setting : kSettings) {
        for (const auto& [call, error] : faults) {
            for (bool persistent : {false, true}) {
                for (int at = 1;; ++at) {
                    const bool saved = at % 2 == 0; // saving an unchanged catalog keeps it saved
                    Prepare(setting, saved);
                    bool result;
                    const std::string label = std::string(setting.name) + ": " + NameOf(call) + " " +
                                              std::strerror(error) + " at call " + std::to_string(at) +
                                              (persistent ? " and after" : " once");
                    {
                        FaultyCalls calls(Fault{call, error, at, persistent}, setting.links);
                        result = catalog.SaveToFile();
                        if (!calls.FaultHit()) {
                            // The save was over before the Nth call: every point is tried.
                            ASSERT_TRUE(result) << label;
                            break;
                        }
                        ++points;
                        ExpectSound(setting, saved, result, calls, label);
                        if (call == Call::Fsync || call == Call::Write || call == Call::Rename) {
                            EXPECT_FALSE(result) << label << ": a failed " << NameOf(call) << " fails the save";
                        }
                        if (calls.FailedCloseOfWrittenFile()) {
                            EXPECT_FALSE(result) << label << ": a failed close of a written file fails the save";
                        }
                    }
                    if (::testing::Test::HasFailure()) return;
                    ASSERT_LT(at, 200) << label;
                }
            }
        }
    }
    // After all of it, a save with nothing failing goes through.
    Prepare(kSettings[0], false);
    EXPECT_TRUE(catalog.SaveToFile());
    EXPECT_EQ(ReadBytes(folder.userFile), edited);
    std::printf("[ fault points ] %d system-call fault points tried in saves\n", points);
    EXPECT_GT(points, 100);
}

TEST_F(SaveFaults, DiskFullOrShortWriteAtEveryByte)
{
    int points = 0;
    for (const Setting& setting : {kSettings[0], kSettings[1]}) {
        // Without links the backup is a copy: the disk fills while either file is written.
        const std::size_t written = edited.size() + (setting.links ? 0 : previous.size());
        for (std::size_t offset = 0; offset <= written; ++offset) {
            // A short write is the same on either file: tried on the new one.
            for (bool full : {true, false}) {
                if (!full && !setting.links) continue;
                const bool saved = offset % 2 == 0;
                Prepare(setting, saved);
                const std::string label = std::string(setting.name) + (full ? ": disk full" : ": short write") +
                                          " at byte " + std::to_string(offset);
                bool result;
                {
                    FaultyCalls calls(std::nullopt, setting.links, DiskLimit{offset, full});
                    result = catalog.SaveToFile();
                    ++points;
                    ExpectSound(setting, saved, result, calls, label);
                    // A short write is finished by the next one; a full disk fails the save.
                    EXPECT_EQ(result, !full || offset == written) << label;
                }
                if (::testing::Test::HasFailure()) return;
            }
        }
    }
    std::printf("[ fault points ] %d disk-full and short-write points tried in saves (catalog %zu bytes)\n",
                points, edited.size());
}

} // namespace
