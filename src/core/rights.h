#pragma once

#include <QString>
#include <QList>

// Bits of an operator's rights mask (GLOBAL_UserLib.Property); a right is held
// when (mask & bit) != 0. Bits 1024 and 65536 carry no right.
namespace Rights {

constexpr quint32 SystemAdmin = 1;          // "系统管理员权限"
constexpr quint32 Admission = 2;            // "出入院登记权限"
constexpr quint32 ReadFrontPage = 4;        // "查阅病历首页权限"
constexpr quint32 EditFrontPage = 8;        // "编辑病历首页权限"
constexpr quint32 ReadProgressNotes = 16;   // "查阅病程记录权限"
constexpr quint32 AddProgressNotes = 32;    // "增加病程记录权限"
constexpr quint32 DeleteProgressNotes = 64; // "删除病程记录权限"
constexpr quint32 DeleteRecipe = 128;       // "删除处方权限"
constexpr quint32 WriteRecipe = 256;        // "书写处方权限"
constexpr quint32 ReadRecipe = 512;         // "查阅处方权限"
constexpr quint32 ReadMonitoring = 2048;    // "查阅监测记录权限"
constexpr quint32 AddMonitoring = 4096;     // "增加监测数据权限"
constexpr quint32 DeleteMonitoring = 8192;  // "删除监测数据权限"
constexpr quint32 AssignBedAndStaff = 16384; // "设置病人主管医师权限"
constexpr quint32 Deposits = 32768;         // "设置住院收费权限"
constexpr quint32 Statistics = 131072;      // "病案资料统计权限"
constexpr quint32 AddExamination = 262144;  // "增加辅助检查权限"
constexpr quint32 DeleteExamination = 524288; // "删除辅助检查权限"
constexpr quint32 ReadExamination = 1048576;  // "查阅辅助检查权限"
constexpr quint32 FeeEntry = 2097152;       // "住院费用记帐权限"

struct Right {
    quint32 bit;
    const char *caption;
};

// Every right with the caption under which it is granted, in bit order.
const QList<Right> &all();

// The mask holding every right.
quint32 allRights();

inline bool has(quint32 mask, quint32 bit) { return (mask & bit) != 0; }

} // namespace Rights
