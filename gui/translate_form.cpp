#include "gui/translate_form.h"

#include "core/language_db.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabWidget>
#include <QWidget>

#include <functional>

namespace sarvo {

namespace {

class FormTranslator {
public:
    FormTranslator(const LanguageDb& db, QString formTag, QString language)
        : db_(db), form_(std::move(formTag)), language_(std::move(language))
    {
    }

    // Caption step: a found row gives the caption; else a control Tag leads to LangMemo; else the
    // caption is added as a new key.
    void caption(const QString& text, const QString& controlTag, const std::function<void(const QString&)>& set) const
    {
        if (text.isEmpty())
            return;
        bool found = false;
        const auto translated = db_.lookup(form_, text, language_, &found);
        if (found) {
            if (translated)
                set(*translated);
            return;
        }
        if (!controlTag.isEmpty()) {
            if (auto memo = db_.lookupMemo(form_, controlTag, language_))
                set(*memo);
            return;
        }
        db_.addKey(form_, text);
    }

    // Tool-tip step: no LangMemo fallback.
    void toolTip(const QString& text, const std::function<void(const QString&)>& set) const
    {
        if (text.isEmpty())
            return;
        bool found = false;
        const auto translated = db_.lookup(form_, text, language_, &found);
        if (!found)
            db_.addKey(form_, text);
        else if (translated)
            set(*translated);
    }

    // The window's own caption is looked up even when it is empty.
    void windowCaption(QWidget& window) const
    {
        bool found = false;
        const auto translated = db_.lookup(form_, window.windowTitle(), language_, &found);
        if (!found)
            db_.addKey(form_, window.windowTitle());
        else if (translated)
            window.setWindowTitle(*translated);
    }

private:
    const LanguageDb& db_;
    QString form_;
    QString language_;
};

QString tagOf(const QObject* object)
{
    return object->property("tag").toString();
}

void translateControl(const FormTranslator& t, QObject* object)
{
    if (object->property("noTranslate").toBool())
        return;
    const QString tag = tagOf(object);
    if (auto* action = qobject_cast<QAction*>(object)) {
        // A menu's own action carries the menu title, which the menu translates itself.
        if (action->isSeparator() || action->menu())
            return;
        t.caption(action->text(), tag, [action](const QString& s) { action->setText(s); });
        t.toolTip(action->toolTip() == QString(action->text()).remove('&') ? QString() : action->toolTip(),
                  [action](const QString& s) { action->setToolTip(s); });
        return;
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return;
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        t.caption(menu->title(), tag, [menu](const QString& s) { menu->setTitle(s); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        t.caption(button->text(), tag, [button](const QString& s) { button->setText(s); });
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        t.caption(label->text(), tag, [label](const QString& s) { label->setText(s); });
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        t.caption(group->title(), tag, [group](const QString& s) { group->setTitle(s); });
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        for (int i = 0; i < tabs->count(); ++i) {
            t.caption(tabs->tabText(i), {}, [tabs, i](const QString& s) { tabs->setTabText(i, s); });
            t.toolTip(tabs->tabToolTip(i), [tabs, i](const QString& s) { tabs->setTabToolTip(i, s); });
        }
    }
    t.toolTip(widget->toolTip(), [widget](const QString& s) { widget->setToolTip(s); });
}

// The window's controls in their order, depth first. Child windows (MDI children, dialogs)
// translate themselves when they load, so their controls are not the window's.
void collectControls(QObject* parent, QList<QObject*>& out)
{
    for (QObject* child : parent->children()) {
        if (auto* w = qobject_cast<QWidget*>(child)) {
            if (qobject_cast<QMdiSubWindow*>(w) || (w->isWindow() && !qobject_cast<QMenu*>(w)))
                continue;
        }
        out << child;
        collectControls(child, out);
    }
}

} // namespace

QString WindowTag(const QWidget& window)
{
    const QString tag = tagOf(&window);
    return tag.isEmpty() ? window.objectName() : tag;
}

void TranslateForm(QWidget& window)
{
    const LanguageDb& db = languageDb();
    if (!db.isOpen())
        return;
    const FormTranslator t(db, WindowTag(window), TextLanguage());
    // The list is taken once, before the loop.
    QList<QObject*> controls;
    collectControls(&window, controls);
    for (QObject* control : controls)
        translateControl(t, control);
    t.windowCaption(window);
}

} // namespace sarvo
