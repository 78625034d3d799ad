#include "case/casedataform.h"

#include "case/caseobject.h"
#include "case/casepage.h"
#include "case/casestore.h"
#include "core/imagelists.h"
#include "core/launchers.h"
#include "core/mainform.h"
#include "core/prompter.h"
#include "core/rights.h"
#include "core/settings.h"
#include "core/statuspanels.h"
#include "pages/framecasebcjl.h"
#include "pages/framecaseblsy.h"
#include "pages/framecasefzjc.h"
#include "pages/framecasejcjl.h"
#include "recipe/framecasecfjl.h"

#include <QAction>
#include <QDate>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinterInfo>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kPrompt = QStringLiteral("提示");

const char *const kPrintHints[TCaseDataForm::PageCount] = {
    "打印病历首页的内容", "打印当前病程记录的内容", "打印选中已开处方的内容", "打印当前检测记录的分析图",
    "打印当前辅助检查单的内容"};

TCasePage *makeRealPage(int index, QWidget *parent)
{
    switch (index) {
    case TCaseDataForm::BLSY: return new Tm_FrameCaseBLSY(parent);
    case TCaseDataForm::BCJL: return new Tm_FrameCaseBCJL(parent);
    case TCaseDataForm::CFJL: return new Tm_FrameCaseCFJL(parent);
    case TCaseDataForm::JCJL: return new Tm_FrameCaseJCJL(parent);
    default: return new Tm_FrameCaseFZJC(parent);
    }
}

} // namespace

TCaseDataForm::TCaseDataForm(QWidget *owner, const QString &caseNumber, const CUserSecurityData &user,
                             int pageFlags, const PageFactory &pageFactory)
    : QDialog(owner), m_caseNumber(caseNumber), m_user(user), m_pageFlags(pageFlags | FrontPageFlag)
{
    setObjectName(QStringLiteral("TCaseDataForm"));
    setWindowTitle(QStringLiteral("病历窗口"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    const PageFactory factory = pageFactory ? pageFactory : PageFactory(makeRealPage);
    const char *const names[PageCount] = {"m_BLSY", "m_BCJL", "m_CFJL", "m_JCJL", "m_FZJC"};
    for (int i = 0; i < PageCount; ++i) {
        m_pages[i] = factory(i, this);
        m_pages[i]->setObjectName(QString::fromLatin1(names[i]));
    }
    m_BLSY = m_pages[BLSY];
    m_BCJL = m_pages[BCJL];
    m_CFJL = m_pages[CFJL];
    m_JCJL = m_pages[JCJL];
    m_FZJC = m_pages[FZJC];

    createActions();
    createToolBar();
    createStatusBar();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_ToolBar_CaseRecord);
    for (TCasePage *page : m_pages)
        layout->addWidget(page, 1);
    layout->addWidget(m_StatusBar_CaseRecord);

    applyPageFlags();
    applyButtonSettings();
    // Before the case is open only the front page is there, and it is empty.
    for (int i = 0; i < PageCount; ++i) {
        m_pages[i]->setVisible(i == BLSY);
        m_pages[i]->setEnabled(i == BLSY);
    }

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        resize(qMin(1000, available.width()), qMin(720, available.height() - 40));
    } else {
        resize(1000, 720);
    }
}

TCaseDataForm::~TCaseDataForm()
{
    // Destroyed without having been closed (the owner went first): let go of the seal all the same.
    finishClose();
}

QAction *TCaseDataForm::makeAction(const char *name, const QString &caption, const QString &shortcut,
                                   const QString &hint)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(QKeySequence(shortcut));
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    addAction(action); // shortcuts work wherever the focus is in the window
    return action;
}

