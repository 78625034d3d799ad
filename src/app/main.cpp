// Start-up: the application, the data module with both databases, then the window.
#include "core/casedatamodule.h"
#include "core/printjob.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTranslator>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

namespace {

const QString kAppTitle = QStringLiteral("青岚舟住院病历系统");

bool hasDisplay()
{
#if defined(Q_OS_LINUX)
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
           || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

void setUpLookAndText(QApplication &app)
{
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    InstallFontSubstitutions();
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(10);
    app.setFont(font);
    // Chinese texts of Qt's own buttons (Yes, No, OK, Cancel).
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
}

} // namespace

int main(int argc, char *argv[])
{
    if (!hasDisplay()) {
        std::fprintf(stderr, "zybl: no display (DISPLAY is not set); run it under a virtual one: xvfb-run -a %s\n", argv[0]);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(kAppTitle);
    setUpLookAndText(app);

    QString error;
    std::unique_ptr<Tm_CaseDataModule> dataModule = Tm_CaseDataModule::create(QDir::currentPath(), &error);
    if (!dataModule) {
        std::fprintf(stderr, "zybl: %s\n", qPrintable(error));
        QMessageBox::critical(nullptr, QStringLiteral("错误..."), error);
        return 1;
    }

    // Until the main window lands: say which database is open.
    QWidget window;
    window.setWindowTitle(kAppTitle);
    auto *layout = new QVBoxLayout(&window);
    auto *label = new QLabel(QStringLiteral("已打开%1").arg(dataModule->config().describe()), &window);
    label->setObjectName(QStringLiteral("m_Label_Database"));
    label->setWordWrap(true);
    layout->addWidget(label);
    window.resize(520, 160);
    window.show();
    return app.exec();
}
