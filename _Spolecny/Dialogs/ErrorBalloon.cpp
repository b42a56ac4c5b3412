#include "ErrorBalloon.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>

#ifdef VELMORA_HAVE_XCB
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace {
constexpr int kTail = 10;   // height of the tail that points at the field
constexpr int kRadius = 6;
const QColor kBackground(255, 255, 225);
#ifdef VELMORA_HAVE_XCB
// An X11 screen is composited while a compositing manager owns the selection _NET_WM_CM_Sn.
bool X11ScreenComposites()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return false;
    int screen = 0;
    const QByteArray display = qgetenv("DISPLAY");
    if (const qsizetype dot = display.lastIndexOf('.'); dot > display.lastIndexOf(':')) screen = display.mid(dot + 1).toInt();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
    if (!atom) return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE) return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool composited = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return composited;
}
#endif

} // namespace

bool CErrorBalloon::DesktopComposites()
{
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland")) || platform == QLatin1String("windows") ||
        platform == QLatin1String("cocoa"))
        return true;
#ifdef VELMORA_HAVE_XCB
    if (platform == QLatin1String("xcb")) return X11ScreenComposites();
#endif
    return false; // offscreen, VNC, framebuffers and an X11 build without xcb: cut to shape
}

CErrorBalloon::CErrorBalloon(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), m_owner(owner),
      m_translucent(DesktopComposites())
{
    setAttribute(Qt::WA_TranslucentBackground, m_translucent);
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
    if (!m_translucent) setMask(QRegion(Shape().toFillPolygon().toPolygon()));
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

QPainterPath CErrorBalloon::Shape() const
{
    const QRectF body = QRectF(rect()).adjusted(0.5, kTail + 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    QPainterPath tail;
    tail.moveTo(m_tailX - kTail, body.top() + 1);
    tail.lineTo(m_tailX, 0.5);
    tail.lineTo(m_tailX + kTail / 2.0, body.top() + 1);
    tail.closeSubpath();
    return path.united(tail);
}

void CErrorBalloon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Cut to a mask, the edge is the mask's: smoothing it would blend with what is not there.
    painter.setRenderHint(QPainter::Antialiasing, m_translucent);
    painter.setPen(QPen(QColor(100, 100, 100), 1));
    painter.setBrush(kBackground);
    painter.drawPath(Shape());
}

void CErrorBalloon::mousePressEvent(QMouseEvent*)
{
    hide();
}
