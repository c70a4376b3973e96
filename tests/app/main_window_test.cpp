// The main window driven as the program runs it: start-up and shutdown in a temporary program
// folder, the case commands after good and bad reads, the recent list, and save to file.
#include "app/app_context.h"
#include "app/help.h"
#include "app/ini_file.h"
#include "app/language_db.h"
#include "app/sql_script.h"
#include "app/program_services.h"
#include "app/recent_files.h"
#include "app/trig_tables.h"
#include "app/ui/after_load.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_window.h"
#include "app/ui/startup.h"
#include "app/ui/window_registry.h"
#include "tests/support/test_env.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QToolBar>

#include <cmath>

using namespace sarvo;
using sarvo::test::AppTest;

class MainWindowTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        previousHome = qgetenv("SARVOTEX_HOME");
        qputenv("SARVOTEX_HOME", dir.path().toUtf8());
        services() = ProgramServices();
        services().openMeasurementFile = [this](const QString& text) {
            opened << text;
            return readSucceeds;
        };
        services().showResults = [this] { ++resultsShown; };
        services().showBasicInfo = [this] { ++basicInfoShown; };
        services().saveRtb = [this](const QString& name) {
            savedReadings = app().OpenCase.Data.Readings(1, 10);
            savedFiles << name;
            return true;
        };
    }
    void TearDown() override
    {
        main.reset();
        services() = ProgramServices();
        qputenv("SARVOTEX_HOME", previousHome);
        AppTest::TearDown();
    }

    // The program's own folder holds no shipped files here, so the program folder starts empty.
    void start(const QString& commandLine = {}, const QString& startFolder = {})
    {
        main = std::make_unique<MainWindow>();
        StartOptions options;
        options.programFolder = programFolder.path();
        options.startFolder = startFolder;
        options.commandLine = commandLine;
        options.showWindows = false;
        StartApplication(*main, options);
    }
    void restart()
    {
        main->shutdown();
        main.reset();
        ResetAppContext();
        start();
    }
    bool enabled(const QString& name) { return main->action(name)->isEnabled(); }
    QString stored(const QString& section, const QString& key)
    {
        return IniFile(app().State.IniFile).get(section, key, "<missing>");
    }

    // A full circle of 360 points on the nominal radius with a known centre offset.
    void loadCircle()
    {
        CaseData& d = app().OpenCase.Data;
        d.RunCount = 2;
        d.TestRadius = 150;
        d.BallBarLength = 150;
        d.StartAngle = 0;
        d.StopAngle = 360;
        d.SweepAngle = 360;
        d.AngleStep = 1;
        d.MaxTargets = 360;
        for (int r = 1; r <= 2; ++r) {
            d.RunTargets[static_cast<std::size_t>(r)] = 360;
            d.RunDirection[static_cast<std::size_t>(r)] = r == 1 ? 1 : -1;
            d.GaugeTemp[static_cast<std::size_t>(r)] = 20;
            d.MachineTemp[static_cast<std::size_t>(r)] = 20;
            for (int j = 0; j < 360; ++j)
                d.Readings(r, j) = 0.002 * std::cos(j * kPi12 / 180.0) + 0.001 * std::sin(2 * j * kPi12 / 180.0);
        }
        app().OpenCase.Header[HdrPlane] = "xy";
    }

    QByteArray previousHome;
    QTemporaryDir programFolder;
    std::unique_ptr<MainWindow> main;
    QStringList opened, savedFiles;
    bool readSucceeds = true;
    int resultsShown = 0, basicInfoShown = 0;
    double savedReadings = 0;
};

TEST_F(MainWindowTest, FirstStartGivesDefaultsAndTheExitWritesEveryKey)
{
    start();
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text.toStdString();
    EXPECT_EQ(app().State.AppPath, QDir(dir.path()).absolutePath() + "/");
    EXPECT_FALSE(app().State.LangDb.isEmpty()); // created from the shipped texts
    EXPECT_EQ(app().Units.SmallFactor, 1.0);
    EXPECT_TRUE(main->isMenuChecked("MMetric"));
    EXPECT_TRUE(main->isMenuChecked("MPoint(4)"));
    EXPECT_EQ(app().State.HelpFile, "EngAna.hlp");
    for (const char* item : {"MResult", "MSave", "MSaveToFile", "MPrint", "MGraph", "MSimuGraph", "MSimuShow"})
        EXPECT_FALSE(enabled(item)) << item;
    EXPECT_FALSE(main->action("MRecent(0)")->isVisible());
    main->shutdown();
    EXPECT_EQ(stored("Others", "Maximum points"), "2500");
    EXPECT_EQ(stored("Configure", "Serial Number"), "123456789");
    EXPECT_EQ(stored("Recent File List", "ID 3"), "0");
}

