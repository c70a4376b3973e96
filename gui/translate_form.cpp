#include "gui/translate_form.h"

#include "core/language_db.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include <functional>

namespace sarvo {

namespace {

// The mark of a window that TranslateForm has translated.
constexpr const char* kTranslatedForm = "translatedForm";

class FormTranslator {
public:
    FormTranslator(const LanguageDb& db, QString formTag, QString language)
        : db_(db), form_(std::move(formTag)), language_(std::move(language))
    {
    }

    // Caption step: a found row gives the caption; else a control Tag leads to LangMemo; else the
    // caption is added as a new key. A row or memo without this language leaves the English.
    QString caption(const QString& english, const QString& controlTag) const
    {
        bool found = false;
        const auto translated = db_.lookup(form_, english, language_, &found);
        if (found)
            return translated.value_or(english);
        if (!controlTag.isEmpty())
            return db_.lookupMemo(form_, controlTag, language_).value_or(english);
        db_.addKey(form_, english);
        return english;
    }

    // Tool tips, tab captions and window titles: no LangMemo fallback.
    QString plain(const QString& english) const { return caption(english, {}); }

private:
    const LanguageDb& db_;
    QString form_;
    QString language_;
};

// One translatable text of a control (its caption, its tool tip, a tab's caption...). The control
// keeps the English source and the text last shown in two dynamic properties named after the slot.
struct TextSlot {
    QObject* holder;
    QByteArray name;
    QString current;
    std::function<void(const QString&)> set;
};

void translateSlot(const TextSlot& slot, const std::function<QString(const QString&)>& translate)
{
    const QByteArray sourceKey = "en:" + slot.name;
    const QByteArray shownKey = "shown:" + slot.name;
    const QVariant stored = slot.holder->property(sourceKey.constData());
    QString english = slot.current;
    if (stored.isValid()) {
        // Changed by the program since it was translated: the program's own text, left alone.
        if (slot.current != slot.holder->property(shownKey.constData()).toString())
            return;
        english = stored.toString();
    }
    if (english.isEmpty())
        return; // no empty key is ever looked up
    const QString shown = translate(english);
    slot.holder->setProperty(sourceKey.constData(), english);
    slot.holder->setProperty(shownKey.constData(), shown);
    if (shown != slot.current)
        slot.set(shown);
}

// The tool tip Qt makes up for an action without one of its own: the caption without "&" and "...".
QString automaticToolTip(QString text)
{
    text.remove(QStringLiteral("..."));
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&')
            text.remove(i, 1);
    }
    return text.trimmed();
}

QString tagOf(const QObject* object)
{
    return object->property("tag").toString();
}

void translateControl(const FormTranslator& t, QObject* object)
{
    if (object->property("noTranslate").toBool())
        return;
    const QString tag = tagOf(object);
    const auto caption = [&t, &tag](const QString& english) { return t.caption(english, tag); };
    const auto plain = [&t](const QString& english) { return t.plain(english); };
    if (auto* action = qobject_cast<QAction*>(object)) {
        // A menu's own action carries the menu title, which the menu translates itself; a
        // toolbar's show/hide action carries the toolbar's title, which the toolbar translates.
        if (action->isSeparator() || action->menu())
            return;
        if (auto* bar = qobject_cast<QToolBar*>(action->parent()); bar && bar->toggleViewAction() == action)
            return;
        translateSlot({action, "text", action->text(), [action](const QString& s) { action->setText(s); }}, caption);
        // Only a tool tip the window set is a text of its own.
        const QString tip = action->toolTip();
        if (tip != automaticToolTip(action->text()))
            translateSlot({action, "toolTip", tip, [action](const QString& s) { action->setToolTip(s); }}, plain);
        return;
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return;
    // A toolbar's button shows its action's texts, which the action translates.
    if (auto* button = qobject_cast<QToolButton*>(widget); button && button->defaultAction())
        return;
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        translateSlot({menu, "title", menu->title(), [menu](const QString& s) { menu->setTitle(s); }}, caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        translateSlot({button, "text", button->text(), [button](const QString& s) { button->setText(s); }}, caption);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        translateSlot({label, "text", label->text(), [label](const QString& s) { label->setText(s); }}, caption);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        translateSlot({group, "title", group->title(), [group](const QString& s) { group->setTitle(s); }}, caption);
    } else if (auto* bar = qobject_cast<QToolBar*>(widget)) {
        translateSlot({bar, "title", bar->windowTitle(), [bar](const QString& s) { bar->setWindowTitle(s); }}, caption);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        for (int i = 0; i < tabs->count(); ++i) {
            const QByteArray index = QByteArray::number(i);
            translateSlot({tabs, "tab" + index, tabs->tabText(i), [tabs, i](const QString& s) { tabs->setTabText(i, s); }},
                          plain);
            translateSlot({tabs, "tabToolTip" + index, tabs->tabToolTip(i),
                           [tabs, i](const QString& s) { tabs->setTabToolTip(i, s); }},
                          plain);
        }
    }
    translateSlot({widget, "toolTip", widget->toolTip(), [widget](const QString& s) { widget->setToolTip(s); }}, plain);
}

// The window's controls in their order, depth first. Child windows (MDI children, dialogs) and
// panels that translate themselves under their own Tag are not the window's controls.
void collectControls(QObject* parent, QList<QObject*>& out)
{
    for (QObject* child : parent->children()) {
        if (auto* w = qobject_cast<QWidget*>(child)) {
            if (qobject_cast<QMdiSubWindow*>(w) || (w->isWindow() && !qobject_cast<QMenu*>(w))
                || w->property(kTranslatedForm).toBool())
                continue;
        }
        out << child;
        collectControls(child, out);
    }
}

// The English of the entries of a child window's system menu, as Qt writes them.
constexpr const char* kSystemMenuContext = "QMdiSubWindow";
constexpr const char* kSystemMenuTexts[] = {"&Restore", "Mi&nimize", "Ma&ximize", "&Move", "&Size", "Stay on &Top", "&Close"};
constexpr const char* kQtSource = "qtSource";

QList<QMdiSubWindow*> openChildWindows()
{
    QList<QMdiSubWindow*> children;
    for (QWidget* top : QApplication::topLevelWidgets())
        children << top->findChildren<QMdiSubWindow*>();
    return children;
}

void keepSystemMenuSource(QMdiSubWindow& child)
{
    if (!child.systemMenu())
        return;
    for (QAction* action : child.systemMenu()->actions()) {
        if (action->property(kQtSource).isValid())
            continue;
        for (const char* english : kSystemMenuTexts) {
            if (action->text() == QCoreApplication::translate(kSystemMenuContext, english)) {
                action->setProperty(kQtSource, QString::fromLatin1(english));
                break;
            }
        }
    }
}

void translateSystemMenu(QMdiSubWindow& child)
{
    if (!child.systemMenu())
        return;
    for (QAction* action : child.systemMenu()->actions()) {
        const QString english = action->property(kQtSource).toString();
        if (!english.isEmpty())
            action->setText(QCoreApplication::translate(kSystemMenuContext, english.toLatin1().constData()));
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
    window.setProperty(kTranslatedForm, true);
    const FormTranslator t(db, WindowTag(window), TextLanguage());
    // The list is taken once, before the loop.
    QList<QObject*> controls;
    collectControls(&window, controls);
    for (QObject* control : controls)
        translateControl(t, control);
    translateSlot({&window, "windowTitle", window.windowTitle(), [&window](const QString& s) { window.setWindowTitle(s); }},
                  [&t](const QString& english) { return t.plain(english); });
}

void RetranslateOpenForms(const std::function<void()>& installQtTranslations)
{
    // Qt builds a child window's system menu once, in the language of the moment: its English
    // is found while that language is still installed, and the menu is translated again after.
    const QList<QMdiSubWindow*> children = openChildWindows();
    for (QMdiSubWindow* child : children)
        keepSystemMenuSource(*child);
    if (installQtTranslations)
        installQtTranslations();
    // Qt's own texts in the open windows (standard buttons and the like) follow now, not later.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    for (QMdiSubWindow* child : children)
        translateSystemMenu(*child);

    // Outer windows first, so a window's own pass never meets a panel before the panel's pass.
    QList<QPointer<QWidget>> forms;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->property(kTranslatedForm).toBool())
            forms << top;
        for (QWidget* inner : top->findChildren<QWidget*>()) {
            if (inner->property(kTranslatedForm).toBool())
                forms << inner;
        }
    }
    for (const QPointer<QWidget>& form : forms) {
        if (form)
            TranslateForm(*form);
    }
}

} // namespace sarvo
