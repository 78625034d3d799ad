// The diagnoses of a case: the store on both databases, the pinyin search of the
// ICD-10 library, and the dialog's patient box, pop-up list, adding and deleting.
#include "case/caseobject.h"
#include "common/scriptedprompter.h"
#include "common/testdb.h"
#include "core/casedatamodule.h"
#include "core/database.h"
#include "core/icd10store.h"
#include "core/schema.h"
#include "pages/diagnosisstore.h"
#include "pages/lczddlg.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Row = DiagnosisStore::DiagnosisRow;

constexpr int kCase = 100;

Row diagnosis(int caseSN, const QString &name, const QDate &day, const QString &icd10, const QString &memo)
{
    Row r;
    r.caseSN = caseSN;
    r.name = name;
    r.date = day.startOfDay();
    r.icd10 = icd10;
    r.memo = memo;
    return r;
}

QStringList describe(const QList<Row> &rows)
{
    QStringList texts;
    for (const Row &r : rows)
        texts << QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(r.caseSN)
                     .arg(r.name, r.date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), r.icd10, r.memo);
    return texts;
}

QStringList gridTexts(const QTableView *grid)
{
    QStringList rows;
    const QAbstractItemModel *m = grid->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->index(r, c).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList titles(const QTableView *grid)
{
    QStringList texts;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        texts << grid->model()->headerData(c, Qt::Horizontal).toString();
    return texts;
}

TCaseObject patient()
{
    TCaseObject c;
    c.CaseNumber = kCase;
    c.PatientName = QStringLiteral("李秀英");
    c.PatientSex = QStringLiteral("女");
    c.AgeDisplay = QStringLiteral("67岁");
    c.Address = QStringLiteral("澄岭市河西路8号");
    return c;
}

} // namespace

class TestLCZDDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tm_CaseDataModule> m_module;

    QList<Row> stored() { return DiagnosisStore(m_module->mainDb()).ListDiagnoses(kCase); }

    static void typeInto(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, text);
    }

