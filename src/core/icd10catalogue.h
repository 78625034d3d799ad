#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The ICD-10 diagnosis catalogue as a text file: "code,name" lines, the one
// built into the program and the ones hospitals bring along.
namespace Icd10Catalogue {

struct Entry {
    QString code;
    QString name;
};

struct Skip {
    int line = 0; // 1-based line of the file
    QString reason;
};

struct Parsed {
    QList<Entry> entries; // in file order, first of each code
    QList<Skip> skipped;
};

// Valid UTF-8 (with or without BOM) is UTF-8; anything else is taken as GBK,
// the other form hospitals' spreadsheets export.
QString decode(const QByteArray &bytes);

// Letter, two digits, optionally "." and more digits or letters (the clinical
// editions' "I10.x00"), optionally one dagger or asterisk mark at the end.
bool isCodeShaped(const QString &code);

// One entry per line "code,name"; fields may be double-quoted ("" inside
// quotes is a quote). A first line whose code field holds no digit is a
// header. Blank lines are ignored; every other line that cannot be stored is
// skipped with its reason; a repeated code keeps its first line.
Parsed parse(const QByteArray &bytes);

// The catalogue built into the program (data/icd10.csv).
QByteArray embedded();

} // namespace Icd10Catalogue
