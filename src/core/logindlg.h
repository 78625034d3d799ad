#pragma once

#include "core/usersecurity.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "系统登陆": picks an operator of this system and checks the password.
class TLoginDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TLoginDlg(QWidget *parent = nullptr);

    // The operator who logged in; valid after the dialog closed with OK.
    const CUserSecurityData &user() const { return m_user; }

    // Demo databases name their operator and password on the dialog.
    static void setDemoHint(const QString &hint);

    QComboBox *m_ComboBoxEx_User;
    QLineEdit *m_PassWord;
    QLabel *m_Image_UserPicture;
    QPushButton *m_XP_Button_Ok;
    QPushButton *m_XP_Button_Exit;
    QLabel *m_Label_Demo;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPicture();
    void m_XP_Button_OkClick();

    CUserSecurityData m_user;
};
