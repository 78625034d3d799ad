// The front page: rights, a store-and-reload round trip of every field, the
// durations, the three pictures with their menus, the external viewer, Enter
// and the focus colours, and the printed sheet.
#include "case/caseobject.h"
#include "case/casestore.h"
#include "common/pdftext.h"
#include "common/recordingdevice.h"
#include "common/modal.h"
#include "common/scriptedprompter.h"
#include "core/casedatamodule.h"
#include "core/jpegcodec.h"
#include "core/oledate.h"
#include "core/printjob.h"
#include "core/rights.h"
#include "core/settings.h"
#include "case/casedataform.h"
#include "pages/diagnosisstore.h"
#include "pages/framecaseblsy.h"
#include "pages/lczddlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kCase = 42;

CUserSecurityData doctor(quint32 rights = Rights::ReadFrontPage | Rights::EditFrontPage)
{
    CUserSecurityData user;
    user.UserName = QStringLiteral("王医生");
    user.UserSN = 7;
    user.Rights = rights;
    return user;
}

// A case with every field set, some to values the controls do not offer.
TCaseObject fullCase()
{
    TCaseObject c;
    c.CaseNumber = kCase;
    c.PatientName = QStringLiteral("欧阳明日");
    c.PatientSex = QStringLiteral("女");
    c.Birthday = OleDate::fromDateTime(QDateTime(QDate(1958, 10, 20), QTime(6, 30)));
    c.AgeDisplay = TCaseObject::AgeText(c.Birthday);
    c.Education = QStringLiteral("大专"); // not among the items
    c.Marriage = QStringLiteral("已婚");
    c.National = QStringLiteral("回族");
    c.Country = QStringLiteral("中国");
    c.NativePlace = QStringLiteral("山东烟台");
    c.Occupation = QStringLiteral("会计");
    c.WorkUnit = QStringLiteral("澄岭市第一纺织厂");
    c.WokrUnitTel = QStringLiteral("0532-82345678");
    c.Address = QStringLiteral("澄岭市河西区滨河路88号");
    c.ContactTel = QStringLiteral("13912345678");
    c.Identity = QStringLiteral("37020319581020002X");
    c.PostZip = QStringLiteral("266001");
    c.ContactPerson = QStringLiteral("欧阳强");
    c.ContactPersonRelation = QStringLiteral("儿子");
    c.ContactPersonAddress = QStringLiteral("澄岭市东城区和平路1号");
    c.ContactPersonTel = QStringLiteral("13800000000");
    for (int r = 0; r < 6; ++r)
        c.OutpatientDiagnoses[size_t(r)] = {QStringLiteral("诊断%1").arg(r), QStringLiteral("2026-0%1-01").arg(r + 1),
                                            QStringLiteral("I%1").arg(10 + r), QStringLiteral("备注%1").arg(r)};
    c.HypersenceDrug = QStringLiteral("青霉素");
    c.OlderSickness = QStringLiteral("高血压病史十年");
    c.BloodType = QStringLiteral("AB型");
    c.CustomCoding = QStringLiteral("NB-007");
    c.MainDiagnose = QStringLiteral("冠状动脉粥样硬化性心脏病");
    c.MainDiagnoseICD10 = QStringLiteral("I25.1");
    c.PersonalCaree = QStringLiteral("久居本地");
    c.FamilyCaree = QStringLiteral("父亲患高血压病");
    c.SmokeCount = 60; // beyond the usual 40
    c.DrinkCount = 3;
    c.SmokeKeepMonth = 30;
    c.DrinkKeepMonth = 36;
    c.ReservedText = QStringLiteral("保留");
    return c;
}

