// A new measurement as a user types it: every box of the case-information dialog and of the
// measurement window keeps the text typed into it (no box completes it from its list), Enter in
// the last box runs OK, and the measurement window and what it opens stay above the main window.
// Captured on the own-gauge simulator, it starts from nothing of the case open before it, and
// nothing of a case saved from the window reaches the next one.

#include "analysis/analyse_case.h"
#include "app/after_load.h"
#include "app/app_context.h"
#include "app/case_save_command.h"
#include "app/file_commands.h"
#include "app/main_commands.h"
#include "app/measure_commands.h"
#include "app/program_db.h"
#include "core/ini_file.h"
#include "core/settings_file.h"
#include "core/utilities.h"
#include "gauge/ui/capture_window.h"
#include "gauge/ui/measure_window.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"
#include "tests/gauge/simulator_process.h"
#include "tests/gauge/static_operator.h"
#include "tests/support/file_round_trip.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"
#include "tests/support/typing.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace sarvo {
namespace {

constexpr int kWaitMs = 30000;

class TypedBoxes : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        app().Settings = ReadSettings(appPath, iniFile).settings;
        Settings& s = app().Settings;
        s.TemperatureUnits = QStringLiteral("Celsius");
        s.BallBarLength = 150;
        s.DefaultTestRadius = 150;
        s.Calibration.CalibratorCount = 2;
        s.Calibration.NominalLength[0] = 150;
        s.Calibration.NominalLength[1] = 300;
        // A gauge that is not there: the measurement window opens with one message.
        s.BallBarType = 0;
        s.CommPort = path(QStringLiteral("no-such-port"));
        ComputeUnits(app().Units, s, IniFile(iniFile));
        openDB();
        ASSERT_NE(mainCaseStore(), nullptr);
        // The lists of machines and sessions hold longer names beginning as the typed ones.
        test::FillTwoWayCircle(app().OpenCase);
        app().OpenCase.Header[HdrMachine] = QStringLiteral("MillA");
        ASSERT_EQ(SaveCaseToDb(QStringLiteral("Weekly 12")).outcome, casedb::SaveOutcome::Saved);
        app().OpenCase = Case{};

        RegisterMeasureWindows();
        windows().setDialogParent(&main);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    }
    void TearDown() override
    {
        windows().reset();
        services() = ProgramServices{};
        closeDB();
        AppTest::TearDown();
    }

    static bool active(QWidget* w)
    {
        if (!w || !QTest::qWaitForWindowExposed(w))
            return false;
        w->activateWindow();
        return QTest::qWaitForWindowActive(w);
    }
    template <class T>
    static T* control(QWidget& window, const char* name)
    {
        T* c = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QWidget main;
};

