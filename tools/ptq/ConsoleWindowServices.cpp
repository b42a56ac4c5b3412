#include "ConsoleWindowServices.h"

#include "TextConvert.h"

#include <algorithm>
#include <bit>

namespace {

// The texts of the common buttons, as the program's message boxes label them.
std::u16string CommonButtonText(int answer)
{
    switch (answer) {
    case IDOK:
        return u"OK";
    case IDCANCEL:
        return u"Storno";
    case IDYES:
        return u"Ano";
    case IDNO:
        return u"Ne";
    }
    return u"?";
}

} // namespace

void ConsoleWindowServices::Print(const std::u16string& title, const std::u16string& text)
{
    ++m_shown;
    std::string line = Utf16ToUtf8(title) + ": " + Utf16ToUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), m_out);
    std::fflush(m_out);
}

void ConsoleWindowServices::PrintAnswer(const std::u16string& button)
{
    std::string line = "-> " + Utf16ToUtf8(button) + "\n";
    std::fwrite(line.data(), 1, line.size(), m_out);
    std::fflush(m_out);
}

int ConsoleWindowServices::ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon,
                                       MessageButtons buttons, MessageOwner)
{
    Print(title, text);
    int answer = DefaultAnswer(buttons);
    if (buttons == MessageButtons::YesNo && (m_yesNoAnswer == IDYES || m_yesNoAnswer == IDNO)) answer = m_yesNoAnswer;
    if (buttons != MessageButtons::Ok) PrintAnswer(CommonButtonText(answer));
    return answer;
}

int ConsoleWindowServices::ShowTaskDialog(const TaskDialogSpec& request)
{
    std::u16string text = request.mainInstruction;
    if (!text.empty() && !request.content.empty()) text += u'\n';
    text += request.content;
    // The details a window shows on request are printed below, indented.
    for (std::size_t start = 0; start < request.expandedInformation.size();) {
        std::size_t end = request.expandedInformation.find(u'\n', start);
        if (end == std::u16string::npos) end = request.expandedInformation.size();
        text += u"\n  " + request.expandedInformation.substr(start, end - start);
        start = end + 1;
    }
    Print(request.title, text);

    int answer = DefaultAnswer(request);
    auto pressed = std::find_if(request.customButtons.begin(), request.customButtons.end(),
                                [this](const TaskDialogButton& b) { return b.id == m_customButton; });
    if (m_customButton != 0 && pressed != request.customButtons.end()) answer = m_customButton;

    const auto buttons = request.customButtons.size() + static_cast<std::size_t>(std::popcount(
                                                         static_cast<unsigned>(request.commonButtons)));
    if (buttons > 1) {
        auto custom = std::find_if(request.customButtons.begin(), request.customButtons.end(),
                                   [answer](const TaskDialogButton& b) { return b.id == answer; });
        PrintAnswer(custom != request.customButtons.end() ? custom->text : CommonButtonText(answer));
    }
    return answer;
}
