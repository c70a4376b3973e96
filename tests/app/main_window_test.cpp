// The main window driven as the program runs it: start-up and shutdown in a temporary program
// folder, an end signal with unsaved runs, the case commands after good and bad reads, the recent
// list, save to file, the language window with every window in German, and access keys.
#include "app/app_context.h"
#include "app/batch_command.h"
#include "core/help.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/sql_script.h"
#include "gui/program_services.h"
#include "app/recent_files.h"
#include "analysis/trig_tables.h"
#include "app/after_load.h"
#include "app/case_commands.h"
#include "gui/window_views.h"
#include "app/main_commands.h"
#include "app/main_window.h"
#include "app/measure_commands.h"
#include "app/language_window.h"
#include "app/program_db.h"
#include "casedb/ui/mac_list_window.h"
#include "gui/help_window.h"
#include "gui/input_window.h"
#include "gui/progress_window.h"
#include "gui/translate_form.h"
#include "app/startup.h"
#include "app/unsaved_runs.h"
#include "gui/window_registry.h"
#include "app/qt_translations.h"
#include "casedb/ui/trend_windows.h"
#include "gauge/ui/case_info_window.h"
#include "gui/qt_prompts.h"
#include "tests/support/file_round_trip.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"
#include "tests/support/typing.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QPushButton>
#include <QRadioButton>
#include <QImage>
#include <QMessageBox>
#include <QScreen>
#include <QSessionManager>
#include <QStandardPaths>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextBrowser>
#include <QMenuBar>
#include <QKeySequence>
#include <QMenu>
#include <QMap>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <unistd.h>

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
            savedReadings = app().OpenCase.Data.ReadingsToSave()(1, 5);
            savedFiles << name;
            return true;
        };
    }
    void TearDown() override
    {
        main.reset();
        InstallQtTranslations({}); // Qt's texts back to English for the next test
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
        options.showWindows = showWindows;
        StartApplication(*main, options);
    }
    void restart()
    {
        main->shutdown();
        main.reset();
        ResetAppContext();
        start();
    }
    // Starts the program anew after an end without shutdown (as by a signal) and returns the one
    // message the start shows.
    QString messageOfNextStart()
    {
        main.reset();
        ResetAppContext();
        setPrompts(&prompts);
        start();
        if (!QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 30000))
            return QStringLiteral("<no message>");
        EXPECT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].title, app().State.AppTitle);
        return prompts.messages[0].text;
    }
    bool enabled(const QString& name) { return main->action(name)->isEnabled(); }
    // Plain windows standing in for those that later subsystems bring, so that their commands
    // are on as they will be.
    void registerStandIns()
    {
        for (WindowId id : {WindowId::Results, WindowId::Graph, WindowId::AnalysisGraph, WindowId::NewCase,
                            WindowId::Session, WindowId::DbLoad, WindowId::Batch, WindowId::History,
                            WindowId::Language, WindowId::Configure, WindowId::Print})
            windows().registerWindow(id, [](QWidget*) { return new QWidget; }, true);
        UpdateCaseCommands();
    }
    QString stored(const QString& section, const QString& key)
    {
        return IniFile(app().State.IniFile).get(section, key, "<missing>");
    }

    // A full circle of 360 points on the nominal radius with a known centre offset.
    void loadCircle() { test::FillTwoWayCircle(app().OpenCase); }
    // The program with a captured case that was never saved.
    void startWithUnsavedRuns()
    {
        start();
        loadCircle();
        app().OpenCase.Header[HdrDate] = "03/15/2024 10:30";
        app().State.CaptureUnsaved = true;
    }
    // The windows of every command, an entry in the recent list and a fitted case open.
    void openFittedCaseWithRecentEntry()
    {
        start();
        registerStandIns();
        app().Settings.RecentFile[0] = "/data/a.rtb";
        ShowRecentFiles(app().Settings);
        app().State.CaseOpen = true;
        app().OpenCase.Results.ResultsValid = true;
    }

    QByteArray previousHome;
    QTemporaryDir programFolder;
    std::unique_ptr<MainWindow> main;
    QStringList opened, savedFiles;
    bool readSucceeds = true;
    bool showWindows = false; // the frame and the splash as the program shows them
    int resultsShown = 0, basicInfoShown = 0;
    double savedReadings = 0;
};

TEST_F(MainWindowTest, FirstStartGivesDefaultsAndTheExitWritesEveryKey)
{
    start();
    EXPECT_EQ(app().State.AppPath, QDir(dir.path()).absolutePath() + "/");
    EXPECT_FALSE(app().State.LangDb.isEmpty()); // created from the shipped texts
    EXPECT_EQ(app().Units.SmallFactor, 1.0);
    EXPECT_TRUE(main->isMenuChecked(CommandId::Metric));
    EXPECT_TRUE(main->isMenuChecked(MaxPointsCommand(4)));
    EXPECT_EQ(app().State.HelpFile, "EngAna.hlp");
    for (const char* item : {"MResult", "MSave", "MSaveToFile", "MPrint", "MGraph", "MSimuGraph", "MSimuShow"})
        EXPECT_FALSE(enabled(item)) << item;
    EXPECT_FALSE(main->action("MRecent(0)")->isVisible());
    main->shutdown();
    EXPECT_EQ(stored("Others", "Maximum points"), "2500");
    EXPECT_EQ(stored("Configure", "Serial Number"), "123456789");
    EXPECT_EQ(stored("Recent File List", "ID 3"), "0");
}

