#pragma once
// Window services for tests and fuzzers: every box is recorded, answers come from a queue
// (the box's default answer when the queue is empty). Never blocks.

#include "WindowServices.h"

#include <deque>
#include <string>
#include <vector>

struct RecordedPrompt {
    enum class Kind { Message, TaskDialog };
    Kind kind = Kind::Message;
    std::u16string title;
    std::u16string text;            // message text, or the task dialog's main instruction
    std::u16string content;         // task dialog only
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok; // message only
    MessageOwner owner = MessageOwner::ActiveWindow;
    TaskDialogSpec task;            // task dialog only: the whole request
    int answer = 0;

    // UTF-8 forms, convenient in test assertions.
    std::string Title() const;
    std::string Text() const;
    std::string Content() const;
};

class ScriptedWindowServices : public WindowServices {
public:
    int ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon icon,
                    MessageButtons buttons, MessageOwner owner = MessageOwner::ActiveWindow) override;
    int ShowTaskDialog(const TaskDialogSpec& request) override;

    // Queues the answer to the next box.
    void QueueAnswer(int answer) { m_answers.push_back(answer); }

    const std::vector<RecordedPrompt>& Prompts() const { return m_prompts; }
    void ClearPrompts() { m_prompts.clear(); }
    std::size_t PendingAnswers() const { return m_answers.size(); }

private:
    int NextAnswer(int fallback);

    std::deque<int> m_answers;
    std::vector<RecordedPrompt> m_prompts;
};
