#include "ConsoleWindowServices.h"

#include "TextConvert.h"

void ConsoleWindowServices::Print(const std::u16string& title, const std::u16string& text)
{
    ++m_shown;
    std::string line = Utf16ToUtf8(title) + ": " + Utf16ToUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), m_out);
    std::fflush(m_out);
}

int ConsoleWindowServices::ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon,
                                       MessageButtons buttons, MessageOwner)
{
    Print(title, text);
    return DefaultAnswer(buttons);
}

int ConsoleWindowServices::ShowTaskDialog(const TaskDialogSpec& spec)
{
    std::u16string text = spec.mainInstruction;
    if (!text.empty() && !spec.content.empty()) text += u'\n';
    text += spec.content;
    Print(spec.title, text);
    return DefaultAnswer(spec);
}
