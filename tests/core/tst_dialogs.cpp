// The generic dialogs in every mode, the scripted prompter, the launchers and
// the waste-bin animation, offscreen.
#include "common/scriptedprompter.h"
#include "core/dustbincartoon.h"
#include "core/imagelists.h"
#include "core/inputdlg.h"
#include "core/launchers.h"
#include "core/printjob.h"
#include "core/prompter.h"
#include "core/shiftcontrols.h"
#include "core/wizarddlg.h"

#include "common/modal.h"
#include "common/pdftext.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QTemporaryDir>
#include <QToolBar>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>
#include <QtTest>


class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void inputDialogModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("expected"); // empty: today / now
        QTest::addColumn<bool>("textVisible");
        QTest::addColumn<bool>("dateVisible");
        QTest::addColumn<bool>("timeVisible");
        QTest::newRow("text") << 0 << "旧值" << "旧值" << true << false << false;
        QTest::newRow("date") << 1 << "2003-03-20" << "2003-03-20" << false << true << false;
        QTest::newRow("bad date is today") << 1 << "20/03/2003" << "" << false << true << false;
        QTest::newRow("time") << 2 << "08:30:15" << "08:30:15" << false << false << true;
        QTest::newRow("bad time is now") << 2 << "8.30" << "" << false << false << true;
        QTest::newRow("date and time ignore the value") << 3 << "2003-03-20 08:30:15" << "" << false << true << true;
    }
    void inputDialogModes()
    {
        QFETCH(int, mode);
        QFETCH(QString, given);
        QFETCH(QString, expected);
        QFETCH(bool, textVisible);
        QFETCH(bool, dateVisible);
        QFETCH(bool, timeVisible);
        Tm_InputDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("数据输入窗口"));
        QCOMPARE(dialog.m_PromptLable->text(), QStringLiteral("请输入数据:"));
        dialog.setup(QStringLiteral("请输入:"), given, mode);
        dialog.show();
        QCOMPARE(dialog.m_PromptLable->text(), QStringLiteral("请输入:"));
        QCOMPARE(dialog.m_strContent->isVisible(), textVisible);
        QCOMPARE(dialog.m_DateTimePicker_Date->isVisible(), dateVisible);
        QCOMPARE(dialog.m_DateTimePicker_Time->isVisible(), timeVisible);
        QCOMPARE(dialog.m_strContent->maxLength(), 250);
        QCOMPARE(dialog.m_BitBtn_Ok->text(), QStringLiteral("确定(&O)"));
        QCOMPARE(dialog.m_BitBtn_Cancel->text(), QStringLiteral("取消(&C)"));
        QVERIFY(dialog.m_BitBtn_Ok->isDefault());

        const QDateTime now = QDateTime::currentDateTime();
        const QString value = dialog.value();
        if (!expected.isEmpty()) {
            QCOMPARE(value, expected);
        } else if (mode == 1) {
            QCOMPARE(value, now.date().toString(QStringLiteral("yyyy-MM-dd")));
        } else {
            const QString timePart = value.section(QLatin1Char(' '), -1);
            QVERIFY(qAbs(QTime::fromString(timePart, QStringLiteral("hh:mm:ss")).secsTo(now.time())) < 5);
            if (mode == 3)
                QCOMPARE(value.section(QLatin1Char(' '), 0, 0), now.date().toString(QStringLiteral("yyyy-MM-dd")));
        }
    }

    void inputDialogThroughPrompter()
    {
        // OK takes the typed text; the edit masks it when asked to.
        QString value = QStringLiteral("旧值");
        whenShown<Tm_InputDlg>([](Tm_InputDlg *d) {
            QCOMPARE(d->m_strContent->echoMode(), QLineEdit::Password);
            d->m_strContent->clear();
            QTest::keyClicks(d->m_strContent, QStringLiteral("secret"));
            QTest::mouseClick(d->m_BitBtn_Ok, Qt::LeftButton);
        });
        QCOMPARE(InputText(QStringLiteral("口令:"), value, 0, true), 1);
        QCOMPARE(value, QStringLiteral("secret"));

        // Cancel leaves the value alone.
        whenShown<Tm_InputDlg>([](Tm_InputDlg *d) {
            QCOMPARE(d->m_strContent->echoMode(), QLineEdit::Normal);
            d->m_strContent->setText(QStringLiteral("changed"));
            QTest::mouseClick(d->m_BitBtn_Cancel, Qt::LeftButton);
        });
        QCOMPARE(InputText(QStringLiteral("姓名:"), value, 0), 2);
        QCOMPARE(value, QStringLiteral("secret"));

        // A date typed in the picker comes back in the fixed form.
        whenShown<Tm_InputDlg>([](Tm_InputDlg *d) {
            d->m_DateTimePicker_Date->setDate(QDate(2024, 2, 29));
            QTest::keyClick(d, Qt::Key_Return);
        });
        QCOMPARE(InputText(QStringLiteral("日期:"), value, 1), 1);
        QCOMPARE(value, QStringLiteral("2024-02-29"));
    }

    void choiceDialog_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("pick"); // -1 cancels
        QTest::addColumn<int>("index");
        QTest::newRow("4 items, one column") << 4 << 1 << 2 << 2;
        QTest::newRow("5 items, two columns") << 5 << 2 << 4 << 4;
        QTest::newRow("first is preselected") << 3 << 1 << 0 << 0;
        QTest::newRow("cancel") << 5 << 2 << -1 << -1;
        QTest::newRow("no items") << 0 << 1 << 0 << -1;
    }
    void choiceDialog()
    {
        QFETCH(int, items);
        QFETCH(int, columns);
        QFETCH(int, pick);
        QFETCH(int, index);
        QStringList list;
        for (int i = 0; i < items; ++i)
            list << QStringLiteral("选项%1").arg(i + 1);
        whenShown<Tm_WizardDlg>([=](Tm_WizardDlg *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("操作"));
            QCOMPARE(d->m_Label_Heading->text(), QStringLiteral("请选择病案类别"));
            QCOMPARE(d->m_RadioGroup->title(), QStringLiteral("请选择:"));
            QCOMPARE(d->columnCount(), columns);
            const auto buttons = d->m_RadioGroup->findChildren<QRadioButton *>();
            QCOMPARE(buttons.size(), items);
            if (items > 0)
                QVERIFY(buttons.first()->isChecked());
            if (columns == 2) // the last item stands in the second column
                QVERIFY(buttons.last()->x() > buttons.first()->x());
            if (pick > 0)
                buttons.at(pick)->click();
            QTest::mouseClick(pick < 0 ? d->m_BitBtn_Cancel : d->m_BitBtn_Ok, Qt::LeftButton);
        });
        int chosen = 77;
        QCOMPARE(SelectOption(QStringLiteral("请选择病案类别"), list, chosen), pick < 0 ? 2 : 1);
        QCOMPARE(chosen, index);
    }

    void scriptedPrompterAnswersAndRecords()
    {
        ScriptedPrompter script;
        script.answerYes().answerText(QStringLiteral("张三")).answerOption(1).acknowledge().answerFile(QString());
        QVERIFY(Prompter::instance().question(QStringLiteral("真的要退出吗?"), QStringLiteral("提示")));
        QString value;
        QCOMPARE(InputText(QStringLiteral("姓名:"), value, 0, true), 1);
        QCOMPARE(value, QStringLiteral("张三"));
        int index = -1;
        QCOMPARE(SelectOption(QStringLiteral("选择"), {QStringLiteral("a"), QStringLiteral("b")}, index), 1);
        QCOMPARE(index, 1);
        Prompter::instance().message(QStringLiteral("保存成功!"), QStringLiteral("提示"), Prompter::Icon::Information);
        QVERIFY(Prompter::instance().openFileName(QStringLiteral("打开"), QString(), QString()).isEmpty());
        QCOMPARE(script.asked.size(), 5);
        QVERIFY(script.asked.at(1).masked);
        QCOMPARE(script.asked.at(3).icon, Prompter::Icon::Information);
        QCOMPARE(script.lastText(), QStringLiteral("打开"));
        QVERIFY(!script.pending());

        // A question nobody scripted fails the test (expected here).
        QEXPECT_FAIL("", "the prompter reports the unexpected question", Continue);
        QVERIFY(!Prompter::instance().question(QStringLiteral("意外的问题"), QStringLiteral("提示")));
    }

    void launchersCancelUntilTheirScreensExist()
    {
        int key = 0;
        QString name;
        QCOMPARE(SelectFormula(QString(), key, name), 2);
        QCOMPARE(SelectHerbType(QString(), key, name), 2);
        QCOMPARE(SelectRecipe(QString(), key, -1), 2);
    }

    void shiftControlsBelow()
    {
        QWidget panel;
        auto *above = new QWidget(&panel);
        auto *anchor = new QWidget(&panel);
        auto *level = new QWidget(&panel);
        auto *below = new QWidget(&panel);
        auto *grandChild = new QWidget(below);
        above->move(5, 10);
        anchor->move(5, 50);
        level->move(80, 50);
        below->move(5, 90);
        grandChild->move(1, 1);
        ShiftControlsBelow(&panel, anchor, 30);
        QCOMPARE(above->pos(), QPoint(5, 10));
        QCOMPARE(anchor->pos(), QPoint(5, 50));
        QCOMPARE(level->pos(), QPoint(80, 50)); // level with the control: stays
        QCOMPARE(below->pos(), QPoint(5, 120));
        QCOMPARE(grandChild->pos(), QPoint(1, 1)); // only direct children move
        ShiftControlsBelow(&panel, anchor, -30);
        QCOMPARE(below->pos(), QPoint(5, 90));
        ShiftControlsBelow(nullptr, anchor, 30);
        ShiftControlsBelow(&panel, nullptr, 30);
        ShiftControlsBelow(&panel, anchor, 0);
        QCOMPARE(below->pos(), QPoint(5, 90));
    }

    // The preview renders the pages, and its extra button saves them as a PDF.
    void printPreviewSavesPdf()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("预览"));
        ScriptedPrompter script;
        script.answerFile(file, ScriptedPrompter::Kind::SaveFile).acknowledge();
        int renders = 0;
        whenShown<QPrintPreviewDialog>([](QPrintPreviewDialog *preview) {
            QAction *save = preview->findChild<QAction *>(QStringLiteral("m_Action_SavePdf"));
            QVERIFY(save);
            save->trigger();
            preview->reject();
        });
        ShowPrintPreview(QStringLiteral("测试页"), [&](PrintJob &job) {
            ++renders;
            job.painter().setFont(PrintJob::bodyFont());
            job.painter().drawText(QPoint(job.margins().left, job.margins().top + 200), QStringLiteral("预览中的文字"));
        });
        QVERIFY(renders >= 2); // once for the preview, once for the PDF
        QVERIFY(PdfText(file + QStringLiteral(".pdf")).contains(QStringLiteral("预览中的文字")));
        QVERIFY(script.asked.last().text.contains(QStringLiteral("已保存")));
    }

    void dustbinAnimation()
    {
        const QImage closed = ImageLists::Dustbin(0).toImage();
        const QImage open = ImageLists::Dustbin(1).toImage();
        QCOMPARE(closed.size(), QSize(32, 32));
        QVERIFY(closed != open);

        QLabel label;
        QElapsedTimer timer;
        timer.start();
        Tm_DustbinCartoon(&label);
        QVERIFY(timer.elapsed() < 100); // returns at once
        QStringList frames;
        auto frameName = [&] { return label.pixmap().toImage() == open ? QStringLiteral("open") : QStringLiteral("closed"); };
        frames << frameName();
        while (timer.elapsed() < 2500) {
            QTest::qWait(50);
            if (frameName() != frames.last())
                frames << frameName();
        }
        QCOMPARE(frames, QStringList({"closed", "open", "closed", "open", "closed", "open", "closed"}));
        QVERIFY(label.findChildren<QTimer *>().isEmpty()); // ended by itself

        // A label that goes away mid-animation ends it quietly.
        auto *gone = new QLabel;
        Tm_DustbinCartoon(gone);
        QTest::qWait(350);
        delete gone;
        QTest::qWait(400);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
