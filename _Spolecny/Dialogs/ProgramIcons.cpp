#include "ProgramIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace {

// Every icon is drawn on a 64 x 64 canvas and scaled to the size asked for.
constexpr qreal kCanvas = 64.0;

void PaintBin(QPainter& p)
{
    const QColor body(88, 104, 120);
    p.setPen(QPen(body.darker(130), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(150, 168, 186));
    QPainterPath can;
    can.moveTo(16, 20);
    can.lineTo(48, 20);
    can.lineTo(44, 58);
    can.lineTo(20, 58);
    can.closeSubpath();
    p.drawPath(can);
    p.setPen(QPen(body.darker(130), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : {25.0, 32.0, 39.0}) p.drawLine(QPointF(x, 26), QPointF(x, 52));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(11, 12, 42, 7), 2, 2);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(25, 6, 14, 6), 2, 2);
}

void PaintPencil(QPainter& p)
{
    p.translate(32, 32);
    p.rotate(45);
    p.setPen(QPen(QColor(70, 50, 20), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(245, 190, 40));
    p.drawRect(QRectF(-7, -26, 14, 36));
    p.setBrush(QColor(230, 120, 130));
    p.drawRect(QRectF(-7, -32, 14, 6));
    QPainterPath tip;
    tip.moveTo(-7, 10);
    tip.lineTo(7, 10);
    tip.lineTo(0, 27);
    tip.closeSubpath();
    p.setBrush(QColor(240, 215, 170));
    p.drawPath(tip);
    QPainterPath lead;
    lead.moveTo(-2.5, 21);
    lead.lineTo(2.5, 21);
    lead.lineTo(0, 27);
    lead.closeSubpath();
    p.setBrush(QColor(40, 40, 40));
    p.drawPath(lead);
}

void PaintAdd(QPainter& p)
{
    p.setPen(QPen(QColor(20, 110, 40), 2.5));
    p.setBrush(QColor(60, 170, 80));
    p.drawEllipse(QRectF(5, 5, 54, 54));
    p.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(32, 18), QPointF(32, 46));
    p.drawLine(QPointF(18, 32), QPointF(46, 32));
}

void PaintSheet(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(60, 80, 110), 2.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(140, 160, 190), 2));
    for (qreal y = r.top() + 9; y < r.bottom() - 4; y += 7)
        p.drawLine(QPointF(r.left() + 6, y), QPointF(r.right() - 6, y));
}

void PaintCopy(QPainter& p)
{
    PaintSheet(p, QRectF(6, 6, 32, 40));
    PaintSheet(p, QRectF(24, 18, 32, 40));
}

void PaintPipes(QPainter& p)
{
    // Pipe ends seen head-on, stacked in a bundle: outer wall, bore.
    const std::array<QPointF, 6> centres = {
        QPointF(18, 44), QPointF(32, 44), QPointF(46, 44),
        QPointF(25, 31), QPointF(39, 31), QPointF(32, 18)};
    for (const QPointF& c : centres) {
        p.setPen(QPen(QColor(30, 70, 120), 2));
        p.setBrush(QColor(70, 130, 200));
        p.drawEllipse(c, 7.5, 7.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 240, 250));
        p.drawEllipse(c, 4.0, 4.0);
    }
    p.setPen(QPen(QColor(150, 90, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 53), QPointF(56, 53));
}

using Painter = void (*)(QPainter&);

Painter PainterFor(int resourceId)
{
    switch (resourceId) {
    case kIconDelete: return PaintBin;
    case kIconEdit: return PaintPencil;
    case kIconAdd: return PaintAdd;
    case kIconCopy: return PaintCopy;
    case kIconPipes: return PaintPipes;
    default: return nullptr;
    }
}

} // namespace

QIcon LoadProgramIcon(int resourceId)
{
    Painter paint = PainterFor(resourceId);
    if (!paint) return {};
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / kCanvas, size / kCanvas);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
