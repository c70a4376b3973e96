// Access keys of the windows that live inside the main window. Such a window shares the frame's
// keys: an Alt+letter of one of its buttons, options or tabs that is also a menu's letter takes the
// key from the menu (pressed once, it moves to the control instead of opening the menu). Every
// one of them, in every shipped language, with a case open so that every window can show.
#include "app/after_load.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "core/language_db.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <memory>

namespace sarvo::test {
namespace {

// One control's access key with the text that carries it.
struct AccessKey {
    QKeySequence key;
    QString text;
};

// The access keys a window's controls take: buttons and options, tabs, group titles and the
// captions that lead to a field. Controls on pages that are not shown count too: they take
// their key as soon as their page is.
QList<AccessKey> ControlAccessKeys(QWidget& window)
{
    QList<AccessKey> keys;
    const auto add = [&keys](const QString& text) {
        if (const QKeySequence key = QKeySequence::mnemonic(text); !key.isEmpty())
            keys << AccessKey{key, text};
    };
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->window() != window.window())
            continue; // a window of its own (a dialog it opened) has its own keys
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            add(button->text());
        else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs->tabText(i));
        } else if (auto* group = qobject_cast<QGroupBox*>(w))
            add(group->title());
        else if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
            add(label->text());
    }
    return keys;
}

class AccessKeysTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        previousHome = qgetenv("SARVOTEX_HOME");
        qputenv("SARVOTEX_HOME", dir.path().toUtf8());
        services() = ProgramServices();
        main = std::make_unique<MainWindow>();
        StartOptions options;
        options.programFolder = programFolder.path();
        StartApplication(*main, options);
        ASSERT_TRUE(languageDb().isOpen());
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void TearDown() override
    {
        main.reset();
        services() = ProgramServices();
        qputenv("SARVOTEX_HOME", previousHome);
        AppTest::TearDown();
    }

    // The letters of the menu bar, each with its menu's caption.
    QMap<QKeySequence, QString> menuKeys() const
    {
        QMap<QKeySequence, QString> keys;
        for (const QAction* a : main->menuBar()->actions()) {
            if (const QKeySequence key = QKeySequence::mnemonic(a->text()); !key.isEmpty())
                keys.insert(key, a->text());
        }
        return keys;
    }

    // Every window the program registers that lives inside the main window (or outside it),
    // shown over an open case.
    QList<WindowId> showWindows(bool inside)
    {
        FillTwoWayCircle(app().OpenCase);
        RunAfterFileRead(true, "/data/circle.rtb");
        QList<WindowId> shown;
        for (int id = 0; id <= int(WindowId::Measure); ++id) {
            if (windows().isRegistered(WindowId(id)) && windows().isMdiChild(WindowId(id)) == inside) {
                EXPECT_TRUE(windows().show(WindowId(id))) << WindowName(WindowId(id)).toStdString();
                shown << WindowId(id);
            }
        }
        return shown;
    }

    QByteArray previousHome;
    QTemporaryDir programFolder;
    std::unique_ptr<MainWindow> main;
};

TEST_F(AccessKeysTest, NoWindowInsideTheMainWindowTakesAMenuLetterInAnyShippedLanguage)
{
    const QList<WindowId> children = showWindows(true);
    // The results, both graphs, the case information and the trend results at least.
    EXPECT_GE(children.size(), 5);
    for (const char* language : {"English", "German"}) {
        SwitchLanguage(*main, language);
        const QMap<QKeySequence, QString> menus = menuKeys();
        ASSERT_EQ(menus.size(), main->menuBar()->actions().size()) << language;
        for (WindowId id : children) {
            QStringList clashes;
            for (const AccessKey& k : ControlAccessKeys(*windows().loaded(id))) {
                if (menus.contains(k.key))
                    clashes << k.text + " / " + menus[k.key];
            }
            EXPECT_EQ(clashes.join(", ").toStdString(), "") << language << " " << WindowName(id).toStdString();
        }
    }
}

// Within one window a key reaches one control: two sharing it would each take it in turn. Every
// window the program registers, those outside the main window each loaded in turn.
TEST_F(AccessKeysTest, NoWindowGivesOneAccessKeyTwiceInAnyShippedLanguage)
{
    const QList<WindowId> inside = showWindows(true);
    const auto clashesOf = [](QWidget& window) {
        QStringList clashes;
        QMap<QKeySequence, QString> taken;
        for (const AccessKey& k : ControlAccessKeys(window)) {
            if (taken.contains(k.key))
                clashes << k.text + " / " + taken[k.key];
            taken.insert(k.key, k.text);
        }
        return clashes.join(", ").toStdString();
    };
    // The windows inside first, in both languages: opening some of the others closes them.
    for (const char* language : {"English", "German"}) {
        SwitchLanguage(*main, language);
        for (WindowId id : inside)
            EXPECT_EQ(clashesOf(*windows().loaded(id)), "") << language << " " << WindowName(id).toStdString();
    }
    int outside = 0;
    for (int i = 0; i <= int(WindowId::Measure); ++i) {
        const WindowId id = WindowId(i);
        if (!windows().isRegistered(id) || inside.contains(id))
            continue;
        ++outside;
        for (const char* language : {"English", "German"}) {
            SwitchLanguage(*main, language);
            ASSERT_TRUE(windows().show(id)) << WindowName(id).toStdString();
            EXPECT_EQ(clashesOf(*windows().loaded(id)), "") << language << " " << WindowName(id).toStdString();
            windows().unload(id);
        }
    }
    EXPECT_GE(outside, 9);
}

// In the German trend results, as a user presses them: Alt+D opens the "Datei" menu, however the
// window's Print button reads, and the window's own keys still reach its tabs.
TEST_F(AccessKeysTest, InTheGermanTrendResultsAltDOpensTheFileMenu)
{
    SwitchLanguage(*main, "German");
    ASSERT_TRUE(windows().show(WindowId::HistoryGraph));
    QWidget* trend = windows().loaded(WindowId::HistoryGraph);
    auto* tabs = trend->findChild<QTabWidget*>("tabb");
    ASSERT_NE(tabs, nullptr);
    tabs->currentWidget()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return trend->isAncestorOf(QApplication::focusWidget()); }));

    QMenu* file = main->findChild<QMenu*>("MFile");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->title(), "&Datei");
    // A key two controls share goes to each in turn: every press must open the menu.
    for (int press = 1; press <= 2; ++press) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, Qt::Key_D, Qt::AltModifier);
        const bool opened = QTest::qWaitFor([&] { return file->isVisible(); });
        focus = QApplication::focusWidget();
        ASSERT_TRUE(opened) << "press " << press << " went to " << qPrintable(focus ? focus->objectName() : QString());
        QTest::keyClick(file, Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !file->isVisible(); }));
        tabs->currentWidget()->setFocus();
    }
    QTest::keyClick(tabs->currentWidget(), Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(tabs->currentIndex(), 1) << "Alt+T shows the table";
    EXPECT_FALSE(file->isVisible());
}

} // namespace
} // namespace sarvo::test
