// Start-up cost: from starting the program to its login dialog on screen,
// on an embedded database with a few operators. Median of several runs.
#include "core/casedatamodule.h"
#include "core/demodata.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    {
        QString error;
        auto module = Tm_CaseDataModule::create(dir.path(), &error);
        if (!module || !DemoData::Ensure(&error)) {
            std::fprintf(stderr, "cannot prepare the database: %s\n", qPrintable(error));
            return 1;
        }
    }
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess probe;
        probe.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains(QStringLiteral("DISPLAY")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        probe.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        probe.start(QStringLiteral(STARTUP_PROBE_PATH), {});
        while (!probe.canReadLine() && probe.state() != QProcess::NotRunning)
            probe.waitForReadyRead(10000);
        const double ms = timer.nsecsElapsed() / 1e6;
        if (!probe.readLine().startsWith("shown")) {
            std::fprintf(stderr, "the probe did not reach the login dialog\n");
            return 1;
        }
        probe.waitForFinished();
        times << ms;
        std::printf("run %d: %.1f ms\n", i + 1, ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("start-up to the login dialog: median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                times.at(times.size() / 2), runs, times.first(), times.last());
    return 0;
}
