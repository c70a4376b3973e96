// Sarvotex: the double-ball-bar analysis program.
#include "core/help.h"
#include "core/prompts.h"
#include "gui/help_window.h"
#include "app/main_window.h"
#include "gui/qt_prompts.h"
#include "app/startup.h"
#include "app/file_commands.h"

#include <QApplication>
#include <QDir>

using namespace sarvo;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    application.setApplicationName("Sarvotex");
    application.setOrganizationName("Sarvotex");
    application.setApplicationVersion(QString("%1.%2.%3")
                                          .arg(SARVOTEX_VERSION_MAJOR)
                                          .arg(SARVOTEX_VERSION_MINOR)
                                          .arg(SARVOTEX_VERSION_PATCH));

    StartOptions options;
    options.programFolder = QCoreApplication::applicationDirPath();
    options.startFolder = QDir::currentPath();
    // The whole command line is one measurement file (or an Optodyne folder and its files).
    options.commandLine = QCoreApplication::arguments().mid(1).join(' ');

    MainWindow main;
    QtPrompts qtPrompts(&main);
    setPrompts(&qtPrompts);
    HtmlHelpSystem htmlHelp(&main);
    setHelpSystem(&htmlHelp);

    InstallFileServices();
    OrderlyEnd orderlyEnd(application, main);
    StartApplication(main, options);
    const int code = orderlyEnd.exec();
    main.shutdown();

    setHelpSystem(nullptr);
    setPrompts(nullptr);
    return code;
}
