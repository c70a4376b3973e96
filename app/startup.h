#pragma once
// Start-up and shutdown of the program around its main window.

#include <QString>

class QGuiApplication;
class QSocketNotifier;
class QWidget;

namespace sarvo {

class MainWindow;

struct StartOptions {
    QString programFolder; // where the program and its shipped files are
    QString startFolder;   // the current folder when the program was started
    QString commandLine;   // the arguments joined by blanks: one measurement file (or Optodyne set)
    bool showWindows = true;
};

// Installs the frame's handlers (after-load step, window refresh) and the main window as the
// program's shell, then runs the start-up steps in order. Each step is guarded on its own: a
// failing step is reported with "Starting" and the others still run.
void StartApplication(MainWindow& main, const StartOptions& options);

// The language window's call: the program's texts in the language now chosen, in every open window,
// the menus, the toolbar, the status bar, Qt's own dialogs and the help file names.
void SwitchLanguage(MainWindow& main, const QString& language);

// Installs the frame's handlers: the after-load step, and the results of a case brought up to
// date (fit and ranking) where no results window has installed its own.
void InstallFrameServices();

// Registers the frame's own windows: the splash "frmFirst", the about window "frmAbout" and the
// language window "frmLang".
void RegisterFrameWindows(MainWindow& main);

// Maximises the main window unless the settings file holds a place for it; a stored place is
// restored and brought onto the screen.
void PlaceMainWindow(QWidget& main);

// Writes the settings, closes the databases and the help windows. Never reports anything.
void ShutdownApplication();

// The shutdown on every orderly end the system signals, not only on a close of the main window:
// SIGTERM, SIGINT and SIGHUP end the event loop (the handler only writes to a socket that the
// loop reads), and so does the quit with which the desktop session ends the program; its requests
// for the data at checkpoints keep and ask nothing. Such an end asks nothing and closes no window:
// the runs that are not saved are kept in a measurement file first (KeepUnsavedRuns), once however
// many ends follow, and messages go to the log. The event loop's end runs the shutdown; the
// platform ending the process when its display goes away keeps the runs and runs it too. One at a
// time; the destructor restores the signals' default actions.
class OrderlyEnd {
public:
    OrderlyEnd(QGuiApplication& application, MainWindow& main);
    ~OrderlyEnd();
    OrderlyEnd(const OrderlyEnd&) = delete;
    OrderlyEnd& operator=(const OrderlyEnd&) = delete;

    // The event loop; an end signalled before it runs (during the start-up, where a quit would
    // be lost) skips it and runs the shutdown at once.
    int exec();

private:
    MainWindow& main_;
    QSocketNotifier* notifier_ = nullptr;
};

// True when the program may close: a captured case that was never saved asks first.
bool ConfirmLeaving();

// The open windows that show values in display units take the new unit state.
void RefreshUnitDisplays();

// The command-line text as a file to open: a relative name is taken from the start folder (for an
// Optodyne set, whose first token is the folder, that folder).
QString CommandLineFile(const QString& commandLine, const QString& startFolder);

} // namespace sarvo
