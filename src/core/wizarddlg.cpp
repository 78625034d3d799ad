#include "core/wizarddlg.h"

#include "core/dialogbuttons.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Tm_WizardDlg::Tm_WizardDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tm_WizardDlg"));
    setWindowTitle(QStringLiteral("操作"));

    m_Label_Heading = new QLabel(QStringLiteral("操作向导"), this);
    m_Label_Heading->setObjectName(QStringLiteral("m_Label_Heading"));
    m_Label_Heading->setWordWrap(true);
    m_Label_Heading->setFrameShape(QFrame::Panel);
    m_Label_Heading->setFrameShadow(QFrame::Sunken);
    m_Label_Heading->setMargin(8);
    QFont heading = m_Label_Heading->font();
    heading.setBold(true);
    m_Label_Heading->setFont(heading);

    m_RadioGroup = new QGroupBox(QStringLiteral("请选择:"), this);
    m_RadioGroup->setObjectName(QStringLiteral("m_RadioGroup"));
    m_itemsLayout = new QGridLayout(m_RadioGroup);
    m_group = new QButtonGroup(this);

    QHBoxLayout *buttons = MakeOkCancelRow(this, m_BitBtn_Ok, m_BitBtn_Cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_Label_Heading);
    layout->addWidget(m_RadioGroup, 1);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

void Tm_WizardDlg::setup(const QString &prompt, const QStringList &items)
{
    m_Label_Heading->setText(prompt);
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_columns = items.size() > 4 ? 2 : 1;
    const int rows = int((items.size() + m_columns - 1) / m_columns);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), m_RadioGroup);
        button->setObjectName(QStringLiteral("m_RadioButton_%1").arg(i));
        m_group->addButton(button, i);
        // Filled column by column, as a radio group lists its items.
        m_itemsLayout->addWidget(button, i % rows, i / rows);
        m_buttons << button;
    }
    if (!m_buttons.isEmpty())
        m_buttons.first()->setChecked(true);
}

int Tm_WizardDlg::selectedIndex() const
{
    return m_group->checkedId();
}
