#include "case/caselistdlg.h"

#include "case/caselistmodel.h"
#include "core/casedatamodule.h"
#include "core/dialogbuttons.h"
#include "core/recordgrid.h"
#include "core/jpegcodec.h"
#include "core/launchers.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

Tm_CaseListDlg::Tm_CaseListDlg(const CUserSecurityData &, const QString &prompt, bool discharged, int sectionSN,
                               QWidget *parent)
    : QDialog(parent), m_discharged(discharged), m_sectionSN(sectionSN)
{
    setObjectName(QStringLiteral("Tm_CaseListDlg"));
    setWindowTitle(QStringLiteral("病案列表窗口"));

    auto *heading = new QLabel(QStringLiteral("电子病案系统病案列表"), this);
    QFont headingFont = heading->font();
    headingFont.setPointSize(headingFont.pointSize() + 4);
    headingFont.setBold(true);
    heading->setFont(headingFont);

    m_Edit_PinYinOrID = new QLineEdit(this);
    m_Edit_PinYinOrID->setObjectName(QStringLiteral("m_Edit_PinYinOrID"));
    m_Edit_PinYinOrID->setToolTip(QStringLiteral("录入拼音缩写或病案号直接选取对应病案"));
    m_Label_Prompt = new QLabel(prompt + QStringLiteral("(&L):"), this);
    m_Label_Prompt->setObjectName(QStringLiteral("m_Label_Prompt"));
    m_Label_Prompt->setBuddy(m_Edit_PinYinOrID);

    m_ComboBox_SelType = new QComboBox(this);
    m_ComboBox_SelType->setObjectName(QStringLiteral("m_ComboBox_SelType"));
    m_ComboBox_SelType->addItems({QStringLiteral("拼音编码选择病案"), QStringLiteral("住院号码选择病案"),
                                  QStringLiteral("五笔编码选择病案"), QStringLiteral("病人名称选择病案"),
                                  QStringLiteral("主要诊断选择病案")});

    m_model = new CaseListModel(Tm_CaseDataModule::currentMainDb(), CaseListModel::Layout::List, this);
    m_DBGrid_CaseList = new QTableView(this);
    m_DBGrid_CaseList->setObjectName(QStringLiteral("m_DBGrid_CaseList"));
    m_DBGrid_CaseList->setToolTip(QStringLiteral("系统病案列表"));
    m_DBGrid_CaseList->setModel(m_model);
    SetUpRecordGrid(m_DBGrid_CaseList);

    m_Image = new QLabel(this);
    m_Image->setObjectName(QStringLiteral("m_Image"));
    m_Image->setFixedSize(120, 150);
    m_Image->setFrameShape(QFrame::StyledPanel);
    m_Image->setAlignment(Qt::AlignCenter);

    auto *search = new QHBoxLayout;
    search->addWidget(m_Label_Prompt);
    search->addWidget(m_Edit_PinYinOrID, 1);
    search->addWidget(m_ComboBox_SelType);

    auto *side = new QVBoxLayout;
    side->addWidget(m_Image);
    side->addStretch();

    auto *middle = new QHBoxLayout;
    middle->addWidget(m_DBGrid_CaseList, 1);
    middle->addLayout(side);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(search);
    layout->addLayout(middle, 1);
    layout->addLayout(MakeOkCancelRow(this, m_BitBtn_Ok, m_BitBtn_Cancel));
    resize(900, 560);

    connect(m_Edit_PinYinOrID, &QLineEdit::textChanged, this, &Tm_CaseListDlg::refilter);
    connect(m_ComboBox_SelType, &QComboBox::currentIndexChanged, this, &Tm_CaseListDlg::refilter);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (m_model->rowCount() > 0)
            m_DBGrid_CaseList->selectRow(0);
    });
    connect(m_DBGrid_CaseList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tm_CaseListDlg::showPicture);
    connect(m_DBGrid_CaseList, &QTableView::doubleClicked, this, &Tm_CaseListDlg::accept);
    refilter();
    m_Edit_PinYinOrID->setFocus();
}

void Tm_CaseListDlg::refilter()
{
    CaseFilter filter;
    filter.discharged = m_discharged;
    filter.sectionSN = m_sectionSN;
    filter.kind = CaseFilter::Kind(qMax(0, m_ComboBox_SelType->currentIndex()));
    filter.text = m_Edit_PinYinOrID->text().trimmed();
    m_model->setFilter(filter);
}

void Tm_CaseListDlg::showPicture()
{
    const CaseListRow *r = m_model->row(m_DBGrid_CaseList->currentIndex().row());
    if (!r)
        return;
    // Only the current row's photograph is read; one that does not decode leaves the last one.
    QImage picture;
    const QByteArray bytes = CaseStore::current().PatientImage(r->caseSN);
    if (!bytes.isEmpty() && JpegCodec::decode(bytes, &picture))
        m_Image->setPixmap(QPixmap::fromImage(picture).scaled(m_Image->size() - QSize(4, 4), Qt::KeepAspectRatio,
                                                              Qt::SmoothTransformation));
}

void Tm_CaseListDlg::accept()
{
    if (m_model->rowCount() > 0) {
        const int current = qMax(0, m_DBGrid_CaseList->currentIndex().row());
        m_caseNumber = m_model->row(current)->caseSN;
    }
    QDialog::accept();
}

int SelectCase(const CUserSecurityData &user, const QString &prompt, quint8 discharged, int section, int &caseNumber)
{
    caseNumber = -1;
    Tm_CaseListDlg dialog(user, prompt, discharged != 0, section, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return 2;
    caseNumber = dialog.caseNumber();
    return 1;
}
