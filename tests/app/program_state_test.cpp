// The program's side of the ground floor and the fit: the settings file with the toolbar and
// menus, the units with their check marks, the kept answer of a question, the error-model fit as
// a command and the start values of the program state.
#include "analysis/analyse_case.h"
#include "analysis/trig_tables.h"
#include "app/app_context.h"
#include "app/app_shell.h"
#include "app/commands.h"
#include "app/fit_command.h"
#include "app/program_state.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"
#include "tests/analysis/same_case.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

using namespace sarvo;
using sarvo::test::AppTest;

namespace {

// The "Max. number of points" items that are checked.
QList<int> CheckedMaxPointsItems(const RecordingShell& shell)
{
    QList<int> items;
    for (int i = 0; i < 5; ++i) {
        if (shell.isMenuChecked(MaxPointsCommand(i)))
            items << i;
    }
    return items;
}

} // namespace

// ---- The settings file, the toolbar and the menus ----

class ProgramSettings : public AppTest {
protected:
    QString stored(const QString& section, const QString& key)
    {
        return IniFile(app().State.IniFile).get(section, key, "<missing>");
    }
    void writeIni(const QByteArray& text) { writeFile("Sarvotex.ini", text); }
};

TEST_F(ProgramSettings, FirstStartShowsTheToolbarAndChecksItsItems)
{
    recordingShell.setToolbarVisible(false);
    gsReadIni();
    EXPECT_EQ(app().Settings.MaxPoints, 2500);
    EXPECT_EQ(app().OpenCase.Data.BallBarLength, 150.0f);
    EXPECT_TRUE(recordingShell.toolbarVisible());
    EXPECT_TRUE(recordingShell.isMenuChecked(CommandId::Toolbar));
    EXPECT_EQ(CheckedMaxPointsItems(recordingShell), QList<int>({4}));
    EXPECT_EQ(TextLanguage(), "English");
}

TEST_F(ProgramSettings, TheFileSetsToolbarPointsItemAndTextLanguage)
{
    writeIni("[Universal]\nLanguage=German\n[Others]\nToolbar=False\nMaximum points=4000\n");
    gsReadIni();
    EXPECT_EQ(app().Settings.Language, "German");
    EXPECT_EQ(TextLanguage(), "German");
    EXPECT_FALSE(recordingShell.toolbarVisible());
    EXPECT_FALSE(recordingShell.isMenuChecked(CommandId::Toolbar));
    EXPECT_EQ(CheckedMaxPointsItems(recordingShell), QList<int>({3}));

    // Read again, a value that is not an item checks the last one, and only that.
    writeIni("[Others]\nMaximum points=9000\n");
    gsReadIni();
    EXPECT_EQ(app().Settings.MaxPoints, 8000);
    EXPECT_EQ(CheckedMaxPointsItems(recordingShell), QList<int>({4}));
    EXPECT_TRUE(recordingShell.toolbarVisible());
    EXPECT_EQ(TextLanguage(), "English");
}

TEST_F(ProgramSettings, ABadValueStillLeavesToolbarAndItemsSet)
{
    writeIni("[Others]\nToolbar=maybe\nMaximum points=4000\n");
    recordingShell.setToolbarVisible(false);
    gsReadIni();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.endsWith("gsReadIni(RENI)."));
    EXPECT_TRUE(recordingShell.toolbarVisible()); // default True
    EXPECT_TRUE(recordingShell.isMenuChecked(CommandId::Toolbar));
    EXPECT_EQ(CheckedMaxPointsItems(recordingShell), QList<int>({3}));
}

TEST_F(ProgramSettings, ShowMaxPointsItemChecksExactlyOne)
{
    ShowMaxPointsItem(500);
    EXPECT_EQ(CheckedMaxPointsItems(recordingShell), QList<int>({0}));
    ShowMaxPointsItem(2500);
    EXPECT_EQ(CheckedMaxPointsItems(recordingShell), QList<int>({4}));
    ShowMaxPointsItem(2000);
    EXPECT_EQ(CheckedMaxPointsItems(recordingShell), QList<int>({2}));
}

TEST_F(ProgramSettings, TheExitWritesTheProgramsSettingsAndTheCasesBarLength)
{
    gsReadIni();
    app().Settings.MaxPoints = 1000;
    app().Settings.SerialNumber = "SN-9";
    app().OpenCase.Data.BallBarLength = 200;
    WriteIni();
    EXPECT_EQ(stored("Others", "Maximum points"), "1000");
    EXPECT_EQ(stored("Configure", "Serial Number"), "SN-9");
    EXPECT_EQ(stored("Default", "Ball Bar Length"), "200.0");
}

