#include "app/ui/window_registry.h"

#include <QDialog>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace sarvo {

void WindowRegistry::registerWindow(const QString& name, Factory factory, bool mdiChild)
{
    factories_.insert(name, std::move(factory));
    if (mdiChild)
        mdiChildren_.insert(name);
    else
        mdiChildren_.remove(name);
}

QWidget* WindowRegistry::loaded(const QString& name) const
{
    return instances_.value(name).data();
}

QWidget* WindowRegistry::ensureLoaded(const QString& name)
{
    if (QWidget* w = loaded(name))
        return w;
    const auto factory = factories_.constFind(name);
    if (factory == factories_.cend())
        return nullptr;
    const bool child = mdiChildren_.contains(name) && mdiArea_;
    QWidget* w = (*factory)(child ? nullptr : dialogParent_.data());
    if (!w)
        return nullptr;
    w->setObjectName(name);
    w->setAttribute(Qt::WA_DeleteOnClose);
    if (child)
        mdiArea_->addSubWindow(w)->setAttribute(Qt::WA_DeleteOnClose);
    instances_.insert(name, w);
    loadOrder_.removeAll(name);
    loadOrder_ << name;
    return w;
}

bool WindowRegistry::show(const QString& name)
{
    QWidget* w = ensureLoaded(name);
    if (!w)
        return false;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
        sub->show();
    w->show();
    w->raise();
    w->activateWindow();
    return true;
}

bool WindowRegistry::showModal(const QString& name)
{
    QWidget* w = ensureLoaded(name);
    if (!w)
        return false;
    if (auto* dialog = qobject_cast<QDialog*>(w)) {
        dialog->exec();
        return true;
    }
    // A plain widget shown as an application-modal window until it is closed.
    QPointer<QWidget> guard(w);
    QEventLoop loop;
    QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    loop.exec();
    return true;
}

bool WindowRegistry::unload(const QString& name)
{
    QPointer<QWidget> w = loaded(name);
    if (!w)
        return true;
    QWidget* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    // A window may refuse to close (unsaved work): it then stays loaded.
    if (!w->close())
        return false;
    instances_.remove(name);
    loadOrder_.removeAll(name);
    if (w)
        delete w.data();
    if (sub)
        sub->deleteLater();
    return true;
}

QStringList WindowRegistry::loadedNames() const
{
    QStringList names;
    for (const QString& name : loadOrder_) {
        if (isLoaded(name))
            names << name;
    }
    return names;
}

WindowRegistry& windows()
{
    static WindowRegistry registry;
    return registry;
}

} // namespace sarvo
