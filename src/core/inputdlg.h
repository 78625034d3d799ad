#pragma once

#include <QDialog>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

// "数据输入窗口": asks one value, as text (mode 0), date (1), time (2) or date
// and time (3). Dates and times travel as "yyyy-MM-dd" and "hh:mm:ss" text.
class Tm_InputDlg : public QDialog
{
    Q_OBJECT

public:
    inline static const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
    inline static const QString kTimeFormat = QStringLiteral("hh:mm:ss");

    explicit Tm_InputDlg(QWidget *parent = nullptr);

    // `masked` hides typed characters in mode 0 (for passwords).
    void setup(const QString &prompt, const QString &value, int mode, bool masked = false);
    // The answer in the mode's form; meaningful after OK.
    QString value() const;

    QLabel *m_PromptLable;
    QLineEdit *m_strContent;
    QDateEdit *m_DateTimePicker_Date;
    QTimeEdit *m_DateTimePicker_Time;
    QPushButton *m_BitBtn_Ok;
    QPushButton *m_BitBtn_Cancel;

private:
    int m_mode = 0;
};
