// The file layer on POSIX systems. Locks are flock() locks: advisory, held by the open file,
// released when it is closed. On NFS the kernel carries them to the server as whole-file
// byte-range locks, and on SMB mounts (Linux 5.5 and later) as SMB byte-range locks, so they
// hold between the machines that share a catalog folder.

#ifndef _WIN32

#include "CatalogFileIO.h"

#include "CWexFileError.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace catalog_io {
namespace {

using Cause = CWexFileError::Cause;

const SystemCalls g_realCalls{
    [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
    [](int fd, void* buffer, size_t size) { return ::read(fd, buffer, size); },
    [](int fd, const void* data, size_t size) { return ::write(fd, data, size); },
    [](int fd) { return ::fsync(fd); },
    [](int fd) { return ::close(fd); },
    [](int fd, int operation) { return ::flock(fd, operation); },
    [](int fd, struct stat* info) { return ::fstat(fd, info); },
    [](const char* from, const char* to) { return ::rename(from, to); },
    [](const char* existing, const char* link) { return ::link(existing, link); },
    [](const char* path) { return ::unlink(path); },
    [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
    [](int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); },
};

const SystemCalls* g_calls = &g_realCalls;

std::atomic<std::chrono::milliseconds::rep> g_lockWaitMs{2000};

const SystemCalls& Sys()
{
    return *g_calls;
}

constexpr int kNoHandle = -1;

// Takes the exclusive lock of `fd`, waiting up to LockWait() for another process to let go.
// 0, or the errno of the last try.
int TakeLock(int fd)
{
    const auto deadline = std::chrono::steady_clock::now() + LockWait();
    for (;;) {
        if (Sys().flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
        const int error = errno;
        if (error != EWOULDBLOCK && error != EINTR) return error;
        if (std::chrono::steady_clock::now() >= deadline) return error;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
}

// Opens `path` and takes its exclusive lock, waiting briefly for another process's save to
// end. A file still locked after that counts as one that cannot be opened. Where the file
// system has no locks at all (some network shares), the file is used unlocked rather than
// refused.
int OpenLocked(const std::filesystem::path& path, int flags, struct stat& info)
{
    int fd;
    do {
        fd = Sys().open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY, 0);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw CWexFileError(Cause::OpenFailed, path, errno);
    if (Sys().fstat(fd, &info) != 0) {
        int error = errno;
        Sys().close(fd);
        throw CWexFileError(Cause::OpenFailed, path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        Sys().close(fd);
        throw CWexFileError(Cause::OpenFailed, path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    if (const int error = TakeLock(fd); error == EWOULDBLOCK || error == EINTR) {
        Sys().close(fd);
        throw CWexFileError(Cause::Locked, path, EWOULDBLOCK);
    }
    return fd;
}

// A name for a temporary file beside `target` that no other writer uses at the same time.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target, const char* what)
{
    static std::atomic<unsigned> counter{0};
    std::string name = "." + target.filename().string() + "." + what + "." + std::to_string(::getpid()) + "." +
                       std::to_string(counter.fetch_add(1)) + ".tmp";
    return target.parent_path() / name;
}

// Gives a new file the permission bits and group of the file it replaces. open() masks the
// bits with the saver's umask (a shared catalog's 0664 would become 0644), so they are set
// again; the group is that of the old file where the saver may give it (a member of the
// group), else the folder's (a set-group-ID folder gives its own). Neither is worth failing
// a save for: file systems without owners refuse both.
void TakeAccessOf(int fd, mode_t mode, gid_t group)
{
    if (group != static_cast<gid_t>(-1)) Sys().fchown(fd, static_cast<uid_t>(-1), group);
    // After the group: a change of group may clear the set-group-ID bit.
    Sys().fchmod(fd, mode);
}

// Creates a new temporary file beside `target`. A refusal is `cause` for `target`: the new
// catalog's file cannot be opened, while the backup's copy is a failure to write.
int CreateTemporary(const std::filesystem::path& target, const char* what, mode_t mode, gid_t group,
                    std::filesystem::path& created, Cause cause = Cause::OpenFailed)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = TemporaryBeside(target, what);
        int fd = Sys().open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0) {
            created = candidate;
            TakeAccessOf(fd, mode, group);
            return fd;
        }
        if (errno != EEXIST && errno != EINTR) throw CWexFileError(cause, target, errno);
    }
    throw CWexFileError(cause, target, EEXIST);
}

void WriteAll(int fd, const std::uint8_t* data, std::size_t size, const std::filesystem::path& path)
{
    while (size > 0) {
        ssize_t written = Sys().write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw CWexFileError(Cause::WriteFailed, path, errno);
        }
        if (written == 0) throw CWexFileError(Cause::WriteFailed, path, EIO);
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void SyncAndClose(int& fd, const std::filesystem::path& path)
{
    int result = Sys().fsync(fd);
    int error = errno;
    int closed = Sys().close(fd);
    int closeError = errno;
    fd = kNoHandle;
    if (result != 0) throw CWexFileError(Cause::WriteFailed, path, error);
    if (closed != 0) throw CWexFileError(Cause::WriteFailed, path, closeError);
}

// Reads the whole of `source` (open, at offset 0).
std::vector<std::uint8_t> ReadWhole(int source, const std::filesystem::path& sourcePath)
{
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    for (;;) {
        ssize_t got = Sys().read(source, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw CWexFileError(Cause::ReadFailed, sourcePath, errno);
        }
        if (got == 0) return bytes;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
}

// Copies the whole of `source` (open, at offset 0) into a new file at `dest`.
void CopyInto(int source, const std::filesystem::path& sourcePath, int dest, const std::filesystem::path& destPath)
{
    const std::vector<std::uint8_t> bytes = ReadWhole(source, sourcePath);
    WriteAll(dest, bytes.data(), bytes.size(), destPath);
}

// The folder is opened before anything in it is replaced, so that a folder that cannot be
// opened fails the save while the target is still untouched.
int OpenFolder(const std::filesystem::path& folder, const std::filesystem::path& target)
{
    int fd;
    do {
        fd = Sys().open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw CWexFileError(Cause::WriteFailed, target, errno, "složka");
    return fd;
}

// Makes the renames in the folder durable; 0 or the error. File systems that cannot sync a
// folder say so with EINVAL; there a rename is as durable as they make it.
int SyncFolder(int folder)
{
    if (Sys().fsync(folder) == 0) return 0;
    const int error = errno;
    return error == EINVAL || error == ENOTSUP ? 0 : error;
}

// Removes the temporary files of saves that were killed half way: names this layer gives to
// the temporary files of `target` and of its backup, which nobody holds locked any more. Only
// called while the target's lock is held (`locked` is the target as that lock's handle saw
// it), so no other save of the same target is running: a backup link to the very file being
// replaced shares that lock, yet can only be left by such a killed save, and goes as well.
void RemoveAbandonedTemporaries(const std::filesystem::path& target, const std::filesystem::path& backup,
                                const struct stat& locked)
{
    const std::string newPrefix = "." + target.filename().string() + ".new.";
    const std::string backupPrefix = backup.empty() ? newPrefix : "." + backup.filename().string() + ".bak.";
    std::error_code error;
    std::filesystem::directory_iterator entries(target.parent_path(), error);
    if (error) return;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (!(name.starts_with(newPrefix) || name.starts_with(backupPrefix)) || !name.ends_with(".tmp")) continue;
        int fd = Sys().open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
        if (fd < 0) continue;
        struct stat info {};
        if (Sys().fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
            const bool linkOfTarget = info.st_dev == locked.st_dev && info.st_ino == locked.st_ino;
            if (linkOfTarget || Sys().flock(fd, LOCK_EX | LOCK_NB) == 0) Sys().unlink(entry.path().c_str());
        }
        Sys().close(fd);
    }
}

} // namespace

const SystemCalls& RealSystemCalls()
{
    return g_realCalls;
}

std::chrono::milliseconds LockWait()
{
    return std::chrono::milliseconds(g_lockWaitMs.load());
}

ScopedLockWait::ScopedLockWait(std::chrono::milliseconds wait) : m_previous(LockWait())
{
    g_lockWaitMs = wait.count();
}

ScopedLockWait::~ScopedLockWait()
{
    g_lockWaitMs = m_previous.count();
}

const SystemCalls& CurrentSystemCalls()
{
    return *g_calls;
}

ScopedSystemCalls::ScopedSystemCalls(const SystemCalls& calls) : m_previous(g_calls)
{
    g_calls = &calls;
}

ScopedSystemCalls::~ScopedSystemCalls()
{
    g_calls = m_previous;
}

LockedReadFile::LockedReadFile(const std::filesystem::path& path) : m_path(path), m_handle(kNoHandle)
{
    struct stat info {};
    m_handle = OpenLocked(path, O_RDONLY, info);
    m_size = static_cast<std::uint64_t>(info.st_size);
}

LockedReadFile::~LockedReadFile()
{
    if (m_handle != kNoHandle) Sys().close(m_handle);
}

std::size_t LockedReadFile::Read(std::uint8_t* dest, std::size_t size)
{
    for (;;) {
        ssize_t got = Sys().read(m_handle, dest, size);
        if (got >= 0) {
            m_delivered += static_cast<std::uint64_t>(got);
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) throw CWexFileError(Cause::ReadFailed, m_path, errno);
    }
}

std::uint64_t LockedReadFile::Remaining() const
{
    return m_size > m_delivered ? m_size - m_delivered : 0;
}

std::filesystem::path BackupPathOf(const std::filesystem::path& target)
{
    std::filesystem::path backup = target;
    backup += ".bak";
    return backup;
}

std::filesystem::path BackupGeneration(const std::filesystem::path& backup, int n)
{
    std::filesystem::path path = backup;
    if (n > 1) path += std::to_string(n);
    return path;
}

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& target, const std::filesystem::path& backup)
    : m_target(target), m_backup(backup), m_existing(kNoHandle), m_file(kNoHandle)
{
    if (m_target.parent_path().empty()) m_target = std::filesystem::path(".") / m_target;
    struct stat existing {};
    try {
        m_existing = OpenLocked(m_target, O_RDONLY, existing);
        m_mode = existing.st_mode & 07777;
        m_group = existing.st_gid;
    } catch (const CWexFileError& e) {
        // A target that does not exist yet is simply created.
        if (e.GetCause() != Cause::OpenFailed || e.SystemError() != ENOENT) throw;
    }
    if (m_existing != kNoHandle) RemoveAbandonedTemporaries(m_target, m_backup, existing);
    // The new file is created with the first bytes written: a writer that only reads the
    // existing content and gives up leaves nothing behind.
}

void AtomicFileWriter::CreateNewFile()
{
    m_newFileTried = true;
    try {
        m_file = CreateTemporary(m_target, "new", m_mode, m_group, m_temporary);
        // Locked while it is written: a save that dies leaves a file nobody holds, which the
        // next save of the same target removes.
        Sys().flock(m_file, LOCK_EX | LOCK_NB);
    } catch (...) {
        Discard();
        throw;
    }
}

AtomicFileWriter::~AtomicFileWriter()
{
    Discard();
}

void AtomicFileWriter::Discard() noexcept
{
    if (m_file != kNoHandle) Sys().close(m_file);
    m_file = kNoHandle;
    if (m_folder != kNoHandle) Sys().close(m_folder);
    m_folder = kNoHandle;
    if (!m_committed && !m_temporary.empty()) Sys().unlink(m_temporary.c_str());
    if (!m_backupTemporary.empty()) Sys().unlink(m_backupTemporary.c_str());
    m_temporary.clear();
    m_backupTemporary.clear();
    if (m_existing != kNoHandle) Sys().close(m_existing);
    m_existing = kNoHandle;
}

const std::optional<std::vector<std::uint8_t>>& AtomicFileWriter::ExistingContent()
{
    if (!m_existingRead && m_existing != kNoHandle) {
        try {
            m_existingContent = ReadWhole(m_existing, m_target);
        } catch (const CWexFileError& e) {
            // A catalog that cannot be read to compare it cannot be opened for the save.
            throw CWexFileError(Cause::OpenFailed, m_target, e.SystemError());
        }
    }
    m_existingRead = true;
    return m_existingContent;
}

void AtomicFileWriter::Write(const std::uint8_t* data, std::size_t size)
{
    if (!m_newFileTried) CreateNewFile();
    if (m_file == kNoHandle) throw CWexFileError(Cause::WriteFailed, m_target, EBADF);
    WriteAll(m_file, data, size, m_target);
}

void AtomicFileWriter::KeepBackup()
{
    // The backup appears under its name in one rename, so an old .bak is never half
    // replaced. A hard link costs nothing; where links are not possible, copy.
    std::filesystem::path linkName = TemporaryBeside(m_backup, "bak");
    if (Sys().link(m_target.c_str(), linkName.c_str()) == 0) {
        m_backupTemporary = linkName;
    } else {
        int copy = CreateTemporary(m_backup, "bak", m_mode, m_group, m_backupTemporary, Cause::WriteFailed);
        try {
            // The content may have been read already, and the handle's offset with it.
            if (m_existingContent)
                WriteAll(copy, m_existingContent->data(), m_existingContent->size(), m_backup);
            else
                CopyInto(m_existing, m_target, copy, m_backup);
        } catch (...) {
            Sys().close(copy);
            throw;
        }
        SyncAndClose(copy, m_backup);
    }
    // Only with the new backup ready do the older ones move: a failure before leaves them all.
    ShiftBackups();
    if (Sys().rename(m_backupTemporary.c_str(), m_backup.c_str()) != 0)
        throw CWexFileError(Cause::WriteFailed, m_backup, errno);
    m_backupTemporary.clear();
    m_backupKept = true;
}

void AtomicFileWriter::ShiftBackups()
{
    // Each older generation moves one place down, into the first gap or onto the oldest,
    // which goes. One rename at a time: a save killed in between leaves a gap, never a lost
    // or half-written backup, and the next save fills the gap first.
    int gap = kBackupGenerations;
    for (int n = 1; n < kBackupGenerations; ++n) {
        struct stat info {};
        if (::lstat(BackupGeneration(m_backup, n).c_str(), &info) != 0 && errno == ENOENT) {
            gap = n;
            break;
        }
    }
    for (int n = gap - 1; n >= 1; --n) {
        if (Sys().rename(BackupGeneration(m_backup, n).c_str(), BackupGeneration(m_backup, n + 1).c_str()) != 0 &&
            errno != ENOENT)
            throw CWexFileError(Cause::WriteFailed, BackupGeneration(m_backup, n), errno);
    }
}

void AtomicFileWriter::PutBackPrevious() noexcept
{
    if (m_existing == kNoHandle) {
        // There was no file before this save.
        Sys().unlink(m_target.c_str());
        return;
    }
    // The backup is the previous file itself (a link, or a synced copy): renamed back, it
    // needs no new write that the failing disk would have to keep. A link gives the backup
    // its name again; a copy cannot be made safely now, and the next save makes one.
    if (!m_backupKept || Sys().rename(m_backup.c_str(), m_target.c_str()) != 0) return;
    std::filesystem::path linkName = TemporaryBeside(m_backup, "bak");
    if (Sys().link(m_target.c_str(), linkName.c_str()) == 0 && Sys().rename(linkName.c_str(), m_backup.c_str()) != 0)
        Sys().unlink(linkName.c_str());
}

void AtomicFileWriter::Commit()
{
    if (!m_newFileTried) CreateNewFile();
    if (m_file == kNoHandle) throw CWexFileError(Cause::WriteFailed, m_target, EBADF);
    SyncAndClose(m_file, m_target);
    m_folder = OpenFolder(m_target.parent_path(), m_target);

    if (m_existing != kNoHandle && !m_backup.empty()) KeepBackup();

    if (Sys().rename(m_temporary.c_str(), m_target.c_str()) != 0)
        throw CWexFileError(Cause::WriteFailed, m_target, errno);
    m_committed = true;
    m_temporary.clear();
    if (const int error = SyncFolder(m_folder); error != 0) {
        // Whether the new name survives a crash is unknown: the save has failed, and a failed
        // save leaves the previous file in place, as every earlier step does.
        PutBackPrevious();
        SyncFolder(m_folder);
        Discard();
        throw CWexFileError(Cause::WriteFailed, m_target, error, "složka");
    }
    Discard();
}

} // namespace catalog_io

#endif // !_WIN32