QImage testImage(int width, int height, Qt::GlobalColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class TestFrameCaseBLSY : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tm_CaseDataModule> m_module;
    TCaseObject m_case;

    QByteArray column(const char *name)
    {
        QSqlQuery q(m_module->mainDb());
        q.prepare(QStringLiteral("SELECT \"%1\" FROM \"ZYBL_CaseLibrary\" WHERE \"CaseSN\" = :n").arg(QLatin1String(name)));
        q.bindValue(QStringLiteral(":n"), kCase);
        return q.exec() && q.next() ? q.value(0).toByteArray() : QByteArray("<no row>");
    }

    std::unique_ptr<Tm_FrameCaseBLSY> attached(const CUserSecurityData &user = doctor())
    {
        auto page = std::make_unique<Tm_FrameCaseBLSY>();
        page->resize(1000, 700);
        page->AttachCase(m_case, user);
        return page;
    }

    QString writeJpeg(const QString &name, const QImage &image)
    {
        const QString path = m_dir->filePath(name);
        return JpegCodec::encodeFile(image, path) ? path : QString();
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
        m_case = fullCase();
        NewCase n;
        n.caseSN = kCase;
        n.patientName = m_case.PatientName;
        QVERIFY(CaseStore(m_module->mainDb()).AddCase(n, m_case));
    }

    void cleanup()
    {
        m_module.reset();
        m_dir.reset();
    }

    void rights_data()
    {
        QTest::addColumn<quint32>("rights");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("editable");
        QTest::newRow("none") << quint32(0) << false << false;
        QTest::newRow("edit without read") << quint32(Rights::EditFrontPage) << false << false;
        QTest::newRow("read only") << quint32(Rights::ReadFrontPage) << true << false;
        QTest::newRow("read and edit") << quint32(Rights::ReadFrontPage | Rights::EditFrontPage) << true << true;
    }
    void rights()
    {
        QFETCH(quint32, rights);
        QFETCH(bool, shown);
        QFETCH(bool, editable);
        auto page = attached(doctor(rights));
        page->show();
        QCOMPARE(page->m_Panel_Content->isVisible(), shown);
        QCOMPARE(page->m_Label_RightHint->isVisible(), !shown);
        QCOMPARE(page->m_Label_RightHint->text(), QStringLiteral("你没有访问病历首页的权限"));
        QCOMPARE(page->m_Panel_Content->isEnabled(), editable);
        QCOMPARE(page->m_BLSY_JTDZ->text(), m_case.Address); // filled all the same

        // Whoever may not edit changes nothing by saving.
        page->m_BLSY_JTDZ->setText(QStringLiteral("改过的地址"));
        TCaseObject stored = m_case;
        page->StoreToCase(stored);
        QCOMPARE(stored.Address, editable ? QStringLiteral("改过的地址") : m_case.Address);
    }

    void storeAndReloadKeepsEveryField()
    {
        auto page = attached();
        QCOMPARE(page->m_BLSY_XM->text(), m_case.PatientName);
        QVERIFY(!page->m_BLSY_XM->isEnabled());
        QVERIFY(!page->m_BLSY_XB->isEnabled());
        QCOMPARE(page->m_BLSY_WHCD->currentText(), QStringLiteral("大专"));
        QCOMPARE(page->m_BLSY_smokecount->value(), 60);
        QCOMPARE(page->m_BLSY_LCZDQK->horizontalHeaderItem(0)->text(), QStringLiteral("历次门诊诊断结论"));
        QCOMPARE(page->m_BLSY_LCZDQK->item(5, 3)->text(), QStringLiteral("备注5"));

        // Unchanged, the page gives back exactly what it was given.
        TCaseObject stored;
        stored.CaseNumber = kCase;
        stored.ReservedText = m_case.ReservedText; // not the page's
        page->StoreToCase(stored);
        QCOMPARE(stored, m_case);

        // Each control writes its own field.
        page->m_BLSY_CSRQ->setDate(QDate(1960, 2, 29));
        QCOMPARE(page->m_BLSY_NL->text(), TCaseObject::AgeText(OleDate::fromDateTime(QDate(1960, 2, 29).startOfDay())));
        page->m_BLSY_HY->setEditText(QStringLiteral("丧偶"));
        page->m_BLSY_XX->setCurrentIndex(4);
        page->m_BLSY_ZYZD_ICD10->setText(QStringLiteral("I21.9"));
        page->m_BLSY_LCZDQK->item(0, 0)->setText(QStringLiteral("急性心肌梗死"));
        page->m_BLSY_drinkcount->setValue(5);
        page->StoreToCase(stored);
        QCOMPARE(OleDate::toDateTime(stored.Birthday), QDate(1960, 2, 29).startOfDay());
        QCOMPARE(stored.AgeDisplay, page->m_BLSY_NL->text());
        QCOMPARE(stored.Marriage, QStringLiteral("丧偶"));
        QCOMPARE(stored.BloodType, QStringLiteral("O型"));
        QCOMPARE(stored.MainDiagnoseICD10, QStringLiteral("I21.9"));
        QCOMPARE(stored.OutpatientDiagnoses[0][0], QStringLiteral("急性心肌梗死"));
        QCOMPARE(stored.DrinkCount, 5);
        QCOMPARE(stored.Address, m_case.Address);
    }

    void durations_data()
    {
        QTest::addColumn<int>("months");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("unit");
        QTest::newRow("none") << 0 << 0 << "月";
        QTest::newRow("24 months") << 24 << 24 << "月";
        QTest::newRow("25 months stay months") << 25 << 25 << "月";
        QTest::newRow("30 months stay months") << 30 << 30 << "月";
        QTest::newRow("36 months are 3 years") << 36 << 3 << "年";
        QTest::newRow("600 months") << 600 << 50 << "年";
        QTest::newRow("beyond the usual range") << 601 << 601 << "月";
    }
    void durations()
    {
        QFETCH(int, months);
        QFETCH(int, shown);
        QFETCH(QString, unit);
        m_case.SmokeKeepMonth = months;
        m_case.DrinkKeepMonth = months;
        auto page = attached();
        QCOMPARE(page->m_BLSY_smokekeepmonth->value(), shown);
        QCOMPARE(page->m_BLSY_XYDateunit->currentText(), unit);
        QCOMPARE(page->m_BLSY_drinkkeepmonth->value(), shown);
        QCOMPARE(page->m_BLSY_YJDateunit->currentText(), unit);
        TCaseObject stored = m_case;
        page->StoreToCase(stored);
        QCOMPARE(stored.SmokeKeepMonth, months); // an unchanged page keeps the stored value
        QCOMPARE(stored.DrinkKeepMonth, months);

        page->m_BLSY_XYDateunit->setCurrentIndex(0); // "年"
        page->m_BLSY_smokekeepmonth->setValue(3);
        page->m_BLSY_YJDateunit->setCurrentIndex(1); // "月"
        page->m_BLSY_drinkkeepmonth->setValue(3);
        page->StoreToCase(stored);
        QCOMPARE(stored.SmokeKeepMonth, 36);
        QCOMPARE(stored.DrinkKeepMonth, 3);
    }

    void enterMovesOnAndFocusIsColoured()
    {
        auto page = attached();
        page->show();
        QVERIFY(QTest::qWaitForWindowActive(page.get()));
        page->m_BLSY_GJ->setFocus();
        QVERIFY(page->m_BLSY_GJ->hasFocus());
        QCOMPARE(page->m_BLSY_GJ->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Highlight));
        QCOMPARE(page->m_BLSY_GJ->palette().color(QPalette::Text), QColor(Qt::white));
        QTest::keyClick(page->m_BLSY_GJ, Qt::Key_Return);
        QVERIFY(page->m_BLSY_JG->hasFocus());
        QCOMPARE(page->m_BLSY_GJ->palette().color(QPalette::Base), page->palette().color(QPalette::Base));
        QTest::keyClick(page->m_BLSY_JG, Qt::Key_Enter);
        QVERIFY(page->m_BLSY_ZY->hasFocus());
    }

    void pictures_data()
    {
        QTest::addColumn<int>("which"); // 0 photograph, 1 and 2 reference pictures
        QTest::addColumn<QString>("columnName");
        QTest::addColumn<QString>("nothing");
        QTest::addColumn<QString>("deleteQuestion");
        QTest::addColumn<QString>("importTitle");
        QTest::newRow("photograph") << 0 << "PatientImage" << "该病人未设置照片!" << "确认要删除该病人的照片吗?"
                                    << "选择病人欧阳明日的照片";
        QTest::newRow("reference 1") << 1 << "P1" << "未设置参考图1!" << "确认要删除参考图1吗?" << "选择病人欧阳明日的参考图1";
        QTest::newRow("reference 2") << 2 << "P2" << "未设参考图2!" << "确认要删除参考图2吗?" << "选择病人欧阳明日的参考图2";
    }
    void pictures()
    {
        QFETCH(int, which);
        QFETCH(QString, columnName);
        QFETCH(QString, nothing);
        QFETCH(QString, deleteQuestion);
        QFETCH(QString, importTitle);
        const QByteArray col = columnName.toLatin1();
        auto page = attached();
        const QList<QAction *> actions[] = {{page->m_Menu_ImportPicture, page->m_Menu_ExportPicture, page->m_Menu_DeletePicture},
                                            {page->MenuItem1, page->MenuItem2, page->MenuItem3},
                                            {page->MenuItem6, page->MenuItem7, page->MenuItem8}};
        QAction *importAction = actions[which].at(0);
        QAction *exportAction = actions[which].at(1);
        QAction *deleteAction = actions[which].at(2);
        auto shown = [&] { return which == 0 ? page->photograph() : page->referencePicture(which - 1); };
        QVERIFY(shown().isNull()); // an empty column opens as no picture, silently

        ScriptedPrompter script;
        // Nothing to export or delete yet.
        script.acknowledge().acknowledge();
        exportAction->trigger();
        deleteAction->trigger();
        QCOMPARE(script.asked.at(0).text, nothing);
        QCOMPARE(script.asked.at(0).icon, Prompter::Icon::Information);
        QCOMPARE(script.asked.at(1).text, nothing);

        // A file that is no JPEG changes nothing.
        const QString broken = m_dir->filePath(QStringLiteral("broken.jpg"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xff\xd8\xff\xe0 not really a picture");
        file.close();
        script.answerFile(broken).acknowledge();
        importAction->trigger();
        QCOMPARE(script.lastText(), QStringLiteral("你选择的图片格式不能识别,只支持JPG文件格式!"));
        QCOMPARE(script.asked.last().icon, Prompter::Icon::Error);
        QCOMPARE(column(col.constData()), QByteArray());

        // A real one is stored at once and shown.
        const QString good = writeJpeg(QStringLiteral("good.jpg"), testImage(60, 80, Qt::darkGreen));
        script.answerFile(good);
        importAction->trigger();
        QCOMPARE(script.asked.last().text, importTitle);
        QVERIFY(!shown().isNull());
        QImage stored;
        QVERIFY(JpegCodec::decode(column(col.constData()), &stored));
        QCOMPARE(stored.size(), QSize(60, 80));
        auto reopened = attached();
        QCOMPARE((which == 0 ? reopened->photograph() : reopened->referencePicture(which - 1)).size(), QSize(60, 80));

        // Export: ".jpg" in any case is kept, anything else gets ".JPG".
        struct Export { const char *chosen; const char *written; };
        for (const Export &e : {Export{"a.jpg", "a.jpg"}, Export{"b.JpG", "b.JpG"}, Export{"c", "c.JPG"},
                                Export{"d.jpeg", "d.jpeg.JPG"}}) {
            script.answerFile(m_dir->filePath(QString::fromLatin1(e.chosen)), ScriptedPrompter::Kind::SaveFile);
            exportAction->trigger();
            QImage written;
            QVERIFY2(JpegCodec::decodeFile(m_dir->filePath(QString::fromLatin1(e.written)), &written), e.written);
            QCOMPARE(written.size(), QSize(60, 80));
        }
        script.answerFile(m_dir->filePath(QStringLiteral("no/such/folder/x.jpg")), ScriptedPrompter::Kind::SaveFile)
            .acknowledge();
        exportAction->trigger();
        QCOMPARE(script.lastText(), QStringLiteral("照片导出发生错误!"));

        // Delete asks; No keeps the picture, Yes empties the column.
        script.answerNo();
        deleteAction->trigger();
        QCOMPARE(script.lastText(), deleteQuestion);
        QVERIFY(!column(col.constData()).isEmpty());
        script.answerYes();
        deleteAction->trigger();
        QVERIFY(shown().isNull());
        QCOMPARE(column(col.constData()), QByteArray());
    }

    void pictureOfAMissingCaseIsNotReportedAsStored()
    {
        m_case.CaseNumber = 404;
        auto page = attached();
        ScriptedPrompter script;
        script.answerFile(writeJpeg(QStringLiteral("p.jpg"), testImage(20, 20, Qt::red))).acknowledge();
        page->m_Menu_ImportPicture->trigger();
        QVERIFY(script.lastText().startsWith(QStringLiteral("图片保存失败")));
        QVERIFY(page->photograph().isNull());
    }

    void externalViewer_data()
    {
        QTest::addColumn<QString>("viewer"); // %D the test folder
        QTest::addColumn<bool>("withPicture");
        QTest::addColumn<QString>("message"); // empty: started
        const QString prefix = QStringLiteral("指定外部浏览程序: %1\n\n");
        QTest::newRow("no viewer set") << "" << true << "系统未设置外部图片浏览软件,请进入系统数据维护窗口设置!";
        QTest::newRow("no picture") << "%D/viewer.sh" << false << "参考图1无图片可浏览!";
        QTest::newRow("started") << "%D/viewer.sh" << true << "";
        QTest::newRow("not a program") << "%D/notes.txt" << true
                                       << prefix + QStringLiteral("该外部图片浏览软件为非可执行程序!");
        QTest::newRow("no such file") << "%D/missing-viewer" << true
                                      << prefix + QStringLiteral("找不到该外部图片浏览软件!可能该软件已删除或所在文件夹已改变!");
        QTest::newRow("no such name on the path") << "no-such-viewer-zybl" << true
                                                  << prefix + QStringLiteral("找不到该外部图片浏览软件!可能该软件已删除或所在文件夹已改变!");
        QTest::newRow("no such folder") << "%D/gone/viewer" << true
                                        << prefix + QStringLiteral("该外部图片浏览软件无法正常启动!可能路径不存在!");
    }
    void externalViewer()
    {
        QFETCH(QString, viewer);
        QFETCH(bool, withPicture);
        QFETCH(QString, message);
        viewer.replace(QStringLiteral("%D"), m_dir->path());
        if (message.contains(QLatin1String("%1")))
            message = message.arg(viewer);
        // A viewer that writes down the file it was given.
        const QString log = m_dir->filePath(QStringLiteral("viewed.txt"));
        QFile script(m_dir->filePath(QStringLiteral("viewer.sh")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        // Written aside and moved, so the log appears whole.
        script.write(QStringLiteral("#!/bin/sh\necho \"$1\" > '%1.part' && mv '%1.part' '%1'\n").arg(log).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        QFile notes(m_dir->filePath(QStringLiteral("notes.txt")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();
        Settings::setText(Setting::ExternPictureViewer, viewer);
        if (withPicture) {
            const QImage picture = testImage(30, 30, Qt::blue);
            QVERIFY(CaseStore(m_module->mainDb()).StoreReferencePicture(QString::number(kCase), 0, &picture));
        }
        auto page = attached();
        ScriptedPrompter prompter;
        if (!message.isEmpty())
            prompter.acknowledge();
        page->N2->trigger();
        if (message.isEmpty()) {
            QVERIFY(prompter.asked.isEmpty());
            QTRY_VERIFY(QFile::exists(log));
            QFile seen(log);
            QVERIFY(seen.open(QIODevice::ReadOnly));
            const QString file = QString::fromUtf8(seen.readAll()).trimmed();
            QCOMPARE(file, Tm_FrameCaseBLSY::viewerFile());
            QVERIFY(!file.startsWith(QStringLiteral("/tmp/HVN"))); // a folder of its own, not a shared name
            QImage picture;
            QVERIFY(JpegCodec::decodeFile(file, &picture));
            QCOMPARE(picture.size(), QSize(30, 30));
        } else {
            QCOMPARE(prompter.lastText(), message);
            QCOMPARE(prompter.asked.at(0).icon, Prompter::Icon::Error);
            QCOMPARE(prompter.asked.at(0).caption, QStringLiteral("提示"));
        }
    }

    void printsOneSheet()
    {
        Settings::setText(Setting::UnitName, QStringLiteral("澄岭市人民医院"));
        CaseStore store(m_module->mainDb());
        const QString number = QString::number(kCase);
        const QImage photo = testImage(300, 400, Qt::gray);
        const QImage tall = testImage(1000, 1500, Qt::red);
        const QImage wide = testImage(1500, 1000, Qt::blue);
        QVERIFY(store.StorePatientPicture(number, &photo));
        QVERIFY(store.StoreReferencePicture(number, 0, &tall));
        QVERIFY(store.StoreReferencePicture(number, 1, &wide));
        auto page = attached();

        RecordingDevice device;
        PrintJob job(&device, [&] { return device.newPage(); });
        QVERIFY(job.begin(QStringLiteral("病历系统-病历首页打印")));
        page->RenderPage(job);
        job.end();
        QCOMPARE(device.page(), 1);

        // The engine gets a run of text per script (Chinese, Latin): join the
        // runs that continue one another on a line into the text drawn.
        QList<RecordingDevice::Text> drawn;
        for (const RecordingDevice::Text &t : device.texts) {
            if (!drawn.isEmpty()) {
                RecordingDevice::Text &last = drawn.last();
                const double end = last.baseline.x() + QFontMetricsF(last.font, &device).horizontalAdvance(last.text);
                if (qAbs(last.baseline.y() - t.baseline.y()) < 0.5 && qAbs(t.baseline.x() - end) < 2) {
                    last.text += t.text;
                    continue;
                }
            }
            drawn << t;
        }
        auto find = [&](const QString &start) -> const RecordingDevice::Text * {
            for (const RecordingDevice::Text &t : drawn)
                if (t.text.startsWith(start))
                    return &t;
            return nullptr;
        };
        const PrintJob::Margins m = job.margins();
        const RecordingDevice::Text *title = find(QStringLiteral("澄岭市人民医院病案首页"));
        QVERIFY(title);
        QVERIFY(title->font.bold() && title->font.underline());
        // Centred between the margins.
        const QFontMetricsF titleMetrics(title->font, &device);
        const double centre = title->baseline.x() + titleMetrics.horizontalAdvance(title->text) / 2;
        QVERIFY(qAbs(centre - (m.left + (2480 - m.right)) / 2.0) < 3);

        const RecordingDevice::Text *name = find(QStringLiteral("姓名:欧阳明日"));
        QVERIFY(name);
        const QFontMetricsF body(name->font, &device);
        const double W = body.horizontalAdvance(QStringLiteral("正"));
        const double L = body.height() + body.leading();
        struct Expected { const char *start; double offset; int line; };
        for (const Expected &e : {Expected{"性别:女", 7, 0}, Expected{"年龄:", 11, 0}, Expected{"文化程度:大专", 16, 0},
                                  Expected{"婚况:已婚", 24, 0}, Expected{"民族:回族", 29, 0}, Expected{"国籍:中国", 0, 1},
                                  Expected{"工作单位:", 22, 1}, Expected{"联系住址:澄岭市河西区", 12, 2},
                                  Expected{"身份证号码:370203", 0, 3}, Expected{"联系人电话:138", 23, 4},
                                  Expected{"主要诊断:冠状动脉", 0, 5}}) {
            const RecordingDevice::Text *t = find(QString::fromUtf8(e.start));
            QVERIFY2(t, e.start);
            QVERIFY2(qAbs(t->baseline.x() - (name->baseline.x() + e.offset * W)) < 1.5, e.start);
            QVERIFY2(qAbs(t->baseline.y() - (name->baseline.y() + e.line * L)) < 1.5, e.start);
        }
        for (const char *t : {"历次诊断结论", "初诊日期", "ICD-10编码", "备注说明", "诊断5", "既往病史:高血压病史十年",
                              "过敏药物:青霉素", "ABO血型:AB型", "病案号:42", "内部编码:NB-007", "--参考图1--", "--参考图2--"})
            QVERIFY2(find(QString::fromUtf8(t)), t);

        // Eight rules across the page and five down for the diagnosis table
        // (the title's underline is no rule).
        int across = 0, down = 0;
        for (const RecordingDevice::Line &line : device.lines) {
            across += line.line.dy() == 0 && qRound(line.line.x1()) == m.left && qRound(line.line.x2()) == 2480 - m.right;
            down += line.line.dx() == 0 ? 1 : 0;
        }
        QCOMPARE(across, 8);
        QCOMPARE(down, 5);

        // Three pictures, none past the page's margins.
        QCOMPARE(device.pictures.size(), 3);
        const QRectF inside(m.left, m.top, 2480 - m.right - m.left, 3508 - m.bottom - m.top);
        for (const RecordingDevice::Picture &picture : device.pictures)
            QVERIFY2(inside.contains(picture.target), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(picture.target.x())
                                                                  .arg(picture.target.y()).arg(picture.target.width())
                                                                  .arg(picture.target.height())));
    }

    void diagnosisGridShowsTheFirstSix()
    {
        DiagnosisStore store(m_module->mainDb());
        for (int i = 0; i < 8; ++i) {
            DiagnosisStore::DiagnosisRow row;
            row.caseSN = kCase;
            row.name = QStringLiteral(" 诊断%1 ").arg(i);
            row.date = QDate(2026, 1, 1 + i).startOfDay();
            row.icd10 = QStringLiteral("I%1 ").arg(20 + i);
            row.memo = QStringLiteral(" 备注%1").arg(i);
            QVERIFY(store.AddDiagnosis(row));
        }
        auto page = attached();
        whenShown<Tm_LCZDDlg>([](Tm_LCZDDlg *dialog) { dialog->reject(); });
        emit page->m_BLSY_LCZDQK->cellDoubleClicked(2, 1);
        for (int r = 0; r < Tm_FrameCaseBLSY::kDiagnosisRows; ++r) {
            QCOMPARE(page->m_BLSY_LCZDQK->item(r, 0)->text(), QStringLiteral("诊断%1").arg(r));
            QCOMPARE(page->m_BLSY_LCZDQK->item(r, 1)->text(), QDate(2026, 1, 1 + r).toString(Qt::ISODate));
            QCOMPARE(page->m_BLSY_LCZDQK->item(r, 2)->text(), QStringLiteral("I%1").arg(20 + r));
            QCOMPARE(page->m_BLSY_LCZDQK->item(r, 3)->text(), QStringLiteral("备注%1").arg(r));
        }
        TCaseObject stored = m_case;
        page->StoreToCase(stored);
        QCOMPARE(stored.OutpatientDiagnoses[5][0], QStringLiteral("诊断5"));
    }

    // A doctor's visit in the case window: edit, a diagnosis found by pinyin, a
    // photograph, save, close, reopen with everything kept, print.
    void wholeVisitInTheCaseWindow()
    {
        Settings::writeText(Settings::kGeneralSection, QStringLiteral("SaveHintCloseCase"), QStringLiteral("0"));
        const QString number = QString::number(kCase);
        {
            TCaseDataForm form(nullptr, number, doctor(Rights::allRights()), 30);
            form.show();
            auto *front = qobject_cast<Tm_FrameCaseBLSY *>(form.page(TCaseDataForm::BLSY));
            QVERIFY(front);
            front->m_BLSY_JTDZ->setText(QStringLiteral("澄岭市北山区青岚大道9号"));
            whenShown<Tm_LCZDDlg>([](Tm_LCZDDlg *dialog) {
                dialog->m_Edit_Name->setText(QStringLiteral("高血压性心脏病"));
                QTest::keyClicks(dialog->m_Edit_PY, QStringLiteral("GXYXXZ"));
                QVERIFY(dialog->m_DBGrid_ICD->isVisible());
                QCOMPARE(dialog->m_Edit_ICD10->text(), QStringLiteral("I11.0"));
                QTest::mouseClick(dialog->m_BitBtn_Append, Qt::LeftButton);
                QTest::mouseClick(dialog->m_BitBtn_Exit, Qt::LeftButton);
            });
            emit front->m_BLSY_LCZDQK->cellDoubleClicked(0, 0);
            QCOMPARE(front->m_BLSY_LCZDQK->item(0, 2)->text(), QStringLiteral("I11.0"));
            ScriptedPrompter script;
            script.answerFile(writeJpeg(QStringLiteral("face.jpg"), testImage(90, 120, Qt::darkYellow)));
            front->m_Menu_ImportPicture->trigger();
            QVERIFY(form.SaveCase());
            QVERIFY(form.close());
        }
        TCaseDataForm again(nullptr, number, doctor(Rights::allRights()), 30);
        again.show();
        QVERIFY(!again.loadFailed());
        auto *front = qobject_cast<Tm_FrameCaseBLSY *>(again.page(TCaseDataForm::BLSY));
        QCOMPARE(front->m_BLSY_JTDZ->text(), QStringLiteral("澄岭市北山区青岚大道9号"));
        QCOMPARE(front->m_BLSY_LCZDQK->item(0, 0)->text(), QStringLiteral("高血压性心脏病"));
        QCOMPARE(front->m_BLSY_LCZDQK->item(0, 1)->text(), QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(front->photograph().size(), QSize(90, 120));
        QCOMPARE(again.m_StatusPanels[5]->text(), QStringLiteral("住宅地址:澄岭市北山区青岚大道9号"));
        const QString pdf = m_dir->filePath(QStringLiteral("visit.pdf"));
        QVERIFY(PrintToPdf(pdf, QStringLiteral("病历系统-病历首页打印"), [&](PrintJob &job) { front->RenderPage(job); }));
        const QString text = PdfText(pdf);
        QVERIFY(text.contains(QStringLiteral("高血压性心脏病")));
        QVERIFY(text.contains(QStringLiteral("I11.0")));
    }

    void printsToPdf()
    {
        CaseStore store(m_module->mainDb());
        const QImage photo = testImage(300, 400, Qt::gray);
        const QImage reference = testImage(800, 600, Qt::darkCyan);
        QVERIFY(store.StorePatientPicture(QString::number(kCase), &photo));
        QVERIFY(store.StoreReferencePicture(QString::number(kCase), 1, &reference));
        auto page = attached();
        const QString pdf = m_dir->filePath(QStringLiteral("front.pdf"));
        QString error;
        QVERIFY2(PrintToPdf(pdf, QStringLiteral("病历系统-病历首页打印"), [&](PrintJob &job) { page->RenderPage(job); }, &error),
                 qPrintable(error));
        // ZYBL_KEEP_PRINTS=DIR keeps the PDF there to be looked at.
        if (const QString keep = qEnvironmentVariable("ZYBL_KEEP_PRINTS"); !keep.isEmpty())
            QFile::copy(pdf, QDir(keep).filePath(QStringLiteral("front-page.pdf")));
        const QString text = PdfText(pdf);
        for (const char *t : {"澄岭市某诊所病案首页", "姓名:欧阳明日", "主要诊断:冠状动脉粥样硬化性心脏病", "病案号:42"})
            QVERIFY2(text.contains(QString::fromUtf8(t)), t);
    }
};

QTEST_MAIN(TestFrameCaseBLSY)
#include "tst_framecaseblsy.moc"
