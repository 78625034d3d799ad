#include "core/mainform.h"

#include "case/casedataform.h"
#include "case/casesearchdlg.h"
#include "case/casestore.h"
#include "core/casedatamodule.h"
#include "core/imagelists.h"
#include "core/jpegcodec.h"
#include "core/launchers.h"
#include "core/loginsession.h"
#include "core/prompter.h"
#include "core/rights.h"
#include "core/settings.h"
#include "core/statuspanels.h"

#include <QAudioOutput>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMediaPlayer>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#ifndef ZYBL_VERSION
#define ZYBL_VERSION "0.1"
#endif

namespace {

TMainForm *g_mainForm = nullptr;

const QString kProductName = QStringLiteral("青岚舟住院病历系统");
const QString kHelpFile = QStringLiteral("ZYHelp.CHM");
const QString kHint = QStringLiteral("提示");

// Entries after a separator of the menu bar are placed at its right end; the
// help menu sits there.
class RightAlignedHelpStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_DrawMenuBarSeparator)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The cover: a soft gradient with a faint cross, so it looks finished even
// without a cover picture.
class CoverPanel : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient background(0, 0, 0, height());
        background.setColorAt(0, QColor(0xe4, 0xee, 0xf8));
        background.setColorAt(1, QColor(0xfb, 0xfd, 0xff));
        p.fillRect(rect(), background);

        // A watermark where the cover picture goes; the picture hides it.
        const int arm = qMin(width(), height()) / 8;
        const QPoint c(width() / 2, height() / 2 + 10);
        QPainterPath cross;
        cross.addRoundedRect(QRectF(c.x() - arm / 2.0, c.y() - arm * 1.5, arm, arm * 3), 6, 6);
        cross.addRoundedRect(QRectF(c.x() - arm * 1.5, c.y() - arm / 2.0, arm * 3, arm), 6, 6);
        cross.setFillRule(Qt::WindingFill);
        p.fillPath(cross, QColor(0xc0, 0x20, 0x20, 22));
    }
};

