#pragma once
// Handles, paths and window flags of the running program.

#include <QString>

namespace sarvo {

struct AppState {
    // Qt SQL connection names; empty while the database is not open.
    QString MainDb;
    QString LangDb;
    bool MainDbReadOnly = false;
    bool LangDbReadOnly = false;

    QString AppPath;  // the program folder, always ending in "/"
    // The program folder is no folder: said once at the start; the program runs on its defaults
    // and opens or writes nothing there.
    bool AppPathUnusable = false;
    QString IniFile;  // AppPath + "Sarvotex.ini"
    bool IniUnreadable = false; // the settings file exists but could not be read: never overwrite it
    bool SettingsRead = false;  // the settings were read: until then there is nothing to write back
    QString HelpFile;
    QString ErrHelpFile;
    QString VersionString;
    QString InputAnswer; // answer of the last question window or machine-list choice

    bool ResultShown = false;
    bool GraphShown = false;
    bool AnaGraphShown = false;
    bool CaseInfoShown = false;
    bool ViewShown = false;
    bool BasicShown = false;
    bool MeasureShown = false;

    // The open case was read or loaded and analysed: its commands are on.
    bool CaseOpen = false;
    // A new measurement is being set up or captured: the commands that would replace the case
    // wait until its windows close.
    bool NewMeasurementOpen = false;

    bool MeasureSaved = false;
    // A captured case is in memory that was never saved: leaving the program asks first.
    bool CaptureUnsaved = false;
    // The program's title, the main window's translated caption.
    QString AppTitle = QStringLiteral("Sarvotrenk Analysis");
    bool BatchRunning = false;

    // Set when the user cancels a wait; the gauge windows and the drive search read it.
    bool WaitAbort = false;
};

} // namespace sarvo
