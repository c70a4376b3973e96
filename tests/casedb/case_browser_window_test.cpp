// The case browser at the keyboard over a case database of the test's own: the lines a user walks
// through name each case's file whole, so that the cases of one session can be told apart.

#include "casedb/case_save.h"
#include "casedb/ui/case_browser_window.h"
#include "tests/casedb/casedb_fixture.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

class CaseBrowserWindowTest : public CaseDbTest {
protected:
    void SetUp() override
    {
        CaseDbTest::SetUp();
        store.open(dbPath());
        units.LargeFactor = 1;
        units.LargeFormat = "0";
        units.LargeCaption = "mm";
    }

    void save(const QString& session, const QString& file, int variant)
    {
        Case c = MakeCase(1, 10, variant);
        c.Header[HdrFilename] = file;
        c.Data.TestDate = QDateTime(QDate(2024, 5, 2), QTime(8, 0), Qt::UTC).addSecs(60 * variant);
        ASSERT_EQ(SaveCase(store, c, session, {}).outcome, SaveOutcome::Saved);
    }

    UnitState units;
};

TEST_F(CaseBrowserWindowTest, EveryCaseLineNamesItsWholeFile)
{
    // Names alike but for their middle, one stored with the old platform's separators.
    const QStringList files{"/data/ballbar/37_ALPHA_RUN_xy_1000.rtb", "/data/ballbar/37_ALPHA_RUN_yz_1000.rtb",
                            "D:\\ballbar\\old\\37_ALPHA_RUN_xy_2000.rtb"};
    for (int i = 0; i < files.size(); ++i)
        save("ALPHA", files[i], i + 1);

    DbLoad browser(&store, units, [](int) { return false; });
    browser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));
    QTreeWidget* outline = browser.outline();
    // The window opens with the keyboard in the outline, on its first line: Enter opens that
    // session, Down walks through its cases.
    browser.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return outline->hasFocus(); }));
    ASSERT_NE(outline->currentItem(), nullptr);
    EXPECT_EQ(outline->currentItem()->text(0), "ALPHA");
    QTest::keyClick(outline, Qt::Key_Return);
    ASSERT_TRUE(outline->currentItem()->isExpanded());
    QStringList walked;
    for (int i = 0; i < files.size(); ++i) {
        QTest::keyClick(outline, Qt::Key_Down);
        walked << outline->currentItem()->text(0);
    }
    ASSERT_EQ(walked.size(), 3);
    const QStringList names{"37_ALPHA_RUN_xy_1000.rtb", "37_ALPHA_RUN_yz_1000.rtb", "37_ALPHA_RUN_xy_2000.rtb"};
    for (int i = 0; i < names.size(); ++i)
        EXPECT_TRUE(walked[i].endsWith("  (" + names[i] + ")")) << walked[i].toStdString();
    EXPECT_EQ(QSet<QString>(walked.begin(), walked.end()).size(), 3) << "no two lines alike";
    // Each line shows whole: the column is as wide as its widest line, and the outline scrolls.
    const auto widest = [outline] { return static_cast<QAbstractItemView*>(outline)->sizeHintForColumn(0); };
    QCoreApplication::processEvents();
    EXPECT_GE(outline->columnWidth(0), widest());
    browser.resize(300, 300);
    QCoreApplication::processEvents();
    EXPECT_GE(outline->columnWidth(0), widest());
    EXPECT_TRUE(outline->horizontalScrollBar()->isVisible());
}

} // namespace
} // namespace sarvo::test
