// The measurement window offscreen against the simulators: the live, temperature-compensated
// reading, the reconnection after the gauge was unplugged and plugged in again, a gauge that
// stops answering (one box, "Off", a quiet reconnection), the window without a gauge, and the
// closing with and without captured runs.

#include "gauge/ui/measure_window.h"

#include "core/app_error.h"
#include "core/number_format.h"
#include "core/utilities.h"
#include "gauge/heid_api.h"
#include "tests/gauge/simulator_process.h"
#include "tests/support/core_test.h"
#include "tests/support/typing.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <optional>

namespace sarvo::gauge {
namespace {

class MeasureWindow : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        settings.TemperatureUnits = QStringLiteral("Celsius");
        settings.BallBarLength = 150;
        settings.ScaleFactor = 1;
        settings.BaseTemperature = 20;
        settings.DefaultTestRadius = 150;
        ComputeUnits(units, settings, IniFile(iniFile));
        openCase.Header[HdrMachine] = QStringLiteral("Mill 7");
    }

    // The window over the gauge of the settings, with the program's parts counted.
    frmMeasure* open(const QStringList& portCandidates = {})
    {
        MeasureServices services;
        services.makeDevice = [gaugeSettings = settings, portCandidates] { return MakeGaugeDevice(gaugeSettings, portCandidates); };
        services.analyse = [this] {
            ++analysed;
            return true;
        };
        services.runsAnalysed = [this] { ++runsAnalysed; };
        services.showWritten = [this](const Case& written) { return shownRuns << written.Data.RunCount, true; };
        services.reloadSaved = [this](int measId) {
            reloaded << measId;
            return true;
        };
        services.closed = [this] { ++closed; };
        services.openView = [this](std::function<display::ViewParams()> params, std::function<void(bool)> opened) {
            auto* view = new display::ViewWindow(std::move(params), iniFile, std::move(opened));
            view->setAttribute(Qt::WA_DeleteOnClose);
            view->show();
            return view;
        };
        auto* window = new frmMeasure(openCase, settings, units, IniFile(iniFile), services);
        window->show();
        return window;
    }

    // Waits for the next live reading and returns its number.
    static double nextReading(frmMeasure& window)
    {
        QSignalSpy shown(&window, &frmMeasure::liveReadingShown);
        if (!shown.wait(15000))
            return -1;
        return StrToDbl(window.liveReading()->text());
    }

    // The counter card of the HEID stand-in, its scenario from the environment.
    void useCounterCard(std::initializer_list<std::pair<const char*, const char*>> scenario)
    {
        SetHeidLibraryPath(SARVOTEX_HEID_LIBRARY);
        settings.BallBarType = int16_t(GaugeType::Ik121);
        for (const auto& [name, value] : scenario)
            qputenv(name, value);
    }
    void TearDown() override
    {
        for (const char* name : {"SARVOTEX_HEID_MARK_MS", "SARVOTEX_HEID_FAIL_AFTER", "SARVOTEX_HEID_FAIL_STATUS",
                                 "SARVOTEX_HEID_KILL_STATUS"})
            qunsetenv(name);
        SetHeidLibraryPath(SARVOTEX_HEID_LIBRARY);
        CoreTest::TearDown();
    }

    Settings settings;
    UnitState units;
    Case openCase;
    int analysed = 0;
    int runsAnalysed = 0;
    int closed = 0;
    QList<int> reloaded;
    QList<int> shownRuns; // the runs of each written case shown on closing
};

