// The case object's stored form, its JSON form, the zyblctl commands that
// convert between them, and the packed-text and age helpers.
#include "app/casejson.h"
#include "case/caseobject.h"
#include "core/oledate.h"

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(TCaseObject)

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray le32(quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray dateValue(double day)
{
    char bytes[8];
    quint64 bits;
    std::memcpy(&bits, &day, 8);
    qToLittleEndian(bits, bytes);
    return '\x11' + QByteArray(bytes, 8);
}

QByteArray utf16Value(const QString &text)
{
    QByteArray out = '\x12' + le32(quint32(text.size()));
    for (QChar c : text) {
        char unit[2];
        qToLittleEndian(c.unicode(), unit);
        out.append(unit, 2);
    }
    return out;
}

// A case with every field away from its default, long texts in both
// encodings, filled reserved lists, a birthday with a time and negative numbers.
TCaseObject fullCase()
{
    TCaseObject c;
    c.PatientName = QStringLiteral("张三丰");
    c.PatientSex = QStringLiteral("男");
    c.Birthday = 30000.75; // 1982-02-18 18:00
    c.AgeDisplay = QStringLiteral("42岁");
    c.Education = QStringLiteral("大学");
    c.Marriage = QStringLiteral("未婚");
    c.National = QStringLiteral("回族");
    c.Country = QStringLiteral("China");
    c.NativePlace = QStringLiteral("河北沧州");
    c.Occupation = QStringLiteral("教师");
    c.WorkUnit = QStringLiteral("第一中学");
    c.WokrUnitTel = QStringLiteral("0317-1234567");
    c.Address = QStringLiteral("北京").repeated(200); // 1200 UTF-8 bytes
    c.ContactTel = QStringLiteral("13800000000");
    c.Identity = QStringLiteral("1234567890").repeated(30); // 300 ASCII bytes
    c.PostZip = QStringLiteral("061000");
    c.ContactPerson = QStringLiteral("李四");
    c.ContactPersonRelation = QStringLiteral("配偶");
    c.ContactPersonAddress = QStringLiteral("Room 5, \"Quoted\" \\ Street");
    c.ContactPersonTel = QStringLiteral("\t\r\n\a\x01");
    for (int r = 0; r < 6; ++r)
        for (int c2 = 0; c2 < 4; ++c2)
            c.OutpatientDiagnoses[r][c2] = QStringLiteral("诊断%1-%2").arg(r).arg(c2);
    c.OutpatientDiagnoses[5][3] = QString(); // an empty cell among filled ones
    c.HypersenceDrug = QStringLiteral("青霉素过敏");
    c.OlderSickness = QStringLiteral("高血压").repeated(100);
    c.BloodType = QStringLiteral("AB型");
    c.CustomCoding = QStringLiteral("Z-0042");
    c.MainDiagnose = QStringLiteral("社区获得性肺炎");
    c.MainDiagnoseICD10 = QStringLiteral("J18.9");
    c.PersonalCaree = QStringLiteral("吸烟二十年 😀");
    c.FamilyCaree = QStringLiteral("é ü ß");
    c.SmokeCount = -1;
    c.DrinkCount = 128;
    c.SmokeKeepMonth = 40000;
    c.DrinkKeepMonth = std::numeric_limits<qint32>::min();
    c.ReservedText = QStringLiteral("x").repeated(256);
    c.ReservedNumber = -70000;
    for (int l = 0; l < 8; ++l)
        for (int i = 0; i < l; ++i)
            c.ReservedLists[l].append(QStringLiteral("列表%1-条目%2").arg(l).arg(i));
    c.ReservedLists[7].append(QString());
    c.ReservedLists[7].append(QStringLiteral("y").repeated(1000));
    return c;
}

// A case whose every field differs from both fullCase() and the defaults,
// to show that reading overwrites (or keeps) each one.
TCaseObject otherCase()
{
    TCaseObject c;
    c.CaseNumber = 4711;
    c.PatientName = QStringLiteral("old name");
    c.Birthday = 1.5;
    c.OutpatientDiagnoses[0][1] = QStringLiteral("old cell");
    c.HypersenceDrug = QStringLiteral("old drug");
    c.MainDiagnoseICD10 = QStringLiteral("old icd");
    c.SmokeCount = 5;
    for (QStringList &list : c.ReservedLists)
        list = QStringList{QStringLiteral("old entry")};
    return c;
}

// Fails the one write that covers byte `failAt` and accepts all others.
class FailingDevice : public QBuffer
{
public:
    qint64 failAt = 0;

protected:
    qint64 writeData(const char *data, qint64 size) override
    {
        if (!m_failed && pos() <= failAt && failAt < pos() + size) {
            m_failed = true;
            return -1;
        }
        return QBuffer::writeData(data, size);
    }

private:
    bool m_failed = false;
};

} // namespace