// An end signal while runs are unsaved: the program ends at once without a question, writes the
// settings and keeps the runs in a measurement file; the next start says where.
TEST_F(MainWindowTest, ASignalKeepsUnsavedRunsInAFileWithoutAQuestionAndTheNextStartSaysWhere)
{
    showWindows = true; // the frame on the screen, as a close would meet it
    start();
    app().Settings.BallBarType = 0; // a Qc10 that is not there
    app().Settings.CommPort = path("no-such-port");
    CmdNewMeasurement();
    QWidget* dialog = windows().loaded(WindowId::NewCase);
    ASSERT_TRUE(dialog);
    for (const auto& [name, text] : {std::pair{"cmbMachine", "Mill 7"}, {"cmbSession", "Week 12"}, {"txtMeasBy", "Ann"},
                                     {"cboBBLen", "150"}, {"txtRadius", "150"}})
        test::TypeInto(*dialog->findChild<QWidget*>(name), QString::fromLatin1(text));
    QTest::mouseClick(dialog->findChild<QPushButton*>("CmdOk"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 30000)); // no gauge
    prompts.messages.clear();
    // Two static runs as a capture leaves them.
    test::FillTwoWayCircle(app().OpenCase);
    for (const auto& [slot, text] : {std::pair{HdrStatDyn, "S"}, {HdrMaxTargets, "8"}, {HdrFeedrate, "1000"}})
        app().OpenCase.Header[slot] = QString::fromLatin1(text);
    const Case runs = app().OpenCase;
    // The data folder is a folder of examples the program cannot write: never where runs go.
    ASSERT_TRUE(QDir(appPath).mkdir("examples"));
    QFile::setPermissions(path("examples"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    app().Settings.DataPath = path("examples");
    {
        OrderlyEnd end(*qGuiApp, *main);
        QTimer::singleShot(0, [] {
            ::raise(SIGTERM);
            ::raise(SIGTERM); // a second end before the first is carried out keeps nothing more
        });
        QTimer::singleShot(20000, main.get(), [] { QCoreApplication::exit(2); }); // a watchdog
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(end.exec(), 0);
        EXPECT_LT(clock.elapsed(), 5000);
    }
    EXPECT_TRUE(prompts.questions.isEmpty()) << prompts.questions.join(u'|').toStdString();
    EXPECT_EQ(stored("Default", "Measured By"), "Ann");
    const QString kept = stored("Others", "Unsaved Measurement");
    EXPECT_TRUE(kept.startsWith(QDir(appPath).filePath("Unsaved measurement "))) << kept.toStdString();
    test::ExpectSameCase(test::ReadBack(kept, files::ReaderKind::Brv, app().Settings), runs);
    EXPECT_EQ(QDir(appPath).entryList({"Unsaved measurement*"}).size(), 1);
    QFile::setPermissions(path("examples"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(QDir(path("examples")).isEmpty());

    const QString text = messageOfNextStart();
    EXPECT_TRUE(text.endsWith(QDir::toNativeSeparators(kept))) << text.toStdString();
    EXPECT_EQ(stored("Others", "Unsaved Measurement"), "<missing>"); // told: its keys go
    EXPECT_EQ(stored("Others", "Unsaved Measurement Lost"), "<missing>");
}

// A signal where the program folder cannot be written (read-only, which holds for root too): the
// runs go to the per-user data folder and the note for the next start beside them; where neither
// folder can take them, the note goes to the temporary folder. Each next start says it once.
TEST_F(MainWindowTest, RunsKeptAtAnEndGoWhereTheProgramCanWriteElseTheNextStartSaysTheyAreLost)
{
    startWithUnsavedRuns();
    // A path through a file: no folder there, which not even root can write into.
    writeFile("file", "x");
    const QByteArray previousUserData = qgetenv("XDG_DATA_HOME"), previousTemporary = qgetenv("TMPDIR");
    QTemporaryDir userData, temporary;
    qputenv("XDG_DATA_HOME", userData.path().toUtf8());
    qputenv("TMPDIR", temporary.path().toUtf8());
    using P = QFileDevice;
    const auto programFolderWritable = [this](bool writable) {
        QFile::setPermissions(appPath, P::ReadOwner | P::ExeOwner | (writable ? P::WriteOwner : P::Permissions()));
    };
    const auto endBySignal = [this] {
        OrderlyEnd end(*qGuiApp, *main);
        QTimer::singleShot(0, [] { ::raise(SIGTERM); });
        QTimer::singleShot(20000, main.get(), [] { QCoreApplication::exit(2); }); // a watchdog
        EXPECT_EQ(end.exec(), 0);
    };
    programFolderWritable(false);
    endBySignal();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(QDir(appPath).entryList({"*nsaved*"}).isEmpty());
    const QDir userFolder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    const QStringList kept = userFolder.entryList({"Unsaved measurement *.brv"});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(messageOfNextStart().endsWith(QDir::toNativeSeparators(userFolder.filePath(kept[0]))));
    prompts.messages.clear();
    TellOfKeptRuns(); // told once
    EXPECT_TRUE(prompts.messages.empty());

    loadCircle();
    app().State.CaptureUnsaved = true;
    qputenv("XDG_DATA_HOME", path("file").toUtf8());
    endBySignal();
    EXPECT_EQ(QDir(temporary.path()).entryList({"*nsaved*"}).size(), 1);
    const QString text = messageOfNextStart();
    EXPECT_TRUE(text.contains("Its runs are lost") && text.contains(path("file"))) << text.toStdString();
    EXPECT_TRUE(QDir(temporary.path()).isEmpty());
    programFolderWritable(true);
    qputenv("XDG_DATA_HOME", previousUserData);
    qputenv("TMPDIR", previousTemporary);
}

// The session manager asks for the data at every checkpoint too: that keeps nothing, asks nothing
// and ends nothing; the session's own end (its quit, twice here) keeps the runs once.
TEST_F(MainWindowTest, ACheckpointOfTheSessionKeepsNothingAndAsksNothing)
{
    startWithUnsavedRuns();
    auto* session = qApp->findChild<QSessionManager*>();
    ASSERT_TRUE(session);
    {
        OrderlyEnd end(*qGuiApp, *main);
        Q_EMIT qApp->commitDataRequest(*session);
        Q_EMIT qApp->saveStateRequest(*session);
        QCoreApplication::processEvents();
        EXPECT_TRUE(prompts.questions.isEmpty() && prompts.messages.empty());
        EXPECT_EQ(stored("Others", "Unsaved Measurement"), "<missing>");
        // The program goes on as before: leaving it still asks.
        EXPECT_FALSE(ConfirmLeaving());
        EXPECT_EQ(prompts.questions.size(), 1);

        QTimer::singleShot(0, [] {
            for (int k = 0; k < 2; ++k) {
                QEvent quit(QEvent::Quit);
                QCoreApplication::sendEvent(qApp, &quit);
            }
        });
        QTimer::singleShot(20000, main.get(), [] { QCoreApplication::exit(2); }); // a watchdog
        EXPECT_EQ(end.exec(), 0);
    }
    EXPECT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(QDir(appPath).entryList({"Unsaved measurement*"}).size(), 1);
    EXPECT_NE(stored("Others", "Unsaved Measurement"), "");
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
    EXPECT_TRUE(main->isMenuChecked(CommandId::Inches));
    EXPECT_EQ(CosTab(0), 1.0f);
    EXPECT_TRUE(main->action("MRecent(0)")->isVisible());
    EXPECT_EQ(main->action("MRecent(0)")->text(), "&1 /data/a.rtb");
}

// One fault, one message: a damaged case database is told by its opening, not again by its
// upgrade; a program folder that is a file is told once by name, and the program runs on its
// defaults without reading or writing anything there, at the start and at the end.
TEST_F(MainWindowTest, AFaultOfTheProgramFolderOrItsCaseDatabaseIsToldOnce)
{
    writeFile("Sarvotex.db", QByteArray(4096, 'x'));
    start();
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(reportsAt("openDB "), 1);
    main->shutdown();

    const QString file = writeFile("not a folder", "x");
    qputenv("SARVOTEX_HOME", file.toUtf8());
    prompts.messages.clear();
    restart();
    ASSERT_EQ(prompts.messages.size(), 1u);
    const QString text = prompts.messages[0].text;
    EXPECT_TRUE(text.contains("The program folder is not a folder: " + QDir::toNativeSeparators(file))) << text.toStdString();
    EXPECT_TRUE(text.endsWith("\r\nStarting."));
    EXPECT_TRUE(app().State.MainDb.isEmpty());
    EXPECT_TRUE(app().State.LangDb.isEmpty());
    EXPECT_EQ(app().Settings.MaxPoints, 2500);
    app().Settings.MeasuredBy = "Ann"; // a change the end would write
    main->shutdown();
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(readFile("not a folder"), "x");
}

// A plain start with nothing to tell adds nothing to the settings file, and an end that changes
// no setting writes nothing: the file keeps every byte, foreign lines and spacing included. A
// note once told takes its keys with it.
TEST_F(MainWindowTest, APlainStartAndItsEndLeaveTheSettingsFileByteForByte)
{
    start();
    main->shutdown();
    const QByteArray bytes = readFile("Sarvotex.ini").replace("Extension=rtb", "Extension = rtb") + "\n[Elsewhere]\n; kept\nx=1\n";
    ASSERT_TRUE(bytes.contains("Extension = rtb"));
    writeFile("Sarvotex.ini", bytes);
    restart();
    TellOfKeptRuns();
    QCoreApplication::processEvents();
    EXPECT_EQ(readFile("Sarvotex.ini"), bytes);
    main->shutdown();
    EXPECT_EQ(readFile("Sarvotex.ini"), bytes);
    EXPECT_TRUE(prompts.messages.empty());

    writeFile("Sarvotex.ini", QByteArray(bytes).replace("[Others]\n", "[Others]\nUnsaved Measurement=/runs/kept.brv\n"));
    restart();
    TellOfKeptRuns();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.endsWith(QDir::toNativeSeparators("/runs/kept.brv")));
    EXPECT_EQ(readFile("Sarvotex.ini"), bytes);
}

// Root may write anywhere; a program folder the user made read-only (555) stays as it is all the
// same: no shipped file copied in, no language database made there, none written or journalled.
TEST_F(MainWindowTest, NothingIsWrittenIntoAReadOnlyProgramFolderAlsoByRoot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root could write into a read-only folder";
    QFile logo(programFolder.filePath("logo.wmf")); // shipped beside the program
    ASSERT_TRUE(logo.open(QIODevice::WriteOnly) && logo.write("a logo of our own") > 0);
    logo.close();
    start();
    main->shutdown();
    ASSERT_TRUE(QFile::remove(path("logo.wmf")));
    const auto contents = [this] {
        QStringList entries;
        for (const QString& name : QDir(appPath).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            entries << name + ": " + QString::fromLatin1(readFile(name).toHex());
        return entries;
    };
    using P = QFileDevice;
    const P::Permissions readOnly = P::ReadOwner | P::ExeOwner | P::ReadGroup | P::ExeGroup | P::ReadOther | P::ExeOther;
    for (const bool withTexts : {true, false}) {
        SCOPED_TRACE(withTexts ? "Lang.db there" : "Lang.db missing");
        if (!withTexts)
            ASSERT_TRUE(QFile::remove(path("Lang.db")));
        ASSERT_TRUE(QFile::setPermissions(appPath, readOnly));
        const QStringList before = contents();
        prompts.messages.clear();
        restart();
        EXPECT_EQ(app().State.LangDbReadOnly, withTexts);
        Translate(QStringLiteral("A text no language database holds yet"));
        main->shutdown();
        EXPECT_EQ(contents(), before);
        EXPECT_EQ(prompts.messages.size(), withTexts ? 0u : 1u); // the texts that cannot be made
        ASSERT_TRUE(QFile::setPermissions(appPath, readOnly | P::WriteOwner));
    }
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

TEST_F(MainWindowTest, CommandsWhoseWindowIsNotBuiltAreDisabledAndNewMeasurementLocksNothing)
{
    start();
    for (const char* item : {"MSave", "MPrint", "MGraph", "MResult", "MSimuGraph", "MSimuShow"})
        EXPECT_FALSE(enabled(item)) << item;
    for (const char* button : {"button:SaveDb", "button:Print"})
        EXPECT_FALSE(main->action(button)->isEnabled()) << button;
    // Built windows that need no open case: a new measurement, opening from a file or the
    // database, batch saving, the trend, language, configuration.
    for (const char* item : {"MNew", "MOpen", "MOpenDB", "MBatch", "MHistory", "MLanguage", "MConfigure"})
        EXPECT_TRUE(enabled(item)) << item;
    for (const char* button : {"button:New", "button:OpenFile", "button:OpenDb", "button:Trend"})
        EXPECT_TRUE(main->action(button)->isEnabled()) << button;

    // Without its window the command is off, and even when reached it leaves every other
    // command as it was.
    windows().reset();
    UpdateCaseCommands();
    EXPECT_FALSE(enabled("MNew"));
    EXPECT_FALSE(main->action("button:New")->isEnabled());
    app().Settings.RecentFile[0] = "/data/a.rtb";
    ShowRecentFiles(app().Settings);
    CmdNewMeasurement();
    EXPECT_TRUE(enabled("MRecent(0)"));
    EXPECT_FALSE(app().State.NewMeasurementOpen);

    // A window that arrives switches its command on.
    windows().registerWindow(WindowId::NewCase, [](QWidget*) { return new QWidget; }, true);
    UpdateCaseCommands();
    EXPECT_TRUE(enabled("MNew"));
    EXPECT_TRUE(main->action("button:New")->isEnabled());
}

TEST_F(MainWindowTest, NewMeasurementLeadsFromTheDialogToTheMeasurementWindowAndBack)
{
    start();
    app().Settings.CommPort = path("no-gauge"); // nothing answers there
    CmdNewMeasurement();
    auto* dialog = dynamic_cast<gauge::frmBasic*>(windows().loaded(WindowId::NewCase));
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(enabled("MOpen"));
    gauge::CaseInfoTexts texts = dialog->texts();
    texts.machine = "Mill 3";
    texts.session = "Acceptance";
    texts.length = texts.radius = "150";
    dialog->setTexts(texts);
    dialog->okClicked();

    QPointer<QWidget> measure = windows().loaded(WindowId::Measure);
    ASSERT_TRUE(measure);
    EXPECT_TRUE(app().State.MeasureShown);
    EXPECT_EQ(measure->windowTitle(), "Mill 3");
    // The gauge's opening fails once.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 10000));
    prompts.messages.clear();
    EXPECT_FALSE(enabled("MOpen"));

    // Closed without runs: the program's commands come back and the open case is as it was.
    measure->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return measure.isNull(); }, 15000));
    EXPECT_FALSE(app().State.NewMeasurementOpen);
    EXPECT_TRUE(enabled("MOpen"));
    EXPECT_TRUE(enabled("MNew"));
    EXPECT_FALSE(app().State.CaseOpen);
}

TEST_F(MainWindowTest, CaseCommandsAfterAGoodAndAFailedRead)
{
    start();
    registerStandIns();
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

    // A fit enables saving, printing and the model graphs; a failed read leaves the open case,
    // its windows and every command as they were.
    app().OpenCase.Results.ResultsValid = true;
    UpdateCaseCommands();
    windows().show(WindowId::Graph);
    RunAfterFileRead(false, "/data/broken.rtb");
    for (const char* item : {"MResult", "MSave", "MSaveToFile", "MPrint", "MGraph", "MSimuGraph", "MSimuShow"})
        EXPECT_TRUE(enabled(item)) << item;
    for (const char* button : {"button:Graph", "button:Result", "button:SaveDb", "button:Print"})
        EXPECT_TRUE(main->action(button)->isEnabled()) << button;
    EXPECT_TRUE(windows().isLoaded(WindowId::Graph));
    EXPECT_EQ(app().Settings.RecentFile[0], "/data/circle.rtb");

    // The next good read starts the new case without the old one's results and windows.
    RunAfterFileRead(true, "/data/circle 2.rtb");
    EXPECT_FALSE(windows().isLoaded(WindowId::Graph));
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
    EXPECT_TRUE(main->isMenuChecked(MaxPointsCommand(1)));
    EXPECT_FALSE(main->isMenuChecked(MaxPointsCommand(4)));
    main->action("MToolbar")->trigger();
    EXPECT_TRUE(main->toolBar()->isHidden());
    restart();
    EXPECT_EQ(app().Settings.MaxPoints, 1000);
    EXPECT_TRUE(main->isMenuChecked(MaxPointsCommand(1)));
    EXPECT_TRUE(main->toolBar()->isHidden());
    EXPECT_FALSE(main->isMenuChecked(CommandId::Toolbar));
}

TEST_F(MainWindowTest, UnitsMenuSwitchesTheDisplay)
{
    start();
    main->action("MInches")->trigger();
    EXPECT_TRUE(app().Settings.UnitsInch);
    EXPECT_TRUE(main->isMenuChecked(CommandId::Inches));
    EXPECT_FALSE(main->isMenuChecked(CommandId::Metric));
    main->action("MMetric")->trigger();
    EXPECT_EQ(app().Units.SmallFactor, 1.0);
}

TEST_F(MainWindowTest, SaveToFileLeavesTheReadingsBitIdentical)
{
    start();
    loadCircle();
    app().Settings.Calibration = {};
    app().OpenCase.Data.GaugeTemp[1] = 23.5; // a compensation the analysis applies
    // As a read leaves it: the readings as read kept beside the ones the analysis changes.
    app().OpenCase.Data.ReadingsAsRead = std::make_shared<const ReadingsTable>(app().OpenCase.Data.Readings);
    const double asRead = app().OpenCase.Data.Readings(1, 5);
    RunAfterFileRead(true, "/data/circle.rtb");
    const ReadingsTable before = app().OpenCase.Data.Readings;

    // Cancelled.
    CmdSaveToFile();
    EXPECT_TRUE(app().OpenCase.Data.Readings == before);
    EXPECT_TRUE(savedFiles.isEmpty());

    // Written as text: .rtb contents under a .txt name; the writer saw the readings as read, not
    // the analysed ones, and the open case is unchanged afterwards.
    prompts.fileAnswers = {path("out")};
    prompts.filterAnswers = {2};
    CmdSaveToFile();
    EXPECT_EQ(savedFiles, QStringList({path("out.txt")}));
    EXPECT_EQ(savedReadings, asRead);
    EXPECT_NE(savedReadings, before(1, 5));
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

TEST_F(MainWindowTest, NewMeasurementDisablesTheCaseAndOpenCommandsUntilItsWindowsClose)
{
    openFittedCaseWithRecentEntry();
    CmdNewMeasurement();
    EXPECT_FALSE(app().OpenCase.Results.ResultsValid);
    for (const char* item : {"MResult", "MSave", "MNew", "MOpen", "MOpenDB", "MBatch", "MConfigure", "MRecent(0)"})
        EXPECT_FALSE(enabled(item)) << item;
    EXPECT_FALSE(main->action("button:OpenFile")->isEnabled());
    EXPECT_TRUE(windows().isLoaded(WindowId::NewCase));
    ShowRecentFiles(app().Settings); // the list changing does not switch its entries on
    EXPECT_FALSE(enabled("MRecent(0)"));

    app().State.NewMeasurementOpen = false; // as the measurement windows do when they close
    UpdateCaseCommands();
    for (const char* item : {"MNew", "MOpen", "MOpenDB", "MRecent(0)", "MResult"})
        EXPECT_TRUE(enabled(item)) << item;
}

TEST_F(MainWindowTest, ARunningBatchBlocksWhatWouldChangeTheCaseOrTheDatabase)
{
    openFittedCaseWithRecentEntry();
    const char* blocked[] = {"MSave", "MNew", "MOpen", "MOpenDB", "MBatch", "MRecent(0)"};
    SetBatchRunning(true);
    for (const char* item : blocked)
        EXPECT_FALSE(enabled(item)) << item;
    EXPECT_FALSE(main->action("button:SaveDb")->isEnabled());
    // Looking at the open case stays possible: the batch works on copies.
    for (const char* item : {"MResult", "MGraph", "MPrint"})
        EXPECT_TRUE(enabled(item)) << item;
    SetBatchRunning(false);
    for (const char* item : blocked)
        EXPECT_TRUE(enabled(item)) << item;
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
    windows().registerWindow(WindowId::Graph, [](QWidget*) { return new QWidget; }, true);
    windows().registerWindow(WindowId::Results, [](QWidget*) { return new QWidget; }, true);
    windows().show(WindowId::Results);
    windows().show(WindowId::Graph);
    CmdArrange(*main);
    QWidget* graph = windows().loaded(WindowId::Graph)->parentWidget();
    const QSize area = main->mdiArea()->viewport()->size();
    EXPECT_EQ(graph->geometry(), QRect(area.width() / 2, 0, area.width() / 2, area.height()));
    windows().unload(WindowId::Graph);
    windows().unload(WindowId::Results);
    EXPECT_FALSE(windows().isLoaded(WindowId::Graph));
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

namespace {
// The captions of the Yes and No buttons ("Yes/No") of a question asked through the program's Qt
// prompts, read while the question is up; the question is then answered No. A watchdog rejects a question
// left open, so a broken question fails the test instead of hanging it.
std::string yesNoCaptions(QWidget* parent)
{
    QStringList captions;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        for (QMessageBox::StandardButton which : {QMessageBox::Yes, QMessageBox::No}) {
            if (QAbstractButton* button = box->button(which))
                captions << button->text().remove('&');
        }
        box->reject();
    });
    poll.start();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "question left open";
            dialog->reject();
        }
    });
    watchdog.start(8000);
    QtPrompts qtPrompts(parent);
    EXPECT_FALSE(qtPrompts.askYesNo("Sarvotex", "Go on?"));
    return captions.join('/').toStdString();
}
} // namespace

