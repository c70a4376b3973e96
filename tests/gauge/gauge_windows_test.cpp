// The gauge windows offscreen: the reference-mark prompt against the simulator (closing on the
// mark, staying live while the gauge is silent) and the case-information dialog's OK.

#include "gauge/device_thread.h"
#include "gauge/measure_setup.h"
#include "gauge/case_info.h"
#include "gauge/ui/case_info_window.h"
#include "gauge/ui/reference_window.h"

#include "core/settings_file.h"
#include "core/utilities.h"
#include "tests/gauge/simulator_process.h"
#include "tests/support/core_test.h"
#include "tests/support/sample_cases.h"
#include "tests/support/typing.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>
#include <limits>
#include <optional>

namespace sarvo::gauge {
namespace {

class GaugeWindows : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        settings.TemperatureUnits = QStringLiteral("Celsius");
        ComputeUnits(units, settings, IniFile(iniFile));
    }

    DeviceThread::MakeDevice ownGauge(const Simulator& sim)
    {
        settings.BallBarType = static_cast<int16_t>(GaugeType::OwnGauge);
        settings.CommPort = sim.path();
        return [gaugeSettings = settings] { return MakeGaugeDevice(gaugeSettings); };
    }

    // Waits for the prompt to close; its result, or -1 when it stayed open.
    static int closedWith(QDialog& prompt, QSignalSpy& finished)
    {
        QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000);
        return finished.isEmpty() ? -1 : prompt.result();
    }

    // Runs fn on the device thread, where the gauge's port lives, and waits for its answer.
    template <class Result>
    static Result onDevice(DeviceThread& thread, std::function<Result(GaugeDevice&)> fn)
    {
        QObject receiver;
        std::optional<Result> result;
        thread.post<Result>(std::move(fn), &receiver, [&](Result r) { result = r; });
        QTest::qWaitFor([&] { return result.has_value(); }, 10000);
        return result.value_or(Result{});
    }
    static int16_t open(DeviceThread& thread)
    {
        return onDevice<int16_t>(thread, [](GaugeDevice& device) { return device.open(); });
    }

    Settings settings;
    UnitState units;
};

TEST_F(GaugeWindows, ReferencePromptClosesOnTheMarkOrWithoutAGauge)
{
    Simulator sim({"owngauge", "--mark-ms", "300"});
    DeviceThread thread(ownGauge(sim));
    {
        // Never opened: the first answer closes the prompt.
        frmReference prompt(thread, GaugeType::OwnGauge, 150, units);
        QSignalSpy finished(&prompt, &QDialog::finished);
        prompt.show();
        EXPECT_EQ(closedWith(prompt, finished), QDialog::Rejected);
    }
    ASSERT_EQ(open(thread), 0);
    {
        frmReference prompt(thread, GaugeType::OwnGauge, 150, units);
        EXPECT_EQ(prompt.findChild<QLabel*>(QStringLiteral("pnlLen"))->text(), "150.000");
        QSignalSpy finished(&prompt, &QDialog::finished);
        prompt.show();
        EXPECT_EQ(closedWith(prompt, finished), QDialog::Accepted);
    }
    // Out of reference mode again: an ordinary reading comes back.
    EXPECT_TRUE(onDevice<bool>(thread, [](GaugeDevice& gauge) { return gauge.readOne().ok(); }));
}

TEST_F(GaugeWindows, ReferencePromptStaysLiveWhileTheGaugeIsSilent)
{
    Simulator sim({"owngauge", "--mark-ms", "600000"});
    DeviceThread thread(ownGauge(sim));
    ASSERT_EQ(open(thread), 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(sim.processId()), SIGSTOP), 0);

    frmReference prompt(thread, GaugeType::OwnGauge, 150, units);
    QSignalSpy finished(&prompt, &QDialog::finished);
    prompt.show();

    // A 10 ms timer of the window's thread, watched in three spells of 0.9 s of unanswered
    // questions. A window that waited for the gauge would lag in every spell; a loaded machine
    // that stalls the whole process now and then spoils one spell, not all three.
    qint64 bestSpell = std::numeric_limits<qint64>::max();
    for (int spell = 0; spell < 3 && bestSpell >= 50; ++spell) {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longestGap = 0;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, clock.elapsed() - last);
            last = clock.elapsed();
        });
        probe.start(10);
        QTest::qWait(900);
        probe.stop();
        bestSpell = std::min(bestSpell, longestGap);
    }
    EXPECT_LT(bestSpell, 50);
    EXPECT_TRUE(finished.isEmpty());

    prompt.reject();
    EXPECT_EQ(closedWith(prompt, finished), QDialog::Rejected);
    ::kill(static_cast<pid_t>(sim.processId()), SIGCONT);
}

