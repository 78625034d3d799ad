#include "app/casejson.h"

#include "case/caseobject.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLocale>
#include <QSet>

#include <cmath>

namespace {

// The fields in declaration order; the printer and the parser both walk this.
template <class O, class V>
void visitFields(O &o, V &v)
{
    v.text("PatientName", o.PatientName);
    v.text("PatientSex", o.PatientSex);
    v.date("Birthday", o.Birthday);
    v.text("AgeDisplay", o.AgeDisplay);
    v.text("Education", o.Education);
    v.text("Marriage", o.Marriage);
    v.text("National", o.National);
    v.text("Country", o.Country);
    v.text("NativePlace", o.NativePlace);
    v.text("Occupation", o.Occupation);
    v.text("WorkUnit", o.WorkUnit);
    v.text("WokrUnitTel", o.WokrUnitTel);
    v.text("Address", o.Address);
    v.text("ContactTel", o.ContactTel);
    v.text("Identity", o.Identity);
    v.text("PostZip", o.PostZip);
    v.text("ContactPerson", o.ContactPerson);
    v.text("ContactPersonRelation", o.ContactPersonRelation);
    v.text("ContactPersonAddress", o.ContactPersonAddress);
    v.text("ContactPersonTel", o.ContactPersonTel);
    v.diagnoses("OutpatientDiagnoses", o.OutpatientDiagnoses);
    v.text("HypersenceDrug", o.HypersenceDrug);
    v.text("OlderSickness", o.OlderSickness);
    v.text("BloodType", o.BloodType);
    v.text("CustomCoding", o.CustomCoding);
    v.text("MainDiagnose", o.MainDiagnose);
    v.text("MainDiagnoseICD10", o.MainDiagnoseICD10);
    v.text("PersonalCaree", o.PersonalCaree);
    v.text("FamilyCaree", o.FamilyCaree);
    v.integer("SmokeCount", o.SmokeCount);
    v.integer("DrinkCount", o.DrinkCount);
    v.integer("SmokeKeepMonth", o.SmokeKeepMonth);
    v.integer("DrinkKeepMonth", o.DrinkKeepMonth);
    v.text("ReservedText", o.ReservedText);
    v.integer("ReservedNumber", o.ReservedNumber);
    v.lists("ReservedLists", o.ReservedLists);
}

using Diagnoses = decltype(TCaseObject::OutpatientDiagnoses);
using Lists = decltype(TCaseObject::ReservedLists);

class Printer
{
public:
    QByteArray result() const { return m_out + "\n}"; }

    void text(const char *name, const QString &value)
    {
        key(name);
        string(value);
    }

    void date(const char *name, double value)
    {
        key(name);
        if (!std::isfinite(value)) {
            m_out += "null";
        } else {
            // Shortest text that reads back as the same double.
            m_out += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
        }
    }

    void integer(const char *name, qint32 value)
    {
        key(name);
        m_out += QByteArray::number(value);
    }

    void diagnoses(const char *name, const Diagnoses &rows)
    {
        key(name);
        m_out += '[';
        for (size_t r = 0; r < rows.size(); ++r) {
            m_out += r ? ",\n    [" : "\n    [";
            for (size_t c = 0; c < rows[r].size(); ++c) {
                if (c)
                    m_out += ", ";
                string(rows[r][c]);
            }
            m_out += ']';
        }
        m_out += "\n  ]";
    }

    void lists(const char *name, const Lists &lists)
    {
        key(name);
        m_out += '[';
        for (size_t l = 0; l < lists.size(); ++l) {
            m_out += l ? ",\n    [" : "\n    [";
            for (qsizetype i = 0; i < lists[l].size(); ++i) {
                if (i)
                    m_out += ", ";
                string(lists[l][i]);
            }
            m_out += ']';
        }
        m_out += "\n  ]";
    }

private:
    void key(const char *name)
    {
        m_out += m_out.isEmpty() ? "{\n  \"" : ",\n  \"";
        m_out += name;
        m_out += "\": ";
    }

    void string(const QString &value)
    {
        static const char hex[] = "0123456789abcdef";
        m_out += '"';
        for (char c : value.toUtf8()) {
            switch (c) {
            case '"': m_out += "\\\""; break;
            case '\\': m_out += "\\\\"; break;
            case '\b': m_out += "\\b"; break;
            case '\f': m_out += "\\f"; break;
            case '\n': m_out += "\\n"; break;
            case '\r': m_out += "\\r"; break;
            case '\t': m_out += "\\t"; break;
            default:
                if (uchar(c) < 0x20) {
                    m_out += "\\u00";
                    m_out += hex[uchar(c) >> 4];
                    m_out += hex[uchar(c) & 0xf];
                } else {
                    m_out += c;
                }
            }
        }
        m_out += '"';
    }

    QByteArray m_out;
};

// Reads the named fields from a JSON object; stops at the first error.
class Parser
{
public:
    explicit Parser(const QJsonObject &object) : m_object(object) {}

    const QString &error() const { return m_error; }
    const QSet<QString> &known() const { return m_known; }

    void text(const char *name, QString &field)
    {
        QJsonValue value;
        if (!find(name, value))
            return;
        if (!value.isString())
            return fail(QLatin1String(name), value, "a string");
        field = value.toString();
    }

