#pragma once
// The failure of a file or of the bytes in it: a file that cannot be opened (missing, not a
// regular file, locked by another process), a read or write error of the system, and data
// that end inside a record. Everything a reader meets that is not the program's own
// CWexException. Deliberately not a CWexException: callers tell the two apart to show
// "Chyba při čtení ze souboru" for this one and the exception text for the other.

#include <exception>
#include <filesystem>
#include <string>

class CWexFileError : public std::exception {
public:
    enum class Cause {
        OpenFailed,     // missing, unreadable, not a regular file, cannot be created
        Locked,         // another process holds the file's lock: counts as not openable
        ReadFailed,     // the system refused a read
        WriteFailed,    // the system refused a write, a flush, a sync or the final rename
        EndOfFile,      // the data end inside a record, or a length runs past the data left
        WrongDirection, // a read from a storing archive or a write to a loading one
    };

    // `systemError` is the errno (or Windows error code) when the system reported one, else 0.
    CWexFileError(Cause cause, std::filesystem::path path, int systemError = 0, std::string detail = {});

    const char* what() const noexcept override { return m_text.c_str(); }

    Cause GetCause() const noexcept { return m_cause; }
    // The file could not be opened at all (missing, refused, locked): the caller falls back.
    bool IsOpenFailure() const noexcept { return m_cause == Cause::OpenFailed || m_cause == Cause::Locked; }
    // The file (or its folder) does not exist: the one open failure after which a new file
    // may take its place.
    bool IsMissing() const noexcept;
    const std::filesystem::path& Path() const noexcept { return m_path; }
    int SystemError() const noexcept { return m_systemError; }

private:
    Cause m_cause;
    std::filesystem::path m_path;
    int m_systemError;
    std::string m_text;
};