TEST_F(MeasureWindow, LiveReadingIsCompensatedAndComesBackAfterAReplug)
{
    // The gauge sits behind a link, as a device node does: unplugged, a new terminal takes its place.
    const QString link = path(QStringLiteral("gauge"));
    Simulator first({"owngauge", "--mark-ms", "100", "--hangup-on-stream", "6"}); // unplugged at its sixth reading
    ASSERT_TRUE(QFile::link(first.path(), link));
    settings.BallBarType = int16_t(GaugeType::OwnGauge);
    settings.CommPort = link;
    settings.GaugeExpCoeff = 10;
    QPointer<frmMeasure> window = open();
    QSignalSpy opened(window.data(), &frmMeasure::deviceOpened);
    ASSERT_TRUE(opened.wait(15000));
    EXPECT_TRUE(opened.front().front().toBool());
    EXPECT_TRUE(window->deviceName()->text().startsWith("Brintovale")) << window->deviceName()->text().toStdString();
    // The sampling rates of the own gauge start at 1440 Hz: 400 mm/min over a 150 mm circle.
    EXPECT_EQ(window->samplingRates()->itemText(0), "3181");

    // 0.5 mm ± 2 µm on the bar, the gauge 10 °C above the base at 10 ppm/°C.
    auto* gaugeTemp = window->findChild<QLineEdit*>("txtGaugeTemp");
    gaugeTemp->setText("30.0");
    double reading = nextReading(*window);
    reading = nextReading(*window); // one tick after the temperature changed
    EXPECT_NEAR(reading, 150.5 * (1 + 1e-4), 0.0021);

    // Unplugged: one message, "Off", and a new terminal behind the link is found again.
    Simulator second({"owngauge", "--mark-ms", "100"});
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(second.path(), link));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 15000));
    ASSERT_EQ(prompts.messages.size(), 1u);
    prompts.messages.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->deviceName()->text().startsWith("Brintovale") && window->device().connected(); },
                                30000));
    EXPECT_NEAR(nextReading(*window), 150.5 * (1 + 1e-4), 0.0021);
    delete window;
}

TEST_F(MeasureWindow, AFailedReadingClosesTheGaugeWithOneBoxAndItIsFoundAgain)
{
    struct Case {
        const char* status; // of the card; none: the own gauge goes silent
        QString box;
        const char* name;
        int openings; // a lost mark is prompted for again: a second opening
        bool capturing = false; // the failure ends a capture waiting for its trigger
    };
    const QString live = QStringLiteral(".\nReading one value.");
    for (const Case& c : {Case{nullptr, "The gauge sent no reading in time" + live, "Brintovale", 2},
                          Case{"57", "Device I/O error" + live, "Heidenhain IK121", 1},
                          Case{"320", "The reference mark has not been crossed" + live, "Heidenhain IK121", 2},
                          Case{"57", "Device I/O error.\nCapturing several measurements.", "Heidenhain IK121", 1, true}}) {
        SCOPED_TRACE(c.box.toStdString());
        // The own gauge silent from its fourth reading on for 6 s, found at the attempt 10 s later;
        // the card failing after five answers of each opening, its mark crossed after 300 ms or at once.
        std::optional<Simulator> sim;
        if (c.status) {
            useCounterCard({{"SARVOTEX_HEID_MARK_MS", c.openings == 2 ? "300" : "0"},
                            {"SARVOTEX_HEID_FAIL_AFTER", "5"},
                            {"SARVOTEX_HEID_FAIL_STATUS", c.status}});
        } else {
            sim.emplace(QStringList{"owngauge", "--mark-ms", "0", "--silent-on-stream", "4", "--silent-for", "6000"});
            settings.BallBarType = int16_t(GaugeType::OwnGauge);
            settings.AutoDetect = false;
            settings.CommPort = sim->path();
        }
        QPointer<frmMeasure> window = open();
        QSignalSpy opened(window.data(), &frmMeasure::deviceOpened);
        ASSERT_TRUE(opened.wait(15000) && opened.front().front().toBool());
        if (c.capturing)
            QTest::keyClick(window.data(), Qt::Key_F12);

        ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 15000));
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].title + u'|' + prompts.messages[0].text, "Sarvotrenk|" + c.box);
        prompts.messages.clear();
        // Closed: "Off", and no further box while it keeps failing, nor when it is found again.
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->deviceName()->text() == "Off"; }, 15000));
        EXPECT_FALSE(window->device().connected());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return window->device().connected() && window->deviceName()->text().startsWith(c.name); }, 30000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return opened.size() == c.openings; }, 10000));
        EXPECT_NEAR(nextReading(*window), 150.5, 0.006);
        EXPECT_TRUE(prompts.messages.empty());
        delete window;
    }
}

