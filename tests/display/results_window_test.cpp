// The results window offscreen over views made by hand: the page it opens on, a click on a Pareto
// bar, the pages of a static case, rows of fewer runs, Copy, Help with each page's context,
// Close, and a maximised window coming back to normal size when it is activated.
#include "display/ui/results_window.h"

#include "core/help.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/settings.h"
#include "core/units.h"
#include "tests/support/core_test.h"
#include "tests/support/sample_cases.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace sarvo::display {
namespace {

using test::CoreTest;

class RecordingHelp : public HelpSystem {
public:
    struct Call {
        QString file;
        int context;
        int busy; // the busy indicators up while the help was asked
    };
    void showContext(const QString& helpFile, int context) override
    {
        calls.push_back({helpFile, context, busyDepth ? busyDepth() : 0});
        if (fail)
            throw std::runtime_error("no help engine");
    }
    void helpOnHelp() override {}
    void quit(const QString&) override {}

    std::vector<Call> calls;
    std::function<int()> busyDepth;
    bool fail = false;
};

// The five largest influences of a dynamic case, largest first, with the fault codes of five
// different pages.
std::vector<ParetoBar> FiveBars()
{
    return {{0, "Backlash x+", 12}, {15, "Squareness", 9}, {6, "Mismatch x", 6}, {18, "Vibration", 3}, {10, "Servo", 1}};
}

ResultsView MakeView(int runs, bool dynamic = true)
{
    ResultsView v;
    v.pageEnabled.fill(true);
    if (!dynamic) {
        for (ResultPage p : {ResultPage::AxisSpike, ResultPage::Cyclic, ResultPage::Servo, ResultPage::StickSlip,
                             ResultPage::Vibration})
            v.pageEnabled[std::size_t(p)] = false;
    }
    for (int r = 0; r < 4; ++r) {
        for (const char* row : {"LblRound", "PnlIsoG", "PnlIsoF", "LblRoundServo", "lblRunFeedrate"})
            v.visible[ControlKey(row, r)] = r < runs;
    }
    v.pareto = FiveBars();
    v.paretoAxisTitle = "µm";
    for (int i = 1; i <= 127; ++i)
        v.spectrum.emplace_back(i / 5.0, 0.1 * (i % 7));
    return v;
}

class ResultsWindowTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        recorder.busyDepth = [this] { return busyDepth(); };
        setHelpSystem(&recorder);
    }
    void TearDown() override
    {
        setHelpSystem(nullptr);
        CoreTest::TearDown();
    }

    // Shown, so that the pages and the charts are laid out as the user sees them.
    std::unique_ptr<ResultsWindow> shownWindow()
    {
        auto w = std::make_unique<ResultsWindow>(appPath, "EngErr.hlp");
        w->show();
        QCoreApplication::processEvents();
        return w;
    }

    static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static void pressAt(ParetoChart* chart, const QPointF& p) { QTest::mousePress(chart, Qt::LeftButton, {}, p.toPoint()); }
    static QPointF centreOfBar(const ParetoChart* chart, int i) { return chart->barGeometry().bars.at(std::size_t(i)).center(); }

    RecordingHelp recorder;
};

TEST_F(ResultsWindowTest, ItOpensOnTheParetoPageWithFourteenPagesAndTheFaultTreeButtonHidden)
{
    const ResultsWindow w(appPath, "EngErr.hlp");
    EXPECT_EQ(w.objectName(), "result");
    EXPECT_EQ(w.property("tag").toString(), "result");
    EXPECT_EQ(w.windowTitle(), "Analysis Results");
    EXPECT_EQ(w.tabs()->objectName(), "tabResult");
    ASSERT_EQ(w.tabs()->count(), 14);
    EXPECT_EQ(w.currentPage(), ResultPage::Pareto);
    EXPECT_EQ(w.tabs()->currentIndex(), 13);
    EXPECT_EQ(w.tabs()->tabText(13), "&Pareto");
    // The tabs carry the captions of the type labels, the odd blank included.
    EXPECT_EQ(w.tabs()->tabText(1), "A&xis Spike ");
    EXPECT_EQ(w.tabs()->tabText(4), "Cycl&ic");
    EXPECT_TRUE(w.treeButton()->isHidden());
    EXPECT_EQ(w.treeButton()->text(), "Fault tree");
    EXPECT_EQ(w.closeButton()->text(), "&Close");
    EXPECT_EQ(w.copyButton()->text(), "Cop&y");
    EXPECT_EQ(w.copyButton()->toolTip(), "Copy to clipboard");
    ASSERT_NE(w.control("GrpPareto"), nullptr);
    ASSERT_NE(w.control("GrpSpec"), nullptr);
    EXPECT_TRUE(w.tabs()->widget(13)->isAncestorOf(w.copyButton()));
    EXPECT_TRUE(w.tabs()->widget(13)->isAncestorOf(w.control("GrpPareto")));
    EXPECT_TRUE(w.tabs()->widget(12)->isAncestorOf(w.control("GrpSpec")));
    EXPECT_EQ(qobject_cast<QGroupBox*>(w.control("frmType(13)"))->title(), " The most important error sources");
    EXPECT_EQ(qobject_cast<QGroupBox*>(w.control("frmType(5)"))->title(), "Circularity according ISO 230-4");
}

