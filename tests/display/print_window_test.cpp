// The print options window offscreen over a host that records what the window asks of the
// program: the report types a case allows, the comment taken into the case with every edit however
// the window is left, Enter and Esc wherever the focus is, the printer dialog cancelled or
// confirmed, the wait panel while the report prints, and the modeless wait-only display.
#include "display/ui/print_window.h"

#include "core/app_error.h"
#include "tests/display/display_test.h"

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace sarvo::display {
namespace {

class RecordingPrintHost : public PrintWindowHost {
public:
    GraphPrintState graphState() const override { return graph; }
    QString logoPath() const override { return QStringLiteral("/program/logo.wmf"); }
    QString version() const override { return QStringLiteral("4.5.6"); }
    bool choosePrinter(QWidget*) override
    {
        ++dialogs;
        waitShownAtDialog = window && window->waitShown();
        return confirm;
    }
    void printReport(const ReportRequest& request) override
    {
        requests.push_back(request);
        commentsPrinted << printedCase->Header[HdrComment];
        waitShownAtPrint = window && window->waitShown();
        if (duringPrint)
            duringPrint();
    }
    void printWindowClosed() override { ++closings; }

    GraphPrintState graph;
    bool confirm = true;
    const Case* printedCase = nullptr;
    PrintWindow* window = nullptr;
    std::function<void()> duringPrint;

    int dialogs = 0;
    std::vector<ReportRequest> requests;
    QStringList commentsPrinted;
    bool waitShownAtDialog = false;
    bool waitShownAtPrint = false;
    int closings = 0;
};

class PrintWindowTest : public test::DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        c.Results.ResultsValid = true;
        c.Header[HdrComment] = QStringLiteral("axis X");
        host.printedCase = &c;
    }
    void TearDown() override
    {
        window.reset();
        DisplayTest::TearDown();
    }
    PrintWindow& open()
    {
        window = std::make_unique<PrintWindow>(c, host);
        host.window = window.get();
        window->show();
        return *window;
    }
    // Types at the end of the comment, the focus staying in the box.
    void typeComment(const QString& text)
    {
        QLineEdit* box = window->commentBox();
        box->setFocus();
        box->end(false);
        QTest::keyClicks(box, text);
    }

    Case c;
    RecordingPrintHost host;
    std::unique_ptr<PrintWindow> window;
};

TEST_F(PrintWindowTest, WithoutResultsOnlyTheGraphCanBePrinted)
{
    c.Results.ResultsValid = false;
    PrintWindow& w = open();
    QRadioButton* errors = w.typeOption(ReportType::ErrorsAndGraph);
    QRadioButton* graph = w.typeOption(ReportType::OnlyGraph);
    EXPECT_TRUE(graph->isChecked());
    EXPECT_FALSE(errors->isChecked());
    EXPECT_FALSE(errors->isEnabled());
    EXPECT_TRUE(graph->font().bold());
    EXPECT_FALSE(errors->font().bold());
    QTest::mouseClick(errors, Qt::LeftButton);
    EXPECT_EQ(w.reportType(), ReportType::OnlyGraph);

    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_EQ(host.requests[0].type, ReportType::OnlyGraph);
}

TEST_F(PrintWindowTest, WithResultsEachOpeningStartsWithErrorsAndGraph)
{
    PrintWindow& w = open();
    QRadioButton* errors = w.typeOption(ReportType::ErrorsAndGraph);
    QRadioButton* graph = w.typeOption(ReportType::OnlyGraph);
    EXPECT_TRUE(errors->isChecked());
    EXPECT_TRUE(errors->isEnabled());
    EXPECT_TRUE(errors->font().bold());
    QTest::mouseClick(graph, Qt::LeftButton);
    EXPECT_EQ(w.reportType(), ReportType::OnlyGraph);
    EXPECT_TRUE(graph->font().bold());
    EXPECT_FALSE(errors->font().bold());
    QTest::mouseClick(w.closeButton(), Qt::LeftButton);

    PrintWindow& again = open();
    EXPECT_EQ(again.reportType(), ReportType::ErrorsAndGraph);
    EXPECT_TRUE(again.typeOption(ReportType::ErrorsAndGraph)->font().bold());
}

TEST_F(PrintWindowTest, TheTypedCommentIsTheCasesHoweverTheWindowIsLeft)
{
    enum class Way { Enter, PrintClick, Escape, CloseClick };
    for (const Way way : {Way::Enter, Way::PrintClick, Way::Escape, Way::CloseClick}) {
        SCOPED_TRACE(int(way));
        c.Header[HdrComment] = QStringLiteral("axis X");
        host = RecordingPrintHost();
        host.printedCase = &c;
        PrintWindow& w = open();
        EXPECT_EQ(w.commentBox()->text(), "axis X");
        typeComment(QStringLiteral(", warm"));
        // Every keystroke is in the case already, before the box loses the focus.
        EXPECT_EQ(c.Header[HdrComment], "axis X, warm");
        switch (way) {
        case Way::Enter:
            QTest::keyClick(w.commentBox(), Qt::Key_Return);
            break;
        case Way::PrintClick:
            QTest::mouseClick(w.printButton(), Qt::LeftButton);
            break;
        case Way::Escape:
            QTest::keyClick(w.commentBox(), Qt::Key_Escape);
            break;
        case Way::CloseClick:
            QTest::mouseClick(w.closeButton(), Qt::LeftButton);
            break;
        }
        const bool printed = way == Way::Enter || way == Way::PrintClick;
        EXPECT_EQ(host.commentsPrinted, printed ? QStringList{"axis X, warm"} : QStringList{});
        EXPECT_EQ(c.Header[HdrComment], "axis X, warm");
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(host.closings, 1);
    }
}