QFont kaiFont(int pointSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("楷体_GB2312"), QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC")});
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

const QString kStyleSheet = QStringLiteral(R"(
QWidget#m_Panel_Left {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #1f4e79, stop:1 #12324f);
}
QWidget#m_Panel_Left QPushButton {
    color: white; background: transparent; border: none; border-radius: 4px;
    text-align: left; padding: 9px 4px; font-size: 12pt;
}
QWidget#m_Panel_Left QPushButton:hover { background: rgba(255, 255, 255, 40); }
QWidget#m_Panel_Left QPushButton:checked { background: #f4f8fc; color: #1f4e79; font-weight: bold; }
QLabel#m_Label_Logo { color: #ffffff; font-size: 13pt; font-weight: bold; }
QLabel#m_Label_CurDateTime { color: #cfe3f5; }
QWidget[navigation="true"] { background: #f4f8fc; }
QWidget[navigation="true"] QPushButton {
    background: white; border: 1px solid #b9cde0; border-radius: 6px;
    padding: 6px 10px; text-align: left; font-size: 11pt; color: #1b2b3a;
}
QWidget[navigation="true"] QPushButton:hover { background: #e6f0fa; border-color: #1f4e79; }
QWidget[navigation="true"] QPushButton:pressed { background: #d2e3f4; }
QWidget[navigation="true"] QPushButton:disabled { color: #9aa5b0; background: #f0f2f4; border-color: #d5dbe1; }
QLabel[role="heading"] { color: #1f4e79; }
QLabel[role="description"] { color: #4a5866; }
QLabel#m_Label_Rights {
    background: rgba(255, 255, 255, 215); border: 1px solid #b9cde0; border-radius: 6px;
    padding: 8px 12px; color: #23384d;
}
QLabel#m_Image_UserPicture { background: white; border: 1px solid #9fb6cc; }
)");

} // namespace

TMainForm::TMainForm(LoginSession *session, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_caseFinder(SelectCase)
{
    Q_ASSERT(session);
    g_mainForm = this;
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(kProductName);
    setStyleSheet(kStyleSheet);

    // 1. The directory later screens expect to be current.
    m_startupDir = QDir::currentPath();

#if defined(Q_OS_LINUX)
    // Qt's GStreamer backend crashes while building its player when the
    // GStreamer base plugins are not installed; the FFmpeg one ships in the
    // same package and reports unplayable files as errors. An explicit
    // QT_MEDIA_BACKEND still wins.
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
#endif
    m_MediaPlayer_BackMusic = new QMediaPlayer(this);
    m_MediaPlayer_BackMusic->setObjectName(QStringLiteral("m_MediaPlayer_BackMusic"));
    m_AudioOutput_BackMusic = new QAudioOutput(this);
    m_MediaPlayer_BackMusic->setAudioOutput(m_AudioOutput_BackMusic);
    m_MediaPlayer_BackMusic->setLoops(QMediaPlayer::Infinite);

    createActions();
    createMenus();

    auto *client = new QWidget(this);
    auto *clientLayout = new QHBoxLayout(client);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->setSpacing(0);
    m_Panel_Client = new QStackedWidget(client);
    m_Panel_Client->setObjectName(QStringLiteral("m_Panel_Client"));
    clientLayout->addWidget(createLeftPanel());
    clientLayout->addWidget(m_Panel_Client, 1);
    setCentralWidget(client);

    m_Panel_Client->addWidget(createCover());

    struct NavigationButton {
        const char *name;
        const char *caption;
        QAction *action;
        const char *glyph;
        const char *description;
    };
    auto navigation = [this](const char *name, const char *title, const char *subtitle,
                             std::initializer_list<NavigationButton> buttons) {
        QWidget *panel = createNavigationPanel(name, QString::fromUtf8(title), QString::fromUtf8(subtitle));
        for (const NavigationButton &b : buttons)
            addNavigationButton(panel, b.name, QString::fromUtf8(b.caption), b.action, QString::fromUtf8(b.description),
                                QString::fromUtf8(b.glyph));
        return panel;
    };
    m_Panel_ZYCL = navigation(
        "m_Panel_ZYCL", "病房管理", "住院病人的电子病历、费用记帐及病人档案管理",
        {{"m_Button_DZBL", "住院电子病历", m_Action_DZBL, "历",
          "选择一名住院病人,打开其电子病历,书写病历首页、病程记录、处方及检查资料。"},
         {"m_Button_ZYSF", "住院费用记帐", m_Action_ZYSF, "费", "为住院病人记入药品、检查、治疗及床位等各项费用。"},
         {"m_Button_BAJS", "查找病人档案", m_Action_BAJS, "查", "按姓名、病案号、科室或入院日期查找在院及出院病人的档案。"},
         {"m_Button_UserLockCase", "封存病人档案", m_Action_UserLockCase, "封", "封存已完成的病案,封存后不能再修改。"},
         {"m_Button_UserUnLockCase", "解封病人档案", m_Action_UserUnLockCase, "解",
          "解除病案的封存,以便补充或更正病历资料。"}});
    m_Panel_CXTJ = navigation(
        "m_Panel_CXTJ", "查询统计", "处方用药、收费及病人情况的查询与统计",
        {{"m_Button_RecipeTotal", "处方及用药统计", m_Action_RecipeTotal, "药",
          "按时间、科室、医师和药品查询统计处方及用药数量。"},
         {"m_Button_MZFeeTotal", "门诊收费统计", m_Action_MZFeeTotal, "收", "统计门诊收费情况(本系统暂不提供)。"},
         {"m_Button_CaseAnalysis", "分析病人基本情况", m_Action_CaseAnalysis, "析",
          "按性别、年龄、病种、科室等统计分析住院病人的基本情况。"},
         {"m_Button_MZQKTJ", "门诊情况统计", nullptr, "诊", "统计门诊就诊情况(本系统暂不提供)。"},
         {"m_Button_PatientBook", "病人档案花名册", m_Action_PatientBook, "册", "列出并打印本科室的病人档案花名册。"}});
    m_Panel_FZGN = navigation(
        "m_Panel_FZGN", "辅助功能", "日常工作中的各种辅助工具",
        {{"m_Button_PlayBackMidiMusic", "播放背景音效", m_Action_PlayBackMidiMusic, "音",
          "播放或停止在系统数据维护中设置的背景音效。"},
         {"m_Button_UserWorkNote", "工作日志及短消息", m_Action_UserWorkNote, "志",
          "记录每日工作日志,与其他操作者互发短消息。"},
         {"m_Button_MedicalNote", "医学证明文书处理", m_Action_MedicalNote, "证",
          "书写、保存并打印诊断证明等医学证明文书。"},
         {"m_Button_StudyCampus", "医疗业务顾问", m_Action_StudyCampus, "顾",
          "查阅常见疾病的诊断与治疗资料,为医疗业务提供参考。"}});
    m_Panel_XTCZ = navigation(
        "m_Panel_XTCZ", "系统操作", "登陆、密码、锁定及系统数据维护",
        {{"m_Button_LoginAgain", "注销从新登陆", m_Action_LoginAgain, "登", "注销当前操作者,换一名操作者从新登陆系统。"},
         {"m_Button_ChangeLoginPwd", "修改我的登陆密码", m_Action_ChangeLoginPwd, "密",
          "修改当前操作者的登陆密码,下次登陆时生效。"},
         {"m_Button_LockSystem", "暂时锁定系统", m_Action_LockSystem, "锁", "暂时离开时锁定系统,输入登陆密码后方可继续使用。"},
         {"m_Button_DataManage", "系统数据维护", m_Action_DataManage, "维", "维护基础数据和综合选项,需要系统管理员权限。"},
         {"m_Button_Exit", "退出系统", m_Action_Exit, "退", "结束本次工作,退出住院病历系统。"},
         {"m_Button_UserLoginoutData", "查阅用户登陆操作", m_Action_UserLoginoutData, "阅",
          "查阅各操作者登陆和注销系统的记录。"}});

    createStatusBar();

    // 2. Options of this workstation.
    m_backMusicFileName = Settings::text(Setting::BackMidiMusic);
    m_session->setLockMinutes(Settings::integer(Setting::SystemLockMinute));
    QImage flag;
    const QString flagFile = Settings::text(Setting::FlagImageFileName);
    if (!flagFile.isEmpty() && JpegCodec::decodeFile(flagFile, &flag) && !flag.isNull())
        m_Image_Flag->setPixmap(QPixmap::fromImage(flag).scaled(QSize(560, 300), Qt::KeepAspectRatio,
                                                                 Qt::SmoothTransformation));
    else
        m_Image_Flag->clear();

    // 3. Top left of the screen, at most 1024 by 768.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        resize(qMin(1024, available.width()), qMin(768, available.height()));
        move(available.topLeft());
    } else {
        resize(1024, 768);
    }

    // 6. Hints: aqua with red text.
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor(0x00, 0xff, 0xff));
    tips.setColor(QPalette::ToolTipText, QColor(0xff, 0x00, 0x00));
    QToolTip::setPalette(tips);

    // 7. The banner.
    m_Label_Rights->setText(bannerText());

    connect(m_session, &LoginSession::operatorChanged, this, &TMainForm::refreshOperator);
    connect(m_session, &LoginSession::suspendedChanged, this, [this](bool suspended) {
        if (suspended)
            m_StatusPanel_4->setText(QStringLiteral("系统已被锁定"));
        else
            refreshIdle();
    });
    connect(m_MediaPlayer_BackMusic, &QMediaPlayer::errorOccurred, this, &TMainForm::backMusicFailed);
    connect(m_MediaPlayer_BackMusic, &QMediaPlayer::playbackStateChanged, this, &TMainForm::updateBackMusicCaption);

    m_Timer_Idle = new QTimer(this);
    m_Timer_Idle->setObjectName(QStringLiteral("m_Timer_Idle"));
    m_Timer_Idle->setInterval(1000);
    connect(m_Timer_Idle, &QTimer::timeout, this, &TMainForm::refreshIdle);
    m_Timer_Idle->start();

    qApp->installEventFilter(this);
    refreshOperator();
    showPanel(m_Panel_Main);
}

TMainForm::~TMainForm()
{
    qApp->removeEventFilter(this);
    if (g_mainForm == this)
        g_mainForm = nullptr;
}

TMainForm *TMainForm::instance()
{
    return g_mainForm;
}

void TMainForm::start()
{
    // Queued, so that the login dialog opens over the window already on screen.
    QMetaObject::invokeMethod(m_Action_LoginAgain, &QAction::trigger, Qt::QueuedConnection);
}

void TMainForm::postOpenCase(int caseNumber)
{
    if (g_mainForm)
        QCoreApplication::postEvent(g_mainForm, new CaseRequestEvent(CaseRequestEvent::OpenCase, caseNumber));
}

void TMainForm::postSearchCase()
{
    if (g_mainForm)
        QCoreApplication::postEvent(g_mainForm, new CaseRequestEvent(CaseRequestEvent::SearchCase));
}

void TMainForm::postLock()
{
    if (g_mainForm)
        QCoreApplication::postEvent(g_mainForm, new CaseRequestEvent(CaseRequestEvent::Lock));
}

void TMainForm::setCaseFinder(CaseFinder finder)
{
    m_caseFinder = finder ? std::move(finder) : CaseFinder(SelectCase);
}

int TMainForm::pageFlags()
{
    int flags = 0;
    if (Settings::flag(Setting::BCJL))
        flags += 2;
    if (Settings::flag(Setting::DZCF))
        flags += 4;
    if (Settings::flag(Setting::JCJL))
        flags += 8;
    if (Settings::flag(Setting::FZJC))
        flags += 16;
    return flags;
}

QString TMainForm::bannerText()
{
    return QStringLiteral("%1  版本 %2\n"
                          "住院电子病历、病房管理、费用记帐、查询统计及辅助功能集于一体。\n"
                          "请从左侧的功能面板或上方的菜单中选择要进行的操作。\n"
                          "需要帮助时,请按F1键打开系统使用说明。")
        .arg(kProductName, QStringLiteral(ZYBL_VERSION));
}

// --- actions and menus -------------------------------------------------------

QAction *TMainForm::makeAction(const char *name, const QString &caption, const QString &hint)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(hint);
    m_ActionList_MainMenu << action;
    return action;
}

void TMainForm::createActions()
{
    // Screens of later parts open where marked, once they exist; until then a
    // command ends after its rights check.
    m_Action_DZBL = makeAction("m_Action_DZBL", QStringLiteral("住院电子病历(&E)"),
                               QStringLiteral("选择一份住院病人的病案,打开住院电子病历窗口查阅和书写病历"));
    connect(m_Action_DZBL, &QAction::triggered, this, &TMainForm::openCaseByFinder);

    m_Action_BAJS = makeAction("m_Action_BAJS", QStringLiteral("查找病人档案(&B)"),
                               QStringLiteral("按姓名、病案号、科室等条件查找在院及出院病人的档案"));
    connect(m_Action_BAJS, &QAction::triggered, this, [this] {
        Tm_CaseSearchDlg dialog(this);
        dialog.exec(); // a chosen case comes back as message 2048
    });
    m_Action_UserLockCase = makeAction("m_Action_UserLockCase", QStringLiteral("病人档案封存(&L)"),
                                       QStringLiteral("封存选定的病人档案,封存后其他操作者不能再修改"));
    m_Action_UserUnLockCase = makeAction("m_Action_UserUnLockCase", QStringLiteral("病人档案解封(&U)"),
                                         QStringLiteral("解除对选定病人档案的封存"));
    connect(m_Action_UserLockCase, &QAction::triggered, this, &TMainForm::sealCase);
    connect(m_Action_UserUnLockCase, &QAction::triggered, this, &TMainForm::unsealCase);

    m_Action_PatientGetBedAndDoctor =
        makeAction("m_Action_PatientGetBedAndDoctor", QStringLiteral("分配病人床位及主管人员"),
                   QStringLiteral("为住院病人分配床位,并指定主管医师和主管护士"));
    connect(m_Action_PatientGetBedAndDoctor, &QAction::triggered, this, [this] {
        if (!hasRight(Rights::AssignBedAndStaff, QStringLiteral("你没有执行设置主管医师等的权限,请联系管理员!")))
            return;
        // Tm_PatientGetBedAndDoctor
    });

    m_Action_RecipeTotal = makeAction("m_Action_RecipeTotal", QStringLiteral("处方及用药查询统计(&R)"),
                                      QStringLiteral("按时间、科室、医师和药品查询统计处方及用药情况"));
    connect(m_Action_RecipeTotal, &QAction::triggered, this, [this] {
        if (!hasRight(Rights::Statistics, QStringLiteral("你没有执行统计操作的权限,请联系管理员!")))
            return;
        // Tm_RecipeTotalDlg
    });

    m_Action_MZFeeTotal = makeAction("m_Action_MZFeeTotal", QStringLiteral("门诊收费查询统计(&K)"),
                                     QStringLiteral("查询统计门诊收费情况(本系统暂不提供)"));
    m_Action_MZFeeTotal->setEnabled(false);

    m_Action_CaseAnalysis = makeAction("m_Action_CaseAnalysis", QStringLiteral("统计分析病人基本情况"),
                                       QStringLiteral("按性别、年龄、病种、科室等统计分析住院病人的基本情况"));
    connect(m_Action_CaseAnalysis, &QAction::triggered, this, [this] {
        if (!hasRight(Rights::Statistics, QStringLiteral("你没有执行统计操作的权限,请联系管理员!")))
            return;
        // Tm_CaseAnalysisDlg
    });

    m_Action_PatientBook = makeAction("m_Action_PatientBook", QStringLiteral("病人档案花名册打印(&D)"),
                                      QStringLiteral("列出并打印本科室的病人档案花名册"));

    m_Action_CRYDJ = makeAction("m_Action_CRYDJ", QStringLiteral("出入院登及资料修改"),
                                QStringLiteral("办理病人的入院、出院登记,并修改其登记资料"));
    connect(m_Action_CRYDJ, &QAction::triggered, this, [this] {
        if (!hasRight(Rights::Admission, QStringLiteral("你没有执行出入院登记的权限,请联系管理员!")))
            return;
        // Tm_InOutHospitalRegisterDlg
    });

    m_Action_PatientPayFee = makeAction("m_Action_PatientPayFee", QStringLiteral("住院病人交费处理"),
                                        QStringLiteral("办理住院病人的预交款、补交款及出院结算"));
    connect(m_Action_PatientPayFee, &QAction::triggered, this, [this] {
        if (!hasRight(Rights::Deposits, QStringLiteral("你没有执行住院收费的权限,请联系管理员!")))
            return;
        // Tm_PatientPayFeeDlg
    });

    m_Action_ZYSF = makeAction("m_Action_ZYSF", QStringLiteral("住院费用记帐(&F)"),
                               QStringLiteral("选择一名住院病人,为其记入住院期间发生的各项费用"));
    connect(m_Action_ZYSF, &QAction::triggered, this, &TMainForm::feeEntry);

    m_Action_PatientFeeQuery = makeAction("m_Action_PatientFeeQuery", QStringLiteral("住院病人费用查询"),
                                          QStringLiteral("查询住院病人的费用明细及交费情况,打印费用清单"));

    m_Action_PlayBackMidiMusic = makeAction("m_Action_PlayBackMidiMusic", QStringLiteral("播放背景音效"),
                                            QStringLiteral("播放或停止在系统数据维护中设置的背景音效"));
    m_Action_PlayBackMidiMusic->setCheckable(true);
    connect(m_Action_PlayBackMidiMusic, &QAction::triggered, this, &TMainForm::toggleBackMusic);

    m_Action_UserWorkNote = makeAction("m_Action_UserWorkNote", QStringLiteral("工作日志及短消息处理"),
                                       QStringLiteral("记录每日工作日志,收发操作者之间的短消息"));
    m_Action_MedicalNote = makeAction("m_Action_MedicalNote", QStringLiteral("医学证明文书处理"),
                                      QStringLiteral("书写并打印诊断证明等医学证明文书"));
    m_Action_StudyCampus = makeAction("m_Action_StudyCampus", QStringLiteral("医疗业务顾问"),
                                      QStringLiteral("查阅常见疾病的诊疗资料,作为医疗业务的参考"));

    m_Action_LoginAgain = makeAction("m_Action_LoginAgain", QStringLiteral("注销登陆(&L)"),
                                     QStringLiteral("注销当前操作者的本次登陆,换一名操作者从新登陆系统"));
    connect(m_Action_LoginAgain, &QAction::triggered, this, &TMainForm::loginAgain);

    m_Action_ChangeLoginPwd = makeAction("m_Action_ChangeLoginPwd", QStringLiteral("修改登陆密码(&P)"),
                                         QStringLiteral("修改当前操作者的登陆密码"));
    connect(m_Action_ChangeLoginPwd, &QAction::triggered, this, [this] { m_session->ChangeLoginPwd(); });

    m_Action_LockSystem = makeAction("m_Action_LockSystem", QStringLiteral("暂时锁定系统(&O)"),
                                     QStringLiteral("暂时离开时锁定系统,输入登陆密码后才能继续使用"));
    connect(m_Action_LockSystem, &QAction::triggered, this, &TMainForm::postLock);

    m_Action_PrinterSetup = makeAction("m_Action_PrinterSetup", QStringLiteral("打印机管理(&J)"),
                                       QStringLiteral("设置打印机的纸张大小、方向及页边距"));
    connect(m_Action_PrinterSetup, &QAction::triggered, this, &TMainForm::printerSetup);

    m_Action_DataManage = makeAction("m_Action_DataManage", QStringLiteral("系统数据维护(&M)"),
                                     QStringLiteral("维护系统的基础数据及综合选项(需要系统管理员权限)"));
    connect(m_Action_DataManage, &QAction::triggered, this, [this] {
        if (!passAdminGate())
            return;
        // Tm_DataLibManageDlg
    });

    m_Action_SectionAndUserSetup =
        makeAction("m_Action_SectionAndUserSetup", QStringLiteral("科室及操作人员设置"),
                   QStringLiteral("设置科室和操作人员,并为操作人员分配权限(需要系统管理员权限)"));
    connect(m_Action_SectionAndUserSetup, &QAction::triggered, this, [this] {
        if (!passAdminGate())
            return;
        // Tm_SectionAndUserSetup
    });

    m_Action_ZYFeeSetup = makeAction("m_Action_ZYFeeSetup", QStringLiteral("住院费用项目设置"),
                                     QStringLiteral("设置住院收费的项目及单价(需要系统管理员权限)"));
    connect(m_Action_ZYFeeSetup, &QAction::triggered, this, [this] {
        if (!passAdminGate())
            return;
        // Tm_ZYFeeSetupDlg
    });

    m_Action_UserLoginoutData = makeAction("m_Action_UserLoginoutData", QStringLiteral("查阅用户登陆操作情况"),
                                           QStringLiteral("查阅各操作者登陆和注销系统的记录"));
    connect(m_Action_UserLoginoutData, &QAction::triggered, this, [this] {
        if (!hasRight(Rights::SystemAdmin, QStringLiteral("你没有执行查询该资料的权限,请联系管理员!")))
            return;
        // Tm_UserLoginoutDataDlg
    });

    m_Action_Exit = makeAction("m_Action_Exit", QStringLiteral("退出系统(&X)"),
                               QStringLiteral("结束本次工作,退出住院病历系统"));
    connect(m_Action_Exit, &QAction::triggered, this, &QWidget::close);

    m_Action_Help = makeAction("m_Action_Help", QStringLiteral("系统使用说明(&I)"),
                               QStringLiteral("打开系统帮助文件,查阅本系统的使用说明(F1)"));
    connect(m_Action_Help, &QAction::triggered, this, &TMainForm::showHelp);
    m_Action_About = makeAction("m_Action_About", QStringLiteral("关于本软件(&A)"),
                                QStringLiteral("显示本软件的产品及版本信息"));
    connect(m_Action_About, &QAction::triggered, this, &TMainForm::showAbout);
}

void TMainForm::createMenus()
{
    m_MainMenu = new QMenuBar(this);
    m_MainMenu->setObjectName(QStringLiteral("m_MainMenu"));
    auto *menuStyle = new RightAlignedHelpStyle;
    menuStyle->setParent(m_MainMenu);
    m_MainMenu->setStyle(menuStyle);
    setMenuBar(m_MainMenu);

    auto menu = [this](QMenu *parentMenu, const char *name, const QString &title) {
        QMenu *m = parentMenu ? parentMenu->addMenu(title) : m_MainMenu->addMenu(title);
        m->setObjectName(QString::fromLatin1(name));
        m->setToolTipsVisible(false);
        trackMenuHints(m);
        return m;
    };

    QMenu *system = menu(nullptr, "m_Menu_XTCZ", QStringLiteral("系统操作(&S)"));
    system->addAction(m_Action_LoginAgain);
    system->addAction(m_Action_ChangeLoginPwd);
    system->addAction(m_Action_LockSystem);
    system->addSeparator();
    QMenu *maintenance = menu(system, "m_Menu_XTSJWH", QStringLiteral("系统数据维护"));
    maintenance->addAction(m_Action_PrinterSetup);
    maintenance->addAction(m_Action_DataManage);
    maintenance->addAction(m_Action_SectionAndUserSetup);
    maintenance->addAction(m_Action_UserLoginoutData);
    maintenance->addAction(m_Action_ZYFeeSetup);
    system->addSeparator();
    system->addAction(m_Action_Exit);

    QMenu *ward = menu(nullptr, "m_Menu_BFGL", QStringLiteral("病房管理(&C)"));
    ward->addAction(m_Action_DZBL);
    ward->addAction(m_Action_PatientGetBedAndDoctor);
    ward->addAction(m_Action_BAJS);
    ward->addSeparator();
    ward->addAction(m_Action_RecipeTotal);
    ward->addAction(m_Action_CaseAnalysis);
    ward->addAction(m_Action_PatientBook);
    ward->addSeparator();
    ward->addAction(m_Action_UserLockCase);
    ward->addAction(m_Action_UserUnLockCase);

    QMenu *office = menu(nullptr, "m_Menu_CRYC", QStringLiteral("出入院处(J)"));
    office->addAction(m_Action_CRYDJ);
    office->addAction(m_Action_PatientPayFee);
    office->addAction(m_Action_ZYSF);
    office->addSeparator();
    office->addAction(m_Action_PatientFeeQuery);
    office->addSeparator();
    const QList<std::pair<const char *, QString>> workload = {
        {"m_MenuItem_DoctorWorkload", QStringLiteral("按主管医师统计业务量")},
        {"m_MenuItem_NurseWorkload", QStringLiteral("按主管护士统计业务量")},
        {"m_MenuItem_SectionWorkload", QStringLiteral("按科室统计业务量")},
    };
    for (const auto &[name, caption] : workload) {
        QAction *item = office->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        item->setStatusTip(QStringLiteral("本功能暂不提供"));
        item->setEnabled(false);
    }

    QMenu *aids = menu(nullptr, "m_Menu_FZGN", QStringLiteral("辅助功能(&F)"));
    aids->addAction(m_Action_PlayBackMidiMusic);
    aids->addSeparator();
    aids->addAction(m_Action_UserWorkNote);
    aids->addAction(m_Action_MedicalNote);
    aids->addAction(m_Action_StudyCampus);

    // The separator pushes the help menu to the right end of the bar.
    m_MainMenu->addSeparator();
    QMenu *help = menu(nullptr, "m_Menu_XTBZ", QStringLiteral("系统帮助(&H)"));
    help->addAction(m_Action_Help);
    help->addAction(m_Action_About);
}

void TMainForm::trackMenuHints(QMenu *menu)
{
    // While a menu is open its hints take the banner's place.
    connect(menu, &QMenu::hovered, this, [this](QAction *action) {
        m_Label_Rights->setText(action->statusTip().isEmpty() ? bannerText() : action->statusTip());
    });
    connect(menu, &QMenu::aboutToHide, this, [this] { m_Label_Rights->setText(bannerText()); });
}

// --- panels ------------------------------------------------------------------

QWidget *TMainForm::createLeftPanel()
{
    m_Panel_Left = new QWidget(this);
    m_Panel_Left->setObjectName(QStringLiteral("m_Panel_Left"));
    m_Panel_Left->setAttribute(Qt::WA_StyledBackground);
    m_Panel_Left->setFixedWidth(150);

    auto *layout = new QVBoxLayout(m_Panel_Left);
    layout->setContentsMargins(8, 14, 8, 12);
    layout->setSpacing(4);

    auto *logo = new QLabel(QStringLiteral("青岚舟\n住院病历系统"), m_Panel_Left);
    logo->setObjectName(QStringLiteral("m_Label_Logo"));
    logo->setAlignment(Qt::AlignCenter);
    layout->addWidget(logo);
    auto *line = new QFrame(m_Panel_Left);
    line->setFrameShape(QFrame::HLine);
    line->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 90);"));
    layout->addSpacing(6);
    layout->addWidget(line);
    layout->addSpacing(10);

    auto *group = new QButtonGroup(m_Panel_Left);
    group->setExclusive(true);
    auto speedButton = [&](const char *name, const QString &caption) {
        auto *button = new QPushButton(caption, m_Panel_Left);
        button->setObjectName(QString::fromLatin1(name));
        button->setCheckable(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
        group->addButton(button);
        layout->addWidget(button);
        return button;
    };
    m_SpeedButton_Main = speedButton("m_SpeedButton_Main", QStringLiteral("    主 界 面"));
    m_SpeedButton_ZYCL = speedButton("m_SpeedButton_ZYCL", QStringLiteral("    病房管理"));
    m_SpeedButton_CXTJ = speedButton("m_SpeedButton_CXTJ", QStringLiteral("    查询统计"));
    m_SpeedButton_FZGN = speedButton("m_SpeedButton_FZGN", QStringLiteral("    辅助功能"));
    m_SpeedButton_XTCZ = speedButton("m_SpeedButton_XTCZ", QStringLiteral("    系统操作"));
    connect(m_SpeedButton_Main, &QAbstractButton::clicked, this, [this] { showPanel(m_Panel_Main); });
    connect(m_SpeedButton_ZYCL, &QAbstractButton::clicked, this, [this] { showPanel(m_Panel_ZYCL); });
    connect(m_SpeedButton_CXTJ, &QAbstractButton::clicked, this, [this] { showPanel(m_Panel_CXTJ); });
    connect(m_SpeedButton_FZGN, &QAbstractButton::clicked, this, [this] { showPanel(m_Panel_FZGN); });
    connect(m_SpeedButton_XTCZ, &QAbstractButton::clicked, this, [this] { showPanel(m_Panel_XTCZ); });

    layout->addStretch(1);
    m_Label_CurDateTime = new QLabel(m_Panel_Left);
    m_Label_CurDateTime->setObjectName(QStringLiteral("m_Label_CurDateTime"));
    m_Label_CurDateTime->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_Label_CurDateTime);
    return m_Panel_Left;
}

