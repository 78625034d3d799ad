#include "pages/framecaseblsy.h"

#include "case/caseobject.h"
#include "case/casestore.h"
#include "core/casedatamodule.h"
#include "core/externalprogram.h"
#include "core/jpegcodec.h"
#include "core/oledate.h"
#include "core/printjob.h"
#include "core/prompter.h"
#include "core/rights.h"
#include "core/settings.h"
#include "pages/diagnosisstore.h"
#include "pages/lczddlg.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {

const QString kPrompt = QStringLiteral("提示");
const QString kJpegFilter = QStringLiteral("JPEG格式图片 (*.JPG *.jpg *.jpeg *.JPEG)");
const QString kUnreadable = QStringLiteral("你选择的图片格式不能识别,只支持JPG文件格式!");
const QString kExportError = QStringLiteral("照片导出发生错误!");

QLineEdit *makeEdit(QWidget *parent, const char *name, int maxLength = 0)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    return edit;
}

QComboBox *makeCombo(QWidget *parent, const char *name, const QStringList &items, bool editable)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(editable);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    return combo;
}

QSpinBox *makeSpin(QWidget *parent, const char *name, int maximum)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(0, maximum);
    // Buttons only: the number is changed with the arrows, not typed.
    if (auto *edit = spin->findChild<QLineEdit *>())
        edit->setReadOnly(true);
    return spin;
}

// Shows `value` even when it lies outside the usual range, so that storing an
// unchanged page gives back what was stored.
void setSpinValue(QSpinBox *spin, int value, int usualMaximum)
{
    spin->setRange(qMin(0, value), qMax(usualMaximum, value));
    spin->setValue(value);
}

// A combo box shows a stored text even when it is none of its items.
void setComboText(QComboBox *combo, const QString &text)
{
    if (combo->isEditable()) {
        combo->setCurrentIndex(combo->findText(text));
        combo->setEditText(text);
    } else {
        combo->setCurrentIndex(combo->findText(text));
    }
}

} // namespace

Tm_FrameCaseBLSY::Tm_FrameCaseBLSY(QWidget *parent)
    : TCasePage(QStringLiteral("病案首页"), Rights::ReadFrontPage, parent)
{
    m_Label_Caption->setObjectName(QStringLiteral("m_Label_BLSYHead"));

    m_Label_RightHint = new QLabel(QStringLiteral("你没有访问病历首页的权限"), this);
    m_Label_RightHint->setObjectName(QStringLiteral("m_Label_RightHint"));
    QFont hintFont = m_Label_RightHint->font();
    hintFont.setPointSize(hintFont.pointSize() + 4);
    m_Label_RightHint->setFont(hintFont);
    m_Label_RightHint->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_Label_RightHint->setAlignment(Qt::AlignCenter);
    m_Label_RightHint->hide();

    m_Panel_Content = buildContent();
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("m_ScrollBox_BLSY"));
    scroll->setWidget(m_Panel_Content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_PageLayout->addWidget(scroll, 1);
    m_PageLayout->addWidget(m_Label_RightHint, 1);
    buildMenus();
}