private slots:
    void store_data() { TestDb::addDialectRows(); }
    void store()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY2(Schema::ensureMain(db, &error), qPrintable(error));
        DiagnosisStore store(db);

        bool ok = false;
        QVERIFY(store.ListDiagnoses(5, &ok).isEmpty());
        QVERIFY(ok);
        int first = -1, second = -1, other = -1;
        QVERIFY(store.AddDiagnosis(diagnosis(5, QStringLiteral("高血压"), QDate(2024, 3, 5), QStringLiteral("I10"),
                                             QStringLiteral("晨起头晕")), &first));
        QVERIFY(store.AddDiagnosis(diagnosis(6, QStringLiteral("胃炎"), QDate(2024, 3, 6), QString(), QString()), &other));
        QVERIFY(store.AddDiagnosis(diagnosis(5, QStringLiteral("脑梗死"), QDate(2025, 1, 31), QString(), QString()), &second));
        QVERIFY(first > 0 && second > other && other > first);

        const QList<Row> rows = store.ListDiagnoses(5, &ok);
        QVERIFY(ok);
        QCOMPARE(describe(rows), QStringList({"5|高血压|2024-03-05 00:00:00|I10|晨起头晕", "5|脑梗死|2025-01-31 00:00:00||"}));
        QCOMPARE(rows.at(0).recordSN, first);
        QCOMPARE(rows.at(1).recordSN, second);
        // Empty fields are empty text, not NULL.
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM \"ZYBL_LCZDLibrary\" WHERE \"ICD_10\" = '' AND \"Memo\" = ''")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 2);

        // The column refuses an overlong name; nothing is stored.
        QVERIFY(!store.AddDiagnosis(diagnosis(5, QString(251, QChar(0x75C5)), QDate(2024, 1, 1), QString(), QString())));
        QCOMPARE(store.ListDiagnoses(5).size(), 2);

        QVERIFY(store.DeleteDiagnosis(first));
        QVERIFY(!store.DeleteDiagnosis(first));
        QCOMPARE(describe(store.ListDiagnoses(5)), QStringList({"5|脑梗死|2025-01-31 00:00:00||"}));
        QCOMPARE(store.ListDiagnoses(6).size(), 1);

        // A table that cannot be read says so.
        QVERIFY(q.exec(QStringLiteral("DROP TABLE \"ZYBL_LCZDLibrary\"")));
        QVERIFY(store.ListDiagnoses(5, &ok).isEmpty());
        QVERIFY(!ok);
    }

    void findByPinYin_data() { TestDb::addDialectRows(); }
    void findByPinYin()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY2(Schema::ensureIcd10(db, &error), qPrintable(error));
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO \"BMK_Icd10\" (\"RecordSN\", \"BM\", \"MC\", \"PY\") VALUES (:sn, :bm, :mc, :py)"));
        int sn = 0;
        struct Code { const char *bm, *mc, *py; };
        const Code rows[] = {{"Z09", "九", "ABC"}, {"A01", "一", "A_C"}, {"B02", "二", "AXC"}, {"C03", "三", "A%D"},
                             {"D04", "四", "AXD"}, {"E05", "五", "XAB"}, {"F06", "六", "AB"}};
        for (const Code &row : rows) {
            q.bindValue(QStringLiteral(":sn"), ++sn);
            q.bindValue(QStringLiteral(":bm"), QString::fromUtf8(row.bm));
            q.bindValue(QStringLiteral(":mc"), QString::fromUtf8(row.mc));
            q.bindValue(QStringLiteral(":py"), QString::fromUtf8(row.py));
            QVERIFY(q.exec());
        }
        auto codes = [&db](const QString &initials) {
            bool ok = false;
            QStringList found;
            for (const Icd10Catalogue::Entry &e : Icd10Store(db).FindByPinYin(initials, &ok))
                found << e.code + QLatin1Char(' ') + e.name;
            if (!ok)
                found << QStringLiteral("failed");
            return found;
        };
        QCOMPARE(codes(QStringLiteral("AB")), QStringList({"F06 六", "Z09 九"}));
        QCOMPARE(codes(QStringLiteral("ab")), QStringList({"F06 六", "Z09 九"}));
        QCOMPARE(codes(QStringLiteral("A_")), QStringList({"A01 一"}));
        QCOMPARE(codes(QStringLiteral("A%")), QStringList({"C03 三"}));
        QCOMPARE(codes(QStringLiteral("AX")), QStringList({"B02 二", "D04 四"}));
        QCOMPARE(codes(QStringLiteral("Q")), QStringList());
        QVERIFY(q.exec(QStringLiteral("DROP TABLE \"BMK_Icd10\"")));
        QCOMPARE(codes(QStringLiteral("AB")), QStringList({"failed"}));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        // A small library of our own, in place before the data module would fill it.
        DbConfig config;
        config.file = m_dir->filePath(Tm_CaseDataModule::kIcd10File);
        QString error;
        QVERIFY2(Db::open(config, QStringLiteral("library"), Db::OpenMode::CreateReadWrite, &error), qPrintable(error));
        {
            QSqlDatabase library = QSqlDatabase::database(QStringLiteral("library"), false);
            QVERIFY2(Schema::ensureIcd10(library, &error), qPrintable(error));
            QVERIFY2(Icd10Store(library).replaceAll({{"I25.1", "冠心病"}, {"I11.9", "高血压性心脏病"}, {"I10", "高血压"},
                                                     {"K29.7", "胃炎"}, {"I63.9", "脑梗死"}},
                                                    &error),
                     qPrintable(error));
        }
        Db::close(QStringLiteral("library"));
        m_module = Tm_CaseDataModule::create(m_dir->path(), &error);
        QVERIFY2(m_module, qPrintable(error));
    }

    void cleanup()
    {
        m_module.reset();
        m_dir.reset();
    }

    void showsPatientAndDiagnoses()
    {
        DiagnosisStore store(m_module->mainDb());
        QVERIFY(store.AddDiagnosis(diagnosis(kCase, QStringLiteral("高血压"), QDate(2024, 3, 5), QStringLiteral("I10"),
                                             QStringLiteral("晨起头晕"))));
        QVERIFY(store.AddDiagnosis(diagnosis(kCase + 1, QStringLiteral("别人的"), QDate(2024, 3, 5), QString(), QString())));
        QVERIFY(store.AddDiagnosis(diagnosis(kCase, QStringLiteral("胃炎"), QDate(2025, 12, 31), QString(), QString())));

        Tm_LCZDDlg dialog(nullptr, patient());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("历次诊断处理窗口"));
        const QList<QLineEdit *> box = {dialog.m_Edit_PatientName, dialog.m_Edit_PatientAge, dialog.m_Edit_PatientSex,
                                        dialog.m_Edit_PatientAddress};
        QStringList shown;
        for (QLineEdit *e : box) {
            QVERIFY(e->isReadOnly());
            QCOMPARE(dialog.findChild<QLineEdit *>(e->objectName()), e);
            shown << e->text();
        }
        QCOMPARE(shown, QStringList({"李秀英", "67岁", "女", "澄岭市河西路8号"}));

        QCOMPARE(dialog.findChild<QTableView *>(QStringLiteral("m_DBGrid")), dialog.m_DBGrid);
        QCOMPARE(titles(dialog.m_DBGrid), QStringList({"诊断名称", "初诊日期", "ICD-10编码", "备注描述"}));
        QCOMPARE(gridTexts(dialog.m_DBGrid), QStringList({"高血压|2024-03-05|I10|晨起头晕", "胃炎|2025-12-31||"}));
        QCOMPARE(dialog.m_DBGrid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(dialog.m_DBGrid->selectionBehavior(), QAbstractItemView::SelectRows);

        QCOMPARE(titles(dialog.m_DBGrid_ICD), QStringList({"ICD-10编码", "诊断名称"}));
        QVERIFY(dialog.m_DBGrid_ICD->isHidden());
        QVERIFY(dialog.m_Edit_ICD10->isReadOnly());
        QCOMPARE(dialog.m_DateTimePicker_Date->date(), QDate::currentDate());
        QCOMPARE(dialog.m_DateTimePicker_Date->displayFormat(), QStringLiteral("yyyy-MM-dd"));
        QVERIFY(dialog.m_DateTimePicker_Date->calendarPopup());
        QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("m_BitBtn_Append"))->text(), QStringLiteral("增加诊断(&A)"));
        QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("m_BitBtn_Delete"))->text(), QStringLiteral("删除诊断(&D)"));
        QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("m_BitBtn_Exit"))->text(), QStringLiteral("退出(&X)"));
        for (const char *name : {"m_Edit_Name", "m_DateTimePicker_Date", "m_Edit_Memo", "m_Edit_PY", "m_Edit_ICD10",
                                 "m_DBGrid_ICD"})
            QVERIFY2(dialog.findChild<QWidget *>(QLatin1String(name)), name);

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.m_BitBtn_Exit->click();
        QVERIFY(!dialog.isVisible());
    }

    void pinyinSearch()
    {
        Tm_LCZDDlg dialog(nullptr, patient());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTableView *popup = dialog.m_DBGrid_ICD;

        // One letter searches nothing; a second one searches by prefix, in code order.
        typeInto(dialog.m_Edit_PY, QStringLiteral("g"));
        QCOMPARE(dialog.m_Edit_PY->text(), QStringLiteral("G"));
        QVERIFY(!popup->isVisible());
        QCOMPARE(dialog.m_Edit_ICD10->text(), QString());
        QTest::keyClicks(dialog.m_Edit_PY, QStringLiteral("x"));
        QVERIFY(popup->isVisible());
        QCOMPARE(gridTexts(popup), QStringList({"I10|高血压", "I11.9|高血压性心脏病", "I25.1|冠心病"}));
        QCOMPARE(dialog.m_Edit_ICD10->text(), QStringLiteral("I10"));
        QVERIFY(popup->geometry().top() >= dialog.m_Edit_PY->mapTo(&dialog, QPoint(0, dialog.m_Edit_PY->height())).y()
                || popup->geometry().bottom() <= dialog.m_Edit_PY->mapTo(&dialog, QPoint(0, 0)).y());
        QTest::keyClicks(dialog.m_Edit_PY, QStringLiteral("y "));
        QCOMPARE(gridTexts(popup), QStringList({"I10|高血压", "I11.9|高血压性心脏病"}));
        QTest::keyClick(dialog.m_Edit_PY, Qt::Key_Backspace);
        QTest::keyClick(dialog.m_Edit_PY, Qt::Key_Backspace);
        QTest::keyClick(dialog.m_Edit_PY, Qt::Key_Backspace);
        QVERIFY(!popup->isVisible());
        QCOMPARE(popup->model()->rowCount(), 0);

        // Down moves into the list, moving there picks the code, Enter takes it to the date.
        typeInto(dialog.m_Edit_PY, QStringLiteral("GXY"));
        QTest::keyClick(dialog.m_Edit_PY, Qt::Key_Down);
        QVERIFY(popup->hasFocus());
        QTest::keyClick(popup, Qt::Key_Down);
        QCOMPARE(dialog.m_Edit_ICD10->text(), QStringLiteral("I11.9"));
        QTest::keyClick(popup, Qt::Key_Return);
        QVERIFY(!popup->isVisible());
        QVERIFY(dialog.m_DateTimePicker_Date->hasFocus());
        QCOMPARE(dialog.m_Edit_ICD10->text(), QStringLiteral("I11.9"));
        QVERIFY(dialog.isVisible());

        // Enter also moves in; Esc goes back to the pinyin box and leaves the window open.
        typeInto(dialog.m_Edit_PY, QStringLiteral("WY"));
        QCOMPARE(dialog.m_Edit_ICD10->text(), QStringLiteral("K29.7"));
        QTest::keyClick(dialog.m_Edit_PY, Qt::Key_Return);
        QVERIFY(popup->hasFocus());
        QTest::keyClick(popup, Qt::Key_Escape);
        QVERIFY(!popup->isVisible());
        QVERIFY(dialog.m_Edit_PY->hasFocus());
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.m_Edit_ICD10->text(), QStringLiteral("K29.7"));

        // With the list hidden, Down and Enter stay in the pinyin box and close nothing.
        QTest::keyClick(dialog.m_Edit_PY, Qt::Key_Return);
        QVERIFY(dialog.m_Edit_PY->hasFocus());
        QVERIFY(dialog.isVisible());

        // Leaving the list hides it.
        typeInto(dialog.m_Edit_PY, QStringLiteral("NG"));
        QTest::keyClick(dialog.m_Edit_PY, Qt::Key_Down);
        QVERIFY(popup->hasFocus());
        dialog.m_Edit_Memo->setFocus();
        QVERIFY(!popup->isVisible());
        QCOMPARE(dialog.m_Edit_ICD10->text(), QStringLiteral("I63.9"));

        // A double-click takes the code and goes on to the date.
        typeInto(dialog.m_Edit_PY, QStringLiteral("GX"));
        QVERIFY(popup->isVisible());
        const QRect second = popup->visualRect(popup->model()->index(2, 0));
        QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(popup->viewport(), Qt::LeftButton, {}, second.center());
        QVERIFY(!popup->isVisible());
        QVERIFY(dialog.m_DateTimePicker_Date->hasFocus());
        QCOMPARE(dialog.m_Edit_ICD10->text(), QStringLiteral("I25.1"));

        // Esc in the pinyin box folds the list away and keeps the window.
        typeInto(dialog.m_Edit_PY, QStringLiteral("GX"));
        QTest::keyClick(dialog.m_Edit_PY, Qt::Key_Escape);
        QVERIFY(!popup->isVisible());
        QVERIFY(dialog.isVisible());

        // Nothing found: no list.
        typeInto(dialog.m_Edit_PY, QStringLiteral("QQ"));
        QVERIFY(!popup->isVisible());
    }

    void append()
    {
        ScriptedPrompter prompter;
        prompter.acknowledge();
        Tm_LCZDDlg dialog(nullptr, patient());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));

        dialog.m_Edit_Name->setText(QStringLiteral("   "));
        dialog.m_BitBtn_Append->click();
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(prompter.asked.at(0).kind, ScriptedPrompter::Kind::Message);
        QCOMPARE(prompter.asked.at(0).text, QStringLiteral("必须输入诊断名称才能新增该诊断!"));
        QCOMPARE(prompter.asked.at(0).caption, QStringLiteral("提示"));
        QCOMPARE(prompter.asked.at(0).icon, Prompter::Icon::Error);
        QVERIFY(stored().isEmpty());

        // Without the pinyin search the code is empty.
        dialog.m_Edit_Name->setText(QStringLiteral("  胃炎 "));
        dialog.m_BitBtn_Append->click();
        QCOMPARE(describe(stored()), QStringList({"100|胃炎|" + QDate::currentDate().toString(Qt::ISODate) + " 00:00:00||"}));

        typeInto(dialog.m_Edit_PY, QStringLiteral("GXY"));
        QTest::keyClick(dialog.m_Edit_PY, Qt::Key_Return);
        QTest::keyClick(dialog.m_DBGrid_ICD, Qt::Key_Return);
        dialog.m_DateTimePicker_Date->setDate(QDate(2024, 3, 5));
        dialog.m_Edit_Name->setText(QStringLiteral(" 高血压  "));
        dialog.m_Edit_Memo->setText(QStringLiteral(" 晨起头晕 "));
        dialog.m_BitBtn_Append->click();
        dialog.m_BitBtn_Append->click();
        QCOMPARE(prompter.asked.size(), 1);
        const QString added = QStringLiteral("100|高血压|2024-03-05 00:00:00|I10|晨起头晕");
        QCOMPARE(describe(stored()).mid(1), QStringList({added, added}));
        QCOMPARE(gridTexts(dialog.m_DBGrid).mid(1),
                 QStringList({"高血压|2024-03-05|I10|晨起头晕", "高血压|2024-03-05|I10|晨起头晕"}));
        QCOMPARE(dialog.m_DBGrid->currentIndex().row(), 2);
        // The entry fields keep what was typed.
        QCOMPARE(dialog.m_Edit_Name->text(), QStringLiteral(" 高血压  "));
        QCOMPARE(dialog.m_Edit_ICD10->text(), QStringLiteral("I10"));
    }

    void remove()
    {
        ScriptedPrompter prompter;
        {
            // No rows: no question, nothing happens.
            Tm_LCZDDlg empty(nullptr, patient());
            empty.m_BitBtn_Delete->click();
            QVERIFY(prompter.asked.isEmpty());
        }
        DiagnosisStore store(m_module->mainDb());
        QVERIFY(store.AddDiagnosis(diagnosis(kCase, QStringLiteral("高血压"), QDate(2024, 3, 5), QStringLiteral("I10"), QString())));
        QVERIFY(store.AddDiagnosis(diagnosis(kCase, QStringLiteral(" 胃炎 "), QDate(2024, 3, 6), QStringLiteral("K29.7"), QString())));
        QVERIFY(store.AddDiagnosis(diagnosis(kCase, QStringLiteral("脑梗死"), QDate(2024, 3, 7), QString(), QString())));

        Tm_LCZDDlg dialog(nullptr, patient());
        dialog.m_DBGrid->selectRow(1);
        prompter.answerNo();
        dialog.m_BitBtn_Delete->click();
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(prompter.asked.at(0).kind, ScriptedPrompter::Kind::Question);
        QCOMPARE(prompter.asked.at(0).text, QStringLiteral("的确要删除该诊断吗?\n\n胃炎"));
        QCOMPARE(stored().size(), 3);

        prompter.answerYes();
        dialog.m_BitBtn_Delete->click();
        QCOMPARE(prompter.asked.size(), 2);
        QCOMPARE(gridTexts(dialog.m_DBGrid), QStringList({"高血压|2024-03-05|I10|", "脑梗死|2024-03-07||"}));
        QStringList names;
        for (const Row &r : stored())
            names << r.name;
        QCOMPARE(names, QStringList({"高血压", "脑梗死"}));
        QCOMPARE(dialog.m_DBGrid->currentIndex().row(), 1);
    }
};

QTEST_MAIN(TestLCZDDlg)
#include "tst_lczddlg.moc"
