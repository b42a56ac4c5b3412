#pragma once
// The one seam through which catalog code talks to the user: message boxes and task
// dialogs. The catalog library never depends on Qt; the dialog library installs the Qt
// implementation at start-up, ptq a non-interactive one, tests a scripted one.

#include <string>
#include <utility>
#include <vector>

// Answer codes, as the program has always used them.
enum DialogAnswer : int {
    IDNONE = 0,   // the box could not be shown
    IDOK = 1,
    IDCANCEL = 2, // also the answer when a box is dismissed (Escape, close box)
    IDYES = 6,
    IDNO = 7,
};

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
// Who owns a box: the window that is active at the time, or no window at all.
enum class MessageOwner { ActiveWindow, None };

// Common buttons of a task dialog (bit set); their answers are IDOK, IDYES, IDNO, IDCANCEL.
enum TaskCommonButton : int {
    TaskButtonOk = 0x01,
    TaskButtonYes = 0x02,
    TaskButtonNo = 0x04,
    TaskButtonCancel = 0x08,
};

struct TaskDialogButton {
    int id = 0;
    std::u16string text;
};

struct TaskDialogSpec {
    std::u16string title;
    std::u16string mainInstruction;
    std::u16string content;
    MessageIcon icon = MessageIcon::None;
    int commonButtons = 0;                       // TaskCommonButton bits
    std::vector<TaskDialogButton> customButtons; // shown in this order, before common ones
    int defaultButton = 0;                       // id of the default button; 0 = the first
    MessageOwner owner = MessageOwner::ActiveWindow;
    std::u16string expandedInformation;          // details shown on request; empty = none
};

class WindowServices {
public:
    virtual ~WindowServices() = default;

    // A message box; returns IDOK, IDCANCEL, IDYES or IDNO (IDNONE when it cannot be shown).
    virtual int ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon icon,
                            MessageButtons buttons, MessageOwner owner = MessageOwner::ActiveWindow) = 0;

    // A task dialog; returns the id of the pressed button, IDCANCEL when dismissed,
    // IDNONE when it cannot be shown.
    virtual int ShowTaskDialog(const TaskDialogSpec& request) = 0;
};

// The services in force. Without an installed implementation every box answers IDNONE.
WindowServices& GetWindowServices();
// Installs `services` (not owned; nullptr restores the silent default). Returns the previous one.
WindowServices* SetWindowServices(WindowServices* services);

// Installs services for the lifetime of a scope and restores the previous ones after it.
class ScopedWindowServices {
public:
    explicit ScopedWindowServices(WindowServices& services) : m_previous(SetWindowServices(&services)) {}
    ~ScopedWindowServices() { SetWindowServices(m_previous); }
    ScopedWindowServices(const ScopedWindowServices&) = delete;
    ScopedWindowServices& operator=(const ScopedWindowServices&) = delete;

private:
    WindowServices* m_previous;
};

// The answer a box gives when the user just presses Enter: its default button.
int DefaultAnswer(MessageButtons buttons);
int DefaultAnswer(const TaskDialogSpec& request);

// The title under which the program asks and warns.
inline const std::u16string kProgramTitle = u"Materiály potrubí";