TEST_F(GaugeWindows, CaseInformationOkChecksNormalisesAndRemembers)
{
    // The case open before: a read file with its readings as read, a feedrate, a result.
    Case openCase;
    test::FillTwoWayCircle(openCase);
    openCase.Data.ReadingsAsRead = std::make_shared<const ReadingsTable>(openCase.Data.Readings);
    openCase.Data.MeasuredFeedrateAverage = 3955;
    openCase.Results.ResultsValid = true;
    const auto fields = [](const Case& k) {
        return std::tuple(k.Header, k.Data.TestDate, k.Data.BallBarLength, k.Data.RunCount, k.Data.Readings == ReadingsTable(),
                          k.Data.ReadingsAsRead, k.Data.MeasuredFeedrateAverage, k.Results.ResultsValid);
    };
    const auto before = fields(openCase);
    int acceptedCount = 0;
    frmBasic dialog(openCase, settings, units, IniFile(iniFile), nullptr, [&] { ++acceptedCount; }, true);
    // Without a case database both lists report their failure and stay empty.
    EXPECT_EQ(reportsAt(QStringLiteral("Reading sessions")), 1);
    EXPECT_EQ(reportsAt(QStringLiteral("Reading machines")), 1);
    prompts.messages.clear();
    dialog.show();

    CaseInfoTexts texts{QStringLiteral("Acme"), QString(), QStringLiteral("Week 12"), QStringLiteral("2026-03-04"),
                        QStringLiteral("9:30"), QStringLiteral("Ann"), QStringLiteral("161"), QStringLiteral("150"),
                        QStringLiteral("11.5")};
    dialog.setTexts(texts);
    dialog.okClicked();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Set the name of the machine, please.");
    EXPECT_TRUE(dialog.isVisible());
    prompts.messages.clear();
    EXPECT_EQ(fields(openCase), before); // refused: the case open before is as it was

    // Enter in the radius: the radius is brought within the bar before OK runs.
    texts.machine = QStringLiteral("Mill 1");
    dialog.setTexts(texts);
    auto* radius = dialog.findChild<QLineEdit*>(QStringLiteral("txtRadius"));
    QTest::keyClick(radius, Qt::Key_Return);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Test radius can not be bigger than Ball Bar Length.");
    EXPECT_EQ(acceptedCount, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FLOAT_EQ(settings.DefaultTestRadius, 150);
    EXPECT_EQ(IniFile(iniFile).get(QStringLiteral("BasicInput"), QStringLiteral("Machine"), {}), "Mill 1");

    // The new case is what the typed texts make of an empty one: nothing of the case before it.
    Case typed;
    texts.radius = QStringLiteral("150"); // as the radius box holds it now
    ASSERT_FALSE(AcceptCaseInfo(texts, typed, settings, units).failed());
    EXPECT_EQ(fields(openCase), fields(typed));
}

// A fresh program folder: no bar length yet, the radius 150. Whatever the user leaves in the
// radius, the box never keeps a radius its checks refuse, and OK never takes one.
TEST_F(GaugeWindows, CaseInformationNeverKeepsARadiusItsChecksRefuse)
{
    settings = ReadSettings(appPath, iniFile).settings;
    settings.TemperatureUnits = QStringLiteral("Celsius");
    Case openCase;
    int acceptedCount = 0;
    frmBasic dialog(openCase, settings, units, IniFile(iniFile), nullptr, [&] { ++acceptedCount; }, true);
    prompts.messages.clear();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* radius = dialog.findChild<QLineEdit*>(QStringLiteral("txtRadius"));
    ASSERT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("cboBBLen"))->currentText() + radius->text(), "150.000");
    for (const char* name : {"cmbMachine", "cmbSession"})
        QTest::keyClicks(dialog.findChild<QComboBox*>(QString::fromLatin1(name))->lineEdit(), QStringLiteral("M"));

    // Leaving the radius: held to the 100 mm the empty bar box stands for.
    radius->setFocus();
    QTest::keyClick(radius, Qt::Key_Tab);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Test radius can not be bigger than Ball Bar Length.");
    EXPECT_EQ(radius->text(), "100.000");
    // A radius below 50 mm typed and entered: corrected, then OK takes the corrected one.
    radius->setFocus();
    radius->selectAll();
    QTest::keyClicks(radius, QStringLiteral("0"));
    QTest::keyClick(radius, Qt::Key_Return);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text, "Test radius can not be smaller than 50mm.");
    EXPECT_EQ(radius->text(), "100.000");
    ASSERT_EQ(acceptedCount, 1);
    EXPECT_EQ(std::pair(settings.DefaultTestRadius, settings.BallBarLength), std::pair(100.0f, 100.0f));

    // Remembered texts the checks refuse (a bar of 40, a radius of 20): OK refuses the radius and
    // puts the one leaving it would put.
    IniFile(iniFile).set(QStringLiteral("BasicInput"), QStringLiteral("BallbarLength"), QStringLiteral("40 mm"));
    settings.DefaultTestRadius = 20;
    frmBasic again(openCase, settings, units, IniFile(iniFile), nullptr, [&] { ++acceptedCount; }, false);
    prompts.messages.clear();
    again.show();
    auto* ok = again.findChild<QPushButton*>(QStringLiteral("CmdOk"));
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Space);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Test radius can not be smaller than 50mm.");
    EXPECT_EQ(again.findChild<QLineEdit*>(QStringLiteral("txtRadius"))->text(), "100.000");
    EXPECT_EQ(std::pair(acceptedCount, settings.DefaultTestRadius), std::pair(1, 20.0f));
}

