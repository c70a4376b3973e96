#include "app/startup.h"

#include "app/app_context.h"
#include "core/app_error.h"
#include "app/app_paths.h"
#include "app/batch_command.h"
#include "core/help.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "gui/program_services.h"
#include "core/prompts.h"
#include "app/recent_files.h"
#include "core/settings.h"
#include "app/program_state.h"
#include "app/fit_command.h"
#include "app/case_commands.h"
#include "app/case_db_commands.h"
#include "app/measure_commands.h"
#include "app/case_load_command.h"
#include "app/file_commands.h"
#include "app/display_commands.h"
#include "app/print_command.h"
#include "analysis/trig_tables.h"
#include "app/about_window.h"
#include "app/config_window.h"
#include "app/after_load.h"
#include "app/language_window.h"
#include "app/main_window.h"
#include "app/splash_window.h"
#include "gui/translate_form.h"
#include "gui/window_registry.h"
#include "gui/window_views.h"
#include "core/units.h"
#include "core/utilities.h"
#include "app/program_db.h"
#include "app/qt_translations.h"
#include "app/trend_command.h"
#include "app/unsaved_runs.h"
#include "gui/form_utilities.h"
#include "gui/qt_prompts.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <utility>
#include <sys/socket.h>
#include <unistd.h>

namespace sarvo {

namespace {

// An end signal arrived (set by the handlers below).
bool g_endRequested = false;

// One start-up step: a failure is reported and the start-up goes on. Once an end is asked for,
// the rest of the start-up is left out: the program goes its way out.
void step(const std::function<void()>& fn)
{
    if (!g_endRequested)
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

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The socket pair of the installed OrderlyEnd: the handler writes to [0], the loop reads [1].
int g_endSocket[2] = {-1, -1};
// The main window whose shutdown the process's exit still owes; null once it ran or was let go.
MainWindow* g_exitOwesShutdown = nullptr;
// The program's event loop runs: an end can be carried out at once.
bool g_loopRunning = false;
// The unsaved runs of this end went into a file already: a second signal keeps nothing more.
bool g_runsKept = false;
// Whether Qt ended the program when its last window closed, restored with the signals.
bool g_quitOnLastWindowClosed = true;

extern "C" void writeEndSignal(int signal)
{
    const char byte = static_cast<char>(signal);
    const int savedErrno = errno;
    [[maybe_unused]] const ssize_t written = ::write(g_endSocket[0], &byte, 1);
    errno = savedErrno;
}

// The shutdown where no one answers a message any more.
void shutdownUnattended(MainWindow& main)
{
    setPrompts(nullptr);
    main.shutdown();
}

void keepRunsOnce()
{
    if (!std::exchange(g_runsKept, true))
        KeepUnsavedRuns();
}

// The display went away under a running program: nobody answers, and the runs would be lost.
void shutdownAtExit()
{
    if (MainWindow* main = std::exchange(g_exitOwesShutdown, nullptr)) {
        setPrompts(nullptr);
        keepRunsOnce();
        shutdownUnattended(*main);
    }
}

// The boxes of the start-up, closed as if dismissed (Esc): their callers go on with that answer.
void dismissModalWindows()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || !window->isModal())
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
        else
            window->close();
    }
}

// An end nobody answers (a signal, the end of the desktop session): from here on nothing asks,
// the unsaved runs go into a measurement file once, and every event loop ends at once, a modal
// one too, without closing a window (its close would analyse or ask). The loop's end writes the
// settings. During the start-up, whose boxes run loops of their own, the box open is dismissed,
// the rest of the start-up is left out and exec() runs the shutdown at once.
void endUnattended()
{
    g_endRequested = true;
    setPrompts(nullptr);
    keepRunsOnce();
    if (g_loopRunning)
        QCoreApplication::exit(0);
    else
        dismissModalWindows();
}

// The session manager ends the program with a quit of the application (its checkpoints and a
// cancelled logout only ask for the data, which keeps nothing). The program itself never quits
// that way, and Qt's quit on the last window closed is off: every such quit is the platform's
// end, carried out as a signal's, never as the close of every window that would ask.
class SessionEndFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Quit || watched != QCoreApplication::instance())
            return QObject::eventFilter(watched, event);
        endUnattended();
        return true;
    }
};

} // namespace