void TCaseDataForm::createActions()
{
    m_Action_CaseToolbar_SwitchToBLSY =
        makeAction("m_Action_CaseToolbar_SwitchToBLSY", QStringLiteral("病历首页"), QStringLiteral("Ctrl+F5"),
                   QStringLiteral("显示病历首页"));
    m_Action_CaseToolbar_SwitchToBCJL =
        makeAction("m_Action_CaseToolbar_SwitchToBCJL", QStringLiteral("门诊记录"), QStringLiteral("Ctrl+F6"),
                   QStringLiteral("显示病程记录"));
    m_Action_CaseToolbar_SwitchToBCJL->setIconText(QStringLiteral("病程记录"));
    m_Action_CaseToolbar_SwitchToCFJL =
        makeAction("m_Action_CaseToolbar_SwitchToCFJL", QStringLiteral("电子处方"), QStringLiteral("Ctrl+F7"),
                   QStringLiteral("显示电子处方"));
    m_Action_CaseToolbar_SwitchToMZGC =
        makeAction("m_Action_CaseToolbar_SwitchToMZGC", QStringLiteral("门诊观察"), QStringLiteral("Ctrl+F8"),
                   QString());
    m_Action_CaseToolbar_SwitchToJCJL =
        makeAction("m_Action_CaseToolbar_SwitchToJCJL", QStringLiteral("健康监测"), QStringLiteral("Ctrl+F10"),
                   QStringLiteral("显示健康监测记录"));
    m_Action_CaseToolbar_SwitchToFZJC =
        makeAction("m_Action_CaseToolbar_SwitchToFZJC", QStringLiteral("辅助检查"), QStringLiteral("Ctrl+F9"),
                   QStringLiteral("显示辅助检查单"));
    m_pageActions = {m_Action_CaseToolbar_SwitchToBLSY, m_Action_CaseToolbar_SwitchToBCJL,
                     m_Action_CaseToolbar_SwitchToCFJL, m_Action_CaseToolbar_SwitchToJCJL,
                     m_Action_CaseToolbar_SwitchToFZJC};
    for (int i = 0; i < PageCount; ++i) {
        m_pageActions[i]->setCheckable(true);
        connect(m_pageActions[i], &QAction::triggered, this, [this, i] { ShowPage(i); });
    }

    m_Action_CaseToolbar_SearchCase = makeAction("m_Action_CaseToolbar_SearchCase", QStringLiteral("检索"),
                                                 QStringLiteral("Ctrl+I"), QStringLiteral("在数据库中检索病案"));
    m_Action_CaseToolbar_OpenCase = makeAction("m_Action_CaseToolbar_OpenCase", QStringLiteral("打开"),
                                               QStringLiteral("Ctrl+O"), QStringLiteral("打开选择的病案"));
    m_Action_CaseToolbar_Study =
        makeAction("m_Action_CaseToolbar_Study", QStringLiteral("顾问"), QString(), QStringLiteral("打开医疗顾问窗口"));
    m_Action_CaseToolbar_YXWS = makeAction("m_Action_CaseToolbar_YXWS", QStringLiteral("证明"), QString(),
                                           QStringLiteral("给当前患者开具医学证明文书"));
    m_Action_CaseToolbar_Print = makeAction("m_Action_CaseToolbar_Print", QStringLiteral("打印"),
                                            QStringLiteral("Ctrl+P"), QString::fromUtf8(kPrintHints[BLSY]));
    m_Action_CaseToolbar_Save = makeAction("m_Action_CaseToolbar_Save", QStringLiteral("保存"),
                                           QStringLiteral("Ctrl+S"), QStringLiteral("将当前病案存盘"));
    m_Action_CaseToolbar_Close = makeAction("m_Action_CaseToolbar_Close", QStringLiteral("关闭"),
                                            QStringLiteral("Ctrl+Q"), QStringLiteral("关闭当前病案"));

    connect(m_Action_CaseToolbar_SearchCase, &QAction::triggered, this,
            [this] { leaveFor(QStringLiteral("要检索病案必须将当前病案关闭,确认吗?"), true); });
    connect(m_Action_CaseToolbar_OpenCase, &QAction::triggered, this,
            [this] { leaveFor(QStringLiteral("打开新的病案后将关闭当前病案,确认吗?"), false); });
    connect(m_Action_CaseToolbar_Study, &QAction::triggered, this, &TCaseDataForm::showAdvisor);
    connect(m_Action_CaseToolbar_YXWS, &QAction::triggered, this, &TCaseDataForm::showCertificate);
    connect(m_Action_CaseToolbar_Print, &QAction::triggered, this, &TCaseDataForm::printPage);
    connect(m_Action_CaseToolbar_Save, &QAction::triggered, this, [this] { SaveCase(); });
    connect(m_Action_CaseToolbar_Close, &QAction::triggered, this, &TCaseDataForm::reject);
}

