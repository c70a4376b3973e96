// A press of the start switch on a stand-in gauge and a stand-in capture: pairs, the failed
// second run of a pair, the chain of alternating runs, a broken-off run, no gauge, a low battery.

#include "gauge/run_chain.h"

#include "gauge/device_thread.h"
#include "tests/support/core_test.h"

#include <QTest>
#include <QTimer>

#include <deque>

namespace sarvo::gauge {
namespace {

// Connected at once; answers nothing else the chain asks but the battery.
class StandInGauge : public GaugeDevice {
public:
    explicit StandInGauge(bool batteryLow) : batteryLow_(batteryLow) {}
    int16_t open() override { return 0; }
    DeviceClosing close() override { return {}; }
    bool connected() const override { return true; }
    GaugeReading readOne() override { return {0, 0.5f}; }
    QString name() override { return QStringLiteral("stand-in"); }
    bool batteryLow() override { return batteryLow_; }
    int16_t startSeries(int, double) override { return 0; }
    int16_t fetchSeries(std::span<float>, int& count, QDeadlineTimer) override
    {
        count = 0;
        return 0;
    }
    int16_t stopSeries() override { return 0; }

private:
    bool batteryLow_;
};

// The window's part, scripted: each capture ends as the next planned end says.
class ScriptedUser : public RunChainUser {
public:
    explicit ScriptedUser(Case& openCase) : case_(openCase)
    {
        fields_.startPos = QStringLiteral("0");
        fields_.endPos = QStringLiteral("360");
        fields_.overshoot = QStringLiteral("10");
        fields_.feedrate = QStringLiteral("1000");
        fields_.samplingRate = SamplingRateItem{1000, 1250000};
        fields_.gaugeTemp = fields_.machineTemp = QStringLiteral("20.0");
    }

    void rebuildSamplingRates() override {}
    RunFields fields() override { return fields_; }
    void notice(ChainNotice kind, const QString&) override { notices.push_back(kind); }
    void setCapturing(bool) override {}
    void capture(std::function<void(const CaptureResult&)> done) override
    {
        const CaptureEnd end = ends.empty() ? CaptureEnd::Stored : ends.front();
        if (!ends.empty())
            ends.pop_front();
        directions.push_back(case_.Data.RunDirection[case_.Data.RunCount + 1]);
        CaptureResult result;
        result.end = end;
        if (end == CaptureEnd::Stored) {
            const int run = ++case_.Data.RunCount;
            case_.Data.RunTargets[run] = 100;
            case_.Data.RunFeedrate[run] = 900.0f + 100.0f * run;
            case_.Data.Readings(run, 0) = 0.001 * run;
            case_.Data.MaxTargets = 100;
            result.runsAdded = 1;
        }
        // The capture window ends later, from the event loop.
        QTimer::singleShot(0, [done, result] { done(result); });
    }
    void runsStored(int cw, int ccw) override { counters = {cw, ccw}; }
    void runsDropped(int cw, int ccw) override { counters = {cw, ccw}; }
    bool changeDirection() override
    {
        ++questions;
        const bool yes = yesAnswers > 0;
        if (yes) {
            --yesAnswers;
            fields_.direction = fields_.direction == DirectionChoice::Cw ? DirectionChoice::Ccw : DirectionChoice::Cw;
        }
        return yes;
    }
    void pressEnded(bool openSave) override
    {
        ++pressesEnded;
        saveOpened = saveOpened || openSave;
    }

    RunFields fields_;
    std::deque<CaptureEnd> ends;
    std::vector<int16_t> directions;
    std::vector<ChainNotice> notices;
    std::pair<int, int> counters{0, 0};
    int questions = 0;
    int yesAnswers = 0;
    int pressesEnded = 0;
    bool saveOpened = false;

private:
    Case& case_;
};

class RunChainTest : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        settings.DefaultTestRadius = 150;
        settings.BallBarLength = 150;
        ComputeUnits(units, settings, IniFile(iniFile));
    }

    // Presses the switch and waits until the press has ended.
    void press(RunChain& chain, ScriptedUser& user)
    {
        const int ended = user.pressesEnded;
        chain.press(IniFile(iniFile), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return user.pressesEnded > ended; }, 10000));
    }

    std::unique_ptr<DeviceThread> gauge(bool batteryLow = false)
    {
        return std::make_unique<DeviceThread>([batteryLow] { return std::make_unique<StandInGauge>(batteryLow); });
    }
    // The stand-in is made on the device thread; the chain asks for it only once it is there.
    static void waitConnected(DeviceThread& device)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return device.connected(); }, 10000));
    }

    Settings settings;
    UnitState units;
    Case openCase;
};

TEST_F(RunChainTest, APairIsOnePressAndAFailedSecondRunDropsOnlyItsPartner)
{
    auto device = gauge();
    waitConnected(*device);
    ScriptedUser user(openCase);
    RunChain chain(*device, openCase, settings, units, user);

    press(chain, user);
    EXPECT_EQ(openCase.Data.RunCount, 2);
    EXPECT_EQ(user.directions, (std::vector<int16_t>{-1, 1}));
    EXPECT_EQ(user.counters, std::make_pair(1, 1));
    EXPECT_TRUE(user.saveOpened);
    EXPECT_FLOAT_EQ(openCase.Data.MeasuredFeedrateAverage, 1050.0f);

    // The next pair's second run is rejected: its first run goes, the first pair stays.
    user.ends = {CaptureEnd::Stored, CaptureEnd::Rejected};
    press(chain, user);
    EXPECT_EQ(openCase.Data.RunCount, 2);
    EXPECT_EQ(openCase.Data.Readings(3, 0), 0.0);
    EXPECT_DOUBLE_EQ(openCase.Data.Readings(2, 0), 0.002);
    EXPECT_EQ(user.counters, std::make_pair(1, 1));
    EXPECT_EQ(user.questions, 0);
}

TEST_F(RunChainTest, OneDirectionAsksAfterEveryRunButNotAfterABrokenOffRun)
{
    auto device = gauge(true);
    waitConnected(*device);
    ScriptedUser user(openCase);
    user.fields_.direction = DirectionChoice::Cw;
    RunChain chain(*device, openCase, settings, units, user);

    // Yes once: a clockwise and a counter-clockwise run, then No.
    user.yesAnswers = 1;
    press(chain, user);
    EXPECT_EQ(openCase.Data.RunCount, 2);
    EXPECT_EQ(user.directions, (std::vector<int16_t>{-1, 1}));
    EXPECT_EQ(user.questions, 2);
    EXPECT_FALSE(user.saveOpened);
    // The low battery is told before each run, which goes on all the same.
    EXPECT_EQ(std::count(user.notices.begin(), user.notices.end(), ChainNotice::BatteryLow), 2);

    // Cancelled: the runs stay, and no question follows the message the capture gave.
    user.ends = {CaptureEnd::Interrupted};
    press(chain, user);
    EXPECT_EQ(openCase.Data.RunCount, 2);
    EXPECT_EQ(user.questions, 2);
}

TEST_F(RunChainTest, WithoutAGaugeNothingIsCaptured)
{
    DeviceThread none([] { return std::unique_ptr<GaugeDevice>(); });
    ScriptedUser user(openCase);
    RunChain chain(none, openCase, settings, units, user);
    chain.press(IniFile(iniFile), 0);
    EXPECT_EQ(user.notices, std::vector<ChainNotice>{ChainNotice::NotConnected});
    EXPECT_FALSE(chain.running());
    EXPECT_TRUE(user.directions.empty());
}

} // namespace
} // namespace sarvo::gauge
