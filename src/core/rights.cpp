#include "core/rights.h"

namespace Rights {

const QList<Right> &all()
{
    static const QList<Right> rights = {
        {SystemAdmin, "系统管理员权限"},       {Admission, "出入院登记权限"},
        {ReadFrontPage, "查阅病历首页权限"},   {EditFrontPage, "编辑病历首页权限"},
        {ReadProgressNotes, "查阅病程记录权限"}, {AddProgressNotes, "增加病程记录权限"},
        {DeleteProgressNotes, "删除病程记录权限"}, {DeleteRecipe, "删除处方权限"},
        {WriteRecipe, "书写处方权限"},         {ReadRecipe, "查阅处方权限"},
        {ReadMonitoring, "查阅监测记录权限"},  {AddMonitoring, "增加监测数据权限"},
        {DeleteMonitoring, "删除监测数据权限"}, {AssignBedAndStaff, "设置病人主管医师权限"},
        {Deposits, "设置住院收费权限"},        {Statistics, "病案资料统计权限"},
        {AddExamination, "增加辅助检查权限"},  {DeleteExamination, "删除辅助检查权限"},
        {ReadExamination, "查阅辅助检查权限"}, {FeeEntry, "住院费用记帐权限"},
    };
    return rights;
}

quint32 allRights()
{
    quint32 mask = 0;
    for (const Right &r : all())
        mask |= r.bit;
    return mask;
}

} // namespace Rights
