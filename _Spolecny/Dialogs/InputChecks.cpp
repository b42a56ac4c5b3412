#include "InputChecks.h"

#include <regex>

namespace {

// Every check compiles its pattern once, on first use.
std::wregex Compile(const wchar_t* expression)
{
    return std::wregex(expression, std::regex_constants::ECMAScript);
}

} // namespace

bool IsIntegerKeystroke(const std::wstring& text)
{
    static const std::wregex pattern = Compile(L"[-+]?[0-9]*");
    return std::regex_match(text, pattern);
}

bool IsInteger(const std::wstring& text)
{
    static const std::wregex pattern = Compile(L"[-+]?[0-9]+");
    return std::regex_match(text, pattern);
}

bool IsDecimalKeystroke(const std::wstring& text)
{
    static const std::wregex pattern = Compile(L"[-+]?[0-9]*(\\.[0-9]*)?");
    return std::regex_match(text, pattern);
}

bool IsDecimal(const std::wstring& text)
{
    static const std::wregex pattern = Compile(L"^[+-]?([0-9]*[.])?[0-9]+$");
    return std::regex_match(text, pattern);
}

bool IsDigitsOrLetters(const std::wstring& text)
{
    static const std::wregex pattern = Compile(L"(\\w+)");
    return !text.empty() && std::regex_match(text, pattern);
}

bool IsEmailAddress(const std::wstring& text)
{
    static const std::wregex pattern = Compile(L"(\\w+)(\\.|_)?(\\w*)@(\\w+)(\\.(\\w+))+");
    return !text.empty() && std::regex_match(text, pattern);
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