QWidget *TMainForm::createCover()
{
    m_Panel_Main = new CoverPanel(this);
    m_Panel_Main->setObjectName(QStringLiteral("m_Panel_Main"));

    m_MainTitle = new QLabel(QStringLiteral("住院病历系统"), m_Panel_Main);
    m_MainTitle->setObjectName(QStringLiteral("m_MainTitle"));
    m_MainTitle->setFont(kaiFont(36, true));
    m_MainTitle->setStyleSheet(QStringLiteral("color: #1f4e79;"));

    auto *subtitle = new QLabel(kProductName + QStringLiteral(" · 住院部电子病历与病房管理"), m_Panel_Main);
    subtitle->setObjectName(QStringLiteral("m_Label_Subtitle"));
    subtitle->setStyleSheet(QStringLiteral("color: #4a6a88; font-size: 12pt;"));

    m_Image_UserPicture = new QLabel(m_Panel_Main);
    m_Image_UserPicture->setObjectName(QStringLiteral("m_Image_UserPicture"));
    m_Image_UserPicture->setToolTip(QStringLiteral("当前操作者的照片"));
    m_Image_UserPicture->setFixedSize(120, 150);
    m_Image_UserPicture->setAlignment(Qt::AlignCenter);
    auto *pictureCaption = new QLabel(QStringLiteral("当前操作者"), m_Panel_Main);
    pictureCaption->setAlignment(Qt::AlignCenter);
    pictureCaption->setStyleSheet(QStringLiteral("color: #4a6a88;"));

    m_Image_Flag = new QLabel(m_Panel_Main);
    m_Image_Flag->setObjectName(QStringLiteral("m_Image_Flag"));
    m_Image_Flag->setAlignment(Qt::AlignCenter);
    m_Image_Flag->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    m_Label_Rights = new QLabel(m_Panel_Main);
    m_Label_Rights->setObjectName(QStringLiteral("m_Label_Rights"));
    m_Label_Rights->setWordWrap(true);
    m_Label_Rights->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont bannerFont = m_Label_Rights->font();
    bannerFont.setPointSize(bannerFont.pointSize() + 1);
    m_Label_Rights->setFont(bannerFont);
    m_Label_Rights->setMinimumHeight(m_Label_Rights->fontMetrics().lineSpacing() * 4 + 24);

    auto *heading = new QVBoxLayout;
    heading->setSpacing(6);
    heading->addWidget(m_MainTitle);
    heading->addWidget(subtitle);
    auto *rule = new QFrame(m_Panel_Main);
    rule->setFrameShape(QFrame::HLine);
    rule->setStyleSheet(QStringLiteral("color: #9fb6cc;"));
    heading->addWidget(rule);
    heading->addStretch(1);

    auto *picture = new QVBoxLayout;
    picture->setSpacing(4);
    picture->addWidget(m_Image_UserPicture, 0, Qt::AlignHCenter);
    picture->addWidget(pictureCaption);

    auto *top = new QHBoxLayout;
    top->addLayout(heading, 1);
    top->addSpacing(24);
    top->addLayout(picture);

    auto *layout = new QVBoxLayout(m_Panel_Main);
    layout->setContentsMargins(36, 28, 36, 24);
    layout->setSpacing(16);
    layout->addLayout(top);
    layout->addWidget(m_Image_Flag, 1);
    layout->addWidget(m_Label_Rights);
    return m_Panel_Main;
}

