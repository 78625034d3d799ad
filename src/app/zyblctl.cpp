// The administrators' companion: creates and upgrades databases, and reads and
// writes stored case objects.
#include "app/casecommands.h"
#include "core/casedatamodule.h"
#include "core/database.h"
#include "core/icd10catalogue.h"
#include "core/icd10store.h"
#include "core/pinyin.h"
#include "core/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstdio>

namespace {

const char *const kUsage =
    "usage: zyblctl [--udl FILE] init        create or upgrade the database and the diagnosis library\n"
    "       zyblctl case-decode FILE|-       print a stored case object as JSON\n"
    "       zyblctl case-encode [FILE]       read JSON on standard input, write the stored form\n"
    "       zyblctl pinyin TEXT...           print the pinyin initials of each text, one per line\n"
    "       zyblctl import-icd10 FILE        replace the diagnosis library's codes from a CSV file\n"
    "                                        (code,name; UTF-8 or GBK)\n";

void printLine(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
}

int initCommand(const QString &udlPath)
{
    const QString dir = QDir::currentPath();
    const DataLink link = Tm_CaseDataModule::resolveMain(dir, udlPath);
    if (!link.ok) {
        printLine(stderr, QStringLiteral("zyblctl: ") + link.error);
        return 1;
    }
    QString error;
    bool changed = false;
    const QString mainName = QStringLiteral("zyblctl_main");
    if (!Tm_CaseDataModule::openMain(link.config, mainName, true, &error, &changed)) {
        printLine(stderr, QStringLiteral("zyblctl: ") + error);
        return 1;
    }
    Db::close(mainName);
    printLine(stdout, QStringLiteral("%1: %2 (schema version %3)")
                          .arg(link.config.describe(), changed ? QStringLiteral("created or upgraded") : QStringLiteral("up to date"))
                          .arg(Schema::currentVersion()));

    const QString icd10Name = QStringLiteral("zyblctl_icd10");
    if (!Tm_CaseDataModule::openIcd10(dir, icd10Name, &error, &changed, true)) {
        printLine(stderr, QStringLiteral("zyblctl: ") + error);
        return 1;
    }
    const int codes = Icd10Store(QSqlDatabase::database(icd10Name, false)).count();
    Db::close(icd10Name);
    printLine(stdout, QStringLiteral("%1: %2, %3 codes")
                          .arg(QDir(dir).filePath(Tm_CaseDataModule::kIcd10File),
                               changed ? QStringLiteral("created or filled") : QStringLiteral("up to date"))
                          .arg(codes));
    return 0;
}

int importIcd10Command(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printLine(stderr, QStringLiteral("zyblctl: cannot read %1: %2").arg(path, file.errorString()));
        return 1;
    }
    const Icd10Catalogue::Parsed catalogue = Icd10Catalogue::parse(file.readAll());
    for (const Icd10Catalogue::Skip &skip : catalogue.skipped)
        printLine(stderr, QStringLiteral("line %1: %2").arg(skip.line).arg(skip.reason));
    if (catalogue.entries.isEmpty()) {
        printLine(stderr, QStringLiteral("zyblctl: %1 holds no valid line; the diagnosis library is unchanged").arg(path));
        return 1;
    }

    // A missing library is created first, so that the hospital's catalogue is
    // written into a complete file.
    const QString dir = QDir::currentPath();
    const QString setupName = QStringLiteral("zyblctl_icd10");
    QString error;
    if (!Tm_CaseDataModule::openIcd10(dir, setupName, &error)) {
        printLine(stderr, QStringLiteral("zyblctl: ") + error);
        return 1;
    }
    Db::close(setupName);
    DbConfig config;
    config.dialect = Dialect::SQLite;
    config.file = QDir(dir).absoluteFilePath(Tm_CaseDataModule::kIcd10File);
    const QString writeName = QStringLiteral("zyblctl_icd10_import");
    if (!Db::open(config, writeName, Db::OpenMode::ReadWrite, &error)) {
        printLine(stderr, QStringLiteral("zyblctl: ") + error);
        return 1;
    }
    const bool ok = Icd10Store(QSqlDatabase::database(writeName, false)).replaceAll(catalogue.entries, &error);
    Db::close(writeName);
    if (!ok) {
        printLine(stderr, QStringLiteral("zyblctl: %1: %2").arg(config.file, error));
        return 1;
    }
    printLine(stdout, QStringLiteral("imported %1 codes, skipped %2 lines")
                          .arg(catalogue.entries.size())
                          .arg(catalogue.skipped.size()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);

    QString udlPath;
    if (args.size() >= 2 && args.first() == QLatin1String("--udl")) {
        udlPath = QDir::current().absoluteFilePath(args.at(1));
        args = args.mid(2);
    }
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        std::fputs(kUsage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 1 : 0;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("init") && args.isEmpty())
        return initCommand(udlPath);
    if (command == QLatin1String("pinyin") && !args.isEmpty()) {
        // The same initials the program stores in its search columns.
        for (const QString &text : std::as_const(args))
            std::printf("%s\n", GetPinYinInitials(text).toUtf8().constData());
        return 0;
    }
    if (command == QLatin1String("import-icd10") && args.size() == 1)
        return importIcd10Command(QDir::current().absoluteFilePath(args.first()));
    if (command == QLatin1String("case-decode"))
        return caseDecodeCommand(args);
    if (command == QLatin1String("case-encode"))
        return caseEncodeCommand(args);
    std::fputs(kUsage, stderr);
    return 1;
}
