#include "core/icd10catalogue.h"

#include "core/gbk.h"
#include "core/schema.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

namespace {

// Splits one line into fields; false on an unterminated quote.
bool splitFields(const QString &line, QStringList *fields)
{
    fields->clear();
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char(',')) {
            *fields << field;
            field.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('"') && !wasQuoted && field.trimmed().isEmpty()) {
            field.clear(); // blanks before an opening quote are not part of the value
            quoted = true;
            wasQuoted = true;
        } else {
            field += c;
        }
    }
    *fields << field;
    return !quoted;
}

int columnLimit(const char *column)
{
    return Schema::maxLength(QString::fromLatin1(Schema::icd10Table().name), QString::fromLatin1(column));
}

} // namespace

namespace Icd10Catalogue {

QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    return Gbk::toUnicode(bytes);
}

bool isCodeShaped(const QString &code)
{
    static const QRegularExpression shape(QStringLiteral("^[A-Z][0-9]{2}(\\.[0-9A-Za-z]+)?[+*\\x{2020}]?$"));
    return shape.match(code).hasMatch();
}

Parsed parse(const QByteArray &bytes)
{
    const int codeLimit = columnLimit("BM");
    const int nameLimit = columnLimit("MC");
    Parsed result;
    QHash<QString, int> firstLine;
    bool headerChecked = false;
    const QStringList lines = decode(bytes).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = int(i) + 1;
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const auto skip = [&](const QString &reason) { result.skipped.append({lineNo, reason}); };
        QStringList fields;
        if (!splitFields(line, &fields)) {
            skip(QStringLiteral("unterminated quote"));
            continue;
        }
        const QString code = fields.value(0).trimmed();
        const QString name = fields.value(1).trimmed();
        if (!headerChecked) {
            headerChecked = true;
            static const QRegularExpression digit(QStringLiteral("[0-9]"));
            if (!code.contains(digit))
                continue;
        }
        if (fields.size() > 2)
            skip(QStringLiteral("more than two fields (quote a name that contains a comma)"));
        else if (code.isEmpty())
            skip(QStringLiteral("missing code"));
        else if (name.isEmpty())
            skip(QStringLiteral("missing name"));
        else if (code.size() > codeLimit)
            skip(QStringLiteral("code longer than %1 characters").arg(codeLimit));
        else if (!isCodeShaped(code))
            skip(QStringLiteral("not an ICD-10 code: %1").arg(code));
        else if (name.size() > nameLimit)
            skip(QStringLiteral("name longer than %1 characters").arg(nameLimit));
        else if (firstLine.contains(code))
            skip(QStringLiteral("duplicate code %1 (first on line %2)").arg(code).arg(firstLine.value(code)));
        else {
            firstLine.insert(code, lineNo);
            result.entries.append({code, name});
        }
    }
    return result;
}

QByteArray embedded()
{
    QFile file(QStringLiteral(":/data/icd10.csv"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace Icd10Catalogue
