// The file layer on Windows. "Open without sharing" is the share mode 0: while the file is
// open no other process can open it, and one that tries gets a sharing violation.

#ifdef _WIN32

#include "CatalogFileIO.h"

#include "CWexFileError.h"

#include <atomic>
#include <string>
#include <windows.h>

namespace catalog_io {
namespace {

using Cause = CWexFileError::Cause;

bool IsLockedError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

HANDLE OpenExclusive(const std::filesystem::path& path, DWORD access, DWORD disposition)
{
    HANDLE handle = ::CreateFileW(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        throw CWexFileError(IsLockedError(error) ? Cause::Locked : Cause::OpenFailed, path, static_cast<int>(error));
    }
    return handle;
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    std::wstring name = L"." + target.filename().wstring() + L".new." + std::to_wstring(::GetCurrentProcessId()) +
                        L"." + std::to_wstring(counter.fetch_add(1)) + L".tmp";
    return target.parent_path() / name;
}

} // namespace

LockedReadFile::LockedReadFile(const std::filesystem::path& path)
    : m_path(path), m_handle(OpenExclusive(path, GENERIC_READ, OPEN_EXISTING))
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(m_handle, &size) || ::GetFileType(m_handle) != FILE_TYPE_DISK) {
        DWORD error = ::GetLastError();
        ::CloseHandle(m_handle);
        throw CWexFileError(Cause::OpenFailed, path, static_cast<int>(error));
    }
    m_size = static_cast<std::uint64_t>(size.QuadPart);
}

LockedReadFile::~LockedReadFile()
{
    ::CloseHandle(m_handle);
}

std::size_t LockedReadFile::Read(std::uint8_t* dest, std::size_t size)
{
    DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!::ReadFile(m_handle, dest, chunk, &got, nullptr))
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
    if (m_file != INVALID_HANDLE_VALUE) ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    if (!m_committed && !m_temporary.empty()) ::DeleteFileW(m_temporary.c_str());
    m_temporary.clear();
    if (m_existing != INVALID_HANDLE_VALUE) ::CloseHandle(m_existing);
    m_existing = INVALID_HANDLE_VALUE;
}

void AtomicFileWriter::Write(const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(m_file, data, chunk, &written, nullptr) || written == 0)
            throw CWexFileError(Cause::WriteFailed, m_target, static_cast<int>(::GetLastError()));
        data += written;
        size -= written;
    }
}

void AtomicFileWriter::Commit()
{
    if (!::FlushFileBuffers(m_file))
        throw CWexFileError(Cause::WriteFailed, m_target, static_cast<int>(::GetLastError()));
    ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;

    BOOL replaced;
    if (m_existing != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_existing);
        m_existing = INVALID_HANDLE_VALUE;
        // Replaces the target in one step and keeps the replaced file as the backup.
        replaced = ::ReplaceFileW(m_target.c_str(), m_temporary.c_str(),
                                  m_backup.empty() ? nullptr : m_backup.c_str(),
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    } else {
        replaced = ::MoveFileExW(m_temporary.c_str(), m_target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!replaced) throw CWexFileError(Cause::WriteFailed, m_target, static_cast<int>(::GetLastError()));
    m_committed = true;
    Discard();
}

} // namespace catalog_io

#endif // _WIN32
