// The file layer on Windows. "Open without sharing" is the share mode 0: while the file is
// open no other process can open it, and one that tries gets a sharing violation.

#ifdef _WIN32

#include "CatalogFileIO.h"

#include "CWexFileError.h"

#include <atomic>
#include <string>
#include <thread>
#include <windows.h>

namespace catalog_io {
namespace {

using Cause = CWexFileError::Cause;

const SystemCalls g_realCalls{
    [](const wchar_t* path, unsigned long access, unsigned long shareMode, unsigned long disposition) -> void* {
        return ::CreateFileW(path, access, shareMode, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    },
    [](void* file, void* buffer, unsigned long size, unsigned long* read) -> int {
        return ::ReadFile(file, buffer, size, read, nullptr);
    },
    [](void* file, const void* data, unsigned long size, unsigned long* written) -> int {
        return ::WriteFile(file, data, size, written, nullptr);
    },
    [](void* file) -> int { return ::FlushFileBuffers(file); },
    [](void* file) -> int { return ::CloseHandle(file); },
    [](const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup) -> int {
        return ::ReplaceFileW(replaced, replacement, backup, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    },
    [](const wchar_t* existing, const wchar_t* newName, unsigned long flags) -> int {
        return ::MoveFileExW(existing, newName, flags);
    },
    [](const wchar_t* path) -> int { return ::DeleteFileW(path); },
};

const SystemCalls* g_calls = &g_realCalls;

std::atomic<std::chrono::milliseconds::rep> g_lockWaitMs{2000};

const SystemCalls& Sys()
{
    return *g_calls;
}

bool IsLockedError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Opens without sharing, waiting up to LockWait() while another process has the file open.
HANDLE OpenExclusive(const std::filesystem::path& path, DWORD access, DWORD disposition)
{
    const auto deadline = std::chrono::steady_clock::now() + LockWait();
    for (;;) {
        HANDLE handle = Sys().createFile(path.c_str(), access, 0, disposition);
        if (handle != INVALID_HANDLE_VALUE) return handle;
        DWORD error = ::GetLastError();
        if (!IsLockedError(error) || std::chrono::steady_clock::now() >= deadline)
            throw CWexFileError(IsLockedError(error) ? Cause::Locked : Cause::OpenFailed, path,
                                static_cast<int>(error));
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    std::wstring name = L"." + target.filename().wstring() + L".new." + std::to_wstring(::GetCurrentProcessId()) +
                        L"." + std::to_wstring(counter.fetch_add(1)) + L".tmp";
    return target.parent_path() / name;
}

} // namespace

const SystemCalls& RealSystemCalls()
{
    return g_realCalls;
}

const SystemCalls& CurrentSystemCalls()
{
    return *g_calls;
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

ScopedSystemCalls::ScopedSystemCalls(const SystemCalls& calls) : m_previous(g_calls)
{
    g_calls = &calls;
}

ScopedSystemCalls::~ScopedSystemCalls()
{
    g_calls = m_previous;
}

LockedReadFile::LockedReadFile(const std::filesystem::path& path)
    : m_path(path), m_handle(OpenExclusive(path, GENERIC_READ, OPEN_EXISTING))
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(m_handle, &size) || ::GetFileType(m_handle) != FILE_TYPE_DISK) {
        DWORD error = ::GetLastError();
        Sys().closeHandle(m_handle);
        throw CWexFileError(Cause::OpenFailed, path, static_cast<int>(error));
    }
    m_size = static_cast<std::uint64_t>(size.QuadPart);
}

LockedReadFile::~LockedReadFile()
{
    Sys().closeHandle(m_handle);
}

std::size_t LockedReadFile::Read(std::uint8_t* dest, std::size_t size)
{
    DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!Sys().readFile(m_handle, dest, chunk, &got))
        throw CWexFileError(Cause::ReadFailed, m_path, static_cast<int>(::GetLastError()));
    m_delivered += got;
    return got;
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
    if (n > 1) path += std::to_wstring(n);
    return path;
}

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& target, const std::filesystem::path& backup)
    : m_target(target), m_backup(backup), m_existing(INVALID_HANDLE_VALUE), m_file(INVALID_HANDLE_VALUE)
{
    // Held without sharing while the new file is written, so that no other process opens
    // the catalog meanwhile; released just before the replacement.
    try {
        m_existing = OpenExclusive(m_target, GENERIC_READ, OPEN_EXISTING);
    } catch (const CWexFileError& e) {
        if (e.GetCause() != Cause::OpenFailed || e.SystemError() != ERROR_FILE_NOT_FOUND) throw;
    }
    try {
        m_temporary = TemporaryBeside(m_target);
        m_file = OpenExclusive(m_temporary, GENERIC_WRITE, CREATE_NEW);
    } catch (...) {
        m_temporary.clear();
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
    if (m_file != INVALID_HANDLE_VALUE) Sys().closeHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    if (!m_committed && !m_temporary.empty()) Sys().deleteFile(m_temporary.c_str());
    m_temporary.clear();
    if (m_existing != INVALID_HANDLE_VALUE) Sys().closeHandle(m_existing);
    m_existing = INVALID_HANDLE_VALUE;
}

const std::optional<std::vector<std::uint8_t>>& AtomicFileWriter::ExistingContent()
{
    if (!m_existingRead && m_existing != INVALID_HANDLE_VALUE) {
        std::vector<std::uint8_t> bytes;
        std::uint8_t buffer[65536];
        for (;;) {
            DWORD got = 0;
            // A catalog that cannot be read to compare it cannot be opened for the save.
            if (!Sys().readFile(m_existing, buffer, sizeof buffer, &got))
                throw CWexFileError(Cause::OpenFailed, m_target, static_cast<int>(::GetLastError()));
            if (got == 0) break;
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
        m_existingContent = std::move(bytes);
    }
    m_existingRead = true;
    return m_existingContent;
}

void AtomicFileWriter::ShiftBackups()
{
    // Each older generation moves one place down, into the first gap or onto the oldest.
    int gap = kBackupGenerations;
    for (int n = 1; n < kBackupGenerations; ++n) {
        if (::GetFileAttributesW(BackupGeneration(m_backup, n).c_str()) == INVALID_FILE_ATTRIBUTES) {
            gap = n;
            break;
        }
    }
    for (int n = gap - 1; n >= 1; --n) {
        if (!Sys().moveFileEx(BackupGeneration(m_backup, n).c_str(), BackupGeneration(m_backup, n + 1).c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_NOT_FOUND)
                throw CWexFileError(Cause::WriteFailed, BackupGeneration(m_backup, n), static_cast<int>(error));
        }
    }
}

void AtomicFileWriter::Write(const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!Sys().writeFile(m_file, data, chunk, &written) || written == 0)
            throw CWexFileError(Cause::WriteFailed, m_target, static_cast<int>(::GetLastError()));
        data += written;
        size -= written;
    }
}

void AtomicFileWriter::Commit()
{
    if (m_file == INVALID_HANDLE_VALUE) throw CWexFileError(Cause::WriteFailed, m_target, ERROR_INVALID_HANDLE);
    BOOL flushed = Sys().flushFileBuffers(m_file);
    DWORD flushError = ::GetLastError();
    Sys().closeHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    if (!flushed) throw CWexFileError(Cause::WriteFailed, m_target, static_cast<int>(flushError));

    BOOL replaced;
    DWORD error = ERROR_SUCCESS;
    if (m_existing != INVALID_HANDLE_VALUE) {
        Sys().closeHandle(m_existing);
        m_existing = INVALID_HANDLE_VALUE;
        // Replaces the target in one step and keeps the replaced file as the backup, first
        // under a name of its own: the older backups move only once the replacement is done,
        // so a failed save leaves every one of them where it was.
        const std::filesystem::path keptAs = m_backup.empty() ? std::filesystem::path() : TemporaryBeside(m_backup);
        const wchar_t* backup = m_backup.empty() ? nullptr : keptAs.c_str();
        replaced = Sys().replaceFile(m_target.c_str(), m_temporary.c_str(), backup);
        if (!replaced) {
            error = ::GetLastError();
            // The target has already been moved to the backup name, but the new file could
            // not take its place: put the previous file back, so that the target is as it was.
            if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && backup)
                Sys().moveFileEx(backup, m_target.c_str(), MOVEFILE_WRITE_THROUGH);
        } else if (backup) {
            // The new catalog is in place: a backup that cannot take its name stays under
            // the hidden one rather than failing a save that has happened.
            try {
                ShiftBackups();
                Sys().moveFileEx(backup, m_backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            } catch (const CWexFileError&) {
            }
        }
    } else {
        replaced = Sys().moveFileEx(m_temporary.c_str(), m_target.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!replaced) error = ::GetLastError();
    }
    if (!replaced) throw CWexFileError(Cause::WriteFailed, m_target, static_cast<int>(error));
    m_committed = true;
    Discard();
}

} // namespace catalog_io

#endif // _WIN32
