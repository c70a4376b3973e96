#pragma once
// The batch window "Batch": a folder tree and its measurement files, the grid of the files
// collected for one session, and the save of them all, one file a timer step, with a progress
// that can be cancelled between two files. A long add runs in timer steps too, under the same
// progress.

#include "casedb/batch_model.h"
#include "core/units.h"
#include "gui/window_views.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;
class QTreeView;

namespace sarvo {

struct BatchWindowSetup {
    QString startFolder;
    UnitState units;
    // The case database, read when the window lists sessions and cases; null when none is open.
    std::function<const casedb::CaseStore*()> store;
    // What a save needs, made when it starts.
    std::function<casedb::BatchServices()> services;
    // Told when a save starts and when it ends, whichever way it ends.
    std::function<void(bool running)> setRunning;
};

class BatchWindow : public QDialog, public TextsDisplay {
    Q_OBJECT
public:
    explicit BatchWindow(BatchWindowSetup setup, QWidget* parent = nullptr);
    ~BatchWindow() override;

    // The grid's headers and the rows' states in the current language.
    void retranslateTexts() override;

    void setFolder(const QString& folder);
    QString folder() const { return folder_; }
    // Adds the files selected in the file list: a few at once, more in steps from the event loop.
    void addSelected();
    bool adding() const { return adding_.has_value(); }
    // Removes the selected grid rows that are not stored.
    void removeSelected();
    // Starts storing the collected files; the steps follow from the event loop.
    void startSave();
    bool saving() const { return run_ != nullptr; }
    // Stops the add or the save before its next file.
    void cancelWork();

    const casedb::BatchModel& model() const { return model_; }
    QListWidget* fileList() const { return lstFile_; }
    QTableWidget* grid() const { return grdCase_; }
    QComboBox* sessionBox() const { return cmbSession_; }
    QPushButton* addButton() const { return cmdAdd_; }
    QPushButton* removeButton() const { return cmdRemove_; }
    QPushButton* saveButton() const { return cmdSave_; }
    QPushButton* closeButton() const { return cmdClose_; }
    QPushButton* cancelButton() const { return cmdCancel_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sets the running state for its lifetime, so that any way out of a save clears it.
    class RunningGuard {
    public:
        explicit RunningGuard(std::function<void(bool)> set) : set_(std::move(set)) { if (set_) set_(true); }
        ~RunningGuard() { if (set_) set_(false); }
        RunningGuard(const RunningGuard&) = delete;
        RunningGuard& operator=(const RunningGuard&) = delete;

    private:
        std::function<void(bool)> set_;
    };

    // The files of one add still to read: their entries in the file list, in its order. The file
    // list is not changed meanwhile (a long add turns it off).
    struct Adding {
        std::vector<int> entries;
        std::size_t next = 0;
        files::ReadContext readContext;
        bool cancelled = false;
        bool finished() const { return cancelled || next >= entries.size(); }
    };

    bool busy() const { return adding() || saving(); }
    // The controls that would change the grid, the list or the session while an add or a save
    // runs, on or off.
    void setIdleControlsEnabled(bool enabled);
    // Adds files of the running add until none is left or the time slice has passed.
    void addStep(bool wholeAdd);
    void addTimerStep();
    void finishAdd();
    void fillSessions();
    void sessionChosen(int index);
    void sessionEdited();
    void fileSelectionChanged();
    void gridSelectionChanged();
    void showRows() { showRowsFrom(0); }
    // The grid's rows from first on, as many as the model holds.
    void showRowsFrom(int first);
    void showRow(int row);
    // The file's column twice as wide as each of the others, together filling the grid.
    void layOutColumns();
    void saveStep();
    void finishSave();
    // To the bottom of the main window's client area; stays where it is without a main window.
    void moveToClientBottom();
    QString pathOf(const QString& entry) const;

    BatchWindowSetup setup_;
    casedb::BatchModel model_;
    std::unique_ptr<casedb::BatchRun> run_;
    std::optional<Adding> adding_;
    std::optional<RunningGuard> running_;
    bool closeWhenDone_ = false;
    bool placingFolder_ = false; // setFolder() itself moves the tree's current folder
    QString folder_;

    QFileSystemModel* folders_;
    QTreeView* lstDir_;
    QListWidget* lstFile_;
    QPushButton* cmdAdd_;
    QComboBox* cmbSession_;
    QTableWidget* grdCase_;
    QPushButton* cmdRemove_;
    QPushButton* cmdSave_;
    QPushButton* cmdClose_;
    QWidget* pnlStatus_;
    QLabel* lblCurrFile_;
    QProgressBar* pnlFlood_;
    QPushButton* cmdCancel_;
    QTimer* stepTimer_;
};

} // namespace sarvo
