#pragma once

#include "core/datalink.h"
#include "core/usersecurity.h"

#include <QImage>
#include <QObject>
#include <QSqlDatabase>
#include <memory>

// Owns the two connections and the services every screen shares. There is one
// instance while the program runs; screens reach it through instance().
class Tm_CaseDataModule : public QObject
{
    Q_OBJECT

public:
    inline static const QString kIcd10File = QStringLiteral("ZYBLBMKLib.db");

    // Opens the main database named by ZYDataLink.udl in `workingDir` (or the
    // embedded zybl.db there, created on first start) and the diagnosis
    // library, creating or upgrading schemas as needed. nullptr with one clear
    // message in `error` when either cannot be opened.
    static std::unique_ptr<Tm_CaseDataModule> create(const QString &workingDir, QString *error);

    ~Tm_CaseDataModule() override;

    static Tm_CaseDataModule *instance();
    // The databases of the running data module for the screens' stores; without
    // one an invalid handle, on which every statement fails.
    static QSqlDatabase currentMainDb();
    static QSqlDatabase currentIcd10Db();

    QSqlDatabase mainDb() const;     // every table but the ICD-10 catalogue
    QSqlDatabase icd10Db() const;    // the read-only diagnosis library
    Dialect dialect() const { return m_config.dialect; }
    const DbConfig &config() const { return m_config; }
    QString workingDir() const { return m_workingDir; }

    // Shared services.
    // The next serial number of a kind 0..8 (cases, Western drugs, herbs,
    // formulas, prescriptions, outpatient visits, check notes, examination
    // sheets, fee batches); -1 on failure or for any other kind.
    int GetNextSN(int kind);
    QString GetUserNameBySN(int userSN);
    QString GetSectionNameBySN(int sectionSN);
    // The user's photograph into `picture`: true when decoded; an empty or
    // undecodable picture clears it and gives false; no such user leaves it alone.
    bool LoadUserPicture(const QString &userSN, QImage *picture);
    bool AddUsageTemplate(const QString &name, const QString &usage, const QString &advice);
    void DeleteUsageTemplate(int recordSN);
    // Appends a login (flag 1) or logout (flag 0) row to the login log;
    // nothing without a record.
    void WriteLoginoutRecord(const CUserSecurityData *user, int flag);
    // Display text of a case's sealer ("无", "管理员" or the user's name).
    QString LockOwnerText(int lockOwnerSN);

    // The steps of create(), for zyblctl.
    // Which database the working directory names: the data-link file's, else the embedded default.
    static DataLink resolveMain(const QString &workingDir, const QString &udlPath = QString());
    // Opens (creating the embedded default when allowed) and brings the schema up to date.
    static bool openMain(const DbConfig &config, const QString &connectionName, bool mayCreate,
                         QString *error, bool *changed = nullptr);
    // Creates the library file and its table when missing, filled from the built-in
    // catalogue, then opens it read-only. `fillEmpty` also fills an existing empty
    // table (zyblctl init); the program itself writes only a library it creates.
    static bool openIcd10(const QString &workingDir, const QString &connectionName, QString *error,
                          bool *changed = nullptr, bool fillEmpty = false);

private:
    Tm_CaseDataModule(const QString &workingDir, const DbConfig &config);

    QString m_workingDir;
    DbConfig m_config;
    QString m_mainName;
    QString m_icd10Name;
};
