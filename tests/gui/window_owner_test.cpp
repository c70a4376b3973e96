// Where a box goes and which window stays above which: the prompts belong to the window that
// raises them, also when it is busy and disabled; a window kept above another is its transient,
// not its child; a window is centred with the size it shows with.

#include "gui/form_utilities.h"
#include "gui/qt_prompts.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace sarvo {
namespace {

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

void showActive(QWidget& window)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 5000));
}

// The box the prompts open next: its owner, whether it takes input and its title, then closed.
struct SeenBox {
    QPointer<QWidget> owner;
    bool enabled = false;
    bool seen = false;
    QString title;
};
void closeNextBox(SeenBox& seen)
{
    QTimer::singleShot(0, [&seen] {
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000));
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->parentWidget(), box->isEnabled(), true, box->windowTitle()};
        box->reject();
    });
}

TEST(WindowOwner, APromptBelongsToTheWindowShownOrActivatedLast)
{
    QWidget main;
    QtPrompts qtPrompts(&main);
    EXPECT_EQ(qtPrompts.owner(), &main); // nothing on the screen yet
    showActive(main);
    QWidget first(&main, Qt::Dialog);
    QWidget second(&main, Qt::Dialog);
    showActive(first);
    showActive(second);
    EXPECT_EQ(qtPrompts.owner(), &second);
    showActive(first);
    EXPECT_EQ(RaisingWindow(), &first);
    first.hide();
    EXPECT_EQ(RaisingWindow(), &second);

    // A box of a busy window, which has disabled itself, still takes input.
    second.setEnabled(false);
    SeenBox seen;
    closeNextBox(seen);
    qtPrompts.message("Sarvotex", "Reading one value", MessageIcon::Warning);
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.owner, &second);
    EXPECT_TRUE(seen.enabled);

    // A question while a modal window is open goes over the modal window.
    second.setEnabled(true);
    QDialog modal(&second);
    modal.setModal(true);
    showActive(modal);
    main.activateWindow();
    closeNextBox(seen = {});
    EXPECT_FALSE(qtPrompts.askYesNo("Sarvotex", "Do you want to change the direction?"));
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.owner, &modal);
}

// A box without a title of its own (the measurement's "Connect ball bar first, please.") carries
// the program's title, never the executable's name the window system would put there.
TEST(WindowOwner, ABoxWithoutATitleOfItsOwnCarriesTheProgramsTitle)
{
    QWidget main;
    QtPrompts qtPrompts(&main);
    showActive(main);
    QtPrompts::setProgramTitle(QStringLiteral("Sarvotrenk Analyse"));
    for (const QString& title : {QString(), QStringLiteral("Speichern")}) {
        for (const bool question : {false, true}) {
            SeenBox seen;
            closeNextBox(seen);
            question ? void(qtPrompts.askYesNo(title, QStringLiteral("Do you want to change the direction?")))
                     : qtPrompts.message(title, QStringLiteral("Connect ball bar first, please."), MessageIcon::Critical);
            EXPECT_EQ(seen.title, title.isEmpty() ? QStringLiteral("Sarvotrenk Analyse") : title);
        }
    }
    QtPrompts::setProgramTitle({});
}

