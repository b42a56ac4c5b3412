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
    auto timer = std::make_shared<QTimer>();
    auto waited = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer.get(), &QTimer::timeout, [timer, waited, before, act, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        *waited += 10;
        if (modal && modal != before && modal->isVisible()) {
            timer->stop();
            QPointer<QWidget> guard(modal);
            act(modal);
            QTimer::singleShot(timeoutMs, [guard] {
                if (guard && guard->isVisible()) {
                    if (auto* dialog = qobject_cast<QDialog*>(guard.data())) dialog->done(-99);
                    else guard->close();
                }
            });
        } else if (*waited > timeoutMs) {
            timer->stop();
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
