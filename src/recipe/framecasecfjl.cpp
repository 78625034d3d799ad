#include "recipe/framecasecfjl.h"

#include "core/rights.h"

#include <QVBoxLayout>

Tm_FrameCaseCFJL::Tm_FrameCaseCFJL(QWidget *parent) : TCasePage(QStringLiteral("电子处方"), Rights::ReadRecipe, parent)
{
    m_PageLayout->addStretch(1);
}