TEST_F(ResultsWindowTest, HintsStandOnThePagesThatHaveOne)
{
    const ResultsWindow w(appPath, "EngErr.hlp");
    for (int page = 0; page < kResultPages; ++page) {
        const bool hinted = page == 1 || page == 2 || (page >= 4 && page <= 11);
        QLabel* hint = w.label(ControlKey("LblHint", page));
        EXPECT_EQ(hint != nullptr, hinted) << page;
        if (hint) {
            EXPECT_TRUE(w.tabs()->widget(page)->isAncestorOf(hint)) << page;
            EXPECT_TRUE(w.control(ControlKey("PnlHint", page))->isAncestorOf(hint)) << page;
        }
    }
    EXPECT_TRUE(w.label("LblHint(1)")->text().endsWith("measurement with higher feedrate is needed.  "));
    EXPECT_TRUE(w.label("LblHint(9)")->text().startsWith("When only one direction is measured"));
}

TEST_F(ResultsWindowTest, EveryCaptionAndSwitchOfABuiltViewHasItsControl)
{
    Case c;
    test::FillTwoWayCircle(c, true);
    c.Results.ResultsValid = true;
    c.Results.ErrorValues.Back0 = 4;
    c.Results.ErrorValues.Squareness = 12;
    for (int i = 0; i < 20; ++i)
        c.Results.InfluenceOrder[std::size_t(i)] = int16_t(i);
    Settings settings;
    UnitState units;
    ComputeUnits(units, settings, IniFile(iniFile));
    const ResultsView view = BuildResultsView(c, units, settings);

    const ResultsWindow w(appPath, "EngErr.hlp");
    for (const ResultCaption& caption : view.captions) {
        const QString key = ControlKey(caption.control, caption.index);
        // The axis letters run to index 15, more than the pages use.
        if ((caption.control == "LblAxesH" || caption.control == "LblAxesV") && caption.index >= 13)
            continue;
        EXPECT_NE(w.control(key), nullptr) << key.toStdString();
    }
    for (const auto& [key, shown] : view.visible)
        EXPECT_NE(w.control(key), nullptr) << key.toStdString();
    // The unit labels as the results values number them, and no more.
    EXPECT_NE(w.label("LblUnit(40)"), nullptr);
    EXPECT_EQ(w.label("LblUnit(41)"), nullptr);
    EXPECT_NE(w.label("lblMMUnit(5)"), nullptr);
    EXPECT_EQ(w.label("lblMMUnit(6)"), nullptr);
    EXPECT_NE(w.label("lblSqUnit(4)"), nullptr);
    EXPECT_EQ(w.label("lblSqUnit(5)"), nullptr);
}

