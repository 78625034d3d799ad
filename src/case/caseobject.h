#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>

class QIODevice;

// One inpatient case in memory: everything the front page shows. Its stored
// form (the CaseData blob) is a flat run of tagged values, see caseobject.cpp.
// Field names are kept as the stored data and the other modules know them,
// misspellings included.
class TCaseObject
{
public:
    TCaseObject();

    // Set by whoever loads or creates the case; not part of the stored form.
    qint32 CaseNumber = 0;

    QString PatientName;
    QString PatientSex;
    double Birthday; // OLE date: days since 1899-12-30, fraction is the time
    QString AgeDisplay;
    QString Education;
    QString Marriage;
    QString National;
    QString Country;
    QString NativePlace;
    QString Occupation;
    QString WorkUnit;
    QString WokrUnitTel;
    QString Address;
    QString ContactTel;
    QString Identity;
    QString PostZip;
    QString ContactPerson;
    QString ContactPersonRelation;
    QString ContactPersonAddress;
    QString ContactPersonTel;
    // Rows of earlier outpatient diagnoses; columns: conclusion, first-visit
    // date as text, ICD-10 code, remarks.
    std::array<std::array<QString, 4>, 6> OutpatientDiagnoses;
    QString HypersenceDrug;
    QString OlderSickness;
    QString BloodType;
    QString CustomCoding;
    QString MainDiagnose;
    QString MainDiagnoseICD10;
    QString PersonalCaree;
    QString FamilyCaree;
    qint32 SmokeCount = 0;
    qint32 DrinkCount = 0;
    qint32 SmokeKeepMonth = 0;
    qint32 DrinkKeepMonth = 0;
    // Nothing in the program uses these; they are kept so that whatever a
    // stored case holds in them is written back unchanged.
    QString ReservedText;
    qint32 ReservedNumber = 0;
    std::array<QStringList, 8> ReservedLists;

    // Seeks to 0 and writes the stored form. Returns false when writing the
    // main section failed; the tail section is written in any case. A failure
    // writing the tail also gives false.
    bool WriteToStream(QIODevice &stream) const;

    // Seeks to 0 (when the device can) and reads the stored form. Every value
    // lands in its field as soon as it is read, so after a failure the fields
    // before the failing value hold stored values and the rest keep theirs.
    // After a failure in the main section the tail is still read. Returns true
    // only when both sections read completely; otherwise `error` tells which
    // value failed, at which byte and why.
    bool ReadFromStream(QIODevice &stream, QString *error = nullptr);

    QByteArray toBytes() const;
    bool fromBytes(const QByteArray &bytes, QString *error = nullptr);

    // Empties every slot, then fills them from the BEL-separated pieces of
    // `packed`. The list keeps its size; pieces beyond the last slot are dropped.
    static void SplitPackedText(const QString &packed, QStringList &slotList);

    // Age as shown to users: "N岁" from two years on, "N月" from 60 days on,
    // else "N天". The day count is the whole days between the two moments,
    // without sign. An invalid date gives an empty text.
    static QString AgeText(double birthdayOle);
    static QString AgeText(const QDateTime &birthday, const QDateTime &now);

    bool operator==(const TCaseObject &other) const = default;
};
