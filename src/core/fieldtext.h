#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// Display texts of stored values, for the grids and models that show them.
namespace FieldText {

// Sealer of a case: "无" for -1, "管理员" for the administrator key, else the
// user's name from `userName` (looked up only then).
QString LockOwner(int lockOwnerSN, const std::function<QString(int)> &userName);

// "yyyy-MM-dd"; empty for a missing date.
QString Date(const QDateTime &dateTime);

// 0 "单项处方", 1 "组合处方", 2 "中药处方", else "不详".
QString RecipeType(int typeFlag);

// "住院记帐" or "未记帐".
QString RecipeExecuted(bool executed);

// A price rounded to two decimals in the shortest decimal form.
QString Price(double value);

} // namespace FieldText
