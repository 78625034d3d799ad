#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// On a database that lists no operator of this system, the first start asks
// for a department and an administrator instead of showing an empty login.
class Tm_FirstAdminDlg : public QDialog
{
    Q_OBJECT

public:
    explicit Tm_FirstAdminDlg(QWidget *parent = nullptr);

    // Shows the dialog when the database has no operator of this system yet.
    // False when it was needed and cancelled (nobody could log in) or failed.
    static bool RunIfNeeded();

    QLineEdit *m_Edit_SectionName;
    QLineEdit *m_Edit_UserName;
    QLineEdit *m_Edit_Password;
    QLineEdit *m_Edit_Password2;
    QPushButton *m_BitBtn_Ok;
    QPushButton *m_BitBtn_Cancel;

    void accept() override;
};
