#include "CheckedEdit.h"

#include "ErrorBalloon.h"
#include "QtGuard.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

const QColor kInvalidBackground(255, 255, 160);
const QColor kInvalidText(255, 0, 0);

bool IsPrintable(const QString& text)
{
    if (text.isEmpty()) return false;
    for (QChar c : text) {
        if (!c.isPrint() && !c.isSurrogate()) return false;
    }
    return true;
}

} // namespace

CCheckedEdit::CCheckedEdit(TextCheck textCheck_, KeyCheck keyCheck_, const QString& balloonText_,
                           const QString& balloonTitle_, int maxLength_, QWidget* parent)
    : QLineEdit(parent),
      balloonText(balloonText_),
      balloonTitle(balloonTitle_.isEmpty() ? DefaultBalloonTitle() : balloonTitle_),
      keyCheck(std::move(keyCheck_)),
      textCheck(std::move(textCheck_)),
      maxLength(maxLength_)
{
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        Guarded([&] { OnTextChanged(text); });
    });
    ApplyColours();
}

CCheckedEdit::CCheckedEdit(QWidget* parent) : CCheckedEdit(nullptr, nullptr, QString(), QString(), -1, parent)
{
}

CCheckedEdit::~CCheckedEdit() = default;

void CCheckedEdit::ApplyStandardChecks(InputKind kind, int maxLength_)
{
    StandardChecks checks = StandardChecksFor(kind);
    keyCheck = std::move(checks.keyCheck);
    textCheck = std::move(checks.textCheck);
    maxLength = maxLength_;
    balloonText = maxLength_ >= 0 ? BalloonTextWithLimit(checks.balloonText, maxLength_) : checks.balloonText;
}

QString CCheckedEdit::TrimTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace()) --end;
    return text.left(end);
}

// --- Typing ---------------------------------------------------------------------------------

QString CCheckedEdit::AcceptTyped(const QString& typed)
{
    QString filtered = typed;
    if (charFilter) {
        std::wstring characters = typed.toStdWString();
        for (wchar_t& c : characters) charFilter(c);
        filtered = QString::fromStdWString(characters);
    }
    if (!keyCheck && maxLength < 0) return filtered;

    const QString current = QLineEdit::text();
    // A text at (or, after a paste, beyond) the limit takes no more typing, even where the
    // character would replace a selection.
    if (maxLength >= 0 && current.size() >= maxLength) return QString();

    if (keyCheck) {
        const qsizetype start = hasSelectedText() ? selectionStart() : cursorPosition();
        const qsizetype length = hasSelectedText() ? selectedText().size() : 0;
        QString prospective = current;
        prospective.replace(start, length, filtered);
        if (!keyCheck(prospective.toStdWString())) return QString();
    }
    return filtered;
}

void CCheckedEdit::Refuse()
{
    QApplication::beep();
    ShowBalloon();
}

void CCheckedEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const Qt::KeyboardModifiers mods = event->modifiers();
    // Control combinations (Ctrl+V, Ctrl+A...) type nothing, whatever text the event carries;
    // Ctrl+Alt is AltGr on some platforms and does type.
    const bool control = (mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier);
    if (isReadOnly() || control || !IsPrintable(typed)) {
        // Backspace, Enter, control combinations and the like are no typed characters.
        QLineEdit::keyPressEvent(event);
        return;
    }
    bool refused = false;
    QString accepted;
    Guarded([&] {
        accepted = AcceptTyped(typed);
        refused = accepted.isNull();
    });
    if (refused) {
        event->accept();
        Guarded([&] { Refuse(); });
        return;
    }
    HideBalloon();
    if (accepted == typed) QLineEdit::keyPressEvent(event);
    else insert(accepted);
}

void CCheckedEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    if (isReadOnly() || !IsPrintable(commit)) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    bool refused = false;
    QString accepted;
    Guarded([&] {
        accepted = AcceptTyped(commit);
        refused = accepted.isNull();
    });
    QInputMethodEvent changed(event->preeditString(), event->attributes());
    changed.setCommitString(refused ? QString() : accepted, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&changed);
    if (refused) Guarded([&] { Refuse(); });
}

// --- Whole-text check and colours -----------------------------------------------------------------

bool CCheckedEdit::RunTextCheck()
{
    bool now = true;
    if (textCheck) {
        checkedText = TrimTrailingBlanks(QLineEdit::text());
        if (checkedText.isEmpty()) now = allowEmpty;
        else if (maxLength >= 0 && checkedText.size() > maxLength) now = false;
        else now = textCheck(checkedText.toStdWString());
    }
    valid = now;
    if (m_coloursValid != valid) ApplyColours();
    return valid;
}

bool CCheckedEdit::CheckText()
{
    return RunTextCheck();
}

void CCheckedEdit::OnTextChanged(const QString& text)
{
    if (suppressChange) {
        // The field put its own trimmed text back: nothing to check, nothing to pass on.
        suppressChange = false;
        return;
    }
    if (RunTextCheck()) emit changed(text);
}

void CCheckedEdit::ApplyColours()
{
    m_coloursValid = valid;
    QPalette p = palette();
    const QPalette standard = QApplication::palette(this);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Base, valid ? QColor(Qt::white) : kInvalidBackground);
        p.setColor(group, QPalette::Text, valid ? standard.color(group, QPalette::Text) : kInvalidText);
    }
    p.setColor(QPalette::Disabled, QPalette::Base, Qt::white);
    setPalette(p);
    update();
}

void CCheckedEdit::paintEvent(QPaintEvent* event)
{
    Guarded([this] { RunTextCheck(); });
    QLineEdit::paintEvent(event);
}

// --- Focus loss ---------------------------------------------------------------------------------

void CCheckedEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    Guarded([this] {
        HideBalloon();
        const QString trimmed = TrimTrailingBlanks(QLineEdit::text());
        emit editFinished(trimmed);
        if (trimmed != QLineEdit::text()) {
            suppressChange = true;
            setText(trimmed);
        }
        suppressChange = false;
        emit killFocus();
    });
}

// --- Balloon ---------------------------------------------------------------------------------------

void CCheckedEdit::ShowBalloon()
{
    ShowBalloon(balloonTitle, balloonText);
}

void CCheckedEdit::ShowBalloon(const QString& title, const QString& text)
{
    if (!m_balloon) m_balloon = new CErrorBalloon(this);
    const int anchorX = std::clamp(cursorRect().center().x(), 8, std::max(8, width() - 8));
    m_balloon->ShowAt(anchorX, title, text);
}

void CCheckedEdit::HideBalloon()
{
    if (m_balloon) m_balloon->hide();
}

bool CCheckedEdit::IsBalloonVisible() const
{
    return m_balloon && m_balloon->isVisible();
}