TEST_F(PrintWindowTest, APastedCommentKeepsItsFirstHundredCharacters)
{
    PrintWindow& w = open();
    w.commentBox()->selectAll();
    w.commentBox()->insert(QString(150, u'k'));
    EXPECT_EQ(w.commentBox()->text(), QString(100, u'k'));
    EXPECT_EQ(c.Header[HdrComment], QString(100, u'k'));
}

TEST_F(PrintWindowTest, EnterPrintsAndEscClosesWhereverTheFocusIs)
{
    for (const bool onClose : {true, false}) {
        SCOPED_TRACE(onClose ? "focus on Close" : "focus on an option");
        host = RecordingPrintHost();
        host.printedCase = &c;
        PrintWindow& w = open();
        QWidget* focus = onClose ? static_cast<QWidget*>(w.closeButton()) : w.typeOption(ReportType::OnlyGraph);
        QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(host.dialogs, 1);
        EXPECT_EQ(host.requests.size(), 1u);
        EXPECT_FALSE(w.isVisible());

        PrintWindow& other = open();
        QTest::keyClick(onClose ? static_cast<QWidget*>(other.printButton()) : other.commentBox(), Qt::Key_Escape);
        EXPECT_EQ(host.dialogs, 1);
        EXPECT_FALSE(other.isVisible());
    }
}

TEST_F(PrintWindowTest, ACancelledPrinterDialogClosesTheWindowWithoutPrinting)
{
    host.confirm = false;
    PrintWindow& w = open();
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    EXPECT_EQ(host.dialogs, 1);
    EXPECT_TRUE(host.requests.empty());
    EXPECT_FALSE(w.waitPanel()->isVisibleTo(&w));
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(host.closings, 1);
}

TEST_F(PrintWindowTest, TheReportPrintsUnderTheWaitPanelWithTheGraphWindowsView)
{
    host.graph = {true, true, true};
    PrintWindow& w = open();
    EXPECT_FALSE(w.waitPanel()->isVisible());
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    // The panel comes after the printer is chosen, and covers the window's content while the
    // report prints.
    EXPECT_FALSE(host.waitShownAtDialog);
    EXPECT_TRUE(host.waitShownAtPrint);
    ASSERT_EQ(host.requests.size(), 1u);
    const ReportRequest& r = host.requests[0];
    EXPECT_EQ(r.type, ReportType::ErrorsAndGraph);
    EXPECT_TRUE(r.linearGraph);
    EXPECT_TRUE(r.mzcCircles);
    EXPECT_EQ(r.logoPath, "/program/logo.wmf");
    EXPECT_EQ(r.version, "4.5.6");
    EXPECT_FALSE(w.isVisible());
}

// The panel is painted before the report takes the thread, without running the program's
// events: a timer due at once has not fired while the report prints.
TEST_F(PrintWindowTest, TheWaitPanelIsPaintedWithoutRunningOtherEvents)
{
    PrintWindow& w = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    struct PaintCount : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } panel;
    w.waitPanel()->installEventFilter(&panel);
    bool timerFired = false;
    QTimer::singleShot(0, &w, [&timerFired] { timerFired = true; });
    int paintsAtPrint = -1;
    bool timerFiredAtPrint = true;
    host.duringPrint = [&] {
        paintsAtPrint = panel.paints;
        timerFiredAtPrint = timerFired;
    };
    w.print();
    EXPECT_GT(paintsAtPrint, 0);
    EXPECT_FALSE(timerFiredAtPrint);
    EXPECT_TRUE(QTest::qWaitFor([&timerFired] { return timerFired; }, 10000));
}

TEST_F(PrintWindowTest, KeysDuringThePrintStartNoSecondPrint)
{
    PrintWindow& w = open();
    int nested = 0;
    host.duringPrint = [&w, &nested] {
        if (++nested > 1)
            return; // a second print started: counted below
        QTest::keyClick(w.commentBox(), Qt::Key_Return);
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        QTest::keyClick(w.commentBox(), Qt::Key_Escape);
        // Still open under its wait panel until the report is done.
        EXPECT_TRUE(w.isVisible());
    };
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    EXPECT_EQ(host.dialogs, 1);
    EXPECT_EQ(host.requests.size(), 1u);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(host.closings, 1);
}

TEST_F(PrintWindowTest, AFailureWhilePrintingIsReportedOnceAndTheWindowCloses)
{
    PrintWindow& w = open();
    host.duringPrint = [] { throw AppError(57, StandardErrorText(57)); };
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    EXPECT_EQ(reportsAt("Printing"), 1);
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(PrintWindowTest, OtherPrintsShowOnlyTheWaitPanelModeless)
{
    window = std::make_unique<PrintWindow>(c, host);
    PrintWindow& w = *window;
    w.showWaitOnly();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_TRUE(w.waitShown());
    // The panel lies over the options, the comment and the buttons.
    const QRect panel = w.waitPanel()->geometry();
    for (QWidget* control : std::initializer_list<QWidget*>{w.typeOption(ReportType::ErrorsAndGraph), w.commentBox(),
                                                            w.printButton(), w.closeButton()}) {
        const QRect place(control->mapTo(&w, QPoint(0, 0)), control->size());
        EXPECT_TRUE(panel.contains(place)) << control->objectName().toStdString();
    }
    // Under the panel the keys start and close nothing.
    QTest::keyClick(w.commentBox(), Qt::Key_Return);
    QTest::keyClick(w.commentBox(), Qt::Key_Escape);
    EXPECT_EQ(host.dialogs, 0);
    EXPECT_TRUE(w.isVisible());
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(host.closings, 1);
}

} // namespace
} // namespace sarvo::display
