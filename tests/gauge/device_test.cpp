// The device layer on pseudo-terminals served by the gauge simulator, and on the HEID stand-in.

#include "gauge/device.h"
#include "gauge/heid_api.h"
#include "gauge/own_gauge_codec.h"
#include "gauge/qc10_codec.h"
#include "gauge/serial_link.h"
#include "tests/gauge/simulator_process.h"

#include "casedb/sql_error.h"
#include "core/app_error.h"
#include "core/language_db.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <csignal>
#include <memory>
#include <tuple>
#include <vector>

namespace sarvo::gauge {
namespace {

Settings GaugeSettings(GaugeType type, const QString& port, bool autoDetect = false)
{
    Settings settings;
    settings.BallBarType = static_cast<int16_t>(type);
    settings.CommPort = port;
    settings.AutoDetect = autoDetect;
    return settings;
}

// Polls the reference mark as the prompt does, within a generous limit.
int16_t WaitForMark(GaugeDevice& device)
{
    QElapsedTimer clock;
    clock.start();
    int16_t status = -1;
    while (status != 0 && clock.elapsed() < 10000)
        status = device.checkReferenceMark();
    return status;
}

// Fetches a series every 200 ms for the given time; the total of points.
int FetchFor(GaugeDevice& device, int ms, std::vector<float>& values, int16_t& status)
{
    QDeadlineTimer end(ms);
    int total = 0;
    std::vector<float> chunk(4096);
    status = 0;
    while (status == 0 && !end.hasExpired()) {
        int count = 0;
        status = device.fetchSeries(chunk, count, QDeadlineTimer(std::min<qint64>(200, end.remainingTime())));
        values.insert(values.end(), chunk.begin(), chunk.begin() + count);
        total += count;
    }
    return total;
}

TEST(GaugeDevice, OwnGaugeConnectsReadsAndAveragesItsSeriesUntilItsStreamStops)
{
    // The gauge sends the samples of one second, 1440 of them, and then nothing more.
    Simulator sim({"owngauge", "--mark-ms", "300", "--gap-ms", "1000", "3600000"});
    auto device = MakeGaugeDevice(GaugeSettings(GaugeType::OwnGauge, sim.path()));
    ASSERT_EQ(device->open(), 0);
    EXPECT_EQ(device->name(), "Brintovale V3.10");
    EXPECT_EQ(device->serialNumber(), "BV2026-0042");
    EXPECT_EQ(WaitForMark(*device), 0);
    device->leaveReferenceMode();
    const GaugeReading reading = device->readOne();
    ASSERT_TRUE(reading.ok());
    EXPECT_NEAR(reading.mm, 0.5, 0.003);

    // 720 points a second: two samples a point, not one. The last sample waits for a look-ahead
    // byte that never comes: 1439 samples make 719 points, and the silence after them is a stop.
    std::vector<float> values;
    int16_t status = 0;
    {
        ASSERT_EQ(device->startSeries(2160, 720), 0);
        SeriesGuard guard(*device);
        FetchFor(*device, 20000, values, status); // until it fails
    }
    EXPECT_EQ(status, kStreamGap);
    EXPECT_EQ(values.size(), 719u);
    for (float mm : values)
        ASSERT_NEAR(mm, 0.5, 0.003);
    EXPECT_TRUE(device->readOne().ok()); // the stopped series left the line clean
}

TEST(GaugeDevice, OneReadingAfterAnotherGivesEachItsOwnValues)
{
    // Each stream serves one length, 0.1234 mm below the stream before, its bytes 10 ms late or
    // handed over every 32 ms (the tail of a reading is still on its way when it stops), or the
    // stream begun 20 ms late: each reading stops its stream and ends when the line goes quiet. A
    // stream left running for 1.5 s of its own samples, short of a reading's two-second limit,
    // hangs the gauge up and fails the reading after it.
    for (const char* adapter : {"--latency-ms 10", "--handover-ms 32 --latency-ms 5", "--start-late-ms 20"})
        for (const GaugeType type : {GaugeType::OwnGauge, GaugeType::Qc10}) {
            const bool qc10 = type == GaugeType::Qc10;
            SCOPED_TRACE(testing::Message() << (qc10 ? "QC10, " : "own gauge, ") << adapter);
            Simulator sim(QStringList{qc10 ? "qc10" : "owngauge", "--mark-ms", "0", "--step-mm", "-0.1234",
                                      "--hangup-in-stream", "1500"} +
                          QString::fromLatin1(adapter).split(u' '));
            Settings settings = GaugeSettings(type, sim.path());
            auto device = MakeGaugeDevice(settings);
            ASSERT_EQ(ConnectGauge(*device, settings, 5000), 0);
            for (int k = 1; k <= 10; ++k) {
                const int32_t served = 5000 - 1234 * k;
                const int32_t sent = qc10 ? *qc10::FirstReading(qc10::EncodeReading(served)) : served;
                const GaugeReading reading = device->readOne();
                ASSERT_EQ(std::tuple(reading.ok(), reading.mm, reading.outOfRange), std::tuple(true, float(sent / 1e4), false))
                    << "reading " << k;
            }
        }
}

// Stops the process and waits until it is stopped.
bool HoldUp(pid_t pid)
{
    if (::kill(pid, SIGSTOP) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    for (QDeadlineTimer limit(5000); !limit.hasExpired() && stat.open(QIODevice::ReadOnly);) {
        const bool stopped = stat.readAll().contains(") T ");
        stat.close();
        if (stopped)
            return true;
    }
    return false;
}

// The simulator held up, as a loaded machine holds it, from before a reading's stop until the
// program, after the line's silence, has asked for the next stream: nothing of the stopped stream
// comes after the silence, as nothing would from a gauge.
TEST(GaugeSimulator, HeldUpAtAStopNeverSendsTheStoppedStreamAfterTheSilence)
{
    for (const char* adapter : {"--latency-ms 10", "--handover-ms 32 --latency-ms 5"})
        for (const bool qc10 : {false, true}) {
            SCOPED_TRACE(testing::Message() << (qc10 ? "QC10, " : "own gauge, ") << adapter);
            Simulator sim(QStringList{qc10 ? "qc10" : "owngauge", "--step-mm", "-0.01"} +
                          QString::fromLatin1(adapter).split(u' '));
            const QByteArray stream = qc10 ? qc10::Command(qc10::kCmdStream) : QByteArray(1, owngauge::kCmdBegin) + owngauge::kCmdStream;
            const QByteArray stop = qc10 ? qc10::Command(qc10::kCmdStop) : QByteArray(1, owngauge::kCmdStop);
            SerialLink link;
            ASSERT_EQ(link.open(sim.path(), qc10 ? qc10::kBaudRate : owngauge::kBaudRate, 4096), 0);
            ASSERT_TRUE(link.write(stream) && link.waitForMoreThan(64, 5000));
            ASSERT_TRUE(HoldUp(static_cast<pid_t>(sim.processId())));
            // Quiet well past the program's 100 ms, and the commands given time to reach the
            // simulator's end of the terminal, which a loaded machine also holds up.
            link.write(stop);
            link.readUntilQuiet(500, 5000);
            link.write(stream);
            link.readUntilQuiet(300, 5000);
            ASSERT_EQ(::kill(static_cast<pid_t>(sim.processId()), SIGCONT), 0);
            ASSERT_TRUE(link.waitForMoreThan(64, 5000));
            const QByteArray bytes = link.readAll();
            qsizetype pos = 0;
            const auto record = owngauge::DecodeAt(bytes, pos);
            EXPECT_EQ(qc10 ? qc10::FirstReading(bytes) : (record ? std::optional(record->value) : std::nullopt),
                      qc10 ? qc10::FirstReading(qc10::EncodeReading(4800)) : 4800); // the second stream's
        }
}

TEST(GaugeDevice, OwnGaugeReadsLargeReadingsAsServed)
{
    // 4.1123 mm sends some of its records in five bytes.
    for (const char* mm : {"4.1123", "16.385", "-3.5"}) {
        Simulator sim({"owngauge", "--mark-ms", "0", "--rest-mm", mm});
        auto device = MakeGaugeDevice(GaugeSettings(GaugeType::OwnGauge, sim.path()));
        ASSERT_EQ(device->open(), 0);
        for (int i = 0; i < 2; ++i) {
            const GaugeReading reading = device->readOne();
            EXPECT_EQ(std::tuple(reading.ok(), reading.mm), std::tuple(true, float(std::lround(std::atof(mm) * 1e4) / 1e4)))
                << mm;
        }
    }
}

TEST(GaugeDevice, AutomaticDetectionTakesTheFirstAnsweringCandidate)
{
    Simulator silent({"owngauge", "--silent"});
    Simulator old({"owngauge", "--version", "V3.0"});
    Simulator good({"owngauge"});
    auto device = MakeGaugeDevice(GaugeSettings(GaugeType::OwnGauge, "/nonexistent/tty", true),
                                  {silent.path(), old.path(), good.path()});
    ASSERT_EQ(device->open(), 0);
    EXPECT_EQ(device->portFound(), good.path());

    // On its own configured port a gauge that answers at all is taken, whatever its version;
    // one that answers nothing is not, and no other port is tried.
    auto fixed = MakeGaugeDevice(GaugeSettings(GaugeType::OwnGauge, old.path(), false), {good.path()});
    EXPECT_EQ(fixed->open(), 0);
    EXPECT_EQ(fixed->name(), "Brintovale V3.0");
    EXPECT_FALSE(fixed->searchesPorts());
    auto mute = MakeGaugeDevice(GaugeSettings(GaugeType::OwnGauge, silent.path(), false), {good.path()});
    EXPECT_EQ(mute->open(), kGaugeNotAnswering);
    EXPECT_FALSE(mute->connected());
    EXPECT_EQ(mute->portFound(), "");

    // 80 ms between the bytes of "V3.10": the search's version check still takes it.
    Simulator slow({"owngauge", "--reply-gap-ms", "80"});
    auto patient = MakeGaugeDevice(GaugeSettings(GaugeType::OwnGauge, slow.path(), true), {});
    ASSERT_EQ(patient->open(), 0);
    EXPECT_TRUE(patient->searchesPorts());
    EXPECT_EQ(patient->name(), "Brintovale V3.10");
}

TEST(GaugeDevice, SilenceIsNeverAConnectionOrAnOldValue)
{
    for (const char* type : {"owngauge", "qc10"}) {
        const GaugeType gauge = QByteArray(type) == "qc10" ? GaugeType::Qc10 : GaugeType::OwnGauge;
        Simulator mute({type, "--silent"});
        auto device = MakeGaugeDevice(GaugeSettings(gauge, mute.path()));
        EXPECT_NE(device->open(), 0) << type;
        EXPECT_FALSE(device->connected());

        // Silent from its second stream on: the second reading fails.
        Simulator fading({type, "--silent-on-stream", "2"});
        device = MakeGaugeDevice(GaugeSettings(gauge, fading.path()));
        ASSERT_EQ(device->open(), 0) << type;
        EXPECT_TRUE(device->readOne().ok());
        const GaugeReading reading = device->readOne();
        EXPECT_EQ(reading.status, kGaugeTimeout) << type;
        // The failed reading closed the device: the next one says so at once.
        EXPECT_FALSE(device->connected()) << type;
        EXPECT_TRUE(reading.closing.ok());
        EXPECT_EQ(device->readOne().status, kGaugeNotConnected);
    }
}

TEST(GaugeDevice, Qc10HangingUpWhileAskedForItsSerialNumberIsClosedAtOnce)
{
    Simulator sim({"qc10", "--hangup-on-serial"});
    auto device = MakeGaugeDevice(GaugeSettings(GaugeType::Qc10, sim.path()));
    ASSERT_EQ(device->open(), 0);
    EXPECT_EQ(device->serialNumber(), std::nullopt);
    EXPECT_FALSE(device->connected());
}

TEST(GaugeDevice, UnpluggedPortFailsOnceWithinASecond)
{
    Simulator sim({"owngauge", "--hangup-in-stream", "500"});
    auto device = MakeGaugeDevice(GaugeSettings(GaugeType::OwnGauge, sim.path()));
    ASSERT_EQ(device->open(), 0);
    ASSERT_EQ(device->startSeries(100, 10), 0);
    SeriesGuard guard(*device);
    std::vector<float> values;
    int16_t status = 0;
    QElapsedTimer clock;
    clock.start();
    FetchFor(*device, 10000, values, status);
    EXPECT_EQ(status, AppError::kDeviceIoError);
    // The hang-up (half a second into the stream) ends the fetch, not the 10 s the test allows.
    EXPECT_LT(clock.elapsed(), 8000);
    EXPECT_FALSE(device->connected());
    int count = 0;
    EXPECT_EQ(device->fetchSeries(values, count, QDeadlineTimer(0)), kGaugeNotConnected);
}

TEST(GaugeDevice, ABlockLongerThanTheInputHoldsNeverFillsItNorItsCallersBuffer)
{
    // Every stream sends 3.05 s of samples, 30 points of 144 at 10 Hz, and falls silent.
    Simulator sim({"owngauge", "--gap-ms", "3050", "3600000"});
    auto device = MakeGaugeDevice(GaugeSettings(GaugeType::OwnGauge, sim.path()));
    ASSERT_EQ(device->open(), 0);
    std::vector<float> out(100);
    int count = 0;
    {
        ASSERT_EQ(device->startSeries(100, 10), 0);
        SeriesGuard guard(*device);
        // 16384 bytes of input hold under three seconds of streaming: one block of the whole stream
        // is taken in slices, every point of it, until the silence.
        EXPECT_EQ(device->fetchSeries(out, count, QDeadlineTimer(20000)), kStreamGap);
        EXPECT_EQ(count, 30);
    }
    // More points than the caller has room for: its buffer full, not the port's; the rest refused.
    ASSERT_EQ(device->startSeries(100, 10), 0);
    SeriesGuard guard(*device);
    std::vector<float> small(10);
    EXPECT_EQ(device->fetchSeries(small, count, QDeadlineTimer(20000)), kReadingBufferFull);
    EXPECT_EQ(count, 10);
}

TEST(GaugeDevice, Qc10ReadsOnAfterGarbageAndReportsItself)
{
    // Stray bytes half a second into the stream, which sends 500 samples (2 s) and then nothing.
    Simulator sim({"qc10", "--stray-ms", "500", "--gap-ms", "2000", "3600000"});
    auto device = MakeGaugeDevice(GaugeSettings(GaugeType::Qc10, sim.path()));
    ASSERT_EQ(device->open(), 0);
    EXPECT_EQ(device->name(), "Renishaw QC10 V4.02");
    EXPECT_EQ(device->serialNumber(), "Q10-2026-01");
    EXPECT_FALSE(device->batteryLow());
    ASSERT_EQ(device->startSeries(100, 25), 0); // 10 readings a point
    SeriesGuard guard(*device);
    std::vector<float> values;
    int16_t status = 0;
    FetchFor(*device, 20000, values, status); // until it fails
    EXPECT_EQ(status, kStreamGap);
    // The last reading waits for a byte after it that never comes. The point the stray bytes came
    // in (readings 120 to 129) reads not a number, as a lost byte would leave it; the rest as served.
    ASSERT_EQ(values.size(), 49u);
    for (std::size_t i = 0; i < values.size(); ++i)
        if (i == 12)
            EXPECT_TRUE(std::isnan(values[i]));
        else
            ASSERT_NEAR(values[i], 0.5, 0.003) << i;
}

TEST(GaugeDevice, BusyOrMissingPortDoesNotConnect)
{
    Simulator sim({"owngauge"});
    SerialLink holder;
    ASSERT_EQ(holder.open(sim.path(), 57600, 1024), 0);
    auto device = MakeGaugeDevice(GaugeSettings(GaugeType::OwnGauge, sim.path()));
    EXPECT_NE(device->open(), 0);
    EXPECT_FALSE(device->connected());
    auto missing = MakeGaugeDevice(GaugeSettings(GaugeType::Qc10, "/nonexistent/tty"));
    EXPECT_EQ(missing->open(), AppError::kFileNotFound);
}

TEST(GaugeDevice, Ik110SeriesIsEmulatedAndALateFetchIsReported)
{
    SetHeidLibraryPath(SARVOTEX_HEID_LIBRARY);
    qputenv("SARVOTEX_HEID_MARK_MS", "0");
    auto device = MakeGaugeDevice(GaugeSettings(GaugeType::Ik110, {}));
    ASSERT_EQ(device->open(), 0);
    EXPECT_EQ(device->name(), "Heidenhain IK110");
    EXPECT_EQ(WaitForMark(*device), 0);
    // Windows of 100 ms: a test stalled a few tens of milliseconds under load makes none late.
    ASSERT_EQ(device->startSeries(100, 10), 0); // 10 Hz
    std::vector<float> out(100);
    int count = 0;
    EXPECT_EQ(device->fetchSeries(out, count, QDeadlineTimer(300)), 0);
    EXPECT_NEAR(count, 3, 1);
    EXPECT_NEAR(out[0], 0.5, 0.006);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 250) { // more than two windows pass without a fetch
    }
    EXPECT_EQ(device->fetchSeries(out, count, QDeadlineTimer(0)), kIk110Late);
    device->close();
}

TEST(GaugeDevice, ACounterCardIsClosedByItsFailureWithItsClosingsStatus)
{
    SetHeidLibraryPath(SARVOTEX_HEID_LIBRARY);
    qputenv("SARVOTEX_HEID_MARK_MS", "0");
    qputenv("SARVOTEX_HEID_FAIL_AFTER", "3");
    qputenv("SARVOTEX_HEID_KILL_STATUS", "7");
    auto device = MakeGaugeDevice(GaugeSettings(GaugeType::Ik121, {}));
    ASSERT_EQ(device->open(), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(device->readOne().ok()) << i;
    const GaugeReading reading = device->readOne();
    EXPECT_EQ(reading.status, AppError::kDeviceIoError); // the stand-in's failure, 57
    EXPECT_EQ(reading.closing.status, 7);                // its closing's own status
    EXPECT_TRUE(reading.closing.failure.ok());
    EXPECT_FALSE(device->connected());
    EXPECT_TRUE(device->close().ok()); // nothing left to close
    for (const char* name : {"SARVOTEX_HEID_MARK_MS", "SARVOTEX_HEID_FAIL_AFTER", "SARVOTEX_HEID_KILL_STATUS"})
        qunsetenv(name);
}

TEST(GaugeDevice, EveryErrorNumberSpeaksGermanInTheShippedTableOfErrors)
{
    QTemporaryDir home;
    ASSERT_FALSE(OpenLanguageDatabase(home.path() + "/")); // created from the shipped script
    QList<int> numbers = StandardErrorNumbers();
    numbers << kGaugeNotAnswering << kGaugeTimeout << kIk110Late << kGaugeNotConnected << kHeidMarkNotCrossed
            << kBufferOverflow << kStreamGap << kGaugeOutOfRange << kUnreadableStream << kCounterCardOverflow
            << kReadingBufferFull << kStreamTooFast;
    const QList<int> databaseNumbers{AppError::kDatabaseError, casedb::kDatabaseReadOnly, casedb::kNotACaseDatabase};
    for (const int number : numbers + databaseNumbers) {
        SetTextLanguage("English");
        const QString english = TranslatedDeviceErrorText(int16_t(number));
        if (!databaseNumbers.contains(number)) { // in the program's own words
            EXPECT_EQ(english, DeviceErrorText(int16_t(number))) << number;
        }
        SetTextLanguage("German");
        const QString german = TranslatedDeviceErrorText(int16_t(number));
        EXPECT_FALSE(german.isEmpty()) << number;
        EXPECT_NE(german, english) << number;
    }
    SetTextLanguage("English");
    CloseLanguageDatabase();
}

// The windowless view: sarvotex-dump --gauge-read on the gauge of the program folder's settings.
struct DumpRun {
    int exitCode = -1;
    QString output;
};

DumpRun GaugeRead(const QString& configure, int readings)
{
    QTemporaryDir home;
    QFile ini(home.filePath("Sarvotex.ini"));
    EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(("[Configure]\n" + configure).toUtf8());
    ini.close();
    QProcess dump;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SARVOTEX_HOME", home.path());
    env.insert("SARVOTEX_HEID_MARK_MS", "200");
    dump.setProcessEnvironment(env);
    dump.start(SARVOTEX_DUMP, {"--gauge-read", QString::number(readings)});
    EXPECT_TRUE(dump.waitForFinished(60000));
    return {dump.exitCode(), QString::fromUtf8(dump.readAllStandardOutput() + dump.readAllStandardError())};
}

double ReadingOf(const QString& output, int i)
{
    const QString name = QStringLiteral("Gauge.Reading(%1) = ").arg(i);
    const qsizetype at = output.indexOf(name);
    return at < 0 ? -1 : output.mid(at + name.size()).section(u'\n', 0, 0).toDouble();
}

TEST(GaugeReadView, PrintsEachSimulatedGauge)
{
    Simulator own({"owngauge", "--mark-ms", "200"});
    Simulator qc10({"qc10"});
    const struct {
        QString configure;
        const char* head;
        double tolerance;
    } gauges[] = {
        {"Ball Bar Type=3\nCommunication=" + own.path() + "\nAutoDetect=0\n",
         "Gauge.Version = \"Brintovale V3.10\"\nGauge.Serial = \"BV2026-0042\"\n", 0.003},
        {"Ball Bar Type=0\nCommunication=" + qc10.path() + "\n",
         "Gauge.Version = \"Renishaw QC10 V4.02\"\nGauge.Serial = \"Q10-2026-01\"\n", 0.003},
        {"Ball Bar Type=2\nSerial Number=HB-77\n", // the cards report no serial number
         "Gauge.Version = \"Heidenhain IK121\"\nGauge.Serial = \"HB-77\"\n", 0.006},
    };
    for (const auto& gauge : gauges) {
        const DumpRun run = GaugeRead(gauge.configure, 2);
        EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
        EXPECT_TRUE(run.output.startsWith("Gauge.Connected = true\n" + QString::fromUtf8(gauge.head)))
            << run.output.toStdString();
        EXPECT_NEAR(ReadingOf(run.output, 1), 0.5, gauge.tolerance);
        EXPECT_NEAR(ReadingOf(run.output, 2), 0.5, gauge.tolerance);
    }

    const DumpRun run = GaugeRead("Ball Bar Type=0\nCommunication=/nonexistent/tty\n", 1);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.startsWith("Gauge.Connected = false\n")) << run.output.toStdString();
}

} // namespace
} // namespace sarvo::gauge
