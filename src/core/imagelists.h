#pragma once

#include <QPixmap>

// Pictures the screens share.
namespace ImageLists {

// The waste bin, 32 by 32: 0 closed, 1 with its lid open.
QPixmap Dustbin(int index);

// A small operator figure, 16 by 16, for lists of people.
QPixmap Operator();

} // namespace ImageLists
