#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <functional>

class QPainter;
class PrintJob;

// Prints GBK text into a rectangle of the current page with the painter's font
// and pen, wrapped at the rectangle's width; CR LF (or a lone CR or LF) starts
// a new line. `start` and the result are byte offsets into `text`, `length`
// its byte length. Returns the offset of the first byte that did not fit
// (>= length when the text is done), or -1 when not even one character fits
// the rectangle or the arguments are out of range: a page loop must stop then.
int PrintTextInRect(QPainter &painter, const QRect &rect, const QByteArray &text, int start, int length);

// The page loop around it: prints `text` into `rect`, and while text is left,
// calls `nextPage` (which starts a new page and prints its heading) and goes
// on in the same rectangle. False when the rectangle cannot hold a character.
bool PrintTextPages(PrintJob &job, const QRect &rect, const QString &text, const std::function<void()> &nextPage);
