#include "gui/window_registry.h"

#include "gui/form_utilities.h"

#include <QDialog>

#include <iterator>

#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace sarvo {

QString WindowName(WindowId id)
{
    static const char* const names[] = {"frmFirst", "frmAbout", "frmOpenfile", "result", "frmGraph", "frmAnaGraph",
                                        "Basic", "frmBasic", "frmSession", "DbLoad", "Batch", "History", "HistGraph",
                                        "frmLang", "frmConfig", "frmPrint", "frmMeasure"};
    static_assert(std::size(names) == std::size_t(WindowId::Measure) + 1);
    return QString::fromLatin1(names[static_cast<std::size_t>(id)]);
}

void WindowRegistry::registerWindow(WindowId id, Factory factory, bool mdiChild)
{
    factories_.insert(id, std::move(factory));
    if (mdiChild)
        mdiChildren_.insert(id);
    else
        mdiChildren_.remove(id);
}

QWidget* WindowRegistry::loaded(WindowId id) const
{
    return instances_.value(id).data();
}

QWidget* WindowRegistry::ensureLoaded(WindowId id)
{
    if (QWidget* w = loaded(id))
        return w;
    const auto factory = factories_.constFind(id);
    if (factory == factories_.cend())
        return nullptr;
    const bool child = mdiChildren_.contains(id) && mdiArea_;
    QWidget* w = (*factory)(child ? nullptr : dialogParent_.data());
    if (!w)
        return nullptr;
    w->setObjectName(WindowName(id));
    w->setAttribute(Qt::WA_DeleteOnClose);
    if (child)
        mdiArea_->addSubWindow(w)->setAttribute(Qt::WA_DeleteOnClose);
    instances_.insert(id, w);
    loadOrder_.removeAll(id);
    loadOrder_ << id;
    return w;
}

bool WindowRegistry::show(WindowId id)
{
    QWidget* w = ensureLoaded(id);
    if (!w)
        return false;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
        sub->show();
    w->show();
    w->raise();
    w->activateWindow();
    return true;
}

bool WindowRegistry::showModal(WindowId id)
{
    QWidget* w = ensureLoaded(id);
    if (!w)
        return false;
    if (auto* dialog = qobject_cast<QDialog*>(w)) {
        dialog->exec();
        // What the dialog closed or opened may have taken the window that had the keyboard.
        KeepKeyboardInAWindow();
        return true;
    }
    // A plain widget shown as an application-modal window until it is closed.
    QPointer<QWidget> guard(w);
    QEventLoop loop;
    QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    loop.exec();
    KeepKeyboardInAWindow();
    return true;
}

bool WindowRegistry::unload(WindowId id)
{
    QPointer<QWidget> w = loaded(id);
    if (!w)
        return true;
    QWidget* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    // A window may refuse to close (unsaved work): it then stays loaded.
    if (!w->close())
        return false;
    instances_.remove(id);
    loadOrder_.removeAll(id);
    if (w)
        delete w.data();
    if (sub)
        sub->deleteLater();
    return true;
}

QList<WindowId> WindowRegistry::loadedWindows() const
{
    QList<WindowId> ids;
    for (const WindowId id : loadOrder_) {
        if (isLoaded(id))
            ids << id;
    }
    return ids;
}

void WindowRegistry::reset()
{
    for (const WindowId id : loadedWindows()) {
        if (QPointer<QWidget> w = loaded(id)) {
            QWidget* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
            delete w.data();
            delete sub;
        }
    }
    factories_.clear();
    instances_.clear();
    loadOrder_.clear();
    mdiChildren_.clear();
}

WindowRegistry& windows()
{
    static WindowRegistry registry;
    return registry;
}

} // namespace sarvo
