#include "core/shiftcontrols.h"

#include <QWidget>

void ShiftControlsBelow(QWidget *panel, QWidget *control, int delta)
{
    if (!panel || !control || delta == 0)
        return;
    const int top = control->y();
    const auto children = panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (child->y() > top)
            child->move(child->x(), child->y() + delta);
    }
}
