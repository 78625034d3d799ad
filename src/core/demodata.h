#pragma once

#include <QString>

// A database to try the program on: `zybl --demo DIR` fills it on first use.
namespace DemoData {

inline const QString kAdministrator = QStringLiteral("演示管理员");
inline const QString kPassword = QStringLiteral("demo1234");

// The line the login dialog shows in demo mode.
QString LoginHint();

// Adds the demo administrator (and its department) to the data module's
// database when it lists no operator of this system yet. False on failure.
bool Ensure(QString *error);

} // namespace DemoData
