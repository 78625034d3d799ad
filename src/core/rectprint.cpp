#include "core/rectprint.h"

#include "core/gbk.h"
#include "core/printjob.h"

#include <QFontMetrics>
#include <QPainter>

int PrintTextInRect(QPainter &painter, const QRect &rect, const QByteArray &text, int start, int length)
{
    length = qMin<int>(length, int(text.size()));
    if (start < 0 || length < 0 || !painter.isActive())
        return -1;
    if (start >= length)
        return length;

    const QFontMetrics fm = painter.fontMetrics();
    const int lineHeight = fm.lineSpacing();
    if (rect.width() <= 0 || rect.height() < fm.height())
        return -1;

    // Characters of the rest of the text, each with its byte offset.
    QList<int> starts;
    const QString chars = Gbk::toUnicode(text.mid(start, length - start), &starts);
    const int count = int(chars.size());
    auto byteAt = [&](int i) { return i < count ? start + starts.at(i) : length; };

    int y = rect.top();
    int i = 0;
    while (i < count && y + fm.height() <= rect.bottom() + 1) {
        const int lineStart = i;
        QString line;
        while (i < count) {
            const QChar c = chars.at(i);
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                ++i;
                if (c == QLatin1Char('\r') && i < count && chars.at(i) == QLatin1Char('\n'))
                    ++i;
                break;
            }
            // Keep a surrogate pair together.
            const int units = (c.isHighSurrogate() && i + 1 < count) ? 2 : 1;
            const QString next = line + chars.mid(i, units);
            if (fm.horizontalAdvance(next) > rect.width())
                break;
            line = next;
            i += units;
        }
        if (i == lineStart) // not even one character fits the width
            return -1;
        painter.drawText(QPoint(rect.left(), y + fm.ascent()), line);
        y += lineHeight;
    }
    return byteAt(i);
}

bool PrintTextPages(PrintJob &job, const QRect &rect, const QString &text, const std::function<void()> &nextPage)
{
    const QByteArray bytes = Gbk::fromUnicode(text);
    const int length = int(bytes.size());
    int position = PrintTextInRect(job.painter(), rect, bytes, 0, length);
    while (position >= 0 && position < length) {
        nextPage();
        const int next = PrintTextInRect(job.painter(), rect, bytes, position, length);
        if (next <= position) // no progress: the rectangle holds nothing
            return false;
        position = next;
    }
    return position >= 0;
}