TEST_F(MainWindowTest, AGermanStartTranslatesQtsOwnButtonsAndALanguageChangeReplacesThem)
{
    writeFile("Sarvotex.ini", "[Universal]\nLanguage=German\n");
    start();
    EXPECT_EQ(yesNoCaptions(main.get()), "Ja/Nein");

    // The language window's call: the German texts go, whatever the new language.
    InstallQtTranslations("English"); // English is Qt's own: its catalogue may hold nothing to load
    EXPECT_EQ(yesNoCaptions(main.get()), "Yes/No");
    EXPECT_TRUE(InstallQtTranslations("german"));
    EXPECT_EQ(yesNoCaptions(main.get()), "Ja/Nein");
    EXPECT_FALSE(InstallQtTranslations("Klingon"));
    EXPECT_EQ(yesNoCaptions(main.get()), "Yes/No");
}

TEST_F(MainWindowTest, WithoutQtsCatalogueQtsOwnTextsStayEnglish)
{
    EXPECT_EQ(QtLocaleName("German"), "de");
    EXPECT_EQ(QtLocaleName("JAPANESE"), "ja");
    EXPECT_EQ(QtLocaleName("Germanic"), "");
    EXPECT_EQ(QtLocaleName(""), "");

    QTemporaryDir emptyFolder;
    ASSERT_TRUE(InstallQtTranslations("German"));
    EXPECT_FALSE(InstallQtTranslations("German", emptyFolder.path()));
    QMainWindow parent;
    EXPECT_EQ(yesNoCaptions(&parent), "Yes/No");
}

