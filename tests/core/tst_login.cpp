// Logging in: the login dialog, logging in again, password changes, the idle
// lock and its prompt, the login log, the first administrator.
#include "common/modal.h"
#include "common/scriptedprompter.h"
#include "core/casedatamodule.h"
#include "core/demodata.h"
#include "core/firstadmindlg.h"
#include "core/singleinstance.h"
#include "core/logindlg.h"
#include "core/loginsession.h"
#include "core/loginstore.h"
#include "core/password.h"
#include "core/rights.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct LogRow {
    QString name;
    int userSN;
    int rights;
    int flag;
    int module;
    bool operator==(const LogRow &) const = default;
};

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Tm_CaseDataModule> m_module;

    QSqlDatabase db() const { return m_module->mainDb(); }

    int addOperator(const QString &name, const QString &storedPassword, int rights, int group, bool hash = true)
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("INSERT INTO \"GLOBAL_UserLib\" (\"UserName\", \"Password\", \"Property\", \"GroupSN\", "
                                 "\"SectionSN\") VALUES (:n, :p, :r, :g, 1)"));
        q.bindValue(QStringLiteral(":n"), name);
        q.bindValue(QStringLiteral(":p"), hash ? Password::Hash(storedPassword) : storedPassword);
        q.bindValue(QStringLiteral(":r"), rights);
        q.bindValue(QStringLiteral(":g"), group);
        if (!q.exec())
            return -1;
        q.exec(QStringLiteral("SELECT max(\"RecordSN\") FROM \"GLOBAL_UserLib\""));
        return q.next() ? q.value(0).toInt() : -1;
    }

    QList<LogRow> logRows() const
    {
        QList<LogRow> rows;
        QSqlQuery q(db());
        q.exec(QStringLiteral("SELECT \"UserName\", \"UserSN\", \"LoginoutRights\", \"LoginoutFlag\", \"ModuleSN\", "
                              "\"LoginoutStationName\", \"LoginoutStationIP\" FROM \"GLOBAL_UserLoginoutLib\" ORDER BY \"RecordSN\""));
        while (q.next()) {
            rows << LogRow{q.value(0).toString(), q.value(1).toInt(), q.value(2).toInt(), q.value(3).toInt(), q.value(4).toInt()};
            if (q.value(5).toString() != QStringLiteral("单机") || q.value(6).toString() != QStringLiteral("0.0.0.0"))
                rows.last().module = -99;
        }
        return rows;
    }

    // Logs in through the dialog as the operator at `index` with `password`.
    static void loginAs(int index, const QString &password)
    {
        whenShown<TLoginDlg>([=](TLoginDlg *d) {
            d->m_ComboBoxEx_User->setCurrentIndex(index);
            d->m_PassWord->setText(password);
            QTest::mouseClick(d->m_XP_Button_Ok, Qt::LeftButton);
        });
    }

