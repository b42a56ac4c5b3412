#pragma once
// The window services on Qt: message boxes (QMessageBox) and task dialogs (CTaskDialog),
// owned by the active window unless the caller asks for no owner.

#include "WindowServices.h"

class QWidget;

class QtWindowServices final : public WindowServices {
public:
    int ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon icon,
                    MessageButtons buttons, MessageOwner owner = MessageOwner::ActiveWindow) override;
    int ShowTaskDialog(const TaskDialogSpec& request) override;
};

// Installs the Qt window services for the rest of the process (the application calls it once
// the QApplication exists). Returns the services that were in force before.
WindowServices* InstallQtWindowServices();
