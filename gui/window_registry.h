#pragma once
// The program's windows by id: one default instance each, created on first use by the factory its
// subsystem registers, and deleted when it is unloaded. The frame opens, arranges and unloads
// windows through this registry, so a window that a later subsystem brings needs no change to the
// frame; an id without a factory opens nothing (and its commands stay disabled).

#include <QHash>
#include <QSet>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

#include <QMdiArea>

namespace sarvo {

// Every window the frame opens by id; each instance's object name is its control name.
enum class WindowId {
    Splash,        // "frmFirst"
    About,         // "frmAbout"
    OpenFile,      // "frmOpenfile"
    Results,       // "result"
    Graph,         // "frmGraph"
    AnalysisGraph, // "frmAnaGraph"
    CaseInfo,      // "Basic"
    NewCase,       // "frmBasic"
    Session,       // "frmSession"
    DbLoad,        // "DbLoad"
    Batch,         // "Batch"
    History,       // "History"
    HistoryGraph,  // "HistGraph"
    Language,      // "frmLang"
    Configure,     // "frmConfig"
    Print,         // "frmPrint"
    Measure,       // "frmMeasure"
};

// The window's control name.
QString WindowName(WindowId id);

inline size_t qHash(WindowId id, size_t seed = 0) noexcept
{
    return ::qHash(int(id), seed);
}

class WindowRegistry {
public:
    using Factory = std::function<QWidget*(QWidget* parent)>;

    // mdiChild: the window lives in the main window's client area.
    void registerWindow(WindowId id, Factory factory, bool mdiChild);
    bool isRegistered(WindowId id) const { return factories_.contains(id); }

    // The main window's client area for the MDI children.
    void setMdiArea(QMdiArea* area) { mdiArea_ = area; }
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }

    // Loads the window without showing it; nullptr when no factory is registered.
    QWidget* ensureLoaded(WindowId id);
    QWidget* loaded(WindowId id) const;
    bool isLoaded(WindowId id) const { return loaded(id) != nullptr; }
    bool isMdiChild(WindowId id) const { return mdiChildren_.contains(id); }

    // Shows it not modal (loading it first); false when there is no such window.
    bool show(WindowId id);
    // Shows it modally and returns when it closes; false when there is no such window.
    bool showModal(WindowId id);
    // Closes and deletes it when it is loaded; false when the window refused to close.
    bool unload(WindowId id);

    // Loaded windows in the order they were loaded.
    QList<WindowId> loadedWindows() const;

    // Unloads every window and forgets every factory: the state before the program registered
    // any (for tests).
    void reset();

private:
    QHash<WindowId, Factory> factories_;
    QHash<WindowId, QPointer<QWidget>> instances_;
    QList<WindowId> loadOrder_;
    QSet<WindowId> mdiChildren_;
    QPointer<QMdiArea> mdiArea_;
    QPointer<QWidget> dialogParent_;
};

WindowRegistry& windows();

} // namespace sarvo
