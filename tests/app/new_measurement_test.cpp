// A new measurement as the program runs it, on the own-gauge simulator: it starts from nothing of
// the case open before it, and nothing of a case saved from the window reaches the next one (its
// readings as read, its measured feedrates, its results). An end signal while runs are unsaved
// keeps them in a measurement file without asking.

#include "analysis/analyse_case.h"
#include "app/after_load.h"
#include "app/app_context.h"
#include "app/file_commands.h"
#include "app/main_commands.h"
#include "app/main_window.h"
#include "app/measure_commands.h"
#include "app/program_db.h"
#include "app/startup.h"
#include "casedb/case_load.h"
#include "core/ini_file.h"
#include "core/progress.h"
#include "core/settings_file.h"
#include "files/dispatch.h"
#include "gauge/ui/capture_window.h"
#include "gauge/ui/measure_window.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"
#include "tests/gauge/simulator_process.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"
#include "tests/support/typing.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace sarvo {
namespace {

using gauge::Simulator;

constexpr int kWaitMs = 30000;

QWidget* TopLevel(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

template <class T = QWidget>
T* Control(QWidget& window, const char* name)
{
    T* c = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// The readings of a case's runs, to the precision a measurement file keeps.
void ExpectSameRuns(const Case& back, const Case& captured)
{
    ASSERT_EQ(back.Data.RunCount, captured.Data.RunCount);
    for (int r = 1; r <= captured.Data.RunCount; ++r) {
        const int targets = captured.Data.RunTargets[std::size_t(r)];
        ASSERT_EQ(back.Data.RunTargets[std::size_t(r)], targets) << r;
        for (int j = 0; j < targets; ++j)
            EXPECT_NEAR(back.Data.Readings(r, j), captured.Data.Readings(r, j), 0.5e-5) << r << "," << j;
    }
}

class NewMeasurement : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        // A circle of 90 degrees at 6000 mm/min on a 150 mm radius takes 2356 ms.
        sim.emplace(QStringList{"owngauge", "--mark-ms", "0", "--arc-ms", "300", "2356"});
        app().Settings = ReadSettings(appPath, iniFile).settings;
        Settings& s = app().Settings;
        s.TemperatureUnits = QStringLiteral("Celsius");
        s.BallBarLength = 150;
        s.DefaultTestRadius = 150;
        s.ScaleFactor = 1;
        s.StaticMeasurements = 1;
        // Calibrated 0.4 mm short: the simulator's circle at 0.4 mm is the expected reading.
        s.Calibration.CalibratorCount = 1;
        s.Calibration.NominalLength[0] = 150;
        s.Calibration.LengthOffset[0] = 0.4f;
        s.Calibration.LengthCalibrated[0] = -1;
        s.BallBarType = int16_t(gauge::GaugeType::OwnGauge);
        s.AutoDetect = false;
        s.CommPort = sim->path();
        ComputeUnits(app().Units, s, IniFile(iniFile));
        openDB();
        ASSERT_NE(mainCaseStore(), nullptr);
        InstallFileServices();
        services().afterFileRead = RunAfterFileRead;
        RegisterMeasureWindows();
        windows().setDialogParent(&main);
        main.show();
    }
    void TearDown() override
    {
        if (measure)
            delete measure.data();
        windows().reset();
        services() = ProgramServices{};
        closeDB();
        AppTest::TearDown();
    }

    // File > New measurement: the dialog typed and confirmed, the measurement window connected.
    void newMeasurement()
    {
        CmdNewMeasurement();
        QWidget* dialog = windows().loaded(WindowId::NewCase);
        ASSERT_TRUE(dialog && QTest::qWaitForWindowExposed(dialog));
        for (const auto& [name, text] : {std::pair{"cmbMachine", "Mill 7"}, std::pair{"cmbSession", "Week 12"},
                                         std::pair{"cboBBLen", "150"}, std::pair{"txtRadius", "150"}})
            test::TypeInto(*Control(*dialog, name), QString::fromLatin1(text));
        QTest::mouseClick(Control<QPushButton>(*dialog, "CmdOk"), Qt::LeftButton);
        measure = qobject_cast<gauge::frmMeasure*>(windows().loaded(WindowId::Measure));
        ASSERT_TRUE(measure);
        ASSERT_TRUE(QTest::qWaitFor([&] { return measure->deviceName()->text().startsWith("Brintovale"); }, kWaitMs));
    }

    void chooseTab(int index)
    {
        QTabBar* bar = Control<QTabWidget>(*measure, "tabType")->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        ASSERT_EQ(bar->currentIndex(), index);
    }

    // A static circle, every point latched with Enter once the gauge's reading shows; the save
    // window follows.
    void captureStatic()
    {
        chooseTab(1);
        QTest::keyClick(measure.data(), Qt::Key_F12);
        gauge::frmWait* wait = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (wait = measure->findChild<gauge::frmWait*>()) != nullptr; }, kWaitMs));
        auto waiting = std::make_shared<bool>(false);
        QObject::connect(&wait->session(), &gauge::CaptureSession::staticPointWaiting, wait, [waiting](int) { *waiting = true; });
        QObject::connect(&wait->session(), &gauge::CaptureSession::liveReading, wait, [wait, waiting](double) {
            if (std::exchange(*waiting, false))
                QTest::keyClick(wait, Qt::Key_Return);
        });
        ASSERT_TRUE(QTest::qWaitFor([] { return TopLevel("frmSave"); }, kWaitMs));
    }

    // A clockwise and counter-clockwise pair over 90 degrees; the save window follows.
    void captureDynamicPair()
    {
        // Typed as the user does, in the window in front.
        measure->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(measure.data()));
        chooseTab(0);
        for (const auto& [name, text] : {std::pair{"txtStartPos", "0"}, std::pair{"txtEndPos", "90"},
                                         std::pair{"txtAngularOvershoot", "0"}, std::pair{"txtFeedrate", "6000"}})
            test::TypeInto(*Control(*measure, name), QString::fromLatin1(text));
        auto* rates = Control<QComboBox>(*measure, "cboSamplingRate");
        rates->setFocus();
        QTest::keyClick(rates, Qt::Key_Home);
        ASSERT_EQ(rates->currentText(), "3393"); // 1440 a second
        QTest::keyClick(measure.data(), Qt::Key_F12);
        ASSERT_TRUE(QTest::qWaitFor([] { return TopLevel("frmSave"); }, 2 * kWaitMs));
        // The paced gauge may be told a feedrate off by more than 15 %: a warning, the run kept.
        for (const auto& m : prompts.messages)
            EXPECT_TRUE(m.text.contains("feedrate suspected")) << m.text.toStdString();
        prompts.messages.clear();
        ASSERT_EQ(app().OpenCase.Data.RunCount, 2);
    }

    // The save window's choice and OK; a file is named through the file dialog.
    void save(const QString& file = {})
    {
        QWidget* window = TopLevel("frmSave");
        ASSERT_TRUE(window);
        if (!file.isEmpty()) {
            auto* option = Control<QRadioButton>(*window, "optFile");
            QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
            ASSERT_TRUE(option->isChecked());
            prompts.fileAnswers = {file};
            prompts.filterAnswers = {1}; // Renishaw left chosen: the typed extension decides
        }
        QTest::mouseClick(Control<QPushButton>(*window, "CmdOk"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([] { return !TopLevel("frmSave"); }, kWaitMs));
        ASSERT_EQ(app().OpenCase.Data.RunCount, 0);
    }

    Case readBack(const QString& file)
    {
        Case back;
        files::ReadContext ctx = ProgramReadContext();
        ctx.resolveMachine = [](const QString& name) { return name; };
        const auto r = files::ReadInto(back, file, files::ReaderKind::Brv, ctx);
        EXPECT_TRUE(r.ok()) << r.message.toStdString();
        return back;
    }

    std::optional<Simulator> sim;
    QWidget main;
    QPointer<gauge::frmMeasure> measure;
};

