#include "pages/framecaseblsy.h"

#include "core/rights.h"

Tm_FrameCaseBLSY::Tm_FrameCaseBLSY(QWidget *parent) : TCasePage(QStringLiteral("病历首页"), Rights::ReadFrontPage, parent)
{
}
