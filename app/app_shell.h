#pragma once
// What the program's commands ask of the main window: menu items by command, toolbar buttons,
// status panels, the progress window, and the refresh of the windows that show values in
// display units. The program installs the main window's implementation; until then (and in
// tests) a plain recorder keeps the states.

#include "app/commands.h"
#include "core/progress.h"

#include <QList>
#include <QString>

#include <map>

namespace sarvo {

class AppShell {
public:
    virtual ~AppShell() = default;

    virtual void setMenuEnabled(CommandId id, bool enabled) = 0;
    virtual void setMenuChecked(CommandId id, bool checked) = 0;
    virtual void setMenuVisible(CommandId id, bool visible) = 0;
    virtual bool isMenuChecked(CommandId id) const = 0;
    virtual void setMenuText(CommandId id, const QString& text) = 0;
    virtual void setButtonEnabled(ButtonId id, bool enabled) = 0;
    virtual void setStatusText(StatusPanel panel, const QString& text) = 0;

    virtual bool toolbarVisible() const = 0;
    virtual void setToolbarVisible(bool visible) = 0;

    // The unit state changed: the open windows that show values in display units refresh.
    virtual void unitsChanged() = 0;

    // The progress window of a long computation: the main window is disabled from open to close,
    // whether the window is shown or not (a batch import computes without showing it).
    virtual void progressOpen(bool show) = 0;
    // Sets the meter (0..100) and lets pending events run.
    virtual void progressSet(int percent) = 0;
    virtual void progressClose() = 0;
    // Whether the user asked the computation under the progress window to stop.
    virtual bool progressCancelRequested() const { return false; }
};

// Keeps the states it is told, so that the commands and tests can read them back. Every menu
// item and button starts enabled, visible and unchecked.
class RecordingShell : public AppShell {
public:
    void setMenuEnabled(CommandId id, bool enabled) override { enabled_[id] = enabled; }
    void setMenuChecked(CommandId id, bool checked) override { checked_[id] = checked; }
    void setMenuVisible(CommandId id, bool visible) override { visible_[id] = visible; }
    bool isMenuChecked(CommandId id) const override { return valueOf(checked_, id, false); }
    void setMenuText(CommandId id, const QString& text) override { texts_[id] = text; }
    void setButtonEnabled(ButtonId id, bool enabled) override { buttons_[id] = enabled; }
    void setStatusText(StatusPanel panel, const QString& text) override { status_[panel] = text; }
    bool toolbarVisible() const override { return toolbarVisible_; }
    void setToolbarVisible(bool visible) override { toolbarVisible_ = visible; }
    void unitsChanged() override { ++unitsChangedCount_; }
    void progressOpen(bool show) override
    {
        progressOpen_ = true;
        progressShown_ = show;
        progressSteps_.clear();
    }
    void progressSet(int percent) override { progressSteps_.push_back(percent); }
    void progressClose() override { progressOpen_ = false; }
    // Asks to stop once the meter has been set `steps` times (negative: never).
    void cancelAfterProgressSteps(int steps) { cancelAfterSteps_ = steps; }
    bool progressCancelRequested() const override
    {
        return cancelAfterSteps_ >= 0 && progressSteps_.size() >= cancelAfterSteps_;
    }

    bool menuEnabled(CommandId id) const { return valueOf(enabled_, id, true); }
    bool menuVisible(CommandId id) const { return valueOf(visible_, id, true); }
    bool buttonEnabled(ButtonId id) const { return valueOf(buttons_, id, true); }
    QString statusText(StatusPanel panel) const { return valueOf(status_, panel); }
    QString menuText(CommandId id) const { return valueOf(texts_, id); }
    int unitsChangedCount() const { return unitsChangedCount_; }
    bool progressIsOpen() const { return progressOpen_; }
    bool progressShown() const { return progressShown_; }
    const QList<int>& progressSteps() const { return progressSteps_; }

private:
    template <class Key, class Value>
    static Value valueOf(const std::map<Key, Value>& map, Key key, Value fallback = {})
    {
        const auto it = map.find(key);
        return it == map.end() ? fallback : it->second;
    }

    std::map<CommandId, bool> enabled_, checked_, visible_;
    std::map<ButtonId, bool> buttons_;
    std::map<StatusPanel, QString> status_;
    std::map<CommandId, QString> texts_;
    bool toolbarVisible_ = true;
    int unitsChangedCount_ = 0;
    bool progressOpen_ = false;
    bool progressShown_ = false;
    QList<int> progressSteps_;
    int cancelAfterSteps_ = -1;
};

AppShell& shell();
// Installs s (not owned); nullptr restores the recorder.
void setShell(AppShell* s);

// The progress window for the lifetime of the object: closed on every path, so the main window is
// always enabled again.
class ProgressScope : public Progress {
public:
    explicit ProgressScope(bool show) { shell().progressOpen(show); }
    ~ProgressScope() override { shell().progressClose(); }
    void setPercent(int percent) override { shell().progressSet(percent); }
    bool cancelRequested() const override { return shell().progressCancelRequested(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
};

} // namespace sarvo