class TestCaseObject : public QObject
{
    Q_OBJECT

private slots:
    void freshObjectBytes()
    {
        const QByteArray bytes = TCaseObject().toBytes();
        const QByteArray expectedStart = hex("14 06000000 E5A793E5908D" // 姓名
                                             "14 03000000 E5A5B3")      // 女
            + dateValue(OleDate::today())
            + hex("02 00"                       // ReservedNumber
                  "06 00"                       // AgeDisplay
                  "14 06000000 E4B8ADE5ADA6");  // 中学
        QCOMPARE(bytes.left(expectedStart.size()).toHex(' '), expectedStart.toHex(' '));
        // MainDiagnose and ReservedText, eight empty lists, then the tail.
        const QByteArray expectedEnd = hex("0600 0600" "0200 0200 0200 0200 0200 0200 0200 0200"
                                           "0600 0600 0600" "0200 0200 0200 0200");
        QCOMPARE(bytes.right(expectedEnd.size()).toHex(' '), expectedEnd.toHex(' '));
        QCOMPARE(TCaseObject().Birthday, OleDate::today());
    }

    void integerEncoding_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("0") << 0 << hex("02 00");
        QTest::newRow("127") << 127 << hex("02 7F");
        QTest::newRow("-128") << -128 << hex("02 80");
        QTest::newRow("128") << 128 << hex("03 8000");
        QTest::newRow("-129") << -129 << hex("03 7FFF");
        QTest::newRow("32767") << 32767 << hex("03 FF7F");
        QTest::newRow("-32768") << -32768 << hex("03 0080");
        QTest::newRow("32768") << 32768 << hex("04 00800000");
        QTest::newRow("-32769") << -32769 << hex("04 FF7FFFFF");
        QTest::newRow("max") << std::numeric_limits<int>::max() << hex("04 FFFFFF7F");
        QTest::newRow("min") << std::numeric_limits<int>::min() << hex("04 00000080");
    }
    void integerEncoding()
    {
        QFETCH(int, value);
        QFETCH(QByteArray, encoded);
        TCaseObject c;
        c.PatientName.clear();
        c.PatientSex.clear();
        c.ReservedNumber = value; // value 4, after two empty texts and the date
        c.DrinkKeepMonth = value; // the very last value
        const QByteArray bytes = c.toBytes();
        QCOMPARE(bytes.mid(13, encoded.size()).toHex(' '), encoded.toHex(' '));
        QVERIFY(bytes.endsWith(encoded));

        TCaseObject back;
        QVERIFY(back.fromBytes(bytes));
        QCOMPARE(back.ReservedNumber, value);
        QCOMPARE(back.DrinkKeepMonth, value);
    }

    void textEncoding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("empty") << QString() << hex("06 00");
        QTest::newRow("ascii") << QStringLiteral("J18.9") << hex("06 05 4A31382E39");
        QTest::newRow("control characters") << QStringLiteral("\a\t\x7f") << hex("06 03 07097F");
        const QString a255 = QString(255, u'a');
        QTest::newRow("255 ascii") << a255 << hex("06 FF") + a255.toLatin1();
        const QString a256 = QString(256, u'a');
        QTest::newRow("256 ascii") << a256 << hex("0C 00010000") + a256.toLatin1();
        // One Chinese character turns the whole text into UTF-8 with its byte count.
        QTest::newRow("mixed") << QStringLiteral("ab中c") << hex("14 06000000 6162E4B8AD63");
        QTest::newRow("latin-1 is not ascii") << QStringLiteral("é") << hex("14 02000000 C3A9");
        QTest::newRow("outside the BMP") << QStringLiteral("😀") << hex("14 04000000 F09F9880");
        const QString long8 = QStringLiteral("病").repeated(100);
        QTest::newRow("long chinese") << long8 << hex("14 2C010000") + long8.toUtf8();
    }
    void textEncoding()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, encoded);
        TCaseObject c;
        c.PatientName = text;
        const QByteArray bytes = c.toBytes();
        QCOMPARE(bytes.left(encoded.size()).toHex(' '), encoded.toHex(' '));

        TCaseObject back;
        QVERIFY(back.fromBytes(bytes));
        QCOMPARE(back.PatientName, text);
    }

    void roundTrip_data()
    {
        QTest::addColumn<TCaseObject>("original");
        QTest::newRow("defaults") << TCaseObject();
        QTest::newRow("every field") << fullCase();
        TCaseObject early = fullCase();
        early.Birthday = -1.25; // before the epoch: 1899-12-29 06:00
        early.ReservedLists[0] = QStringList(300, QStringLiteral("z"));
        QTest::newRow("early birthday, long list") << early;
    }
    void roundTrip()
    {
        QFETCH(TCaseObject, original);
        QBuffer stream;
        stream.open(QIODevice::ReadWrite);
        QVERIFY(original.WriteToStream(stream));

        TCaseObject back = otherCase();
        QVERIFY(stream.pos() > 0); // reading must rewind by itself
        QString error = QStringLiteral("stale");
        QVERIFY(back.ReadFromStream(stream, &error));
        QCOMPARE(error, QString());
        QCOMPARE(back.CaseNumber, 4711); // not part of the stored form
        back.CaseNumber = original.CaseNumber;
        QVERIFY(back == original);
        QCOMPARE(back.toBytes(), stream.data());
    }

    void readTextKinds_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("18 utf-16") << utf16Value(QStringLiteral("张三")) << QStringLiteral("张三");
        QTest::newRow("18 surrogate pair") << utf16Value(QStringLiteral("a😀")) << QStringLiteral("a😀");
        QTest::newRow("18 lone surrogate") << utf16Value(QString(QChar(0xD800)) + u'x')
                                           << QString(QChar(QChar::ReplacementCharacter)) + u'x';
        QTest::newRow("18 empty") << hex("12 00000000") << QString();
        QTest::newRow("6 gbk") << hex("06 04 D5C5C8FD") << QStringLiteral("张三");
        QTest::newRow("12 gbk") << hex("0C 04000000 D5C5C8FD") << QStringLiteral("张三");
        QTest::newRow("12 short ascii") << hex("0C 02000000 4142") << QStringLiteral("AB");
        QTest::newRow("20 ascii") << hex("14 02000000 4142") << QStringLiteral("AB");
    }
    void readTextKinds()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, text);
        const QByteArray stored = TCaseObject().toBytes();
        const QByteArray firstValue = hex("14 06000000 E5A793E5908D");
        QVERIFY(stored.startsWith(firstValue));

        TCaseObject c;
        QVERIFY(c.fromBytes(value + stored.mid(firstValue.size())));
        QCOMPARE(c.PatientName, text);
        // What was read is written back in a form that reads the same.
        TCaseObject again;
        QVERIFY(again.fromBytes(c.toBytes()));
        QCOMPARE(again.PatientName, text);
    }

    void readDateKinds_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<double>("day");
        QTest::newRow("17") << dateValue(36526.5) << 36526.5;
        QTest::newRow("2 zero") << hex("02 00") << 0.0;
        QTest::newRow("2 negative") << hex("02 FF") << -1.0;
        QTest::newRow("3") << hex("03 E803") << 1000.0;
        QTest::newRow("4") << hex("04 B68E0000") << 36534.0;
    }
    void readDateKinds()
    {
        QFETCH(QByteArray, value);
        QFETCH(double, day);
        TCaseObject c;
        c.PatientName.clear();
        c.PatientSex.clear();
        const QByteArray stored = c.toBytes();
        const qsizetype dateAt = 4;
        TCaseObject back;
        QVERIFY(back.fromBytes(stored.left(dateAt) + value + stored.mid(dateAt + 9)));
        QCOMPARE(back.Birthday, day);
        QCOMPARE(back.ReservedNumber, 0);
    }

    void brokenStreams_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");

        const QByteArray full = fullCase().toBytes();
        const QByteArray plain = TCaseObject().toBytes();
        const qsizetype tailSize = 3 * 2 + 4 * 2; // three empty texts, four small integers
        const qsizetype mainSize = plain.size() - tailSize;
        const qsizetype firstListAt = mainSize - 16;

        QTest::newRow("empty") << QByteArray()
                               << "value 1 (PatientName) at byte 0: end of stream";
        QTest::newRow("only a kind byte") << hex("14")
                                          << "value 1 (PatientName) at byte 0: end of stream";
        QTest::newRow("absurd length") << hex("14 FFFFFF7F") + QByteArray(20, 'a')
                                       << "value 1 (PatientName) at byte 0: end of stream (length 2147483647, 20 bytes left)";
        QTest::newRow("absurd long-text length") << hex("0C FFFFFFFF 41")
                                                 << "value 1 (PatientName) at byte 0: end of stream (length 4294967295, 1 bytes left)";
        QTest::newRow("utf-16 count over half") << hex("12 03000000 4100 4200 43")
                                                << "value 1 (PatientName) at byte 0: end of stream (length 3, 5 bytes left)";
        QTest::newRow("utf-16 count overflowing") << hex("12 00000080") + QByteArray(8, '\0')
                                                  << "value 1 (PatientName) at byte 0: end of stream (length 2147483648, 8 bytes left)";
        QTest::newRow("short text cut") << hex("06 05 4142")
                                        << "value 1 (PatientName) at byte 0: end of stream";
        QTest::newRow("bad kind") << hex("07") + plain.mid(11)
                                  << "value 1 (PatientName) at byte 0: unexpected kind 7";
        QTest::newRow("text for the date") << plain.left(19) + hex("06 00") + plain.mid(28)
                                           << "value 3 (Birthday) at byte 19: unexpected kind 6";
        QTest::newRow("date for an integer") << plain.left(28) + dateValue(0) + plain.mid(30)
                                             << "value 4 (ReservedNumber) at byte 28: unexpected kind 17";
        QTest::newRow("negative list count") << plain.left(firstListAt) + hex("02 FF") + plain.mid(firstListAt + 2)
                                             << QStringLiteral("value 52 (ReservedLists[0] count) at byte %1: negative count -1").arg(firstListAt);
        QTest::newRow("absurd list count") << plain.left(firstListAt) + hex("04 FFFFFF7F") + plain.mid(firstListAt + 2)
                                           << QStringLiteral("value 52 (ReservedLists[0] count) at byte %1: count 2147483647 is more than the 28 bytes left can hold").arg(firstListAt);
        QTest::newRow("end after the main section") << plain.left(mainSize)
                                                    << QStringLiteral("value 60 (MainDiagnoseICD10) at byte %1: end of stream").arg(mainSize);
        QTest::newRow("cut inside the tail") << full.left(full.size() - 1)
                                             << QStringLiteral("value 66 (DrinkKeepMonth) at byte %1: end of stream").arg(full.size() - 5);
    }
    void brokenStreams()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        TCaseObject c;
        QString message;
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        QVERIFY(!c.ReadFromStream(stream, &message));
        QCOMPARE(message, error);
    }

    void cutInsideDiagnoses()
    {
        const TCaseObject original = fullCase();
        const QByteArray full = original.toBytes();
        const qsizetype cellAt = full.indexOf(QStringLiteral("诊断0-1").toUtf8()) - 5;
        QVERIFY(cellAt > 0);

        TCaseObject c = otherCase();
        QString error;
        QVERIFY(!c.fromBytes(full.left(cellAt + 7), &error));
        QCOMPARE(error, QStringLiteral("value 23 (OutpatientDiagnoses[0][1]) at byte %1: end of stream (length 9, 2 bytes left)").arg(cellAt));
        // Read before the cut...
        QCOMPARE(c.PatientName, original.PatientName);
        QCOMPARE(c.Birthday, original.Birthday);
        QCOMPARE(c.ReservedNumber, original.ReservedNumber);
        QCOMPARE(c.ContactPersonTel, original.ContactPersonTel);
        QCOMPARE(c.OutpatientDiagnoses[0][0], original.OutpatientDiagnoses[0][0]);
        // ...and untouched from the cut on, the tail included.
        const TCaseObject before = otherCase();
        QCOMPARE(c.OutpatientDiagnoses[0][1], before.OutpatientDiagnoses[0][1]);
        QCOMPARE(c.HypersenceDrug, before.HypersenceDrug);
        QCOMPARE(c.ReservedLists, before.ReservedLists);
        QCOMPARE(c.MainDiagnoseICD10, before.MainDiagnoseICD10);
        QCOMPARE(c.SmokeCount, before.SmokeCount);
        QCOMPARE(c.CaseNumber, before.CaseNumber);
    }

    void cutInsideReservedList()
    {
        const TCaseObject original = fullCase();
        const QByteArray full = original.toBytes();
        const qsizetype entryAt = full.indexOf(QStringLiteral("列表3-条目1").toUtf8()) - 5;
        QVERIFY(entryAt > 0);

        TCaseObject c = otherCase();
        QString error;
        QVERIFY(!c.fromBytes(full.left(entryAt + 3), &error));
        QCOMPARE(error, QStringLiteral("value 55 (ReservedLists[3][1]) at byte %1: end of stream").arg(entryAt));
        QCOMPARE(c.ReservedText, original.ReservedText);
        QCOMPARE(c.ReservedLists[2], original.ReservedLists[2]);
        // Emptied before its entries, then filled up to the cut.
        QCOMPARE(c.ReservedLists[3], QStringList{original.ReservedLists[3].first()});
        QCOMPARE(c.ReservedLists[4], otherCase().ReservedLists[4]);
    }

    void mainFailureStillReadsTail()
    {
        TCaseObject original;
        original.MainDiagnoseICD10 = QStringLiteral("J18.9");
        original.SmokeCount = 20;
        const QByteArray stored = original.toBytes();
        const qsizetype tailAt = stored.size() - (7 + 2 + 2 + 4 * 2);
        const qsizetype lastListAt = tailAt - 2;
        QCOMPARE(stored.mid(lastListAt, 2), hex("02 00"));

        TCaseObject c = otherCase();
        QString error;
        QVERIFY(!c.fromBytes(stored.left(lastListAt) + hex("07") + stored.mid(tailAt), &error));
        QCOMPARE(error, QStringLiteral("value 59 (ReservedLists[7] count) at byte %1: unexpected kind 7").arg(lastListAt));
        QCOMPARE(c.ReservedLists[6], QStringList());
        QCOMPARE(c.ReservedLists[7], otherCase().ReservedLists[7]);
        QCOMPARE(c.MainDiagnoseICD10, original.MainDiagnoseICD10);
        QCOMPARE(c.SmokeCount, 20);
    }

    void writeErrors_data()
    {
        QTest::addColumn<bool>("inTail");
        QTest::newRow("main section") << false;
        QTest::newRow("tail") << true;
    }
    void writeErrors()
    {
        QFETCH(bool, inTail);
        const TCaseObject original = fullCase(); // main section larger than one buffer
        const QByteArray stored = original.toBytes();
        const qsizetype tailAt = stored.lastIndexOf(hex("06 05") + "J18.9");
        QVERIFY(tailAt > 4096);

        FailingDevice device;
        device.failAt = inTail ? tailAt : 0;
        device.open(QIODevice::WriteOnly);
        QVERIFY(!original.WriteToStream(device));
        // A failed main section is abandoned, but the tail still goes out.
        QCOMPARE(device.data(), inTail ? stored.left(tailAt) : stored.mid(tailAt));
    }

    void writeToReadOnlyDevice()
    {
        QBuffer readOnly;
        readOnly.open(QIODevice::ReadOnly);
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
        QVERIFY(!TCaseObject().WriteToStream(readOnly));
    }

    void splitPackedText_data()
    {
        const QChar bel(7);
        QTest::addColumn<QString>("packed");
        QTest::addColumn<int>("slotCount");
        QTest::addColumn<QStringList>("pieces");
        const QString abTrailing = QStringLiteral("a") + bel + bel + u'b' + bel;
        QTest::newRow("3 slots") << abTrailing << 3 << QStringList{"a", "", "b"};
        QTest::newRow("2 slots drop b") << abTrailing << 2 << QStringList{"a", ""};
        QTest::newRow("no final BEL") << QStringLiteral("x") + bel + u'y' << 3 << QStringList{"x", "y", ""};
        QTest::newRow("rest dropped") << QStringLiteral("a") + bel + u'b' + bel + u'c' << 2 << QStringList{"a", "b"};
        QTest::newRow("empty") << QString() << 2 << QStringList{"", ""};
        QTest::newRow("only BELs") << QString(4, bel) << 2 << QStringList{"", ""};
        QTest::newRow("no slots") << QStringLiteral("a") << 0 << QStringList();
        QTest::newRow("chinese") << QStringLiteral("青霉素") + bel + QStringLiteral("口服") << 2
                                 << QStringList{"青霉素", "口服"};
    }
    void splitPackedText()
    {
        QFETCH(QString, packed);
        QFETCH(int, slotCount);
        QFETCH(QStringList, pieces);
        QStringList slotList(slotCount, QStringLiteral("stale"));
        TCaseObject::SplitPackedText(packed, slotList);
        QCOMPARE(slotList, pieces);
    }

    void ageText_data()
    {
        QTest::addColumn<qint64>("msBefore"); // birthday this long before now
        QTest::addColumn<QString>("age");
        constexpr qint64 day = 86400000;
        QTest::newRow("now") << qint64(0) << "0天";
        QTest::newRow("almost a day") << day - 1 << "0天";
        QTest::newRow("59 days") << 59 * day << "59天";
        QTest::newRow("60 days") << 60 * day << "2月";
        QTest::newRow("729 days") << 729 * day << "24月";
        QTest::newRow("730 days") << 730 * day << "2岁";
        QTest::newRow("80 years") << (80 * 365 + 20) * day + 5 << "80岁";
        QTest::newRow("future 730 days") << -730 * day << "2岁";
        QTest::newRow("future 59.9 days") << -60 * day + 1 << "59天";
    }
    void ageText()
    {
        QFETCH(qint64, msBefore);
        QFETCH(QString, age);
        const QDateTime now(QDate(2024, 3, 1), QTime(12, 0));
        QCOMPARE(TCaseObject::AgeText(now.addMSecs(-msBefore), now), age);
    }

    void ageTextOfOleDates()
    {
        QCOMPARE(TCaseObject::AgeText(OleDate::today()), QStringLiteral("0天"));
        const double twoYearsAgo = OleDate::fromDateTime(QDateTime::currentDateTime().addDays(-731));
        QCOMPARE(TCaseObject::AgeText(twoYearsAgo), QStringLiteral("2岁"));
        QCOMPARE(TCaseObject::AgeText(std::nan("")), QString());
    }

    void jsonRoundTrip_data()
    {
        QTest::addColumn<TCaseObject>("original");
        QTest::newRow("defaults") << TCaseObject();
        QTest::newRow("every field") << fullCase();
        TCaseObject odd = fullCase();
        odd.ReservedText = QString(QChar(0)) + QStringLiteral("\x1f\"\\/");
        QTest::newRow("control characters") << odd;
        odd.Birthday = 0.1 + 0.2;
        QTest::newRow("inexact fraction") << odd;
        odd.Birthday = 1e300;
        QTest::newRow("huge") << odd;
    }
    void jsonRoundTrip()
    {
        QFETCH(TCaseObject, original);
        const QByteArray json = caseToJson(original);
        TCaseObject back = otherCase();
        QString error;
        QVERIFY2(caseFromJson(json, back, &error), qPrintable(error));
        QCOMPARE(back.toBytes(), original.toBytes());
        QCOMPARE(caseToJson(back), json);
    }

    void jsonShape()
    {
        const QByteArray json = caseToJson(fullCase());
        QVERIFY(json.startsWith("{\n  \"PatientName\": \"张三丰\",\n  \"PatientSex\": \"男\",\n  \"Birthday\": 30000.75,\n"));
        QVERIFY(json.contains("\n  \"SmokeCount\": -1,\n"));
        QVERIFY(!json.contains("CaseNumber"));
        const QJsonObject object = QJsonDocument::fromJson(json).object();
        QCOMPARE(object.size(), 36);
        TCaseObject notFinite;
        notFinite.Birthday = std::numeric_limits<double>::infinity();
        QVERIFY(caseToJson(notFinite).contains("\"Birthday\": null,"));
    }

    void jsonErrors_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::newRow("not json") << QByteArray("{") << "invalid JSON at byte 1: unterminated object";
        QTest::newRow("array") << QByteArray("[]") << "expected a JSON object";
        QTest::newRow("unknown") << QByteArray(R"({"PatientName": "x", "Nmae": 1})") << "unknown field \"Nmae\"";
        QTest::newRow("case number") << QByteArray(R"({"CaseNumber": 1})") << "unknown field \"CaseNumber\"";
        QTest::newRow("text type") << QByteArray(R"({"PatientName": 5})") << "PatientName: expected a string, got the number 5";
        QTest::newRow("birthday type") << QByteArray(R"({"Birthday": "2020-01-01"})") << "Birthday: expected a number, got a string";
        QTest::newRow("fraction") << QByteArray(R"({"SmokeCount": 1.5})") << "SmokeCount: expected a 32-bit integer, got the number 1.5";
        QTest::newRow("out of range") << QByteArray(R"({"ReservedNumber": 2147483648})") << "ReservedNumber: expected a 32-bit integer, got the number 2147483648";
        QTest::newRow("rows") << QByteArray(R"({"OutpatientDiagnoses": [[], [], [], [], []]})")
                              << "OutpatientDiagnoses: expected an array of 6 arrays of 4 strings, got an array of 5 elements";
        QTest::newRow("columns") << QByteArray(R"({"OutpatientDiagnoses": [["","","",""],["","",""],[],[],[],[]]})")
                                 << "OutpatientDiagnoses[1]: expected an array of 4 strings, got an array of 3 elements";
        QTest::newRow("cell") << QByteArray(R"({"OutpatientDiagnoses": [["","","",null],[],[],[],[],[]]})")
                              << "OutpatientDiagnoses[0][3]: expected a string, got null";
        QTest::newRow("lists") << QByteArray(R"({"ReservedLists": {}})")
                               << "ReservedLists: expected an array of 8 arrays of strings, got an object";
        QTest::newRow("list entry") << QByteArray(R"({"ReservedLists": [[],[],["a", true],[],[],[],[],[]]})")
                                    << "ReservedLists[2][1]: expected a string, got a boolean";
    }
    void jsonErrors()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        TCaseObject c = otherCase();
        QString message;
        QVERIFY(!caseFromJson(json, c, &message));
        QCOMPARE(message, error);
        QVERIFY(c == otherCase()); // nothing half-applied
    }

    void jsonKeepsMissingFields()
    {
        TCaseObject c = otherCase();
        QVERIFY(caseFromJson(R"({"PatientName": "王五", "SmokeCount": -3})", c));
        TCaseObject expected = otherCase();
        expected.PatientName = QStringLiteral("王五");
        expected.SmokeCount = -3;
        QVERIFY(c == expected);
    }

    void zyblctlCommands()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString stored = dir.filePath(QStringLiteral("case.bin"));

        QProcess encode;
        encode.start(QStringLiteral(ZYBLCTL_PATH), {QStringLiteral("case-encode")});
        encode.write("{}");
        encode.closeWriteChannel();
        QVERIFY(encode.waitForFinished());
        QCOMPARE(encode.exitStatus(), QProcess::NormalExit);
        QCOMPARE(encode.exitCode(), 0);
        const QByteArray bytes = encode.readAllStandardOutput();
        QCOMPARE(bytes, TCaseObject().toBytes());

        QFile file(stored);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QProcess decode;
        decode.start(QStringLiteral(ZYBLCTL_PATH), {QStringLiteral("case-decode"), stored});
        QVERIFY(decode.waitForFinished());
        QCOMPARE(decode.exitCode(), 0);
        QCOMPARE(decode.readAllStandardOutput(), caseToJson(TCaseObject()) + '\n');
    }

    void zyblctlFailures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stderrStart");
        const QByteArray truncated = TCaseObject().toBytes().chopped(1);
        QTest::newRow("truncated stdin") << QStringList{"case-decode", "-"} << truncated << 2
                                         << "zyblctl case-decode: stdin: value 66 (DrinkKeepMonth) at byte";
        QTest::newRow("garbage") << QStringList{"case-decode", "-"} << QByteArray("\x14\xff\xff\xff\xff") << 2
                                 << "zyblctl case-decode: stdin: value 1 (PatientName) at byte 0: end of stream (length";
        QTest::newRow("missing file") << QStringList{"case-decode", "/nonexistent/case.bin"} << QByteArray() << 1
                                      << "zyblctl case-decode: cannot open /nonexistent/case.bin";
        QTest::newRow("decode usage") << QStringList{"case-decode"} << QByteArray() << 1
                                      << "zyblctl case-decode: usage";
        QTest::newRow("bad json") << QStringList{"case-encode"} << QByteArray("{\"SmokeCount\": \"x\"}") << 2
                                  << "zyblctl case-encode: SmokeCount: expected a 32-bit integer";
        QTest::newRow("multi-line key") << QStringList{"case-encode"} << QByteArray("{\"a\\nb\": 1}") << 2
                                        << "zyblctl case-encode: unknown field";
    }
    void zyblctlFailures()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QString, stderrStart);
        QProcess process;
        process.start(QStringLiteral(ZYBLCTL_PATH), args);
        process.write(input);
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), exitCode);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(err.startsWith(stderrStart), qPrintable(err));
        QCOMPARE(err.count(u'\n'), 1);
        QVERIFY(err.endsWith(u'\n'));
    }

    void zyblctlTruncatedFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cut.bin"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fullCase().toBytes().left(100));
        file.close();
        QProcess process;
        process.start(QStringLiteral(ZYBLCTL_PATH), {QStringLiteral("case-decode"), path});
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 2);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        const QByteArray err = process.readAllStandardError();
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.startsWith("zyblctl case-decode: " + path.toUtf8() + ": value "), err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCaseObject)
#include "tst_caseobject.moc"