QWidget *TMainForm::createNavigationPanel(const char *name, const QString &title, const QString &subtitle)
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setProperty("navigation", true);
    panel->setAttribute(Qt::WA_StyledBackground);

    auto *heading = new QLabel(title, panel);
    heading->setProperty("role", "heading");
    heading->setFont(kaiFont(24, true));
    auto *sub = new QLabel(subtitle, panel);
    sub->setProperty("role", "description");

    auto *grid = new QGridLayout;
    grid->setObjectName(QStringLiteral("buttons"));
    grid->setHorizontalSpacing(18);
    grid->setVerticalSpacing(14);
    grid->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(40, 28, 40, 24);
    layout->setSpacing(8);
    layout->addWidget(heading);
    layout->addWidget(sub);
    auto *rule = new QFrame(panel);
    rule->setFrameShape(QFrame::HLine);
    rule->setStyleSheet(QStringLiteral("color: #9fb6cc;"));
    layout->addWidget(rule);
    layout->addSpacing(14);
    layout->addLayout(grid);
    layout->addStretch(1);

    m_Panel_Client->addWidget(panel);
    return panel;
}

void TMainForm::addNavigationButton(QWidget *panel, const char *name, const QString &caption, QAction *action,
                                    const QString &description, const QString &glyph)
{
    static const QList<QColor> colours = {QColor(0x2e, 0x75, 0xb6), QColor(0x2f, 0x9e, 0x8f), QColor(0xd9, 0x7b, 0x29),
                                          QColor(0x8e, 0x5b, 0xa8), QColor(0xc0, 0x45, 0x45), QColor(0x5b, 0x7d, 0x2e)};
    auto *grid = panel->findChild<QGridLayout *>(QStringLiteral("buttons"));
    const int row = grid->rowCount() == 1 && !grid->itemAtPosition(0, 0) ? 0 : grid->rowCount();

    auto *button = new QPushButton(caption, panel);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(ImageLists::Glyph(glyph, colours.at(row % colours.size())));
    button->setIconSize(QSize(32, 32));
    button->setMinimumSize(210, 50);
    button->setCursor(Qt::PointingHandCursor);
    auto *label = new QLabel(description, panel);
    label->setProperty("role", "description");
    label->setWordWrap(true);

    if (action) {
        button->setToolTip(action->statusTip());
        button->setEnabled(action->isEnabled());
        connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
    } else {
        button->setEnabled(false);
    }
    grid->addWidget(button, row, 0);
    grid->addWidget(label, row, 1);
}

