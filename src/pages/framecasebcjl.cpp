#include "pages/framecasebcjl.h"

#include "core/rights.h"

Tm_FrameCaseBCJL::Tm_FrameCaseBCJL(QWidget *parent) : TCasePage(QStringLiteral("病程记录"), Rights::ReadProgressNotes, parent)
{
}