    void date(const char *name, double &field)
    {
        QJsonValue value;
        if (!find(name, value))
            return;
        if (value.isNull()) // how a birthday that is not a finite number prints
            field = std::nan("");
        else if (value.isDouble())
            field = value.toDouble();
        else
            fail(QLatin1String(name), value, "a number");
    }

    void integer(const char *name, qint32 &field)
    {
        QJsonValue value;
        if (!find(name, value))
            return;
        const double d = value.toDouble();
        if (!value.isDouble() || d != std::trunc(d) || d < -2147483648.0 || d > 2147483647.0)
            return fail(QLatin1String(name), value, "a 32-bit integer");
        field = qint32(d);
    }

    void diagnoses(const char *name, Diagnoses &rows)
    {
        QJsonValue value;
        if (!find(name, value))
            return;
        const qsizetype rowCount = qsizetype(rows.size());
        const qsizetype columnCount = qsizetype(rows[0].size());
        const QString shape = QStringLiteral("an array of %1 arrays of %2 strings")
                                  .arg(rowCount).arg(columnCount);
        if (!value.isArray() || value.toArray().size() != rowCount)
            return fail(QLatin1String(name), value, shape);
        const QJsonArray array = value.toArray();
        Diagnoses parsed;
        for (qsizetype r = 0; r < rowCount; ++r) {
            const QString rowName = QStringLiteral("%1[%2]").arg(QLatin1String(name)).arg(r);
            if (!array[r].isArray() || array[r].toArray().size() != columnCount)
                return fail(rowName, array[r], QStringLiteral("an array of %1 strings").arg(columnCount));
            const QJsonArray row = array[r].toArray();
            for (qsizetype c = 0; c < columnCount; ++c) {
                if (!row[c].isString())
                    return fail(QStringLiteral("%1[%2]").arg(rowName).arg(c), row[c], "a string");
                parsed[r][c] = row[c].toString();
            }
        }
        rows = std::move(parsed);
    }

    void lists(const char *name, Lists &lists)
    {
        QJsonValue value;
        if (!find(name, value))
            return;
        const qsizetype listCount = qsizetype(lists.size());
        if (!value.isArray() || value.toArray().size() != listCount)
            return fail(QLatin1String(name), value,
                        QStringLiteral("an array of %1 arrays of strings").arg(listCount));
        const QJsonArray array = value.toArray();
        Lists parsed;
        for (qsizetype l = 0; l < listCount; ++l) {
            const QString listName = QStringLiteral("%1[%2]").arg(QLatin1String(name)).arg(l);
            if (!array[l].isArray())
                return fail(listName, array[l], "an array of strings");
            const QJsonArray list = array[l].toArray();
            for (qsizetype i = 0; i < list.size(); ++i) {
                if (!list[i].isString())
                    return fail(QStringLiteral("%1[%2]").arg(listName).arg(i), list[i], "a string");
                parsed[l].append(list[i].toString());
            }
        }
        lists = std::move(parsed);
    }

private:
    bool find(const char *name, QJsonValue &value)
    {
        const QString key = QLatin1String(name);
        m_known.insert(key);
        if (!m_error.isEmpty())
            return false;
        const auto it = m_object.constFind(key);
        if (it == m_object.constEnd())
            return false;
        value = it.value();
        return true;
    }

    static const char *typeName(const QJsonValue &value)
    {
        switch (value.type()) {
        case QJsonValue::Null: return "null";
        case QJsonValue::Bool: return "a boolean";
        case QJsonValue::Double: return "a number";
        case QJsonValue::String: return "a string";
        case QJsonValue::Array: return "an array";
        case QJsonValue::Object: return "an object";
        default: return "nothing";
        }
    }

    void fail(const QString &where, const QJsonValue &value, const QString &expected)
    {
        QString got = QLatin1String(typeName(value));
        if (value.isArray())
            got = QStringLiteral("an array of %1 elements").arg(value.toArray().size());
        else if (value.isDouble())
            got = QStringLiteral("the number %1").arg(value.toDouble(), 0, 'g', 17);
        m_error = QStringLiteral("%1: expected %2, got %3").arg(where, expected, got);
    }

    void fail(const QString &where, const QJsonValue &value, const char *expected)
    {
        fail(where, value, QString::fromLatin1(expected));
    }

    const QJsonObject m_object;
    QSet<QString> m_known;
    QString m_error;
};

// A name as JSON would write it, so that a message stays on one line.
QString quoted(const QString &name)
{
    QString out = QStringLiteral("\"");
    for (QChar c : name) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + u'"';
}

} // namespace

QByteArray caseToJson(const TCaseObject &caseObject)
{
    Printer printer;
    visitFields(caseObject, printer);
    return printer.result();
}

bool caseFromJson(const QByteArray &json, TCaseObject &caseObject, QString *error)
{
    auto failed = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return failed(QStringLiteral("invalid JSON at byte %1: %2")
                          .arg(parseError.offset).arg(parseError.errorString()));
    if (!document.isObject())
        return failed(QStringLiteral("expected a JSON object"));

    // Parse into a copy so that a failure leaves the caller's object intact.
    TCaseObject parsed = caseObject;
    Parser parser(document.object());
    visitFields(parsed, parser);
    const QStringList keys = document.object().keys();
    for (const QString &key : keys)
        if (!parser.known().contains(key))
            return failed(QStringLiteral("unknown field %1").arg(quoted(key)));
    if (!parser.error().isEmpty())
        return failed(parser.error());

    caseObject = std::move(parsed);
    if (error)
        error->clear();
    return true;
}
