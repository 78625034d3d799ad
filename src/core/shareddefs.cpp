#include "core/shareddefs.h"

QString RoleName(int code)
{
    switch (code) {
    case 1: return QStringLiteral("管 理 员");
    case 2: return QStringLiteral("临床医生");
    case 3: return QStringLiteral("护理人员");
    case 4: return QStringLiteral("后勤人员");
    case 5: return QStringLiteral("检验人员");
    case 6: return QStringLiteral("收费人员");
    case 7: return QStringLiteral("药房人员");
    default: return QStringLiteral("未知");
    }
}

QString ModuleName(int number)
{
    switch (number) {
    case 1: return QStringLiteral("检验科系统");
    case 2: return QStringLiteral("门诊病历系统");
    case 4: return QStringLiteral("药店进销系统");
    case 8: return QStringLiteral("住院病历系统");
    default: return QStringLiteral("不详细");
    }
}