TEST_F(MainWindowTest, ADamagedLanguageDatabaseIsReportedOnceAndTheProgramStillWorks)
{
    writeFile("Lang.db", QByteArray(4096, 'x'));
    writeFile("Sarvotex.ini", "[Universal]\nUnits=-1\n[Recent File List]\nFile 0=/data/a.rtb\n");
    start();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.endsWith("Starting."));
    EXPECT_TRUE(app().State.LangDb.isEmpty());
    // Units, tables and the recent list are set all the same.
    EXPECT_NEAR(app().Units.LargeFactor, 1 / 25.4, 1e-15);
    EXPECT_TRUE(main->isMenuChecked("MInches"));
    EXPECT_EQ(CosTab(0), 1.0f);
    EXPECT_TRUE(main->action("MRecent(0)")->isVisible());
    EXPECT_EQ(main->action("MRecent(0)")->text(), "&1 /data/a.rtb");
}

TEST_F(MainWindowTest, ARelativeCommandLineNameIsTakenFromTheStartFolder)
{
    start("runs/circle 1.rtb", "/home/user/machines");
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], "/home/user/machines/runs/circle 1.rtb");
    EXPECT_EQ(resultsShown, 0); // the command line never opens the results window
    EXPECT_EQ(CommandLineFile("/abs/a.rtb", "/start"), "/abs/a.rtb");
    EXPECT_EQ(CommandLineFile("C:\\data\\a.rtb", "/start"), "C:\\data\\a.rtb");
}

TEST_F(MainWindowTest, CaseCommandsAfterAGoodAndAFailedRead)
{
    start();
    main->setMenuEnabled("MSimuGraph", true); // left over from an earlier fit
    loadCircle();
    RunAfterFileRead(true, "/data/circle.rtb");
    EXPECT_TRUE(enabled("MResult"));
    EXPECT_TRUE(enabled("MSaveToFile"));
    EXPECT_TRUE(enabled("MGraph"));
    EXPECT_FALSE(enabled("MSave"));
    EXPECT_FALSE(enabled("MPrint"));
    EXPECT_FALSE(enabled("MSimuGraph"));
    EXPECT_FALSE(enabled("MSimuShow"));
    EXPECT_TRUE(main->action("button:Result")->isEnabled());
    EXPECT_FALSE(main->action("button:SaveDb")->isEnabled());
    EXPECT_EQ(app().Settings.RecentFile[0], "/data/circle.rtb");
    EXPECT_EQ(basicInfoShown, 1);
    EXPECT_GT(app().OpenCase.Results.LscResult.Radius, 149.9);

    // A fit enabled saving and printing; a failed read takes every case command away but leaves
    // the result graph and combine items as they were.
    main->setMenuEnabled("MSave", true);
    main->setMenuEnabled("MPrint", true);
    main->setMenuEnabled("MSimuGraph", true);
    RunAfterFileRead(false, "/data/broken.rtb");
    for (const char* item : {"MResult", "MSave", "MSaveToFile", "MPrint", "MGraph"})
        EXPECT_FALSE(enabled(item)) << item;
    EXPECT_TRUE(enabled("MSimuGraph"));
    EXPECT_FALSE(main->action("button:Graph")->isEnabled());
    EXPECT_EQ(app().Settings.RecentFile[0], "/data/circle.rtb");
}

TEST_F(MainWindowTest, ReopeningARecentEntryShowsResultsOnlyWhenTheReadSucceeded)
{
    start();
    app().Settings.RecentFile[0] = "/data/gone.rtb";
    readSucceeds = false;
    CmdReopenRecent(0);
    EXPECT_EQ(opened, QStringList({"/data/gone.rtb"}));
    EXPECT_EQ(resultsShown, 0);
    readSucceeds = true;
    CmdReopenRecent(0);
    EXPECT_EQ(resultsShown, 1);
    // A database entry goes to the case loader, not to the readers.
    int loaded = 0;
    services().loadCaseFromDb = [&](int32_t id) {
        loaded = id;
        return true;
    };
    app().Settings.RecentID[1] = 42;
    app().Settings.RecentFile[1] = "Session xy 1000 mm/min";
    CmdReopenRecent(1);
    EXPECT_EQ(loaded, 42);
    EXPECT_EQ(opened.size(), 2);
}

