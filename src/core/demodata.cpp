#include "core/demodata.h"

#include "core/casedatamodule.h"
#include "core/loginstore.h"

namespace DemoData {

QString LoginHint()
{
    return QStringLiteral("演示模式: 操作员“%1”, 密码“%2”").arg(kAdministrator, kPassword);
}

bool Ensure(QString *error)
{
    Tm_CaseDataModule *dm = Tm_CaseDataModule::instance();
    if (!dm)
        return false;
    LoginStore store(dm->mainDb());
    bool ok = false;
    if (!store.moduleOperators(&ok).isEmpty())
        return true;
    if (!ok) {
        if (error)
            *error = QStringLiteral("无法读取操作员资料");
        return false;
    }
    return store.createFirstAdministrator(QStringLiteral("内科"), kAdministrator, kPassword, nullptr, error);
}

} // namespace DemoData
