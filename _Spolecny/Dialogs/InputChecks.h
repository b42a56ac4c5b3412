#pragma once
// The checks of the validated edit field: the function types it plugs in and the standard
// checks of each input kind (regular expressions, ECMAScript grammar, whole-text match).

#include <QString>

#include <functional>
#include <string>

// Asked whether the text a typed character would produce may be typed at all.
using KeyCheck = std::function<bool(const std::wstring& prospectiveText)>;
// Asked whether a finished text (trailing blanks removed) is acceptable.
using TextCheck = std::function<bool(const std::wstring& text)>;
// Applied to a typed character before the checks; may change it.
using CharFilter = std::function<void(wchar_t& character)>;

enum class InputKind { NoCheck, Integer, Decimal, DigitsOrLetters, Email, FileName };

struct StandardChecks {
    KeyCheck keyCheck;   // null when the kind checks no keystrokes
    TextCheck textCheck; // null when the kind checks no text
    QString balloonText; // what the error balloon says
};

// The checks and balloon text of `kind`.
StandardChecks StandardChecksFor(InputKind kind);

// The balloon text of a field with a maximum length: "<text>\nmax. <n> znaků" (just the
// second line when the kind has no text of its own).
QString BalloonTextWithLimit(const QString& kindText, int maxLength);

// The character filter of decimal cells: a typed comma becomes a point.
void CommaToPoint(wchar_t& character);

// The file-name test: fails for an empty text, a text that begins with a space or a point, and
// a text with any of \ / : ? " < > | *.
bool IsValidFileName(const std::wstring& text);

// The standard checks one by one (whole-text matches).
bool IsIntegerKeystroke(const std::wstring& text);
bool IsInteger(const std::wstring& text);
bool IsDecimalKeystroke(const std::wstring& text);
bool IsDecimal(const std::wstring& text);
bool IsDigitsOrLetters(const std::wstring& text);
bool IsEmailAddress(const std::wstring& text);
