// Starts the program's way up to the login dialog on the database in the
// current folder, says "shown" once the dialog is on screen, and waits to be
// ended. bench_startup times it from exec to that line.
#include "app/appsetup.h"
#include "core/casedatamodule.h"
#include "core/firstadmindlg.h"
#include "core/logindlg.h"
#include "core/loginsession.h"
#include "core/mainform.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SetUpApplication(app);
    QString error;
    auto dataModule = Tm_CaseDataModule::create(QDir::currentPath(), &error);
    if (!dataModule || !Tm_FirstAdminDlg::RunIfNeeded())
        return 1;
    LoginSession session;
    TMainForm mainForm(&session);
    mainForm.show();
    auto *poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, [] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<TLoginDlg *>(w) && w->isVisible()) {
                std::puts("shown");
                std::fflush(stdout);
                std::_Exit(0);
            }
        }
    });
    poll->start(1);
    mainForm.start();
    return app.exec();
}
