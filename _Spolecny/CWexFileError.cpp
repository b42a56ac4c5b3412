#include "CWexFileError.h"

#include <cerrno>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const char* Summary(CWexFileError::Cause cause)
{
    switch (cause) {
    case CWexFileError::Cause::OpenFailed: return "Nelze otevřít soubor";
    case CWexFileError::Cause::Locked: return "Soubor je otevřen jiným procesem";
    case CWexFileError::Cause::ReadFailed: return "Chyba při čtení ze souboru";
    case CWexFileError::Cause::WriteFailed: return "Chyba při zápisu do souboru";
    case CWexFileError::Cause::EndOfFile: return "Neočekávaný konec souboru";
    case CWexFileError::Cause::WrongDirection: return "Chybný směr archivu";
    }
    return "Chyba souboru";
}

} // namespace

CWexFileError::CWexFileError(Cause cause, std::filesystem::path path, int systemError, std::string detail)
    : m_cause(cause), m_path(std::move(path)), m_systemError(systemError)
{
    m_text = Summary(cause);
    if (!m_path.empty()) {
        const std::u8string p = m_path.u8string();
        m_text += ": ";
        m_text.append(p.begin(), p.end());
    }
    if (!detail.empty()) m_text += " (" + detail + ")";
    if (systemError != 0) {
#ifdef _WIN32
        m_text += " [" + std::to_string(systemError) + "]";
#else
        m_text += " [";
        m_text += std::strerror(systemError);
        m_text += "]";
#endif
    }
}

bool CWexFileError::IsMissing() const noexcept
{
    if (m_cause != Cause::OpenFailed) return false;
#ifdef _WIN32
    return m_systemError == ERROR_FILE_NOT_FOUND || m_systemError == ERROR_PATH_NOT_FOUND;
#else
    return m_systemError == ENOENT || m_systemError == ENOTDIR;
#endif
}