TEST_F(MainWindowTest, TheFirstStartFillsTheScreenAndAStoredPlaceIsBroughtOntoIt)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    showWindows = true;
    start();
    QCoreApplication::processEvents();
    EXPECT_TRUE(main->isMaximized());
    EXPECT_EQ(main->frameGeometry(), available);
    // Where no window manager maximises it (and so adds no frame), its normal place fills the area.
    main->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(main->frameGeometry().topLeft(), available.topLeft());
    EXPECT_EQ(main->size(), available.size());
    main->shutdown();
    main.reset();

    // A place stored on a larger screen: reaching past this one, and taller than it.
    ResetAppContext();
    writeFile("Sarvotex.ini", QString("[Places]\nSarvotrenk Analysis top=%1\nSarvotrenk Analysis left=%2\n"
                                      "Sarvotrenk Analysis height=%3\nSarvotrenk Analysis width=600\n")
                                  .arg(available.y() - 40)
                                  .arg(available.right() - 300)
                                  .arg(available.height() + 500)
                                  .toUtf8());
    start();
    QCoreApplication::processEvents();
    EXPECT_FALSE(main->isMaximized());
    const QRect frame = main->frameGeometry();
    EXPECT_TRUE(available.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                           << frame.height();
    EXPECT_EQ(frame.right(), available.right());
    EXPECT_EQ(frame.top(), available.top());
    EXPECT_EQ(frame.height(), available.height());
    EXPECT_EQ(main->width(), 600);
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

    // The results window names the context of the error types it shows.
    struct Results : QWidget, HelpContextSource {
        int helpContext() const override { return 1001; }
    };
    windows().registerWindow(WindowId::Results, [](QWidget*) { return new Results; }, true);
    windows().ensureLoaded(WindowId::Results);
    app().State.ResultShown = true;
    main->action("MInfo")->trigger();
    windows().unload(WindowId::Results);
    main->shutdown();
    setHelpSystem(nullptr);

    EXPECT_EQ(recorder.calls, QStringList({folder + "EngAna.hlp#0", "howto", folder + "EngErr.hlp#0",
                                           folder + "EngErr.hlp#1001", "quit " + folder + "EngAna.hlp",
                                           "quit " + folder + "EngErr.hlp"}));
}