TEST_F(ResultsWindowTest, FillingSetsCaptionsFramesAndTabsAndIgnoresControlsTheWindowHasNot)
{
    ResultsWindow w(appPath, "EngErr.hlp");
    ResultsView v = MakeView(2);
    v.captions = {{"LblCirV", 3, "17"},
                  {"LblUnit", 40, "in"},
                  {"LblBlashH", -1, "5"},
                  {"NoSuchLabel", 0, "lost"},
                  {"LblCirV", 99, "lost"},
                  {"frmType", 9, "Rechtwinkligkeitsfehler"},
                  {"lblType", 9, "Rechtwin&kligkeit"}};
    w.fill(v);
    EXPECT_EQ(w.label("LblCirV(3)")->text(), "17");
    EXPECT_EQ(w.label("LblUnit(40)")->text(), "in");
    EXPECT_EQ(w.label("LblBlashH")->text(), "5");
    EXPECT_EQ(qobject_cast<QGroupBox*>(w.control("frmType(9)"))->title(), "Rechtwinkligkeitsfehler");
    EXPECT_EQ(w.tabs()->tabText(9), "Rechtwin&kligkeit") << "a type label's caption goes to its tab";
    // The value on the Pareto page is the one beside the chart.
    EXPECT_TRUE(w.tabs()->widget(13)->isAncestorOf(w.label("LblCirV(3)")));
    EXPECT_TRUE(w.tabs()->widget(0)->isAncestorOf(w.label("LblCirV(2)")));
}

TEST_F(ResultsWindowTest, AClickOnAParetoBarOpensThePageOfItsFaultAndAGapChangesNothing)
{
    const auto w = shownWindow();
    w->fill(MakeView(2));
    ParetoChart* chart = w->paretoChart();
    ASSERT_EQ(chart->barGeometry().bars.size(), 5u);

    // Fault codes 0, 15, 6, 18 and 10 belong to backlash, squareness, scale, vibration and servo.
    const ResultPage expected[] = {ResultPage::Backlash, ResultPage::Squareness, ResultPage::Scale,
                                   ResultPage::Vibration, ResultPage::Servo};
    for (int bar = 0; bar < 5; ++bar) {
        w->tabs()->setCurrentIndex(int(ResultPage::Pareto));
        pressAt(chart, centreOfBar(chart, bar));
        EXPECT_EQ(w->currentPage(), expected[bar]) << "bar " << bar + 1;
        EXPECT_EQ(w->tabs()->currentIndex(), int(expected[bar]));
    }

    w->tabs()->setCurrentIndex(int(ResultPage::Pareto));
    const auto g = chart->barGeometry();
    pressAt(chart, QPointF((g.bars[0].right() + g.bars[1].left()) / 2, g.bars[1].center().y()));
    pressAt(chart, QPointF(g.plot.left() + 1, g.plot.center().y()));
    pressAt(chart, QPointF(g.bars[2].center().x(), g.plot.top() - 3));
    EXPECT_EQ(w->currentPage(), ResultPage::Pareto);
}

TEST_F(ResultsWindowTest, ABarWhosePageIsOffOrWhoseCodeHasNoPageOpensNothing)
{
    const auto w = shownWindow();
    ResultsView v = MakeView(2, false);
    v.pareto = {{10, "Servo", 0}, {25, "Unknown", 0}, {-1, "Unknown", 0}};
    w->fill(v);
    ParetoChart* chart = w->paretoChart();
    ASSERT_EQ(chart->barGeometry().bars.size(), 3u);
    for (int bar = 0; bar < 3; ++bar) {
        pressAt(chart, centreOfBar(chart, bar));
        EXPECT_EQ(w->currentPage(), ResultPage::Pareto) << bar;
    }
    // And a view without bars: nothing to hit.
    w->fill(MakeView(2));
    ResultsView empty = MakeView(2);
    empty.pareto.clear();
    const QPointF where = centreOfBar(chart, 0);
    w->fill(empty);
    pressAt(chart, where);
    EXPECT_EQ(w->currentPage(), ResultPage::Pareto);
}

TEST_F(ResultsWindowTest, AStaticCaseSwitchesItsPagesOffAndADynamicOneOnAgainKeepingTheNumbering)
{
    ResultsWindow w(appPath, "EngErr.hlp");
    w.fill(MakeView(2, false));
    for (int page = 0; page < kResultPages; ++page) {
        const bool off = page == 1 || page == 4 || page == 8 || page == 10 || page == 12;
        EXPECT_EQ(w.tabs()->isTabEnabled(page), !off) << page;
    }
    EXPECT_EQ(w.tabs()->count(), 14);
    EXPECT_TRUE(w.tabs()->widget(13)->isAncestorOf(w.paretoChart()));
    EXPECT_EQ(w.currentPage(), ResultPage::Pareto);
    w.selectPage(ResultPage::Cyclic);
    EXPECT_EQ(w.currentPage(), ResultPage::Pareto) << "a page that is off is not selected";

    w.fill(MakeView(2, true));
    for (int page = 0; page < kResultPages; ++page)
        EXPECT_TRUE(w.tabs()->isTabEnabled(page)) << page;
}

