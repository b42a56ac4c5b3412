#pragma once
// A single-line edit that checks its text while the user types. A typed character that would
// make the text impossible (keystroke check, maximum length) is refused with a beep and the
// error balloon at the field; a text that is not acceptable as a whole (whole-text check) turns
// the field light yellow with red text. Pasted or programmatically set text is never refused,
// only coloured.
//
// Owners may set the public members between uses (the tree-list reconfigures its cell editor
// for each edit). Two members are named apart from the design because QLineEdit owns the
// names: the trimmed text last checked is `checkedText`, and `maxLength` hides
// QLineEdit::maxLength() (the typing limit of the edit itself, which this field leaves alone).

#include "ErrorBalloon.h"
#include "InputChecks.h"

#include <QLineEdit>
#include <QPointer>

class CCheckedEdit : public QLineEdit {
    Q_OBJECT

public:
    // Checks may be null; an empty title means "Chybný vstup"; maxLength -1: no limit.
    explicit CCheckedEdit(TextCheck textCheck = nullptr, KeyCheck keyCheck = nullptr,
                          const QString& balloonText = QString(), const QString& balloonTitle = QString(),
                          int maxLength = -1, QWidget* parent = nullptr);
    explicit CCheckedEdit(QWidget* parent);
    ~CCheckedEdit() override;

    static QString DefaultBalloonTitle() { return QStringLiteral("Chybný vstup"); }

    // Takes the checks and balloon text of a standard kind; with a maximum length the balloon
    // text names it. The title, allowEmpty and charFilter are left as they are.
    void ApplyStandardChecks(InputKind kind, int maxLength = -1);

    // Runs the whole-text check now (as a change or a repaint does) and returns `valid`.
    bool CheckText();

    // The error balloon at the field: with balloonTitle and balloonText, or with the given texts.
    void ShowBalloon();
    void ShowBalloon(const QString& title, const QString& text);
    void HideBalloon();
    // The balloon, or null before it was first shown (tests read its texts).
    const CErrorBalloon* Balloon() const { return m_balloon.data(); }
    bool IsBalloonVisible() const;

    bool valid = true;           // result of the last whole-text check
    bool allowEmpty = false;     // an empty or all-blank text counts as valid
    bool suppressChange = false; // the next change comes from the field itself: swallow it
    QString balloonText;
    QString balloonTitle;
    QString checkedText;         // the text last checked, trailing blanks removed
    KeyCheck keyCheck;
    TextCheck textCheck;
    CharFilter charFilter;
    int maxLength = -1;          // characters; negative: no limit

    // The text with trailing blanks removed.
    static QString TrimTrailingBlanks(const QString& text);

signals:
    // A change of the text while it is valid (or when there is no whole-text check).
    void changed(const QString& text);
    // Focus loss: the text with trailing blanks removed, before it is put back into the field.
    void editFinished(const QString& trimmedText);
    // Focus loss, always, after editFinished.
    void killFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The typed text after the filter, or a null string when the field refuses it.
    QString AcceptTyped(const QString& typed);
    void Refuse();
    void OnTextChanged(const QString& text);
    bool RunTextCheck();
    void ApplyColours();

    QPointer<CErrorBalloon> m_balloon;
    bool m_coloursValid = true;
};