// F1 and the error-types help in a German session show the German pages the program ships.
TEST_F(MainWindowTest, HelpOpensInTheLanguageOfTheSession)
{
    writeFile("Sarvotex.ini", "[Universal]\nLanguage=German\n");
    start();
    HtmlHelpSystem html(main.get());
    setHelpSystem(&html);
    const auto shows = [&html](const char* page, const char* text) {
        ASSERT_NE(html.window(), nullptr);
        EXPECT_EQ(html.window()->browser()->source().fileName(), page);
        EXPECT_TRUE(html.window()->browser()->toPlainText().contains(QString::fromUtf8(text))) << page;
    };

    QTest::keyClick(main.get(), Qt::Key_F1);
    shows("GerAna.html", "Einen Fall öffnen");
    main->action("MInfo")->trigger();
    shows("GerErr.html", "Servo-Fehlanpassung");
    setHelpSystem(nullptr);
}

namespace {
// The captions sharing an access key within one menu (or the bar), each submenu checked too.
QStringList ClashingAccessKeys(const QList<QAction*>& actions)
{
    QStringList clashes;
    QMap<QKeySequence, QString> byKey;
    for (const QAction* a : actions) {
        const QKeySequence key = QKeySequence::mnemonic(a->text());
        if (!key.isEmpty() && byKey.contains(key))
            clashes << byKey[key] + " / " + a->text();
        byKey[key] = a->text();
        if (a->menu())
            clashes << ClashingAccessKeys(a->menu()->actions());
    }
    return clashes;
}
} // namespace