// A number with group separators is one the reading would cut ("1,000,000" reads 1): the radius
// and the coefficient boxes refuse it naming their field, and OK takes nothing.
TEST_F(GaugeWindows, CaseInformationRefusesANumberTheReadingWouldCut)
{
    settings = ReadSettings(appPath, iniFile).settings;
    settings.TemperatureUnits = QStringLiteral("Celsius");
    Case openCase;
    int acceptedCount = 0;
    frmBasic dialog(openCase, settings, units, IniFile(iniFile), nullptr, [&] { ++acceptedCount; }, true);
    prompts.messages.clear();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (const char* name : {"cmbMachine", "cmbSession"})
        test::TypeInto(*dialog.findChild<QComboBox*>(QString::fromLatin1(name)), QStringLiteral("M"));
    for (const char* typed : {"1,000,000", "1,250.5"}) {
        prompts.messages.clear();
        auto* radius = dialog.findChild<QLineEdit*>(QStringLiteral("txtRadius"));
        test::TypeInto(*radius, QString::fromLatin1(typed));
        ASSERT_FALSE(prompts.messages.empty()) << typed;
        EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Invalid Value. Test Radius = %1").arg(typed));
        EXPECT_NE(radius->text(), typed);

        prompts.messages.clear();
        auto* coefficient = dialog.findChild<QComboBox*>(QStringLiteral("cboMacExp"));
        test::TypeInto(*coefficient, QString::fromLatin1(typed), false);
        QTest::keyClick(coefficient->lineEdit(), Qt::Key_Return);
        ASSERT_EQ(prompts.messages.size(), 1u) << typed;
        EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Invalid Value. Machine Expansion Coefficient = %1").arg(typed));
        EXPECT_TRUE(dialog.isVisible());
    }
    EXPECT_EQ(acceptedCount, 0);
}

TEST_F(GaugeWindows, CaseInformationHintAndInchLengthsComeFromWhatItOpensWith)
{
    // The remembered length of 40 mm with the default radius of 20 mm: √(40² − 20²).
    settings.DefaultTestRadius = 20;
    IniFile(iniFile).set(QStringLiteral("BasicInput"), QStringLiteral("BallbarLength"), QStringLiteral("40 mm"));
    Case openCase;
    {
        frmBasic dialog(openCase, settings, units, IniFile(iniFile), nullptr, {}, false);
        prompts.messages.clear(); // the lists' reports without a case database
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("pnlOffsetValue"))->text(), "34.641");
        EXPECT_FALSE(dialog.findChild<QWidget*>(QStringLiteral("pnlOffset"))->isHidden());
    }

    // In inches the calibrated 150 mm row is picked from the list with the arrow key.
    settings.UnitsInch = true;
    ComputeUnits(units, settings, IniFile(iniFile));
    settings.DefaultTestRadius = 150;
    settings.BallBarLength = 100;
    for (const double mm : {100.0, 150.0}) {
        const int i = settings.Calibration.CalibratorCount++;
        settings.Calibration.NominalLength[i] = settings.Calibration.CalibratorLength[i] = mm;
    }
    settings.Calibration.LengthCalibrated[1] = -1;
    // Remembered in millimetres, shown in inches.
    IniFile(iniFile).set(QStringLiteral("BasicInput"), QStringLiteral("BallbarLength"), QStringLiteral("100 mm"));
    int acceptedCount = 0;
    frmBasic dialog(openCase, settings, units, IniFile(iniFile), nullptr, [&] { ++acceptedCount; }, false);
    prompts.messages.clear();
    dialog.show();
    auto* length = dialog.findChild<QComboBox*>(QStringLiteral("cboBBLen"));
    ASSERT_EQ(length->currentText(), "3.93701");
    for (const char* name : {"cmbMachine", "cmbSession"})
        QTest::keyClicks(dialog.findChild<QComboBox*>(QString::fromLatin1(name))->lineEdit(), QStringLiteral("M"));
    length->lineEdit()->setFocus();
    QTest::keyClick(length->lineEdit(), Qt::Key_Down);
    ASSERT_EQ(length->currentText(), "5.90551");
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("CmdOk")), Qt::LeftButton);
    ASSERT_EQ(acceptedCount, 1);
    EXPECT_EQ(settings.BallBarLength, 150.0f);
    EXPECT_EQ(settings.Calibration.CalibratorCount, 2); // no second row beside it
    EXPECT_EQ(LookUpBarLength(settings).panel, CalibrationPanel::Calibrated);
    EXPECT_EQ(IniFile(iniFile).get(QStringLiteral("BasicInput"), QStringLiteral("BallbarLength"), {}), "5.90551 in");
}

} // namespace
} // namespace sarvo::gauge
