// The case window: page flags and button settings, opening (seal, access date,
// status bar, pages attached), page switching, saving, printing, the questions
// before leaving and closing, and cases it must refuse to open.
#include "case/casedataform.h"
#include "case/caseobject.h"
#include "case/casepage.h"
#include "case/casestore.h"
#include "case/democases.h"
#include "core/demodata.h"
#include "core/pinyin.h"
#include "common/scriptedprompter.h"
#include "core/casedatamodule.h"
#include "core/database.h"
#include "core/rights.h"
#include "core/settings.h"

#include <QAction>
#include <QLabel>
#include <QPrinterInfo>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

namespace {

constexpr int kUser = 7;
constexpr int kOther = 8;

// A page that writes down what the window asks of it.
class RecordingPage : public TCasePage
{
public:
    RecordingPage(int index, quint32 readRight, QStringList *log, QWidget *parent)
        : TCasePage(QStringLiteral("页%1").arg(index), readRight, parent), m_index(index), m_log(log)
    {
    }
    void AttachCase(TCaseObject &caseObject, const CUserSecurityData &user) override
    {
        TCasePage::AttachCase(caseObject, user);
        note(QStringLiteral("attach"));
    }
    void ActivatePage() override { note(QStringLiteral("activate")); }
    void DeactivatePage() override { note(QStringLiteral("deactivate")); }
    bool PrintPage() override
    {
        note(QStringLiteral("print"));
        return printResult;
    }
    void StoreToCase(TCaseObject &caseObject) override
    {
        note(QStringLiteral("store"));
        if (!storedName.isEmpty())
            caseObject.PatientName = storedName;
    }

    bool printResult = true;
    QString storedName;

private:
    void note(const QString &what) { m_log->append(QStringLiteral("%1 %2").arg(what).arg(m_index)); }
    int m_index;
    QStringList *m_log;
};

CUserSecurityData doctor(quint32 rights = Rights::allRights())
{
    CUserSecurityData user;
    user.UserName = QStringLiteral("王医生");
    user.UserSN = kUser;
    user.Rights = rights;
    user.SectionSN = 1;
    return user;
}

} // namespace

class TestCaseDataForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tm_CaseDataModule> m_module;
    QStringList m_log;

    QSqlDatabase db() const { return m_module->mainDb(); }

    void addCase(int number, const QByteArray &data, int locked = 0, int owner = -1)
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("INSERT INTO \"ZYBL_CaseLibrary\" (\"CaseSN\", \"PatientID\", \"PatientName\", \"CaseData\", "
                                 "\"IsLocked\", \"LockOwnerSN\", \"HasOuted\") VALUES (:n, :id, '', :d, :l, :o, 0)"));
        q.bindValue(QStringLiteral(":n"), number);
        q.bindValue(QStringLiteral(":id"), QString::number(number));
        q.bindValue(QStringLiteral(":d"), data);
        q.bindValue(QStringLiteral(":l"), locked);
        q.bindValue(QStringLiteral(":o"), owner);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }

    QVariant column(int number, const char *name)
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("SELECT \"%1\" FROM \"ZYBL_CaseLibrary\" WHERE \"CaseSN\" = :n").arg(QLatin1String(name)));
        q.bindValue(QStringLiteral(":n"), number);
        return q.exec() && q.next() ? q.value(0) : QVariant();
    }
    // Who holds the seal: -1 nobody.
    int sealer(int number)
    {
        return column(number, "IsLocked").toInt() ? column(number, "LockOwnerSN").toInt() : -1;
    }

    std::unique_ptr<TCaseDataForm> makeForm(int number, int flags = 30, const CUserSecurityData &user = doctor())
    {
        return std::make_unique<TCaseDataForm>(nullptr, QString::number(number), user, flags,
                                               [this](int index, QWidget *parent) -> TCasePage * {
                                                   const quint32 read[] = {Rights::ReadFrontPage,
                                                                           Rights::ReadProgressNotes, Rights::ReadRecipe,
                                                                           Rights::ReadMonitoring,
                                                                           Rights::ReadExamination};
                                                   return new RecordingPage(index, read[index], &m_log, parent);
                                               });
    }
    static RecordingPage *page(TCaseDataForm &form, int index) { return static_cast<RecordingPage *>(form.page(index)); }

    static QList<int> visiblePages(TCaseDataForm &form)
    {
        QList<int> pages;
        for (int i = 0; i < TCaseDataForm::PageCount; ++i) {
            if (form.page(i)->isVisibleTo(&form) != form.page(i)->isEnabled())
                pages << -1 - i; // shown but disabled, or hidden but enabled: never right
            else if (form.page(i)->isVisibleTo(&form))
                pages << i;
        }
        return pages;
    }

    static TCaseObject patient()
    {
        TCaseObject c;
        c.PatientName = QStringLiteral("李秀英");
        c.PatientSex = QStringLiteral("女");
        c.AgeDisplay = QStringLiteral("67岁");
        c.Address = QStringLiteral("澄岭市河西路8号");
        return c;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        QSettings(QStringLiteral("Corvane Software"), QStringLiteral("Halvern")).clear();
        m_dir = std::make_unique<QTemporaryDir>();
        QString error;
        m_module = Tm_CaseDataModule::create(m_dir->path(), &error);
        QVERIFY2(m_module, qPrintable(error));
        addCase(100, patient().toBytes());
        m_log.clear();
    }

    void cleanup()
    {
        m_module.reset();
        m_dir.reset();
    }

    void pageFlagsAndButtons_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("settings"); // name=value of "综合选项"
        QTest::addColumn<QString>("visible");      // page actions: v visible and enabled, d visible but disabled, - hidden
        QTest::addColumn<QString>("buttons");      // open, search, certificate, advisor: 1 shown and enabled
        QTest::newRow("flags 0: the front page only") << 0 << QStringList() << "v-d--" << "1111";
        QTest::newRow("every page") << 30 << QStringList() << "vvvvv" << "1111";
        QTest::newRow("notes and examinations") << 2 + 16 << QStringList() << "vvd-v" << "1111";
        QTest::newRow("buttons off") << 30 << QStringList{"DisplayOpenButtonOnCaseDlg=0", "DisplaySearchButtonOnCaseDlg=0"}
                                     << "vvvvv" << "0011";
        QTest::newRow("only 1 is on") << 30 << QStringList{"DisplayYXWSButtonOnCaseDlg=2", "DisplayStudyButtonOnCaseDlg=-1"}
                                      << "vvvvv" << "1100";
    }
    void pageFlagsAndButtons()
    {
        QFETCH(int, flags);
        QFETCH(QStringList, settings);
        QFETCH(QString, visible);
        QFETCH(QString, buttons);
        for (const QString &s : settings)
            Settings::writeText(Settings::kGeneralSection, s.section(QLatin1Char('='), 0, 0), s.section(QLatin1Char('='), 1));
        auto form = makeForm(100, flags);
        QCOMPARE(form->windowTitle(), QStringLiteral("病历窗口"));
        QCOMPARE(form->pageFlags(), flags | 1);
        const QAction *pages[] = {form->m_Action_CaseToolbar_SwitchToBLSY, form->m_Action_CaseToolbar_SwitchToBCJL,
                                  form->m_Action_CaseToolbar_SwitchToCFJL, form->m_Action_CaseToolbar_SwitchToJCJL,
                                  form->m_Action_CaseToolbar_SwitchToFZJC};
        QString seen;
        for (const QAction *a : pages)
            seen += !a->isVisible() ? QLatin1Char('-') : a->isEnabled() ? QLatin1Char('v') : QLatin1Char('d');
        QCOMPARE(seen, visible);
        QString shown;
        for (const QAction *a : {form->m_Action_CaseToolbar_OpenCase, form->m_Action_CaseToolbar_SearchCase,
                                 form->m_Action_CaseToolbar_YXWS, form->m_Action_CaseToolbar_Study}) {
            QCOMPARE(a->isVisible(), a->isEnabled());
            shown += a->isVisible() ? QLatin1Char('1') : QLatin1Char('0');
        }
        QCOMPARE(shown, buttons);

        // The progress-notes button has its own caption; the toolbar's order is fixed.
        QCOMPARE(form->m_Action_CaseToolbar_SwitchToBCJL->text(), QStringLiteral("门诊记录"));
        QCOMPARE(form->m_Action_CaseToolbar_SwitchToBCJL->iconText(), QStringLiteral("病程记录"));
        QStringList order;
        for (QAction *a : form->m_ToolBar_CaseRecord->actions())
            if (!a->isSeparator())
                order << a->iconText();
        QCOMPARE(order, QStringList({"病历首页", "病程记录", "电子处方", "健康监测", "辅助检查", "检索", "打开", "顾问", "证明",
                                     "打印", "保存", "关闭"}));
        QCOMPARE(form->m_Action_CaseToolbar_SwitchToMZGC->shortcut(), QKeySequence(QStringLiteral("Ctrl+F8")));
    }

    void opensSealsAndAttaches()
    {
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("UPDATE \"ZYBL_CaseLibrary\" SET \"LastAccessDate\" = '2020-01-01 08:00:00.000'")));
        auto form = makeForm(100);
        form->show();
        QVERIFY(form->caseObject());
        QCOMPARE(form->caseObject()->CaseNumber, 100);
        QCOMPARE(sealer(100), kUser);
        QCOMPARE(Db::dateTimeFromDb(column(100, "LastAccessDate")), QDate::currentDate().startOfDay());
        QStringList status;
        for (QLabel *panel : form->m_StatusPanels)
            status << panel->text();
        QCOMPARE(status, QStringList({"青岚舟软件", "住院号:100", "姓名:李秀英", "性别:女", "年龄:67岁", "住宅地址:澄岭市河西路8号"}));
        QCOMPARE(m_log, QStringList({"attach 0", "attach 2", "attach 1", "attach 3", "attach 4", "deactivate 1",
                                     "deactivate 2", "deactivate 4"}));
        QCOMPARE(visiblePages(*form), QList<int>{0});
        QCOMPARE(form->currentPage(), 0);
        QVERIFY(form->m_Action_CaseToolbar_SwitchToBLSY->isChecked());
    }

    void switchesPages()
    {
        auto form = makeForm(100);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        m_log.clear();

        struct Step { QKeySequence key; QAction *action; int page; const char *hint; QStringList calls; };
        const Step steps[] = {
            {QKeySequence(QStringLiteral("Ctrl+F6")), nullptr, 1, "打印当前病程记录的内容",
             {"activate 1", "deactivate 2", "deactivate 4"}},
            {QKeySequence(), form->m_Action_CaseToolbar_SwitchToCFJL, 2, "打印选中已开处方的内容",
             {"deactivate 1", "activate 2", "deactivate 4"}},
            {QKeySequence(QStringLiteral("Ctrl+F10")), nullptr, 3, "打印当前检测记录的分析图",
             {"deactivate 1", "deactivate 2", "deactivate 4"}},
            {QKeySequence(QStringLiteral("Ctrl+F9")), nullptr, 4, "打印当前辅助检查单的内容",
             {"deactivate 1", "deactivate 2", "activate 4"}},
            {QKeySequence(QStringLiteral("Ctrl+F8")), nullptr, 4, "打印当前辅助检查单的内容", {}}, // no page behind it
            {QKeySequence(QStringLiteral("Ctrl+F5")), nullptr, 0, "打印病历首页的内容",
             {"deactivate 1", "deactivate 2", "deactivate 4"}},
        };
        for (const Step &step : steps) {
            m_log.clear();
            if (step.action) {
                QWidget *button = form->m_ToolBar_CaseRecord->widgetForAction(step.action);
                QTest::mouseClick(button, Qt::LeftButton);
            } else {
                QTest::keySequence(form.get(), step.key);
            }
            QCOMPARE(form->currentPage(), step.page);
            QCOMPARE(visiblePages(*form), QList<int>{step.page});
            QCOMPARE(m_log, step.calls);
            QCOMPARE(form->m_Action_CaseToolbar_Print->toolTip(), QString::fromUtf8(step.hint));
            const QAction *actions[] = {form->m_Action_CaseToolbar_SwitchToBLSY, form->m_Action_CaseToolbar_SwitchToBCJL,
                                        form->m_Action_CaseToolbar_SwitchToCFJL, form->m_Action_CaseToolbar_SwitchToJCJL,
                                        form->m_Action_CaseToolbar_SwitchToFZJC};
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(actions[i]->isChecked(), i == step.page);
                const QWidget *button = form->m_ToolBar_CaseRecord->widgetForAction(const_cast<QAction *>(actions[i]));
                QCOMPARE(button->styleSheet().contains(QStringLiteral("#ff0000")), i == step.page);
            }
        }
    }

    void switchingToAPageThatIsOffDoesNothing()
    {
        auto form = makeForm(100, 0);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keySequence(form.get(), QKeySequence(QStringLiteral("Ctrl+F7")));
        QTest::keySequence(form.get(), QKeySequence(QStringLiteral("Ctrl+F6")));
        QCOMPARE(visiblePages(*form), QList<int>{0});
    }

    void savesTwiceKeepingTheSeal()
    {
        auto form = makeForm(100);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        page(*form, 0)->storedName = QStringLiteral("李秀兰");
        ScriptedPrompter script;
        m_log.clear();
        QTest::keySequence(form.get(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(column(100, "PatientName").toString(), QStringLiteral("李秀兰"));
        QCOMPARE(sealer(100), kUser);
        QCOMPARE(form->m_StatusPanels[2]->text(), QStringLiteral("姓名:李秀兰"));
        page(*form, 0)->storedName = QStringLiteral("李秀芳");
        QVERIFY(form->SaveCase());
        QCOMPARE(m_log, QStringList({"store 0", "store 0"}));
        QCOMPARE(sealer(100), kUser);
        TCaseObject stored;
        QVERIFY(stored.fromBytes(column(100, "CaseData").toByteArray()));
        QCOMPARE(stored.PatientName, QStringLiteral("李秀芳"));
        QVERIFY(script.asked.isEmpty());
    }

    void saveFailsWhenTheSealIsGone()
    {
        auto form = makeForm(100);
        form->show();
        page(*form, 0)->storedName = QStringLiteral("改过的名字");
        // The administrator took the case over in the meantime.
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("UPDATE \"ZYBL_CaseLibrary\" SET \"LockOwnerSN\" = 32768")));
        ScriptedPrompter script;
        script.acknowledge();
        QVERIFY(!form->SaveCase());
        QCOMPARE(script.lastText(), QStringLiteral("数据保存失败!当前的病案号可能已被他人锁定!\n请稍后再试!"));
        QCOMPARE(script.asked.at(0).caption, QStringLiteral("提示"));
        QCOMPARE(script.asked.at(0).icon, Prompter::Icon::Information);
        QCOMPARE(column(100, "PatientName").toString(), QString());
        QCOMPARE(sealer(100), 32768);
        QVERIFY(form->isVisible());
        QCOMPARE(form->caseObject()->PatientName, QStringLiteral("改过的名字")); // the edits stay in the window
    }

    void closing_data()
    {
        QTest::addColumn<QString>("hint");   // SaveHintCloseCase, empty for the default
        QTest::addColumn<int>("answer");     // -1 no question, 0 No, 1 Yes
        QTest::addColumn<bool>("closes");
        QTest::newRow("asked, No") << "" << 0 << false;
        QTest::newRow("asked, Yes") << "" << 1 << true;
        QTest::newRow("any value but 0 asks") << "2" << 1 << true;
        QTest::newRow("hint off") << "0" << -1 << true;
    }
    void closing()
    {
        QFETCH(QString, hint);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        if (!hint.isEmpty())
            Settings::writeText(Settings::kGeneralSection, QStringLiteral("SaveHintCloseCase"), hint);
        auto form = makeForm(100);
        form->show();
        page(*form, 0)->storedName = QStringLiteral("不该保存");
        ScriptedPrompter script;
        if (answer == 1)
            script.answerYes();
        else if (answer == 0)
            script.answerNo();
        QVERIFY(form->close() == closes);
        QCOMPARE(form->isVisible(), !closes);
        if (answer >= 0) {
            QCOMPARE(script.lastText(), QStringLiteral("提示!!!\n退出之前请确认所做的修改已保存!\n\n真的要退出当前病历处理吗?"));
            QCOMPARE(script.asked.at(0).caption, QStringLiteral("确认..."));
        } else {
            QVERIFY(script.asked.isEmpty());
        }
        QCOMPARE(sealer(100), closes ? -1 : kUser);
        QCOMPARE(column(100, "PatientName").toString(), QString()); // closing never saves
        QVERIFY(!m_log.contains(QStringLiteral("store 0")));
    }

    void closeActionAndEscapeAsk()
    {
        auto form = makeForm(100);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        ScriptedPrompter script;
        script.answerNo().answerYes();
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QVERIFY(form->isVisible());
        QTest::keySequence(form.get(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QVERIFY(!form->isVisible());
        QCOMPARE(script.asked.size(), 2);
        QCOMPARE(sealer(100), -1);
    }

    void refusesCasesItCannotSeal_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("sealedBy"); // before opening, -1 none
        QTest::addColumn<bool>("broken");  // the stored form does not read
        QTest::newRow("sealed by someone else") << 200 << kOther << false;
        QTest::newRow("sealed by the same operator") << 200 << kUser << false;
        QTest::newRow("missing") << 404 << -1 << false;
        QTest::newRow("unreadable") << 200 << -1 << true;
    }
    void refusesCasesItCannotSeal()
    {
        QFETCH(int, number);
        QFETCH(int, sealedBy);
        QFETCH(bool, broken);
        if (number == 200)
            addCase(200, broken ? QByteArray("\x05\x00\x00", 3) : patient().toBytes(), sealedBy >= 0 ? 1 : 0, sealedBy);
        auto form = makeForm(number);
        ScriptedPrompter script;
        script.acknowledge();
        form->show();
        QCOMPARE(script.lastText(), QStringLiteral("对指定的病案打开操作失败,病案号: %1\n\n该病案可能已被封存,请待解除封存后再试.")
                                        .arg(number));
        QCOMPARE(script.asked.at(0).caption, QStringLiteral("提示"));
        QCOMPARE(script.asked.at(0).icon, Prompter::Icon::Error);
        QVERIFY(form->loadFailed());
        QTRY_VERIFY(!form->isVisible()); // closes by itself, without the question
        QCOMPARE(script.asked.size(), 1);
        QVERIFY(m_log.isEmpty());
        if (number == 200)
            QCOMPARE(sealer(200), sealedBy); // anyone's seal stays; the window's own is given back
    }

    void printsTheVisiblePageWhenAllowed_data()
    {
        QTest::addColumn<int>("pageIndex");
        QTest::addColumn<quint32>("rights");
        QTest::addColumn<bool>("printResult");
        QTest::addColumn<bool>("printed");
        QTest::newRow("front page") << 0 << Rights::allRights() << true << true;
        QTest::newRow("front page, no right to read it") << 0 << (Rights::allRights() & ~Rights::ReadFrontPage) << true
                                                         << false;
        QTest::newRow("prescriptions") << 2 << quint32(Rights::ReadRecipe) << true << true;
        QTest::newRow("examinations without the right") << 4 << quint32(Rights::ReadRecipe) << true << false;
        QTest::newRow("printing fails") << 3 << Rights::allRights() << false << true;
    }
    void printsTheVisiblePageWhenAllowed()
    {
        QFETCH(int, pageIndex);
        QFETCH(quint32, rights);
        QFETCH(bool, printResult);
        QFETCH(bool, printed);
        auto form = makeForm(100, 30, doctor(rights));
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->ShowPage(pageIndex);
        page(*form, pageIndex)->printResult = printResult;
        m_log.clear();
        ScriptedPrompter script;
        const bool noPrinter = QPrinterInfo::availablePrinterNames().isEmpty();
        if (noPrinter)
            script.acknowledge();
        if (printed && !printResult)
            script.acknowledge();
        QTest::keySequence(form.get(), QKeySequence(QStringLiteral("Ctrl+P")));
        QCOMPARE(m_log, printed ? QStringList{QStringLiteral("print %1").arg(pageIndex)} : QStringList());
        QStringList messages;
        for (const auto &a : script.asked)
            messages << a.text;
        QStringList expected;
        if (noPrinter)
            expected << QStringLiteral("Windows打印配置不正确!暂时不能打印,请检查你的打印配置!");
        if (printed && !printResult)
            expected << QStringLiteral("打印出现错误,请检查Windows的打印配置是否正确!");
        QCOMPARE(messages, expected);
        QVERIFY(form->isVisible());
    }

    void leavingForAnotherCase_data()
    {
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<QString>("question");
        QTest::newRow("open") << "Ctrl+O" << "打开新的病案后将关闭当前病案,确认吗?";
        QTest::newRow("search") << "Ctrl+I" << "要检索病案必须将当前病案关闭,确认吗?";
    }
    void leavingForAnotherCase()
    {
        QFETCH(QString, shortcut);
        QFETCH(QString, question);
        auto form = makeForm(100);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        page(*form, 0)->storedName = QStringLiteral("李秀兰");
        ScriptedPrompter script;
        script.answerNo().answerYes();
        QTest::keySequence(form.get(), QKeySequence(shortcut));
        QVERIFY(form->isVisible());
        QCOMPARE(column(100, "PatientName").toString(), QString());
        QTest::keySequence(form.get(), QKeySequence(shortcut));
        QCOMPARE(script.asked.size(), 2);
        QCOMPARE(script.lastText(), question);
        QCOMPARE(column(100, "PatientName").toString(), QStringLiteral("李秀兰")); // saved first
        QVERIFY(!form->isEnabled());
        QTRY_VERIFY(!form->isVisible()); // then closed without the close question
        QCOMPARE(sealer(100), -1);
    }

    void hiddenOpenButtonHasNoShortcut()
    {
        Settings::writeText(Settings::kGeneralSection, QStringLiteral("DisplayOpenButtonOnCaseDlg"), QStringLiteral("0"));
        auto form = makeForm(100);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        ScriptedPrompter script; // any question would fail the test
        QTest::keySequence(form.get(), QKeySequence(QStringLiteral("Ctrl+O")));
        QVERIFY(script.asked.isEmpty());
        QVERIFY(form->isVisible());
    }

    void demoPatientsOpen()
    {
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("DELETE FROM \"ZYBL_CaseLibrary\"")));
        QString error;
        QVERIFY2(DemoData::Ensure(&error) && DemoCases::Ensure(&error), qPrintable(error));
        QVERIFY2(DemoCases::Ensure(&error), qPrintable(error)); // a second start adds nothing
        CaseStore store(db());
        const QList<CaseListRow> all = store.SearchCases(CaseStore::SearchKind::Name, QString(), 0, 100);
        QCOMPARE(all.size(), 33);
        QSet<int> sections;
        int inHospital = 0;
        for (const CaseListRow &row : all) {
            sections << row.sectionSN;
            inHospital += row.hasOuted ? 0 : 1;
            QCOMPARE(row.pinYinName, GetPinYinInitials(row.patientName));
            QCOMPARE(DemoCases::WuBiInitials(row.patientName).size(), row.patientName.size());
            TCaseObject c;
            QVERIFY2(store.LoadCase(row.patientID, c), qPrintable(row.patientName));
            QCOMPARE(c.PatientName, row.patientName);
            QVERIFY(!c.MainDiagnoseICD10.isEmpty());
        }
        QCOMPARE(inHospital, 30);
        QCOMPARE(sections.size(), 2);

        // One of them in the real case window.
        auto form = std::make_unique<TCaseDataForm>(nullptr, all.first().patientID, doctor(), 30);
        form->show();
        QCOMPARE(form->m_StatusPanels[2]->text(), QStringLiteral("姓名:") + all.first().patientName);
        QCOMPARE(form->page(0)->objectName(), QStringLiteral("m_BLSY"));
        QCOMPARE(sealer(all.first().caseSN), kUser);
        QVERIFY(form->SaveCase());
        Settings::writeText(Settings::kGeneralSection, QStringLiteral("SaveHintCloseCase"), QStringLiteral("0"));
        QVERIFY(form->close());
        QCOMPARE(sealer(all.first().caseSN), -1);
    }

    void secondWindowIsRefusedWhileTheFirstIsOpen()
    {
        auto first = makeForm(100);
        first->show();
        CUserSecurityData nurse = doctor();
        nurse.UserSN = kOther;
        auto second = makeForm(100, 30, nurse);
        ScriptedPrompter script;
        script.acknowledge();
        second->show();
        QVERIFY(second->loadFailed());
        QTRY_VERIFY(!second->isVisible());
        QCOMPARE(sealer(100), kUser);
        Settings::writeText(Settings::kGeneralSection, QStringLiteral("SaveHintCloseCase"), QStringLiteral("0"));
        first->close();
        QCOMPARE(sealer(100), -1);
    }
};

QTEST_MAIN(TestCaseDataForm)
#include "tst_casedataform.moc"