TEST_F(ProgramSettings, TheToolbarIsWrittenFromTheWindowNotTheMenu)
{
    gsReadIni();
    recordingShell.setToolbarVisible(false);
    WriteIni();
    EXPECT_EQ(stored("Others", "Toolbar"), "False");
    EXPECT_FALSE(app().Settings.ToolbarVisible);
}

TEST_F(ProgramSettings, AFileThatCannotBeReadIsNeverOverwritten)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("Sarvotex.ini"));
    gsReadIni();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.endsWith("gsReadIni(RENI)."));
    EXPECT_EQ(app().Settings.MaxPoints, 2500); // defaults all the same
    EXPECT_TRUE(recordingShell.toolbarVisible());
    prompts.messages.clear();
    WriteIni();
    EXPECT_TRUE(prompts.messages.empty()); // skipped, not attempted and failed
    EXPECT_TRUE(QFileInfo(app().State.IniFile).isDir());
}

// ---- Units ----

using ProgramUnits = ProgramSettings;

TEST_F(ProgramUnits, SetUnitsChecksOneMenuAndRefreshesTheWindows)
{
    for (bool inch : {true, false, false}) {
        const int before = recordingShell.unitsChangedCount();
        app().Settings.UnitsInch = inch;
        SetUnits();
        EXPECT_EQ(recordingShell.isMenuChecked(CommandId::Inches), inch);
        EXPECT_EQ(recordingShell.isMenuChecked(CommandId::Metric), !inch);
        EXPECT_EQ(recordingShell.unitsChangedCount(), before + 1);
        EXPECT_NEAR(app().Units.LargeFactor, inch ? 1 / 25.4 : 1.0, 1e-15);
    }
}

TEST_F(ProgramUnits, SetUnitsTakesTheFormatsOfTheProgramsSettingsFile)
{
    writeIni("[Format]\nInch large format=0.000\n");
    app().Settings.UnitsInch = true;
    SetUnits();
    EXPECT_EQ(app().Units.LargeFormat, "0.000");
    app().Settings.UnitsInch = false;
    SetUnits();
    EXPECT_EQ(app().Units.LargeFormat, "###0");
}

// ---- The question window's kept answer ----

using ProgramQuestion = AppTest;

TEST_F(ProgramQuestion, AskInputKeepsTheAnswerAndCancelClearsIt)
{
    app().State.InputAnswer = "Mill 3";
    prompts.textAnswers = {"Session A"};
    EXPECT_EQ(AskInput("Name of the new session?"), "Session A");
    EXPECT_EQ(app().State.InputAnswer, "Session A");
    EXPECT_EQ(prompts.questions, QStringList({"Name of the new session?"}));

    prompts.textAnswers = {QString()}; // Cancel
    EXPECT_EQ(AskInput("Anything?"), "");
    EXPECT_EQ(app().State.InputAnswer, ""); // never the previous answer
}

// ---- The error-model fit as a command ----

class ProgramFit : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        InitTrigTables();
        gsReadIni();
        services() = ProgramServices();
        services().drawGraph = [this](WindowId window) { redraws += window == WindowId::Graph; };
        // Plain windows standing in for those that the fitted case's commands open.
        for (WindowId id : {WindowId::Results, WindowId::Graph, WindowId::AnalysisGraph, WindowId::Session,
                            WindowId::Print})
            windows().registerWindow(id, [](QWidget*) { return new QWidget; }, true);
    }
    void TearDown() override
    {
        services() = ProgramServices();
        AppTest::TearDown();
    }

    // A dynamic full circle in both directions, analysed as after a read and open.
    void openAnalysedCircle()
    {
        Case& c = app().OpenCase;
        test::FillTwoWayCircle(c, true);
        c.Header[HdrFeedrate] = "1000";
        NoProgress none;
        const AnalysisOutcome analysis = AnalyseCase(c, app().Settings, {.measurement = true}, none);
        ASSERT_TRUE(analysis.ok() && analysis.stepFailures.empty());
        app().State.CaseOpen = true;
    }

    static constexpr CommandId kFitCommands[] = {CommandId::SaveToDatabase, CommandId::Print, CommandId::ResultGraph,
                                                 CommandId::Combine};

    int redraws = 0;
};