OrderlyEnd::OrderlyEnd(QGuiApplication& application, MainWindow& main) : main_(main)
{
    g_endRequested = false;
    g_runsKept = false;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_endSocket) == 0) {
        notifier_ = new QSocketNotifier(g_endSocket[1], QSocketNotifier::Read);
        QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [] {
            char byte = 0;
            [[maybe_unused]] const ssize_t got = ::read(g_endSocket[1], &byte, 1);
            endUnattended();
        });
        struct sigaction action = {};
        action.sa_handler = writeEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signal : kEndSignals)
            sigaction(signal, &action, nullptr);
    }
    // The session manager's request for the data (commitDataRequest) comes at every checkpoint
    // too, and a logout may still be cancelled: it is left unanswered, so nothing is kept or
    // asked before the session really ends the program.
    g_quitOnLastWindowClosed = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false); // the main window's close ends the loop
    application.installEventFilter(new SessionEndFilter(&main));
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &main, [&main] { shutdownUnattended(main); });
    // A platform that loses its display ends the process with exit(): the stack is never unwound.
    static const bool exitHookInstalled = std::atexit(shutdownAtExit) == 0;
    if (exitHookInstalled)
        g_exitOwesShutdown = &main;
}

int OrderlyEnd::exec()
{
    if (!g_endRequested) {
        g_loopRunning = true;
        const int code = QCoreApplication::exec(); // its end runs the shutdown
        g_loopRunning = false;
        return code;
    }
    shutdownUnattended(main_);
    return 0;
}

