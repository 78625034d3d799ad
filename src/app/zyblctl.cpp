// The administrators' companion: creates and upgrades databases, and reads and
// writes stored case objects.
#include "app/casecommands.h"
#include "core/casedatamodule.h"
#include "core/database.h"
#include "core/pinyin.h"
#include "core/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

namespace {

const char *const kUsage =
    "usage: zyblctl [--udl FILE] init        create or upgrade the database and the diagnosis library\n"
    "       zyblctl case-decode FILE|-       print a stored case object as JSON\n"
    "       zyblctl case-encode [FILE]       read JSON on standard input, write the stored form\n"
    "       zyblctl pinyin TEXT...           print the pinyin initials of each text, one per line\n";

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
    if (!Tm_CaseDataModule::openIcd10(dir, icd10Name, &error, &changed)) {
        printLine(stderr, QStringLiteral("zyblctl: ") + error);
        return 1;
    }
    Db::close(icd10Name);
    printLine(stdout, QStringLiteral("%1: %2").arg(QDir(dir).filePath(Tm_CaseDataModule::kIcd10File),
                                                   changed ? QStringLiteral("created") : QStringLiteral("up to date")));
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
    if (command == QLatin1String("case-decode"))
        return caseDecodeCommand(args);
    if (command == QLatin1String("case-encode"))
        return caseEncodeCommand(args);
    std::fputs(kUsage, stderr);
    return 1;
}
