#include "app/ui/startup.h"

#include "analysis/error_model.h"
#include "analysis/influence.h"
#include "app/app_context.h"
#include "app/app_error.h"
#include "app/app_paths.h"
#include "app/help.h"
#include "app/language_db.h"
#include "app/number_format.h"
#include "app/program_services.h"
#include "app/prompts.h"
#include "app/qt_translations.h"
#include "app/recent_files.h"
#include "app/settings.h"
#include "app/trig_tables.h"
#include "app/ui/about_window.h"
#include "app/ui/after_load.h"
#include "app/ui/form_utilities.h"
#include "app/ui/main_window.h"
#include "app/ui/splash_window.h"
#include "app/ui/translate_form.h"
#include "app/ui/window_registry.h"
#include "app/units.h"
#include "app/utilities.h"
#include "casedb/case_db.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace sarvo {

namespace {

// One start-up step: a failure is reported and the start-up goes on.
void step(const std::function<void()>& fn)
{
    RunTrapped("Starting", fn);
}

// Maximised, and its normal place is the whole available area too: without a window manager a
// maximised window keeps its size.
void maximise(QWidget& main)
{
    if (!main.isMaximized()) {
        if (const QScreen* screen = main.screen()) {
            const QRect area = screen->availableGeometry();
            main.resize(area.size() - (main.frameGeometry().size() - main.size()));
            main.move(area.topLeft());
        }
    }
    main.setWindowState((main.windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

void setChildText(QWidget* window, const QString& name, const QString& text)
{
    if (!window)
        return;
    if (auto* edit = window->findChild<QLineEdit*>(name))
        edit->setText(text);
    else if (auto* label = window->findChild<QLabel*>(name))
        label->setText(text);
}

} // namespace

QString CommandLineFile(const QString& commandLine, const QString& startFolder)
{
    const QString text = commandLine.trimmed();
    if (text.isEmpty() || startFolder.isEmpty())
        return text;
    const QString unix = QDir::fromNativeSeparators(text);
    if (QDir::isAbsolutePath(unix) || (unix.size() > 1 && unix[1] == ':'))
        return text;
    return QDir(startFolder).absolutePath() + "/" + text;
}

void PlaceMainWindow(QWidget& main)
{
    if (!HasStoredPlace(main)) {
        maximise(main);
        return;
    }
    main.setWindowState(main.windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    LoadFormPlace(main);
}

void RegisterFrameWindows(MainWindow& main)
{
    windows().registerWindow(
        "frmFirst",
        [&main](QWidget*) {
            auto* splash = new frmFirst(&main);
            splash->load();
            return splash;
        },
        false);
    windows().registerWindow("frmAbout", [](QWidget* parent) { return new frmAbout(parent); }, false);
}

void InstallFrameServices()
{
    services().afterFileRead = [](bool ok, const QString& name) { RunAfterFileRead(ok, name); };
    // Until the results window is installed, showing results still brings the case's results up
    // to date: the fit when it has not run for this case, and the ranking of the influences.
    if (!services().showResults) {
        services().showResults = [] {
            RunTrapped("Preparing results", [] {
                Case& c = app().OpenCase;
                if (!c.Results.ResultsValid)
                    CalcErrors(c, app().Settings);
                SetInfluence(c);
                windows().show("result");
            });
        };
    }
}

void StartApplication(MainWindow& main, const StartOptions& options)
{
    AppContext& a = app();
    setShell(&main);
    RegisterFrameWindows(main);
    InstallFrameServices();

    // 2. The version: major.minor.revision.
    a.State.VersionString = QCoreApplication::applicationVersion();

    // 3. The frame and the splash, painted before the slower steps.
    if (options.showWindows) {
        // Maximised as on a first start; a place stored for the frame is taken once it is known.
        maximise(main);
        main.show();
        windows().show("frmFirst");
        QCoreApplication::processEvents();
    }

    // 4-6. The program folder, the settings file, the current folder.
    step([&] {
        a.State.AppPath = ResolveAppPath(options.programFolder);
        a.State.IniFile = a.State.AppPath + "Sarvotex.ini";
        ProvideShippedFiles(a.State.AppPath, options.programFolder);
        QDir::setCurrent(a.State.AppPath);
    });
    // 7-8. Settings and the case database report their own failures.
    step(gsReadIni);
    // Qt's own buttons and dialogs speak the language just read, from the first message on.
    step([&] { InstallQtTranslations(a.Settings.Language); });
    step(openDB);
    // 9. The language database: writable, else read-only; every later step runs without it too.
    step(OpenLanguageDatabase);
    // 10-11. Units (always set, also without texts) and the translated splash and frame.
    step(SetUnits);
    step([&] {
        if (QWidget* splash = windows().loaded("frmFirst"))
            TranslateForm(*splash);
        TranslateForm(main);
    });
    // The place is keyed by the translated caption.
    step([&] { PlaceMainWindow(main); });
    // 12-14. Upgrade of the case database, the tables, the recent list.
    step(CheckDbFields);
    step(InitTrigTables);
    step([] { ShowRecentFiles(); });
    // 15. A measurement file named on the command line; the results window is not opened.
    if (!options.commandLine.trimmed().isEmpty())
        step([&] { OpenMeasurementFile(CommandLineFile(options.commandLine, options.startFolder)); });
    // 16-18. Help files in the current language, the program's title.
    a.State.HelpFile = Translate("ENGANA.HLP");
    a.State.ErrHelpFile = Translate("ENGERR.HLP");
    a.State.AppTitle = main.windowTitle();
    // 19-20.
    windows().unload("frmFirst");
    main.setEnabled(true);
    main.setBusy(false);
}

void ShutdownApplication()
{
    AppContext& a = app();
    // Nothing here reports: a failing step is skipped.
    try {
        WriteIni();
    } catch (...) {
    }
    try {
        closeDB();
    } catch (...) {
    }
    try {
        CloseLanguageDatabase();
    } catch (...) {
    }
    help().quit(a.State.AppPath + a.State.HelpFile);
    help().quit(a.State.AppPath + a.State.ErrHelpFile);
}

bool ConfirmLeaving()
{
    if (!app().State.CaptureUnsaved)
        return true;
    return prompts().askYesNo(app().State.AppTitle,
                              Translate("The measurement has not been saved. Leave the program all the same?"));
}

void RefreshUnitDisplays()
{
    const AppState& s = app().State;
    const UnitState& u = app().Units;
    if (s.CaseInfoShown)
        ShowBasicInfo();
    if (s.ResultShown)
        ShowResults();
    if (s.GraphShown) {
        QWidget* graph = windows().loaded("frmGraph");
        setChildText(graph, "TxtScale", FormatNumber(app().Settings.GraphScale * u.SmallFactor, u.SmallFormat));
        setChildText(graph, "LblUnit(0)", u.SmallCaption);
    }
    if (s.MeasureShown) {
        QWidget* measure = windows().loaded("frmMeasure");
        setChildText(measure, "LblUnit(0)", u.LargeCaption + Translate("/min"));
        const double feedrate = StrToDbl(app().OpenCase.Header[HdrFeedrate]);
        const double shown = feedrate > 0 ? feedrate * u.LargeFactor : (app().Settings.UnitsInch ? 15.0 : 400.0);
        setChildText(measure, "txtFeedrate", FormatNumber(shown, u.LargeFormat));
        if (measure) {
            if (auto* refresh = measure->findChild<QAbstractButton*>("cmdRefresh"))
                refresh->click();
        }
    }
}

} // namespace sarvo
