#include "core/statuspanels.h"

#include <QLabel>
#include <QStatusBar>

QList<QLabel *> AddStatusPanels(QStatusBar *bar, const QList<int> &stretches)
{
    QList<QLabel *> panels;
    for (int i = 0; i < stretches.size(); ++i) {
        auto *label = new QLabel(bar);
        label->setObjectName(QStringLiteral("m_StatusPanel_%1").arg(i));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(6, 0, 6, 0);
        bar->addWidget(label, stretches.at(i));
        panels << label;
    }
    return panels;
}
