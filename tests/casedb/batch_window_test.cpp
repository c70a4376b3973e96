// The batch window over a case database of the test's own: files listed by name in a folder whose
// name holds dots, the save stepping from the event loop, the cancel between two files, a close
// deferred until the file being stored is done, the running state cleared on every way out, and a
// long add in steps under its progress. The case browser's lines over the same database, and its
// selection in sight after a removal.

#include "casedb/case_save.h"
#include "casedb/ui/batch_window.h"
#include "casedb/ui/case_browser_window.h"
#include "core/language_db.h"
#include "tests/casedb/casedb_fixture.h"
#include "tests/support/typing.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QMainWindow>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <memory>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

class BatchWindowTest : public CaseDbTest {
protected:
    void SetUp() override
    {
        CaseDbTest::SetUp();
        store.open(dbPath());
        folder = path("v1.2.data");
        QDir().mkpath(folder);
        for (const char* name : {"a.rtb", "b.RTB", "c.rtb"})
            QFile::copy(QStringLiteral(SARVOTEX_TEST_DATA "/rtb_static.rtb"), folder + "/" + name);
        QFile::copy(QStringLiteral(SARVOTEX_TEST_DATA "/rtb_static.golden"), folder + "/notes.golden");
    }
    void TearDown() override
    {
        window.reset();
        CaseDbTest::TearDown();
    }

    std::unique_ptr<BatchWindow> open(QWidget* parent = nullptr)
    {
        BatchWindowSetup setup;
        setup.startFolder = folder;
        setup.units.LargeFactor = 1;
        setup.units.LargeFormat = "0";
        setup.store = [this] { return &store; };
        setup.services = [this] {
            BatchServices s;
            s.store = [this] { return &store; };
            s.readContext.files = &disk;
            s.askOverwrite = [](const QString&) { return true; };
            s.onStored = [this](const Case&, int) {
                if (++storedSoFar == cancelAfter)
                    window->cancelButton()->click();
            };
            return s;
        };
        setup.setRunning = [this](bool running) { runningStates << running; };
        return std::make_unique<BatchWindow>(std::move(setup), parent);
    }
    // Collects every listed file.
    void addAll()
    {
        window->fileList()->selectAll();
        window->addButton()->click();
        TypeInto(*window->sessionBox(), "Week 3");
    }
    int storedCases() { return Inspector(dbPath()).value("SELECT count(*) FROM Measure").toInt(); }
    // Stores cases of the session ALPHA from files named alike but for their middle, one with the
    // old platform's separators.
    void storeAlikeNames()
    {
        for (int i = 0; i < names.size(); ++i) {
            Case c = MakeCase(1, 10, i + 1);
            c.Header[HdrFilename] = (i == 1 ? "D:\\ballbar\\" : "/data/ballbar/") + names[i];
            ASSERT_EQ(SaveCase(store, c, "ALPHA", {}).outcome, SaveOutcome::Saved);
        }
    }
    const QStringList names{"37_ALPHA_RUN_xy_1000.rtb", "37_ALPHA_RUN_xy_2000.rtb"};

    files::DiskFiles disk;
    QString folder;
    std::unique_ptr<BatchWindow> window;
    QList<bool> runningStates;
    int storedSoFar = 0;
    int cancelAfter = 0;
};

TEST_F(BatchWindowTest, ListsTheFilesByNameAndRefusesOneAlreadyCollected)
{
    window = open();
    ASSERT_EQ(window->fileList()->count(), 3); // upper-case extensions too, no other file
    window->fileList()->item(0)->setSelected(true);
    window->addButton()->click();
    EXPECT_EQ(window->grid()->rowCount(), 1);
    EXPECT_EQ(window->grid()->item(0, 4)->text(), "measured");
    window->fileList()->item(0)->setSelected(true);
    EXPECT_FALSE(window->fileList()->item(0)->isSelected());
    EXPECT_FALSE(window->addButton()->isEnabled());
}

TEST_F(BatchWindowTest, CancelledBetweenFilesKeepsTheFilesBeforeAndStoresNoneAfter)
{
    window = open();
    addAll();
    cancelAfter = 1;
    window->saveButton()->click();
    EXPECT_TRUE(window->saving());
    EXPECT_FALSE(window->closeButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->saving(); }, 60000));
    EXPECT_EQ(storedCases(), 1);
    EXPECT_EQ(window->grid()->item(0, 4)->text(), "Analysed");
    EXPECT_EQ(window->grid()->item(1, 4)->text(), "measured");
    EXPECT_EQ(runningStates, (QList<bool>{true, false}));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Saving was cancelled after 1 of 3 cases.");
    EXPECT_TRUE(window->saveButton()->isEnabled()); // the rest can be saved later
}

