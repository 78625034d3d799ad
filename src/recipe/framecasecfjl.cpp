#include "recipe/framecasecfjl.h"

#include "core/rights.h"

Tm_FrameCaseCFJL::Tm_FrameCaseCFJL(QWidget *parent) : TCasePage(QStringLiteral("电子处方"), Rights::ReadRecipe, parent)
{
}
