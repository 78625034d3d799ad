#include "core/firstadmindlg.h"

#include "core/casedatamodule.h"
#include "core/dialogbuttons.h"
#include "core/loginstore.h"
#include "core/password.h"
#include "core/prompter.h"
#include "core/schema.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *field(QWidget *parent, const char *name, int maxLength, bool masked)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    if (masked)
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

void refuse(const QString &text, QLineEdit *focus)
{
    Prompter::instance().message(text, QStringLiteral("提示"), Prompter::Icon::Error);
    focus->setFocus();
    focus->selectAll();
}

} // namespace

Tm_FirstAdminDlg::Tm_FirstAdminDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tm_FirstAdminDlg"));
    setWindowTitle(QStringLiteral("首次使用 - 建立系统管理员"));

    auto *intro = new QLabel(QStringLiteral("数据库中还没有本系统的操作员。请建立第一个科室和系统管理员,"
                                            "该管理员拥有全部权限,以后可用它设置其他操作员。"), this);
    intro->setWordWrap(true);

    m_Edit_SectionName = field(this, "m_Edit_SectionName",
                               Schema::maxLength(QStringLiteral("GLOBAL_SectionLib"), QStringLiteral("SectionName")), false);
    m_Edit_UserName = field(this, "m_Edit_UserName",
                            Schema::maxLength(QStringLiteral("GLOBAL_UserLib"), QStringLiteral("UserName")), false);
    m_Edit_Password = field(this, "m_Edit_Password", 20, true);
    m_Edit_Password2 = field(this, "m_Edit_Password2", 20, true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("科室名称:"), m_Edit_SectionName);
    form->addRow(QStringLiteral("管理员名称:"), m_Edit_UserName);
    form->addRow(QStringLiteral("登陆密码:"), m_Edit_Password);
    form->addRow(QStringLiteral("再次输入密码:"), m_Edit_Password2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addLayout(MakeOkCancelRow(this, m_BitBtn_Ok, m_BitBtn_Cancel));
    setMinimumWidth(420);
}

void Tm_FirstAdminDlg::accept()
{
    const QString section = m_Edit_SectionName->text().trimmed();
    const QString name = m_Edit_UserName->text().trimmed();
    const QString password = m_Edit_Password->text();
    if (section.isEmpty())
        return refuse(QStringLiteral("请输入科室名称!"), m_Edit_SectionName);
    if (name.isEmpty())
        return refuse(QStringLiteral("请输入管理员名称!"), m_Edit_UserName);
    if (!Password::IsAcceptable(password))
        return refuse(QStringLiteral("密码须为1到20个字符,且首尾不能是空格!"), m_Edit_Password);
    if (password != m_Edit_Password2->text())
        return refuse(QStringLiteral("两次输入的密码不一致!"), m_Edit_Password2);

    Tm_CaseDataModule *dm = Tm_CaseDataModule::instance();
    QString error;
    if (!dm || !LoginStore(dm->mainDb()).createFirstAdministrator(section, name, password, nullptr, &error))
        return refuse(QStringLiteral("无法建立系统管理员: ") + error, m_Edit_UserName);
    QDialog::accept();
}

bool Tm_FirstAdminDlg::RunIfNeeded()
{
    Tm_CaseDataModule *dm = Tm_CaseDataModule::instance();
    if (!dm)
        return false;
    bool ok = false;
    if (!LoginStore(dm->mainDb()).moduleOperators(&ok).isEmpty())
        return true;
    if (!ok) {
        Prompter::instance().message(QStringLiteral("无法读取操作员资料,请检查数据库连接!"), QStringLiteral("错误..."),
                                     Prompter::Icon::Error);
        return false;
    }
    Tm_FirstAdminDlg dialog;
    return dialog.exec() == QDialog::Accepted;
}
