#include "core/inputdlg.h"

#include "core/dialogbuttons.h"

#include <QDateEdit>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

Tm_InputDlg::Tm_InputDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tm_InputDlg"));
    setWindowTitle(QStringLiteral("数据输入窗口"));

    m_PromptLable = new QLabel(QStringLiteral("请输入数据:"), this);
    m_PromptLable->setObjectName(QStringLiteral("m_PromptLable"));
    m_PromptLable->setWordWrap(true);

    m_strContent = new QLineEdit(this);
    m_strContent->setObjectName(QStringLiteral("m_strContent"));
    m_strContent->setMaxLength(250);

    m_DateTimePicker_Date = new QDateEdit(this);
    m_DateTimePicker_Date->setObjectName(QStringLiteral("m_DateTimePicker_Date"));
    m_DateTimePicker_Date->setDisplayFormat(kDateFormat);
    m_DateTimePicker_Date->setCalendarPopup(true);

    m_DateTimePicker_Time = new QTimeEdit(this);
    m_DateTimePicker_Time->setObjectName(QStringLiteral("m_DateTimePicker_Time"));
    m_DateTimePicker_Time->setDisplayFormat(kTimeFormat);

    auto *pickers = new QHBoxLayout;
    pickers->addWidget(m_DateTimePicker_Date);
    pickers->addWidget(m_DateTimePicker_Time);
    pickers->addStretch();

    QHBoxLayout *buttons = MakeOkCancelRow(this, m_BitBtn_Ok, m_BitBtn_Cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_PromptLable);
    layout->addWidget(m_strContent);
    layout->addLayout(pickers);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(380);
    setup(QStringLiteral("请输入数据:"), QString(), 0);
}

void Tm_InputDlg::setup(const QString &prompt, const QString &value, int mode, bool masked)
{
    m_mode = qBound(0, mode, 3);
    m_PromptLable->setText(prompt);
    m_strContent->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
    m_strContent->setVisible(m_mode == 0);
    m_DateTimePicker_Date->setVisible(m_mode == 1 || m_mode == 3);
    m_DateTimePicker_Time->setVisible(m_mode == 2 || m_mode == 3);

    const QDateTime now = QDateTime::currentDateTime();
    switch (m_mode) {
    case 0:
        m_strContent->setText(value);
        m_strContent->selectAll();
        m_strContent->setFocus();
        break;
    case 1: {
        const QDate date = QDate::fromString(value.trimmed(), kDateFormat);
        m_DateTimePicker_Date->setDate(date.isValid() ? date : now.date());
        m_DateTimePicker_Date->setFocus();
        break;
    }
    case 2: {
        const QTime time = QTime::fromString(value.trimmed(), kTimeFormat);
        m_DateTimePicker_Time->setTime(time.isValid() ? time : now.time());
        m_DateTimePicker_Time->setFocus();
        break;
    }
    case 3: // the initial value is not used
        m_DateTimePicker_Date->setDate(now.date());
        m_DateTimePicker_Time->setTime(now.time());
        m_DateTimePicker_Date->setFocus();
        break;
    }
}

QString Tm_InputDlg::value() const
{
    const QString date = m_DateTimePicker_Date->date().toString(kDateFormat);
    const QString time = m_DateTimePicker_Time->time().toString(kTimeFormat);
    switch (m_mode) {
    case 1: return date;
    case 2: return time;
    case 3: return date + QLatin1Char(' ') + time;
    default: return m_strContent->text();
    }
}