TEST_F(BatchWindowTest, ClosingWhileSavingWaitsForTheFileBeingStored)
{
    window = open();
    addAll();
    window->show();
    window->saveButton()->click();
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 60000));
    EXPECT_FALSE(window->saving());
    EXPECT_EQ(runningStates, (QList<bool>{true, false}));
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(storedCases(), 0); // stopped before the first file
}

TEST_F(BatchWindowTest, ADestroyedWindowClearsTheRunningState)
{
    window = open();
    addAll();
    window->saveButton()->click();
    window.reset();
    EXPECT_EQ(runningStates, (QList<bool>{true, false}));
}

TEST_F(BatchWindowTest, ASavedSessionIsListedAndItsRowsStay)
{
    window = open();
    addAll();
    window->saveButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->saving(); }, 60000));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "All selected cases have now been stored into the database.");
    EXPECT_EQ(storedCases(), 3);
    EXPECT_GE(window->sessionBox()->findText("Week 3"), 0);
    window->grid()->selectAll();
    EXPECT_FALSE(window->removeButton()->isEnabled());
    EXPECT_FALSE(window->saveButton()->isEnabled());
}

// A folder of more files than an add reads at once, at the keyboard: Ctrl+A in the file list, Tab
// to Add and Space. The add runs under the progress with the window's other controls off; Esc before its
// first step stops it with nothing added and every file still selected; a second Add adds every
// file, each a row of its own in the list's order, the last in sight.
TEST_F(BatchWindowTest, AFolderOfFilesAddedAtTheKeyboardGivesEveryRow)
{
    const QString shop = folder + "/shop";
    QDir().mkpath(shop);
    constexpr int kFiles = 60;
    for (int i = 0; i < kFiles; ++i)
        QFile::copy(QStringLiteral(SARVOTEX_TEST_DATA "/rtb_static.rtb"), shop + QString("/case%1.rtb").arg(i, 2, 10, QChar('0')));
    window = open();
    window->setFolder(shop);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QListWidget* list = window->fileList();
    ASSERT_EQ(list->count(), kFiles);
    auto* status = window->findChild<QWidget*>("PnlStatus");
    ASSERT_NE(status, nullptr);

    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Tab);
    ASSERT_TRUE(window->addButton()->hasFocus());
    QTest::keyClick(window->addButton(), Qt::Key_Space);
    ASSERT_TRUE(window->adding());
    EXPECT_TRUE(status->isVisibleTo(window.get()));
    EXPECT_FALSE(list->isEnabled());
    EXPECT_FALSE(window->closeButton()->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->adding(); }));
    EXPECT_EQ(window->grid()->rowCount(), 0);
    EXPECT_EQ(list->selectedItems().size(), kFiles);
    EXPECT_TRUE(window->isVisible()) << "Esc stops the add, not the window";
    EXPECT_FALSE(status->isVisibleTo(window.get()));
    ASSERT_TRUE(list->isEnabled() && list->hasFocus());

    QTest::keyClick(list, Qt::Key_Tab);
    QTest::keyClick(window->addButton(), Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->adding(); }, 60000));
    QTableWidget* grid = window->grid();
    ASSERT_EQ(grid->rowCount(), kFiles);
    for (int r = 0; r < kFiles; ++r) {
        EXPECT_EQ(grid->item(r, 0)->text(), list->item(r)->text()) << r;
        EXPECT_EQ(grid->item(r, 1)->text(), "xz") << r;
        EXPECT_EQ(grid->item(r, 4)->text(), "measured") << r;
    }
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_FALSE(window->addButton()->isEnabled());
    EXPECT_TRUE(window->saveButton()->isEnabled());
    EXPECT_TRUE(window->closeButton()->isEnabled());
    EXPECT_FALSE(status->isVisibleTo(window.get()));
    EXPECT_EQ(grid->currentRow(), kFiles - 1);
    EXPECT_TRUE(grid->viewport()->rect().contains(grid->visualItemRect(grid->item(kFiles - 1, 0)).center()));
    EXPECT_TRUE(prompts.messages.empty());
}

