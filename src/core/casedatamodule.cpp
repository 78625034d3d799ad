#include "core/casedatamodule.h"

#include "core/corestore.h"
#include "core/database.h"
#include "core/fieldtext.h"
#include "core/icd10catalogue.h"
#include "core/icd10store.h"
#include "core/jpegcodec.h"
#include "core/loginstore.h"
#include "core/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

Tm_CaseDataModule *g_instance = nullptr;
int g_generation = 0;

void removeSqliteFiles(const QString &file)
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(file + suffix);
}

} // namespace

Tm_CaseDataModule::Tm_CaseDataModule(const QString &workingDir, const DbConfig &config)
    : m_workingDir(workingDir), m_config(config)
{
    ++g_generation;
    m_mainName = QStringLiteral("zybl_main_%1").arg(g_generation);
    m_icd10Name = QStringLiteral("zybl_icd10_%1").arg(g_generation);
}

Tm_CaseDataModule::~Tm_CaseDataModule()
{
    Db::close(m_mainName);
    Db::close(m_icd10Name);
    if (g_instance == this)
        g_instance = nullptr;
}

Tm_CaseDataModule *Tm_CaseDataModule::instance()
{
    return g_instance;
}

QSqlDatabase Tm_CaseDataModule::mainDb() const
{
    return QSqlDatabase::database(m_mainName, false);
}

QSqlDatabase Tm_CaseDataModule::currentMainDb()
{
    Tm_CaseDataModule *dm = instance();
    return dm ? dm->mainDb() : QSqlDatabase();
}

QSqlDatabase Tm_CaseDataModule::currentIcd10Db()
{
    Tm_CaseDataModule *dm = instance();
    return dm ? dm->icd10Db() : QSqlDatabase();
}

QSqlDatabase Tm_CaseDataModule::icd10Db() const
{
    return QSqlDatabase::database(m_icd10Name, false);
}

DataLink Tm_CaseDataModule::resolveMain(const QString &workingDir, const QString &udlPath)
{
    const QString udl = udlPath.isEmpty() ? QDir(workingDir).absoluteFilePath(DataLinkFile::kFileName) : udlPath;
    if (!udlPath.isEmpty() || QFileInfo::exists(udl))
        return DataLinkFile::read(udl);
    DataLink link;
    link.ok = true;
    link.config = DataLinkFile::embeddedDefault(workingDir);
    return link;
}

bool Tm_CaseDataModule::openMain(const DbConfig &config, const QString &connectionName, bool mayCreate,
                                 QString *error, bool *changed)
{
    const bool isNewFile = config.dialect == Dialect::SQLite && !QFileInfo::exists(config.file);
    if (isNewFile && !mayCreate) {
        // Let Db::open say that the file is missing.
        return Db::open(config, connectionName, Db::OpenMode::ReadWrite, error);
    }
    const auto mode = isNewFile ? Db::OpenMode::CreateReadWrite : Db::OpenMode::ReadWrite;
    if (!Db::open(config, connectionName, mode, error))
        return false;
    QString why;
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        ok = Schema::ensureMain(db, &why, changed);
    }
    if (ok)
        return true;
    Db::close(connectionName);
    if (isNewFile)
        removeSqliteFiles(config.file); // never leave a half-created database behind
    if (error)
        *error = QStringLiteral("无法建立或升级%1的表结构: %2").arg(config.describe(), why);
    return false;
}