QWidget *Tm_FrameCaseBLSY::buildContent()
{
    auto *panel = new QWidget;
    panel->setObjectName(QStringLiteral("m_Panel_Content"));

    m_BLSY_XM = makeEdit(panel, "m_BLSY_XM", 10);
    m_BLSY_XM->setEnabled(false); // name and sex belong to the admission desk
    m_BLSY_XB = makeCombo(panel, "m_BLSY_XB", {QStringLiteral("男"), QStringLiteral("女")}, false);
    m_BLSY_XB->setEnabled(false);
    m_BLSY_CSRQ = new QDateEdit(panel);
    m_BLSY_CSRQ->setObjectName(QStringLiteral("m_BLSY_CSRQ"));
    m_BLSY_CSRQ->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_BLSY_CSRQ->setCalendarPopup(true);
    m_BLSY_CSRQ->setDateRange(QDate(1900, 1, 1), QDate::currentDate());
    m_BLSY_NL = makeEdit(panel, "m_BLSY_NL");
    m_BLSY_NL->setReadOnly(true);
    m_BLSY_WHCD = makeCombo(panel, "m_BLSY_WHCD",
                            {QStringLiteral("文盲"), QStringLiteral("小学"), QStringLiteral("中学"), QStringLiteral("中专"),
                             QStringLiteral("大学"), QStringLiteral("研究生")},
                            true);
    m_BLSY_HY = makeCombo(panel, "m_BLSY_HY",
                          {QStringLiteral("不详"), QStringLiteral("未婚"), QStringLiteral("已婚"), QStringLiteral("离异"),
                           QStringLiteral("丧偶")},
                          true);
    m_BLSY_MZ = makeCombo(panel, "m_BLSY_MZ",
                          {QStringLiteral("汉族"), QStringLiteral("满族"), QStringLiteral("蒙古族"), QStringLiteral("回族"),
                           QStringLiteral("藏族"), QStringLiteral("土家族"), QStringLiteral("羌族")},
                          true);
    m_BLSY_GJ = makeEdit(panel, "m_BLSY_GJ", 50);
    m_BLSY_JG = makeEdit(panel, "m_BLSY_JG", 50);
    m_BLSY_ZY = makeEdit(panel, "m_BLSY_ZY", 50);
    m_BLSY_GZDW = makeEdit(panel, "m_BLSY_GZDW", 250);
    m_BLSY_DWDH = makeEdit(panel, "m_BLSY_DWDH", 50);
    m_BLSY_JTDZ = makeEdit(panel, "m_BLSY_JTDZ", 50);
    m_BLSY_LXDH = makeEdit(panel, "m_BLSY_LXDH", 50);
    m_BLSY_SFZ = makeEdit(panel, "m_BLSY_SFZ", 20);
    m_BLSY_YZBM = makeEdit(panel, "m_BLSY_YZBM", 10);
    m_BLSY_LXR = makeEdit(panel, "m_BLSY_LXR", 50);
    m_BLSY_LXRGX = makeEdit(panel, "m_BLSY_LXRGX", 50);
    m_BLSY_LXRDZ = makeEdit(panel, "m_BLSY_LXRDZ", 250);
    m_BLSY_LXRDH = makeEdit(panel, "m_BLSY_LXRDH", 50);
    m_BLSY_ZYZD = makeEdit(panel, "m_BLSY_ZYZD", 250);
    m_BLSY_ZYZD_ICD10 = makeEdit(panel, "m_BLSY_ZYZD_ICD10", 50);
    m_BLSY_JWS = makeEdit(panel, "m_BLSY_JWS", 250);
    m_BLSY_GMYW = makeEdit(panel, "m_BLSY_GMYW", 250);
    m_BLSY_XX = makeCombo(panel, "m_BLSY_XX",
                          {QStringLiteral("未查"), QStringLiteral("A型"), QStringLiteral("B型"), QStringLiteral("AB型"),
                           QStringLiteral("O型")},
                          true);
    m_BLSY_NBBM = makeEdit(panel, "m_BLSY_NBBM", 50);
    m_BLSY_GRS = makeEdit(panel, "m_BLSY_GRS", 250);
    m_BLSY_JZS = makeEdit(panel, "m_BLSY_JZS", 250);
    m_BLSY_smokecount = makeSpin(panel, "m_BLSY_smokecount", 40);
    m_BLSY_smokekeepmonth = makeSpin(panel, "m_BLSY_smokekeepmonth", 500);
    m_BLSY_XYDateunit = makeCombo(panel, "m_BLSY_XYDateunit", {QStringLiteral("年"), QStringLiteral("月")}, false);
    m_BLSY_drinkcount = makeSpin(panel, "m_BLSY_drinkcount", 40);
    m_BLSY_drinkkeepmonth = makeSpin(panel, "m_BLSY_drinkkeepmonth", 500);
    m_BLSY_YJDateunit = makeCombo(panel, "m_BLSY_YJDateunit", {QStringLiteral("年"), QStringLiteral("月")}, false);

    m_BLSY_LCZDQK = new QTableWidget(kDiagnosisRows, 4, panel);
    m_BLSY_LCZDQK->setObjectName(QStringLiteral("m_BLSY_LCZDQK"));
    m_BLSY_LCZDQK->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_BLSY_LCZDQK->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_BLSY_LCZDQK->verticalHeader()->hide();
    m_BLSY_LCZDQK->verticalHeader()->setDefaultSectionSize(m_BLSY_LCZDQK->fontMetrics().height() + 6);
    m_BLSY_LCZDQK->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_BLSY_LCZDQK->horizontalHeader()->setStretchLastSection(true);
    m_BLSY_LCZDQK->setColumnWidth(0, 260);
    m_BLSY_LCZDQK->setColumnWidth(1, 100);
    m_BLSY_LCZDQK->setColumnWidth(2, 100);
    m_BLSY_LCZDQK->setToolTip(QStringLiteral("双击编辑历次诊断"));
    m_BLSY_LCZDQK->setFixedHeight(m_BLSY_LCZDQK->horizontalHeader()->sizeHint().height()
                                  + kDiagnosisRows * m_BLSY_LCZDQK->verticalHeader()->defaultSectionSize() + 4);
    for (int r = 0; r < kDiagnosisRows; ++r)
        for (int c = 0; c < 4; ++c)
            m_BLSY_LCZDQK->setItem(r, c, new QTableWidgetItem);
    connect(m_BLSY_LCZDQK, &QTableWidget::cellDoubleClicked, this, &Tm_FrameCaseBLSY::editDiagnoses);

    auto picture = [panel, this](const char *name) {
        auto *label = new QLabel(panel);
        label->setObjectName(QString::fromLatin1(name));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setToolTip(QStringLiteral("单击显示照片处理菜单"));
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        return label;
    };
    m_BLSY_ZP = picture("m_BLSY_ZP");
    m_BLSY_ZP->setFixedSize(132, 165);
    m_Image_1 = picture("m_Image_1");
    m_Image_1->setFixedSize(132, 120);
    m_Image_2 = picture("m_Image_2");
    m_Image_2->setFixedSize(132, 120);

    connect(m_BLSY_CSRQ, &QDateEdit::dateChanged, this, &Tm_FrameCaseBLSY::birthdayChanged);

    // Particulars on the left, the pictures on the right.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(5);
    int row = 0;
    auto label = [panel](const QString &text) {
        auto *l = new QLabel(text, panel);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    // Each entry: label, control, columns it spans (of 7 after the label).
    struct Cell { const char *label; QWidget *control; int span; };
    auto addRow = [&](std::initializer_list<Cell> cells) {
        int column = 0;
        for (const Cell &cell : cells) {
            grid->addWidget(label(QString::fromUtf8(cell.label)), row, column);
            grid->addWidget(cell.control, row, column + 1, 1, cell.span);
            column += 1 + cell.span;
        }
        ++row;
    };
    addRow({{"姓名", m_BLSY_XM, 1}, {"性别", m_BLSY_XB, 1}, {"出生", m_BLSY_CSRQ, 1}, {"年龄", m_BLSY_NL, 1}});
    addRow({{"文化", m_BLSY_WHCD, 1}, {"婚姻状况", m_BLSY_HY, 1}, {"民族", m_BLSY_MZ, 1}, {"国籍", m_BLSY_GJ, 1}});
    addRow({{"籍贯", m_BLSY_JG, 1}, {"职业", m_BLSY_ZY, 1}, {"工作单位", m_BLSY_GZDW, 3}});
    addRow({{"单位电话", m_BLSY_DWDH, 1}, {"联系电话", m_BLSY_LXDH, 1}, {"家庭地址", m_BLSY_JTDZ, 3}});
    addRow({{"身份证", m_BLSY_SFZ, 1}, {"邮编", m_BLSY_YZBM, 1}, {"联 系 人", m_BLSY_LXR, 1}, {"联系人关系", m_BLSY_LXRGX, 1}});
    addRow({{"联系人电话", m_BLSY_LXRDH, 1}, {"联系地址", m_BLSY_LXRDZ, 5}});
    addRow({{"主要诊断", m_BLSY_ZYZD, 3}, {"ICD-10编码", m_BLSY_ZYZD_ICD10, 3}});
    grid->addWidget(m_BLSY_LCZDQK, row++, 0, 1, 8);
    addRow({{"既往病史", m_BLSY_JWS, 3}, {"过敏药物", m_BLSY_GMYW, 3}});
    addRow({{"ABO 血型", m_BLSY_XX, 1}, {"内部编码", m_BLSY_NBBM, 1}, {"个 人 史", m_BLSY_GRS, 3}});
    addRow({{"家 族 史", m_BLSY_JZS, 7}});

    auto *habits = new QHBoxLayout;
    habits->setSpacing(4);
    auto text = [panel](const char *t) { return new QLabel(QString::fromUtf8(t), panel); };
    habits->addWidget(text("吸烟量"));
    habits->addWidget(m_BLSY_smokecount);
    habits->addWidget(text("支/天 长达"));
    habits->addWidget(m_BLSY_smokekeepmonth);
    habits->addWidget(m_BLSY_XYDateunit);
    habits->addSpacing(24);
    habits->addWidget(text("饮酒量"));
    habits->addWidget(m_BLSY_drinkcount);
    habits->addWidget(text("克/天 长达"));
    habits->addWidget(m_BLSY_drinkkeepmonth);
    habits->addWidget(m_BLSY_YJDateunit);
    habits->addStretch(1);
    grid->addLayout(habits, row++, 0, 1, 8);
    for (int c = 1; c < 8; c += 2)
        grid->setColumnStretch(c, 1);

    auto *pictures = new QVBoxLayout;
    pictures->setSpacing(2);
    auto caption = [panel](const char *t) {
        auto *l = new QLabel(QString::fromUtf8(t), panel);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    pictures->addWidget(caption("病人照片"));
    pictures->addWidget(m_BLSY_ZP);
    pictures->addSpacing(8);
    pictures->addWidget(caption("参考图1"));
    pictures->addWidget(m_Image_1);
    pictures->addSpacing(8);
    pictures->addWidget(caption("参考图2"));
    pictures->addWidget(m_Image_2);
    pictures->addStretch(1);

    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->addLayout(grid, 1);
    layout->addSpacing(8);
    layout->addLayout(pictures);

    for (QWidget *control : std::initializer_list<QWidget *>{
             m_BLSY_CSRQ, m_BLSY_WHCD, m_BLSY_HY, m_BLSY_MZ, m_BLSY_GJ, m_BLSY_JG, m_BLSY_ZY, m_BLSY_GZDW, m_BLSY_DWDH,
             m_BLSY_LXDH, m_BLSY_JTDZ, m_BLSY_SFZ, m_BLSY_YZBM, m_BLSY_LXR, m_BLSY_LXRGX, m_BLSY_LXRDH, m_BLSY_LXRDZ,
             m_BLSY_ZYZD, m_BLSY_ZYZD_ICD10, m_BLSY_JWS, m_BLSY_GMYW, m_BLSY_XX, m_BLSY_NBBM, m_BLSY_GRS, m_BLSY_JZS,
             m_BLSY_smokecount, m_BLSY_smokekeepmonth, m_BLSY_XYDateunit, m_BLSY_drinkcount, m_BLSY_drinkkeepmonth,
             m_BLSY_YJDateunit})
        watchForFocusAndEnter(control);
    return panel;
}

void Tm_FrameCaseBLSY::buildMenus()
{
    auto menu = [this](const char *name) {
        auto *m = new QMenu(this);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto item = [](QMenu *m, const char *name, const char *text) {
        QAction *a = m->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    m_PopupMenu_Picture = menu("m_PopupMenu_Picture");
    m_Menu_ImportPicture = item(m_PopupMenu_Picture, "m_Menu_ImportPicture", "导入病人照片(&I)");
    m_Menu_ExportPicture = item(m_PopupMenu_Picture, "m_Menu_ExportPicture", "导出病人照片(&O)");
    m_Menu_DeletePicture = item(m_PopupMenu_Picture, "m_Menu_DeletePicture", "删除病人照片(&D)");
    m_PopupMenu_Image1 = menu("m_PopupMenu_Image1");
    MenuItem1 = item(m_PopupMenu_Image1, "MenuItem1", "从图片文件导入参考图1");
    MenuItem2 = item(m_PopupMenu_Image1, "MenuItem2", "将参考图1导出到图片文件");
    MenuItem3 = item(m_PopupMenu_Image1, "MenuItem3", "删除参考图1");
    N2 = item(m_PopupMenu_Image1, "N2", "用外挂浏览器查看参考图1");
    m_PopupMenu_Image2 = menu("m_PopupMenu_Image2");
    MenuItem6 = item(m_PopupMenu_Image2, "MenuItem6", "从图片文件导入参考图2");
    MenuItem7 = item(m_PopupMenu_Image2, "MenuItem7", "将参考图2导出到图片文件");
    MenuItem8 = item(m_PopupMenu_Image2, "MenuItem8", "删除参考图2");
    N11 = item(m_PopupMenu_Image2, "N11", "用外挂浏览器查看参考图2");

    connect(m_Menu_ImportPicture, &QAction::triggered, this, [this] { importPicture(0); });
    connect(m_Menu_ExportPicture, &QAction::triggered, this, [this] { exportPicture(0); });
    connect(m_Menu_DeletePicture, &QAction::triggered, this, [this] { deletePicture(0); });
    connect(MenuItem1, &QAction::triggered, this, [this] { importPicture(1); });
    connect(MenuItem2, &QAction::triggered, this, [this] { exportPicture(1); });
    connect(MenuItem3, &QAction::triggered, this, [this] { deletePicture(1); });
    connect(N2, &QAction::triggered, this, [this] { viewPicture(1); });
    connect(MenuItem6, &QAction::triggered, this, [this] { importPicture(2); });
    connect(MenuItem7, &QAction::triggered, this, [this] { exportPicture(2); });
    connect(MenuItem8, &QAction::triggered, this, [this] { deletePicture(2); });
    connect(N11, &QAction::triggered, this, [this] { viewPicture(2); });
}

void Tm_FrameCaseBLSY::watchForFocusAndEnter(QWidget *control)
{
    control->installEventFilter(this);
    // An editable combo box and the spin boxes take focus in their inner edit.
    if (auto *combo = qobject_cast<QComboBox *>(control); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(this);
    if (qobject_cast<QAbstractSpinBox *>(control))
        if (auto *edit = control->findChild<QLineEdit *>())
            edit->installEventFilter(this);
}

bool Tm_FrameCaseBLSY::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int which = 0; which < 3; ++which) {
            if (watched == pictureLabel(which) && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
                QMenu *menus[] = {m_PopupMenu_Picture, m_PopupMenu_Image1, m_PopupMenu_Image2};
                menus[which]->popup(QCursor::pos());
                return true;
            }
        }
    }
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return TCasePage::eventFilter(watched, event);
    // The control the colours go on: an inner edit stands for its combo or spin box.
    QWidget *control = widget;
    if (qobject_cast<QLineEdit *>(widget) && widget->parentWidget()
        && (qobject_cast<QComboBox *>(widget->parentWidget()) || qobject_cast<QAbstractSpinBox *>(widget->parentWidget())))
        control = widget->parentWidget();
    switch (event->type()) {
    case QEvent::FocusIn: {
        QPalette active = control->palette();
        const QColor caption = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
        for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
            active.setColor(role, caption);
        for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            active.setColor(role, Qt::white);
        control->setPalette(active);
        break;
    }
    case QEvent::FocusOut:
        control->setPalette(QPalette()); // the parent's colours again
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // A combo box's open list takes Enter for itself.
            if (auto *combo = qobject_cast<QComboBox *>(control); combo && combo->view()->isVisible())
                break;
            focusNextChild();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return TCasePage::eventFilter(watched, event);
}

QLabel *Tm_FrameCaseBLSY::pictureLabel(int which) const
{
    return which == 0 ? m_BLSY_ZP : which == 1 ? m_Image_1 : m_Image_2;
}

QString Tm_FrameCaseBLSY::caseNumberText() const
{
    return caseObject() ? QString::number(caseObject()->CaseNumber) : QString();
}

bool Tm_FrameCaseBLSY::mayEdit() const
{
    return Rights::has(user().Rights, Rights::ReadFrontPage) && Rights::has(user().Rights, Rights::EditFrontPage);
}

void Tm_FrameCaseBLSY::AttachCase(TCaseObject &caseObject, const CUserSecurityData &user)
{
    TCasePage::AttachCase(caseObject, user);
    const bool mayRead = Rights::has(user.Rights, Rights::ReadFrontPage);
    m_Panel_Content->parentWidget()->parentWidget()->setVisible(mayRead); // the scroll area
    m_Label_RightHint->setVisible(!mayRead);
    m_Panel_Content->setEnabled(mayEdit());

    CaseStore store = CaseStore::current();
    const QString number = caseNumberText();
    QImage image;
    showPicture(0, store.LoadPatientPicture(number, &image) ? image : QImage());
    for (int index = 0; index < 2; ++index) {
        QImage reference;
        showPicture(1 + index, store.LoadReferencePicture(number, index, &reference) ? reference : QImage());
    }
    m_BLSY_LCZDQK->setHorizontalHeaderLabels({QStringLiteral("历次门诊诊断结论"), QStringLiteral("初诊日期"),
                                              QStringLiteral("ICD-10编码"), QStringLiteral("备注说明")});
    fillControls(caseObject);
}

void Tm_FrameCaseBLSY::fillControls(const TCaseObject &c)
{
    m_BLSY_XM->setText(c.PatientName);
    setComboText(m_BLSY_XB, c.PatientSex);
    m_storedBirthday = c.Birthday;
    const QDateTime birthday = OleDate::toDateTime(c.Birthday);
    m_BLSY_CSRQ->setDate(birthday.isValid() ? birthday.date() : m_BLSY_CSRQ->minimumDate());
    m_shownBirthday = m_BLSY_CSRQ->date();
    birthdayChanged();
    setComboText(m_BLSY_WHCD, c.Education);
    setComboText(m_BLSY_HY, c.Marriage);
    setComboText(m_BLSY_MZ, c.National);
    m_BLSY_GJ->setText(c.Country);
    m_BLSY_JG->setText(c.NativePlace);
    m_BLSY_ZY->setText(c.Occupation);
    m_BLSY_ZYZD->setText(c.MainDiagnose);
    m_BLSY_ZYZD_ICD10->setText(c.MainDiagnoseICD10);
    m_BLSY_GZDW->setText(c.WorkUnit);
    m_BLSY_DWDH->setText(c.WokrUnitTel);
    m_BLSY_JTDZ->setText(c.Address);
    m_BLSY_LXDH->setText(c.ContactTel);
    m_BLSY_SFZ->setText(c.Identity);
    m_BLSY_YZBM->setText(c.PostZip);
    m_BLSY_LXR->setText(c.ContactPerson);
    m_BLSY_LXRGX->setText(c.ContactPersonRelation);
    m_BLSY_LXRDZ->setText(c.ContactPersonAddress);
    m_BLSY_LXRDH->setText(c.ContactPersonTel);
    for (int r = 0; r < kDiagnosisRows; ++r)
        for (int col = 0; col < 4; ++col)
            m_BLSY_LCZDQK->item(r, col)->setText(c.OutpatientDiagnoses[size_t(r)][size_t(col)]);
    m_BLSY_GMYW->setText(c.HypersenceDrug);
    m_BLSY_JWS->setText(c.OlderSickness);
    setComboText(m_BLSY_XX, c.BloodType);
    m_BLSY_NBBM->setText(c.CustomCoding);
    m_BLSY_GRS->setText(c.PersonalCaree);
    m_BLSY_JZS->setText(c.FamilyCaree);
    setSpinValue(m_BLSY_smokecount, c.SmokeCount, 40);
    setSpinValue(m_BLSY_drinkcount, c.DrinkCount, 40);
    showDuration(m_BLSY_smokekeepmonth, m_BLSY_XYDateunit, c.SmokeKeepMonth);
    showDuration(m_BLSY_drinkkeepmonth, m_BLSY_YJDateunit, c.DrinkKeepMonth);
}

void Tm_FrameCaseBLSY::showDuration(QSpinBox *spin, QComboBox *unit, int months)
{
    // Years only when they are whole: 30 months shown as "2 年" would be
    // written back as 24.
    const bool inYears = months > 24 && months % 12 == 0;
    unit->setCurrentIndex(inYears ? 0 : 1);
    setSpinValue(spin, inYears ? months / 12 : months, 500);
}

int Tm_FrameCaseBLSY::durationMonths(const QSpinBox *spin, const QComboBox *unit)
{
    return unit->currentIndex() == 0 ? spin->value() * 12 : spin->value();
}

void Tm_FrameCaseBLSY::birthdayChanged()
{
    m_BLSY_NL->setText(TCaseObject::AgeText(OleDate::fromDateTime(m_BLSY_CSRQ->date().startOfDay())));
}

void Tm_FrameCaseBLSY::StoreToCase(TCaseObject &c)
{
    // Someone who may not edit the page has changed nothing on it.
    if (!mayEdit())
        return;
    c.PatientName = m_BLSY_XM->text();
    c.PatientSex = m_BLSY_XB->currentText();
    // An untouched picker gives back the stored moment, time of day included.
    if (m_BLSY_CSRQ->date() != m_shownBirthday)
        c.Birthday = OleDate::fromDateTime(m_BLSY_CSRQ->date().startOfDay());
    else
        c.Birthday = m_storedBirthday;
    c.AgeDisplay = m_BLSY_NL->text();
    c.Education = m_BLSY_WHCD->currentText();
    c.Marriage = m_BLSY_HY->currentText();
    c.National = m_BLSY_MZ->currentText();
    c.Country = m_BLSY_GJ->text();
    c.NativePlace = m_BLSY_JG->text();
    c.Occupation = m_BLSY_ZY->text();
    c.WorkUnit = m_BLSY_GZDW->text();
    c.WokrUnitTel = m_BLSY_DWDH->text();
    c.Address = m_BLSY_JTDZ->text();
    c.ContactTel = m_BLSY_LXDH->text();
    c.Identity = m_BLSY_SFZ->text();
    c.PostZip = m_BLSY_YZBM->text();
    c.ContactPerson = m_BLSY_LXR->text();
    c.ContactPersonRelation = m_BLSY_LXRGX->text();
    c.ContactPersonAddress = m_BLSY_LXRDZ->text();
    c.ContactPersonTel = m_BLSY_LXRDH->text();
    c.MainDiagnose = m_BLSY_ZYZD->text();
    c.MainDiagnoseICD10 = m_BLSY_ZYZD_ICD10->text();
    for (int r = 0; r < kDiagnosisRows; ++r)
        for (int col = 0; col < 4; ++col)
            c.OutpatientDiagnoses[size_t(r)][size_t(col)] = m_BLSY_LCZDQK->item(r, col)->text();
    c.OlderSickness = m_BLSY_JWS->text();
    c.HypersenceDrug = m_BLSY_GMYW->text();
    c.BloodType = m_BLSY_XX->currentText();
    c.CustomCoding = m_BLSY_NBBM->text();
    c.PersonalCaree = m_BLSY_GRS->text();
    c.FamilyCaree = m_BLSY_JZS->text();
    c.SmokeCount = m_BLSY_smokecount->value();
    c.DrinkCount = m_BLSY_drinkcount->value();
    c.SmokeKeepMonth = durationMonths(m_BLSY_smokekeepmonth, m_BLSY_XYDateunit);
    c.DrinkKeepMonth = durationMonths(m_BLSY_drinkkeepmonth, m_BLSY_YJDateunit);
}

// --- pictures ---------------------------------------------------------------

Tm_FrameCaseBLSY::PictureTexts Tm_FrameCaseBLSY::picturesTexts(int which) const
{
    const QString name = caseObject() ? caseObject()->PatientName : QString();
    const QString patient = QStringLiteral("选择病人") + name;
    switch (which) {
    case 0:
        return {patient + QStringLiteral("的照片"), patient + QStringLiteral("照片导出文件名"),
                QStringLiteral("该病人未设置照片!"), QStringLiteral("确认要删除该病人的照片吗?"), QString()};
    case 1:
        return {patient + QStringLiteral("的参考图1"), patient + QStringLiteral("参考图1导出文件名"),
                QStringLiteral("未设置参考图1!"), QStringLiteral("确认要删除参考图1吗?"),
                QStringLiteral("参考图1无图片可浏览!")};
    default:
        return {patient + QStringLiteral("的参考图2"), patient + QStringLiteral("参考图2导出文件名"),
                QStringLiteral("未设参考图2!"), QStringLiteral("确认要删除参考图2吗?"), QStringLiteral("参考图2无图片可浏览!")};
    }
}

void Tm_FrameCaseBLSY::showPicture(int which, const QImage &image)
{
    m_pictures[which] = image;
    QLabel *label = pictureLabel(which);
    if (image.isNull()) {
        label->clear();
        return;
    }
    const QSize room = label->contentsRect().size();
    label->setPixmap(QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

bool Tm_FrameCaseBLSY::storePicture(int which, const QImage *image)
{
    CaseStore store = CaseStore::current();
    const QString number = caseNumberText();
    const bool stored = which == 0 ? store.StorePatientPicture(number, image)
                                   : store.StoreReferencePicture(number, which - 1, image);
    if (!stored)
        Prompter::instance().message(QStringLiteral("图片保存失败!病案可能已被删除,或数据库暂时不能写入."), kPrompt,
                                     Prompter::Icon::Error);
    return stored;
}

void Tm_FrameCaseBLSY::importPicture(int which)
{
    const QString file = Prompter::instance().openFileName(picturesTexts(which).importTitle, QString(), kJpegFilter);
    if (file.isEmpty())
        return;
    QImage image;
    if (!JpegCodec::decodeFile(file, &image) || image.isNull()) {
        Prompter::instance().message(kUnreadable, kPrompt, Prompter::Icon::Error);
        return;
    }
    if (storePicture(which, &image))
        showPicture(which, image);
}

void Tm_FrameCaseBLSY::exportPicture(int which)
{
    const PictureTexts texts = picturesTexts(which);
    if (m_pictures[which].isNull()) {
        Prompter::instance().message(texts.nothing, kPrompt, Prompter::Icon::Information);
        return;
    }
    QString file = Prompter::instance().saveFileName(texts.exportTitle, QString(), kJpegFilter);
    if (file.isEmpty())
        return;
    if (file.right(4).toUpper() != QLatin1String(".JPG"))
        file += QStringLiteral(".JPG");
    if (!JpegCodec::encodeFile(m_pictures[which], file))
        Prompter::instance().message(kExportError, kPrompt, Prompter::Icon::Error);
}

void Tm_FrameCaseBLSY::deletePicture(int which)
{
    const PictureTexts texts = picturesTexts(which);
    if (m_pictures[which].isNull()) {
        Prompter::instance().message(texts.nothing, kPrompt, Prompter::Icon::Information);
        return;
    }
    if (!Prompter::instance().question(texts.deleteQuestion, kPrompt))
        return;
    if (storePicture(which, nullptr))
        showPicture(which, QImage());
}

QString Tm_FrameCaseBLSY::viewerFile()
{
    static QTemporaryDir dir(QDir::temp().filePath(QStringLiteral("zybl-XXXXXX")));
    return dir.isValid() ? dir.filePath(QStringLiteral("HVNTempFileName.JPG")) : QString();
}

void Tm_FrameCaseBLSY::viewPicture(int which)
{
    Prompter &prompter = Prompter::instance();
    const QString viewer = Settings::text(Setting::ExternPictureViewer).trimmed();
    if (viewer.isEmpty()) {
        prompter.message(QStringLiteral("系统未设置外部图片浏览软件,请进入系统数据维护窗口设置!"), kPrompt, Prompter::Icon::Error);
        return;
    }
    if (m_pictures[which].isNull()) {
        prompter.message(picturesTexts(which).nothingToView, kPrompt, Prompter::Icon::Error);
        return;
    }
    const QString file = viewerFile();
    QFile::remove(file);
    if (file.isEmpty() || !JpegCodec::encodeFile(m_pictures[which], file)) {
        prompter.message(QStringLiteral("无足够的内存或系统资源用于浏览当前图片!"), kPrompt, Prompter::Icon::Error);
        return;
    }
    const QString prefix = QStringLiteral("指定外部浏览程序: ") + viewer + QStringLiteral("\n\n");
    switch (ExternalProgram::Start(viewer, file)) {
    case ExternalProgram::Outcome::Started:
        break;
    case ExternalProgram::Outcome::NoResources:
        prompter.message(QStringLiteral("无足够的内存或系统资源用于浏览当前图片!"), kPrompt, Prompter::Icon::Error);
        break;
    case ExternalProgram::Outcome::NotExecutable:
        prompter.message(prefix + QStringLiteral("该外部图片浏览软件为非可执行程序!"), kPrompt, Prompter::Icon::Error);
        break;
    case ExternalProgram::Outcome::NotFound:
        prompter.message(prefix + QStringLiteral("找不到该外部图片浏览软件!可能该软件已删除或所在文件夹已改变!"), kPrompt,
                         Prompter::Icon::Error);
        break;
    case ExternalProgram::Outcome::PathNotFound:
        prompter.message(prefix + QStringLiteral("该外部图片浏览软件无法正常启动!可能路径不存在!"), kPrompt,
                         Prompter::Icon::Error);
        break;
    }
}

// --- diagnoses --------------------------------------------------------------

void Tm_FrameCaseBLSY::editDiagnoses()
{
    if (!caseObject())
        return;
    {
        Tm_LCZDDlg dialog(this, *caseObject());
        dialog.exec();
    }
    // The dialog keeps its own table; the grid shows the first six of it and
    // reaches the case object with the next save.
    for (int r = 0; r < kDiagnosisRows; ++r)
        for (int c = 0; c < 4; ++c)
            m_BLSY_LCZDQK->item(r, c)->setText(QString());
    const QList<DiagnosisStore::DiagnosisRow> rows =
        DiagnosisStore(Tm_CaseDataModule::currentMainDb()).ListDiagnoses(caseObject()->CaseNumber);
    for (int r = 0; r < kDiagnosisRows && r < rows.size(); ++r) {
        const DiagnosisStore::DiagnosisRow &row = rows.at(r);
        const QString cells[] = {row.name.trimmed(), row.date.isValid() ? row.date.toString(QStringLiteral("yyyy-MM-dd")) : QString(),
                                 row.icd10.trimmed(), row.memo.trimmed()};
        for (int c = 0; c < 4; ++c)
            m_BLSY_LCZDQK->item(r, c)->setText(cells[c]);
    }
}

// --- printing ---------------------------------------------------------------

bool Tm_FrameCaseBLSY::PrintPage()
{
    ShowPrintPreview(QStringLiteral("病历系统-病历首页打印"), [this](PrintJob &job) { RenderPage(job); }, this);
    return true;
}

void Tm_FrameCaseBLSY::RenderPage(PrintJob &job)
{
    QPainter &p = job.painter();
    const PrintJob::Margins margins = job.margins();
    const QSize page = job.pageSize();
    const int left = margins.left;
    const int top = margins.top;
    const int right = page.width() - margins.right;
    const int bottom = page.height() - margins.bottom;

    QFont titleFont = PrintJob::titleFont();
    titleFont.setBold(true);
    titleFont.setUnderline(true);
    p.setFont(titleFont);
    p.setPen(PrintJob::titleColor());
    const QFontMetrics titleMetrics = p.fontMetrics();
    const int titleHeight = titleMetrics.height() + titleMetrics.leading();
    p.drawText(QRect(left, top, right - left, titleHeight), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
               Settings::text(Setting::UnitName, Settings::kClinicUnitName) + QStringLiteral("病案首页"));

    p.setFont(PrintJob::bodyFont());
    p.setPen(PrintJob::bodyColor());
    const QFontMetrics fm = p.fontMetrics();
    const int L = fm.height() + fm.leading();
    const int W = fm.horizontalAdvance(QStringLiteral("正"));
    // A text at (x, y) for its top that never runs into the next entry before
    // `limit`: a little too long, it is set narrower; far too long, it is cut
    // short with an ellipsis.
    auto text = [&](int x, int y, const QString &s, int limit, int height) {
        const int width = limit - x - W / 4; // a small gap before the next entry
        if (width <= 0)
            return;
        const QFont normal = p.font();
        const int advance = fm.horizontalAdvance(s);
        if (advance > width) {
            QFont narrow = normal;
            narrow.setStretch(qMax(70, 100 * width / advance));
            p.setFont(narrow);
        }
        p.drawText(QRect(x, y, width, height), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(s, Qt::ElideRight, width));
        p.setFont(normal);
    };
    // Pictures keep their proportions inside their box, and the box stays on the page.
    auto picture = [&](QRect box, const QImage &image) {
        box = box.intersected(QRect(left, top, right - left, bottom - top));
        if (image.isNull() || box.width() <= 0 || box.height() <= 0)
            return;
        const QSize size = image.size().scaled(box.size(), Qt::KeepAspectRatio);
        p.drawImage(QRect(box.left() + (box.width() - size.width()) / 2, box.top(), size.width(), size.height()), image);
    };

    // Particulars beside the photograph.
    const int firstLine = top + titleHeight + L;
    const int photoHeight = 6 * L;
    const int photoWidth = photoHeight * 4 / 5;
    const QRect photo(right - photoWidth, firstLine, photoWidth, photoHeight);
    picture(photo, m_pictures[0]);
    struct Item { int offset; QString label; QString value; };
    const QList<QList<Item>> lines = {
        {{0, QStringLiteral("姓名:"), m_BLSY_XM->text()}, {7, QStringLiteral("性别:"), m_BLSY_XB->currentText()},
         {11, QStringLiteral("年龄:"), m_BLSY_NL->text()}, {16, QStringLiteral("文化程度:"), m_BLSY_WHCD->currentText()},
         {24, QStringLiteral("婚况:"), m_BLSY_HY->currentText()}, {29, QStringLiteral("民族:"), m_BLSY_MZ->currentText()}},
        {{0, QStringLiteral("国籍:"), m_BLSY_GJ->text()}, {6, QStringLiteral("籍贯:"), m_BLSY_JG->text()},
         {14, QStringLiteral("职业:"), m_BLSY_ZY->text()}, {22, QStringLiteral("工作单位:"), m_BLSY_GZDW->text()}},
        {{0, QStringLiteral("单位电话:"), m_BLSY_DWDH->text()}, {12, QStringLiteral("联系住址:"), m_BLSY_JTDZ->text()},
         {27, QStringLiteral("联系电话:"), m_BLSY_LXDH->text()}},
        {{0, QStringLiteral("身份证号码:"), m_BLSY_SFZ->text()}, {18, QStringLiteral("邮政编码:"), m_BLSY_YZBM->text()},
         {28, QStringLiteral("联系人:"), m_BLSY_LXR->text()}},
        {{0, QStringLiteral("联系人关系:"), m_BLSY_LXRGX->text()}, {10, QStringLiteral("联系人地址:"), m_BLSY_LXRDZ->text()},
         {23, QStringLiteral("联系人电话:"), m_BLSY_LXRDH->text()}},
        {{0, QStringLiteral("主要诊断:"), m_BLSY_ZYZD->text()}},
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QList<Item> &line = lines.at(i);
        for (int k = 0; k < line.size(); ++k) {
            const int limit = k + 1 < line.size() ? left + line.at(k + 1).offset * W : photo.left() - W / 2;
            text(left + line.at(k).offset * W, firstLine + i * L, line.at(k).label + line.at(k).value, limit, L);
        }
    }

    // The ruled table of earlier diagnoses: a heading row and six rows, each 2 L high.
    const int firstRule = firstLine + 7 * L;
    const int lastRule = firstRule + 7 * 2 * L;
    for (int k = 0; k <= 7; ++k)
        p.drawLine(left, firstRule + k * 2 * L, right, firstRule + k * 2 * L);
    const int columns[] = {0, 16, 24, 31};
    for (int offset : columns)
        p.drawLine(left + offset * W, firstRule, left + offset * W, lastRule);
    p.drawLine(right, firstRule, right, lastRule);
    auto tableRow = [&](int row, const QStringList &cells) {
        for (int c = 0; c < 4; ++c) {
            const int limit = c < 3 ? left + columns[c + 1] * W - W / 4 : right - W / 4;
            text(left + (columns[c] + 1) * W, firstRule + row * 2 * L, cells.value(c), limit, 2 * L);
        }
    };
    tableRow(0, {QStringLiteral("历次诊断结论"), QStringLiteral("初诊日期"), QStringLiteral("ICD-10编码"), QStringLiteral("备注说明")});
    for (int r = 0; r < kDiagnosisRows; ++r) {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << m_BLSY_LCZDQK->item(r, c)->text();
        tableRow(1 + r, cells);
    }

    int y = lastRule + L;
    text(left, y, QStringLiteral("既往病史:") + m_BLSY_JWS->text(), right, L);
    y += L;
    text(left, y, QStringLiteral("过敏药物:") + m_BLSY_GMYW->text(), right, L);
    y += L;
    text(left, y, QStringLiteral("ABO血型:") + m_BLSY_XX->currentText(), left + 10 * W, L);
    text(left + 10 * W, y, QStringLiteral("病案号:") + caseNumberText(), left + 20 * W, L);
    text(left + 20 * W, y, QStringLiteral("内部编码:") + m_BLSY_NBBM->text(), right, L);
    y += 2 * L;
    text(left + 2 * W, y, QStringLiteral("--参考图1--"), left + 25 * W, L);
    text(left + 25 * W, y, QStringLiteral("--参考图2--"), right, L);
    y += L;
    const QSize reference(MMToPixelX(job.device(), 85), MMToPixelY(job.device(), 130));
    const QRect first(QPoint(left, y), reference);
    picture(first, m_pictures[1]);
    picture(QRect(QPoint(first.right() + 1 + W, y), reference), m_pictures[2]);
}
