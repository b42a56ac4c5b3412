#pragma once
// Window services for a program without windows: every message goes to standard error as
// "TITLE: TEXT" and every question takes its default answer.

#include "WindowServices.h"

#include <cstdio>

class ConsoleWindowServices final : public WindowServices {
public:
    explicit ConsoleWindowServices(std::FILE* out = stderr) : m_out(out) {}

    int ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon icon,
                    MessageButtons buttons, MessageOwner owner) override;
    int ShowTaskDialog(const TaskDialogSpec& spec) override;

    // How many messages and task dialogs were shown so far.
    int Shown() const { return m_shown; }

private:
    void Print(const std::u16string& title, const std::u16string& text);

    std::FILE* m_out;
    int m_shown = 0;
};
