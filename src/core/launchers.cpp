#include "core/launchers.h"

#include "core/logindlg.h"

#include <QApplication>

namespace {
constexpr int kCancel = 2;
}

bool ShowLoginDialog(CUserSecurityData &user)
{
    TLoginDlg dialog(QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    user = dialog.user();
    return true;
}

int SelectFormula(const QString &, int &, QString &)
{
    return kCancel;
}

int SelectHerbType(const QString &, int &, QString &)
{
    return kCancel;
}

int SelectRecipe(const QString &, int &, int)
{
    return kCancel;
}

int ShowMedicalNote(TCaseObject *, int, const CUserSecurityData &)
{
    return kCancel;
}

int ShowStudyCampus()
{
    return kCancel;
}
