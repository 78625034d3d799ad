#include "case/casesearchdlg.h"

#include "case/caselistmodel.h"
#include "core/casedatamodule.h"
#include "core/mainform.h"
#include "core/prompter.h"
#include "core/recordgrid.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

Tm_CaseSearchDlg::Tm_CaseSearchDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tm_CaseSearchDlg"));
    setWindowTitle(QStringLiteral("病案检索窗口"));

    m_ComboBoxEx_SearchContent = new QComboBox(this);
    m_ComboBoxEx_SearchContent->setObjectName(QStringLiteral("m_ComboBoxEx_SearchContent"));
    m_ComboBoxEx_SearchContent->setEditable(true);
    m_ComboBoxEx_SearchContent->setInsertPolicy(QComboBox::NoInsert);
    for (const char *name : {"赵", "钱", "孙", "李", "周", "吴", "郑", "王", "唐", "刘", "江"})
        m_ComboBoxEx_SearchContent->addItem(QString::fromUtf8(name));
    m_ComboBoxEx_SearchContent->setCurrentIndex(-1);
    m_ComboBoxEx_SearchContent->setEditText(QString());
    m_ComboBoxEx_SearchContent->setMinimumWidth(220);

    auto radio = [this](const char *name, const QString &caption) {
        auto *button = new QRadioButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    m_RadioButton_Number = radio("m_RadioButton_Number", QStringLiteral("住院号检索"));
    m_RadioButton_Name = radio("m_RadioButton_Name", QStringLiteral("按姓名检索"));
    m_RadioButton_Address = radio("m_RadioButton_Address", QStringLiteral("按地址检索"));
    m_RadioButton_Diagnose = radio("m_RadioButton_Diagnose", QStringLiteral("按诊断检索"));
    m_RadioButton_Number->setChecked(true);

    m_BitBtn_Search = new QPushButton(QStringLiteral("开始检索(&B)"), this);
    m_BitBtn_Search->setObjectName(QStringLiteral("m_BitBtn_Search"));
    m_BitBtn_Search->setDefault(true);

    m_model = new CaseListModel(Tm_CaseDataModule::currentMainDb(), CaseListModel::Layout::Search, this);
    m_DBGrid_CaseList = new QTableView(this);
    m_DBGrid_CaseList->setObjectName(QStringLiteral("m_DBGrid_CaseList"));
    m_DBGrid_CaseList->setToolTip(QStringLiteral("病案检索结果"));
    m_DBGrid_CaseList->setModel(m_model);
    SetUpRecordGrid(m_DBGrid_CaseList);

    m_Label_ResultCount = new QLabel(QStringLiteral("输入内容,按<开始检索>查询"), this);
    m_Label_ResultCount->setObjectName(QStringLiteral("m_Label_ResultCount"));

    m_BitBtn_Open = new QPushButton(QStringLiteral("打开病案(&O)"), this);
    m_BitBtn_Open->setObjectName(QStringLiteral("m_BitBtn_Open"));
    m_BitBtn_Exit = new QPushButton(QStringLiteral("退出检索(&X)"), this);
    m_BitBtn_Exit->setObjectName(QStringLiteral("m_BitBtn_Exit"));
    m_BitBtn_Open->setAutoDefault(false);
    m_BitBtn_Exit->setAutoDefault(false);

    auto *kinds = new QHBoxLayout;
    for (QRadioButton *b : {m_RadioButton_Number, m_RadioButton_Name, m_RadioButton_Address, m_RadioButton_Diagnose})
        kinds->addWidget(b);
    kinds->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(m_ComboBoxEx_SearchContent, 1);
    top->addWidget(m_BitBtn_Search);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_Label_ResultCount, 1);
    buttons->addWidget(m_BitBtn_Open);
    buttons->addWidget(m_BitBtn_Exit);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(kinds);
    layout->addWidget(m_DBGrid_CaseList, 1);
    layout->addLayout(buttons);
    resize(820, 520);

    connect(m_BitBtn_Search, &QPushButton::clicked, this, &Tm_CaseSearchDlg::m_BitBtn_SearchClick);
    connect(m_BitBtn_Open, &QPushButton::clicked, this, &Tm_CaseSearchDlg::m_BitBtn_OpenClick);
    connect(m_BitBtn_Exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_DBGrid_CaseList, &QTableView::doubleClicked, this, &Tm_CaseSearchDlg::m_BitBtn_OpenClick);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (m_model->rowCount() > 0)
            m_DBGrid_CaseList->selectRow(0);
    });
}

void Tm_CaseSearchDlg::m_BitBtn_SearchClick()
{
    const QString raw = m_ComboBoxEx_SearchContent->currentText();
    const QString text = raw.trimmed().toUpper();
    CaseStore::SearchKind kind = CaseStore::SearchKind::Number;
    if (m_RadioButton_Name->isChecked())
        kind = CaseStore::SearchKind::Name;
    else if (m_RadioButton_Address->isChecked())
        kind = CaseStore::SearchKind::Address;
    else if (m_RadioButton_Diagnose->isChecked())
        kind = CaseStore::SearchKind::Diagnose;
    // The number is read from the text as typed, the other kinds from the trimmed text.
    m_model->setSearch(kind, kind == CaseStore::SearchKind::Number && !text.isEmpty() ? raw : text);
    while (m_model->canFetchMore(QModelIndex()))
        m_model->fetchMore(QModelIndex());
    m_searched = true;
    if (!text.isEmpty())
        m_Label_ResultCount->setText(QStringLiteral("共找到 %1 个满足条件的病案").arg(m_model->rowCount()));
}

void Tm_CaseSearchDlg::m_BitBtn_OpenClick()
{
    Prompter &prompter = Prompter::instance();
    const CaseListRow *r = m_model->row(qMax(0, m_DBGrid_CaseList->currentIndex().row()));
    if (!m_searched || !r) {
        prompter.message(QStringLiteral("当前无检索结果!"), QStringLiteral("提示"), Prompter::Icon::Information);
        m_ComboBoxEx_SearchContent->setFocus();
        return;
    }
    if (r->isLocked) {
        prompter.message(QStringLiteral("病案已被他人锁定,请稍后再试!"), QStringLiteral("提示"), Prompter::Icon::Information);
        m_DBGrid_CaseList->setFocus();
        return;
    }
    if (r->hasOuted) {
        prompter.message(QStringLiteral("该病人已出院!"), QStringLiteral("提示"), Prompter::Icon::Information);
        m_DBGrid_CaseList->setFocus();
        return;
    }
    m_openedCase = r->caseSN;
    TMainForm::postOpenCase(r->caseSN);
    accept();
}
