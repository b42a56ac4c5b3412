#pragma once
// The error balloon shown at a field whose input was refused: a small tooltip-like window
// under the field, pointing at it, with the large error icon, a bold title and the text.
// It does not take the focus; it hides after a while, or when its owner hides it.

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

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QWidget* m_owner;
    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_text;
    QTimer m_hideTimer;
    int m_tailX = 16;
};