TEST_F(MainWindowTest, EachMenuHasDistinctAccessKeysInEveryShippedLanguage)
{
    start();
    for (const char* language : {"English", "German"}) {
        SwitchLanguage(*main, language);
        EXPECT_EQ(ClashingAccessKeys(main->menuBar()->actions()), QStringList()) << language;
    }
    EXPECT_EQ(QKeySequence::mnemonic(main->action("MPrint")->text()), QKeySequence(Qt::ALT | Qt::Key_R));
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
    registerStandIns();
    loadCircle();
    RunAfterFileRead(true, "/data/circle.rtb");
    EXPECT_FALSE(app().OpenCase.Results.ResultsValid);
    main->action("MResult")->trigger();
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
    windows().registerWindow(WindowId::Measure, [](QWidget*) { return new Unsaved; }, false);
    windows().show(WindowId::Measure);
    EXPECT_FALSE(windows().unload(WindowId::Measure));
    EXPECT_TRUE(windows().isLoaded(WindowId::Measure));
    delete windows().loaded(WindowId::Measure);
    EXPECT_FALSE(windows().isLoaded(WindowId::Measure));
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

namespace {
// Every caption, title and tool tip of the frame and its open windows; run-time entries left out.
QStringList ShownCaptions(const QWidget& main)
{
    QStringList captions{main.windowTitle()};
    for (const QObject* o : main.findChildren<QObject*>()) {
        if (o->property("noTranslate").toBool() || (o->parent() && o->parent()->objectName() == "MWindow"))
            continue;
        for (const char* name : {"text", "title", "toolTip", "windowTitle"}) {
            if (const QVariant v = o->property(name); v.typeId() == QMetaType::QString)
                captions << o->objectName() + "." + name + "=" + v.toString();
        }
    }
    return captions;
}

// The texts the program met that the shipped database did not hold: added without German.
std::string RowsWithoutGerman()
{
    QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
    q.exec("SELECT Form || ': ' || English FROM Languages WHERE German IS NULL");
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString();
    return rows.join(" | ").toStdString();
}
} // namespace

TEST_F(MainWindowTest, OpenWindowsSwitchLanguageAsFreshOnesShowItAndNoStartAddsATranslatedKey)
{
    services() = ProgramServices(); // the program's own windows
    showWindows = true;
    const auto openCaseWindows = [this] {
        loadCircle();
        RunAfterFileRead(true, "/data/circle.rtb");
        for (const char* item : {"MResult", "MGraph", "MSimuGraph"})
            main->action(item)->trigger();
        return ShownCaptions(*main).join('\n').toStdString();
    };
    writeFile("Sarvotex.ini", "[Universal]\nLanguage=German\n");
    start();
    const std::string german = openCaseWindows();
    ASSERT_GE(windows().loadedWindows().size(), 3);
    EXPECT_EQ(RowsWithoutGerman(), "");
    EXPECT_EQ(main->toolBar()->windowTitle(), "Werkzeugleiste");

    SwitchLanguage(*main, "English");
    const std::string english = ShownCaptions(*main).join('\n').toStdString();
    EXPECT_EQ(app().State.AppTitle, "Sarvotrenk Analysis");
    EXPECT_EQ(yesNoCaptions(main.get()), "Yes/No");
    restart(); // in English now, adding nothing either: Qt's own action tool tips are no texts
    EXPECT_EQ(openCaseWindows(), english);
    SwitchLanguage(*main, "German");
    EXPECT_EQ(ShownCaptions(*main).join('\n').toStdString(), german);
    EXPECT_EQ(RowsWithoutGerman(), "");
}

// A maximised child window shows its title in the frame's; a language switch meanwhile gives the
// frame the program's own title in the new language, and only that title heads the messages. Open
// windows retranslate the texts they set themselves at run time (the batch grid's headers), and
// the results window opens wide enough for every German tab caption.
TEST_F(MainWindowTest, ASwitchWhileAChildIsMaximisedRetranslatesTheProgramsOwnTitle)
{
    services() = ProgramServices(); // the program's own windows
    showWindows = true;
    start();
    main->resize(1400, 1000);
    loadCircle();
    RunAfterFileRead(true, "/data/circle.rtb");
    main->action("MResult")->trigger(); // opened in English, switched with the rest
    main->action("MGraph")->trigger();
    QWidget* graph = windows().loaded(WindowId::Graph);
    ASSERT_NE(graph, nullptr);
    auto* frame = qobject_cast<QMdiSubWindow*>(graph->parentWidget());
    ASSERT_NE(frame, nullptr);
    frame->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(main->windowTitle().contains(graph->windowTitle())) << main->windowTitle().toStdString();
    struct Grid : QWidget, TextsDisplay {
        void retranslateTexts() override { shown << Translate("Set the plane first, please."); }
        QStringList shown;
    };
    windows().registerWindow(WindowId::Batch, [](QWidget*) { return new Grid; }, false);
    auto* grid = dynamic_cast<Grid*>(windows().ensureLoaded(WindowId::Batch));
    ASSERT_NE(grid, nullptr);

    SwitchLanguage(*main, "German");
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->shown, QStringList{"Bitte zuerst die Ebene angeben."});
    windows().unload(WindowId::Batch);
    EXPECT_EQ(app().State.AppTitle, "Sarvotrenk Analyse");
    EXPECT_EQ(QtPrompts::titleOr({}), app().State.AppTitle); // the boxes without a title of their own
    EXPECT_TRUE(main->windowTitle().startsWith("Sarvotrenk Analyse") && !main->windowTitle().contains("Analysis"))
        << main->windowTitle().toStdString();
    main->action("MSave")->setEnabled(true);
    app().OpenCase.Header[HdrPlane].clear();
    main->action("MSave")->trigger(); // a message under the program's title
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages.front().title, "Sarvotrenk Analyse");
    frame->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(main->windowTitle(), "Sarvotrenk Analyse");

    // Switched open and opened fresh, the results window shows every German tab whole.
    for (const bool fresh : {false, true}) {
        SCOPED_TRACE(fresh ? "opened in German" : "switched to German");
        if (fresh)
            windows().unload(WindowId::Results);
        main->action("MResult")->trigger();
        QWidget* results = windows().loaded(WindowId::Results);
        ASSERT_NE(results, nullptr);
        QCoreApplication::processEvents();
        const QTabBar* bar = results->findChild<QTabBar*>();
        ASSERT_TRUE(bar && bar->count() == 14);
        EXPECT_EQ(bar->tabText(6), "Seitliches Spie&l");
        EXPECT_GE(bar->tabRect(0).left(), 0); // no scrolled tabs
        EXPECT_LE(bar->tabRect(13).right(), bar->width());
    }
}

