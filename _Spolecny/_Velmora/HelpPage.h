#pragma once
// The online help page of the catalog dialogs ("?" in both dialogs). Its address is kept
// here and only here.

#include <QDesktopServices>
#include <QUrl>

// The manufacturer's help page for the pipe-material catalog.
inline constexpr const char* kHelpPageUrl = "https://www.brevanti.cz/velmora/napoveda/";

// Opens the help page with the desktop's default browser. A failure is not reported: the
// page is a convenience, and there is nothing the user could do about a missing browser.
inline void OpenHelpPage()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHelpPageUrl)));
}
