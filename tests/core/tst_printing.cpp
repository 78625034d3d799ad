// Printing primitives: unit conversions, margins, colours, the rectangle text
// printer across pages, the grid printer, and a PDF read back.
#include "common/pdftext.h"
#include "common/recordingdevice.h"
#include "core/gbk.h"
#include "core/printgrid.h"
#include "core/printjob.h"
#include "core/rectprint.h"
#include "core/settings.h"

#include <QFontMetricsF>
#include <QProcess>
#include <QSettings>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Job {
    explicit Job(QPoint offset = QPoint()) : job(&device, [this] { return device.newPage(); }, offset)
    {
        job.begin(QStringLiteral("测试"));
        job.painter().setFont(PrintJob::bodyFont());
    }
    RecordingDevice device;
    PrintJob job;
};

QString longText()
{
    QString text;
    for (int i = 0; i < 60; ++i) {
        text += QStringLiteral("第%1段：住院病人今日体温正常，精神好转 and some ASCII words 123。").arg(i);
        if (i % 7 == 0)
            text += QStringLiteral("\r\n\r\n"); // an empty line
        else if (i % 3 == 0)
            text += QStringLiteral("\r\n");
    }
    return text;
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings(QStringLiteral("Corvane Software"), QStringLiteral("Halvern")).clear();
        InstallFontSubstitutions();
    }

    void unitConversions_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("mm");
        QTest::addColumn<int>("mmIn");
        QTest::addColumn<int>("pixelsOut");
        QTest::newRow("300 dpi") << 300 << 300 << 25 << 10 << 118;
        QTest::newRow("half to even down") << 254 << 25 << 2 << 1 << 10;
        QTest::newRow("half to even up") << 254 << 35 << 4 << 3 << 30;
        QTest::newRow("zero") << 600 << 0 << 0 << 0 << 0;
        QTest::newRow("negative") << 600 << -5 << 0 << -5 << 0;
    }
    void unitConversions()
    {
        QFETCH(int, dpi);
        QFETCH(int, pixels);
        QFETCH(int, mm);
        QFETCH(int, mmIn);
        QFETCH(int, pixelsOut);
        RecordingDevice device(1000, 1000, dpi);
        QCOMPARE(PixelToMMX(&device, pixels), mm);
        QCOMPARE(PixelToMMY(&device, pixels), mm);
        QCOMPARE(MMToPixelX(&device, mmIn), pixelsOut);
        QCOMPARE(MMToPixelY(&device, mmIn), pixelsOut);
        QCOMPARE(MMToPixelX(nullptr, mmIn), 0);
    }

    void marginsColoursAndFonts()
    {
        Settings::setInteger(Setting::Left, 10); // 118 px at 300 dpi
        Settings::setInteger(Setting::Top, 5);   // 59 px
        Settings::setInteger(Setting::Right, 20);
        Settings::writeText(Settings::kPrintSection, QStringLiteral("Bottom"), QStringLiteral("abc"));
        Job j(QPoint(50, 100));
        const PrintJob::Margins m = j.job.margins();
        QCOMPARE(m.left, 118 - 50); // offset smaller than the margin: subtracted
        QCOMPARE(m.top, 100);       // offset larger: the offset itself
        QCOMPARE(m.right, 236);
        QCOMPARE(m.bottom, 118);    // unreadable setting: the default 10 mm
        QCOMPARE(j.job.dpiX(), 300);
        QCOMPARE(j.job.pageSize(), QSize(2480, 3508));

        QCOMPARE(PrintJob::titleColor(), QColor(255, 0, 0)); // 255 is red
        QCOMPARE(PrintJob::bodyColor(), QColor(0, 0, 0));
        QCOMPARE(ColorFromWindows(0xFF0000), QColor(0, 0, 255));
        QCOMPARE(ColorFromWindows(0x00FF80), QColor(0x80, 0xFF, 0));
        QCOMPARE(PrintJob::titleFont().pointSize(), 12);
        // The GB2312 faces resolve to installed CJK fonts.
        QVERIFY(QFontInfo(PrintJob::titleFont()).family().contains(QStringLiteral("UKai")));
        QVERIFY(QFontInfo(PrintJob::bodyFont()).family().contains(QStringLiteral("CJK")));
        QSettings(QStringLiteral("Corvane Software"), QStringLiteral("Halvern")).clear();
    }

    // Page after page, the rectangle printer gives back the whole text, inside the rectangle.
    void textOverSeveralPages()
    {
        Job j;
        const QString text = longText();
        const QByteArray bytes = Gbk::fromUnicode(text);
        const QRect rect(200, 300, 1500, 900);
        int position = 0;
        int calls = 0;
        while (position < bytes.size()) {
            if (calls++ > 0)
                j.job.newPage();
            const int next = PrintTextInRect(j.job.painter(), rect, bytes, position, int(bytes.size()));
            QVERIFY2(next > position, "no progress");
            position = next;
        }
        QCOMPARE(position, int(bytes.size()));
        QVERIFY(calls >= 3);
        QCOMPARE(j.device.page(), calls);

        QString expected = text;
        expected.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        QCOMPARE(j.device.joinedText(), expected);
        for (const RecordingDevice::Text &t : std::as_const(j.device.texts)) {
            const QFontMetricsF fm(t.font, &j.device);
            QVERIFY(t.baseline.x() >= rect.left());
            QVERIFY(t.baseline.x() + fm.horizontalAdvance(t.text) <= rect.right() + 1.5);
            QVERIFY(t.baseline.y() - fm.ascent() >= rect.top() - 0.5);
            QVERIFY(t.baseline.y() + fm.descent() <= rect.bottom() + 1.5);
        }

        // The loop helper does the same and starts each further page itself.
        Job k;
        int pages = 1;
        QVERIFY(PrintTextPages(k.job, rect, text, [&] { k.job.newPage(); ++pages; }));
        QCOMPARE(pages, calls);
        QCOMPARE(k.device.joinedText(), expected);
    }

    void lineBreaks()
    {
        Job j;
        const QByteArray bytes = Gbk::fromUnicode(QStringLiteral("甲\r\n\r\n乙\n丙"));
        QCOMPARE(PrintTextInRect(j.job.painter(), QRect(0, 0, 2000, 2000), bytes, 0, int(bytes.size())), int(bytes.size()));
        QCOMPARE(j.device.texts.size(), 3);
        const double spacing = QFontMetricsF(j.job.painter().font(), &j.device).lineSpacing();
        QVERIFY(qAbs(j.device.texts.at(1).baseline.y() - j.device.texts.at(0).baseline.y() - 2 * spacing) < 2);
        QVERIFY(qAbs(j.device.texts.at(2).baseline.y() - j.device.texts.at(1).baseline.y() - spacing) < 2);
    }

    void rectangleTooSmallOrBadOffsets()
    {
        Job j;
        const QByteArray bytes = Gbk::fromUnicode(QStringLiteral("病历"));
        const int length = int(bytes.size());
        QPainter &p = j.job.painter();
        QCOMPARE(PrintTextInRect(p, QRect(0, 0, 5, 2000), bytes, 0, length), -1); // narrower than a character
        QCOMPARE(PrintTextInRect(p, QRect(0, 0, 2000, 5), bytes, 0, length), -1); // lower than a line
        QCOMPARE(PrintTextInRect(p, QRect(0, 0, 2000, 2000), bytes, -1, length), -1);
        QCOMPARE(PrintTextInRect(p, QRect(0, 0, 2000, 2000), bytes, length, length), length);
        QCOMPARE(PrintTextInRect(p, QRect(0, 0, 2000, 2000), bytes, 2, length), length);
        QCOMPARE(j.device.joinedText(), QStringLiteral("历"));
        // The page loop stops instead of running for ever.
        int pages = 0;
        QVERIFY(!PrintTextPages(j.job, QRect(0, 0, 5, 5), QStringLiteral("病历"), [&] { ++pages; }));
        QCOMPARE(pages, 0);
    }

    void gridOverSeveralPages()
    {
        QStandardItemModel model(100, 3);
        model.setHorizontalHeaderLabels({QStringLiteral("√姓名"), QStringLiteral("性别"), QStringLiteral("√住院号码")});
        for (int r = 0; r < 100; ++r) {
            model.setItem(r, 0, new QStandardItem(QStringLiteral("病人%1").arg(r, 3, 10, QLatin1Char('0'))));
            model.setItem(r, 1, new QStandardItem(QStringLiteral("男")));
            model.setItem(r, 2, new QStandardItem(QString::number(1000 + r)));
        }
        QTableView grid;
        grid.setModel(&model);
        grid.setColumnWidth(0, 120);
        grid.setColumnWidth(2, 60);

        Job j;
        const QRect area(100, 100, 2000, 800);
        const int last = PrintGrid(&grid, &j.job, true, area);
        QVERIFY(last > area.top());
        const int pages = j.device.page();
        QVERIFY(pages >= 3);

        QStringList names;
        int headings = 0;
        for (const RecordingDevice::Text &t : std::as_const(j.device.texts)) {
            QVERIFY(t.text != QStringLiteral("男") && t.text != QStringLiteral("性别"));
            QVERIFY(!t.text.contains(QStringLiteral("√")));
            if (t.text == QStringLiteral("姓名"))
                ++headings;
            if (t.text.startsWith(QStringLiteral("病人")))
                names << t.text;
        }
        QCOMPARE(headings, pages);
        QCOMPARE(names.size(), 100);
        QCOMPARE(names.first(), QStringLiteral("病人000"));
        QCOMPARE(names.last(), QStringLiteral("病人099"));

        // Widths keep the screen's proportion: the second column starts where
        // the first one's (120 px on screen) ends.
        const QFontMetricsF fm(j.job.painter().font(), &j.device);
        const double charWidth = fm.horizontalAdvance(QStringLiteral("正"));
        const int screenChar = grid.fontMetrics().horizontalAdvance(QStringLiteral("正"));
        double numberX = -1;
        for (const RecordingDevice::Text &t : std::as_const(j.device.texts)) {
            if (t.text == QStringLiteral("1000"))
                numberX = t.baseline.x();
        }
        QVERIFY(qAbs(numberX - (area.left() + 120 / screenChar * charWidth)) < 3);

        // The last row's top is what comes back.
        const RecordingDevice::Text lastRow = *std::find_if(j.device.texts.cbegin(), j.device.texts.cend(),
            [](const RecordingDevice::Text &t) { return t.text == QStringLiteral("病人099"); });
        QVERIFY(qAbs(lastRow.baseline.y() - fm.ascent() - last) < 2);
    }

    void gridWithNothingToPrint()
    {
        QStandardItemModel empty(0, 2);
        QTableView grid;
        grid.setModel(&empty);
        Job j;
        QCOMPARE(PrintGrid(&grid, &j.job, true, QRect(0, 0, 500, 500)), -1);
        QCOMPARE(PrintGrid(nullptr, &j.job, true, QRect(0, 0, 500, 500)), -1);

        QStandardItemModel rows(2, 1);
        rows.setHorizontalHeaderLabels({QStringLiteral("姓名")}); // no column marked for print
        grid.setModel(&rows);
        QCOMPARE(PrintGrid(&grid, &j.job, true, QRect(0, 0, 0, 500)), -1);
        QCOMPARE(PrintGrid(&grid, &j.job, true, QRect(0, 0, 500, 500)) > 0, true);
        QVERIFY(j.device.texts.isEmpty());
        QVERIFY(!j.device.lines.isEmpty()); // only the left border lines
        for (const RecordingDevice::Line &l : std::as_const(j.device.lines))
            QVERIFY((l.line.x1() == 0 && l.line.x2() == 0) || l.line.length() == 0);

        RecordingDevice idle;
        PrintJob notStarted(&idle, [] { return true; });
        QCOMPARE(PrintGrid(&grid, &notStarted, true, QRect(0, 0, 500, 500)), -1);
    }

    void pdfReadsBack()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("page.pdf"));
        QString error;
        QVERIFY2(PrintToPdf(file, QStringLiteral("病历首页"), [](PrintJob &job) {
            job.painter().setFont(PrintJob::titleFont());
            job.painter().drawText(QPoint(job.margins().left, job.margins().top + 100), QStringLiteral("住院病历首页"));
            job.newPage();
            job.painter().setFont(PrintJob::bodyFont());
            PrintTextInRect(job.painter(), QRect(job.margins().left, 300, 3000, 1000),
                            Gbk::fromUnicode(QStringLiteral("第二页正文")), 0, 10);
        }, &error), qPrintable(error));
        const QString text = PdfText(file);
        QVERIFY2(text.contains(QStringLiteral("住院病历首页")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("第二页正文")), qPrintable(text));
        QCOMPARE(text.count(QLatin1Char('\f')), 2); // two pages

        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        QVERIFY(!PrintToPdf(dir.filePath(QStringLiteral("missing/dir/x.pdf")), QStringLiteral("x"), [](PrintJob &) {}, &error));
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