private slots:
    void init()
    {
        QString error;
        m_module.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("zybl.db")));
        m_module = Tm_CaseDataModule::create(m_dir.path(), &error);
        QVERIFY2(m_module, qPrintable(error));
    }
    void cleanup()
    {
        m_module.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("zybl.db")));
        QFile::remove(m_dir.filePath(QStringLiteral("zybl.db-wal")));
        QFile::remove(m_dir.filePath(QStringLiteral("zybl.db-shm")));
    }

    void passwords()
    {
        const QString hash = Password::Hash(QStringLiteral("abc"));
        QVERIFY(Password::IsHash(hash));
        QVERIFY(!hash.contains(QStringLiteral("abc")));
        QVERIFY(Password::Matches(hash, QStringLiteral("abc")));
        QVERIFY(!Password::Matches(hash, QStringLiteral("abc ")));
        QVERIFY(!Password::Matches(hash, QStringLiteral("ABC")));
        QVERIFY(Password::Hash(QStringLiteral("abc")) != hash); // salted
        // A password still kept in clear by an older program: its trailing blanks do not count.
        QVERIFY(Password::Matches(QStringLiteral("abc   "), QStringLiteral("abc")));
        QVERIFY(!Password::Matches(QStringLiteral("abc"), QStringLiteral("abc ")));
        QVERIFY(Password::IsAcceptable(QStringLiteral("a")));
        QVERIFY(Password::IsAcceptable(QString(20, QLatin1Char('x'))));
        QVERIFY(!Password::IsAcceptable(QString(21, QLatin1Char('x'))));
        QVERIFY(!Password::IsAcceptable(QString()));
        QVERIFY(!Password::IsAcceptable(QStringLiteral(" a")));
        QVERIFY(!Password::IsAcceptable(QStringLiteral("a ")));
    }

    void loginDialogListsThisModuleOnly()
    {
        addOperator(QStringLiteral("王医生  "), QStringLiteral("w1"), 4, 8);
        addOperator(QStringLiteral("门诊李"), QStringLiteral("x"), 4, 2);
        addOperator(QStringLiteral("检验赵"), QStringLiteral("x"), 4, 1);
        const int both = addOperator(QStringLiteral("刘护士"), QStringLiteral("x"), 4, 10);
        TLoginDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("系统登陆"));
        QCOMPARE(dialog.m_ComboBoxEx_User->count(), 2);
        QCOMPARE(dialog.m_ComboBoxEx_User->itemText(0), QStringLiteral("王医生(1)"));
        QCOMPARE(dialog.m_ComboBoxEx_User->itemText(1), QStringLiteral("刘护士(%1)").arg(both));
        QCOMPARE(dialog.m_ComboBoxEx_User->currentIndex(), 0);
        QCOMPARE(dialog.m_PassWord->maxLength(), 20);
        QCOMPARE(dialog.m_PassWord->echoMode(), QLineEdit::Password);
        QCOMPARE(dialog.m_PassWord->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, dialog.m_PassWord),
                 int('#'));
        QCOMPARE(dialog.m_XP_Button_Ok->text(), QStringLiteral("登陆(&O)"));
        QCOMPARE(dialog.m_XP_Button_Exit->text(), QStringLiteral("退出(&X)"));
    }

    void loginDialogChecksThePassword_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("hashed");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("right") << "secret" << true << "secret" << true;
        QTest::newRow("wrong case") << "secret" << true << "Secret" << false;
        QTest::newRow("typed with a trailing blank") << "secret" << true << "secret " << false;
        QTest::newRow("empty") << "secret" << true << "" << false;
        QTest::newRow("clear, stored with blanks") << "old  " << false << "old" << true;
        QTest::newRow("clear, typed with blanks") << "old" << false << "old " << false;
    }
    void loginDialogChecksThePassword()
    {
        QFETCH(QString, stored);
        QFETCH(bool, hashed);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        const int sn = addOperator(QStringLiteral("王医生"), stored, 0x7FFF, 9, hashed);
        ScriptedPrompter script;
        if (!accepted)
            script.acknowledge();
        TLoginDlg dialog;
        dialog.show();
        dialog.m_PassWord->setText(typed);
        QTest::keyClick(dialog.m_PassWord, Qt::Key_Return); // Enter in the password logs in
        QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
        if (!accepted) {
            QCOMPARE(script.lastText(), QStringLiteral("密码不正确,登陆失败!"));
            QCOMPARE(script.asked.last().icon, Prompter::Icon::Error);
            QVERIFY(dialog.isVisible());
            return;
        }
        QCOMPARE(dialog.user().UserName, QStringLiteral("王医生"));
        QCOMPARE(dialog.user().UserSN, sn);
        QCOMPARE(dialog.user().Rights, 0x7FFFu);
        QCOMPARE(dialog.user().GroupSN, 9);
        QCOMPARE(dialog.user().SectionSN, 1);
        // Whatever was stored, a hash is stored now and kept in the record.
        QVERIFY(Password::IsHash(dialog.user().Password));
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("SELECT \"Password\" FROM \"GLOBAL_UserLib\"")) && q.next());
        QCOMPARE(q.value(0).toString(), dialog.user().Password);
    }

    void loginDialogKeysAndEmptyList()
    {
        addOperator(QStringLiteral("王医生"), QStringLiteral("w"), 0, 8);
        TLoginDlg dialog;
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.m_ComboBoxEx_User->setFocus();
        QTest::keyClick(dialog.m_ComboBoxEx_User, Qt::Key_Return);
        QVERIFY(dialog.m_PassWord->hasFocus());

        dialog.m_ComboBoxEx_User->setCurrentIndex(-1);
        ScriptedPrompter script;
        script.acknowledge();
        QTest::mouseClick(dialog.m_XP_Button_Ok, Qt::LeftButton);
        QCOMPARE(script.lastText(), QStringLiteral("请先选择一名医师"));
        QCOMPARE(script.asked.last().icon, Prompter::Icon::Information);
        QVERIFY(dialog.isVisible());
    }

    void firstLoginAndCancel()
    {
        addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), 6, 8);
        {
            // Cancelling the first login: the program ends, nothing is logged.
            LoginSession session;
            whenShown<TLoginDlg>([](TLoginDlg *d) { QTest::mouseClick(d->m_XP_Button_Exit, Qt::LeftButton); });
            QVERIFY(!session.LoginAgain());
            QVERIFY(logRows().isEmpty());
        }
        // The first login asks nothing and writes one login row.
        LoginSession session;
        int changes = 0;
        connect(&session, &LoginSession::operatorChanged, this, [&] { ++changes; });
        loginAs(0, QStringLiteral("w1"));
        QVERIFY(session.LoginAgain());
        QCOMPARE(session.user().UserName, QStringLiteral("王医生"));
        QVERIFY(!session.isSuspended());
        QCOMPARE(changes, 2); // cleared, then the new operator
        QCOMPARE(logRows(), QList<LogRow>({{QStringLiteral("王医生"), 1, 6, 1, 8}}));
    }

    void loginAgainAsSomeoneElse()
    {
        addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), 6, 8);
        addOperator(QStringLiteral("李护士"), QStringLiteral("l2"), 2048, 8);
        LoginSession session;
        loginAs(0, QStringLiteral("w1"));
        QVERIFY(session.LoginAgain());

        // Declining the question keeps everything.
        ScriptedPrompter script;
        script.answerNo();
        QVERIFY(session.LoginAgain());
        QCOMPARE(script.lastText(), QStringLiteral("这将注销当前用户 <王医生> 的本次登陆操作!\n\n确认吗?"));
        QCOMPARE(script.asked.last().caption, QStringLiteral("注销..."));
        QCOMPARE(session.user().UserName, QStringLiteral("王医生"));
        QCOMPARE(logRows().size(), 1);

        script.answerYes();
        loginAs(1, QStringLiteral("l2"));
        QVERIFY(session.LoginAgain());
        QCOMPARE(session.user().UserName, QStringLiteral("李护士"));
        QCOMPARE(logRows(), QList<LogRow>({{QStringLiteral("王医生"), 1, 6, 1, 8},
                                           {QStringLiteral("王医生"), 1, 6, 0, 8},
                                           {QStringLiteral("李护士"), 2, 2048, 1, 8}}));
        session.Logout();
        QCOMPARE(logRows().last(), (LogRow{QStringLiteral("李护士"), 2, 2048, 0, 8}));
    }

    void changePassword_data()
    {
        QTest::addColumn<QStringList>("answers"); // old, new, again; "<cancel>" cancels
        QTest::addColumn<QString>("message");     // empty: none
        QTest::addColumn<bool>("changed");
        const QString mismatch = QStringLiteral("两次输入的新密码不一致,密码修改失败!\n旧的密码仍然有效!");
        QTest::newRow("wrong old") << QStringList{"nope"} << "旧密码输入不正确,你不能设置新密码!" << false;
        QTest::newRow("old with a blank") << QStringList{"w1 "} << "旧密码输入不正确,你不能设置新密码!" << false;
        QTest::newRow("cancel old") << QStringList{"<cancel>"} << "" << false;
        QTest::newRow("cancel second") << QStringList{"w1", "n", "<cancel>"} << "" << false;
        QTest::newRow("mismatch") << QStringList{"w1", "new1", "new2"} << mismatch << false;
        QTest::newRow("empty") << QStringList{"w1", "", ""} << "新密码须为1到20个字符,且首尾不能是空格,密码修改失败!\n旧的密码仍然有效!" << false;
        QTest::newRow("trailing blank") << QStringList{"w1", "new ", "new "} << "新密码须为1到20个字符,且首尾不能是空格,密码修改失败!\n旧的密码仍然有效!" << false;
        QTest::newRow("too long") << QStringList{"w1", QString(21, 'x'), QString(21, 'x')} << "新密码须为1到20个字符,且首尾不能是空格,密码修改失败!\n旧的密码仍然有效!" << false;
        QTest::newRow("changed") << QStringList{"w1", "新密码2026", "新密码2026"} << "密码修改成功,下次登陆请用新的密码!" << true;
    }
    void changePassword()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, message);
        QFETCH(bool, changed);
        addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), 6, 8);
        LoginSession session;
        loginAs(0, QStringLiteral("w1"));
        QVERIFY(session.LoginAgain());

        {
            ScriptedPrompter script;
            for (const QString &a : answers)
                a == QLatin1String("<cancel>") ? script.cancelInput() : script.answerText(a);
            if (!message.isEmpty())
                script.acknowledge();
            session.ChangeLoginPwd();
            QCOMPARE(script.asked.first().text, QStringLiteral("请输入旧的密码:"));
            QVERIFY(script.asked.first().masked);
            QCOMPARE(message.isEmpty() ? QString() : script.lastText(), message);
        }
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("SELECT \"Password\" FROM \"GLOBAL_UserLib\"")) && q.next());
        const QString stored = q.value(0).toString();
        QCOMPARE(Password::Matches(stored, answers.value(1)), changed);
        QCOMPARE(Password::Matches(stored, QStringLiteral("w1")), !changed);

        // The lock takes the password valid now, and only that one.
        ScriptedPrompter lock;
        lock.answerText(QStringLiteral("w1"));
        if (changed)
            lock.answerText(answers.value(1));
        session.LockSystem();
        QCOMPARE(lock.asked.size(), changed ? 2 : 1);
    }

    void idleCountdown()
    {
        LoginSession session;
        qint64 now = 1000;
        session.setClock([&] { return now; });
        session.setLockMinutes(1);
        QCOMPARE(session.countdownText(), QStringLiteral("锁定倒计时:1分0秒"));
        now += 30500;
        QCOMPARE(session.countdownText(), QStringLiteral("锁定倒计时:0分29秒"));
        QVERIFY(!session.lockDue());
        session.NoteInput(); // input starts the period again
        now += 59999;
        QVERIFY(!session.lockDue());
        now += 1;
        QVERIFY(session.lockDue());
        QCOMPARE(session.countdownText(), QStringLiteral("锁定倒计时:0分0秒"));

        session.setLockMinutes(1440);
        QCOMPARE(session.lockMinutes(), 1440);
        QCOMPARE(session.countdownText(), QStringLiteral("锁定倒计时:1439分0秒"));
        for (int odd : {0, -5, 1441, 2147483647}) {
            session.setLockMinutes(odd);
            QCOMPARE(session.lockMinutes(), 10);
        }
    }

    void lockPromptRepeatsUntilThePassword()
    {
        addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), 6, 8);
        LoginSession session;
        qint64 now = 0;
        session.setClock([&] { return now; });
        session.setLockMinutes(1);
        loginAs(0, QStringLiteral("w1"));
        QVERIFY(session.LoginAgain());
        QList<bool> states;
        connect(&session, &LoginSession::suspendedChanged, this, [&](bool s) {
            states << s;
            if (s) { // no idle time counts while locked
                now += 120000;
                session.NoteInput();
                QVERIFY(!session.lockDue());
            }
        });
        now += 60000;
        QVERIFY(session.lockDue());

        ScriptedPrompter script;
        script.answerText(QStringLiteral("wrong")).cancelInput().answerText(QStringLiteral("  w1  "));
        session.LockSystem();
        QCOMPARE(script.asked.size(), 3);
        QCOMPARE(script.asked.first().text, QStringLiteral("系统已被锁定,输入王医生的密码解除锁定"));
        QVERIFY(script.asked.first().masked);
        QCOMPARE(states, QList<bool>({true, false}));
        QVERIFY(!session.lockDue()); // the period starts again at the unlock
        QCOMPARE(session.remainingMs(), 60000);
    }

    void administratorCheck()
    {
        addOperator(QStringLiteral("王医生"), QStringLiteral("w1"), int(Rights::allRights()), 8);
        addOperator(QStringLiteral("李护士"), QStringLiteral("l2"), 2048, 8);
        QVERIFY(LoginSession::VerifyAdministrator(QStringLiteral("王医生"), QStringLiteral("w1")));
        QVERIFY(!LoginSession::VerifyAdministrator(QStringLiteral("王医生"), QStringLiteral("l2")));
        QVERIFY(!LoginSession::VerifyAdministrator(QStringLiteral("李护士"), QStringLiteral("l2")));
        QVERIFY(!LoginSession::VerifyAdministrator(QString(), QString()));
    }

    void firstAdministrator()
    {
        // Refusals keep the dialog open and create nothing.
        whenShown<Tm_FirstAdminDlg>([](Tm_FirstAdminDlg *d) {
            {
                ScriptedPrompter script;
                script.acknowledge().acknowledge();
                d->m_Edit_SectionName->setText(QStringLiteral("内科"));
                d->m_Edit_UserName->setText(QStringLiteral("张主任"));
                d->m_Edit_Password->setText(QStringLiteral("pw 1 "));
                d->m_Edit_Password2->setText(QStringLiteral("pw 1 "));
                QTest::mouseClick(d->m_BitBtn_Ok, Qt::LeftButton);
                QCOMPARE(script.lastText(), QStringLiteral("密码须为1到20个字符,且首尾不能是空格!"));
                d->m_Edit_Password->setText(QStringLiteral("pw1"));
                QTest::mouseClick(d->m_BitBtn_Ok, Qt::LeftButton);
                QCOMPARE(script.lastText(), QStringLiteral("两次输入的密码不一致!"));
                QVERIFY(d->isVisible());
            }
            d->m_Edit_Password2->setText(QStringLiteral("pw1"));
            QTest::mouseClick(d->m_BitBtn_Ok, Qt::LeftButton);
        });
        QVERIFY(Tm_FirstAdminDlg::RunIfNeeded());

        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("SELECT u.\"UserName\", u.\"Property\", u.\"GroupSN\", u.\"UserTypeID\", "
                                      "s.\"SectionName\", u.\"Password\" FROM \"GLOBAL_UserLib\" u JOIN \"GLOBAL_SectionLib\" s "
                                      "ON s.\"RecordSN\" = u.\"SectionSN\"")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("张主任"));
        QCOMPARE(quint32(q.value(1).toLongLong()), Rights::allRights());
        QCOMPARE(q.value(2).toInt(), 8);
        QCOMPARE(q.value(3).toInt(), 1);
        QCOMPARE(q.value(4).toString().trimmed(), QStringLiteral("内科"));
        QVERIFY(Password::IsHash(q.value(5).toString()));
        QVERIFY(!q.next());

        // Now there is an operator: no dialog, and the login takes the new password.
        QVERIFY(Tm_FirstAdminDlg::RunIfNeeded());
        LoginSession session;
        loginAs(0, QStringLiteral("pw1"));
        QVERIFY(session.LoginAgain());
        QCOMPARE(session.user().UserName, QStringLiteral("张主任"));
    }

    void singleInstance()
    {
        const QString title = QStringLiteral("住院病历测试%1").arg(QCoreApplication::applicationPid());
        auto first = std::make_unique<SingleInstance>(title);
        QVERIFY(first->acquire());
        SingleInstance second(title);
        QVERIFY(!second.acquire());
        first.reset(); // the first copy ends
        QVERIFY(second.acquire());
    }

    void demoAdministrator()
    {
        QString error;
        QVERIFY2(DemoData::Ensure(&error), qPrintable(error));
        QVERIFY2(DemoData::Ensure(&error), qPrintable(error)); // once only
        const auto operators = LoginStore(db()).moduleOperators();
        QCOMPARE(operators.size(), 1);
        QCOMPARE(operators.first().name, DemoData::kAdministrator);
        CUserSecurityData user;
        QCOMPARE(LoginStore(db()).checkLogin(operators.first().userSN, DemoData::kPassword, &user), LoginStore::Check::Ok);
        QCOMPARE(user.Rights, Rights::allRights());
        QVERIFY(DemoData::LoginHint().contains(DemoData::kPassword));
    }

    void firstAdministratorCancelled()
    {
        whenShown<Tm_FirstAdminDlg>([](Tm_FirstAdminDlg *d) { QTest::mouseClick(d->m_BitBtn_Cancel, Qt::LeftButton); });
        QVERIFY(!Tm_FirstAdminDlg::RunIfNeeded());
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM \"GLOBAL_SectionLib\"")) && q.next());
        QCOMPARE(q.value(0).toInt(), 0);
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