void TMainForm::createStatusBar()
{
    m_StatusBar_Main = new QStatusBar(this);
    m_StatusBar_Main->setObjectName(QStringLiteral("m_StatusBar_Main"));
    setStatusBar(m_StatusBar_Main);
    const QList<QLabel *> panels = AddStatusPanels(m_StatusBar_Main, {0, 1, 0, 0, 0});
    m_StatusPanel_0 = panels.at(0);
    m_StatusPanel_1 = panels.at(1);
    m_StatusPanel_2 = panels.at(2);
    m_StatusPanel_3 = panels.at(3);
    m_StatusPanel_4 = panels.at(4);
    const QFontMetrics metrics(m_StatusPanel_4->font());
    m_StatusPanel_2->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("操作者:王王王王王")) + 16);
    m_StatusPanel_3->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("所属科室:王王王王王")) + 16);
    m_StatusPanel_4->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("锁定倒计时:1440分59秒")) + 16);
}

void TMainForm::showPanel(QWidget *panel)
{
    m_Panel_Client->setCurrentWidget(panel);
    const std::pair<QWidget *, QAbstractButton *> pairs[] = {{m_Panel_Main, m_SpeedButton_Main},
                                                             {m_Panel_ZYCL, m_SpeedButton_ZYCL},
                                                             {m_Panel_CXTJ, m_SpeedButton_CXTJ},
                                                             {m_Panel_FZGN, m_SpeedButton_FZGN},
                                                             {m_Panel_XTCZ, m_SpeedButton_XTCZ}};
    for (const auto &[p, button] : pairs)
        if (p == panel)
            button->setChecked(true);
}

