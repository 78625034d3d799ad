#include "pages/framecasefzjc.h"

#include "core/rights.h"

Tm_FrameCaseFZJC::Tm_FrameCaseFZJC(QWidget *parent) : TCasePage(QStringLiteral("辅助检查"), Rights::ReadExamination, parent)
{
}
