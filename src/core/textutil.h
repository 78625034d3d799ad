#pragma once

#include <QString>

// `text` without its trailing blanks: user names, passwords and department
// names are read this way from the shared tables.
QString TrimRight(const QString &text);
