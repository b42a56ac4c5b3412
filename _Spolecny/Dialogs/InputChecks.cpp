#include "InputChecks.h"

// The checks scan the text once. (std::regex matches by recursion, a level per character:
// a pasted page of digits overflowed the stack.)

namespace {

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// \w of the ECMAScript patterns the checks stand for: ASCII letters, digits and '_'.
bool IsWordCharacter(wchar_t c)
{
    return IsDigit(c) || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_';
}

// Skips an optional sign at `i`.
std::size_t AfterSign(const std::wstring& text, std::size_t i = 0)
{
    return i < text.size() && (text[i] == L'+' || text[i] == L'-') ? i + 1 : i;
}

std::size_t AfterDigits(const std::wstring& text, std::size_t i)
{
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i;
}

std::size_t AfterWord(const std::wstring& text, std::size_t i)
{
    while (i < text.size() && IsWordCharacter(text[i])) ++i;
    return i;
}

} // namespace

// [-+]?[0-9]*
bool IsIntegerKeystroke(const std::wstring& text)
{
    return AfterDigits(text, AfterSign(text)) == text.size();
}

// [-+]?[0-9]+
bool IsInteger(const std::wstring& text)
{
    const std::size_t digits = AfterSign(text);
    const std::size_t end = AfterDigits(text, digits);
    return end > digits && end == text.size();
}

// [-+]?[0-9]*(\.[0-9]*)?
bool IsDecimalKeystroke(const std::wstring& text)
{
    std::size_t i = AfterDigits(text, AfterSign(text));
    if (i < text.size() && text[i] == L'.') i = AfterDigits(text, i + 1);
    return i == text.size();
}

// ^[+-]?([0-9]*[.])?[0-9]+$: digits last, at most one point before them.
bool IsDecimal(const std::wstring& text)
{
    std::size_t i = AfterDigits(text, AfterSign(text));
    if (i < text.size() && text[i] == L'.') {
        const std::size_t fraction = i + 1;
        i = AfterDigits(text, fraction);
        return i > fraction && i == text.size();
    }
    return i > AfterSign(text) && i == text.size();
}

// (\w+)
bool IsDigitsOrLetters(const std::wstring& text)
{
    return !text.empty() && AfterWord(text, 0) == text.size();
}

// (\w+)(\.|_)?(\w*)@(\w+)(\.(\w+))+ : a word, perhaps a point and another word, '@', and a
// domain of at least two words joined by points ('_' is a word character itself).
bool IsEmailAddress(const std::wstring& text)
{
    std::size_t i = AfterWord(text, 0);
    if (i == 0) return false;
    if (i < text.size() && text[i] == L'.') i = AfterWord(text, i + 1);
    if (i >= text.size() || text[i] != L'@') return false;
    std::size_t label = i + 1;
    i = AfterWord(text, label);
    if (i == label) return false;
    int points = 0;
    while (i < text.size() && text[i] == L'.') {
        label = i + 1;
        i = AfterWord(text, label);
        if (i == label) return false;
        ++points;
    }
    return points > 0 && i == text.size();
}

bool IsValidFileName(const std::wstring& text)
{
    if (text.empty() || text.front() == L' ' || text.front() == L'.') return false;
    return text.find_first_of(L"\\/:?\"<>|*") == std::wstring::npos;
}

void CommaToPoint(wchar_t& character)
{
    if (character == L',') character = L'.';
}

StandardChecks StandardChecksFor(InputKind kind)
{
    switch (kind) {
    case InputKind::Integer: return {IsIntegerKeystroke, IsInteger, QStringLiteral("Zadejte celé číslo")};
    case InputKind::Decimal: return {IsDecimalKeystroke, IsDecimal, QStringLiteral("Zadejte desetinné číslo")};
    case InputKind::DigitsOrLetters:
        return {IsDigitsOrLetters, IsDigitsOrLetters, QStringLiteral("Zadejte číslice nebo písmena")};
    case InputKind::Email: return {nullptr, IsEmailAddress, QStringLiteral("Zadejte platný email")};
    case InputKind::FileName:
        return {IsValidFileName, IsValidFileName,
                QStringLiteral("Zadejte název bez '<>*:\\?'(platný název souboru Windows)")};
    case InputKind::NoCheck: break;
    }
    return {};
}

QString BalloonTextWithLimit(const QString& kindText, int maxLength)
{
    const QString limit = QStringLiteral("max. %1 znaků").arg(maxLength);
    return kindText.isEmpty() ? limit : kindText + QLatin1Char('\n') + limit;
}