TEST_F(TypedBoxes, EveryBoxOfANewMeasurementKeepsWhatWasTypedAndTheWindowsStayInFront)
{
    // The length of the last measurement, against which the radius is checked as the focus passes.
    IniFile(iniFile).set(QStringLiteral("BasicInput"), QStringLiteral("BallbarLength"), QStringLiteral("300.000"));
    ASSERT_TRUE(windows().show(WindowId::NewCase));
    QWidget* dialog = windows().loaded(WindowId::NewCase);
    ASSERT_TRUE(active(dialog));

    // Each a beginning of an entry of its box's list: "MillA", "Weekly 12", "150.000", "10.0".
    const std::pair<const char*, const char*> typed[] = {
        {"txtCustomer", "Acme"}, {"cmbMachine", "Mill"}, {"cmbSession", "Week"},   {"txtDate", "2026-03-04"},
        {"txtTime", "9:30"},     {"txtMeasBy", "Ann"},   {"cboBBLen", "150"},      {"txtRadius", "140"},
    };
    for (const auto& [name, text] : typed)
        test::TypeInto(*control<QWidget>(*dialog, name), QString::fromLatin1(text));
    EXPECT_TRUE(prompts.messages.empty()); // the radius within the bar's length
    // The last box is left with Enter, which is OK.
    test::TypeInto(*control<QWidget>(*dialog, "cboMacExp"), QStringLiteral("1"), false);
    QTest::keyClick(control<QComboBox>(*dialog, "cboMacExp")->lineEdit(), Qt::Key_Return);

    EXPECT_FALSE(dialog->isVisible());
    const Case& c = app().OpenCase;
    EXPECT_EQ(QStringList({c.Header[HdrCustomer], c.Header[HdrMachine], c.Header[HdrName], c.Header[HdrBy]}),
              QStringList({"Acme", "Mill", "Week", "Ann"}));
    EXPECT_EQ(c.Data.TestDate, QDateTime(QDate(2026, 3, 4), QTime(9, 30), Qt::UTC));
    const Settings& s = app().Settings;
    EXPECT_FLOAT_EQ(s.DefaultTestRadius, 140);
    EXPECT_FLOAT_EQ(s.BallBarLength, 150);
    EXPECT_DOUBLE_EQ(s.MachineExpCoeff, 1.0);
    EXPECT_EQ(IniFile(iniFile).get(QStringLiteral("BasicInput"), QStringLiteral("BallbarLength"), {}), "150 mm");

    // OK opened the measurement window, which says once that the gauge is not there.
    QWidget* window = windows().loaded(WindowId::Measure);
    ASSERT_TRUE(window && QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 15000));
    EXPECT_EQ(prompts.messages.size(), 1u);
    prompts.messages.clear();

    // The window manager keeps it above the main window, and what it opens above it.
    EXPECT_EQ(window->windowHandle()->transientParent(), main.windowHandle());
    QTest::mouseClick(control<QPushButton>(*window, "cmdBasic"), Qt::LeftButton);
    QWidget* basic = windows().loaded(WindowId::NewCase);
    ASSERT_TRUE(basic && QTest::qWaitForWindowExposed(basic));
    EXPECT_EQ(basic->windowHandle()->transientParent(), window->windowHandle());
    basic->close();
    ASSERT_TRUE(active(window));

    // No box of the window completes what is typed; every text field keeps it.
    for (QComboBox* box : window->findChildren<QComboBox*>())
        EXPECT_TRUE(!box->isEditable() || !box->completer()) << box->objectName().toStdString();
    const std::pair<const char*, double> fields[] = {
        {"txtStartPos", 10},  {"txtEndPos", 370},   {"txtAngularOvershoot", 90}, {"txtFeedrate", 1250},
        {"txtCenter0", 3},    {"txtCenter1", -2},   {"txtCenter2", 12},        {"txtGaugeTemp", 21.5},
        {"txtMacTemp", 22.5}, // asked for: the machine's coefficient is not 0
    };
    for (const auto& [name, value] : fields) {
        auto* field = control<QLineEdit>(*window, name);
        ASSERT_TRUE(field && field->isEnabled()) << name;
        test::TypeInto(*field, QString::number(value));
    }
    for (const auto& [name, value] : fields)
        EXPECT_DOUBLE_EQ(StrToDbl(control<QLineEdit>(*window, name)->text()), value) << name;
}

class NewMeasurement : public TypedBoxes {
protected:
    void SetUp() override
    {
        TypedBoxes::SetUp();
        Settings& s = app().Settings;
        s.StaticMeasurements = 1;
        // Calibrated 0.4 mm short: the simulator's circle at 0.4 mm is the expected reading.
        s.Calibration.LengthOffset[0] = 0.4f;
        s.Calibration.LengthCalibrated[0] = -1;
        s.BallBarType = int16_t(gauge::GaugeType::OwnGauge);
        s.AutoDetect = false;
        s.CommPort = sim.path();
        InstallFileServices();
        services().afterFileRead = RunAfterFileRead;
    }

