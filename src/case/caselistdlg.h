#pragma once

#include "core/usersecurity.h"

#include <QDialog>

class CaseListModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// "病案列表窗口": picks a case from the list, narrowed while the operator types.
class Tm_CaseListDlg : public QDialog
{
    Q_OBJECT

public:
    Tm_CaseListDlg(const CUserSecurityData &user, const QString &prompt, bool discharged, int sectionSN,
                   QWidget *parent = nullptr);

    // The chosen case's number after OK; -1 when the list was empty.
    int caseNumber() const { return m_caseNumber; }

    QLabel *m_Label_Prompt;
    QComboBox *m_ComboBox_SelType;
    QLineEdit *m_Edit_PinYinOrID;
    QTableView *m_DBGrid_CaseList;
    QLabel *m_Image;
    QPushButton *m_BitBtn_Ok;
    QPushButton *m_BitBtn_Cancel;
    CaseListModel *model() const { return m_model; }

    void accept() override;

private:
    void refilter();
    void showPicture();

    CaseListModel *m_model;
    bool m_discharged;
    int m_sectionSN;
    int m_caseNumber = -1;
};