TEST_F(MainWindowTest, TheToolbarsOwnMenuAndTheSettingsItemAreOneState)
{
    showWindows = true;
    start();
    QAction* own = main->toolBar()->toggleViewAction();
    EXPECT_EQ(own->text(), "Toolbar");
    own->trigger(); // hidden from the toolbar's context menu
    EXPECT_FALSE(main->toolbarVisible());
    EXPECT_FALSE(main->isMenuChecked(CommandId::Toolbar));
    main->action("MToolbar")->trigger();
    EXPECT_TRUE(main->toolbarVisible() && own->isChecked() && main->isMenuChecked(CommandId::Toolbar));
}

TEST_F(MainWindowTest, F1OpensTheHelpFromAnyWindowAtThatWindowsContext)
{
    RecordingHelp recorder;
    setHelpSystem(&recorder);
    start();
    QDialog dialog(main.get());
    dialog.setProperty("helpContext", 42);
    auto* child = new QWidget;
    main->mdiArea()->addSubWindow(child);
    for (auto [widget, modifiers] : {std::pair<QWidget*, Qt::KeyboardModifiers>{new QLineEdit(&dialog), Qt::NoModifier},
                                     {child, Qt::NoModifier}, {&dialog, Qt::ShiftModifier}}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_F1, modifiers);
        QApplication::sendEvent(widget, &key);
    }
    setHelpSystem(nullptr);
    const QString file = app().State.AppPath + "EngAna.hlp#";
    EXPECT_EQ(recorder.calls, QStringList({file + "42", file + "0"}));
}

// The language window in the started program: its options from the language database, the
// preview on its own texts, OK switching every open window, and Cancel, Esc and the close box
// leaving everything as it was.
class LanguageWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        services() = ProgramServices(); // the program's own windows
        start(); // English, over the shipped texts
        ASSERT_TRUE(languageDb().isOpen());
    }

    // Adds language columns to the program's language database and opens it again.
    void addLanguages(const QStringList& columnDefinitions)
    {
        for (const QString& column : columnDefinitions)
            execLanguageSql("ALTER TABLE Languages ADD COLUMN " + column + " TEXT");
        OpenLanguageDatabase(app().State.AppPath);
    }

    frmLang* loadWindow()
    {
        auto* window = qobject_cast<frmLang*>(windows().ensureLoaded(WindowId::Language));
        EXPECT_NE(window, nullptr);
        if (window)
            window->show();
        return window;
    }

    bool windowGone()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !windows().isLoaded(WindowId::Language);
    }

    QString openCaption() const { return main->action("MOpen")->text(); }
};

TEST_F(LanguageWindowTest, FourLanguagesGiveTwoRowsOfOptionsWithTheirIconsAndTheCurrentOneChosen)
{
    addLanguages({"Japanese", "\"Portuguese (Brazil)\""});
    // A language's icon is named after the first eight characters of its name.
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(app().State.AppPath + "German.ico", "ICO"));
    ASSERT_TRUE(picture.save(app().State.AppPath + "Portugue.ico", "ICO"));
    SetTextLanguage("German");

    frmLang* window = loadWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->optionCount(), 4);
    const QStringList names = {"English", "German", "Japanese", "Portuguese (Brazil)"};
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        const QRadioButton* o = window->option(n);
        EXPECT_EQ(o->isChecked(), n == 1);
        const bool hasIcon = n == 1 || n == 3;
        EXPECT_EQ(o->icon().isNull(), !hasIcon);
        // Without its picture an option shows its name.
        EXPECT_EQ(o->text(), hasIcon ? QString() : names[n]);
    }
    // Three in the first row, the fourth under the first.
    const auto place = [window](int n) { return window->option(n)->geometry(); };
    EXPECT_EQ(place(1).top(), place(0).top());
    EXPECT_EQ(place(2).top(), place(0).top());
    EXPECT_LT(place(1).right(), place(2).left());
    EXPECT_EQ(place(3).left(), place(0).left());
    EXPECT_GT(place(3).top(), std::max(place(0).bottom(), place(1).bottom()));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LanguageWindowTest, CancelEscAndTheCloseBoxLeaveTheLanguageAndEveryWindowAsTheyWere)
{
    const QString englishOpen = openCaption();
    const std::pair<const char*, std::function<void(frmLang&)>> ways[] = {
        {"Cancel", [](frmLang& w) { QTest::mouseClick(w.cancelButton(), Qt::LeftButton); }},
        {"Esc", [](frmLang& w) { QTest::keyClick(w.option(1), Qt::Key_Escape); }},
        {"close box", [](frmLang& w) { w.close(); }},
    };
    for (const auto& [name, leave] : ways) {
        SCOPED_TRACE(name);
        frmLang* window = loadWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(window->optionCount(), 2); // the shipped English and German
        EXPECT_TRUE(window->option(0)->isChecked());
        QTest::mouseClick(window->option(1), Qt::LeftButton);
        // The preview shows the window's own texts in German, and no other window's.
        EXPECT_EQ(window->windowTitle(), "Sprache");
        EXPECT_EQ(window->cancelButton()->text(), "&Abbrechen");
        EXPECT_EQ(openCaption(), englishOpen);
        leave(*window);
        EXPECT_TRUE(windowGone());
        EXPECT_EQ(TextLanguage(), "English");
        EXPECT_EQ(app().Settings.Language, "English");
        EXPECT_EQ(openCaption(), englishOpen);
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LanguageWindowTest, OkSwitchesEveryOpenWindowAndKeepsTheChoice)
{
    ASSERT_TRUE(main->action("MLanguage")->isEnabled());
    // An open window of its own, with a caption holding a quote and a language whose name is SQL.
    addLanguages({"\"Deutsch'; DROP TABLE Languages; --\""});
    const QString hostile = "Deutsch'; DROP TABLE Languages; --";
    execLanguageSql("UPDATE Languages SET \"" + hostile + "\" = German");
    execLanguageSql("INSERT INTO Languages (Form, English, \"" + hostile
                    + "\") VALUES ('Demo', 'Operator''s name', 'Name des Bedieners')");
    QWidget demo;
    demo.setProperty("tag", "Demo");
    auto* label = new QLabel("Operator's name", &demo);
    TranslateForm(demo);

    frmLang* window = loadWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->optionCount(), 3);
    EXPECT_EQ(window->option(2)->toolTip(), hostile);
    QTest::mouseClick(window->option(2), Qt::LeftButton);
    QTest::mouseClick(window->okButton(), Qt::LeftButton);
    EXPECT_TRUE(windowGone());
    EXPECT_EQ(label->text(), "Name des Bedieners");
    EXPECT_EQ(openCaption(), QString::fromUtf8("Fall aus &Datei öffnen..."));
    EXPECT_EQ(app().State.AppTitle, "Sarvotrenk Analyse");
    EXPECT_EQ(app().Settings.Language, hostile);
    EXPECT_EQ(TextLanguage(), hostile);
    EXPECT_EQ(languageDb().languages(), QStringList({"English", "German", hostile}));
    EXPECT_TRUE(prompts.messages.empty());
}

