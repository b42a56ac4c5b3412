#include "QtGuard.h"

#include "CWexFunkce.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <stdexcept>
#include <string>

namespace {

// The text of the exception being handled; unknown exceptions get a text of their own.
std::string CurrentExceptionText()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what() ? e.what() : "";
    } catch (...) {
        return "Neznámá chyba";
    }
}

} // namespace

void ReportCurrentException() noexcept
{
    try {
        ShowException(std::runtime_error(CurrentExceptionText()));
    } catch (...) {
        // A report that fails must not become a failure of its own.
    }
}

void ReportCurrentExceptionLater() noexcept
{
    try {
        std::string text = CurrentExceptionText();
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        QMetaObject::invokeMethod(
            app, [text] { ShowException(std::runtime_error(text)); }, Qt::QueuedConnection);
    } catch (...) {
    }
}
