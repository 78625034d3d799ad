#include "core/imagelists.h"

#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ImageLists {

QPixmap Dustbin(int index)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor body(96, 110, 124);
    const QColor edge(48, 56, 64);

    // The bin: a tapered body with ribs.
    QPainterPath bin;
    bin.moveTo(8, 11);
    bin.lineTo(24, 11);
    bin.lineTo(22, 30);
    bin.lineTo(10, 30);
    bin.closeSubpath();
    p.setPen(QPen(edge, 1));
    p.setBrush(body);
    p.drawPath(bin);
    p.setPen(QPen(edge.lighter(150), 1));
    for (int x : {13, 16, 19})
        p.drawLine(x, 14, x, 27);

    // The lid: flat when closed, tipped back when open.
    p.setPen(QPen(edge, 1));
    p.setBrush(body.lighter(120));
    if (index == 0) {
        p.drawRect(QRectF(6, 7, 20, 3));
        p.drawRect(QRectF(13, 4.5, 6, 2.5));
    } else {
        p.translate(24, 9);
        p.rotate(-55);
        p.drawRect(QRectF(-20, -3, 20, 3));
        p.drawRect(QRectF(-13, -5.5, 6, 2.5));
    }
    return pixmap;
}

QPixmap Operator()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(42, 93, 143));
    p.drawEllipse(QRectF(5, 1.5, 6, 6));
    p.drawRoundedRect(QRectF(2.5, 8.5, 11, 7), 3, 3);
    return pixmap;
}

// A large-button icon: a coloured tile with one character on it.
QIcon Glyph(const QString &glyph, const QColor &colour)
{
    const int size = 64;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, size);
    fill.setColorAt(0, colour.lighter(125));
    fill.setColorAt(1, colour);
    p.setBrush(fill);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, size - 4, size - 4), 12, 12);
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")});
    font.setPixelSize(size / 2);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

} // namespace ImageLists