TEST_F(ProgramFit, TheFitShowsProgressEnablesTheFittedCommandsAndRedrawsTheCombinedGraph)
{
    openAnalysedCircle();
    for (CommandId id : kFitCommands)
        recordingShell.setMenuEnabled(id, false);
    recordingShell.setButtonEnabled(ButtonId::SaveDb, false);
    recordingShell.setMenuChecked(CommandId::Combine, true);
    app().State.GraphShown = true;

    EXPECT_TRUE(RunErrorFit(app().OpenCase));
    EXPECT_TRUE(app().OpenCase.Results.ResultsValid);
    EXPECT_TRUE(recordingShell.progressShown());
    EXPECT_FALSE(recordingShell.progressIsOpen());
    ASSERT_FALSE(recordingShell.progressSteps().isEmpty()); // the fit's progress reaches the window
    EXPECT_EQ(recordingShell.progressSteps().back(), 100);
    EXPECT_EQ(busyDepth(), 0);
    for (CommandId id : kFitCommands)
        EXPECT_TRUE(recordingShell.menuEnabled(id)) << CommandName(id).toStdString();
    EXPECT_TRUE(recordingShell.menuEnabled(CommandId::SaveToFile));
    EXPECT_TRUE(recordingShell.buttonEnabled(ButtonId::SaveDb));
    EXPECT_EQ(redraws, 1);
}

TEST_F(ProgramFit, ABatchImportFitsWithoutShowingTheWindow)
{
    openAnalysedCircle();
    app().State.BatchRunning = true;
    app().State.GraphShown = true;
    recordingShell.setMenuChecked(CommandId::Combine, false);
    EXPECT_TRUE(RunErrorFit(app().OpenCase));
    EXPECT_TRUE(app().OpenCase.Results.ResultsValid);
    EXPECT_FALSE(recordingShell.progressShown());
    EXPECT_FALSE(recordingShell.progressIsOpen());
    EXPECT_FALSE(recordingShell.progressSteps().isEmpty());
    EXPECT_EQ(redraws, 0); // the graph does not show the combined model
}

TEST_F(ProgramFit, AFailedFitLeavesTheResultsInvalidAndTheFittedCommandsOff)
{
    openAnalysedCircle();
    app().OpenCase.Header[HdrFeedrate] = ""; // the servo column divides by the feedrate
    app().OpenCase.Results.ResultsValid = true; // an earlier fit of the same case must not stay valid
    for (CommandId id : kFitCommands)
        recordingShell.setMenuEnabled(id, true);
    recordingShell.setMenuChecked(CommandId::Combine, true);
    app().State.GraphShown = true;

    EXPECT_FALSE(RunErrorFit(app().OpenCase));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_FALSE(app().OpenCase.Results.ResultsValid);
    EXPECT_FALSE(recordingShell.progressIsOpen());
    EXPECT_EQ(busyDepth(), 0);
    for (CommandId id : kFitCommands)
        EXPECT_FALSE(recordingShell.menuEnabled(id)) << CommandName(id).toStdString();
    EXPECT_FALSE(recordingShell.buttonEnabled(ButtonId::SaveDb));
    EXPECT_TRUE(recordingShell.menuEnabled(CommandId::SaveToFile)); // the case is still open
    EXPECT_EQ(redraws, 0);
}

// Stopped from the progress window before the fit or half way through it, the fit leaves the
// open case as it was, shows nothing and enables none of the fitted commands.
TEST_F(ProgramFit, AStoppedFitLeavesTheOpenCaseAsItWas)
{
    openAnalysedCircle();
    const Case before = app().OpenCase;
    for (int steps : {0, 1}) {
        for (CommandId id : kFitCommands)
            recordingShell.setMenuEnabled(id, false);
        recordingShell.cancelAfterProgressSteps(steps);
        EXPECT_FALSE(RunErrorFit(app().OpenCase));
        EXPECT_TRUE(test::SameAnalysis(app().OpenCase, before)) << steps;
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_FALSE(recordingShell.progressIsOpen());
        for (CommandId id : kFitCommands)
            EXPECT_FALSE(recordingShell.menuEnabled(id)) << CommandName(id).toStdString();
    }
    // The second stop came after the fit had begun on its copy: let run, it fits the case.
    recordingShell.cancelAfterProgressSteps(-1);
    EXPECT_TRUE(RunErrorFit(app().OpenCase));
    EXPECT_FALSE(test::SameAnalysis(app().OpenCase, before));
}

// ---- The program state's start values ----

TEST(AppContext, StartsZeroedAndResets)
{
    app().OpenCase.Data.RunCount = 4;
    app().State.BatchRunning = true;
    ResetAppContext();
    EXPECT_EQ(app().OpenCase.Data.RunCount, 0);
    EXPECT_FALSE(app().State.BatchRunning);
    EXPECT_FALSE(app().OpenCase.Results.ResultsValid);
    EXPECT_TRUE(app().OpenCase.Header[HdrFilename].isEmpty());
}