// A gauge whose every reading's stream is shifted by a stray byte: told once, not again each time
// it is found again, until it has given a good reading.
TEST_F(MeasureWindow, AGaugeThatKeepsFailingIsToldOfOnce)
{
    Simulator sim({"owngauge", "--mark-ms", "0", "--stray-ms", "20", "--stray-bytes", "1"});
    settings.BallBarType = int16_t(GaugeType::OwnGauge);
    settings.AutoDetect = false;
    settings.CommPort = sim.path();
    QPointer<frmMeasure> window = open();
    QSignalSpy opened(window.data(), &frmMeasure::deviceOpened);
    // Found, failing and closed, found again at the next attempt and failing again.
    int found = 0;
    bool shown = false;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const bool named = window->deviceName()->text() != "Off";
            found += named && !shown ? 1 : 0;
            shown = named;
            return found >= 2 && !named;
        },
        40000));
    ASSERT_EQ(prompts.messages.size(), 1u);
    prompts.messages.clear();
    delete window;
}

TEST_F(MeasureWindow, TheCardsClosingIsToldUnderItsOwnName)
{
    // A status of its own closing shows as a device error; a library without the call is a
    // run-time error naming it.
    useCounterCard({{"SARVOTEX_HEID_MARK_MS", "0"}, {"SARVOTEX_HEID_KILL_STATUS", "7"}});
    for (const bool withoutCall : {false, true}) {
        SetHeidLibraryPath(withoutCall ? SARVOTEX_HEID_WITHOUT_KILL_LIBRARY : SARVOTEX_HEID_LIBRARY);
        QPointer<frmMeasure> window = open();
        QSignalSpy opened(window.data(), &frmMeasure::deviceOpened);
        ASSERT_TRUE(opened.wait(15000) && opened.front().front().toBool());
        window->closeClicked();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
        ASSERT_EQ(prompts.messages.size(), 1u);
        const QString box = prompts.messages[0].title + u'|' + prompts.messages[0].text;
        prompts.messages.clear();
        EXPECT_TRUE(withoutCall ? box.startsWith("Sarvotrenk|453:") && box.contains("HeidKillComm")
                                      && box.endsWith("Closing the device.")
                                : box == "Sarvotrenk|Out of memory.\nClosing the device.")
            << box.toStdString();
    }
}

TEST_F(MeasureWindow, ACardLibraryWithoutItsReadingCallIsToldByTheMarkPrompt)
{
    // The prompt would wait for a mark the card cannot report: it closes with the card's failure.
    useCounterCard({{"SARVOTEX_HEID_MARK_MS", "0"}});
    SetHeidLibraryPath(SARVOTEX_HEID_WITHOUT_GET_ONE_LIBRARY);
    QPointer<frmMeasure> window = open();
    QSignalSpy opened(window.data(), &frmMeasure::deviceOpened);
    ASSERT_TRUE(opened.wait(15000));
    EXPECT_EQ(std::tuple(opened.front().front().toBool(), window->deviceName()->text()), std::tuple(false, QString("Off")));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, TranslatedDeviceErrorText(AppError::kDllFunctionNotFound) + ".\nReading one value.");
    prompts.messages.clear();
    delete window;
}

TEST_F(MeasureWindow, ASearchThatFindsNoGaugeShowsOffWithoutABoxAndOffsetsShowZero)
{
    settings.BallBarType = int16_t(GaugeType::OwnGauge);
    settings.AutoDetect = true;
    settings.CommPort = path(QStringLiteral("no-such-port"));
    QPointer<frmMeasure> window = open({QStringLiteral("/nonexistent/tty1")});
    QSignalSpy opened(window.data(), &frmMeasure::deviceOpened);
    ASSERT_TRUE(opened.wait(15000));
    EXPECT_FALSE(opened.front().front().toBool());
    EXPECT_EQ(window->deviceName()->text(), "Off");
    EXPECT_TRUE(prompts.messages.empty());
    // Both directions, as the window opens, draw the clockwise run.
    EXPECT_FALSE(window->viewParams().counterClockwise);
    window->findChild<QRadioButton*>("optCCW")->click();
    EXPECT_TRUE(window->viewParams().counterClockwise);

    // Offsets before any run: both 0.
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdOffset")), Qt::LeftButton);
    QLabel* x = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == u"frmOffset")
                x = top->findChild<QLabel*>(QStringLiteral("LblXOffset"));
        return x && !x->text().isEmpty();
    }, 5000));
    EXPECT_EQ(x->text(), FormatNumber(0.0, units.SmallFormat));
    EXPECT_EQ(x->window()->findChild<QLabel*>(QStringLiteral("LblYOffset"))->text(), x->text());
    delete window;
}

