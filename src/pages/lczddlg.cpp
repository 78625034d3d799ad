#include "pages/lczddlg.h"

#include "case/caseobject.h"
#include "core/casedatamodule.h"
#include "core/icd10store.h"
#include "core/prompter.h"
#include "core/recordgrid.h"
#include "core/schema.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QValidator>
#include <QVBoxLayout>
#include <climits>

namespace {

const QString kHint = QStringLiteral("提示");

// Letters typed into the pinyin box become capitals, as the library stores them.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

QString withoutTrailingBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}


QLineEdit *makeEdit(QWidget *parent, const char *name, int maxLength = 0)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    return edit;
}

QLineEdit *makeShownEdit(QWidget *parent, const char *name, const QString &text)
{
    QLineEdit *edit = makeEdit(parent, name);
    edit->setReadOnly(true);
    edit->setText(text);
    edit->setCursorPosition(0);
    return edit;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    // Enter in the entry fields must not press a button (or close the window).
    button->setAutoDefault(false);
    return button;
}

} // namespace

// Rows of display texts under fixed column titles: what both grids show.
class Tm_LCZDDlg::TextRows : public QAbstractTableModel
{
public:
    TextRows(const QStringList &titles, QObject *parent) : QAbstractTableModel(parent), m_titles(titles) {}

