#pragma once
// The file layer under the catalog files: reading under an exclusive lock, and replacing a
// file atomically (temporary file in the same folder, flush, sync, rename, folder sync) with
// the previous files kept as "<name>.bak" (the newest), "<name>.bak2" ... "<name>.bak5".
// Every failure is a CWexFileError.
//
// Every system call goes through SystemCalls, so that tests can make any step fail (open,
// write, fsync, rename, the folder sync ...; on Windows the flush and ReplaceFileW).

#include "CWexArchive.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/types.h>
#endif

namespace catalog_io {

#ifdef _WIN32
using NativeHandle = void*;

// The Win32 calls of the file layer, with their signatures (HANDLE is void*, DWORD unsigned
// long, BOOL int) and error convention: failure is reported by the result, the error code by
// GetLastError.
struct SystemCalls {
    std::function<void*(const wchar_t* path, unsigned long access, unsigned long shareMode,
                        unsigned long disposition)>
        createFile;
    std::function<int(void* file, void* buffer, unsigned long size, unsigned long* read)> readFile;
    std::function<int(void* file, const void* data, unsigned long size, unsigned long* written)> writeFile;
    std::function<int(void* file)> flushFileBuffers;
    std::function<int(void* file)> closeHandle;
    std::function<int(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup)> replaceFile;
    std::function<int(const wchar_t* existing, const wchar_t* newName, unsigned long flags)> moveFileEx;
    std::function<int(const wchar_t* path)> deleteFile;
};
#else
using NativeHandle = int;

// The system calls of the file layer, with the signatures (and errno convention) of POSIX.
struct SystemCalls {
    std::function<int(const char* path, int flags, mode_t mode)> open;
    std::function<ssize_t(int fd, void* buffer, size_t size)> read;
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(int fd)> close;
    std::function<int(int fd, int operation)> flock;
    std::function<int(int fd, struct stat* info)> fstat;
    std::function<int(const char* from, const char* to)> rename;
    std::function<int(const char* existing, const char* link)> link;
    std::function<int(const char* path)> unlink;
    std::function<int(int fd, mode_t mode)> fchmod;
    std::function<int(int fd, uid_t owner, gid_t group)> fchown;
};
#endif

// The real calls.
const SystemCalls& RealSystemCalls();
// The calls in force.
const SystemCalls& CurrentSystemCalls();

// Installs `calls` for the lifetime of a scope (tests).
class ScopedSystemCalls {
public:
    explicit ScopedSystemCalls(const SystemCalls& calls);
    ~ScopedSystemCalls();
    ScopedSystemCalls(const ScopedSystemCalls&) = delete;
    ScopedSystemCalls& operator=(const ScopedSystemCalls&) = delete;

private:
    const SystemCalls* m_previous;
};

// How long opening a file waits for another process's lock before it counts as locked: a
// save takes milliseconds, so a lock held longer belongs to something that will not let go.
std::chrono::milliseconds LockWait();
// Sets another wait for the lifetime of a scope (tests).
class ScopedLockWait {
public:
    explicit ScopedLockWait(std::chrono::milliseconds wait);
    ~ScopedLockWait();
    ScopedLockWait(const ScopedLockWait&) = delete;
    ScopedLockWait& operator=(const ScopedLockWait&) = delete;

private:
    std::chrono::milliseconds m_previous;
};

// How many saved versions a replacement keeps beside the file.
inline constexpr int kBackupGenerations = 5;

// A file open for reading under an exclusive lock, as the source of a loading archive.
class LockedReadFile : public ByteSource {
public:
    // Throws CWexFileError: OpenFailed (missing, refused, not a regular file) or Locked
    // (another process holds the lock).
    explicit LockedReadFile(const std::filesystem::path& path);
    ~LockedReadFile() override;
    LockedReadFile(const LockedReadFile&) = delete;
    LockedReadFile& operator=(const LockedReadFile&) = delete;

    std::size_t Read(std::uint8_t* dest, std::size_t size) override;
    std::uint64_t Remaining() const override;

private:
    std::filesystem::path m_path;
    NativeHandle m_handle;
    std::uint64_t m_size = 0;
    std::uint64_t m_delivered = 0;
};

// Replaces a file atomically: the bytes go to a temporary file in the same folder, and only
// Commit puts them in place. Destroyed without a successful Commit, it removes the temporary
// file and leaves the target exactly as it was.
class AtomicFileWriter : public ByteSink {
public:
    // Locks the existing target (if any); the temporary file, with the target's permission
    // bits and group, is created with the first bytes written (on Windows at once). When `backup` is not empty, Commit keeps the replaced target
    // under that path, the backups before it shifted to the older generations. Throws
    // CWexFileError: OpenFailed (the folder or the file refuses) or Locked.
    AtomicFileWriter(const std::filesystem::path& target, const std::filesystem::path& backup);
    ~AtomicFileWriter() override;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // The bytes of the target as it is now, read under the lock this writer holds, so that
    // nobody can change them before Commit; nullopt when there is no target yet. Throws
    // CWexFileError (OpenFailed: the content cannot be read).
    const std::optional<std::vector<std::uint8_t>>& ExistingContent();

    // Throws CWexFileError (WriteFailed).
    void Write(const std::uint8_t* data, std::size_t size) override;
    // Syncs the temporary file, keeps the backup, renames over the target and syncs the
    // folder. Throws CWexFileError (WriteFailed); a failed commit leaves the previous target
    // (also when only the folder sync after the rename fails: it is put back from the backup,
    // or removed when there was none; without a backup path the new file stays there).
    void Commit();

private:
    void Discard() noexcept;
    void ShiftBackups();
#ifndef _WIN32
    void CreateNewFile();
    void KeepBackup();
    void PutBackPrevious() noexcept;
    NativeHandle m_folder = -1; // the target's folder, open for its sync
    bool m_backupKept = false;
    mode_t m_mode = 0666; // the replaced target's permission bits, also for a copied backup
    gid_t m_group = static_cast<gid_t>(-1); // the replaced target's group; -1 = the folder's choice
    bool m_newFileTried = false; // the temporary file was created (or its creation failed)
#endif

    std::filesystem::path m_target;
    std::filesystem::path m_backup;
    std::filesystem::path m_temporary;
    std::filesystem::path m_backupTemporary;
    NativeHandle m_existing;  // the target being replaced, held locked; invalid when none
    NativeHandle m_file;      // the temporary file
    bool m_committed = false;
    bool m_existingRead = false;
    std::optional<std::vector<std::uint8_t>> m_existingContent;
};

// The path of the backup kept when `target` is replaced: "<target>.bak".
std::filesystem::path BackupPathOf(const std::filesystem::path& target);
// Generation `n` (1 = the newest) of the backups kept under `backup`: "<backup>" for 1,
// "<backup>2" ... for the older ones.
std::filesystem::path BackupGeneration(const std::filesystem::path& backup, int n);

} // namespace catalog_io
