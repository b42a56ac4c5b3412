#pragma once
// The error balloon shown at a field whose input was refused: a small tooltip-like window
// under the field, pointing at it, with the large error icon, a bold title and the text.
// It does not take the focus; it hides after a while, or when its owner hides it.
//
// Its rounded corners and tail need the desktop to show what lies around them: where windows
// are composited (Wayland, an X11 compositing manager) the window is translucent; elsewhere
// (a plain X11 window manager, a remote desktop) it is cut to its shape with a window mask,
// so that the corners show no black.

#include <QPainterPath>
#include <QString>
#include <QTimer>
#include <QWidget>

class QLabel;

class CErrorBalloon : public QWidget {
    Q_OBJECT

public:
    // `owner` is the field the balloon belongs to; the balloon is deleted with it.
    explicit CErrorBalloon(QWidget* owner);

    // Shows the balloon under the owner, its tail at `anchorX` (owner coordinates).
    void ShowAt(int anchorX, const QString& title, const QString& text);
    QString Title() const;
    QString Text() const;

    static constexpr int kShowMilliseconds = 10000;

    // Whether the desktop composites windows, so that translucent pixels show what lies behind.
    static bool DesktopComposites();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPainterPath Shape() const;

    QWidget* m_owner;
    bool m_translucent;
    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_text;
    QTimer m_hideTimer;
    int m_tailX = 16;
};