TEST_F(NewMeasurement, AStaticRunAfterAnOpenedFileIsWrittenWithTheReadingsCaptured)
{
    const QString example = QStringLiteral(SARVOTEX_TEST_DATA "/../../data/examples/02_static_xy.rtb");
    ASSERT_TRUE(OpenProgramFile(example, ProgramReadContext()));
    ASSERT_TRUE(app().OpenCase.Data.ReadingsAsRead);
    const Case opened = app().OpenCase;

    newMeasurement();
    // Nothing of the file's case is left but what the dialog gave the new one.
    EXPECT_EQ(app().OpenCase.Data.ReadingsAsRead, nullptr);
    EXPECT_TRUE(app().OpenCase.Header[HdrFilename].isEmpty());
    EXPECT_FALSE(app().State.CaseOpen);

    captureStatic();
    const Case captured = app().OpenCase;
    EXPECT_EQ(captured.Data.RunCount, 2);
    EXPECT_NEAR(captured.Data.Readings(1, 3), 0.1, 0.003); // 0.5 mm on the gauge, 0.4 mm offset
    save(path("captured.brv"));
    const Case written = readBack(path("captured.brv"));
    ExpectSameRuns(written, captured);
    EXPECT_EQ(written.Header[HdrMachine], "Mill 7");
    EXPECT_NE(written.Data.Readings(1, 3), opened.Data.ReadingsAsRead->operator()(1, 3));

    // Not saved from the window but after closing it: the file holds the runs as captured, not
    // as the closing's analysis left them.
    captureStatic();
    const Case second = app().OpenCase;
    QTest::mouseClick(Control<QPushButton>(*TopLevel("frmSave"), "CmdCancel"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(*measure, "cmdClose"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return measure.isNull(); }, kWaitMs));
    ASSERT_TRUE(app().OpenCase.Results.ResultsValid);
    EXPECT_NE(app().OpenCase.Data.Readings(1, 3), second.Data.Readings(1, 3));
    EXPECT_TRUE(app().State.CaptureUnsaved);
    prompts.fileAnswers = {path("closed.brv")};
    prompts.filterAnswers = {0};
    CmdSaveToFile();
    ExpectSameRuns(readBack(path("closed.brv")), second);
    EXPECT_FALSE(app().State.CaptureUnsaved);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(NewMeasurement, AStaticCaseAfterASavedPairHasNoFeedrateAndNewRunsGetTheirOwnResults)
{
    newMeasurement();
    captureDynamicPair();
    EXPECT_GT(app().OpenCase.Data.MeasuredFeedrateAverage, 0);
    save();
    ASSERT_EQ(prompts.messages.size(), 0u);

    // A static case from the same window: no measured feedrate, in the database or in its file.
    const auto loadLast = [&](Case& loaded) {
        QSqlQuery q(mainCaseStore()->database());
        ASSERT_TRUE(q.exec("SELECT MAX(\"Meas_ID\") FROM \"Measure\"") && q.next());
        Settings settings;
        ASSERT_TRUE(casedb::LoadCase(*mainCaseStore(), q.value(0).toInt(), loaded, settings).ok);
    };
    Case pair;
    loadLast(pair);
    EXPECT_GT(pair.Data.MeasuredFeedrateAverage, 0);
    captureStatic();
    save();
    Case staticCase;
    loadLast(staticCase);
    EXPECT_FALSE(staticCase.Data.Dynamic);
    EXPECT_EQ(staticCase.Data.MeasuredFeedrateAverage, 0.0f);
    for (int r = 1; r <= kMaxRuns; ++r)
        EXPECT_EQ(staticCase.Data.RunFeedrate[std::size_t(r)], 0.0f) << r;
    captureStatic();
    save(path("static.brv"));
    const Case file = readBack(path("static.brv"));
    EXPECT_EQ(file.Data.MeasuredFeedrateAverage, 0.0f);
    EXPECT_FALSE(file.Data.FeedrateMeasured());

    // New runs, closed without saving: their own results, not those of the case saved before.
    captureDynamicPair();
    Case expected = app().OpenCase;
    QTest::mouseClick(Control<QPushButton>(*TopLevel("frmSave"), "CmdCancel"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(*measure, "cmdClose"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return measure.isNull(); }, kWaitMs));
    NoProgress none;
    ASSERT_TRUE(AnalyseCase(expected, app().Settings, {.measurement = true, .errorModel = true}, none).ok());
    const AnalysisResults& shown = app().OpenCase.Results;
    ASSERT_TRUE(shown.ResultsValid);
    EXPECT_DOUBLE_EQ(shown.LscResult.Circularity, expected.Results.LscResult.Circularity);
    EXPECT_DOUBLE_EQ(shown.MzcResult.Circularity, expected.Results.MzcResult.Circularity);
    EXPECT_NE(shown.LscResult.Circularity, 0.0);
    EXPECT_TRUE(app().OpenCase.Data.Dynamic);
    EXPECT_TRUE(prompts.messages.empty());
}

// The program's own start and end in the test's program folder, with its end signals watched.
class ProgramEndWithRuns : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        previousHome = qgetenv("SARVOTEX_HOME");
        qputenv("SARVOTEX_HOME", dir.path().toUtf8());
        options.programFolder = programFolder.path();
        options.showWindows = true; // the frame on the screen, as a close would meet it
    }
    void TearDown() override
    {
        qputenv("SARVOTEX_HOME", previousHome);
        AppTest::TearDown();
    }

    QByteArray previousHome;
    QTemporaryDir programFolder;
    StartOptions options;
};

