#include "case/caseobject.h"

#include "core/gbk.h"
#include "core/oledate.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>

#include <cstring>
#include <limits>

// Stored form: values back to back, each a kind byte and its payload, all
// numbers little-endian, no header or end marker. Values 1-59 are the main
// section, 60-66 the tail; the order is fixed by the data already stored.

namespace {

enum Kind : quint8 {
    KindInt8 = 2,
    KindInt16 = 3,
    KindInt32 = 4,
    KindShortText = 6,   // 1-byte length, ASCII or GBK bytes
    KindLongText = 12,   // 4-byte length, ASCII or GBK bytes
    KindDouble = 17,
    KindUtf16Text = 18,  // 4-byte count of UTF-16LE units; read only
    KindUtf8Text = 20,   // 4-byte length, UTF-8
};

constexpr int kFirstListValue = 52;
constexpr int kFirstDiagnosisValue = 22;

// Walks the values of one section in stored order. `O` is the case object,
// const for writing; each call of the visitor returns false to stop.
template <class O, class V>
bool visitMain(O &o, V &v)
{
    if (!(v.text(1, o.PatientName) && v.text(2, o.PatientSex) && v.date(3, o.Birthday)
          && v.integer(4, o.ReservedNumber) && v.text(5, o.AgeDisplay) && v.text(6, o.Education)
          && v.text(7, o.Marriage) && v.text(8, o.National) && v.text(9, o.Country)
          && v.text(10, o.NativePlace) && v.text(11, o.Occupation) && v.text(12, o.WorkUnit)
          && v.text(13, o.WokrUnitTel) && v.text(14, o.Address) && v.text(15, o.ContactTel)
          && v.text(16, o.Identity) && v.text(17, o.PostZip) && v.text(18, o.ContactPerson)
          && v.text(19, o.ContactPersonRelation) && v.text(20, o.ContactPersonAddress)
          && v.text(21, o.ContactPersonTel)))
        return false;
    int no = kFirstDiagnosisValue;
    for (auto &row : o.OutpatientDiagnoses)
        for (auto &cell : row)
            if (!v.text(no++, cell))
                return false;
    if (!(v.text(46, o.HypersenceDrug) && v.text(47, o.OlderSickness) && v.text(48, o.BloodType)
          && v.text(49, o.CustomCoding) && v.text(50, o.MainDiagnose) && v.text(51, o.ReservedText)))
        return false;
    no = kFirstListValue;
    for (auto &list : o.ReservedLists)
        if (!v.list(no++, list))
            return false;
    return true;
}

template <class O, class V>
bool visitTail(O &o, V &v)
{
    return v.text(60, o.MainDiagnoseICD10) && v.text(61, o.PersonalCaree)
        && v.text(62, o.FamilyCaree) && v.integer(63, o.SmokeCount) && v.integer(64, o.DrinkCount)
        && v.integer(65, o.SmokeKeepMonth) && v.integer(66, o.DrinkKeepMonth);
}

// Field name of value `no` for messages; `entry` >= 0 names one text of a
// reserved list, -1 the list's count.
QString valueName(int no, int entry = -1)
{
    static const char *const names[] = {
        "PatientName", "PatientSex", "Birthday", "ReservedNumber", "AgeDisplay", "Education",
        "Marriage", "National", "Country", "NativePlace", "Occupation", "WorkUnit",
        "WokrUnitTel", "Address", "ContactTel", "Identity", "PostZip", "ContactPerson",
        "ContactPersonRelation", "ContactPersonAddress", "ContactPersonTel",
    };
    static const char *const later[] = {
        "HypersenceDrug", "OlderSickness", "BloodType", "CustomCoding", "MainDiagnose", "ReservedText",
    };
    static const char *const tail[] = {
        "MainDiagnoseICD10", "PersonalCaree", "FamilyCaree", "SmokeCount", "DrinkCount",
        "SmokeKeepMonth", "DrinkKeepMonth",
    };
    if (no >= 1 && no < kFirstDiagnosisValue)
        return QLatin1String(names[no - 1]);
    if (no >= kFirstDiagnosisValue && no < 46) {
        const int cell = no - kFirstDiagnosisValue;
        return QStringLiteral("OutpatientDiagnoses[%1][%2]").arg(cell / 4).arg(cell % 4);
    }
    if (no >= 46 && no < kFirstListValue)
        return QLatin1String(later[no - 46]);
    if (no >= kFirstListValue && no < 60) {
        const QString list = QStringLiteral("ReservedLists[%1]").arg(no - kFirstListValue);
        return entry < 0 ? list + QStringLiteral(" count") : list + QStringLiteral("[%1]").arg(entry);
    }
    if (no >= 60 && no <= 66)
        return QLatin1String(tail[no - 60]);
    return QStringLiteral("?");
}

bool isAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// A UTF-16 text from the stream may hold unpaired surrogates, which no
// stored form can carry; replacing them now keeps read and write in step.
QString withoutLoneSurrogates(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

class Writer
{
public:
    explicit Writer(QIODevice &device) : m_device(device) { m_buffer.reserve(kBufferSize); }

    bool text(int, const QString &value)
    {
        if (isAscii(value)) {
            const QByteArray bytes = value.toLatin1();
            if (bytes.size() <= 255) {
                putByte(KindShortText);
                putByte(quint8(bytes.size()));
            } else {
                if (!putLength(KindLongText, bytes.size()))
                    return false;
            }
            put(bytes.constData(), bytes.size());
        } else {
            const QByteArray bytes = value.toUtf8();
            if (!putLength(KindUtf8Text, bytes.size()))
                return false;
            put(bytes.constData(), bytes.size());
        }
        return m_ok;
    }

    bool integer(int, qint32 value)
    {
        if (value >= -128 && value <= 127) {
            putByte(KindInt8);
            putByte(quint8(qint8(value)));
        } else if (value >= -32768 && value <= 32767) {
            putByte(KindInt16);
            char le[2];
            qToLittleEndian(qint16(value), le);
            put(le, 2);
        } else {
            putByte(KindInt32);
            char le[4];
            qToLittleEndian(value, le);
            put(le, 4);
        }
        return m_ok;
    }

    bool date(int, double value)
    {
        quint64 bits;
        static_assert(sizeof bits == sizeof value);
        std::memcpy(&bits, &value, sizeof bits);
        char le[8];
        qToLittleEndian(bits, le);
        putByte(KindDouble);
        put(le, 8);
        return m_ok;
    }

    bool list(int no, const QStringList &value)
    {
        if (value.size() > std::numeric_limits<qint32>::max()) {
            flush();
            return m_ok = false;
        }
        if (!integer(no, qint32(value.size())))
            return false;
        for (const QString &entry : value)
            if (!text(no, entry))
                return false;
        return true;
    }

    // Flushes and reports whether everything since the last reset was written.
    bool finish()
    {
        flush();
        const bool ok = m_ok;
        m_ok = true;
        return ok;
    }

private:
    static constexpr qsizetype kBufferSize = 4096;

    bool putLength(quint8 kind, qsizetype length)
    {
        if (length > qsizetype(std::numeric_limits<quint32>::max())) {
            flush(); // the values before it are fine
            return m_ok = false; // no stored length can say it
        }
        putByte(kind);
        char le[4];
        qToLittleEndian(quint32(length), le);
        put(le, 4);
        return true;
    }

    void putByte(quint8 byte) { put(reinterpret_cast<const char *>(&byte), 1); }

    // After a failed write the rest of the section is dropped, so that what
    // reaches the device is whole values up to the failure, then the tail.
    void put(const char *data, qsizetype size)
    {
        if (!m_ok)
            return;
        if (size >= kBufferSize) {
            flush();
            write(data, size);
            return;
        }
        if (m_buffer.size() + size > kBufferSize)
            flush();
        m_buffer.append(data, size);
    }

    void flush()
    {
        if (m_ok && !m_buffer.isEmpty())
            write(m_buffer.constData(), m_buffer.size());
        m_buffer.clear();
    }

    void write(const char *data, qsizetype size)
    {
        if (m_device.write(data, size) != size)
            m_ok = false;
    }

    QIODevice &m_device;
    QByteArray m_buffer;
    bool m_ok = true;
};

class Reader
{
public:
    explicit Reader(const QByteArray &data) : m_data(data) {}

    const QString &error() const { return m_error; }

    bool text(int no, QString &field)
    {
        QString value;
        if (!readText(no, -1, value))
            return false;
        field = std::move(value);
        return true;
    }

    bool integer(int no, qint32 &field)
    {
        m_start = m_pos;
        quint8 kind;
        if (!readKind(no, -1, kind))
            return false;
        if (kind != KindInt8 && kind != KindInt16 && kind != KindInt32)
            return unexpectedKind(no, -1, kind);
        return readIntPayload(no, -1, kind, field);
    }

    bool date(int no, double &field)
    {
        m_start = m_pos;
        quint8 kind;
        if (!readKind(no, -1, kind))
            return false;
        if (kind == KindDouble) {
            const char *p = nullptr;
            if (!take(no, -1, 8, p))
                return false;
            const quint64 bits = qFromLittleEndian<quint64>(p);
            std::memcpy(&field, &bits, sizeof field);
            return true;
        }
        if (kind == KindInt8 || kind == KindInt16 || kind == KindInt32) {
            qint32 days;
            if (!readIntPayload(no, -1, kind, days))
                return false;
            field = days;
            return true;
        }
        return unexpectedKind(no, -1, kind);
    }

    bool list(int no, QStringList &field)
    {
        qint32 count;
        if (!integer(no, count))
            return false;
        if (count < 0)
            return fail(no, -1, QStringLiteral("negative count %1").arg(count));
        // Every entry takes at least two bytes (kind and a length).
        if (count > left() / 2)
            return fail(no, -1, QStringLiteral("count %1 is more than the %2 bytes left can hold")
                                    .arg(count).arg(left()));
        field.clear();
        field.reserve(count);
        for (qint32 i = 0; i < count; ++i) {
            QString entry;
            if (!readText(no, i, entry))
                return false;
            field.append(std::move(entry));
        }
        return true;
    }

private:
    qsizetype left() const { return m_data.size() - m_pos; }

    bool fail(int no, int entry, const QString &why)
    {
        m_error = QStringLiteral("value %1 (%2) at byte %3: %4")
                      .arg(no).arg(valueName(no, entry)).arg(m_start).arg(why);
        return false;
    }

    bool unexpectedKind(int no, int entry, quint8 kind)
    {
        return fail(no, entry, QStringLiteral("unexpected kind %1").arg(kind));
    }

    // On a short stream the remaining bytes count as consumed, as with any
    // stream reader that runs dry.
    bool take(int no, int entry, qsizetype size, const char *&p)
    {
        if (size > left()) {
            m_pos = m_data.size();
            return fail(no, entry, QStringLiteral("end of stream"));
        }
        p = m_data.constData() + m_pos;
        m_pos += size;
        return true;
    }

    bool readKind(int no, int entry, quint8 &kind)
    {
        const char *p = nullptr;
        if (!take(no, entry, 1, p))
            return false;
        kind = quint8(*p);
        return true;
    }

    bool readIntPayload(int no, int entry, quint8 kind, qint32 &value)
    {
        const char *p = nullptr;
        switch (kind) {
        case KindInt8:
            if (!take(no, entry, 1, p))
                return false;
            value = qint8(*p);
            return true;
        case KindInt16:
            if (!take(no, entry, 2, p))
                return false;
            value = qFromLittleEndian<qint16>(p);
            return true;
        default:
            if (!take(no, entry, 4, p))
                return false;
            value = qFromLittleEndian<qint32>(p);
            return true;
        }
    }

    // A length is trusted only as far as the bytes that are left.
    bool readLength(int no, int entry, qsizetype unit, qsizetype &length)
    {
        const char *p = nullptr;
        if (!take(no, entry, 4, p))
            return false;
        const quint32 raw = qFromLittleEndian<quint32>(p);
        if (qsizetype(raw) > left() / unit) {
            const QString why = QStringLiteral("end of stream (length %1, %2 bytes left)")
                                    .arg(raw).arg(left());
            m_pos = m_data.size();
            return fail(no, entry, why);
        }
        length = qsizetype(raw);
        return true;
    }

    bool readText(int no, int entry, QString &value)
    {
        m_start = m_pos;
        quint8 kind;
        if (!readKind(no, entry, kind))
            return false;
        qsizetype length;
        const char *p = nullptr;
        switch (kind) {
        case KindShortText:
            if (!take(no, entry, 1, p))
                return false;
            length = quint8(*p);
            break;
        case KindLongText:
        case KindUtf8Text:
            if (!readLength(no, entry, 1, length))
                return false;
            break;
        case KindUtf16Text:
            if (!readLength(no, entry, 2, length))
                return false;
            length *= 2;
            break;
        default:
            return unexpectedKind(no, entry, kind);
        }
        if (!take(no, entry, length, p))
            return false;
        const QByteArray bytes = QByteArray::fromRawData(p, length);
        switch (kind) {
        case KindUtf8Text:
            value = QString::fromUtf8(bytes);
            break;
        case KindUtf16Text: {
            QString units(length / 2, Qt::Uninitialized);
            for (qsizetype i = 0; i < units.size(); ++i)
                units[i] = QChar(qFromLittleEndian<quint16>(p + 2 * i));
            value = withoutLoneSurrogates(std::move(units));
            break;
        }
        default: {
            bool ascii = true;
            for (char c : bytes)
                ascii = ascii && quint8(c) < 0x80;
            value = ascii ? QString::fromLatin1(bytes) : Gbk::toUnicode(bytes);
            break;
        }
        }
        return true;
    }

    const QByteArray m_data;
    qsizetype m_pos = 0;
    qsizetype m_start = 0; // where the value being read began
    QString m_error;
};

} // namespace

TCaseObject::TCaseObject()
    : PatientName(QStringLiteral("姓名")),
      PatientSex(QStringLiteral("女")),
      Birthday(OleDate::today()),
      Education(QStringLiteral("中学")),
      Marriage(QStringLiteral("已婚")),
      National(QStringLiteral("汉族")),
      Country(QStringLiteral("中国")),
      Occupation(QStringLiteral("居民")),
      HypersenceDrug(QStringLiteral("否认药物过敏史")),
      OlderSickness(QStringLiteral("否认即往病史")),
      BloodType(QStringLiteral("未查"))
{
}

bool TCaseObject::WriteToStream(QIODevice &stream) const
{
    stream.seek(0);
    Writer writer(stream);
    visitMain(*this, writer);
    const bool mainOk = writer.finish();
    visitTail(*this, writer);
    const bool tailOk = writer.finish();
    return mainOk && tailOk;
}

bool TCaseObject::ReadFromStream(QIODevice &stream, QString *error)
{
    if (!stream.isSequential())
        stream.seek(0);
    return fromBytes(stream.readAll(), error);
}

QByteArray TCaseObject::toBytes() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteToStream(buffer);
    return bytes;
}

