#pragma once

#include <QSqlDatabase>
#include <QString>

class TCaseObject;

// Loading, saving and sealing cases. A case is selected by its PatientID
// text. Every operation reports failure as false and never shows a message:
// its caller words it. Sealing and saving are single conditional statements
// whose affected row count decides, so workstations cannot race each other.
class CaseStore
{
public:
    explicit CaseStore(const QSqlDatabase &db) : m_db(db) {}

    // Fills `caseObject` from a case that exists and is not sealed. A stored
    // form that does not read completely fails the load, so that a half-read
    // case can never be saved over the good one.
    bool LoadCase(const QString &caseNumber, TCaseObject &caseObject, QString *error = nullptr);

    // Writes the case object and its searchable copies into a case that
    // exists and is not sealed.
    bool SaveCase(const QString &caseNumber, const TCaseObject &caseObject);

    // The same, into a case that `userSN` holds sealed (the case window's save,
    // which never lets go of its seal).
    bool SaveSealedCase(int userSN, const QString &caseNumber, const TCaseObject &caseObject);

    // Seals a free case under `userSN`.
    bool LockCase(int userSN, const QString &caseNumber);
    // Unseals a case that `userSN` sealed.
    bool UnlockCase(int userSN, const QString &caseNumber);
    bool IsCaseLocked(const QString &caseNumber);

    // Codes of the searchable columns; 0 for any other text.
    static int DiplomaCode(const QString &education);
    static int MarryCode(const QString &marriage);
    static int BloodTypeCode(const QString &bloodType);

private:
    bool save(const QString &condition, int userSN, const QString &caseNumber, const TCaseObject &caseObject);

    QSqlDatabase m_db;
};