bool Tm_CaseDataModule::openIcd10(const QString &workingDir, const QString &connectionName, QString *error,
                                  bool *changed, bool fillEmpty)
{
    DbConfig config;
    config.dialect = Dialect::SQLite;
    config.file = QDir(workingDir).absoluteFilePath(kIcd10File);
    if (changed)
        *changed = false;

    // Create or complete the library with a short read-write connection first.
    const bool isNewFile = !QFileInfo::exists(config.file);
    {
        const QString probeName = connectionName + QStringLiteral("_setup");
        if (!Db::open(config, probeName, isNewFile ? Db::OpenMode::CreateReadWrite : Db::OpenMode::ReadOnly, error))
            return false;
        bool hasTable = false;
        bool isEmpty = false;
        {
            QSqlDatabase db = QSqlDatabase::database(probeName, false);
            hasTable = Schema::tableExists(db, QStringLiteral("BMK_Icd10"));
            isEmpty = hasTable && fillEmpty && Icd10Store(db).count() == 0;
        }
        if (!hasTable || isEmpty) {
            Db::close(probeName);
            if (!Db::open(config, probeName, Db::OpenMode::CreateReadWrite, error))
                return false;
            QString why;
            bool ok = false;
            bool wrote = false;
            {
                QSqlDatabase rw = QSqlDatabase::database(probeName, false);
                bool created = false;
                ok = Schema::ensureIcd10(rw, &why, &created);
                // Only the workstation that created the table fills it; an empty one is
                // checked again under the write connection.
                if (ok && (created || (fillEmpty && Icd10Store(rw).count() == 0))) {
                    const Icd10Catalogue::Parsed catalogue = Icd10Catalogue::parse(Icd10Catalogue::embedded());
                    ok = !catalogue.entries.isEmpty() && Icd10Store(rw).replaceAll(catalogue.entries, &why);
                    if (catalogue.entries.isEmpty())
                        why = QStringLiteral("程序内置的诊断编码目录为空");
                    wrote = ok;
                }
                wrote = wrote || created;
                // A library is read by everyone and written rarely: keep the plain journal.
                if (ok)
                    Db::exec(rw, QStringLiteral("PRAGMA journal_mode=DELETE"), nullptr);
            }
            if (!ok) {
                Db::close(probeName);
                if (isNewFile)
                    removeSqliteFiles(config.file);
                if (error)
                    *error = QStringLiteral("无法建立诊断编码库“%1”: %2").arg(QDir::toNativeSeparators(config.file), why);
                return false;
            }
            if (changed)
                *changed = wrote;
        }
        Db::close(probeName);
    }
    return Db::open(config, connectionName, Db::OpenMode::ReadOnly, error);
}

std::unique_ptr<Tm_CaseDataModule> Tm_CaseDataModule::create(const QString &workingDir, QString *error)
{
    const DataLink link = resolveMain(workingDir);
    if (!link.ok) {
        if (error)
            *error = link.error;
        return nullptr;
    }
    // Only the embedded default is created; a file named by a data-link file must exist,
    // so that a mistyped path never starts an empty database beside the real one.
    const bool embedded = !QFileInfo::exists(QDir(workingDir).absoluteFilePath(DataLinkFile::kFileName));
    std::unique_ptr<Tm_CaseDataModule> module(new Tm_CaseDataModule(workingDir, link.config));
    if (!openMain(link.config, module->m_mainName, embedded, error))
        return nullptr;
    if (!openIcd10(workingDir, module->m_icd10Name, error))
        return nullptr;
    g_instance = module.get();
    return module;
}

int Tm_CaseDataModule::GetNextSN(int kind)
{
    return CoreStore(mainDb()).nextSN(kind);
}

QString Tm_CaseDataModule::GetUserNameBySN(int userSN)
{
    return CoreStore(mainDb()).userName(userSN);
}

QString Tm_CaseDataModule::GetSectionNameBySN(int sectionSN)
{
    return CoreStore(mainDb()).sectionName(sectionSN);
}

bool Tm_CaseDataModule::LoadUserPicture(const QString &userSN, QImage *picture)
{
    bool isNumber = false;
    const int key = userSN.trimmed().toInt(&isNumber);
    if (!isNumber || !picture)
        return false;
    QByteArray bytes;
    if (CoreStore(mainDb()).userPicture(key, &bytes) != CoreStore::Found::Yes)
        return false;
    QImage decoded;
    if (bytes.isEmpty() || !JpegCodec::decode(bytes, &decoded)) {
        *picture = QImage();
        return false;
    }
    *picture = decoded;
    return true;
}

bool Tm_CaseDataModule::AddUsageTemplate(const QString &name, const QString &usage, const QString &advice)
{
    return CoreStore(mainDb()).addUsageTemplate(name, usage, advice);
}

void Tm_CaseDataModule::DeleteUsageTemplate(int recordSN)
{
    CoreStore(mainDb()).deleteUsageTemplate(recordSN);
}

QString Tm_CaseDataModule::LockOwnerText(int lockOwnerSN)
{
    return FieldText::LockOwner(lockOwnerSN, [this](int sn) { return GetUserNameBySN(sn); });
}

void Tm_CaseDataModule::WriteLoginoutRecord(const CUserSecurityData *user, int flag)
{
    if (user)
        LoginStore(mainDb()).writeLoginout(*user, flag);
}
