// The main window: menus and panels, rights checks and the administrator gate,
// the status bar, posted requests, the idle lock, help, background sound and
// leaving the program.
#include "case/caselistdlg.h"
#include "case/casesearchdlg.h"
#include "common/scriptedprompter.h"
#include "core/casedatamodule.h"
#include "core/jpegcodec.h"
#include "core/logindlg.h"
#include "core/loginsession.h"
#include "core/mainform.h"
#include "core/rights.h"
#include "core/settings.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QString kLoggedOutCaption = QStringLiteral("注销登陆(&L)");

// Runs `act` on the first visible dialog of type D, waiting for it to appear.
template <typename D>
void whenVisible(std::function<void(D *)> act)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<D *>(w); dialog && dialog->isVisible()) {
                timer->deleteLater();
                timer->stop();
                act(dialog);
                return;
            }
        }
        if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

QStringList captions(const QList<ScriptedPrompter::Asked> &asked)
{
    QStringList out;
    for (const auto &a : asked)
        out << a.caption;
    return out;
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

    QString m_oldDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tm_CaseDataModule> m_module;
    std::unique_ptr<QTimer> m_closeSearch;
    int m_searchesShown = 0;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<LoginSession> m_session;
    std::unique_ptr<TMainForm> m_form;
    qint64 m_now = 0;

    QSqlDatabase db() const { return m_module->mainDb(); }

    TMainForm *form()
    {
        if (!m_form)
            m_form = std::make_unique<TMainForm>(m_session.get());
        return m_form.get();
    }

    int addSection(const QString &name)
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("INSERT INTO \"GLOBAL_SectionLib\" (\"SectionName\", \"SectionAddress\", \"SectionFlag\", "
                                 "\"SectionType\") VALUES (:n, '', 0, 0)"));
        q.bindValue(QStringLiteral(":n"), name);
        if (!q.exec())
            return -1;
        q.exec(QStringLiteral("SELECT max(\"RecordSN\") FROM \"GLOBAL_SectionLib\""));
        return q.next() ? q.value(0).toInt() : -1;
    }

    // An operator of this system (group 8) with a hashed password; returns his record.
    CUserSecurityData addOperator(const QString &name, const QString &password, quint32 rights, int section = 1,
                                  const QByteArray &picture = QByteArray())
    {
        CUserSecurityData user;
        QSqlQuery q(db());
        q.prepare(QStringLiteral("INSERT INTO \"GLOBAL_UserLib\" (\"UserName\", \"Password\", \"Property\", \"GroupSN\", "
                                 "\"SectionSN\", \"UserPicture\") VALUES (:n, :p, :r, 8, :s, :pic)"));
        user.UserName = name;
        user.Password = LoginSession::HashPassword(password);
        user.Rights = rights;
        user.GroupSN = 8;
        user.SectionSN = section;
        q.bindValue(QStringLiteral(":n"), name);
        q.bindValue(QStringLiteral(":p"), user.Password);
        q.bindValue(QStringLiteral(":r"), qint32(rights));
        q.bindValue(QStringLiteral(":s"), section);
        q.bindValue(QStringLiteral(":pic"), picture.isNull() ? QVariant(QMetaType(QMetaType::QByteArray)) : picture);
        if (!q.exec())
            return user;
        q.exec(QStringLiteral("SELECT max(\"RecordSN\") FROM \"GLOBAL_UserLib\""));
        user.UserSN = q.next() ? q.value(0).toInt() : -1;
        return user;
    }

    // A logged-in operator who exists only in memory.
    static CUserSecurityData someone(quint32 rights, int section = 3)
    {
        CUserSecurityData user;
        user.UserName = QStringLiteral("张医生");
        user.UserSN = 77;
        user.Rights = rights;
        user.GroupSN = 8;
        user.SectionSN = section;
        return user;
    }

    int logRows(int flag) const
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("SELECT count(*) FROM \"GLOBAL_UserLoginoutLib\" WHERE \"LoginoutFlag\" = :f"));
        q.bindValue(QStringLiteral(":f"), flag);
        return q.exec() && q.next() ? q.value(0).toInt() : -1;
    }

    QAction *action(const QString &name) { return form()->findChild<QAction *>(name); }

    static QStringList menuLayout(QMenu *menu)
    {
        QStringList out;
        for (QAction *a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? a->menu()->title() : a->text());
        return out;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_oldDir = QDir::currentPath();
    }

    void init()
    {
        QSettings(QStringLiteral("Corvane Software"), QStringLiteral("Halvern")).clear();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir::setCurrent(m_dir->path()));
        QString error;
        m_module = Tm_CaseDataModule::create(m_dir->path(), &error);
        QVERIFY2(m_module, qPrintable(error));
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_session = std::make_unique<LoginSession>();
        m_now = 0;
        // The case search the search command opens is another screen's test:
        // here it only has to go away again.
        m_closeSearch = std::make_unique<QTimer>();
        connect(m_closeSearch.get(), &QTimer::timeout, this, [this] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *d = qobject_cast<Tm_CaseSearchDlg *>(w); d && d->isVisible()) {
                    ++m_searchesShown;
                    d->reject();
                }
            }
        });
        m_closeSearch->start(5);
        m_searchesShown = 0;
    }

    void cleanup()
    {
        m_closeSearch.reset();
        m_form.reset();
        m_session.reset();
        m_prompter.reset(); // fails the test when a scripted answer was left over
        m_module.reset();
        QDir::setCurrent(m_oldDir);
        m_dir.reset();
    }

    // --- menus and panels ---------------------------------------------------

    void menuBar()
    {
        QMenuBar *bar = form()->m_MainMenu;
        QCOMPARE(bar->objectName(), QStringLiteral("m_MainMenu"));
        QCOMPARE(form()->menuBar(), bar);
        QStringList titles;
        for (QAction *a : bar->actions())
            titles << (a->isSeparator() ? QStringLiteral("-") : a->text());
        // The separator puts the help menu at the right end.
        QCOMPARE(titles, QStringList({"系统操作(&S)", "病房管理(&C)", "出入院处(J)", "辅助功能(&F)", "-", "系统帮助(&H)"}));

        form()->show();
        QVERIFY(QTest::qWaitForWindowExposed(form()));
        const QList<QAction *> items = bar->actions();
        const QRect aids = bar->actionGeometry(items.at(3));
        const QRect help = bar->actionGeometry(items.at(5));
        QVERIFY2(help.right() > bar->width() - 30, qPrintable(QStringLiteral("help at %1 of %2").arg(help.right()).arg(bar->width())));
        QVERIFY(help.left() > aids.right() + 100);
    }

    void menuLayouts_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("layout");
        QTest::newRow("system") << "m_Menu_XTCZ"
                                << QStringList{kLoggedOutCaption, "修改登陆密码(&P)", "暂时锁定系统(&O)", "-", "系统数据维护", "-",
                                               "退出系统(&X)"};
        QTest::newRow("maintenance") << "m_Menu_XTSJWH"
                                     << QStringList{"打印机管理(&J)", "系统数据维护(&M)", "科室及操作人员设置",
                                                    "查阅用户登陆操作情况", "住院费用项目设置"};
        QTest::newRow("ward") << "m_Menu_BFGL"
                              << QStringList{"住院电子病历(&E)", "分配病人床位及主管人员", "查找病人档案(&B)", "-",
                                             "处方及用药查询统计(&R)", "统计分析病人基本情况", "病人档案花名册打印(&D)", "-",
                                             "病人档案封存(&L)", "病人档案解封(&U)"};
        QTest::newRow("admission office")
            << "m_Menu_CRYC"
            << QStringList{"出入院登及资料修改", "住院病人交费处理", "住院费用记帐(&F)", "-", "住院病人费用查询", "-",
                           "按主管医师统计业务量", "按主管护士统计业务量", "按科室统计业务量"};
        QTest::newRow("aids") << "m_Menu_FZGN"
                              << QStringList{"播放背景音效", "-", "工作日志及短消息处理", "医学证明文书处理", "医疗业务顾问"};
        QTest::newRow("help") << "m_Menu_XTBZ" << QStringList{"系统使用说明(&I)", "关于本软件(&A)"};
    }
    void menuLayouts()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, layout);
        auto *m = form()->findChild<QMenu *>(menu);
        QVERIFY(m);
        QCOMPARE(menuLayout(m), layout);
        // Every command carries a hint for the banner.
        for (QAction *a : m->actions())
            QVERIFY2(a->isSeparator() || a->menu() || !a->statusTip().isEmpty(), qPrintable(a->text()));
    }

    void disabledEntries()
    {
        QVERIFY(!form()->m_Action_MZFeeTotal->isEnabled());
        QCOMPARE(form()->m_Action_MZFeeTotal->text(), QStringLiteral("门诊收费查询统计(&K)"));
        const QList<QAction *> office = form()->findChild<QMenu *>(QStringLiteral("m_Menu_CRYC"))->actions();
        for (int i = 6; i < 9; ++i)
            QVERIFY(!office.at(i)->isEnabled());
        QVERIFY(form()->m_ActionList_MainMenu.contains(form()->m_Action_MZFeeTotal));
        for (QAction *a : form()->m_ActionList_MainMenu)
            QVERIFY(a->objectName().startsWith(QStringLiteral("m_Action_")));
    }

    void speedButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("panel");
        QTest::newRow("ward") << "m_SpeedButton_ZYCL" << "病房管理" << "m_Panel_ZYCL";
        QTest::newRow("statistics") << "m_SpeedButton_CXTJ" << "查询统计" << "m_Panel_CXTJ";
        QTest::newRow("aids") << "m_SpeedButton_FZGN" << "辅助功能" << "m_Panel_FZGN";
        QTest::newRow("system") << "m_SpeedButton_XTCZ" << "系统操作" << "m_Panel_XTCZ";
        QTest::newRow("cover") << "m_SpeedButton_Main" << "主 界 面" << "m_Panel_Main";
    }
    void speedButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, caption);
        QFETCH(QString, panel);
        form()->show();
        auto *b = form()->m_Panel_Left->findChild<QAbstractButton *>(button);
        QVERIFY(b);
        QVERIFY(b->text().startsWith(QLatin1Char(' ')));
        QCOMPARE(b->text().trimmed(), caption);
        // Start elsewhere, so that every row switches.
        QTest::mouseClick(button == QLatin1String("m_SpeedButton_Main") ? form()->m_SpeedButton_XTCZ
                                                                        : form()->m_SpeedButton_Main,
                          Qt::LeftButton);
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(form()->m_Panel_Client->currentWidget()->objectName(), panel);
        QVERIFY(b->isChecked());
    }

    void navigationButtonsRunTheirCommands_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("action");
        QTest::newRow("search") << "m_Button_BAJS" << "m_Action_BAJS";
        QTest::newRow("roster") << "m_Button_PatientBook" << "m_Action_PatientBook";
        QTest::newRow("advisor") << "m_Button_StudyCampus" << "m_Action_StudyCampus";
        QTest::newRow("work notes") << "m_Button_UserWorkNote" << "m_Action_UserWorkNote";
    }
    void navigationButtonsRunTheirCommands()
    {
        QFETCH(QString, button);
        QFETCH(QString, action);
        form()->show();
        auto *b = form()->findChild<QPushButton *>(button);
        QVERIFY(b);
        form()->m_Panel_Client->setCurrentWidget(b->parentWidget());
        QSignalSpy triggered(this->action(action), &QAction::triggered);
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(triggered.count(), 1);
    }

    void navigationButtonsWithoutFunction()
    {
        QVERIFY(!form()->findChild<QPushButton *>(QStringLiteral("m_Button_MZQKTJ"))->isEnabled());
        QVERIFY(!form()->findChild<QPushButton *>(QStringLiteral("m_Button_MZFeeTotal"))->isEnabled());
        QCOMPARE(form()->findChild<QPushButton *>(QStringLiteral("m_Button_MZQKTJ"))->text(), QStringLiteral("门诊情况统计"));
    }

    void menuHintsInTheBanner()
    {
        form()->show();
        const QString banner = form()->m_Label_Rights->text();
        QCOMPARE(banner, TMainForm::bannerText());
        QVERIFY(banner.endsWith(QStringLiteral("请按F1键打开系统使用说明。")));
        auto *ward = form()->findChild<QMenu *>(QStringLiteral("m_Menu_BFGL"));
        ward->popup(form()->mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(ward));
        ward->setActiveAction(form()->m_Action_BAJS);
        QCOMPARE(form()->m_Label_Rights->text(), form()->m_Action_BAJS->statusTip());
        // The status bar keeps its panels meanwhile.
        QVERIFY(form()->m_StatusBar_Main->currentMessage().isEmpty());
        ward->hide();
        QCOMPARE(form()->m_Label_Rights->text(), banner);
    }

    // --- rights -------------------------------------------------------------

    void rightsChecked_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<quint32>("bit");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("beds and staff") << "m_Action_PatientGetBedAndDoctor" << Rights::AssignBedAndStaff
                                        << "你没有执行设置主管医师等的权限,请联系管理员!";
        QTest::newRow("prescriptions") << "m_Action_RecipeTotal" << Rights::Statistics
                                       << "你没有执行统计操作的权限,请联系管理员!";
        QTest::newRow("analysis") << "m_Action_CaseAnalysis" << Rights::Statistics
                                  << "你没有执行统计操作的权限,请联系管理员!";
        QTest::newRow("admission") << "m_Action_CRYDJ" << Rights::Admission << "你没有执行出入院登记的权限,请联系管理员!";
        QTest::newRow("deposits") << "m_Action_PatientPayFee" << Rights::Deposits
                                  << "你没有执行住院收费的权限,请联系管理员!";
        QTest::newRow("fee entry") << "m_Action_ZYSF" << Rights::FeeEntry
                                   << "你没有执行住院费用记帐的权限,请联系管理员!";
        QTest::newRow("login history") << "m_Action_UserLoginoutData" << Rights::SystemAdmin
                                       << "你没有执行查询该资料的权限,请联系管理员!";
    }
    void rightsChecked()
    {
        QFETCH(QString, action);
        QFETCH(quint32, bit);
        QFETCH(QString, refusal);
        int finderRuns = 0;
        form()->setCaseFinder([&](const CUserSecurityData &, const QString &, quint8, int, int &caseNumber) {
            ++finderRuns;
            caseNumber = -1;
            return 2;
        });

        // Every other right is not enough.
        m_session->adoptUser(someone(Rights::allRights() & ~bit));
        m_prompter->acknowledge();
        this->action(action)->trigger();
        QCOMPARE(m_prompter->asked.size(), 1);
        QCOMPARE(m_prompter->asked.at(0).kind, ScriptedPrompter::Kind::Message);
        QCOMPARE(m_prompter->asked.at(0).text, refusal);
        QCOMPARE(m_prompter->asked.at(0).caption, QStringLiteral("提示"));
        QCOMPARE(m_prompter->asked.at(0).icon, Prompter::Icon::Error);
        QCOMPARE(finderRuns, 0);

        // The one bit is: no refusal (an unexpected prompt would fail the test).
        m_session->adoptUser(someone(bit));
        this->action(action)->trigger();
        QCOMPARE(m_prompter->asked.size(), 1);
        QCOMPARE(finderRuns, action == QLatin1String("m_Action_ZYSF") ? 1 : 0);
    }

    void commandsWithoutRights_data()
    {
        QTest::addColumn<QString>("action");
        for (const char *name : {"m_Action_BAJS", "m_Action_UserLockCase", "m_Action_UserUnLockCase", "m_Action_PatientBook",
                                 "m_Action_PatientFeeQuery", "m_Action_UserWorkNote", "m_Action_MedicalNote",
                                 "m_Action_StudyCampus"})
            QTest::newRow(name) << name;
    }
    void commandsWithoutRights()
    {
        QFETCH(QString, action);
        form()->setCaseFinder([](const CUserSecurityData &, const QString &, quint8, int, int &caseNumber) {
            caseNumber = -1;
            return 2;
        });
        m_session->adoptUser(someone(0));
        this->action(action)->trigger();
        QVERIFY(m_prompter->asked.isEmpty());
    }

    // Sealing and unsealing from the main window, with the finder's choice scripted.
    void sealAndUnseal_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("chosen");     // -1: OK without a case
        QTest::addColumn<int>("lockedBy");   // the case's sealer before, -1 free
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("lockedAfter");
        QTest::newRow("seal: none chosen") << "m_Action_UserLockCase" << -1 << -1 << "你没有选择待封存的病案!" << -1;
        QTest::newRow("seal: free case") << "m_Action_UserLockCase" << 7 << -1 << "病案封存成功!要再次使用该病案必须先解封!" << 41;
        QTest::newRow("seal: sealed by another") << "m_Action_UserLockCase" << 7 << 99 << "指定的病案已被他人先行封存!\n请稍后再试!" << 99;
        QTest::newRow("unseal: none chosen") << "m_Action_UserUnLockCase" << -1 << -1 << "你没有选择待解封的病案!" << -1;
        QTest::newRow("unseal: not sealed") << "m_Action_UserUnLockCase" << 7 << -1 << "指定的病案并未被封存!" << -1;
        QTest::newRow("unseal: own seal") << "m_Action_UserUnLockCase" << 7 << 41 << "病案解封成功!" << -1;
        QTest::newRow("unseal: another's seal") << "m_Action_UserUnLockCase" << 7 << 99 << "病案解封失败!不能解封他人封存的病案!!!" << 99;
    }
    void sealAndUnseal()
    {
        QFETCH(QString, action);
        QFETCH(int, chosen);
        QFETCH(int, lockedBy);
        QFETCH(QString, message);
        QFETCH(int, lockedAfter);
        QSqlQuery q(db());
        q.prepare(QStringLiteral("INSERT INTO \"ZYBL_CaseLibrary\" (\"CaseSN\", \"PatientID\", \"IsLocked\", \"LockOwnerSN\", "
                                 "\"HasOuted\") VALUES (7, '7', :l, :o, 0)"));
        q.bindValue(QStringLiteral(":l"), lockedBy == -1 ? 0 : 1);
        q.bindValue(QStringLiteral(":o"), lockedBy);
        QVERIFY(q.exec());
        QString prompt;
        form()->setCaseFinder([&](const CUserSecurityData &, const QString &p, quint8, int, int &caseNumber) {
            prompt = p;
            caseNumber = chosen;
            return 1;
        });
        CUserSecurityData user = someone(0);
        user.UserSN = 41;
        m_session->adoptUser(user);
        m_prompter->acknowledge();
        this->action(action)->trigger();
        QCOMPARE(prompt, action.contains(QStringLiteral("UnLock")) ? QStringLiteral("请选择一条待解封的病案:")
                                                                   : QStringLiteral("请选择一条待封存的病案:"));
        QCOMPARE(m_prompter->lastText(), message);
        QVERIFY(q.exec(QStringLiteral("SELECT \"IsLocked\", \"LockOwnerSN\" FROM \"ZYBL_CaseLibrary\"")) && q.next());
        QCOMPARE(q.value(0).toInt(), lockedAfter == -1 ? 0 : 1);
        QCOMPARE(q.value(1).toInt(), lockedAfter);
    }

    void adminGate_data()
    {
        QTest::addColumn<quint32>("rights");
        QTest::addColumn<QStringList>("answers"); // "!" cancels
        QTest::addColumn<bool>("refused");
        QTest::newRow("administrator right") << quint32(Rights::SystemAdmin) << QStringList() << false;
        QTest::newRow("an administrator's credentials") << quint32(0) << QStringList{"管理员", "root-pw"} << false;
        QTest::newRow("wrong name") << quint32(0) << QStringList{"管理", "root-pw"} << true;
        QTest::newRow("wrong password") << quint32(0) << QStringList{"管理员", "root-PW"} << true;
        QTest::newRow("an operator without the right") << quint32(0) << QStringList{"普通", "plain-pw"} << true;
        QTest::newRow("name cancelled") << quint32(0) << QStringList{"!"} << false;
        QTest::newRow("password cancelled") << quint32(0) << QStringList{"管理员", "!"} << false;
    }
    void adminGate()
    {
        QFETCH(quint32, rights);
        QFETCH(QStringList, answers);
        QFETCH(bool, refused);
        addOperator(QStringLiteral("管理员"), QStringLiteral("root-pw"), Rights::SystemAdmin);
        addOperator(QStringLiteral("普通"), QStringLiteral("plain-pw"), Rights::allRights() & ~Rights::SystemAdmin);
        m_session->adoptUser(someone(rights));

        for (const char *name : {"m_Action_DataManage", "m_Action_SectionAndUserSetup", "m_Action_ZYFeeSetup"}) {
            m_prompter->asked.clear();
            for (const QString &answer : answers) {
                if (answer == QLatin1String("!"))
                    m_prompter->cancelInput();
                else
                    m_prompter->answerText(answer);
            }
            if (refused)
                m_prompter->acknowledge();
            action(QString::fromLatin1(name))->trigger();

            QCOMPARE(m_prompter->asked.size(), answers.size() + (refused ? 1 : 0));
            if (!answers.isEmpty()) {
                QCOMPARE(m_prompter->asked.at(0).text, QStringLiteral("请输入系统管理员名称:"));
                QCOMPARE(m_prompter->asked.at(0).mode, 0);
                QVERIFY(!m_prompter->asked.at(0).masked);
            }
            if (answers.size() > 1) {
                QCOMPARE(m_prompter->asked.at(1).text, QStringLiteral("请输入系统管理员密码:"));
                QVERIFY(m_prompter->asked.at(1).masked);
            }
            if (refused) {
                const auto &message = m_prompter->asked.constLast();
                QCOMPARE(message.kind, ScriptedPrompter::Kind::Message);
                QCOMPARE(message.text, QStringLiteral("输入的管理员数据错误!\n你不能进入系统数据管理!"));
                QCOMPARE(message.caption, QStringLiteral("提示"));
                QCOMPARE(message.icon, Prompter::Icon::Error);
            }
        }
    }

    // --- operator, status bar, login ----------------------------------------

    void statusBarShowsTheOperator()
    {
        const int section = addSection(QStringLiteral("心内科"));
        QByteArray photo;
        QImage face(40, 50, QImage::Format_RGB32);
        face.fill(Qt::darkCyan);
        QVERIFY(JpegCodec::encode(face, &photo));
        const CUserSecurityData user = addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), 4, section, photo);
        const CUserSecurityData other = addOperator(QStringLiteral("李护士"), QStringLiteral("l1"), 4, section);

        QCOMPARE(form()->m_StatusPanel_0->text(), QStringLiteral("青岚舟住院病历系统"));
        QCOMPARE(form()->m_StatusPanel_1->text(), QStringLiteral("澄岭市某医院"));
        QCOMPARE(form()->m_StatusPanel_2->text(), QStringLiteral("操作者:"));
        QCOMPARE(form()->m_Action_LoginAgain->text(), kLoggedOutCaption);
        QVERIFY(form()->m_Image_UserPicture->pixmap().isNull());

        Settings::setText(Setting::UnitName, QStringLiteral("青岚人民医院"));
        m_session->adoptUser(user);
        QCOMPARE(form()->m_StatusPanel_1->text(), QStringLiteral("青岚人民医院"));
        QCOMPARE(form()->m_StatusPanel_2->text(), QStringLiteral("操作者:王医生"));
        QCOMPARE(form()->m_StatusPanel_3->text(), QStringLiteral("所属科室:心内科"));
        QCOMPARE(form()->m_MainTitle->text(), QStringLiteral("住院病历系统"));
        QCOMPARE(form()->m_Action_LoginAgain->text(), QStringLiteral("注销[王医生],从新登陆(&L)"));
        QVERIFY(!form()->m_Image_UserPicture->pixmap().isNull());

        // Someone without a photograph: the previous one goes.
        m_session->adoptUser(other);
        QCOMPARE(form()->m_StatusPanel_2->text(), QStringLiteral("操作者:李护士"));
        QVERIFY(form()->m_Image_UserPicture->pixmap().isNull());
    }

    void startLogsIn()
    {
        const CUserSecurityData user = addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), 4);
        form()->show();
        form()->start();
        QCOMPARE(form()->m_Action_LoginAgain->text(), kLoggedOutCaption); // not yet: posted
        whenVisible<TLoginDlg>([](TLoginDlg *d) {
            d->m_PassWord->setText(QStringLiteral("w1"));
            QTest::mouseClick(d->m_XP_Button_Ok, Qt::LeftButton);
        });
        QTRY_COMPARE(logRows(1), 1);
        QCOMPARE(logRows(0), 0); // the first login asks nothing and logs nobody out
        QCOMPARE(form()->m_Action_LoginAgain->text(), QStringLiteral("注销[王医生],从新登陆(&L)"));
        QCOMPARE(form()->m_StatusPanel_2->text(), QStringLiteral("操作者:王医生"));
        QVERIFY(form()->isVisible());
        QVERIFY(m_prompter->asked.isEmpty());
        QCOMPARE(m_session->user().UserSN, user.UserSN);
    }

    void cancelledLoginEndsWithoutQuestion()
    {
        addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), 4);
        form()->show();
        form()->start();
        whenVisible<TLoginDlg>([](TLoginDlg *d) { QTest::mouseClick(d->m_XP_Button_Exit, Qt::LeftButton); });
        QTRY_VERIFY(!form()->isVisible());
        QVERIFY(m_prompter->asked.isEmpty());
        QCOMPARE(logRows(0), 0);
        QCOMPARE(logRows(1), 0);
    }

    void leaving_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void leaving()
    {
        QFETCH(bool, yes);
        m_session->adoptUser(addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), 4));
        form()->show();
        yes ? m_prompter->answerYes() : m_prompter->answerNo();
        form()->m_Action_Exit->trigger();
        QCOMPARE(m_prompter->asked.size(), 1);
        QCOMPARE(m_prompter->asked.at(0).kind, ScriptedPrompter::Kind::Question);
        QCOMPARE(m_prompter->asked.at(0).text, QStringLiteral("真的要退出住院病历系统吗?"));
        QCOMPARE(m_prompter->asked.at(0).caption, QStringLiteral("提示"));
        QCOMPARE(form()->isVisible(), !yes);
        QCOMPARE(logRows(0), yes ? 1 : 0);
    }

    // --- posted requests and the case finder --------------------------------

    void caseFinderFromRequest_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("opened");
        QTest::newRow("cancelled") << 2 << -1 << QString() << -1;
        QTest::newRow("OK without a case") << 1 << -1 << QStringLiteral("你没有选择待编辑的病案!") << -1;
        // No such case in the database: the case window opens and says it cannot load it.
        QTest::newRow("a case") << 1 << 1024
                                << QStringLiteral("对指定的病案打开操作失败,病案号: 1024\n\n该病案可能已被封存,请待解除封存后再试.")
                                << 1024;
    }
    void caseFinderFromRequest()
    {
        QFETCH(int, result);
        QFETCH(int, chosen);
        QFETCH(QString, message);
        QFETCH(int, opened);
        m_session->adoptUser(someone(0, 5));
        QString prompt;
        int discharged = -1, section = 0, runs = 0;
        form()->setCaseFinder([&](const CUserSecurityData &user, const QString &p, quint8 d, int s, int &caseNumber) {
            ++runs;
            prompt = p;
            discharged = d;
            section = s;
            // A copy, not the window's own record.
            [&] { QVERIFY(&user != &m_session->user()); }();
            caseNumber = chosen;
            return result;
        });
        if (!message.isEmpty())
            m_prompter->acknowledge();
        QDir::setCurrent(QDir::tempPath());
        TMainForm::postOpenCase(-1);
        QCoreApplication::sendPostedEvents(form(), CaseRequestEvent::OpenCase);

        QCOMPARE(runs, 1);
        QCOMPARE(prompt, QStringLiteral("请选择老病人对应的的病案资料:"));
        QCOMPARE(discharged, 0);
        QCOMPARE(section, 5);
        QCOMPARE(form()->lastOpenedCase(), opened);
        if (message.isEmpty()) {
            QVERIFY(m_prompter->asked.isEmpty());
        } else {
            QCOMPARE(m_prompter->lastText(), message);
            QCOMPARE(m_prompter->asked.at(0).caption, opened < 0 ? QStringLiteral("错误...") : QStringLiteral("提示"));
            QCOMPARE(m_prompter->asked.at(0).icon, Prompter::Icon::Error);
        }
        if (opened >= 0) // the start-up directory is current again after a case window
            QCOMPARE(QDir::currentPath(), form()->startupDir());
    }

    void realCaseFinderCancels()
    {
        m_session->adoptUser(someone(0));
        // Should the real case list come up, cancel it rather than wait.
        QTimer::singleShot(0, [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<Tm_CaseListDlg *>(w); d && d->isVisible())
                    d->reject();
        });
        TMainForm::postOpenCase(-1);
        QCoreApplication::sendPostedEvents(form(), CaseRequestEvent::OpenCase);
        QCOMPARE(form()->lastOpenedCase(), -1);
        QVERIFY(m_prompter->asked.isEmpty());
    }

    void pageFlags_data()
    {
        QTest::addColumn<QStringList>("settings"); // name=value
        QTest::addColumn<int>("flags");
        QTest::newRow("defaults") << QStringList() << 30;
        QTest::newRow("no examinations") << QStringList{"FZJC=0"} << 14;
        QTest::newRow("no examinations, progress notes 2") << QStringList{"FZJC=0", "BCJL=2"} << 12;
        QTest::newRow("prescriptions and monitoring off") << QStringList{"DZCF=0", "JCJL=0"} << 18;
    }
    void pageFlags()
    {
        QFETCH(QStringList, settings);
        QFETCH(int, flags);
        for (const QString &s : settings) {
            const QStringList kv = s.split(QLatin1Char('='));
            Settings::writeText(Settings::kGeneralSection, kv.at(0), kv.at(1));
        }
        QCOMPARE(form()->lastOpenedCase(), -1);
        m_prompter->acknowledge(); // there is no case 315: the case window says so and closes
        TMainForm::postOpenCase(315);
        QCoreApplication::sendPostedEvents(form(), CaseRequestEvent::OpenCase);
        QCOMPARE(form()->lastOpenedCase(), 315);
        QCOMPARE(form()->lastPageFlags(), flags);
        QVERIFY(m_prompter->lastText().contains(QStringLiteral("病案号: 315")));
    }

    void searchRequest()
    {
        QSignalSpy search(form()->m_Action_BAJS, &QAction::triggered);
        QCOMPARE(int(CaseRequestEvent::OpenCase), 2048);
        QCOMPARE(int(CaseRequestEvent::SearchCase), 2050);
        QCOMPARE(int(CaseRequestEvent::Lock), 2051);
        TMainForm::postSearchCase();
        QCoreApplication::sendPostedEvents(form(), CaseRequestEvent::SearchCase);
        QCOMPARE(search.count(), 1);
        QCOMPARE(m_searchesShown, 1); // the case search came up
    }

    // --- idle lock ----------------------------------------------------------

    void lockRequest_data()
    {
        QTest::addColumn<bool>("byCommand");
        QTest::newRow("posted") << false;
        QTest::newRow("lock command") << true;
    }
    void lockRequest()
    {
        QFETCH(bool, byCommand);
        m_session->adoptUser(addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), 4));
        QStringList panelWhileLocked;
        connect(m_session.get(), &LoginSession::suspendedChanged, form(), [&](bool locked) {
            if (locked)
                panelWhileLocked << form()->m_StatusPanel_4->text();
        });
        m_prompter->answerText(QStringLiteral("wrong")).answerText(QStringLiteral(" w1 "));
        if (byCommand)
            form()->m_Action_LockSystem->trigger();
        else
            TMainForm::postLock();
        QCOMPARE(m_prompter->asked.size(), 0); // posted, not run at once
        QCoreApplication::sendPostedEvents(form(), CaseRequestEvent::Lock);
        QCOMPARE(m_prompter->asked.size(), 2);
        QCOMPARE(m_prompter->asked.at(0).text, QStringLiteral("系统已被锁定,输入王医生的密码解除锁定"));
        QCOMPARE(panelWhileLocked, QStringList{QStringLiteral("系统已被锁定")});
        QVERIFY(!m_session->isSuspended());
        QVERIFY(form()->m_StatusPanel_4->text().startsWith(QStringLiteral("锁定倒计时:")));
    }

    void idleLock()
    {
        m_session->setClock([this] { return m_now; });
        Settings::setInteger(Setting::SystemLockMinute, 1);
        form()->show();
        QCOMPARE(m_session->lockMinutes(), 1);
        m_session->adoptUser(addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), 4));

        m_now = 30'000;
        QTRY_COMPARE(form()->m_StatusPanel_4->text(), QStringLiteral("锁定倒计时:0分30秒"));
        // Any input, anywhere, starts the period again.
        QTest::keyClick(form()->m_Panel_Left, Qt::Key_A);
        QTRY_COMPARE(form()->m_StatusPanel_4->text(), QStringLiteral("锁定倒计时:1分0秒"));
        m_now = 50'000;
        QTest::mouseMove(form()->m_MainTitle, QPoint(5, 5));
        QTest::mousePress(form()->m_MainTitle, Qt::LeftButton);
        QTest::mouseRelease(form()->m_MainTitle, Qt::LeftButton);
        QTRY_COMPARE(form()->m_StatusPanel_4->text(), QStringLiteral("锁定倒计时:1分0秒"));
        QVERIFY(form()->m_Label_CurDateTime->text().startsWith(QStringLiteral("当前时间:\n")));
        QCOMPARE(form()->m_Label_CurDateTime->text().size(), QStringLiteral("当前时间:\n2024-01-01 12:00").size());

        // A minute without input locks the workstation.
        m_prompter->answerText(QStringLiteral("w1"));
        m_now = 110'000;
        QTRY_COMPARE(m_prompter->asked.size(), 1);
        QCOMPARE(m_prompter->asked.at(0).text, QStringLiteral("系统已被锁定,输入王医生的密码解除锁定"));
        QVERIFY(!m_session->isSuspended());
    }

    // --- help, printer, about, sound, cover ---------------------------------

    void helpFileMissing_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("F1 anywhere") << true;
        QTest::newRow("menu") << false;
    }
    void helpFileMissing()
    {
        QFETCH(bool, byKey);
        form()->show();
        m_prompter->acknowledge();
        if (byKey) {
            QTest::keyPress(form()->m_Panel_ZYCL, Qt::Key_F1);
            QTest::keyRelease(form()->m_Panel_ZYCL, Qt::Key_F1);
        } else {
            form()->m_Action_Help->trigger();
        }
        QCOMPARE(m_prompter->asked.size(), 1);
        QCOMPARE(m_prompter->asked.at(0).text,
                 QStringLiteral("你正在请求系统帮助，但系统的帮助文件 ZYHelp.CHM 未找到，或其未在当前文件夹!\n\n"
                                "如果你没有这个帮助文件，请联系作者免费索取!"));
        QCOMPARE(m_prompter->asked.at(0).caption, QStringLiteral("提示"));
        QCOMPARE(m_prompter->asked.at(0).icon, Prompter::Icon::Warning);
    }

    void about()
    {
        m_prompter->acknowledge();
        form()->m_Action_About->trigger();
        QCOMPARE(captions(m_prompter->asked), QStringList{QStringLiteral("关于本软件")});
        QVERIFY(m_prompter->lastText().contains(QStringLiteral("青岚舟住院病历系统")));
    }

    void printerSetupWithoutPrinter()
    {
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("this machine has a printer");
        m_prompter->acknowledge();
        form()->m_Action_PrinterSetup->trigger();
        QCOMPARE(m_prompter->lastText(), QStringLiteral("未找到默认的打印机"));
        QCOMPARE(m_prompter->asked.at(0).caption, QStringLiteral("错误"));
        QCOMPARE(m_prompter->asked.at(0).icon, Prompter::Icon::Error);
    }

    void backgroundSoundMissing()
    {
        const QString file = QDir(m_dir->path()).filePath(QStringLiteral("无此文件.mid"));
        Settings::setText(Setting::BackMidiMusic, file);
        QCOMPARE(form()->backMusicFileName(), file);
        QCOMPARE(form()->m_Action_PlayBackMidiMusic->text(), QStringLiteral("播放背景音效"));
        m_prompter->acknowledge();
        form()->m_Action_PlayBackMidiMusic->trigger();
        QCOMPARE(m_prompter->asked.size(), 1);
        QCOMPARE(m_prompter->asked.at(0).text, QStringLiteral("找不到指定的背景音效文件:\n文件名:") + file
                                                   + QStringLiteral("\n请在系统数据维护窗口从新设置有效的背景音效文件!"));
        QCOMPARE(m_prompter->asked.at(0).caption, QStringLiteral("提示"));
        QCOMPARE(m_prompter->asked.at(0).icon, Prompter::Icon::Error);
        QVERIFY(!form()->m_Action_PlayBackMidiMusic->isChecked());
        QCOMPARE(form()->m_Action_PlayBackMidiMusic->text(), QStringLiteral("背景音效(停止...)"));
    }

    void backgroundSoundUnplayable()
    {
        const QString file = QDir(m_dir->path()).filePath(QStringLiteral("noise.mid"));
        QFile garbage(file);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, '\x5a'));
        garbage.close();
        Settings::setText(Setting::BackMidiMusic, file);
        m_prompter->acknowledge();
        form()->m_Action_PlayBackMidiMusic->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_prompter->asked.size(), 1, 20000);
        QCOMPARE(m_prompter->asked.at(0).text, QStringLiteral("系统无法播放指定的背景音效文件:\n文件名:") + file
                                                   + QStringLiteral("\n请确认该文件是MP3,Wav或Mid格式音效文件!\n"
                                                                    "如果系统有其它音乐软件正在播放则无法播放背景音效!"));
        QCOMPARE(m_prompter->asked.at(0).icon, Prompter::Icon::Error);
        QTRY_VERIFY(!form()->m_Action_PlayBackMidiMusic->isChecked());
        QCOMPARE(form()->m_Action_PlayBackMidiMusic->text(), QStringLiteral("背景音效(停止...)"));
    }

    void coverPicture_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("shown");
        QTest::newRow("a JPEG") << "jpeg" << true;
        QTest::newRow("not a JPEG") << "garbage" << false;
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("not set") << "" << false;
    }
    void coverPicture()
    {
        QFETCH(QString, kind);
        QFETCH(bool, shown);
        const QString file = QDir(m_dir->path()).filePath(QStringLiteral("flag.jpg"));
        if (kind == QLatin1String("jpeg")) {
            QImage flag(300, 200, QImage::Format_RGB32);
            flag.fill(Qt::red);
            QVERIFY(JpegCodec::encodeFile(flag, file));
        } else if (kind == QLatin1String("garbage")) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("GIF89a not at all a jpeg");
        }
        if (!kind.isEmpty())
            Settings::setText(Setting::FlagImageFileName, file);
        QCOMPARE(!form()->m_Image_Flag->pixmap().isNull(), shown);
        QCOMPARE(form()->m_MainTitle->text(), QStringLiteral("住院病历系统"));
        QCOMPARE(form()->m_Panel_Client->currentWidget(), form()->m_Panel_Main);
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
