// Sarvotex: the double-ball-bar analysis program.
#include "app/app_context.h"
#include "app/app_error.h"
#include "app/app_paths.h"
#include "app/language_db.h"
#include "app/settings.h"
#include "app/trig_tables.h"
#include "app/ui/main_window.h"
#include "app/ui/qt_prompts.h"
#include "app/ui/translate_form.h"
#include "app/units.h"

#include <QApplication>

using namespace sarvo;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    application.setApplicationName("Sarvotex");
    application.setOrganizationName("Sarvotex");

    AppState& state = app().State;
    state.VersionString = QString("%1.%2.%3").arg(SARVOTEX_VERSION_MAJOR).arg(SARVOTEX_VERSION_MINOR).arg(SARVOTEX_VERSION_PATCH);

    MainWindow main;
    QtPrompts qtPrompts(&main);
    setPrompts(&qtPrompts);
    setShell(&main);
    main.show();

    RunTrapped("Starting", [&] {
        state.AppPath = ResolveAppPath(QCoreApplication::applicationDirPath());
        state.IniFile = state.AppPath + "Sarvotex.ini";
        ProvideShippedFiles(state.AppPath, QCoreApplication::applicationDirPath());
        gsReadIni();
        try {
            OpenLanguageDatabase();
        } catch (const AppError& error) {
            ReportError("Starting", error);
        }
        // Units and tables are set whether or not the language database opened.
        SetUnits();
        InitTrigTables();
        TranslateForm(main);
    });

    const int code = application.exec();

    WriteIni();
    CloseLanguageDatabase();
    setShell(nullptr);
    setPrompts(nullptr);
    return code;
}
