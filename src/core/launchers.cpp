#include "core/launchers.h"

namespace {
constexpr int kCancel = 2;
}

int SelectCase(const CUserSecurityData &, const QString &, quint8, int, int &caseNumber)
{
    caseNumber = -1;
    return kCancel;
}

bool ShowLoginDialog(CUserSecurityData &)
{
    return false;
}

int SelectFormula(const QString &, int &, QString &)
{
    return kCancel;
}

int SelectHerbType(const QString &, int &, QString &)
{
    return kCancel;
}

int SelectRecipe(const QString &, int &, int)
{
    return kCancel;
}
