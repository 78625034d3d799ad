#pragma once

#include <QString>

// The logged-in operator, copied by value to the screens that need it.
struct CUserSecurityData {
    QString UserName;
    int UserSN = -1;
    QString Password;  // the stored password hash; unlocks the workstation
    quint32 Rights = 0; // one bit per right
    int GroupSN = 0;    // module number(s)
    int SectionSN = -1;
    int Reserved = 0;
};
