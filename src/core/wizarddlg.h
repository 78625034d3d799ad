#pragma once

#include <QDialog>
#include <QList>

class QButtonGroup;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// "操作": one choice among a list, shown as radio buttons (two columns above four items).
class Tm_WizardDlg : public QDialog
{
    Q_OBJECT

public:
    explicit Tm_WizardDlg(QWidget *parent = nullptr);

    void setup(const QString &prompt, const QStringList &items);
    // 0-based position of the chosen item, -1 when there are none.
    int selectedIndex() const;
    int columnCount() const { return m_columns; }

    QLabel *m_Label_Heading;
    QGroupBox *m_RadioGroup;
    QPushButton *m_BitBtn_Ok;
    QPushButton *m_BitBtn_Cancel;

private:
    QGridLayout *m_itemsLayout;
    QButtonGroup *m_group;
    QList<QRadioButton *> m_buttons;
    int m_columns = 1;
};