TEST_F(MainWindowTest, MaxPointsMenuAndAHiddenToolbarSurviveARestart)
{
    start();
    main->action("MPoint(1)")->trigger();
    EXPECT_EQ(app().Settings.MaxPoints, 1000);
    EXPECT_TRUE(main->isMenuChecked("MPoint(1)"));
    EXPECT_FALSE(main->isMenuChecked("MPoint(4)"));
    main->action("MToolbar")->trigger();
    EXPECT_TRUE(main->toolBar()->isHidden());
    restart();
    EXPECT_EQ(app().Settings.MaxPoints, 1000);
    EXPECT_TRUE(main->isMenuChecked("MPoint(1)"));
    EXPECT_TRUE(main->toolBar()->isHidden());
    EXPECT_FALSE(main->isMenuChecked("MToolbar"));
}

TEST_F(MainWindowTest, UnitsMenuSwitchesTheDisplay)
{
    start();
    main->action("MInches")->trigger();
    EXPECT_TRUE(app().Settings.UnitsInch);
    EXPECT_TRUE(main->isMenuChecked("MInches"));
    EXPECT_FALSE(main->isMenuChecked("MMetric"));
    main->action("MMetric")->trigger();
    EXPECT_EQ(app().Units.SmallFactor, 1.0);
}

TEST_F(MainWindowTest, SaveToFileLeavesTheReadingsBitIdentical)
{
    start();
    loadCircle();
    RunAfterFileRead(true, "/data/circle.rtb");
    app().Settings.Calibration = {};
    app().OpenCase.Data.GaugeTemp[1] = 23.5; // a compensation that must be undone and redone
    const ReadingsTable before = app().OpenCase.Data.Readings;

    // Cancelled.
    CmdSaveToFile();
    EXPECT_TRUE(app().OpenCase.Data.Readings == before);
    EXPECT_TRUE(savedFiles.isEmpty());

    // Written as text: .rtb contents under a .txt name; the writer saw other readings than the
    // analysed ones, and the open case is unchanged afterwards.
    prompts.fileAnswers = {path("out")};
    prompts.filterAnswers = {2};
    CmdSaveToFile();
    EXPECT_EQ(savedFiles, QStringList({path("out.txt")}));
    EXPECT_NE(savedReadings, before(1, 10));
    EXPECT_TRUE(app().OpenCase.Data.Readings == before);

    // A writer that fails opens the dialog again; an error inside still restores the readings.
    int calls = 0;
    services().saveRtb = [&](const QString&) { return ++calls == 2; };
    prompts.fileAnswers = {path("a.rtb"), path("b.rtb")};
    CmdSaveToFile();
    EXPECT_EQ(calls, 2);
    services().saveRtb = [](const QString&) -> bool { throw AppError::fileNotFound(); };
    prompts.fileAnswers = {path("c.rtb")};
    CmdSaveToFile();
    EXPECT_TRUE(prompts.messages.back().text.endsWith("Saving to file."));
    EXPECT_TRUE(app().OpenCase.Data.Readings == before);
}

TEST_F(MainWindowTest, SaveToDatabaseNeedsAPlane)
{
    start();
    app().OpenCase.Header[HdrPlane] = "";
    CmdSaveToDatabase();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Set the plane first, please.");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::None);
}

TEST_F(MainWindowTest, NewMeasurementDisablesTheCaseAndOpenCommands)
{
    start();
    app().Settings.RecentFile[0] = "/data/a.rtb";
    ShowRecentFiles();
    app().OpenCase.Results.ResultsValid = true;
    CmdNewMeasurement();
    EXPECT_FALSE(app().OpenCase.Results.ResultsValid);
    for (const char* item : {"MResult", "MSave", "MNew", "MOpen", "MOpenDB", "MBatch", "MConfigure", "MRecent(0)"})
        EXPECT_FALSE(enabled(item)) << item;
    EXPECT_FALSE(main->action("button:OpenFile")->isEnabled());
    ShowRecentFiles();
    EXPECT_TRUE(enabled("MRecent(0)"));
}

TEST_F(MainWindowTest, LeavingWithAnUnsavedCaptureAsksFirst)
{
    start();
    EXPECT_TRUE(ConfirmLeaving());
    EXPECT_TRUE(prompts.questions.isEmpty());
    app().State.CaptureUnsaved = true;
    prompts.yesNoAnswers = {false};
    EXPECT_FALSE(ConfirmLeaving());
    prompts.yesNoAnswers = {true};
    EXPECT_TRUE(ConfirmLeaving());
    EXPECT_EQ(prompts.questions.size(), 2);
}