TEST_F(ProgramEndWithRuns, ASignalKeepsTheRunsInAFileWithoutAQuestionAndTheNextStartSaysWhere)
{
    Case runs;
    {
        MainWindow main;
        OrderlyEnd end(*qobject_cast<QGuiApplication*>(QCoreApplication::instance()), main);
        StartApplication(main, options);
        // A measurement with two runs that nobody saved; the gauge is not there.
        app().Settings.BallBarType = int16_t(gauge::GaugeType::Qc10);
        app().Settings.CommPort = path(QStringLiteral("no-such-port"));
        CmdNewMeasurement();
        QWidget* dialog = windows().loaded(WindowId::NewCase);
        ASSERT_TRUE(dialog);
        for (const auto& [name, text] : {std::pair{"cmbMachine", "Mill 7"}, std::pair{"cmbSession", "Week 12"},
                                         std::pair{"txtMeasBy", "Ann"}, std::pair{"cboBBLen", "150"},
                                         std::pair{"txtRadius", "150"}})
            test::TypeInto(*Control(*dialog, name), QString::fromLatin1(text));
        QTest::mouseClick(Control<QPushButton>(*dialog, "CmdOk"), Qt::LeftButton);
        ASSERT_TRUE(windows().loaded(WindowId::Measure));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, kWaitMs)); // no gauge
        prompts.messages.clear();
        // As two static runs of eight points are captured.
        test::FillTwoWayCircle(app().OpenCase, false, 8);
        app().OpenCase.Header[HdrStatDyn] = QStringLiteral("S");
        runs = app().OpenCase;

        QTimer::singleShot(0, [] { ::raise(SIGTERM); });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(2); });
        watchdog.start(20000);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(end.exec(), 0);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_TRUE(prompts.questions.isEmpty()) << prompts.questions.join(u'|').toStdString();
    }
    // The settings were written at the end, and the runs are in a measurement file.
    const IniFile ini(iniFile);
    EXPECT_EQ(ini.get("Default", "Measured By", ""), "Ann");
    const QString kept = ini.get("Others", "Unsaved Measurement", "");
    ASSERT_TRUE(QFileInfo(kept).isFile()) << kept.toStdString();
    EXPECT_EQ(QFileInfo(kept).absolutePath(), QDir(appPath).absolutePath());
    EXPECT_TRUE(QFileInfo(kept).fileName().startsWith("Unsaved measurement ")) << kept.toStdString();
    Case back;
    files::ReadContext ctx = ProgramReadContext();
    ctx.resolveMachine = [](const QString& name) { return name; };
    const files::ReadResult read = files::ReadInto(back, kept, files::ReaderKind::Brv, ctx);
    ASSERT_TRUE(read.ok()) << read.message.toStdString();
    ExpectSameRuns(back, runs);
    EXPECT_EQ(back.Header[HdrMachine], "Mill 7");

    // The next start says once where they are.
    ResetAppContext();
    setPrompts(&prompts);
    {
        MainWindow main;
        StartApplication(main, options);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, kWaitMs));
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].title, app().State.AppTitle);
        EXPECT_TRUE(prompts.messages[0].text.endsWith(QDir::toNativeSeparators(kept))) << prompts.messages[0].text.toStdString();
        EXPECT_EQ(IniFile(iniFile).get("Others", "Unsaved Measurement", "<none>"), "");
        main.shutdown();
    }
}

} // namespace
} // namespace sarvo
