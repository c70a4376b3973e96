// The measurement window offscreen against the simulators: the live, temperature-compensated
// reading, the reconnection after the gauge was unplugged and plugged in again, a gauge that
// stops answering (one box, "Off", a quiet reconnection), the window without a gauge, and the
// closing with and without captured runs.

#include "gauge/ui/measure_window.h"

#include "core/number_format.h"
#include "gauge/heid_api.h"

#include "core/utilities.h"
#include "tests/gauge/simulator_process.h"
#include "tests/support/core_test.h"

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
    frmMeasure* open()
    {
        MeasureServices services;
        services.makeDevice = [gaugeSettings = settings] { return MakeGaugeDevice(gaugeSettings); };
        services.analyse = [this] {
            ++analysed;
            return true;
        };
        services.runsAnalysed = [this] { ++runsAnalysed; };
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
        for (const auto& [name, value] : scenario) {
            qputenv(name, value);
            scenarioNames.push_back(name);
        }
    }
    void TearDown() override
    {
        for (const char* name : scenarioNames)
            qunsetenv(name);
        SetHeidLibraryPath(SARVOTEX_HEID_LIBRARY);
        CoreTest::TearDown();
    }

    // The messages shown, as "title|text" lines; the list is emptied.
    QStringList takeMessages()
    {
        QStringList shown;
        for (const auto& message : prompts.messages)
            shown << message.title + u'|' + message.text;
        prompts.messages.clear();
        return shown;
    }

    static bool showsName(frmMeasure& window, const char* prefix)
    {
        return window.deviceName()->text().startsWith(QLatin1String(prefix)) && window.device().connected();
    }

    Settings settings;
    UnitState units;
    Case openCase;
    std::vector<const char*> scenarioNames;
    int analysed = 0;
    int runsAnalysed = 0;
    int closed = 0;
    QList<int> reloaded;
};

TEST_F(MeasureWindow, LiveReadingIsCompensatedAndComesBackAfterAReplug)
{
    // The gauge sits behind a link, as a device node does: unplugged, a new terminal takes its place.
    const QString link = path(QStringLiteral("gauge"));
    Simulator first({"owngauge", "--mark-ms", "100", "--hangup-ms", "4000"});
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

TEST_F(MeasureWindow, AGaugeThatGoesSilentIsClosedOnceAndFoundAgainWhenItAnswers)
{
    // Silent from 3 s for 6 s: the reading in hand times out, the next attempt comes 10 s later.
    Simulator sim({"owngauge", "--mark-ms", "0", "--silent-ms", "3000", "--silent-for", "6000"});
    settings.BallBarType = int16_t(GaugeType::OwnGauge);
    settings.AutoDetect = false;
    settings.CommPort = sim.path();
    QPointer<frmMeasure> window = open();
    QSignalSpy opened(window.data(), &frmMeasure::deviceOpened);
    ASSERT_TRUE(opened.wait(15000));
    ASSERT_TRUE(opened.front().front().toBool());
    ASSERT_TRUE(showsName(*window, "Brintovale"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 15000));
    EXPECT_EQ(takeMessages(), QStringList{"Sarvotrenk|The gauge sent no reading in time\nReading one value."});
    // Closed at once: "Off", and no further box while it stays silent.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->deviceName()->text() == "Off"; }, 5000));
    EXPECT_FALSE(window->device().connected());
    // Answering again: found at the next attempt, through the reference mark, without a word.
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsName(*window, "Brintovale"); }, 30000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }, 10000));
    EXPECT_NEAR(nextReading(*window), 150.5, 0.0021);
    EXPECT_TRUE(prompts.messages.empty());
    delete window;
}

TEST_F(MeasureWindow, ACounterCardFailureClosesItOnceAndALostMarkIsAskedForAgain)
{
    struct Case {
        const char* status;
        const char* text;
        bool markAgain; // the reconnection finds the mark not crossed and prompts for it
    };
    for (const Case& c : {Case{"57", "Device I/O error", false}, Case{"320", "The reference mark has not been crossed", true}}) {
        SCOPED_TRACE(c.status);
        // Every initialisation starts the card's scenario afresh: the mark after 300 ms (or at
        // once), the failure 3 s after the initialisation.
        useCounterCard({{"SARVOTEX_HEID_MARK_MS", c.markAgain ? "300" : "0"},
                        {"SARVOTEX_HEID_FAIL_MS", "3000"},
                        {"SARVOTEX_HEID_FAIL_STATUS", c.status}});
        QPointer<frmMeasure> window = open();
        QSignalSpy opened(window.data(), &frmMeasure::deviceOpened);
        ASSERT_TRUE(opened.wait(15000)); // after the prompt
        ASSERT_TRUE(showsName(*window, "Heidenhain IK121"));

        ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 15000));
        EXPECT_EQ(takeMessages(), QStringList{QStringLiteral("Sarvotrenk|%1\nReading one value.").arg(c.text)});
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->deviceName()->text() == "Off"; }, 5000));
        EXPECT_FALSE(window->device().connected());

        ASSERT_TRUE(QTest::qWaitFor([&] { return showsName(*window, "Heidenhain IK121"); }, 30000));
        if (c.markAgain) // the prompt came back and closed on the mark
            EXPECT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }, 10000));
        else
            EXPECT_EQ(opened.size(), 1);
        EXPECT_NEAR(nextReading(*window), 150.5, 0.006);
        EXPECT_TRUE(prompts.messages.empty());
        delete window;
    }
}