TEST(WindowOwner, ABoxAWindowRaisesByItselfBelongsToItAfterAClickOnTheMainWindow)
{
    QWidget main;
    QtPrompts qtPrompts(&main);
    showActive(main);
    QWidget measure;
    KeepAbove(measure, main);
    showActive(measure);
    // The user clicks the main window while a run goes on; the run's end raises the question.
    showActive(main);
    ASSERT_EQ(RaisingWindow(), &main);
    {
        const RaisedBy raised(measure);
        SeenBox seen;
        closeNextBox(seen);
        EXPECT_FALSE(qtPrompts.askYesNo("Sarvotex", "Do you want to change the direction?"));
        ASSERT_TRUE(seen.seen);
        EXPECT_EQ(seen.owner, &measure);

        // A modal window in front still takes the box.
        QDialog modal(&main);
        modal.setModal(true);
        showActive(modal);
        EXPECT_EQ(RaisingWindow(), &modal);
        modal.hide();
        EXPECT_EQ(RaisingWindow(), &measure);

        // A window it keeps in front of itself and that was used last keeps the box: the keyboard
        // stays there.
        auto* save = new QWidget;
        KeepAbove(*save, measure);
        showActive(*save);
        EXPECT_EQ(RaisingWindow(), save);
        showActive(main);
        EXPECT_EQ(RaisingWindow(), &measure);

        // Nested, the inner window until its scope ends; one closed meanwhile is no raiser.
        {
            const RaisedBy inner(*save);
            EXPECT_EQ(RaisingWindow(), save);
            measure.hide();
        }
        // Back to the outer raiser, which is off the screen: the window used last takes the box.
        EXPECT_EQ(RaisingWindow(), &main);
        measure.show();
        EXPECT_EQ(RaisingWindow(), &measure);
        {
            const RaisedBy inner(*save);
            {
                const RaisedBy innermost(measure);
                delete save;
            }
            EXPECT_EQ(RaisingWindow(), &measure);
        }
        EXPECT_EQ(RaisingWindow(), &measure);
    }
    // Outside the scope the window activated last again.
    showActive(measure);
    showActive(main);
    EXPECT_EQ(RaisingWindow(), &main);
}

TEST(WindowOwner, AWindowKeptAboveAnotherIsItsTransientButNotItsChild)
{
    QWidget owner;
    showActive(owner);
    QWidget window; // a normal window of its own
    KeepAbove(window, owner);
    EXPECT_EQ(window.windowType(), Qt::Dialog);
    EXPECT_EQ(window.parentWidget(), nullptr);
    showActive(window);
    ASSERT_NE(window.windowHandle(), nullptr);
    EXPECT_EQ(window.windowHandle()->transientParent(), owner.windowHandle());
    // Disabling the owner, as a save in hand does, leaves the window usable.
    owner.setEnabled(false);
    EXPECT_TRUE(window.isEnabled());

    // Shown again after its native window was made anew, it is still kept above the owner.
    window.hide();
    window.setWindowFlags(window.windowFlags() | Qt::WindowContextHelpButtonHint);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowHandle()->transientParent(), owner.windowHandle());
}

TEST(WindowOwner, AWindowIsCentredWithTheSizeItShowsWith)
{
    QWidget window;
    window.resize(200, 100);
    CenterForm(window);
    window.resize(520, 330); // its layout and captions make it larger before it shows
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_LE((window.frameGeometry().center() - available().center()).manhattanLength(), 2);

    // Once shown, a later resize keeps the place: centring happens once.
    const QPoint place = window.pos();
    window.hide();
    window.resize(300, 200);
    window.show();
    EXPECT_EQ(window.pos(), place);
}

// The window with the keyboard closed, and a modal window closed over a frame whose active child
// went meanwhile: the keyboard lands in the frame's topmost child.
TEST(WindowOwner, TheKeyboardLandsInAWindowWhateverClosed)
{
    WatchRaisingWindows();
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    QMdiSubWindow* stays = area->addSubWindow(new QWidget);
    QPointer<QMdiSubWindow> goes = area->addSubWindow(new QWidget);
    showActive(main);
    stays->show();
    goes->show();
    area->setActiveSubWindow(goes);
    {
        QWidget other(&main, Qt::Dialog);
        showActive(other);
    }
    KeepKeyboardInAWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &main; }, 5000));

    QDialog modal(&main);
    QTimer::singleShot(0, [&] {
        delete goes.data();
        area->setActiveSubWindow(nullptr);
        modal.accept();
    });
    modal.exec();
    KeepKeyboardInAWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &main && area->activeSubWindow() == stays; }, 5000));
}

} // namespace
} // namespace sarvo