TEST_F(ResultsWindowTest, ARefillKeepsThePageTheUserIsOnAlsoWhenItIsSwitchedOff)
{
    const auto w = shownWindow();
    w->fill(MakeView(2, true));
    w->selectPage(ResultPage::Servo);
    w->fill(MakeView(2, false)); // a static case loaded from the database
    EXPECT_FALSE(w->tabs()->isTabEnabled(int(ResultPage::Servo)));
    EXPECT_EQ(w->currentPage(), ResultPage::Servo);
    w->fill(MakeView(2, true));
    EXPECT_EQ(w->currentPage(), ResultPage::Servo);
    w->selectPage(ResultPage::Iso);
    w->fill(MakeView(2, false)); // the unit switch
    EXPECT_EQ(w->currentPage(), ResultPage::Iso);
}

TEST_F(ResultsWindowTest, PerMinuteStandsRightAfterTheFeedrateUnitOnTheAllAndServoPages)
{
    const auto w = shownWindow();
    for (const ResultPage page : {ResultPage::All, ResultPage::Servo}) {
        w->selectPage(page);
        QWidget* tab = w->tabs()->widget(int(page));
        tab->layout()->activate();
        const QList<QLabel*> labels = tab->findChildren<QLabel*>();
        const auto at = [tab](const QLabel* l) { return l->mapTo(tab, QPoint(0, 0)); };
        const auto minute = std::find_if(labels.begin(), labels.end(), [](QLabel* l) { return l->text() == "/min"; });
        ASSERT_NE(minute, labels.end()) << int(page);
        // The unit on its line: its text ends where "/min" begins.
        const auto unit = std::find_if(labels.begin(), labels.end(), [&](QLabel* l) {
            return l->objectName().startsWith("lblMMUnit") && at(l).y() == at(*minute).y();
        });
        ASSERT_NE(unit, labels.end()) << int(page);
        const int gap = at(*minute).x() - at(*unit).x() - (*unit)->fontMetrics().horizontalAdvance((*unit)->text());
        EXPECT_GE(gap, 0) << int(page);
        EXPECT_LE(gap, 4) << int(page);
    }
}

TEST_F(ResultsWindowTest, AViewOfFewerRunsHidesTheRowsOfTheRunsItHasNot)
{
    ResultsWindow w(appPath, "EngErr.hlp");
    const char* const rows[] = {"LblRound", "PnlIsoG", "PnlIsoF", "LblRoundServo", "lblRunFeedrate"};
    for (const char* row : rows) {
        for (int r = 0; r < 4; ++r)
            EXPECT_TRUE(w.control(ControlKey(row, r))->isHidden()) << row << r << ": no rows before a case is shown";
    }
    w.fill(MakeView(4));
    for (const char* row : rows) {
        for (int r = 0; r < 4; ++r)
            EXPECT_FALSE(w.control(ControlKey(row, r))->isHidden()) << row << r;
    }
    w.fill(MakeView(2));
    for (const char* row : rows) {
        for (int r = 0; r < 4; ++r)
            EXPECT_EQ(w.control(ControlKey(row, r))->isHidden(), r >= 2) << row << r;
    }
    // The run's values are in the panels that are switched with the row.
    EXPECT_TRUE(w.control("PnlIsoG(3)")->isAncestorOf(w.label("LblIsoG(3)")));
    EXPECT_TRUE(w.control("PnlIsoF(3)")->isAncestorOf(w.label("LblIsoF(3)")));
}