// --- operator, idle lock, requests -------------------------------------------

void TMainForm::refreshOperator()
{
    const CUserSecurityData &user = m_session->user();
    Tm_CaseDataModule *dm = Tm_CaseDataModule::instance();
    m_StatusPanel_0->setText(kProductName);
    m_StatusPanel_1->setText(Settings::text(Setting::UnitName, Settings::kHospitalUnitName));
    m_StatusPanel_2->setText(QStringLiteral("操作者:") + (dm ? dm->GetUserNameBySN(user.UserSN) : QString()));
    m_StatusPanel_3->setText(QStringLiteral("所属科室:") + (dm ? dm->GetSectionNameBySN(user.SectionSN) : QString()));
    m_MainTitle->setText(QStringLiteral("住院病历系统"));

    const bool loggedIn = user.UserSN > 0;
    m_Action_LoginAgain->setText(loggedIn ? QStringLiteral("注销[") + user.UserName + QStringLiteral("],从新登陆(&L)")
                                          : QStringLiteral("注销登陆(&L)"));

    QImage picture;
    if (loggedIn && dm && dm->LoadUserPicture(QString::number(user.UserSN), &picture) && !picture.isNull())
        m_Image_UserPicture->setPixmap(QPixmap::fromImage(picture).scaled(
            m_Image_UserPicture->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    else
        m_Image_UserPicture->clear();
    refreshIdle();
}

void TMainForm::refreshIdle()
{
    m_Label_CurDateTime->setText(QStringLiteral("当前时间:\n")
                                 + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm")));
    if (m_session->user().UserSN <= 0) { // nobody to lock for, also while the login dialog is up
        m_StatusPanel_4->clear();
        return;
    }
    if (m_session->isSuspended()) // locked: the panel says so
        return;
    if (m_session->lockDue()) {
        if (!m_lockPosted) {
            m_lockPosted = true;
            postLock();
        }
        return;
    }
    m_StatusPanel_4->setText(m_session->countdownText());
}

bool TMainForm::event(QEvent *e)
{
    switch (int(e->type())) {
    case CaseRequestEvent::OpenCase: {
        const int caseNumber = static_cast<CaseRequestEvent *>(e)->parameter();
        if (caseNumber == -1)
            m_Action_DZBL->trigger();
        else
            openCase(caseNumber);
        return true;
    }
    case CaseRequestEvent::SearchCase:
        m_Action_BAJS->trigger();
        return true;
    case CaseRequestEvent::Lock:
        m_lockPosted = false;
        if (m_session->user().UserSN > 0)
            m_session->LockSystem();
        return true;
    case QEvent::StatusTip:
        // Hints go to the banner; the status bar keeps its panels.
        return true;
    default:
        return QMainWindow::event(e);
    }
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        m_session->NoteInput();
        break;
    case QEvent::KeyRelease: {
        m_session->NoteInput();
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat() && key->modifiers() == Qt::NoModifier) {
            // Taken here: the same key-up also reaches the window and every parent.
            showHelp();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!m_endingWithoutQuestion) {
        if (!Prompter::instance().question(QStringLiteral("真的要退出住院病历系统吗?"), kHint)) {
            event->ignore();
            return;
        }
        m_session->Logout();
    }
    m_Timer_Idle->stop();
    m_MediaPlayer_BackMusic->stop();
    event->accept();
}

void TMainForm::endWithoutQuestion()
{
    m_endingWithoutQuestion = true;
    close();
    // Only a running loop is left; outside one (tests) exit() would make every
    // later modal loop return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

bool TMainForm::hasRight(quint32 bit, const QString &refusal)
{
    if (Rights::has(m_session->user().Rights, bit))
        return true;
    Prompter::instance().message(refusal, kHint, Prompter::Icon::Error);
    return false;
}

bool TMainForm::passAdminGate()
{
    if (Rights::has(m_session->user().Rights, Rights::SystemAdmin))
        return true;
    QString name, password;
    if (InputText(QStringLiteral("请输入系统管理员名称:"), name, 0) != 1)
        return false;
    if (InputText(QStringLiteral("请输入系统管理员密码:"), password, 0, true) != 1)
        return false;
    // Any operator with the administrator right opens the gate with his own name and password.
    if (LoginSession::VerifyAdministrator(name, password))
        return true;
    Prompter::instance().message(QStringLiteral("输入的管理员数据错误!\n你不能进入系统数据管理!"), kHint,
                                 Prompter::Icon::Error);
    return false;
}

void TMainForm::loginAgain()
{
    if (!m_session->LoginAgain())
        endWithoutQuestion();
}

void TMainForm::sealCase()
{
    const CUserSecurityData user = m_session->user();
    int caseNumber = -1;
    if (m_caseFinder(user, QStringLiteral("请选择一条待封存的病案:"), 0, user.SectionSN, caseNumber) != 1)
        return;
    Prompter &prompter = Prompter::instance();
    if (caseNumber < 0) {
        prompter.message(QStringLiteral("你没有选择待封存的病案!"), QStringLiteral("错误..."), Prompter::Icon::Error);
        return;
    }
    CaseStore store(Tm_CaseDataModule::instance()->mainDb());
    const QString number = QString::number(caseNumber);
    if (store.IsCaseLocked(number)) {
        prompter.message(QStringLiteral("指定的病案已被他人先行封存!\n请稍后再试!"), QStringLiteral("错误..."),
                         Prompter::Icon::Error);
        return;
    }
    // One conditional update: of two workstations sealing at once, one succeeds.
    if (store.LockCase(user.UserSN, number))
        prompter.message(QStringLiteral("病案封存成功!要再次使用该病案必须先解封!"), QStringLiteral("提示"),
                         Prompter::Icon::Information);
    else
        prompter.message(QStringLiteral("病案封存失败!"), QStringLiteral("提示"), Prompter::Icon::Error);
}

void TMainForm::unsealCase()
{
    const CUserSecurityData user = m_session->user();
    int caseNumber = -1;
    if (m_caseFinder(user, QStringLiteral("请选择一条待解封的病案:"), 0, user.SectionSN, caseNumber) != 1)
        return;
    Prompter &prompter = Prompter::instance();
    if (caseNumber < 0) {
        prompter.message(QStringLiteral("你没有选择待解封的病案!"), QStringLiteral("错误..."), Prompter::Icon::Error);
        return;
    }
    CaseStore store(Tm_CaseDataModule::instance()->mainDb());
    const QString number = QString::number(caseNumber);
    if (!store.IsCaseLocked(number)) {
        prompter.message(QStringLiteral("指定的病案并未被封存!"), QStringLiteral("提示"), Prompter::Icon::Error);
        return;
    }
    if (store.UnlockCase(user.UserSN, number))
        prompter.message(QStringLiteral("病案解封成功!"), QStringLiteral("提示"), Prompter::Icon::Information);
    else
        prompter.message(QStringLiteral("病案解封失败!不能解封他人封存的病案!!!"), QStringLiteral("提示"),
                         Prompter::Icon::Error);
}

void TMainForm::openCaseByFinder()
{
    // A copy: the finder runs dialogs of its own with it.
    const CUserSecurityData user = m_session->user();
    int caseNumber = -1;
    if (m_caseFinder(user, QStringLiteral("请选择老病人对应的的病案资料:"), 0, user.SectionSN, caseNumber) != 1)
        return;
    if (caseNumber < 0) {
        Prompter::instance().message(QStringLiteral("你没有选择待编辑的病案!"), QStringLiteral("错误..."),
                                     Prompter::Icon::Error);
        return;
    }
    openCase(caseNumber);
    // The case window may leave another directory current; the databases and
    // files of later screens are found from the start-up one.
    QDir::setCurrent(m_startupDir);
}

void TMainForm::openCase(int caseNumber)
{
    m_lastOpenedCase = caseNumber;
    m_lastPageFlags = pageFlags();
    TCaseDataForm form(this, QString::number(caseNumber), m_session->user(), m_lastPageFlags);
    form.exec();
}

void TMainForm::feeEntry()
{
    if (!hasRight(Rights::FeeEntry, QStringLiteral("你没有执行住院费用记帐的权限,请联系管理员!")))
        return;
    const CUserSecurityData user = m_session->user();
    int caseNumber = -1;
    if (m_caseFinder(user, QStringLiteral("选择待收费的病人"), 0, -1, caseNumber) != 1)
        return;
    // Tm_FeeCommonInputDlg(caseNumber, m_session->user()), modal.
}

// --- background sound, help, printer, about ----------------------------------

void TMainForm::toggleBackMusic()
{
    Prompter &prompter = Prompter::instance();
    if (!QFileInfo(m_backMusicFileName).isFile()) {
        prompter.message(QStringLiteral("找不到指定的背景音效文件:\n文件名:") + m_backMusicFileName
                             + QStringLiteral("\n请在系统数据维护窗口从新设置有效的背景音效文件!"),
                         kHint, Prompter::Icon::Error);
        updateBackMusicCaption();
        return;
    }
    if (m_MediaPlayer_BackMusic->playbackState() == QMediaPlayer::PlayingState) {
        m_MediaPlayer_BackMusic->stop();
        updateBackMusicCaption();
        return;
    }
    m_musicFailureShown = false;
    // Cleared first, so that a file that failed before is opened again.
    m_MediaPlayer_BackMusic->setSource(QUrl());
    m_MediaPlayer_BackMusic->setSource(QUrl::fromLocalFile(QFileInfo(m_backMusicFileName).absoluteFilePath()));
    if (!m_MediaPlayer_BackMusic->isAvailable() || m_MediaPlayer_BackMusic->error() != QMediaPlayer::NoError) {
        backMusicFailed();
        return;
    }
    m_MediaPlayer_BackMusic->play();
    updateBackMusicCaption();
}

void TMainForm::backMusicFailed()
{
    // The player may report one failure several times.
    if (m_musicFailureShown)
        return;
    m_musicFailureShown = true;
    m_MediaPlayer_BackMusic->stop();
    updateBackMusicCaption();
    Prompter::instance().message(QStringLiteral("系统无法播放指定的背景音效文件:\n文件名:") + m_backMusicFileName
                                     + QStringLiteral("\n请确认该文件是MP3,Wav或Mid格式音效文件!\n"
                                                      "如果系统有其它音乐软件正在播放则无法播放背景音效!"),
                                 kHint, Prompter::Icon::Error);
}

void TMainForm::updateBackMusicCaption()
{
    const bool playing = m_MediaPlayer_BackMusic->playbackState() == QMediaPlayer::PlayingState;
    m_Action_PlayBackMidiMusic->setChecked(playing);
    m_Action_PlayBackMidiMusic->setText(playing ? QStringLiteral("背景音效(播放...)")
                                                : QStringLiteral("背景音效(停止...)"));
}

void TMainForm::showHelp()
{
    const QString path = QDir::current().absoluteFilePath(kHelpFile);
    if (QFileInfo(path).isFile()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        return;
    }
    Prompter::instance().message(QStringLiteral("你正在请求系统帮助，但系统的帮助文件 ") + kHelpFile
                                     + QStringLiteral(" 未找到，或其未在当前文件夹!\n\n"
                                                      "如果你没有这个帮助文件，请联系作者免费索取!"),
                                 kHint, Prompter::Icon::Warning);
}

void TMainForm::showAbout()
{
    Prompter::instance().message(QStringLiteral("%1\n版本 %2\n\n"
                                                "为医院住院部设计的电子病历及病房管理系统:\n"
                                                "住院电子病历、处方、监测记录、辅助检查、\n"
                                                "出入院登记、住院费用及查询统计。\n\n"
                                                "青岚舟家族 出品")
                                     .arg(kProductName, QStringLiteral(ZYBL_VERSION)),
                                 QStringLiteral("关于本软件"), Prompter::Icon::Information);
}

void TMainForm::printerSetup()
{
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    if (printers.isEmpty()) {
        Prompter::instance().message(QStringLiteral("未找到默认的打印机"), QStringLiteral("错误"), Prompter::Icon::Error);
        return;
    }
    QPrinterInfo chosen = QPrinterInfo::defaultPrinter();
    if (chosen.isNull())
        chosen = printers.first();
    QPrinter printer(chosen);
    QPageSetupDialog dialog(&printer, this);
    dialog.exec();
}
