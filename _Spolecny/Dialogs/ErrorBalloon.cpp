#include "ErrorBalloon.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>

namespace {
constexpr int kTail = 10;   // height of the tail that points at the field
constexpr int kRadius = 6;
const QColor kBackground(255, 255, 225);
} // namespace

CErrorBalloon::CErrorBalloon(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), m_owner(owner)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);

    m_icon = new QLabel(this);
    m_icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    m_title = new QLabel(this);
    m_title->setTextFormat(Qt::PlainText);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(false);

    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::black);
    m_title->setPalette(p);
    m_text->setPalette(p);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(10, 8 + kTail, 12, 10);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(4);
    layout->addWidget(m_icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(m_title, 0, 1);
    layout->addWidget(m_text, 1, 1);

    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void CErrorBalloon::ShowAt(int anchorX, const QString& title, const QString& text)
{
    m_title->setText(title);
    m_title->setVisible(!title.isEmpty());
    m_text->setText(text);
    m_text->setVisible(!text.isEmpty());
    adjustSize();

    // The tail points at the anchor just below the field; the body keeps on the screen.
    const QPoint target = m_owner->mapToGlobal(QPoint(anchorX, m_owner->height() - 2));
    QPoint topLeft(target.x() - 16, target.y());
    if (const QScreen* screen = m_owner->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - width())));
    }
    m_tailX = std::clamp(target.x() - topLeft.x(), kRadius + kTail, std::max(kRadius + kTail, width() - kRadius - kTail));
    move(topLeft);
    show();
    update();
    m_hideTimer.start(kShowMilliseconds);
}

QString CErrorBalloon::Title() const
{
    return m_title->text();
}

QString CErrorBalloon::Text() const
{
    return m_text->text();
}

void CErrorBalloon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(0.5, kTail + 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    QPainterPath tail;
    tail.moveTo(m_tailX - kTail, body.top() + 1);
    tail.lineTo(m_tailX, 0.5);
    tail.lineTo(m_tailX + kTail / 2.0, body.top() + 1);
    tail.closeSubpath();
    path = path.united(tail);
    painter.setPen(QPen(QColor(100, 100, 100), 1));
    painter.setBrush(kBackground);
    painter.drawPath(path);
}

void CErrorBalloon::mousePressEvent(QMouseEvent*)
{
    hide();
}