TEST_F(MainWindowTest, ArrangePlacesTheGraphsInTheirHalves)
{
    start();
    main->resize(1000, 700);
    main->show();
    windows().registerWindow("frmGraph", [](QWidget*) { return new QWidget; }, true);
    windows().registerWindow("result", [](QWidget*) { return new QWidget; }, true);
    windows().show("result");
    windows().show("frmGraph");
    CmdArrange(*main);
    QWidget* graph = windows().loaded("frmGraph")->parentWidget();
    const QSize area = main->mdiArea()->viewport()->size();
    EXPECT_EQ(graph->geometry(), QRect(area.width() / 2, 0, area.width() / 2, area.height()));
    windows().unload("frmGraph");
    windows().unload("result");
    EXPECT_FALSE(windows().isLoaded("frmGraph"));
}

TEST_F(MainWindowTest, TheShippedTextsTranslateTheFrameIntoGerman)
{
    writeFile("Sarvotex.ini", "[Universal]\nLanguage=German\n");
    start();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(main->windowTitle(), "Sarvotrenk Analyse");
    EXPECT_EQ(main->action("MOpen")->text(), QString::fromUtf8("Fall aus &Datei öffnen..."));
    EXPECT_EQ(main->action("button:Print")->toolTip(), "Bericht drucken");
    EXPECT_EQ(app().State.AppTitle, "Sarvotrenk Analyse");
    CmdSaveToDatabase();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Bitte zuerst die Ebene angeben.");
    EXPECT_EQ(prompts.messages[0].title, "Sarvotrenk Analyse");
}