TEST_F(ResultsWindowTest, WithoutACalibratedBarThePanelCoversTheVerticalScaleRow)
{
    ResultsWindow w(appPath, "EngErr.hlp");
    ResultsView v = MakeView(2);
    v.visible["PnlHide"] = true;
    v.visible["LblScaleAxis(2)"] = true;
    v.visible["LblAxesH(10)"] = false;
    w.fill(v);
    EXPECT_FALSE(w.control("PnlHide")->isHidden());
    EXPECT_TRUE(w.label("LblScErV(0)")->isHidden());
    EXPECT_TRUE(w.label("lblSqUnit(3)")->isHidden());
    EXPECT_FALSE(w.label("LblScErH(0)")->isHidden());
    EXPECT_FALSE(w.label("LblScaleAxis(2)")->isHidden());
    EXPECT_TRUE(w.label("LblAxesH(10)")->isHidden());

    v.visible["PnlHide"] = false;
    v.visible["LblScaleAxis(2)"] = false;
    v.visible["LblAxesH(10)"] = true;
    w.fill(v);
    EXPECT_TRUE(w.control("PnlHide")->isHidden());
    EXPECT_FALSE(w.label("LblScErV(0)")->isHidden());
    EXPECT_FALSE(w.label("lblSqUnit(3)")->isHidden());
    EXPECT_TRUE(w.label("LblScaleAxis(2)")->isHidden());
    EXPECT_FALSE(w.label("LblAxesH(10)")->isHidden());
}

TEST_F(ResultsWindowTest, TheSignPicturesFollowTheView)
{
    ResultsWindow w(appPath, "EngErr.hlp");
    const char* const pictures[] = {"ImgScaleMinus", "ImgScalePlus", "ImgScaleMinusXZ", "ImgScalePlusXZ",
                                    "ImgMinus",      "ImgPlus",      "ImgMinusXZ",      "ImgPlusXZ"};
    ResultsView v = MakeView(2);
    for (const char* p : pictures)
        v.visible[p] = false;
    v.visible["ImgScalePlusXZ"] = true;
    v.visible["ImgMinusXZ"] = true;
    w.fill(v);
    for (const char* p : pictures) {
        const bool shown = QString(p) == "ImgScalePlusXZ" || QString(p) == "ImgMinusXZ";
        EXPECT_EQ(!w.control(p)->isHidden(), shown) << p;
    }
    EXPECT_TRUE(w.tabs()->widget(int(ResultPage::Scale))->isAncestorOf(w.control("ImgScalePlusXZ")));
    EXPECT_TRUE(w.tabs()->widget(int(ResultPage::Squareness))->isAncestorOf(w.control("ImgMinusXZ")));
}

TEST_F(ResultsWindowTest, TheChartsShowTheViewsData)
{
    ResultsWindow w(appPath, "EngErr.hlp");
    ResultsView v = MakeView(2);
    v.paretoAxisTitle = "in";
    w.fill(v);
    const BarChart& bars = w.paretoChart()->chart();
    ASSERT_EQ(bars.values.size(), 5u);
    EXPECT_EQ(bars.values[1], 9);
    EXPECT_EQ(bars.labels[1], "Squareness");
    EXPECT_EQ(bars.axisTitle, "in");
    EXPECT_EQ(w.spectrumChart()->chart().points.size(), 127u);
    EXPECT_EQ(w.spectrumChart()->chart().xTitle, "Hz");

    v.spectrumInHertz = false;
    v.spectrum.clear();
    v.pareto.clear();
    w.fill(v);
    EXPECT_TRUE(w.paretoChart()->chart().values.empty()) << "nothing of the case before stays";
    EXPECT_TRUE(w.spectrumChart()->chart().points.empty());
    EXPECT_TRUE(w.spectrumChart()->chart().xTitle.isEmpty());
}

TEST_F(ResultsWindowTest, CopyPutsTheParetoChartOnTheClipboardAsAnImage)
{
    const auto w = shownWindow();
    w->fill(MakeView(2));
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    ASSERT_TRUE(clipboard->image().isNull());

    click(w->copyButton());
    const QImage image = clipboard->image();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), w->paretoChart()->size());
    // The bars are in it where the chart has them.
    const BarChartGeometry g = w->paretoChart()->barGeometry();
    const QColor first = image.pixelColor(g.bars[0].center().toPoint());
    EXPECT_NE(first, QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(g.bars[4].center().toPoint()), first);
    EXPECT_EQ(image.pixelColor(QPointF(g.bars[4].center().x(), g.bars[4].top() - 3).toPoint()).rgb(),
              QColor(Qt::white).rgb()) << "above the shortest bar";
}