// The arrow keys and type-ahead move the tree's current folder; the file list follows it, so Add
// takes the files of the folder the tree shows.
TEST_F(BatchWindowTest, TheFileListFollowsAFolderChosenByKeyboard)
{
    const QString alpha = folder + "/alpha", beta = folder + "/beta";
    for (const QString& file : QStringList{alpha + "/one.rtb", beta + "/two.rtb", beta + "/three.rtb"}) {
        QDir().mkpath(QFileInfo(file).path());
        QFile::copy(QStringLiteral(SARVOTEX_TEST_DATA "/rtb_static.rtb"), file);
    }
    const auto listed = [this] {
        QStringList names;
        for (int i = 0; i < window->fileList()->count(); ++i)
            names << window->fileList()->item(i)->text();
        return names;
    };

    window = open();
    window->setFolder(alpha);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto* tree = window->findChild<QTreeView*>("lstDir");
    ASSERT_NE(tree, nullptr);
    // The folders load and sort in the background: beta must stand below alpha before a key can
    // reach it.
    auto* folders = qobject_cast<QFileSystemModel*>(tree->model());
    ASSERT_NE(folders, nullptr);
    const auto shown = [&](const QModelIndex& index) { return QDir(folders->filePath(index)).absolutePath(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(tree->currentIndex()) == alpha && shown(tree->indexBelow(tree->currentIndex())) == beta; }, 20000));
    EXPECT_EQ(listed(), QStringList{"one.rtb"});

    tree->setFocus();
    QTest::keyClicks(tree, "be"); // type-ahead
    EXPECT_EQ(window->folder(), beta + "/");
    EXPECT_EQ(listed(), (QStringList{"three.rtb", "two.rtb"}));
    window->fileList()->selectAll();
    window->addButton()->click();
    ASSERT_EQ(window->grid()->rowCount(), 2);
    EXPECT_EQ(window->model().rows()[0].path, beta + "/three.rtb");

    QTest::keyClick(tree, Qt::Key_Up);
    EXPECT_EQ(window->folder(), alpha + "/");
    EXPECT_EQ(listed(), QStringList{"one.rtb"});
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(window->folder(), alpha + "/");
    EXPECT_EQ(window->grid()->rowCount(), 2) << "choosing a folder keeps the collected rows";
}

// The grid's own texts follow a language switch while the window is open. At every width the
// columns are shares of the grid less its margin, two for the file and one for each other; a text
// cut short reads whole in its tool tip. While it saves the window stands at the bottom of the
// main window's client area; then it is centred again.
TEST_F(BatchWindowTest, GridTextsFollowTheLanguageColumnsKeepTheirSharesAndSavingMovesTheWindowDown)
{
    openFixtureLanguageDb({{"Batch", "File", "Datei"},
                           {"Batch", "Plane", "Ebene"},
                           {"Batch", "Type", "Art"},
                           {"Batch", "Feedrate", "Vorschub"},
                           {"Batch", "Status", "Zustand"},
                           {"Message", "measured", "gemessen (noch nicht analysiert)"}});
    QFile::copy(folder + "/a.rtb", folder + "/" + QString(90, u'w') + ".rtb");
    QMainWindow main;
    auto* client = new QWidget;
    main.setCentralWidget(client);
    main.setGeometry(40, 30, 1200, 900);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    window = open(&main);
    window->resize(820, 520);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    addAll();
    QTableWidget* grid = window->grid();
    const auto headers = [grid] {
        QStringList texts;
        for (int c = 0; c < grid->columnCount(); ++c)
            texts << grid->horizontalHeaderItem(c)->text();
        return texts;
    };
    EXPECT_EQ(headers(), QStringList({"File", "Plane", "Type", "Feedrate", "Status"}));

    SetTextLanguage("German");
    window->retranslateTexts();
    EXPECT_EQ(headers(), QStringList({"Datei", "Ebene", "Art", "Vorschub", "Zustand"}));
    ASSERT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(grid->item(3, 4)->text(), "gemessen (noch nicht analysiert)");
    EXPECT_EQ(grid->item(3, 4)->toolTip(), "gemessen (noch nicht analysiert)");
    EXPECT_EQ(grid->item(3, 0)->toolTip(), folder + "/" + QString(90, u'w') + ".rtb");
    for (int width : {500, 820, 1900}) {
        window->resize(width, 520);
        QCoreApplication::processEvents();
        const double share = (grid->width() - 400.0 / 1440.0 * grid->logicalDpiX()) / 6.0;
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(grid->columnWidth(c), int(std::lround((c == 0 ? 2 : 1) * share))) << width << " column " << c;
    }

    window->resize(700, 400);
    QCoreApplication::processEvents();
    const int left = window->x();
    window->saveButton()->click();
    ASSERT_TRUE(window->saving());
    EXPECT_EQ(window->frameGeometry().bottom() + 1, client->mapToGlobal(QPoint(0, client->height())).y());
    EXPECT_EQ(window->x(), left) << "only the height changes";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->saving(); }, 60000));
    prompts.messages.clear();
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_EQ(window->pos(), QPoint(screen.x() + (screen.width() - window->frameGeometry().width()) / 2,
                                    screen.y() + (screen.height() - window->frameGeometry().height()) / 2));
    window.reset(); // before its parent
}