    void setRows(const QList<QStringList> &rows)
    {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    }
    QString text(int row, int column) const { return m_rows.value(row).value(column); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_titles.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return QVariant();
        return text(index.row(), index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return m_titles.value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    QStringList m_titles;
    QList<QStringList> m_rows;
};

Tm_LCZDDlg::Tm_LCZDDlg(QWidget *owner, const TCaseObject &caseObject)
    : QDialog(owner), m_caseSN(caseObject.CaseNumber)
{
    setObjectName(QStringLiteral("Tm_LCZDDlg"));
    setWindowTitle(QStringLiteral("历次诊断处理窗口"));

    // Patient
    auto *patientBox = new QGroupBox(QStringLiteral("病人资料"), this);
    m_Edit_PatientName = makeShownEdit(patientBox, "m_Edit_PatientName", caseObject.PatientName);
    m_Edit_PatientAge = makeShownEdit(patientBox, "m_Edit_PatientAge", caseObject.AgeDisplay);
    m_Edit_PatientSex = makeShownEdit(patientBox, "m_Edit_PatientSex", caseObject.PatientSex);
    m_Edit_PatientAddress = makeShownEdit(patientBox, "m_Edit_PatientAddress", caseObject.Address);
    auto *patient = new QGridLayout(patientBox);
    patient->addWidget(new QLabel(QStringLiteral("病人姓名"), patientBox), 0, 0);
    patient->addWidget(m_Edit_PatientName, 0, 1);
    patient->addWidget(new QLabel(QStringLiteral("年龄"), patientBox), 0, 2);
    patient->addWidget(m_Edit_PatientAge, 0, 3);
    patient->addWidget(new QLabel(QStringLiteral("性别"), patientBox), 0, 4);
    patient->addWidget(m_Edit_PatientSex, 0, 5);
    patient->addWidget(new QLabel(QStringLiteral("地址"), patientBox), 1, 0);
    patient->addWidget(m_Edit_PatientAddress, 1, 1, 1, 5);
    patient->setColumnStretch(1, 3);
    patient->setColumnStretch(3, 1);
    patient->setColumnStretch(5, 1);

    // The case's diagnoses
    m_model = new TextRows({QStringLiteral("诊断名称"), QStringLiteral("初诊日期"), QStringLiteral("ICD-10编码"),
                            QStringLiteral("备注描述")},
                           this);
    m_DBGrid = new QTableView(this);
    m_DBGrid->setObjectName(QStringLiteral("m_DBGrid"));
    m_DBGrid->setModel(m_model);
    SetUpRecordGrid(m_DBGrid);
    m_DBGrid->setColumnWidth(0, 260);
    m_DBGrid->setColumnWidth(1, 110);
    m_DBGrid->setColumnWidth(2, 110);
    auto *gridLabel = new QLabel(QStringLiteral("历次诊断表(&L):"), this);
    gridLabel->setBuddy(m_DBGrid);

    // A new diagnosis
    auto *entryBox = new QGroupBox(QStringLiteral("新增诊断信息"), this);
    m_Edit_Name = makeEdit(entryBox, "m_Edit_Name", Schema::maxLength(QStringLiteral("ZYBL_LCZDLibrary"),
                                                                       QStringLiteral("ZDName")));
    m_DateTimePicker_Date = new QDateEdit(QDate::currentDate(), entryBox);
    m_DateTimePicker_Date->setObjectName(QStringLiteral("m_DateTimePicker_Date"));
    m_DateTimePicker_Date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_DateTimePicker_Date->setCalendarPopup(true);
    m_Edit_Memo = makeEdit(entryBox, "m_Edit_Memo", Schema::maxLength(QStringLiteral("ZYBL_LCZDLibrary"),
                                                                       QStringLiteral("Memo")));
    m_Edit_PY = makeEdit(entryBox, "m_Edit_PY", Schema::maxLength(QStringLiteral("BMK_Icd10"), QStringLiteral("PY")));
    m_Edit_PY->setValidator(new UpperCaseValidator(m_Edit_PY));
    m_Edit_ICD10 = makeEdit(entryBox, "m_Edit_ICD10", Schema::maxLength(QStringLiteral("ZYBL_LCZDLibrary"),
                                                                         QStringLiteral("ICD_10")));
    m_Edit_ICD10->setReadOnly(true);
    m_Edit_ICD10->setFocusPolicy(Qt::ClickFocus);
    auto *entry = new QGridLayout(entryBox);
    auto addLabelled = [entryBox, entry](const QString &text, QWidget *field, int row, int column, int span = 1) {
        auto *label = new QLabel(text, entryBox);
        label->setBuddy(field);
        entry->addWidget(label, row, column);
        entry->addWidget(field, row, column + 1, 1, span);
    };
    addLabelled(QStringLiteral("诊断名称:"), m_Edit_Name, 0, 0);
    addLabelled(QStringLiteral("拼音检索ICD-10"), m_Edit_PY, 0, 2);
    addLabelled(QStringLiteral("初诊日期:"), m_DateTimePicker_Date, 1, 0);
    addLabelled(QStringLiteral("ICD-10编码:"), m_Edit_ICD10, 1, 2);
    addLabelled(QStringLiteral("备注描述:"), m_Edit_Memo, 2, 0, 3);
    entry->setColumnStretch(1, 3);
    entry->setColumnStretch(3, 2);

    m_BitBtn_Append = makeButton(this, "m_BitBtn_Append", QStringLiteral("增加诊断(&A)"));
    m_BitBtn_Delete = makeButton(this, "m_BitBtn_Delete", QStringLiteral("删除诊断(&D)"));
    m_BitBtn_Exit = makeButton(this, "m_BitBtn_Exit", QStringLiteral("退出(&X)"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_BitBtn_Append);
    buttons->addWidget(m_BitBtn_Delete);
    buttons->addWidget(m_BitBtn_Exit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(patientBox);
    layout->addWidget(gridLabel);
    layout->addWidget(m_DBGrid, 1);
    layout->addWidget(entryBox);
    layout->addLayout(buttons);

    // The codes found by their initials drop down over the other controls, outside the layout.
    m_codes = new TextRows({QStringLiteral("ICD-10编码"), QStringLiteral("诊断名称")}, this);
    m_DBGrid_ICD = new QTableView(this);
    m_DBGrid_ICD->setObjectName(QStringLiteral("m_DBGrid_ICD"));
    m_DBGrid_ICD->setModel(m_codes);
    SetUpRecordGrid(m_DBGrid_ICD);
    m_DBGrid_ICD->setColumnWidth(0, 110);
    m_DBGrid_ICD->hide();

    setTabOrder(m_Edit_Name, m_Edit_PY);
    setTabOrder(m_Edit_PY, m_DateTimePicker_Date);
    setTabOrder(m_DateTimePicker_Date, m_Edit_Memo);
    setTabOrder(m_Edit_Memo, m_BitBtn_Append);
    setTabOrder(m_BitBtn_Append, m_BitBtn_Delete);
    setTabOrder(m_BitBtn_Delete, m_BitBtn_Exit);
    setTabOrder(m_BitBtn_Exit, m_DBGrid);

    m_Edit_PY->installEventFilter(this);
    m_DBGrid_ICD->installEventFilter(this);
    connect(m_Edit_PY, &QLineEdit::textChanged, this, &Tm_LCZDDlg::m_Edit_PYChange);
    connect(m_DBGrid_ICD->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    m_Edit_ICD10->setText(m_codes->text(current.row(), 0).trimmed());
            });
    connect(m_DBGrid_ICD, &QTableView::doubleClicked, this, &Tm_LCZDDlg::chooseCode);
    connect(m_BitBtn_Append, &QPushButton::clicked, this, &Tm_LCZDDlg::m_BitBtn_AppendClick);
    connect(m_BitBtn_Delete, &QPushButton::clicked, this, &Tm_LCZDDlg::m_BitBtn_DeleteClick);
    connect(m_BitBtn_Exit, &QPushButton::clicked, this, &QDialog::accept);

    resize(760, 600);
    refresh(0);
    m_Edit_Name->setFocus();
}

Tm_LCZDDlg::~Tm_LCZDDlg() = default;

void Tm_LCZDDlg::refresh(int current)
{
    bool ok = false;
    m_rows = DiagnosisStore(Tm_CaseDataModule::currentMainDb()).ListDiagnoses(m_caseSN, &ok);
    QList<QStringList> texts;
    for (const DiagnosisStore::DiagnosisRow &r : std::as_const(m_rows))
        texts.append({r.name, r.date.toString(QStringLiteral("yyyy-MM-dd")), r.icd10, r.memo});
    m_model->setRows(texts);
    if (!m_rows.isEmpty())
        m_DBGrid->selectRow(qBound(0, current, int(m_rows.size()) - 1));
    if (!ok)
        Prompter::instance().message(QStringLiteral("无法读取该病人的历次诊断, 请检查数据库连接!"), kHint,
                                     Prompter::Icon::Error);
}

void Tm_LCZDDlg::m_Edit_PYChange()
{
    const QString initials = withoutTrailingBlanks(m_Edit_PY->text());
    if (initials.size() < 2) {
        closeCodes();
        return;
    }
    bool ok = false;
    const QList<Icd10Catalogue::Entry> entries = Icd10Store(Tm_CaseDataModule::currentIcd10Db()).FindByPinYin(initials, &ok);
    QList<QStringList> texts;
    for (const Icd10Catalogue::Entry &e : entries)
        texts.append({e.code, e.name});
    m_codes->setRows(texts);
    if (!ok) {
        closeCodes();
        Prompter::instance().message(QStringLiteral("无法读取ICD-10诊断库, 请检查诊断库文件!"), kHint,
                                     Prompter::Icon::Error);
        return;
    }
    if (entries.isEmpty()) {
        m_DBGrid_ICD->hide();
        return;
    }
    m_DBGrid_ICD->selectRow(0);
    placeCodes();
    m_DBGrid_ICD->show();
    m_DBGrid_ICD->raise();
}

void Tm_LCZDDlg::closeCodes()
{
    m_DBGrid_ICD->hide();
    m_codes->setRows({});
}

void Tm_LCZDDlg::chooseCode()
{
    closeCodes();
    m_DateTimePicker_Date->setFocus(Qt::OtherFocusReason);
}

// Under the pinyin box, as wide as it needs; above it when the window ends too soon.
void Tm_LCZDDlg::placeCodes()
{
    const int margin = 4;
    const int width = qMin(440, this->width() - 2 * margin);
    const int rowHeight = m_DBGrid_ICD->verticalHeader()->defaultSectionSize();
    const int height = m_DBGrid_ICD->horizontalHeader()->sizeHint().height() + 8 * rowHeight
                       + 2 * m_DBGrid_ICD->frameWidth();
    const QRect edit(m_Edit_PY->mapTo(this, QPoint(0, 0)), m_Edit_PY->size());
    const int x = qBound(margin, edit.left(), this->width() - width - margin);
    int y = edit.bottom() + 1;
    if (y + height > this->height() - margin)
        y = qMax(margin, edit.top() - height);
    m_DBGrid_ICD->setGeometry(x, y, width, height);
}

void Tm_LCZDDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (m_DBGrid_ICD->isVisible())
        placeCodes();
}

// Focus that moves to another control of this window, not to a menu or another window.
bool Tm_LCZDDlg::leavesForGood(const QFocusEvent *event)
{
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

bool Tm_LCZDDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_Edit_PY) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if ((key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) && m_DBGrid_ICD->isVisible()) {
                m_DBGrid_ICD->setFocus(Qt::OtherFocusReason);
                return true;
            }
            if (key == Qt::Key_Escape && m_DBGrid_ICD->isVisible()) {
                closeCodes();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && leavesForGood(static_cast<QFocusEvent *>(event))
                   && QApplication::focusWidget() != m_DBGrid_ICD) {
            closeCodes();
        }
    } else if (watched == m_DBGrid_ICD) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                chooseCode();
                return true;
            }
            if (key == Qt::Key_Escape) {
                closeCodes();
                m_Edit_PY->setFocus(Qt::OtherFocusReason);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && leavesForGood(static_cast<QFocusEvent *>(event))) {
            closeCodes();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tm_LCZDDlg::m_BitBtn_AppendClick()
{
    DiagnosisStore::DiagnosisRow row;
    row.caseSN = m_caseSN;
    row.name = m_Edit_Name->text().trimmed();
    if (row.name.isEmpty()) {
        Prompter::instance().message(QStringLiteral("必须输入诊断名称才能新增该诊断!"), kHint, Prompter::Icon::Error);
        return;
    }
    row.date = m_DateTimePicker_Date->date().startOfDay();
    row.icd10 = m_Edit_ICD10->text();
    row.memo = m_Edit_Memo->text().trimmed();
    if (!DiagnosisStore(Tm_CaseDataModule::currentMainDb()).AddDiagnosis(row)) {
        Prompter::instance().message(QStringLiteral("新增诊断失败, 数据库未能保存该诊断!"), kHint, Prompter::Icon::Error);
        return;
    }
    // The new diagnosis is the last one and becomes the current row.
    refresh(INT_MAX);
}

void Tm_LCZDDlg::m_BitBtn_DeleteClick()
{
    if (m_rows.isEmpty())
        return;
    const int current = qMax(0, m_DBGrid->currentIndex().row());
    const DiagnosisStore::DiagnosisRow row = m_rows.value(current);
    if (!Prompter::instance().question(QStringLiteral("的确要删除该诊断吗?\n\n") + row.name.trimmed(), kHint))
        return;
    const bool deleted = DiagnosisStore(Tm_CaseDataModule::currentMainDb()).DeleteDiagnosis(row.recordSN);
    refresh(current);
    if (!deleted)
        Prompter::instance().message(QStringLiteral("删除诊断失败, 该诊断可能已被他人删除!"), kHint,
                                     Prompter::Icon::Error);
}
