#pragma once
// The program's windows by name ("result", "frmGraph", "Basic", ...): one default instance each,
// created on first use by the factory its subsystem registers, and deleted when it is unloaded.
// The frame opens, arranges and unloads windows through this registry, so a window that a later
// subsystem brings needs no change to the frame; a name without a factory opens nothing.

#include <QHash>
#include <QSet>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

#include <QMdiArea>

namespace sarvo {

class WindowRegistry {
public:
    using Factory = std::function<QWidget*(QWidget* parent)>;

    // mdiChild: the window lives in the main window's client area.
    void registerWindow(const QString& name, Factory factory, bool mdiChild);
    bool isRegistered(const QString& name) const { return factories_.contains(name); }

    // The main window's client area for the MDI children.
    void setMdiArea(QMdiArea* area) { mdiArea_ = area; }
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }

    // Loads the window without showing it; nullptr when no factory is registered.
    QWidget* ensureLoaded(const QString& name);
    QWidget* loaded(const QString& name) const;
    bool isLoaded(const QString& name) const { return loaded(name) != nullptr; }
    bool isMdiChild(const QString& name) const { return mdiChildren_.contains(name); }

    // Shows it not modal (loading it first); false when there is no such window.
    bool show(const QString& name);
    // Shows it modally and returns when it closes; false when there is no such window.
    bool showModal(const QString& name);
    // Closes and deletes it when it is loaded; false when the window refused to close.
    bool unload(const QString& name);

    // Loaded windows in the order they were loaded.
    QStringList loadedNames() const;

private:
    QHash<QString, Factory> factories_;
    QHash<QString, QPointer<QWidget>> instances_;
    QStringList loadOrder_;
    QSet<QString> mdiChildren_;
    QPointer<QMdiArea> mdiArea_;
    QPointer<QWidget> dialogParent_;
};

WindowRegistry& windows();

} // namespace sarvo