TEST_F(ResultsWindowTest, HelpOpensTheErrorTypesHelpAtTheContextOfThePage)
{
    const auto w = shownWindow();
    w->fill(MakeView(2));

    click(w->helpButton()); // on the Pareto page, where it opens
    w->selectPage(ResultPage::All);
    click(w->helpButton());
    w->selectPage(ResultPage::Iso);
    click(w->helpButton());
    w->selectPage(ResultPage::Circularity);
    click(w->helpButton());
    w->selectPage(ResultPage::Vibration);
    click(w->helpButton());
    ASSERT_EQ(recorder.calls.size(), 5u);
    const int contexts[] = {0, 0, 3, 3, 11};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(recorder.calls[i].file, appPath + "EngErr.hlp") << i;
        EXPECT_EQ(recorder.calls[i].context, contexts[i]) << i;
        EXPECT_EQ(recorder.calls[i].busy, 1) << "the hourglass is up while the help opens";
    }
    EXPECT_EQ(busyDepth(), 0);
    EXPECT_EQ(w->helpContext(), 11) << "what the program's own help command asks";

    w->setHelpFile(appPath, "DeuErr.hlp");
    click(w->helpButton());
    EXPECT_EQ(recorder.calls.back().file, appPath + "DeuErr.hlp");
}

TEST_F(ResultsWindowTest, AHelpThatFailsIsNotReported)
{
    const auto w = shownWindow();
    recorder.fail = true;
    click(w->helpButton());
    EXPECT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(busyDepth(), 0);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(ResultsWindowTest, CloseClosesTheWindowAndItsFrameInTheClientArea)
{
    {
        const auto w = shownWindow();
        click(w->closeButton());
        EXPECT_FALSE(w->isVisible());
    }
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    auto* w = new ResultsWindow(appPath, "EngErr.hlp");
    QMdiSubWindow* sub = area.addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
    QCoreApplication::processEvents();
    QPointer<QMdiSubWindow> frame = sub;
    click(w->closeButton());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.isNull() || !frame->isVisible());
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST_F(ResultsWindowTest, AMaximisedWindowIsRestoredWhenItIsActivated)
{
    const auto w = shownWindow();
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    QCoreApplication::processEvents();
    w->showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(w->isMaximized()) << "maximised while another window is active it stays so";
    QApplication::setActiveWindow(w.get());
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->isMaximized());

    // In the client area it is the frame that is maximised; switching to the window while the
    // area shows its children maximised brings it up in normal size.
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    auto* results = new ResultsWindow(appPath, "EngErr.hlp");
    QMdiSubWindow* sub = area.addSubWindow(results);
    QMdiSubWindow* other = area.addSubWindow(new QLabel("other"));
    sub->show();
    other->show();
    area.setActiveSubWindow(sub);
    QCoreApplication::processEvents();
    sub->showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(sub->isMaximized()) << "maximised while it is active it stays so";
    area.setActiveSubWindow(other);
    QCoreApplication::processEvents();
    ASSERT_TRUE(other->isMaximized());
    area.setActiveSubWindow(sub);
    QCoreApplication::processEvents();
    EXPECT_EQ(area.activeSubWindow(), sub);
    EXPECT_FALSE(sub->isMaximized());
}

TEST_F(ResultsWindowTest, TheWindowIsTranslatedUnderItsTagAndTheTabsFollowTheTypeLabels)
{
    openFixtureLanguageDb({{"result", "Analysis Results", "Analyseergebnisse"},
                           {"result", "S&quareness", "&Rechtwinkligkeit"},
                           {"result", "Circularity Value", "Rundheitswert"},
                           {"result", "&Close", "&Schließen"}});
    execLanguageSql("INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('result', 'LblHint(9)', NULL, 'Langer Hinweis')");
    SetTextLanguage("German");
    const ResultsWindow w(appPath, "EngErr.hlp");
    EXPECT_EQ(w.windowTitle(), "Analyseergebnisse");
    EXPECT_EQ(w.tabs()->tabText(9), "&Rechtwinkligkeit");
    EXPECT_EQ(w.closeButton()->text(), "&Schließen");
    EXPECT_EQ(w.label("LblHint(9)")->text(), "Langer Hinweis") << "a hint too long for a key comes from the long texts";
    // Fixed texts are offered for translation; what the view writes is not.
    EXPECT_TRUE(languageRow("result", "Max Position").has_value());
    EXPECT_TRUE(languageRow("result", "Power spectrum").has_value());
    EXPECT_FALSE(languageRow("result", "(x-y)").has_value());
    EXPECT_FALSE(languageRow("result", "µm/m").has_value());
}

} // namespace
} // namespace sarvo::display
