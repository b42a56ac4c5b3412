#pragma once
// The program's start-up: the Qt application, the window services, the user catalog (with its
// fallback to the standard catalog on the first start), the editing dialog on every material,
// and the end of the program when the dialog closes.

#include "ShownMaterial.h"

#include <functional>

class CQyDlgMatEdituj;
class WindowServices;

// What a test puts in place of the user.
struct ApplicationHooks {
    // Installed instead of the Qt window services (queued answers instead of boxes).
    WindowServices* windowServices = nullptr;
    // Called with the editing dialog just before it runs modally (to drive or close it).
    std::function<void(CQyDlgMatEdituj& dialog)> beforeEditing;
};

// The filter the program's editing dialog opens with: every group, every purpose.
inline constexpr MaterialFilter kStartFilter{3, 31};

// Runs the program and returns its exit code: 0 once the editing dialog has closed, whatever
// closed it; 0 after "--version" (printed to standard output). Uses the QApplication that
// exists already, if any.
int RunApplication(int argc, char** argv, const ApplicationHooks& hooks = {});

// The text "--version" prints.
const char* VersionText();
