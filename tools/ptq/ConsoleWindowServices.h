#pragma once
// Window services for a program without windows: every message goes to standard error as
// "TITLE: TEXT" and every question takes its default answer, unless told otherwise. A box
// with more than one button is followed by the line "-> BUTTON", the answer taken.

#include "WindowServices.h"

#include <cstdio>

class ConsoleWindowServices final : public WindowServices {
public:
    explicit ConsoleWindowServices(std::FILE* out = stderr) : m_out(out) {}

    int ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon icon,
                    MessageButtons buttons, MessageOwner owner) override;
    int ShowTaskDialog(const TaskDialogSpec& request) override;

    // Task dialogs that offer a custom button with this id answer with it instead of their
    // default (0: the default).
    void PressCustomButton(int id) { m_customButton = id; }
    // Yes/No boxes answer IDYES or IDNO (0: the default, Yes).
    void AnswerYesNo(int answer) { m_yesNoAnswer = answer; }

    // How many messages and task dialogs were shown so far.
    int Shown() const { return m_shown; }

private:
    void Print(const std::u16string& title, const std::u16string& text);
    void PrintAnswer(const std::u16string& button);

    std::FILE* m_out;
    int m_shown = 0;
    int m_customButton = 0;
    int m_yesNoAnswer = 0;
};
