#include "ScriptedWindowServices.h"

#include "TextConvert.h"

std::string RecordedPrompt::Title() const { return Utf16ToUtf8(title); }
std::string RecordedPrompt::Text() const { return Utf16ToUtf8(text); }
std::string RecordedPrompt::Content() const { return Utf16ToUtf8(content); }

int ScriptedWindowServices::NextAnswer(int fallback)
{
    if (m_answers.empty()) return fallback;
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

int ScriptedWindowServices::ShowMessage(const std::u16string& text, const std::u16string& title,
                                        MessageIcon icon, MessageButtons buttons, MessageOwner owner)
{
    RecordedPrompt prompt;
    prompt.kind = RecordedPrompt::Kind::Message;
    prompt.title = title;
    prompt.text = text;
    prompt.icon = icon;
    prompt.buttons = buttons;
    prompt.owner = owner;
    prompt.answer = NextAnswer(DefaultAnswer(buttons));
    m_prompts.push_back(prompt);
    return prompt.answer;
}

int ScriptedWindowServices::ShowTaskDialog(const TaskDialogSpec& request)
{
    RecordedPrompt prompt;
    prompt.kind = RecordedPrompt::Kind::TaskDialog;
    prompt.title = request.title;
    prompt.text = request.mainInstruction;
    prompt.content = request.content;
    prompt.icon = request.icon;
    prompt.owner = request.owner;
    prompt.task = request;
    prompt.answer = NextAnswer(DefaultAnswer(request));
    m_prompts.push_back(prompt);
    return prompt.answer;
}
