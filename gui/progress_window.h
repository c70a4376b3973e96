#pragma once
// The progress window of a long computation: a percentage meter and "One moment, please...".
// While it is loaded, shown or not, the main window is disabled; it is enabled again on every way
// out (closing the window, destroying it, closing or destroying its host).

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace sarvo {

class WaitForm : public QWidget {
    Q_OBJECT
public:
    // Loads the window: centred, translated under the Tag "Wait", the main window disabled.
    // The window is not shown; the caller decides.
    explicit WaitForm(QWidget* mainWindow);
    ~WaitForm() override;

    // Sets the meter (clamped to 0..100) and repaints it; no other event runs meanwhile.
    void setPercent(int percent);
    int percent() const;

    // False once the window has been closed; its host then loads a new one on the next access.
    bool isLoaded() const { return loaded_; }

    QProgressBar* meter() const { return meter_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void unload();

    QPointer<QWidget> mainWindow_;
    QProgressBar* meter_;
    QLabel* message_;
    bool loaded_ = true;
};

// The progress window of one main window, loaded on first access and unloaded by close(); the
// main window's progressOpen / progressSet / progressClose map onto open / setPercent / close.
class ProgressWindowHost {
public:
    explicit ProgressWindowHost(QWidget* mainWindow) : mainWindow_(mainWindow) {}
    ~ProgressWindowHost() { close(); }
    ProgressWindowHost(const ProgressWindowHost&) = delete;
    ProgressWindowHost& operator=(const ProgressWindowHost&) = delete;

    // Loads the window (disabling the main window) and shows it when asked; a batch computation
    // keeps it hidden.
    void open(bool show);
    // Loads the window unshown when it is not loaded (the user may have closed it meanwhile)
    // and sets the meter.
    void setPercent(int percent);
    // Unloads the window; the main window is enabled again.
    void close();

    // The loaded window, or null.
    WaitForm* window() const;

private:
    WaitForm& load();

    QPointer<QWidget> mainWindow_;
    QPointer<WaitForm> form_;
};

} // namespace sarvo
