#include "pages/framecasejcjl.h"

#include "core/rights.h"

Tm_FrameCaseJCJL::Tm_FrameCaseJCJL(QWidget *parent) : TCasePage(QStringLiteral("健康监测"), Rights::ReadMonitoring, parent)
{
}
