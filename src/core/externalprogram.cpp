#include "core/externalprogram.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace ExternalProgram {

Outcome Start(const QString &commandLine, const QString &file)
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return Outcome::NotFound;
    QString program = words.takeFirst();
    if (!program.contains(QLatin1Char('/')) && !program.contains(QLatin1Char('\\'))) {
        // A bare name is looked up on the search path.
        program = QStandardPaths::findExecutable(program);
        if (program.isEmpty())
            return Outcome::NotFound;
    } else {
        const QFileInfo info(QDir::fromNativeSeparators(program));
        if (!info.absoluteDir().exists())
            return Outcome::PathNotFound;
        if (!info.exists())
            return Outcome::NotFound;
        if (!info.isFile() || !info.isExecutable())
            return Outcome::NotExecutable;
        program = info.absoluteFilePath();
    }
    return QProcess::startDetached(program, words << file) ? Outcome::Started : Outcome::NoResources;
}

} // namespace ExternalProgram