TEST_F(MeasureWindow, ACaptureEndedOnADeviceFaultIsTheOnlyBox)
{
    // The card fails 4 s after its initialisation, while a dynamic run waits for its trigger.
    useCounterCard({{"SARVOTEX_HEID_MARK_MS", "0"}, {"SARVOTEX_HEID_FAIL_MS", "4000"}});
    QPointer<frmMeasure> window = open();
    QSignalSpy opened(window.data(), &frmMeasure::deviceOpened);
    ASSERT_TRUE(opened.wait(15000));
    QTest::keyClick(window.data(), Qt::Key_F12);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 15000));
    // The live reading after it meets the same fault: the device is closed without a word.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->deviceName()->text() == "Off"; }, 15000));
    EXPECT_FALSE(window->device().connected());
    EXPECT_EQ(takeMessages(), QStringList{"Sarvotrenk|Device I/O error\nCapturing several measurements."});
    delete window;
}

TEST_F(MeasureWindow, TheCardsClosingIsToldUnderItsOwnName)
{
    // A status of its own closing shows as a device error; a library without the call is a
    // run-time error.
    useCounterCard({{"SARVOTEX_HEID_MARK_MS", "0"}, {"SARVOTEX_HEID_KILL_STATUS", "7"}});
    for (const bool withoutCall : {false, true}) {
        SetHeidLibraryPath(withoutCall ? SARVOTEX_HEID_WITHOUT_KILL_LIBRARY : SARVOTEX_HEID_LIBRARY);
        QPointer<frmMeasure> window = open();
        QSignalSpy opened(window.data(), &frmMeasure::deviceOpened);
        ASSERT_TRUE(opened.wait(15000));
        ASSERT_TRUE(opened.front().front().toBool());
        window->closeClicked();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
        const QStringList shown = takeMessages();
        ASSERT_EQ(shown.size(), 1);
        if (withoutCall) {
            EXPECT_TRUE(shown[0].startsWith("Sarvotrenk|453:")) << shown[0].toStdString();
            EXPECT_TRUE(shown[0].contains("HeidKillComm")) << shown[0].toStdString();
            EXPECT_TRUE(shown[0].endsWith("Closing the device.")) << shown[0].toStdString();
        } else {
            EXPECT_EQ(shown[0], "Sarvotrenk|Out of memory\nClosing the device.");
        }
    }
}

TEST_F(MeasureWindow, ASearchThatFindsNoGaugeShowsOffWithoutABox)
{
    settings.BallBarType = int16_t(GaugeType::OwnGauge);
    settings.AutoDetect = true;
    settings.CommPort = path(QStringLiteral("no-such-port"));
    MeasureServices services;
    services.makeDevice = [gaugeSettings = settings] {
        return MakeGaugeDevice(gaugeSettings, {QStringLiteral("/nonexistent/tty1")});
    };
    auto* window = new frmMeasure(openCase, settings, units, IniFile(iniFile), services);
    QSignalSpy opened(window, &frmMeasure::deviceOpened);
    window->show();
    ASSERT_TRUE(opened.wait(15000));
    EXPECT_FALSE(opened.front().front().toBool());
    EXPECT_EQ(window->deviceName()->text(), "Off");
    EXPECT_TRUE(prompts.messages.empty());
    // Both directions, as the window opens, draw the clockwise run; the counter-clockwise option
    // alone draws counter-clockwise.
    EXPECT_FALSE(window->viewParams().counterClockwise);
    window->findChild<QRadioButton*>("optCCW")->click();
    EXPECT_TRUE(window->viewParams().counterClockwise);
    window->findChild<QRadioButton*>("optCW")->click();
    EXPECT_FALSE(window->viewParams().counterClockwise);
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
    window->findChild<QRadioButton*>("optYZ")->click();
    EXPECT_EQ(static_cast<display::ViewWindow*>(*diagram)->axisLabels()[0]->text(), display::ViewAxisLabels(display::ViewPlane::YZ)[0]);
    view->click();
    EXPECT_EQ(view->text(), "&View");

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
    prompts.messages.clear();
}

TEST_F(MeasureWindow, OffsetsBeforeTheFirstRunShowZeroAndZero)
{
    settings.BallBarType = int16_t(GaugeType::Qc10);
    settings.CommPort = path(QStringLiteral("no-such-port"));
    QPointer<frmMeasure> window = open();
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdOffset")), Qt::LeftButton);
    QLabel* x = nullptr;
    QLabel* y = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == u"frmOffset") {
                x = top->findChild<QLabel*>(QStringLiteral("LblXOffset"));
                y = top->findChild<QLabel*>(QStringLiteral("LblYOffset"));
            }
        return x && !x->text().isEmpty();
    }, 5000));
    EXPECT_EQ(x->text(), FormatNumber(0.0, units.SmallFormat));
    EXPECT_EQ(y->text(), x->text());
    delete window;
    prompts.messages.clear();
}

} // namespace
} // namespace sarvo::gauge