    static QWidget* saveWindow()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == u"frmSave" && w->isVisible())
                return w;
        return nullptr;
    }

    // File > New measurement, its dialog typed and OK: the measurement window on the gauge.
    void begin()
    {
        CmdNewMeasurement();
        QWidget* dialog = windows().loaded(WindowId::NewCase);
        ASSERT_TRUE(active(dialog));
        for (const auto& [name, text] :
             {std::pair{"cmbMachine", "Mill 7"}, {"cmbSession", "Week 12"}, {"cboBBLen", "150"}, {"txtRadius", "150"}})
            test::TypeInto(*control<QWidget>(*dialog, name), QString::fromLatin1(text));
        QTest::mouseClick(control<QPushButton>(*dialog, "CmdOk"), Qt::LeftButton);
        measure = qobject_cast<gauge::frmMeasure*>(windows().loaded(WindowId::Measure));
        ASSERT_TRUE(measure);
        ASSERT_TRUE(QTest::qWaitFor([&] { return measure->deviceName()->text().startsWith("Brintovale"); }, kWaitMs));
    }

    // The dynamic (0) or static (1) tab of the window in front, its boxes typed, then F12; a static
    // point is latched with Enter once the gauge's reading shows. The save window follows.
    void capture(int tab, std::initializer_list<std::pair<const char*, const char*>> typed = {})
    {
        ASSERT_TRUE(active(measure));
        QTabBar* bar = control<QTabWidget>(*measure, "tabType")->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        ASSERT_EQ(bar->currentIndex(), tab);
        for (const auto& [name, text] : typed)
            test::TypeInto(*control<QWidget>(*measure, name), QString::fromLatin1(text));
        if (tab == 0) {
            auto* rates = control<QComboBox>(*measure, "cboSamplingRate");
            rates->setFocus();
            QTest::keyClick(rates, Qt::Key_Home);
            ASSERT_EQ(rates->currentText(), "3393"); // 1440 a second
        }
        QTest::keyClick(measure.data(), Qt::Key_F12);
        if (tab == 1) {
            gauge::frmWait* wait = nullptr;
            ASSERT_TRUE(QTest::qWaitFor([&] { return (wait = measure->findChild<gauge::frmWait*>()) != nullptr; }, kWaitMs));
            gauge::LatchEachPointAtItsFirstReading(wait->session(), wait, [wait] { QTest::keyClick(wait, Qt::Key_Return); });
        }
        QStringList told; // what ended the capture instead, if it did not reach the save window
        const bool saving = QTest::qWaitFor([] { return saveWindow(); }, 2 * kWaitMs);
        if (!saving)
            for (const auto& m : prompts.messages)
                told << m.text;
        ASSERT_TRUE(saving) << told.join(" / ").toStdString();
    }

    // The save window's OK, into the case database or (through the file dialog) a file.
    void save(const QString& file = {})
    {
        QWidget* window = saveWindow();
        if (!file.isEmpty()) {
            auto* option = control<QRadioButton>(*window, "optFile");
            QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
            prompts.fileAnswers = {file};
            prompts.filterAnswers = {1}; // Renishaw left chosen: the typed extension decides
        }
        QTest::mouseClick(control<QPushButton>(*window, "CmdOk"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([] { return !saveWindow(); }, kWaitMs));
        ASSERT_EQ(app().OpenCase.Data.RunCount, 0);
    }

    // Every stream plays the circle, a static point's reading too, whose stream a loaded machine may
    // stop late: the circle begins well after a reading's 140 ms, so a static point holds still.
    gauge::Simulator sim{{"owngauge", "--mark-ms", "0", "--arc-ms", "1000", "2356"}};
    QPointer<gauge::frmMeasure> measure;
};

