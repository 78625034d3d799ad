#include "core/fieldtext.h"

#include "core/numfmt.h"
#include "core/shareddefs.h"

namespace FieldText {

QString LockOwner(int lockOwnerSN, const std::function<QString(int)> &userName)
{
    if (lockOwnerSN == -1)
        return QStringLiteral("无");
    if (lockOwnerSN == kAdministratorSN)
        return QStringLiteral("管理员");
    return userName ? userName(lockOwnerSN) : QString();
}

QString Date(const QDateTime &dateTime)
{
    return dateTime.isValid() ? dateTime.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString RecipeType(int typeFlag)
{
    switch (typeFlag) {
    case 0: return QStringLiteral("单项处方");
    case 1: return QStringLiteral("组合处方");
    case 2: return QStringLiteral("中药处方");
    default: return QStringLiteral("不详");
    }
}

QString RecipeExecuted(bool executed)
{
    return executed ? QStringLiteral("住院记帐") : QStringLiteral("未记帐");
}

QString Price(double value)
{
    return NumFmt::Shortest(value, 2);
}

} // namespace FieldText
