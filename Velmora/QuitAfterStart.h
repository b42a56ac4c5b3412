#pragma once
// "--quit-after-start": a run of the installed program with nobody at the screen (the package
// test). It is not offered to users, and --help does not list it.
//
// Every box the program would show is written to standard error instead and answers IDNONE,
// as a box that cannot be shown: nothing is decided for the user. The editing dialog opens as
// usual and, once it has been painted, closes without saving or asking anything.

#include "Application.h"
#include "WindowServices.h"

// The option as it is given on the command line.
inline constexpr const char* kQuitAfterStartOption = "--quit-after-start";

// True when the arguments hold the option.
bool AskedToQuitAfterStart(int argc, char** argv);

// Window services that write every box to standard error and answer IDNONE.
class MessagesToStandardError : public WindowServices {
public:
    int ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon icon,
                    MessageButtons buttons, MessageOwner owner = MessageOwner::ActiveWindow) override;
    int ShowTaskDialog(const TaskDialogSpec& request) override;
};

// The hooks of such a run, with `services` (which must outlive the run) in place of the boxes.
ApplicationHooks QuitAfterStartHooks(WindowServices& services);