// After an opened file, a static run is written with the readings captured; after a saved pair, a
// static case has no measured feedrate; runs closed unsaved get their own results and are written
// as captured.
TEST_F(NewMeasurement, NothingOfTheCaseBeforeReachesTheRunsCapturedOrWhatIsWrittenOfThem)
{
    ASSERT_TRUE(OpenProgramFile(SARVOTEX_TEST_DATA "/../../data/examples/02_static_xy.rtb", ProgramReadContext()));
    ASSERT_TRUE(app().OpenCase.Data.ReadingsAsRead);
    ASSERT_NO_FATAL_FAILURE(begin());
    EXPECT_EQ(std::tuple(app().OpenCase.Data.ReadingsAsRead, app().OpenCase.Header[HdrFilename], app().State.CaseOpen),
              std::tuple(nullptr, QString(), false));
    ASSERT_NO_FATAL_FAILURE(capture(1));
    const Case captured = app().OpenCase;
    EXPECT_NEAR(captured.Data.Readings(1, 3), 0.1, 0.003); // 0.5 mm on the gauge, 0.4 mm offset
    ASSERT_NO_FATAL_FAILURE(save(path("captured.brv")));
    test::ExpectSameCase(test::ReadBack(path("captured.brv"), files::ReaderKind::Brv, app().Settings), captured);

    // A pair over 90 degrees at 6000 mm/min, 2356 ms a run. The paced gauge may be told a feedrate
    // off by more than 15 %: a warning, the run kept.
    ASSERT_NO_FATAL_FAILURE(
        capture(0, {{"txtStartPos", "0"}, {"txtEndPos", "90"}, {"txtAngularOvershoot", "0"}, {"txtFeedrate", "6000"}}));
    for (const auto& m : prompts.messages)
        EXPECT_TRUE(m.text.contains("feedrate suspected")) << m.text.toStdString();
    prompts.messages.clear();
    EXPECT_GT(app().OpenCase.Data.MeasuredFeedrateAverage, 0);
    ASSERT_NO_FATAL_FAILURE(save());
    ASSERT_NO_FATAL_FAILURE(capture(1));
    EXPECT_EQ(app().OpenCase.Data.MeasuredFeedrateAverage, 0.0f);
    EXPECT_FALSE(app().OpenCase.Data.FeedrateMeasured());
    ASSERT_NO_FATAL_FAILURE(save());

    // Closed unsaved, which analyses the runs, then saved.
    ASSERT_NO_FATAL_FAILURE(capture(1));
    Case expected = app().OpenCase;
    QTest::mouseClick(control<QPushButton>(*saveWindow(), "CmdCancel"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(*measure, "cmdClose"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return measure.isNull(); }, kWaitMs));
    ASSERT_TRUE(app().OpenCase.Results.ResultsValid);
    EXPECT_NE(app().OpenCase.Data.Readings(1, 3), expected.Data.Readings(1, 3));
    EXPECT_TRUE(app().State.CaptureUnsaved);
    prompts.fileAnswers = {path("closed.brv")};
    prompts.filterAnswers = {0};
    CmdSaveToFile();
    test::ExpectSameCase(test::ReadBack(path("closed.brv"), files::ReaderKind::Brv, app().Settings), expected);
    EXPECT_FALSE(app().State.CaptureUnsaved);
    NoProgress none;
    ASSERT_TRUE(AnalyseCase(expected, app().Settings, {.measurement = true, .errorModel = true}, none).ok());
    const AnalysisResults& shown = app().OpenCase.Results;
    EXPECT_EQ(std::tuple(shown.LscResult.Circularity, shown.MzcResult.Circularity),
              std::tuple(expected.Results.LscResult.Circularity, expected.Results.MzcResult.Circularity));
    EXPECT_NE(shown.LscResult.Circularity, 0.0);
    EXPECT_TRUE(prompts.messages.empty());
}

// Runs written to a file and the window closed: the written case is the open one, shown as every
// replaced case is, and the keyboard is left in a window.
TEST_F(NewMeasurement, ClosingAfterRunsWrittenToAFileShowsTheWrittenCaseWithTheKeyboardInAWindow)
{
    ASSERT_NO_FATAL_FAILURE(begin());
    ASSERT_NO_FATAL_FAILURE(capture(1));
    ASSERT_NO_FATAL_FAILURE(save(path("written.brv")));
    QTest::mouseClick(control<QPushButton>(*measure, "cmdClose"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return measure.isNull(); }, kWaitMs));
    EXPECT_EQ(std::tuple(app().OpenCase.Data.RunCount, app().State.CaseOpen, app().State.CaptureUnsaved),
              std::tuple(int16_t(2), true, false));
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() != nullptr; }, kWaitMs));
    EXPECT_TRUE(prompts.messages.empty());
}

} // namespace
} // namespace sarvo
