#pragma once
// The save window "frmSave" after a measurement: the captured case analysed and stored in the
// case database or written to a measurement file, then the measurement window emptied for the
// next measurement. A save that fails keeps the captured runs as they were captured.

#include "casedb/case_save.h"
#include "core/case.h"
#include "core/outcome.h"

#include <QDialog>

#include <functional>

class QRadioButton;
class QPushButton;

namespace sarvo {

// What the save window needs of the measurement window.
class CaptureHost {
public:
    virtual ~CaptureHost() = default;
    // The case whose runs were captured (the open case).
    virtual Case& capturedCase() = 0;
    // The measurement window takes no input while the save window is open.
    virtual void setCaptureEnabled(bool enabled) = 0;
    // Frees the plane and test type and clears the run captions, the save and centre-offset
    // buttons for the next measurement; the save window has emptied the case but for its case
    // information.
    virtual void clearForNextMeasurement() = 0;
    // The case is stored under this number: closing the measurement window loads it back.
    virtual void caseStored(int measId) = 0;
    // The case as written to a file (analysed, its readings as captured kept for the file):
    // closing the measurement window shows it. The last save wins.
    virtual void caseWritten(const Case& written) = 0;
};

// What the program does for the save window.
struct CaptureSaving {
    // The analysis of the captured runs (reporting its own failures); true when the results
    // are valid.
    std::function<bool(Case& c)> analyse;
    // Saves the open case under the session, reporting a failure.
    std::function<casedb::SaveResult(const QString& session)> saveToDatabase;
    // Adds the machine to the machine list when it is missing.
    std::function<Outcome(const QString& machine)> addMachine;
    // Write the open case to the file; false after a reported failure.
    std::function<bool(const QString& fileName)> saveBrv;
    std::function<bool(const QString& fileName)> saveRtb;
    QString dataFolder;
};

class frmSave : public QDialog {
    Q_OBJECT
public:
    frmSave(CaptureHost& host, CaptureSaving saving, QWidget* parent = nullptr);

    QRadioButton* databaseOption() const { return optDatabase_; }
    QRadioButton* fileOption() const { return optFile_; }

    void done(int result) override;

private:
    void okClicked();
    // Stores in the database or writes the file; true when the runs may be emptied.
    bool save(Case& c);
    void emphasiseChoice();

    CaptureHost& host_;
    CaptureSaving saving_;
    QRadioButton* optDatabase_;
    QRadioButton* optFile_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace sarvo
