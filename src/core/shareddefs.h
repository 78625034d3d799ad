#pragma once

#include <QString>

// Module number of this system among the programs that share the GLOBAL_ tables.
constexpr int kThisModule = 8;

// Lock owner key that stands for the system administrator.
constexpr int kAdministratorSN = 32768;

// Reserved fee categories.
constexpr int kFeeCategoryHerbal = 3;
constexpr int kFeeCategoryWestern = 9;

QString RoleName(int code);
QString ModuleName(int number);
