#pragma once
// Helpers for driving dialogs in QtTest without ever blocking: an action that runs on the
// next modal dialog once it is up, with a watchdog that closes a dialog left open.

#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Runs `act` on the next modal widget that appears (polled every 10 ms). If the modal widget
// is still open `timeoutMs` after `act` ran, or none appears in that time, the watchdog closes
// it so that the test fails instead of hanging.
inline void WhenModalShown(std::function<void(QWidget*)> act, int timeoutMs = 5000)
{
    QWidget* before = QApplication::activeModalWidget();
    // The application owns the poll timer until it has done its work: the timer does not
    // own itself through its own handler, which would keep it alive for ever.
    auto* timer = new QTimer(QApplication::instance());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited = 0, before, act, timeoutMs]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        waited += 10;
        if (modal && modal != before && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            QPointer<QWidget> guard(modal);
            act(modal);
            auto* watchdog = new QTimer(QApplication::instance());
            watchdog->setSingleShot(true);
            QObject::connect(watchdog, &QTimer::timeout, watchdog, [watchdog, guard] {
                watchdog->deleteLater();
                if (guard && guard->isVisible()) {
                    if (auto* dialog = qobject_cast<QDialog*>(guard.data())) dialog->done(-99);
                    else guard->close();
                }
            });
            watchdog->start(timeoutMs);
        } else if (waited > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

inline bool IsDark(QRgb pixel)
{
    return qRed(pixel) < 80 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}

// A pixel of text drawn in a blue colour (anti-aliased edges included).
inline bool IsBluish(QRgb pixel)
{
    return qBlue(pixel) > qRed(pixel) + 40;
}
