#pragma once
// "frmTree": tells the user what the fault-tree hand-over is doing (waiting for the program,
// searching for it, not found), and the hand-over as the results window runs it.

#include "display/fault_tree.h"

#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace sarvo::display {

class TreeWindow : public QWidget {
    Q_OBJECT
public:
    explicit TreeWindow(QWidget* parent = nullptr);

    void showSearch();
    void showNotFound();
    // Close pressed while the search notice shows: the search is to stop.
    bool abortRequested() const { return abort_; }

    QLabel* waitNotice() const { return wait_; }
    QLabel* searchNotice() const { return search_; }
    QLabel* notFoundNotice() const { return notFound_; }
    QPushButton* closeButton() const { return close_; }

Q_SIGNALS:
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* wait_;
    QLabel* search_;
    QLabel* notFound_;
    QPushButton* close_;
    bool abort_ = false;
};

// How long a freshly started fault-tree program has to answer.
inline constexpr std::chrono::seconds kFaultTreeStartWait{20};

// The hand-over from the results window; it returns at once and runs on the event loop. The
// window is disabled while it runs and stays so while the not-found notice shows, until the user
// closes it. keepPath gets the program path to keep (a program found by the search replaces the
// configured one); a failure is reported under "Launching fault tree". A hand-over already
// running in the window is not started twice.
void StartFaultTree(QWidget& resultsWindow, const QString& jumpKey, const QString& programPath, const QString& appPath,
                    std::unique_ptr<FaultTreeLink> link, std::function<void(const QString& path)> keepPath,
                    std::chrono::milliseconds startWait = kFaultTreeStartWait);

// Whether a hand-over runs in the results window.
bool FaultTreeRunning(const QWidget& resultsWindow);

// The program started on this system: a detached process in the program's folder.
bool StartDetachedProgram(const QString& path);

} // namespace sarvo::display
