// Role and module names, the settings store, OLE dates and day bounds.
#include "core/oledate.h"
#include "core/settings.h"
#include "core/shareddefs.h"

#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

Q_DECLARE_METATYPE(Setting)

class TestShared : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
    }
    void init()
    {
        QSettings(QStringLiteral("Corvane Software"), QStringLiteral("Halvern")).clear();
    }

    void names_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("module");
        QTest::newRow("0") << 0 << "未知" << "不详细";
        QTest::newRow("1") << 1 << "管 理 员" << "检验科系统";
        QTest::newRow("2") << 2 << "临床医生" << "门诊病历系统";
        QTest::newRow("3") << 3 << "护理人员" << "不详细";
        QTest::newRow("4") << 4 << "后勤人员" << "药店进销系统";
        QTest::newRow("7") << 7 << "药房人员" << "不详细";
        QTest::newRow("8") << 8 << "未知" << "住院病历系统";
        QTest::newRow("-1") << -1 << "未知" << "不详细";
    }
    void names()
    {
        QFETCH(int, code);
        QFETCH(QString, role);
        QFETCH(QString, module);
        QCOMPARE(RoleName(code), role);
        QCOMPARE(ModuleName(code), module);
    }

    void settingDefaults_data()
    {
        QTest::addColumn<Setting>("setting");
        QTest::addColumn<int>("value");
        QTest::newRow("BCJL") << Setting::BCJL << 1;
        QTest::newRow("SystemLockMinute") << Setting::SystemLockMinute << 10;
        QTest::newRow("Top") << Setting::Top << 10;
        QTest::newRow("MainTitleFontSize") << Setting::MainTitleFontSize << 12;
        QTest::newRow("MainTitleFontColor") << Setting::MainTitleFontColor << 255;
        QTest::newRow("FixedFontColor") << Setting::FixedFontColor << 0;
        QTest::newRow("RecipePrintYF") << Setting::RecipePrintYF << 1;
    }
    void settingDefaults()
    {
        QFETCH(Setting, setting);
        QFETCH(int, value);
        QCOMPARE(Settings::integer(setting), value);
    }

    // What a stored text reads as, for an integer and for a flag.
    void storedValues_data()
    {
        QTest::addColumn<Setting>("setting");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("integer");
        QTest::addColumn<bool>("flag");
        QTest::newRow("flag 1") << Setting::BCJL << "1" << 1 << true;
        QTest::newRow("flag 2 is off") << Setting::BCJL << "2" << 2 << false;
        QTest::newRow("flag 0") << Setting::HintDeleteData << "0" << 0 << false;
        QTest::newRow("flag abc reads default") << Setting::DZCF << "abc" << 1 << true;
        QTest::newRow("flag empty reads default") << Setting::JCJL << "" << 1 << true;
        QTest::newRow("close hint 2 is on") << Setting::SaveHintCloseCase << "2" << 2 << true;
        QTest::newRow("close hint -1 is on") << Setting::SaveHintCloseCase << "-1" << -1 << true;
        QTest::newRow("close hint 0 is off") << Setting::SaveHintCloseCase << "0" << 0 << false;
        QTest::newRow("minutes") << Setting::SystemLockMinute << "25" << 25 << false;
        QTest::newRow("minutes 1.5") << Setting::SystemLockMinute << "1.5" << 10 << false;
        QTest::newRow("colour") << Setting::FixedFontColor << "16711680" << 16711680 << false;
    }
    void storedValues()
    {
        QFETCH(Setting, setting);
        QFETCH(QString, stored);
        QFETCH(int, integer);
        QFETCH(bool, flag);
        Settings::writeText(Settings::sectionOf(setting), Settings::nameOf(setting), stored);
        QCOMPARE(Settings::integer(setting), integer);
        QCOMPARE(Settings::flag(setting), flag);
    }

    void valuesAreStrings()
    {
        Settings::setInteger(Setting::Left, 15);
        Settings::setFlag(Setting::FZJC, false);
        Settings::setText(Setting::UnitName, QStringLiteral("青岚舟医院"));
        QSettings raw(QStringLiteral("Corvane Software"), QStringLiteral("Halvern"));
        QCOMPARE(raw.value(QStringLiteral("打印设置/Left")).metaType().id(), int(QMetaType::QString));
        QCOMPARE(raw.value(QStringLiteral("打印设置/Left")).toString(), QStringLiteral("15"));
        QCOMPARE(raw.value(QStringLiteral("综合选项/FZJC")).toString(), QStringLiteral("0"));
        QCOMPARE(Settings::text(Setting::UnitName), QStringLiteral("青岚舟医院"));
    }

    void unitNameDefaults()
    {
        QCOMPARE(Settings::text(Setting::UnitName), QStringLiteral("澄岭市某诊所"));
        QCOMPARE(Settings::text(Setting::UnitName, Settings::kHospitalUnitName), QStringLiteral("澄岭市某医院"));
        QCOMPARE(Settings::text(Setting::ExternPictureViewer), QString());
    }

    void oleDates_data()
    {
        QTest::addColumn<double>("ole");
        QTest::addColumn<QDateTime>("dateTime");
        QTest::newRow("epoch") << 0.0 << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
        QTest::newRow("noon") << 37700.5 << QDateTime(QDate(2003, 3, 20), QTime(12, 0));
        QTest::newRow("before epoch") << -1.25 << QDateTime(QDate(1899, 12, 29), QTime(6, 0));
        QTest::newRow("quarter past six") << 46367.260416666664 << QDateTime(QDate(2026, 12, 11), QTime(6, 15));
    }
    void oleDates()
    {
        QFETCH(double, ole);
        QFETCH(QDateTime, dateTime);
        QCOMPARE(OleDate::toDateTime(ole), dateTime);
        QCOMPARE(OleDate::fromDateTime(dateTime), ole);
    }

    void dayBounds()
    {
        const QDateTime any(QDate(2003, 3, 20), QTime(13, 14, 15, 16));
        QCOMPARE(OleDate::DayBound(true, any), QDateTime(QDate(2003, 3, 20), QTime(23, 59, 59, 999)));
        QCOMPARE(OleDate::DayBound(false, any), QDateTime(QDate(2003, 3, 20), QTime(0, 0)));
    }
};

QTEST_GUILESS_MAIN(TestShared)
#include "tst_shared.moc"
