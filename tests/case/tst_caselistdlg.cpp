// The case list dialog: its columns, the quick search while typing, the
// sealer column, the photograph of the current row, and the chosen case.
#include "case/caselistdlg.h"
#include "case/caselistmodel.h"
#include "core/casedatamodule.h"
#include "core/jpegcodec.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

    void emptyListStillCloses()
    {
        Tm_CaseListDlg dialog(CUserSecurityData(), QStringLiteral("请选择病案"), true, -1); // no one discharged
        QCOMPARE(dialog.model()->rowCount(), 0);
        QTest::mouseClick(dialog.m_BitBtn_Ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.caseNumber(), -1);
    }
};

QTEST_MAIN(TestCaseListDlg)
#include "tst_caselistdlg.moc"
