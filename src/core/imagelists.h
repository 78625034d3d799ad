#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// Pictures the screens share.
namespace ImageLists {

// The waste bin, 32 by 32: 0 closed, 1 with its lid open.
QPixmap Dustbin(int index);

// A small operator figure, 16 by 16, for lists of people.
QPixmap Operator();

// A large-button icon: a coloured tile with one character on it.
QIcon Glyph(const QString &glyph, const QColor &colour);

} // namespace ImageLists
