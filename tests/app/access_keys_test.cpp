// Access keys of the program's windows in every shipped language. A window inside the main window
// shares the frame's keys: a control's Alt+letter that is also a menu's takes the key from the
// menu. Within any window, a key given to two controls reaches each in turn, neither for sure.
#include "app/after_load.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QTabBar>

#include <memory>

namespace sarvo::test {
namespace {

// The window's keys clashing with one another or with those taken already: of its buttons and
// options, tabs, group titles and the captions that lead to a field, on pages not shown too.
std::string AccessKeyClashes(QWidget& window, QMap<QKeySequence, QString> taken)
{
    QStringList texts, clashes;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->window() != window.window())
            continue; // a window of its own has its own keys
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            texts << group->title();
        else if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
            texts << label->text();
        else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
        }
    }
    for (const QString& text : texts) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty() && taken.contains(key))
            clashes << text + " / " + taken[key];
        taken.insert(key, text);
    }
    return clashes.join(", ").toStdString();
}

class AccessKeysTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        services() = ProgramServices();
        main = std::make_unique<MainWindow>();
        StartOptions options;
        options.programFolder = programFolder.path();
        StartApplication(*main, options);
        FillTwoWayCircle(app().OpenCase); // every window can show
        RunAfterFileRead(true, "/data/circle.rtb");
    }
    void TearDown() override
    {
        windows().reset();
        main.reset();
        services() = ProgramServices();
        AppTest::TearDown();
    }
    QTemporaryDir programFolder;
    std::unique_ptr<MainWindow> main;
};

TEST_F(AccessKeysTest, NoWindowTakesAMenuLetterInsideTheMainWindowOrOneKeyTwiceAnywhere)
{
    QList<WindowId> inside, outside;
    for (int id = 0; id <= int(WindowId::Measure); ++id) {
        if (windows().isRegistered(WindowId(id)))
            (windows().isMdiChild(WindowId(id)) ? inside : outside) << WindowId(id);
    }
    EXPECT_GE(inside.size(), 5); // the results, both graphs, the case information, the trend results
    for (WindowId id : inside)
        ASSERT_TRUE(windows().show(id));
    for (const char* language : {"English", "German"}) {
        SwitchLanguage(*main, language);
        QMap<QKeySequence, QString> menus;
        for (const QAction* a : main->menuBar()->actions())
            menus.insert(QKeySequence::mnemonic(a->text()), a->text());
        for (WindowId id : inside)
            EXPECT_EQ(AccessKeyClashes(*windows().loaded(id), menus), "") << language << " " << WindowName(id).toStdString();
    }
    // One at a time: opening some of them closes the others.
    for (WindowId id : outside) {
        for (const char* language : {"English", "German"}) {
            SwitchLanguage(*main, language);
            ASSERT_TRUE(windows().show(id));
            EXPECT_EQ(AccessKeyClashes(*windows().loaded(id), {}), "") << language << " " << WindowName(id).toStdString();
            windows().unload(id);
        }
    }
}

} // namespace
} // namespace sarvo::test
