#include "pages/framecasefzjc.h"

#include "core/rights.h"

#include <QVBoxLayout>

Tm_FrameCaseFZJC::Tm_FrameCaseFZJC(QWidget *parent) : TCasePage(QStringLiteral("辅助检查"), Rights::ReadExamination, parent)
{
    m_PageLayout->addStretch(1);
}
