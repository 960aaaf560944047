#include "records/LockIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap draw(LockState state, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.scale(s, s);
    if (state == LockState::Unknown) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x9e, 0x9e, 0x9e));
        p.drawEllipse(QRectF(2, 2, 28, 28));
        QFont f;
        f.setBold(true);
        f.setPixelSize(22);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, QStringLiteral("?"));
        return pm;
    }
    const bool open = state == LockState::Open;
    const QColor body = open ? QColor(0xd3, 0x2f, 0x2f) : QColor(0x2e, 0x7d, 0x32);
    // The shackle: lifted and swung aside when open.
    QPen shackle(QColor(0x60, 0x60, 0x60), 3.5);
    p.setPen(shackle);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    if (open) {
        path.moveTo(22, 8);
        path.arcTo(QRectF(14, 1, 14, 14), 0, 180);
        path.lineTo(14, 8);
        path.moveTo(28, 8);
        path.lineTo(28, 12);
    } else {
        path.moveTo(10, 16);
        path.lineTo(10, 11);
        path.arcTo(QRectF(10, 4, 12, 14), 180, -180);
        path.lineTo(22, 16);
    }
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(5, 15, 22, 15), 3, 3);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 19, 4, 4));
    p.drawRect(QRectF(15.2, 22, 1.6, 5));
    return pm;
}

}  // namespace

namespace LockIcons {

QIcon of(LockState state)
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(draw(state, size));
    return icon;
}

}  // namespace LockIcons
