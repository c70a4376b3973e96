#pragma once
// What the logic asks of the main window: menu items by control name ("MMetric", "MPoint(2)"),
// toolbar buttons by key, status panels by key, the busy cursor, and the refresh of the windows
// that show values in display units. The program installs the main window's implementation;
// until then (and in tests) a plain recorder keeps the states, so the logic runs without windows.

#include <QHash>
#include <QList>
#include <QString>

namespace sarvo {

class AppShell {
public:
    virtual ~AppShell() = default;

    virtual void setMenuEnabled(const QString& name, bool enabled) = 0;
    virtual void setMenuChecked(const QString& name, bool checked) = 0;
    virtual void setMenuVisible(const QString& name, bool visible) = 0;
    virtual bool isMenuChecked(const QString& name) const = 0;
    virtual void setMenuText(const QString& name, const QString& text) = 0;
    virtual void setButtonEnabled(const QString& key, bool enabled) = 0;
    virtual void setStatusText(const QString& key, const QString& text) = 0;

    virtual bool toolbarVisible() const = 0;
    virtual void setToolbarVisible(bool visible) = 0;

    // Hourglass on or off; calls nest.
    virtual void setBusy(bool busy) = 0;

    // The unit state changed: the open windows that show values in display units refresh.
    virtual void unitsChanged() = 0;

    // The progress window of a long computation: the main window is disabled from open to close,
    // whether the window is shown or not (a batch import computes without showing it).
    virtual void progressOpen(bool show) = 0;
    // Sets the meter (0..100) and lets pending events run.
    virtual void progressSet(int percent) = 0;
    virtual void progressClose() = 0;
};

// Keeps the states it is told, so that logic and tests can read them back.
class RecordingShell : public AppShell {
public:
    void setMenuEnabled(const QString& name, bool enabled) override { enabled_[name] = enabled; }
    void setMenuChecked(const QString& name, bool checked) override { checked_[name] = checked; }
    void setMenuVisible(const QString& name, bool visible) override { visible_[name] = visible; }
    bool isMenuChecked(const QString& name) const override { return checked_.value(name, false); }
    void setMenuText(const QString& name, const QString& text) override { texts_[name] = text; }
    void setButtonEnabled(const QString& key, bool enabled) override { buttons_[key] = enabled; }
    void setStatusText(const QString& key, const QString& text) override { status_[key] = text; }
    bool toolbarVisible() const override { return toolbarVisible_; }
    void setToolbarVisible(bool visible) override { toolbarVisible_ = visible; }
    void setBusy(bool busy) override { busyDepth_ += busy ? 1 : -1; }
    void unitsChanged() override { ++unitsChangedCount_; }
    void progressOpen(bool show) override
    {
        progressOpen_ = true;
        progressShown_ = show;
        progressSteps_.clear();
    }
    void progressSet(int percent) override { progressSteps_.push_back(percent); }
    void progressClose() override { progressOpen_ = false; }

    bool menuEnabled(const QString& name) const { return enabled_.value(name, true); }
    bool menuVisible(const QString& name) const { return visible_.value(name, true); }
    bool buttonEnabled(const QString& key) const { return buttons_.value(key, true); }
    QString statusText(const QString& key) const { return status_.value(key); }
    QString menuText(const QString& name) const { return texts_.value(name); }
    int busyDepth() const { return busyDepth_; }
    int unitsChangedCount() const { return unitsChangedCount_; }
    bool progressIsOpen() const { return progressOpen_; }
    bool progressShown() const { return progressShown_; }
    const QList<int>& progressSteps() const { return progressSteps_; }

private:
    QHash<QString, bool> enabled_, checked_, visible_, buttons_;
    QHash<QString, QString> status_, texts_;
    bool toolbarVisible_ = true;
    int busyDepth_ = 0;
    int unitsChangedCount_ = 0;
    bool progressOpen_ = false;
    bool progressShown_ = false;
    QList<int> progressSteps_;
};

AppShell& shell();
// Installs s (not owned); nullptr restores the recorder.
void setShell(AppShell* s);

// The progress window for the lifetime of the object: closed on every path, so the main window is
// always enabled again.
class ProgressScope {
public:
    explicit ProgressScope(bool show) { shell().progressOpen(show); }
    ~ProgressScope() { shell().progressClose(); }
    void setPercent(int percent) { shell().progressSet(percent); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
};

// Hourglass for the lifetime of the object.
class BusyCursor {
public:
    BusyCursor() { shell().setBusy(true); }
    ~BusyCursor() { shell().setBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace sarvo
