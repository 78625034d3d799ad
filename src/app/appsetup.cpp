#include "app/appsetup.h"

#include "core/printjob.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>
#include <cstdio>

void SetUpApplication(QApplication &app)
{
    QApplication::setApplicationDisplayName(QStringLiteral("青岚舟住院病历系统"));
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    InstallFontSubstitutions();
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(10);
    app.setFont(font);
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
}

bool HasDisplay(const char *program)
{
#if defined(Q_OS_LINUX)
    if (qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        || qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return true;
    std::fprintf(stderr, "%s: no display (DISPLAY is not set); run it under a virtual one: xvfb-run -a %s\n", program,
                 program);
    return false;
#else
    Q_UNUSED(program);
    return true;
#endif
}
