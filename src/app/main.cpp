// Start-up: one copy per workstation, the data module with both databases,
// the first administrator when there is none, then the main window, which
// starts the login.
#include "app/appsetup.h"
#include "case/democases.h"
#include "core/casedatamodule.h"
#include "core/demodata.h"
#include "core/firstadmindlg.h"
#include "core/logindlg.h"
#include "core/loginsession.h"
#include "core/mainform.h"
#include "core/prompter.h"
#include "core/singleinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <cstdio>

namespace {

const QString kAppTitle = QStringLiteral("青岚舟住院病历系统");

void fail(const QString &text)
{
    std::fprintf(stderr, "zybl: %s\n", qPrintable(text));
    Prompter::instance().message(text, QStringLiteral("错误..."), Prompter::Icon::Error);
}

} // namespace

int main(int argc, char *argv[])
{
    if (!HasDisplay("zybl"))
        return 1;
    QApplication app(argc, argv);
    SetUpApplication(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(kAppTitle);
    parser.addHelpOption();
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Start on a demo database in DIR (created when missing)."),
                                  QStringLiteral("DIR"));
    parser.addOption(demo);
    parser.process(app);

    // A second copy warns and ends before it touches the database or any folder.
    SingleInstance instance(kAppTitle);
    if (!instance.acquire()) {
        Prompter::instance().message(QStringLiteral("程序已经运行,请从任务栏上将之放到前台!"), QStringLiteral("提示"),
                                     Prompter::Icon::Warning);
        return 0;
    }

    if (parser.isSet(demo)) {
        const QString dir = parser.value(demo);
        if (!QDir().mkpath(dir) || !QDir::setCurrent(dir)) {
            fail(QStringLiteral("无法使用演示目录“%1”。").arg(dir));
            return 1;
        }
    }

    QString error;
    std::unique_ptr<Tm_CaseDataModule> dataModule = Tm_CaseDataModule::create(QDir::currentPath(), &error);
    if (!dataModule) {
        fail(error);
        return 1;
    }
    if (parser.isSet(demo)) {
        if (!DemoData::Ensure(&error) || !DemoCases::Ensure(&error)) {
            fail(QStringLiteral("无法建立演示数据: ") + error);
            return 1;
        }
        TLoginDlg::setDemoHint(DemoData::LoginHint());
    }
    if (!Tm_FirstAdminDlg::RunIfNeeded())
        return 0;

    LoginSession session;
    TMainForm mainForm(&session);
    mainForm.show();
    mainForm.start();
    return app.exec();
}