TEST_F(MeasureWindow, WithoutAGaugeTheNominalLengthShowsAndTheWindowCloses)
{
    settings.BallBarType = int16_t(GaugeType::Qc10);
    settings.CommPort = path(QStringLiteral("no-such-port"));
    settings.Calibration.CalibratorCount = 1;
    settings.Calibration.NominalLength[0] = 150;
    settings.Calibration.LengthOffset[0] = 0.0123f;
    settings.Calibration.LengthCalibrated[0] = true;
    QPointer<frmMeasure> window = open();
    // The calibrated length's offset comes off the nominal length.
    EXPECT_NEAR(openCase.Data.ZeroOffset, 0.0123, 1e-6);
    EXPECT_NEAR(nextReading(*window), 150 - 0.0123, 6e-4); // shown to 3 decimals
    EXPECT_EQ(window->deviceName()->text(), "Off");
    ASSERT_EQ(prompts.messages.size(), 1u); // the failed opening, once
    prompts.messages.clear();

    // View opens the viewing-angle window, which follows the plane; View again closes it.
    auto* view = window->findChild<QPushButton*>("cmdView");
    view->click();
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto diagram = std::find_if(windows.begin(), windows.end(), [](QWidget* w) { return w->objectName() == "frmView"; });
    ASSERT_NE(diagram, windows.end());
    EXPECT_EQ(view->text(), "&View off");
    // Opened the first time beside the measurement window, which keeps the keyboard.
    EXPECT_EQ((*diagram)->frameGeometry().top(), window->frameGeometry().top());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window.data(); }, 5000));
    window->findChild<QRadioButton*>("optYZ")->click();
    EXPECT_EQ(static_cast<display::ViewWindow*>(*diagram)->axisLabels()[0]->text(), display::ViewAxisLabels(display::ViewPlane::YZ)[0]);
    view->click();
    EXPECT_EQ(view->text(), "&View");

    // A text that is no number, or one the reading would cut ("1,250.5" reads 1.5), is told naming
    // the field, which shows its number again.
    for (const auto& [name, field] : {std::pair{"txtFeedrate", "Feedrate"}, {"txtCenter1", "Centre Y"}}) {
        for (const char* typed : {"abc", "1,250.5", "1,000,000"}) {
            auto* box = window->findChild<QLineEdit*>(name);
            const QString shown = box->text();
            test::TypeInto(*box, typed);
            ASSERT_EQ(prompts.messages.size(), 1u) << name << " " << typed;
            EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Invalid Value. %1 = %2").arg(field, typed));
            EXPECT_EQ(box->text(), shown);
            prompts.messages.clear();
        }
    }

    // Closing without runs and without a save changes nothing; Esc closes as the button does.
    QTest::keyClick(window.data(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 15000));
    EXPECT_EQ(analysed + runsAnalysed, 0);
    EXPECT_TRUE(reloaded.isEmpty());
    EXPECT_EQ(closed, 1);
}

TEST_F(MeasureWindow, ClosingAnalysesTheRunsOrLoadsTheSavedCaseBack)
{
    settings.BallBarType = int16_t(GaugeType::Qc10);
    settings.CommPort = path(QStringLiteral("no-such-port"));
    {
        QPointer<frmMeasure> window = open();
        openCase.Data.RunCount = 2;
        window->closeClicked();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 15000));
        EXPECT_EQ(analysed, 1);
        EXPECT_EQ(runsAnalysed, 1);
    }
    {
        // Saved (the save window emptied the runs): the case stored under its number comes back.
        QPointer<frmMeasure> window = open();
        window->caseStored(42);
        window->closeClicked();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 15000));
        EXPECT_EQ(reloaded, QList<int>{42});
        EXPECT_EQ(analysed, 1);
    }
    Case written;
    written.Data.RunCount = 2;
    for (const bool fileLast : {true, false}) { // stored and written in one window: the last save shows
        QPointer<frmMeasure> window = open();
        fileLast ? (window->caseStored(43), window->caseWritten(written)) : (window->caseWritten(written), window->caseStored(44));
        window->closeClicked();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 15000));
    }
    EXPECT_EQ(std::tuple(reloaded, shownRuns), std::tuple(QList<int>{42, 44}, QList<int>{2}));
    prompts.messages.clear();
}

} // namespace
} // namespace sarvo::gauge