TEST_F(MainWindowTest, AWriteProtectedCaseDatabaseOpensReadOnly)
{
    start();
    main->shutdown();
    main.reset();
    ASSERT_TRUE(QFile::exists(path("Sarvotex.db")));
    QFile::setPermissions(path("Sarvotex.db"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    ResetAppContext();
    start();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(app().State.MainDbReadOnly);
    EXPECT_FALSE(main->findChild<QLabel*>("ReadOnly")->text().isEmpty());
    main->shutdown();
    QFile::setPermissions(path("Sarvotex.db"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

namespace {
class RecordingHelp : public HelpSystem {
public:
    void showContext(const QString& file, int context) override { calls << QString("%1#%2").arg(file).arg(context); }
    void helpOnHelp() override { calls << "howto"; }
    void quit(const QString& file) override { calls << "quit " + file; }
    QStringList calls;
};
} // namespace

TEST_F(MainWindowTest, HelpCommandsNameTheFileAndTheContext)
{
    RecordingHelp recorder;
    setHelpSystem(&recorder);
    start();
    const QString folder = app().State.AppPath;
    main->action("MContents")->trigger();
    main->action("MHow")->trigger();
    main->action("MInfo")->trigger(); // no results window: context 0

    // The results window's current tab names the error types shown, as its frame's tag.
    windows().registerWindow("result", [](QWidget*) {
        auto* w = new QWidget;
        auto* tabs = new QTabWidget(w);
        tabs->setObjectName("tabResult");
        for (int t = 0; t < 2; ++t) {
            auto* frame = new QWidget;
            frame->setObjectName(QString("frmType(%1)").arg(t));
            frame->setProperty("tag", QString::number(1000 + t));
            tabs->addTab(frame, QString::number(t));
        }
        tabs->setCurrentIndex(1);
        return w;
    }, true);
    windows().ensureLoaded("result");
    app().State.ResultShown = true;
    main->action("MInfo")->trigger();
    windows().unload("result");
    main->shutdown();
    setHelpSystem(nullptr);

    EXPECT_EQ(recorder.calls, QStringList({folder + "EngAna.hlp#0", "howto", folder + "EngErr.hlp#0",
                                           folder + "EngErr.hlp#1001", "quit " + folder + "EngAna.hlp",
                                           "quit " + folder + "EngErr.hlp"}));
}

TEST(HelpPages, TheHtmlPageStandsInForTheHelpFileWhateverTheCase)
{
    QTemporaryDir folder;
    QFile page(folder.path() + "/engana.HTML");
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    EXPECT_EQ(HelpPagePath(folder.path() + "/EngAna.hlp"), folder.path() + "/engana.HTML");
    EXPECT_EQ(HelpPagePath(folder.path() + "/EngErr.hlp"), QString());
}

TEST_F(MainWindowTest, AnOldCaseDatabaseIsUpgradedAtStartAndLeftAloneAfterwards)
{
    // An old file: the case table without the later fields, with one stored case.
    ASSERT_EQ(CreateDatabaseFromScript(path("Sarvotex.db"),
                                       "CREATE TABLE \"Measure\" (\"Meas_ID\" INTEGER PRIMARY KEY AUTOINCREMENT,"
                                       " \"Machine\" VARCHAR(255), \"Name\" VARCHAR(255), \"Plane\" VARCHAR(30),"
                                       " \"Circularity\" DOUBLE PRECISION);\n"
                                       "INSERT INTO \"Measure\" (\"Machine\", \"Name\", \"Plane\", \"Circularity\")"
                                       " VALUES ('Mill 3', 'Acceptance', 'xy', 12.5);\n"),
              QString());
    const auto columns = [this] {
        QStringList names;
        const QString connection = "inspect";
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection);
            db.setDatabaseName(path("Sarvotex.db"));
            db.open();
            QSqlQuery q(db);
            q.exec("PRAGMA table_info(\"Measure\")");
            while (q.next())
                names << q.value(1).toString();
            q.exec("SELECT \"Machine\", \"Circularity\" FROM \"Measure\"");
            q.next();
            names << q.value(0).toString() + "=" + q.value(1).toString();
            db.close();
        }
        QSqlDatabase::removeDatabase(connection);
        return names;
    };
    start();
    EXPECT_TRUE(prompts.messages.empty());
    main->shutdown();
    main.reset();
    const QStringList upgraded = columns();
    EXPECT_TRUE(upgraded.contains("PlayH"));
    EXPECT_TRUE(upgraded.contains("EquipmentSerial"));
    EXPECT_TRUE(upgraded.contains("Mill 3=12.5")); // the stored case is intact
    const QByteArray afterFirst = readFile("Sarvotex.db");

    ResetAppContext();
    start();
    main->shutdown();
    EXPECT_EQ(columns(), upgraded);
    EXPECT_EQ(readFile("Sarvotex.db"), afterFirst);
}

TEST_F(MainWindowTest, ShowingResultsRunsTheFitOnceAndEnablesSavingAndPrinting)
{
    services().showResults = nullptr; // no results window yet: the frame's own handler
    start();
    loadCircle();
    RunAfterFileRead(true, "/data/circle.rtb");
    EXPECT_FALSE(app().OpenCase.Results.ResultsValid);
    main->action("MResult")->trigger();
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text.toStdString();
    EXPECT_TRUE(app().OpenCase.Results.ResultsValid);
    EXPECT_TRUE(enabled("MSave"));
    EXPECT_TRUE(enabled("MPrint"));
    EXPECT_TRUE(main->action("button:SaveDb")->isEnabled());
    EXPECT_FALSE(app().OpenCase.Results.InfluenceName[0].isEmpty());
    EXPECT_TRUE(main->isEnabled()); // the progress window gave the frame back

    // A second showing does not fit again: the fit's results stay as they are.
    app().OpenCase.Results.ErrorValues.Back0 = 123.0;
    main->action("MResult")->trigger();
    EXPECT_EQ(double(app().OpenCase.Results.ErrorValues.Back0), 123.0); // by value: the field is packed
}

TEST_F(MainWindowTest, AWindowThatRefusesToCloseStaysLoaded)
{
    start();
    struct Unsaved : QWidget {
        void closeEvent(QCloseEvent* e) override { e->ignore(); }
    };
    windows().registerWindow("frmMeasure", [](QWidget*) { return new Unsaved; }, false);
    windows().show("frmMeasure");
    EXPECT_FALSE(windows().unload("frmMeasure"));
    EXPECT_TRUE(windows().isLoaded("frmMeasure"));
    delete windows().loaded("frmMeasure");
    EXPECT_FALSE(windows().isLoaded("frmMeasure"));
}

TEST_F(MainWindowTest, AReadWhoseAnalysisFailsLeavesNoCaseCommandEnabled)
{
    start();
    loadCircle();
    RunAfterFileRead(true, "/data/circle.rtb");
    ASSERT_TRUE(enabled("MSaveToFile"));
    // A case that reads but cannot be fitted (no points in its runs).
    app().OpenCase.Data.RunTargets[1] = 0;
    app().OpenCase.Data.RunTargets[2] = 0;
    EXPECT_THROW(RunAfterFileRead(true, "/data/empty.rtb"), AppError);
    for (const char* item : {"MResult", "MSave", "MSaveToFile", "MPrint", "MGraph"})
        EXPECT_FALSE(enabled(item)) << item;
}