void TCaseDataForm::createToolBar()
{
    m_ToolBar_CaseRecord = new QToolBar(this);
    m_ToolBar_CaseRecord->setObjectName(QStringLiteral("m_ToolBar_CaseRecord"));
    m_ToolBar_CaseRecord->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_ToolBar_CaseRecord->setIconSize(QSize(32, 32));

    struct Button { QAction *action; const char *glyph; QColor colour; };
    const QColor pageColour(0x2f, 0x9e, 0x8f);
    const QColor toolColour(0x2e, 0x75, 0xb6);
    const Button buttons[] = {
        {m_Action_CaseToolbar_SwitchToBLSY, "首", pageColour}, {m_Action_CaseToolbar_SwitchToBCJL, "程", pageColour},
        {m_Action_CaseToolbar_SwitchToCFJL, "方", pageColour}, {m_Action_CaseToolbar_SwitchToJCJL, "测", pageColour},
        {m_Action_CaseToolbar_SwitchToFZJC, "检", pageColour}, {nullptr, nullptr, QColor()},
        {m_Action_CaseToolbar_SearchCase, "索", toolColour},   {m_Action_CaseToolbar_OpenCase, "开", toolColour},
        {m_Action_CaseToolbar_Study, "顾", toolColour},        {m_Action_CaseToolbar_YXWS, "证", toolColour},
        {nullptr, nullptr, QColor()},                          {m_Action_CaseToolbar_Print, "印", toolColour},
        {m_Action_CaseToolbar_Save, "存", QColor(0xd9, 0x7b, 0x29)},
        {m_Action_CaseToolbar_Close, "关", QColor(0xb0, 0x3a, 0x2e)},
    };
    for (const Button &b : buttons) {
        if (!b.action) {
            m_ToolBar_CaseRecord->addSeparator();
            continue;
        }
        b.action->setIcon(ImageLists::Glyph(QString::fromUtf8(b.glyph), b.colour));
        m_ToolBar_CaseRecord->addAction(b.action);
        if (QWidget *button = m_ToolBar_CaseRecord->widgetForAction(b.action))
            button->setObjectName(b.action->objectName() + QStringLiteral("_Button"));
    }
}

void TCaseDataForm::createStatusBar()
{
    m_StatusBar_CaseRecord = new QStatusBar(this);
    m_StatusBar_CaseRecord->setObjectName(QStringLiteral("m_StatusBar_CaseRecord"));
    m_StatusBar_CaseRecord->setSizeGripEnabled(false);
    const QList<QLabel *> panels = AddStatusPanels(m_StatusBar_CaseRecord, {0, 0, 0, 0, 0, 1});
    std::copy(panels.begin(), panels.end(), m_StatusPanels.begin());
    m_StatusPanels[0]->setText(QStringLiteral("青岚舟软件"));
    refreshStatusBar();
}

void TCaseDataForm::applyPageFlags()
{
    const std::array<int, PageCount> bits = {FrontPageFlag, ProgressNotesFlag, PrescriptionsFlag, MonitoringFlag,
                                             ExaminationsFlag};
    for (int i = 0; i < PageCount; ++i) {
        const bool on = (m_pageFlags & bits[i]) != 0;
        m_pageActions[i]->setEnabled(on);
        // The prescription button stays in its place even when the page is off.
        m_pageActions[i]->setVisible(on || i == CFJL);
    }
}

void TCaseDataForm::applyButtonSettings()
{
    const std::pair<QAction *, Setting> buttons[] = {
        {m_Action_CaseToolbar_OpenCase, Setting::DisplayOpenButtonOnCaseDlg},
        {m_Action_CaseToolbar_SearchCase, Setting::DisplaySearchButtonOnCaseDlg},
        {m_Action_CaseToolbar_YXWS, Setting::DisplayYXWSButtonOnCaseDlg},
        {m_Action_CaseToolbar_Study, Setting::DisplayStudyButtonOnCaseDlg},
    };
    for (const auto &[action, setting] : buttons) {
        const bool on = Settings::flag(setting);
        action->setVisible(on);
        action->setEnabled(on);
    }
}

void TCaseDataForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown && !event->spontaneous()) {
        m_shown = true;
        openOnShow();
    }
}

void TCaseDataForm::openOnShow()
{
    CaseStore store = CaseStore::current();
    // Seal first and read under the seal: whatever this window loads is what
    // nobody else can change until it closes. A case that is missing or sealed
    // by anyone (this operator included) cannot be sealed.
    if (!store.LockCase(m_user.UserSN, m_caseNumber)) {
        failLoad();
        return;
    }
    auto loaded = std::make_unique<TCaseObject>();
    if (!store.LoadSealedCase(m_user.UserSN, m_caseNumber, *loaded)) {
        store.UnlockCase(m_user.UserSN, m_caseNumber); // our own seal, taken a moment ago
        failLoad();
        return;
    }
    m_case = std::move(loaded);
    m_case->CaseNumber = m_caseNumber.trimmed().toInt();
    store.TouchCase(m_caseNumber, QDate::currentDate());

    refreshStatusBar();
    for (int i : {BLSY, CFJL, BCJL, JCJL, FZJC})
        m_pages[i]->AttachCase(*m_case, m_user);
    ShowPage(BLSY);
}

void TCaseDataForm::failLoad()
{
    Prompter::instance().message(QStringLiteral("对指定的病案打开操作失败,病案号: ") + m_caseNumber
                                     + QStringLiteral("\n\n该病案可能已被封存,请待解除封存后再试."),
                                 kPrompt, Prompter::Icon::Error);
    m_closeWithoutAsking = true;
    m_loadFailed = true;
    QMetaObject::invokeMethod(this, &TCaseDataForm::reject, Qt::QueuedConnection);
}

