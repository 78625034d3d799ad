#include "app/casecommands.h"

#include "app/casejson.h"
#include "case/caseobject.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {

// Prints one line on stderr whatever the message holds.
int failWith(int status, const char *command, const QString &message)
{
    QString line = message;
    for (QChar &c : line)
        if (c.unicode() < 0x20)
            c = u' ';
    std::fprintf(stderr, "zyblctl %s: %s\n", command, line.toUtf8().constData());
    return status;
}

bool writeStdout(const QByteArray &bytes)
{
    if (!bytes.isEmpty() && std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout)
                                != size_t(bytes.size()))
        return false;
    return std::fflush(stdout) == 0;
}

bool readStdin(QByteArray &bytes)
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return false;
    bytes = in.readAll();
    return in.error() == QFileDevice::NoError;
}

} // namespace

int caseDecodeCommand(const QStringList &args)
{
    constexpr const char *command = "case-decode";
    if (args.size() != 1)
        return failWith(1, command, QStringLiteral("usage: zyblctl case-decode FILE|-"));

    const QString path = args.first();
    QByteArray bytes;
    if (path == QLatin1String("-")) {
        if (!readStdin(bytes))
            return failWith(1, command, QStringLiteral("cannot read stdin"));
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return failWith(1, command, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return failWith(1, command, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    }

    TCaseObject caseObject;
    QString error;
    if (!caseObject.fromBytes(bytes, &error)) {
        const QString source = path == QLatin1String("-") ? QStringLiteral("stdin") : path;
        return failWith(2, command, QStringLiteral("%1: %2").arg(source, error));
    }

    if (!writeStdout(caseToJson(caseObject) + '\n'))
        return failWith(1, command, QStringLiteral("cannot write stdout"));
    return 0;
}

int caseEncodeCommand(const QStringList &args)
{
    constexpr const char *command = "case-encode";
    if (args.size() > 1)
        return failWith(1, command, QStringLiteral("usage: zyblctl case-encode [FILE] < JSON"));

    QByteArray json;
    if (!readStdin(json))
        return failWith(1, command, QStringLiteral("cannot read stdin"));
    TCaseObject caseObject;
    QString error;
    if (!caseFromJson(json, caseObject, &error))
        return failWith(2, command, error);

    const QString path = args.value(0, QStringLiteral("-"));
    if (path == QLatin1String("-")) {
        if (!writeStdout(caseObject.toBytes()))
            return failWith(1, command, QStringLiteral("cannot write stdout"));
        return 0;
    }
    // Written aside and renamed into place, so a failure leaves no half file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failWith(1, command, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    if (!caseObject.WriteToStream(file) || !file.commit())
        return failWith(1, command, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return 0;
}