bool TCaseObject::fromBytes(const QByteArray &bytes, QString *error)
{
    Reader reader(bytes);
    const bool mainOk = visitMain(*this, reader);
    // The main section's failure is the one to report; the tail is still
    // read, as from any stream, from wherever the reading stopped.
    const QString mainError = reader.error();
    const bool tailOk = visitTail(*this, reader);
    if (error)
        *error = !mainOk ? mainError : !tailOk ? reader.error() : QString();
    return mainOk && tailOk;
}

void TCaseObject::SplitPackedText(const QString &packed, QStringList &slotList)
{
    for (QString &slot : slotList)
        slot.clear();
    const qsizetype count = slotList.size();
    qsizetype index = 0;
    qsizetype from = 0;
    while (index < count) {
        const qsizetype bel = packed.indexOf(QChar(7), from);
        slotList[index] = packed.mid(from, bel < 0 ? -1 : bel - from);
        if (bel < 0)
            break;
        from = bel + 1;
        ++index;
    }
}

QString TCaseObject::AgeText(double birthdayOle)
{
    return AgeText(OleDate::toDateTime(birthdayOle), QDateTime::currentDateTime());
}

QString TCaseObject::AgeText(const QDateTime &birthday, const QDateTime &now)
{
    if (!birthday.isValid() || !now.isValid())
        return QString();
    // Wall-clock difference: a birthday is a calendar moment, so a daylight
    // saving change in between must not cost a day.
    constexpr qint64 msPerDay = 86400000;
    const qint64 ms = birthday.date().daysTo(now.date()) * msPerDay
        + birthday.time().msecsTo(now.time());
    const qint64 days = (ms < 0 ? -ms : ms) / msPerDay;
    if (days >= 730)
        return QString::number(days / 365) + QStringLiteral("岁");
    if (days >= 60)
        return QString::number(days / 30) + QStringLiteral("月");
    return QString::number(days) + QStringLiteral("天");
}
