// The case list and case search dialogs: columns, the quick search while typing, the
// sealer column, the photograph of the current row, the chosen case, and the
// search with its refusals to open.
#include "case/caselistdlg.h"
#include "case/caselistmodel.h"
#include "case/casesearchdlg.h"
#include "common/scriptedprompter.h"
#include "core/casedatamodule.h"
#include "core/jpegcodec.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

class TestCaseListDlg : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Tm_CaseDataModule> m_module;

private slots:
    void initTestCase()
    {
        QString error;
        m_module = Tm_CaseDataModule::create(m_dir.path(), &error);
        QVERIFY2(m_module, qPrintable(error));
        QSqlQuery q(m_module->mainDb());
        QVERIFY(q.exec(QStringLiteral("INSERT INTO \"GLOBAL_UserLib\" (\"UserName\", \"GroupSN\") VALUES ('王医生', 8)")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO \"GLOBAL_SectionLib\" (\"SectionName\") VALUES ('内科')")));
        QImage photo(30, 40, QImage::Format_RGB32);
        photo.fill(Qt::blue);
        QByteArray jpeg;
        QVERIFY(JpegCodec::encode(photo, &jpeg));
        struct Case { int sn; const char *name; const char *py; int locked; int owner; bool picture; };
        for (const Case &c : {Case{1, "张三", "ZS", 0, -1, true}, Case{2, "李四", "LS", 1, 1, false},
                              Case{3, "赵五", "ZW", 1, 32768, false}}) {
            q.prepare(QStringLiteral("INSERT INTO \"ZYBL_CaseLibrary\" (\"CaseSN\", \"PatientID\", \"PatientName\", \"PinYinName\", "
                                     "\"IsLocked\", \"LockOwnerSN\", \"SectionSN\", \"HasOuted\", \"PatientImage\", \"Birthday\", "
                                     "\"InHospitalDate\") VALUES (:sn, :id, :n, :py, :l, :o, 1, 0, :img, :b, :in)"));
            q.bindValue(QStringLiteral(":sn"), c.sn);
            q.bindValue(QStringLiteral(":id"), QString::number(c.sn));
            q.bindValue(QStringLiteral(":n"), QString::fromUtf8(c.name));
            q.bindValue(QStringLiteral(":py"), QString::fromUtf8(c.py));
            q.bindValue(QStringLiteral(":l"), c.locked);
            q.bindValue(QStringLiteral(":o"), c.owner);
            q.bindValue(QStringLiteral(":img"), c.picture ? jpeg : QByteArray());
            q.bindValue(QStringLiteral(":b"), QStringLiteral("1980-05-01 00:00:00.000"));
            q.bindValue(QStringLiteral(":in"), QStringLiteral("2026-12-01 09:30:00.000"));
            QVERIFY(q.exec());
        }
        QVERIFY(q.exec(QStringLiteral("INSERT INTO \"ZYBL_CaseLibrary\" (\"CaseSN\", \"PatientID\", \"PatientName\", "
                                      "\"IsLocked\", \"HasOuted\") VALUES (4, '4', '张出院', 0, 1)")));
    }

    void listsAndChooses()
    {
        Tm_CaseListDlg dialog(CUserSecurityData(), QStringLiteral("请选择病案"), false, -1);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("病案列表窗口"));
        QCOMPARE(dialog.m_Label_Prompt->text(), QStringLiteral("请选择病案(&L):"));
        QCOMPARE(dialog.m_ComboBox_SelType->count(), 5);
        QCOMPARE(dialog.m_ComboBox_SelType->currentText(), QStringLiteral("拼音编码选择病案"));
        CaseListModel *model = dialog.model();
        QCOMPARE(model->rowCount(), 3);
        QStringList titles;
        for (int c = 0; c < model->columnCount(); ++c)
            titles << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(titles, QStringList({"住院号码", "姓名", "拼音", "性别", "年龄", "联系地址", "主要诊断", "入院日期", "封存者",
                                      "所属科室"}));

        QHash<QString, QString> sealer;
        for (int r = 0; r < 3; ++r) {
            const QString name = model->index(r, CaseListModel::Name).data().toString();
            sealer.insert(name, model->index(r, CaseListModel::Sealer).data().toString());
            const QColor colour = model->index(r, CaseListModel::Sealer).data(Qt::ForegroundRole).value<QBrush>().color();
            QCOMPARE(colour == Qt::red, name != QStringLiteral("张三"));
            QCOMPARE(model->index(r, CaseListModel::Section).data().toString(), QStringLiteral("内科"));
            QCOMPARE(model->index(r, CaseListModel::InHospital).data().toString(), QStringLiteral("2026-12-01"));
            QVERIFY(model->index(r, CaseListModel::Age).data().toString().endsWith(QStringLiteral("岁")));
        }
        QCOMPARE(sealer.value(QStringLiteral("张三")), QStringLiteral("未封"));
        QCOMPARE(sealer.value(QStringLiteral("李四")), QStringLiteral("王医生"));
        QCOMPARE(sealer.value(QStringLiteral("赵五")), QString()); // the administrator

        // Typing narrows the list; the current row's photograph shows.
        QTest::keyClicks(dialog.m_Edit_PinYinOrID, QStringLiteral("zs"));
        QCOMPARE(model->rowCount(), 1);
        QVERIFY(!dialog.m_Image->pixmap().isNull());
        QTest::mouseClick(dialog.m_BitBtn_Ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.caseNumber(), 1);
    }

    void searchAndOpen_data()
    {
        QTest::addColumn<QString>("kind");   // radio button
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("count");  // label after the search
        QTest::addColumn<int>("pick");       // case to open, -1 none
        QTest::addColumn<QString>("message"); // empty: opened
        QTest::newRow("number") << "m_RadioButton_Number" << "1" << "共找到 1 个满足条件的病案" << 1 << "";
        QTest::newRow("number that is none") << "m_RadioButton_Number" << "12a" << "共找到 0 个满足条件的病案" << -1
                                             << "当前无检索结果!";
        QTest::newRow("name, sealed") << "m_RadioButton_Name" << "李" << "共找到 1 个满足条件的病案" << 2
                                      << "病案已被他人锁定,请稍后再试!";
        QTest::newRow("name, discharged") << "m_RadioButton_Name" << "出院" << "共找到 1 个满足条件的病案" << 4
                                          << "该病人已出院!";
        QTest::newRow("everything") << "m_RadioButton_Number" << "  " << "输入内容,按<开始检索>查询" << 1 << "";
    }
    void searchAndOpen()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, count);
        QFETCH(int, pick);
        QFETCH(QString, message);
        Tm_CaseSearchDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("病案检索窗口"));
        QCOMPARE(dialog.m_ComboBoxEx_SearchContent->count(), 11);
        QVERIFY(dialog.m_RadioButton_Number->isChecked());
        ScriptedPrompter script;
        script.acknowledge();
        QTest::mouseClick(dialog.m_BitBtn_Open, Qt::LeftButton); // nothing searched yet
        QCOMPARE(script.lastText(), QStringLiteral("当前无检索结果!"));

        dialog.findChild<QRadioButton *>(kind)->setChecked(true);
        dialog.m_ComboBoxEx_SearchContent->setEditText(text);
        QTest::mouseClick(dialog.m_BitBtn_Search, Qt::LeftButton);
        QCOMPARE(dialog.m_Label_ResultCount->text(), count);
        CaseListModel *model = dialog.model();
        for (int r = 0; r < model->rowCount(); ++r) {
            if (model->row(r)->caseSN == pick)
                dialog.m_DBGrid_CaseList->selectRow(r);
        }
        if (!message.isEmpty())
            script.acknowledge();
        QTest::mouseClick(dialog.m_BitBtn_Open, Qt::LeftButton);
        if (message.isEmpty()) {
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.openedCase(), pick);
        } else {
            QCOMPARE(script.lastText(), message);
            QCOMPARE(dialog.openedCase(), -1);
        }
    }

    void emptyListStillCloses()
    {
        Tm_CaseListDlg dialog(CUserSecurityData(), QStringLiteral("请选择病案"), false, 9); // a department without cases
        QCOMPARE(dialog.model()->rowCount(), 0);
        QTest::mouseClick(dialog.m_BitBtn_Ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.caseNumber(), -1);
    }
};

QTEST_MAIN(TestCaseListDlg)
#include "tst_caselistdlg.moc"
