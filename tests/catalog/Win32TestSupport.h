#pragma once
// Helpers of the Windows-only tests: starting programs, and the guard of the tests that
// rewrite the Software\Brevanti keys of the registry.

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// The tests that delete and rewrite HKLM and HKCU\Software\Brevanti run only where that is
// harmless: scripts/test-windows.sh sets VELMORA_SCRATCH_REGISTRY=1 in its throwaway Wine
// prefix. Elsewhere (a real Windows machine, a Wine prefix with the program installed) they
// are skipped rather than wipe the installation's values.
inline bool RegistryMayBeChanged()
{
    const char* value = std::getenv("VELMORA_SCRATCH_REGISTRY");
    return value && std::string(value) == "1";
}

inline const char* const kScratchRegistryNote =
    "rewrites Software\\Brevanti in HKLM and HKCU: set VELMORA_SCRATCH_REGISTRY=1 in a throwaway "
    "Wine prefix (scripts/test-windows.sh does)";

// A program in the folder of the running test program.
inline std::filesystem::path BesideThisProgram(const wchar_t* name)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / name;
}

// Runs `commandLine` (the program found on the search path, or `application` when given),
// waits for it and returns its exit code; -1 when it cannot be started. With `quiet` its
// standard output and error are discarded.
inline long RunProgram(std::wstring commandLine, bool quiet, const std::filesystem::path& application = {})
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nul = quiet ? CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                     OPEN_EXISTING, 0, nullptr)
                       : INVALID_HANDLE_VALUE;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (nul != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = nul;
        startup.hStdError = nul;
    }
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessW(application.empty() ? nullptr : application.c_str(), commandLine.data(), nullptr,
                                  nullptr, nul != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &startup, &process);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(code);
}
