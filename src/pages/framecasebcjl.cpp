#include "pages/framecasebcjl.h"

#include "core/rights.h"

#include <QVBoxLayout>

Tm_FrameCaseBCJL::Tm_FrameCaseBCJL(QWidget *parent) : TCasePage(QStringLiteral("病程记录"), Rights::ReadProgressNotes, parent)
{
    m_PageLayout->addStretch(1);
}
