#pragma once

#include <QList>

class QLabel;
class QStatusBar;

// Fills a status bar with sunken text panels, one per stretch factor (0 keeps
// a panel at its text's width), named m_StatusPanel_0, m_StatusPanel_1, ...
QList<QLabel *> AddStatusPanels(QStatusBar *bar, const QList<int> &stretches);
