#pragma once

#include <QString>

// The logged-in operator, copied by value to the screens that need it.
struct CUserSecurityData {
    QString UserName;
    int UserSN = -1;
    QString Password;  // never the stored hash's plain text; see the login
    quint32 Rights = 0; // one bit per right
    int GroupSN = 0;    // module number(s)
    int SectionSN = -1;
    int Reserved = 0;
};
