#include "QuitAfterStart.h"

#include "QyDlgMatEdituj.h"
#include "TextConvert.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

void WriteBox(const std::u16string& title, const std::u16string& text, const std::u16string& content)
{
    std::string line = Utf16ToUtf8(title) + ": " + Utf16ToUtf8(text);
    if (!content.empty()) line += "\n" + Utf16ToUtf8(content);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

// Ends the dialog's modal run after its first paint. QDialog::done, not reject: Cancel could
// ask a question, and this run answers none.
class CloseAfterFirstPaint : public QObject {
public:
    explicit CloseAfterFirstPaint(QDialog& dialog) : QObject(&dialog), m_dialog(&dialog)
    {
        dialog.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_dialog && event->type() == QEvent::Paint && !m_closing) {
            m_closing = true;
            QTimer::singleShot(0, this, [dialog = m_dialog] {
                if (dialog) dialog->QDialog::done(QDialog::Rejected);
            });
        }
        return false;
    }

private:
    QPointer<QDialog> m_dialog;
    bool m_closing = false;
};

} // namespace

bool AskedToQuitAfterStart(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && std::strcmp(argv[i], kQuitAfterStartOption) == 0) return true;
    }
    return false;
}

int MessagesToStandardError::ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon,
                                         MessageButtons, MessageOwner)
{
    WriteBox(title, text, u"");
    return IDNONE;
}

int MessagesToStandardError::ShowTaskDialog(const TaskDialogSpec& request)
{
    WriteBox(request.title, request.mainInstruction, request.content);
    return IDNONE;
}

ApplicationHooks QuitAfterStartHooks(WindowServices& services)
{
    ApplicationHooks hooks;
    hooks.windowServices = &services;
    hooks.beforeEditing = [](CQyDlgMatEdituj& dialog) { new CloseAfterFirstPaint(dialog); };
    return hooks;
}