OrderlyEnd::~OrderlyEnd()
{
    g_exitOwesShutdown = nullptr;
    g_endRequested = false; // a later start without these handlers runs whole
    QGuiApplication::setQuitOnLastWindowClosed(g_quitOnLastWindowClosed);
    for (const int signal : kEndSignals)
        std::signal(signal, SIG_DFL);
    delete notifier_;
    for (int& fd : g_endSocket) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

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
    if (!HasStoredPlace(main, app().State.IniFile)) {
        maximise(main);
        return;
    }
    main.setWindowState(main.windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    LoadFormPlace(main, app().State.IniFile);
}

void RegisterFrameWindows(MainWindow& main)
{
    windows().registerWindow(
        WindowId::Splash,
        [&main](QWidget*) {
            auto* splash = new frmFirst(&main);
            splash->load();
            return splash;
        },
        false);
    windows().registerWindow(WindowId::About, [](QWidget* parent) { return new frmAbout(parent); }, false);
    windows().registerWindow(
        WindowId::Language,
        [&main](QWidget* parent) {
            return new frmLang(app().State.AppPath, [&main](const QString& language) { SwitchLanguage(main, language); },
                               parent);
        },
        false);
    RegisterFileWindows();
    RegisterDisplayWindows();
    RegisterPrintWindow();
    RegisterConfigWindow();
    RegisterCaseDbWindows();
    RegisterMeasureWindows();
    RegisterBatchWindow();
    RegisterTrendWindows();
}

namespace {

// The texts the program keeps in its state: the help files and the title of its messages, the
// program's own title (never a maximised child's title that the frame shows with it).
void takeLanguageTexts(MainWindow& main)
{
    AppContext& a = app();
    a.State.HelpFile = Translate("EngAna.hlp");
    a.State.ErrHelpFile = Translate("EngErr.hlp");
    main.retranslateTitle();
    a.State.AppTitle = main.programTitle();
    QtPrompts::setProgramTitle(a.State.AppTitle);
}

} // namespace

void SwitchLanguage(MainWindow& main, const QString& language)
{
    AppContext& a = app();
    a.Settings.Language = language;
    SetTextLanguage(language);
    RetranslateOpenForms([&language] { InstallQtTranslations(language); });
    takeLanguageTexts(main);
    ShowRecentFiles(a.Settings);
    for (const WindowId id : windows().loadedWindows()) {
        if (auto* texts = dynamic_cast<TextsDisplay*>(windows().loaded(id)))
            texts->retranslateTexts();
    }
    if (a.State.MainDbReadOnly)
        main.setStatusText(StatusPanel::ReadOnly, Translate(QStringLiteral("Read only")));
    // The values and texts the windows fill in themselves.
    RefreshUnitDisplays();
}

void InstallFrameServices()
{
    services().afterFileRead = [](bool ok, const QString& name) { RunAfterFileRead(ok, name); };
    // Tests install handlers of their own before the start.
    if (!services().showResults)
        services().showResults = ShowProgramResults;
    if (!services().showBasicInfo)
        services().showBasicInfo = ShowProgramCaseInfo;
    if (!services().drawGraph)
        services().drawGraph = DrawProgramGraph;
    InstallCaseLoadService();
    InstallPrintServices();
}

void StartApplication(MainWindow& main, const StartOptions& options)
{
    AppContext& a = app();
    setShell(&main);
    SetBusyHandler([&main](bool busy) { main.setBusy(busy); });
    RegisterFrameWindows(main);
    InstallFrameServices();

    // 2. The version: major.minor.revision.
    a.State.VersionString = QCoreApplication::applicationVersion();

    // 3. The frame and the splash, painted before the slower steps.
    if (options.showWindows) {
        // Maximised as on a first start; a place stored for the frame is taken once it is known.
        maximise(main);
        main.show();
        windows().show(WindowId::Splash);
        QCoreApplication::processEvents();
    }

    // 4-6. The program folder, the settings file, the current folder. A program folder that is no
    // folder is told once; the program then runs on its defaults without its databases.
    step([&] {
        a.State.AppPath = ResolveAppPath(options.programFolder);
        a.State.IniFile = a.State.AppPath + "Sarvotex.ini";
        if (const std::optional<AppError> fault = ProgramFolderFault(a.State.AppPath)) {
            a.State.AppPathUnusable = true;
            throw *fault;
        }
        ProvideShippedFiles(a.State.AppPath, options.programFolder);
        QDir::setCurrent(a.State.AppPath);
    });
    // 7-8. Settings and the case database report their own failures.
    step(gsReadIni);
    // Qt's own buttons and dialogs speak the language just read, from the first message on.
    step([&] { InstallQtTranslations(a.Settings.Language); });
    if (!a.State.AppPathUnusable)
        step(openDB);
    // 9. The language database: writable, else read-only; every later step runs without it too.
    if (!a.State.AppPathUnusable) {
        step([&] {
            a.State.LangDbReadOnly = OpenLanguageDatabase(a.State.AppPath);
            a.State.LangDb = languageDb().connectionName();
        });
    }
    // 10-11. Units (always set, also without texts) and the translated splash and frame.
    step(SetUnits);
    step([&] {
        if (QWidget* splash = windows().loaded(WindowId::Splash))
            TranslateForm(*splash);
        TranslateForm(main);
    });
    // The place is keyed by the translated caption.
    step([&] { PlaceMainWindow(main); });
    // 12-14. Upgrade of the case database, the tables, the recent list. Without a case database
    // its opening (or the program folder) has said why already: one message for one fault.
    if (mainCaseStore())
        step(CheckDbFields);
    step(InitTrigTables);
    step([] { ShowRecentFiles(app().Settings); });
    step(UpdateCaseCommands);
    // 15. A measurement file named on the command line; the results window is not opened.
    if (!options.commandLine.trimmed().isEmpty())
        step([&] { OpenMeasurementFile(CommandLineFile(options.commandLine, options.startFolder)); });
    // 16-18. Help files in the current language, the program's title.
    takeLanguageTexts(main);
    // 19-20.
    windows().unload(WindowId::Splash);
    main.setEnabled(true);
    main.setBusy(false);
    // Once the program runs: runs kept at the last end. An end before then leaves the note for
    // the next start.
    QTimer::singleShot(0, &main, [] {
        if (!g_endRequested)
            TellOfKeptRuns();
    });
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
        a.State.LangDb.clear();
        a.State.LangDbReadOnly = false;
    } catch (...) {
    }
    help().quit(a.State.AppPath + a.State.HelpFile);
    help().quit(a.State.AppPath + a.State.ErrHelpFile);
}

bool ConfirmLeaving()
{
    // Runs still in the measurement window are unsaved too: the save window empties them.
    if (!HoldsUnsavedRuns())
        return true;
    return prompts().askYesNo(app().State.AppTitle,
                              Translate("The measurement has not been saved. Leave the program all the same?"));
}

void RefreshUnitDisplays()
{
    const AppState& s = app().State;
    if (s.CaseInfoShown)
        ShowBasicInfo();
    if (s.ResultShown)
        ShowResults();
    // The graph and measurement windows show the scale and feedrate in display units.
    for (const WindowId id : windows().loadedWindows()) {
        if (id == WindowId::CaseInfo || id == WindowId::Results)
            continue;
        if (auto* display = dynamic_cast<UnitsDisplay*>(windows().loaded(id)))
            display->refreshUnits();
    }
}

} // namespace sarvo
