#pragma once

#include "pages/diagnosisstore.h"

#include <QDialog>

class QDateEdit;
class QFocusEvent;
class QLineEdit;
class QPushButton;
class QTableView;
class TCaseObject;

// "历次诊断处理窗口": the diagnoses made for a case over time, each with the
// date it was first made and an ICD-10 code found by its pinyin initials.
// Every change is stored at once; the caller reads the table again afterwards.
class Tm_LCZDDlg : public QDialog
{
    Q_OBJECT

public:
    Tm_LCZDDlg(QWidget *owner, const TCaseObject &caseObject);
    ~Tm_LCZDDlg() override;

    QLineEdit *m_Edit_PatientName;
    QLineEdit *m_Edit_PatientAge;
    QLineEdit *m_Edit_PatientSex;
    QLineEdit *m_Edit_PatientAddress;
    QTableView *m_DBGrid;
    QLineEdit *m_Edit_Name;
    QDateEdit *m_DateTimePicker_Date;
    QLineEdit *m_Edit_Memo;
    QLineEdit *m_Edit_PY;
    QLineEdit *m_Edit_ICD10;
    QTableView *m_DBGrid_ICD;
    QPushButton *m_BitBtn_Append;
    QPushButton *m_BitBtn_Delete;
    QPushButton *m_BitBtn_Exit;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class TextRows;

    void m_Edit_PYChange();
    void m_BitBtn_AppendClick();
    void m_BitBtn_DeleteClick();
    // Reads the case's diagnoses again and makes row `current` (clamped) the current one.
    void refresh(int current);
    void closeCodes();
    void chooseCode();
    void placeCodes();
    static bool leavesForGood(const QFocusEvent *event);

    int m_caseSN;
    QList<DiagnosisStore::DiagnosisRow> m_rows;
    TextRows *m_model;
    TextRows *m_codes;
};
