#pragma once

#include <QDialog>

class CaseListModel;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;

// "病案检索窗口": finds cases by number, name, address or diagnosis, in
// hospital or discharged, and asks the main window to open the chosen one.
class Tm_CaseSearchDlg : public QDialog
{
    Q_OBJECT

public:
    explicit Tm_CaseSearchDlg(QWidget *parent = nullptr);

    QComboBox *m_ComboBoxEx_SearchContent;
    QRadioButton *m_RadioButton_Number;
    QRadioButton *m_RadioButton_Name;
    QRadioButton *m_RadioButton_Address;
    QRadioButton *m_RadioButton_Diagnose;
    QPushButton *m_BitBtn_Search;
    QTableView *m_DBGrid_CaseList;
    QLabel *m_Label_ResultCount;
    QPushButton *m_BitBtn_Open;
    QPushButton *m_BitBtn_Exit;
    CaseListModel *model() const { return m_model; }

    // The case whose opening was asked for, -1 before.
    int openedCase() const { return m_openedCase; }

private:
    void m_BitBtn_SearchClick();
    void m_BitBtn_OpenClick();

    CaseListModel *m_model;
    bool m_searched = false;
    int m_openedCase = -1;
};