// The shipped texts in German for every window the program has: the frame, every window it
// registers (loaded after the switch, the case windows over an open case) and the common small
// windows. A text a window shows that the shipped database lacks is added without German and
// fails here.
TEST_F(LanguageWindowTest, EveryWindowOfTheProgramShowsGermanFromTheShippedTexts)
{
    ASSERT_EQ(RowsWithoutGerman(), "");
    SwitchLanguage(*main, "German");
    loadCircle();
    RunAfterFileRead(true, "/data/circle.rtb");
    for (const char* item : {"MResult", "MGraph", "MSimuGraph"})
        main->action(item)->trigger();
    int registered = 0;
    for (int id = 0; id <= int(WindowId::Measure); ++id) {
        if (!windows().isRegistered(WindowId(id)))
            continue;
        ++registered;
        EXPECT_TRUE(windows().show(WindowId(id))) << WindowName(WindowId(id)).toStdString();
    }
    // The start-up translates the splash once the texts are open.
    TranslateForm(*windows().loaded(WindowId::Splash));
    EXPECT_GE(registered, 9);
    InputFrm input(main.get(), main->windowTitle());
    WaitForm wait(main.get());
    HelpWindow help(main.get());
    MacList machines(mainCaseStore(), main.get());
    EXPECT_EQ(RowsWithoutGerman(), "");
    EXPECT_EQ(main->windowTitle(), "Sarvotrenk Analyse");
    // The directions read as everywhere else in the program ("UZS" is clockwise); the case
    // information's long caption leaves the free texts their width.
    const QWidget* measure = windows().loaded(WindowId::Measure);
    QStringList directions{Translate("CW")};
    for (const char* name : {"optCW", "optCCW", "optCWCCW"})
        directions << measure->findChild<QRadioButton*>(name)->text();
    EXPECT_EQ(directions, QStringList({"UZS", "UZS", "GUZS", "UZS + GUZS"}));
    const auto* customer = windows().loaded(WindowId::NewCase)->findChild<QLineEdit*>("txtCustomer");
    EXPECT_GE(customer->width(), customer->fontMetrics().horizontalAdvance("Werkzeugmaschinenbau Musterfir"));
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text.toStdString();
}

namespace {
// The window's keys clashing with one another or with those taken already: of its buttons and
// options, tabs, group titles and the captions that lead to a field, on pages not shown too.
std::string AccessKeyClashes(QWidget& window, QMap<QKeySequence, QString> taken)
{
    QStringList clashes;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->window() != window.window())
            continue; // a window of its own has its own keys
        auto* label = qobject_cast<QLabel*>(w);
        auto* tabs = qobject_cast<QTabBar*>(w);
        QStringList texts{qobject_cast<QGroupBox*>(w) ? w->property("title").toString() : QString()};
        if (qobject_cast<QAbstractButton*>(w) || (label && label->buddy()))
            texts << w->property("text").toString();
        for (int i = 0; tabs && i < tabs->count(); ++i)
            texts << tabs->tabText(i);
        for (const QString& text : texts) {
            const QKeySequence key = QKeySequence::mnemonic(text);
            if (!key.isEmpty() && taken.contains(key))
                clashes << text + " / " + taken[key];
            taken.insert(key, text);
        }
    }
    return clashes.join(", ").toStdString();
}
} // namespace

// A window inside the main window shares the frame's keys: a control's Alt+letter that is also a
// menu's takes the key from the menu. Within any window, a key given to two controls reaches each
// in turn, neither for sure.
TEST_F(LanguageWindowTest, NoWindowTakesAMenuLetterInsideTheMainWindowOrOneKeyTwiceAnywhere)
{
    loadCircle(); // every window can show
    RunAfterFileRead(true, "/data/circle.rtb");
    QList<WindowId> inside, outside;
    for (int id = 0; id <= int(WindowId::Measure); ++id) {
        if (windows().isRegistered(WindowId(id)))
            (windows().isMdiChild(WindowId(id)) ? inside : outside) << WindowId(id);
    }
    EXPECT_GE(inside.size(), 5); // the results, both graphs, the case information, the trend results
    for (const char* language : {"English", "German"}) {
        SwitchLanguage(*main, language);
        QMap<QKeySequence, QString> menus;
        for (const QAction* a : main->menuBar()->actions())
            menus.insert(QKeySequence::mnemonic(a->text()), a->text());
        for (WindowId id : inside) {
            ASSERT_TRUE(windows().show(id));
            EXPECT_EQ(AccessKeyClashes(*windows().loaded(id), menus), "") << language << " " << WindowName(id).toStdString();
        }
        // One at a time: opening some of them closes the others.
        for (WindowId id : outside) {
            ASSERT_TRUE(windows().show(id));
            EXPECT_EQ(AccessKeyClashes(*windows().loaded(id), {}), "") << language << " " << WindowName(id).toStdString();
            windows().unload(id);
        }
    }
}


TEST_F(MainWindowTest, TheTrendOpensItsOwnWindowAndItsQueryTheGraphInTheClientAreaAllInGerman)
{
    writeFile("Sarvotex.ini", "[Universal]\nLanguage=German\n");
    start();
    main->action("MHistory")->trigger();
    auto* trend = qobject_cast<TrendWindow*>(windows().loaded(WindowId::History));
    ASSERT_NE(trend, nullptr);
    EXPECT_TRUE(trend->isWindow());
    EXPECT_EQ(trend->windowTitle(), "Trendanalyse");
    trend->runQuery();
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text.toStdString();
    QWidget* graph = windows().loaded(WindowId::HistoryGraph);
    ASSERT_NE(graph, nullptr);
    EXPECT_NE(qobject_cast<QMdiSubWindow*>(graph->parentWidget()), nullptr);
    EXPECT_EQ(graph->windowTitle(), "Ergebnisse der Trendabfrage");
    EXPECT_EQ(RowsWithoutGerman(), "");
}
