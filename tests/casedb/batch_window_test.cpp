// The batch window over a case database of the test's own: files listed by name in a folder whose
// name holds dots, the save stepping from the event loop, the cancel between two files, a close
// deferred until the file being stored is done, and the running state cleared on every way out.

#include "casedb/case_save.h"
#include "casedb/ui/batch_window.h"
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
#include <QTableWidget>
#include <QTest>
#include <QTreeView>

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

// The grid's own texts follow a language switch while the window is open. While it saves the
// window stands at the bottom of the main window's client area; then it is centred again.
TEST_F(BatchWindowTest, GridTextsFollowTheLanguageAndSavingMovesTheWindowDown)
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

// At the keyboard: Tab and Shift+Tab leave the grid for the controls beside it, and Alt+N
// reaches the session's name from anywhere, so a typed name goes into the box, never into the
// grid's search.
TEST_F(BatchWindowTest, TabLeavesTheGridAndTheSessionNameHasAnAccessKey)
{
    window = open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->fileList()->selectAll();
    window->addButton()->click();
    QTableWidget* grid = window->grid();
    ASSERT_EQ(grid->rowCount(), 3);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(1, 0)).center());
    ASSERT_TRUE(grid->hasFocus());
    ASSERT_TRUE(window->removeButton()->isEnabled());

    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_TRUE(window->removeButton()->hasFocus()) << "Tab goes on to the grid's first button";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(window->sessionBox()->hasFocus()) << "Shift+Tab goes back to the session";
    EXPECT_EQ(grid->currentRow(), 1) << "the grid's cell stays where it was";

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(2, 0)).center());
    ASSERT_TRUE(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(window->sessionBox()->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), "Week 9");
    EXPECT_EQ(window->sessionBox()->currentText(), "Week 9");
    EXPECT_EQ(grid->currentRow(), 2);
}

// The columns open and stay as shares of the grid: the file two, the others one each, all within
// the grid less its margin. A failure's long reason keeps its column's width and reads whole in
// the state's tool tip; the file's tool tip names its folder too.
TEST_F(BatchWindowTest, TheColumnsKeepTheirSharesAndAFailuresWholeReasonIsInItsToolTip)
{
    window = open();
    window->resize(820, 520);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTableWidget* grid = window->grid();
    const auto expectShares = [&] {
        const double share = (grid->width() - 400.0 / 1440.0 * grid->logicalDpiX()) / 6.0;
        EXPECT_EQ(grid->columnWidth(0), int(std::lround(2 * share)));
        for (int c = 1; c < 5; ++c)
            EXPECT_EQ(grid->columnWidth(c), int(std::lround(share))) << "column " << c;
        EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width()) << "no column runs past the grid";
    };
    expectShares();

    addAll();
    // b.RTB turns unreadable after its header was read: its full read fails.
    QFile broken(folder + "/b.RTB");
    ASSERT_TRUE(broken.open(QIODevice::ReadOnly));
    const QByteArray content = broken.readAll();
    broken.close();
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write(content.left(content.indexOf("Point Raw-data:")) + "Point Raw-data:\n0  zz\n");
    broken.close();
    window->saveButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->saving(); }, 60000));
    prompts.messages.clear();

    const casedb::BatchRow& failed = window->model().rows()[1];
    ASSERT_EQ(failed.state, casedb::BatchRowState::Failed);
    const QString state = grid->item(1, 4)->text();
    EXPECT_EQ(state, "failed: " + failed.failure);
    EXPECT_TRUE(failed.failure.contains("not a number")) << failed.failure.toStdString();
    EXPECT_GT(grid->fontMetrics().horizontalAdvance(state), grid->columnWidth(4)) << "the reason is longer than its column";
    EXPECT_EQ(grid->item(1, 4)->toolTip(), state);
    EXPECT_EQ(grid->item(0, 4)->toolTip(), "Analysed");
    EXPECT_EQ(grid->item(1, 0)->toolTip(), QDir::toNativeSeparators(folder + "/b.RTB"));
    expectShares();

    window->resize(1300, 600);
    QCoreApplication::processEvents();
    expectShares();
}

// A session chosen from the list by keyboard lists its stored cases by their files' whole names.
TEST_F(BatchWindowTest, AChosenSessionListsItsCasesByTheirWholeFileNames)
{
    const QStringList files{"/data/ballbar/37_ALPHA_RUN_xy_1000.rtb", "D:\\ballbar\\37_ALPHA_RUN_xy_2000.rtb"};
    for (int i = 0; i < files.size(); ++i) {
        Case c = MakeCase(1, 10, i + 1);
        c.Header[HdrFilename] = files[i];
        c.Header[HdrStatDyn] = "D";
        c.Data.Dynamic = true;
        c.Header[HdrFeedrate] = QString::number(1000 * (i + 1));
        ASSERT_EQ(SaveCase(store, c, "ALPHA", {}).outcome, SaveOutcome::Saved);
    }
    window = open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::keyClick(window->fileList(), Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(window->sessionBox()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    ASSERT_EQ(window->sessionBox()->currentText(), "ALPHA");
    QTableWidget* grid = window->grid();
    ASSERT_EQ(grid->rowCount(), 2);
    QStringList shown;
    for (int r = 0; r < grid->rowCount(); ++r)
        shown << grid->item(r, 0)->text();
    shown.sort();
    EXPECT_EQ(shown, QStringList({"37_ALPHA_RUN_xy_1000.rtb", "37_ALPHA_RUN_xy_2000.rtb"}));
}

} // namespace
} // namespace sarvo::test
