#include "pages/framecasejcjl.h"

#include "core/rights.h"

#include <QVBoxLayout>

Tm_FrameCaseJCJL::Tm_FrameCaseJCJL(QWidget *parent) : TCasePage(QStringLiteral("健康监测"), Rights::ReadMonitoring, parent)
{
    m_PageLayout->addStretch(1);
}
