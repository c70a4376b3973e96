// The trend windows over a case database of their own: the query fills the graph and the table,
// the plane renames the axis results, a failure is reported, and the table prints.
#include "casedb/case_save.h"
#include "casedb/ui/trend_windows.h"
#include "gui/print_context.h"
#include "tests/casedb/casedb_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

class TrendWindowsTest : public CaseDbTest {
protected:
    void SetUp() override
    {
        CaseDbTest::SetUp();
        store.open(dbPath());
        units.SmallFactor = units.LargeFactor = units.ScaleErrFactor = 1;
        units.SmallFormat = QStringLiteral("0.0");
        units.LargeFormat = QStringLiteral("0");
        units.LargeCaption = QStringLiteral("mm");
    }
    void TearDown() override
    {
        printContext().reset();
        CaseDbTest::TearDown();
    }

    void save(const QString& session, const QString& feedrate, const QString& statDyn, int variant)
    {
        Case c = MakeCase(1, 10, variant);
        c.Header[HdrFeedrate] = feedrate;
        c.Header[HdrStatDyn] = statDyn;
        c.Data.Dynamic = statDyn == QLatin1String("D");
        c.Data.TestDate = c.Data.TestDate.addDays(variant);
        c.Results.ResultsValid = true;
        ASSERT_EQ(SaveCase(store, c, session, {}).outcome, SaveOutcome::Saved);
    }

    TrendSources sources(TrendGraphWindow* graph, bool withStore = true)
    {
        return {[this, withStore]() -> const CaseStore* { return withStore ? &store : nullptr; },
                [this] { return units; }, [graph] { return graph; }};
    }

    UnitState units;
};

TEST_F(TrendWindowsTest, AQueryFillsTheGraphAndTheTableWhichPrints)
{
    save("Week 1", "1000", "D", 1);
    save("Week 1", "2000", "D", 2);
    save("Week 2", "1000", "S", 3);
    TrendGraphWindow graph([] { return display::TrendPrint{}; });
    TrendWindow window(sources(&graph));
    ASSERT_EQ(window.machineBox()->count(), 1);
    EXPECT_EQ(window.machineBox()->itemText(0), "Mill 3");
    EXPECT_TRUE(window.resultOption(kDefaultTrendResult)->isChecked());

    window.startDate()->setDate(QDate(2004, 1, 1));
    window.stopDate()->setDate(QDate(2004, 12, 31));
    window.runQuery();
    ASSERT_EQ(graph.table()->rowCount(), 3);
    EXPECT_EQ(graph.table()->item(2, 2)->text(), "Static");
    // Tab and Shift+Tab leave the table; its cell stays.
    graph.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    graph.tabs()->setCurrentIndex(1);
    QTableWidget* table = graph.table();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(0, 1)).center());
    ASSERT_TRUE(table->hasFocus());
    QTest::keyClick(table, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), graph.findChild<QWidget*>("CmdPrint"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClick(table, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_FALSE(table->hasFocus());
    EXPECT_EQ(std::pair(table->currentRow(), table->currentColumn()), std::pair(0, 1));
    const TrendChart& chart = graph.trend().chart;
    ASSERT_EQ(chart.series.size(), 3u);
    EXPECT_EQ(chart.series[2].legend, "Static");
    EXPECT_EQ(chart.pointCount(), 2);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("SELECT * FROM Measure WHERE Calced <> 0"));

    // The plane's letters go into the axis results' captions and the table's header.
    window.planeBox()->setCurrentText("xz");
    EXPECT_EQ(window.resultOption(13)->text(), "Lateral play z");
    EXPECT_EQ(window.resultOption(0)->text(), "Axis spike x");
    window.resultOption(13)->setChecked(true);
    window.runQuery();
    EXPECT_EQ(graph.table()->horizontalHeaderItem(4)->text(), "Lateral play z");
    EXPECT_EQ(graph.table()->rowCount(), 0) << "no case in that plane";

    graph.lineOption()->setChecked(true);
    EXPECT_EQ(graph.chartType(), display::TrendChartType::Line);

    window.planeBox()->setCurrentText("xy");
    window.runQuery();
    const QString pdf = path("trend.pdf");
    printContext().setDialogProvider(AutoConfirmPdf(pdf));
    graph.tabs()->setCurrentIndex(1);
    graph.print();
    QFile printed(pdf);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(printed.readAll().startsWith("%PDF-"));
    EXPECT_EQ(reportsAt("Printing"), 0);
}

TEST_F(TrendWindowsTest, AQueryWithoutADatabaseIsReportedAndLeavesTheHeaders)
{
    TrendGraphWindow graph([] { return display::TrendPrint{}; });
    TrendWindow window(sources(&graph, false));
    window.runQuery();
    EXPECT_EQ(reportsAt("Drawing history"), 1);
    EXPECT_EQ(graph.table()->rowCount(), 0);
    EXPECT_EQ(graph.table()->horizontalHeaderItem(4)->text(), "Circularity LSC");
    EXPECT_TRUE(graph.trend().chart.empty());
}

} // namespace
} // namespace sarvo::test