// At the keyboard Tab and Shift+Tab leave the grid, and Alt+N reaches the session's name, where
// Down chooses the first session: its cases are listed by their files' whole names.
TEST_F(BatchWindowTest, TabLeavesTheGridAndAltNThenDownListsASessionByWholeFileNames)
{
    storeAlikeNames();
    window = open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    addAll();
    QTableWidget* grid = window->grid();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(1, 0)).center());
    ASSERT_TRUE(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_TRUE(window->removeButton()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(window->sessionBox()->hasFocus());
    EXPECT_EQ(grid->currentRow(), 1) << "the grid's cell stays where it was";

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(2, 0)).center());
    QTest::keyClick(grid, Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(window->sessionBox()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(window->sessionBox()->currentText(), "ALPHA");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(QStringList({grid->item(0, 0)->text(), grid->item(1, 0)->text()}), names);
}

// The browser at the keyboard: it opens on its first line, Enter opens that session and Down
// walks its cases, each line naming its file whole, never cut, however narrow the window.
TEST_F(BatchWindowTest, TheCaseBrowsersLinesNameTheirFilesWhole)
{
    storeAlikeNames();
    UnitState units{};
    units.LargeFactor = 1;
    DbLoad browser(&store, units, [](int) { return false; });
    browser.show();
    browser.activateWindow();
    QTreeWidget* outline = browser.outline();
    ASSERT_TRUE(QTest::qWaitFor([&] { return outline->hasFocus(); }));
    QTest::keyClick(outline, Qt::Key_Return);
    for (const QString& name : names) {
        QTest::keyClick(outline, Qt::Key_Down);
        EXPECT_TRUE(outline->currentItem()->text(0).endsWith("  (" + name + ")")) << name.toStdString();
    }
    browser.resize(250, 300);
    QCoreApplication::processEvents();
    EXPECT_GE(outline->columnWidth(0), static_cast<QAbstractItemView*>(outline)->sizeHintForColumn(0));
}

// A long open session, its cases scrolled through with the wheel, removed: the line that takes
// its place is selected and in sight, not left above a view that kept its scroll at the end.
TEST_F(BatchWindowTest, TheCaseBrowserKeepsTheSelectionInSightAfterALongSessionIsRemoved)
{
    int minutes = 0;
    const auto saveIn = [&](const QString& session, int cases) {
        for (int i = 0; i < cases; ++i) {
            Case c = MakeCase(1, 10, ++minutes);
            c.Data.TestDate = QDateTime(QDate(2024, 5, 2), QTime(8, 0), Qt::UTC).addSecs(60 * minutes);
            ASSERT_EQ(SaveCase(store, c, session, {}).outcome, SaveOutcome::Saved);
        }
    };
    for (const char* session : {"A1", "A2", "A3"})
        saveIn(session, 1);
    saveIn("Long", 100);
    for (int s = 10; s < 40; ++s)
        saveIn(QString("Z%1").arg(s), 1);
    UnitState units{};
    units.LargeFactor = 1;
    DbLoad browser(&store, units, [](int) { return false; });
    browser.resize(680, 300);
    browser.show();
    browser.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&browser));
    QTreeWidget* outline = browser.outline();
    QTreeWidgetItem* longSession = outline->topLevelItem(3);
    ASSERT_EQ(longSession->text(0), "Long");
    QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, outline->visualItemRect(longSession).center());
    ASSERT_TRUE(longSession->isExpanded());
    QScrollBar* scroll = outline->verticalScrollBar();
    const QPointF inView = QRectF(outline->viewport()->rect()).center();
    for (int turn = 0; turn < 100 && scroll->value() < scroll->maximum(); ++turn) {
        QWheelEvent wheel(inView, outline->viewport()->mapToGlobal(inView), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(outline->viewport(), &wheel);
    }
    ASSERT_EQ(scroll->value(), scroll->maximum());

    prompts.yesNoAnswers = {true};
    QTest::mouseClick(browser.findChild<QPushButton*>("CmdRemove"), Qt::LeftButton);
    ASSERT_EQ(outline->topLevelItemCount(), 33);
    ASSERT_EQ(outline->selectedItems().size(), 1);
    QTreeWidgetItem* selected = outline->selectedItems().front();
    EXPECT_EQ(selected->text(0), "Z10");
    EXPECT_TRUE(outline->viewport()->rect().contains(outline->visualItemRect(selected))) << "scrolled to " << scroll->value();
    EXPECT_TRUE(browser.findChild<QPushButton*>("CmdRemove")->isEnabled());
}

} // namespace
} // namespace sarvo::test