void TCaseDataForm::refreshStatusBar()
{
    m_StatusPanels[1]->setText(QStringLiteral("住院号:") + m_caseNumber);
    const TCaseObject *c = m_case.get();
    m_StatusPanels[2]->setText(QStringLiteral("姓名:") + (c ? c->PatientName : QString()));
    m_StatusPanels[3]->setText(QStringLiteral("性别:") + (c ? c->PatientSex : QString()));
    m_StatusPanels[4]->setText(QStringLiteral("年龄:") + (c ? c->AgeDisplay : QString()));
    m_StatusPanels[5]->setText(QStringLiteral("住宅地址:") + (c ? c->Address : QString()));
}

void TCaseDataForm::ShowPage(int index)
{
    if (index < 0 || index >= PageCount || !m_case)
        return;
    m_currentPage = index;
    for (int i = 0; i < PageCount; ++i) {
        m_pages[i]->setVisible(i == index);
        m_pages[i]->setEnabled(i == index);
        m_pageActions[i]->setChecked(i == index);
        if (QWidget *button = m_ToolBar_CaseRecord->widgetForAction(m_pageActions[i]))
            button->setStyleSheet(i == index ? QStringLiteral("color: #ff0000;") : QStringLiteral("color: #008080;"));
    }
    const QString hint = QString::fromUtf8(kPrintHints[index]);
    m_Action_CaseToolbar_Print->setToolTip(hint);
    m_Action_CaseToolbar_Print->setStatusTip(hint);
    for (int i : {BCJL, CFJL, FZJC}) {
        if (i == index)
            m_pages[i]->ActivatePage();
        else
            m_pages[i]->DeactivatePage();
    }
}

bool TCaseDataForm::SaveCase()
{
    if (!m_case)
        return false;
    m_BLSY->StoreToCase(*m_case);
    // One statement that writes only while this operator holds the seal: the
    // seal is never lifted, so no other workstation can slip in during a save.
    const bool saved = CaseStore::current().SaveSealedCase(m_user.UserSN, m_caseNumber, *m_case);
    if (!saved)
        Prompter::instance().message(QStringLiteral("数据保存失败!当前的病案号可能已被他人锁定!\n请稍后再试!"), kPrompt,
                                     Prompter::Icon::Information);
    refreshStatusBar();
    return saved;
}

void TCaseDataForm::printPage()
{
    if (!m_case)
        return;
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        Prompter::instance().message(QStringLiteral("Windows打印配置不正确!暂时不能打印,请检查你的打印配置!"), kPrompt,
                                     Prompter::Icon::Error);
    TCasePage *page = m_pages[m_currentPage];
    // Printing shows what the page holds, so it needs the right to read it.
    if (!Rights::has(m_user.Rights, page->readRight()))
        return;
    if (!page->PrintPage())
        Prompter::instance().message(QStringLiteral("打印出现错误,请检查Windows的打印配置是否正确!"), kPrompt,
                                     Prompter::Icon::Error);
}

void TCaseDataForm::leaveFor(const QString &question, bool search)
{
    if (!m_case || !Prompter::instance().question(question, kPrompt))
        return;
    // A case that could not be saved stays open with its edits rather than lose them.
    if (!SaveCase())
        return;
    m_closeWithoutAsking = true;
    setEnabled(false);
    if (search)
        TMainForm::postSearchCase();
    else
        TMainForm::postOpenCase(-1);
    QMetaObject::invokeMethod(this, &TCaseDataForm::reject, Qt::QueuedConnection);
}

void TCaseDataForm::showCertificate()
{
    if (m_case)
        ShowMedicalNote(m_case.get(), 0, m_user);
}

void TCaseDataForm::showAdvisor()
{
    ShowStudyCampus();
}

void TCaseDataForm::reject()
{
    if (m_closed)
        return;
    if (!m_closeWithoutAsking && Settings::flag(Setting::SaveHintCloseCase)
        && !Prompter::instance().question(QStringLiteral("提示!!!\n退出之前请确认所做的修改已保存!\n\n真的要退出当前病历处理吗?"),
                                          QStringLiteral("确认...")))
        return;
    finishClose();
    QDialog::reject();
}

void TCaseDataForm::finishClose()
{
    if (m_closed)
        return;
    m_closed = true;
    // Only the seal this window took; a failed open took none that is left.
    if (m_case && !m_loadFailed)
        CaseStore::current().UnlockCase(m_user.UserSN, m_caseNumber);
}
