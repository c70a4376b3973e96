// A gauge on a pseudo-terminal, for the tests and for trying the program without hardware:
//   sarvotex-gauge-sim owngauge|qc10 [options]
// prints the terminal's path on its first line and serves the gauge's protocol there, pacing its
// bytes at the line's rate, until it is ended. The length is 0.5 mm + 2 µm·cos(2π t / 2 s).
// Every fault it plays is tied to what the program asked of it (a stream asked for, a command),
// and timed within a stream by the stream's own samples, never by a clock started beside it. Held
// up itself by a loaded machine, it never sends a stopped stream's bytes after a silence no line
// makes, as the port of a real gauge would have had them in time:
//   --mark-ms N            the reference mark is crossed N ms after the start
//   --version TEXT, --serial TEXT   its replies
//   --silent               never answers
//   --silent-on-stream K   goes silent (answers nothing, streams nothing) when asked for its K-th
//                          stream, for good or, with --silent-for N, for N ms
//   --hangup-on-stream K   hangs up when asked for its K-th stream, as an unplugged cable
//   --hangup-in-stream N   hangs up once a stream has sent N ms of samples
//   --hangup-on-serial     hangs up when asked for its serial number
//   --reply-gap-ms N       the bytes of its text replies come that far apart, as from a slow gauge
//   --gap-ms START LENGTH  in every stream the samples from START ms for LENGTH ms are never sent:
//                          the gauge falls silent and goes on
//   --stray-ms N           three stray bytes (--stray-bytes K: K of them, up to three) in every
//                          stream after its samples of the first N ms (mid-run with --arc-ms),
//                          which shift every later own-gauge record; with --stray-on-stream K only in
//                          its K-th stream
//   --lose-ms N            the first sample at or after N ms of every stream (fractions allowed) loses
//                          its first byte (with the CR that escapes it), which shifts every later
//                          own-gauge record back by a byte (after stray bytes: back into step);
//                          with --lose-on-stream K only in its K-th stream
//   --count-zero-ms START LENGTH  the QC10 sends count 0, the top end of its range, from START ms of
//                          every stream for LENGTH ms
//   --arc-ms START LENGTH  a circle run in every stream, timed by its samples: from START ms after
//                          the stream began, for LENGTH ms (fractions allowed), the length is
//                          0.4 mm rising by 10 µm (--arc-rise-mm X: by X) over the arc, then rest
//   --feed-mm-min F        the bar feeds onto the circle before the arc and off it after it at F
//                          mm/min, as a test program's feed-in and feed-out move it (without it the
//                          bar is on the circle at once)
//   --rest-mm X            the bar rests still at X mm instead of 0.5 mm swinging 2 µm either way
//   --offset-mm X          every length it sends is X mm more (X may be negative)
//   --step-mm X            each stream sends one length throughout: 0.5 mm + k·X in its k-th stream
//   --latency-ms N         its bytes reach the line N ms late, as a USB serial adapter holds them
//   --handover-ms N        its bytes reach the program in lumps every N ms, as such an adapter hands
//                          them over
//   --slow-percent P       its clock runs P % slow: its samples, and the line's bytes with them
//   --start-late-ms N      each stream begins N ms after it was asked for

#include "gauge/own_gauge_codec.h"
#include "gauge/qc10_codec.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace sarvo::gauge;
using Clock = std::chrono::steady_clock;

// A line never falls silent for longer than an adapter holds its bytes, plus this much. A simulator
// that did was itself held up (a loaded machine), and the program may since have taken the
// silence after a stop for the end of the stream: the stopped stream's bytes still held back are
// then never sent, so they cannot turn up as another stream's.
constexpr double kHeldUpMs = 40;

struct Options {
    bool qc10 = false;
    long markMs = 1000;
    std::string version;
    std::string serial;
    bool silent = false;
    long silentOnStream = 0; // 0: never
    long silentForMs = -1;   // -1: for good
    long hangupOnStream = 0;
    long hangupInStreamMs = -1;
    bool hangupOnSerial = false;
    long replyGapMs = 0;
    long gapStartMs = -1;
    long gapLengthMs = 0;
    double strayMs = -1;
    long strayBytes = 3;
    long strayOnStream = 0; // 0: every stream
    double loseMs = -1;
    long loseOnStream = 0;  // 0: every stream
    double countZeroStartMs = -1;
    double countZeroLengthMs = 0;
    double arcStartMs = -1;
    double arcLengthMs = 0;
    int32_t arcRise = 100;  // 0.1 µm
    double feedMmPerMin = 0; // 0: no feed-in
    bool restStill = false;
    int32_t rest = 5000;    // 0.1 µm, with restStill
    int32_t offset = 0;     // 0.1 µm
    int32_t step = 0;       // 0.1 µm; 0: no steps
    long latencyMs = 0;
    long handoverMs = 0;
    double clockShare = 1;  // of the nominal rate, with a slow clock
    long startLateMs = 0;
};

double Ms(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

int32_t RestingLengthAt(const Options& options, double ms) // 0.1 µm
{
    if (options.restStill)
        return options.rest;
    return 5000 + static_cast<int32_t>(std::lround(20.0 * std::cos(2.0 * 3.14159265358979323846 * ms / 2000.0)));
}

// The length of the stream's sample taken streamMs after it began, inside the arc, if it is.
bool ArcLengthAt(const Options& options, double streamMs, int32_t& value)
{
    const double intoArc = streamMs - options.arcStartMs;
    if (options.arcStartMs < 0 || intoArc < 0 || intoArc >= options.arcLengthMs)
        return false;
    value = 4000 + static_cast<int32_t>(std::lround(options.arcRise * intoArc / options.arcLengthMs));
    return true;
}

// The length of a sample on the feed-in before the arc or the feed-out after it, if it is: the
// way between the rest and the arc's end at the feed.
bool FeedLengthAt(const Options& options, double streamMs, int32_t rest, int32_t& value)
{
    if (options.arcStartMs < 0 || options.feedMmPerMin <= 0)
        return false;
    const double tenthsPerMs = options.feedMmPerMin / 60000.0 * 1e4;
    const double nominalRest = options.restStill ? options.rest : 5000;
    // share: of the way from the rest to the arc's end
    const auto along = [&](int32_t arcEnd, double share) {
        value = static_cast<int32_t>(std::lround(rest + (arcEnd - rest) * share));
        return true;
    };
    const double inMs = std::fabs(4000 - nominalRest) / tenthsPerMs;
    const double intoFeedIn = streamMs - (options.arcStartMs - inMs);
    if (intoFeedIn >= 0 && streamMs < options.arcStartMs)
        return along(4000, intoFeedIn / inMs);
    const int32_t arcLast = 4000 + options.arcRise;
    const double outMs = std::fabs(arcLast - nominalRest) / tenthsPerMs;
    const double intoFeedOut = streamMs - (options.arcStartMs + options.arcLengthMs);
    if (intoFeedOut >= 0 && intoFeedOut < outMs)
        return along(arcLast, 1.0 - intoFeedOut / outMs);
    return false;
}

bool InGap(const Options& options, double streamMs)
{
    return options.gapStartMs >= 0 && streamMs >= static_cast<double>(options.gapStartMs) &&
           streamMs < static_cast<double>(options.gapStartMs) + static_cast<double>(options.gapLengthMs);
}

class Simulator {
public:
    explicit Simulator(const Options& options) : options_(options)
    {
        if (options_.silent)
            silentFromMs_ = 0;
    }

    int run(int master)
    {
        const int baud = options_.qc10 ? qc10::kBaudRate : owngauge::kBaudRate;
        const double bytesPerMs = baud / 10.0 / 1000.0 * options_.clockShare; // 8N1: ten bits a byte
        const double samplesPerSecond = options_.qc10 ? 1000.0 / qc10::kMsPerSample : owngauge::kSamplesPerSecond;
        // A second of the line's bytes: after a stall the gauge's backlog goes out at once, as a
        // gauge that never stalls would have sent it.
        const double budgetLimit = bytesPerMs * 1000.0;
        double sentBudget = 0;
        Clock::time_point last = Clock::now();
        bool lookedAgain = false;
        for (;;) {
            const double now = Ms(start_);
            if (hangup_)
                return 0;
            pollfd fd{master, POLLIN, 0};
            if (poll(&fd, 1, 1) > 0 && (fd.revents & POLLIN)) {
                char buffer[256];
                const ssize_t n = read(master, buffer, sizeof buffer);
                for (ssize_t i = 0; i < n && !hangup_; ++i)
                    if (!silentAt(Ms(start_)))
                        command(buffer[i]);
            }
            if (hangup_)
                return 0;
            if (streaming_ && silentAt(now))
                streaming_ = false;
            if (streaming_)
                streamDueSamples(samplesPerSecond);
            if (hangup_)
                return 0;
            if (!slowReply_.empty() && now >= nextReplyByteMs_) {
                send(slowReply_.substr(0, 1));
                slowReply_.erase(0, 1);
                nextReplyByteMs_ = now + static_cast<double>(options_.replyGapMs);
            }
            while (!held_.empty() && held_.front().first <= Ms(start_)) {
                queue_ += held_.front().second;
                held_.pop_front();
            }
            // An adapter hands over what it holds only now and then.
            if (options_.handoverMs > 0) {
                if (now < nextHandoverMs_)
                    continue;
                nextHandoverMs_ = now + static_cast<double>(options_.handoverMs);
            }
            // Held up since the commands were read: read them once more first, a stop may wait there.
            if (Ms(start_) - now > kHeldUpMs && !lookedAgain) {
                lookedAgain = true;
                continue;
            }
            lookedAgain = false;
            // Pace at the line's rate.
            const Clock::time_point t = Clock::now();
            sentBudget = std::min(sentBudget + std::chrono::duration<double, std::milli>(t - last).count() * bytesPerMs,
                                  budgetLimit);
            last = t;
            if (stoppedTail_ > 0 && Ms(start_) - lastWriteMs_ > static_cast<double>(options_.handoverMs) + kHeldUpMs)
                dropStoppedTail();
            const auto chunk = std::min<size_t>(queue_.size(), static_cast<size_t>(sentBudget));
            if (chunk > 0) {
                // Timed before the write: a process held up is most often held as a call returns.
                const double writtenMs = Ms(start_);
                const ssize_t written = write(master, queue_.data(), chunk);
                if (written > 0) {
                    queue_.erase(0, static_cast<size_t>(written));
                    sentBudget -= static_cast<double>(written);
                    stoppedTail_ -= std::min(stoppedTail_, static_cast<size_t>(written));
                    lastWriteMs_ = writtenMs;
                }
            }
        }
    }

private:
    bool silentAt(double ms) const
    {
        return silentFromMs_ >= 0 && ms >= silentFromMs_ &&
               (options_.silentForMs < 0 || ms < silentFromMs_ + static_cast<double>(options_.silentForMs));
    }

    // The gauge stops streaming; the bytes it has sent are still on their way.
    void stopStream()
    {
        if (!streaming_)
            return;
        streaming_ = false;
        stoppedTail_ = queue_.size();
        for (const auto& held : held_)
            stoppedTail_ += held.second.size();
    }

    // The stopped stream's bytes not yet on the line, which lead the queue and then the held ones.
    void dropStoppedTail()
    {
        const size_t fromQueue = std::min(stoppedTail_, queue_.size());
        queue_.erase(0, fromQueue);
        stoppedTail_ -= fromQueue;
        while (stoppedTail_ > 0 && !held_.empty()) {
            std::string& bytes = held_.front().second;
            const size_t n = std::min(stoppedTail_, bytes.size());
            bytes.erase(0, n);
            stoppedTail_ -= n;
            if (bytes.empty())
                held_.pop_front();
        }
        stoppedTail_ = 0;
    }

    // Bytes on their way to the line, late by the latency.
    void send(const std::string& bytes)
    {
        if (options_.latencyMs > 0)
            held_.emplace_back(Ms(start_) + static_cast<double>(options_.latencyMs), bytes);
        else
            queue_ += bytes;
    }

    void reply(const std::string& text)
    {
        if (options_.replyGapMs > 0) {
            if (slowReply_.empty())
                nextReplyByteMs_ = Ms(start_);
            slowReply_ += text;
        } else {
            send(text);
        }
    }

    // The samples whose time in the stream has come.
    void streamDueSamples(double samplesPerSecond)
    {
        // A slow clock sends its samples later; each is the sample it is by its own clock.
        const auto due = static_cast<long>(std::floor(Ms(streamStart_) * samplesPerSecond * options_.clockShare / 1000.0));
        for (; samplesSent_ < due && queue_.size() < 65536; ++samplesSent_) {
            // Whole numbers of samples over the rate: sample 1440 of the own gauge is at 1000 ms.
            const double streamMs = static_cast<double>(samplesSent_) * 1000.0 / samplesPerSecond;
            if (options_.hangupInStreamMs >= 0 && streamMs >= static_cast<double>(options_.hangupInStreamMs)) {
                hangup_ = true;
                return;
            }
            if (!straySent_ && options_.strayMs >= 0 && streamMs >= options_.strayMs &&
                (options_.strayOnStream == 0 || streams_ == options_.strayOnStream)) {
                send(std::string("\x11\x22\x33", static_cast<size_t>(options_.strayBytes)));
                straySent_ = true;
            }
            if (InGap(options_, streamMs))
                continue;
            int32_t value = 0;
            const int32_t rest = RestingLengthAt(options_, streamBeganMs_ + streamMs);
            if (options_.step != 0)
                value = 5000 + static_cast<int32_t>(streams_) * options_.step;
            else if (!ArcLengthAt(options_, streamMs, value) && !FeedLengthAt(options_, streamMs, rest, value))
                value = rest;
            value += options_.offset;
            const double intoCountZero = streamMs - options_.countZeroStartMs;
            std::string sample;
            if (options_.qc10 && options_.countZeroStartMs >= 0 && intoCountZero >= 0 && intoCountZero < options_.countZeroLengthMs)
                sample = std::string("\x00\x80", 2);
            else
                sample = options_.qc10 ? qc10::EncodeReading(value).toStdString() : owngauge::EncodeRecord(value).toStdString();
            if (!loseDone_ && options_.loseMs >= 0 && streamMs >= options_.loseMs &&
                (options_.loseOnStream == 0 || streams_ == options_.loseOnStream)) {
                sample.erase(0, sample.size() > 1 && sample[0] == '\r' && sample[1] == '\n' ? 2 : 1);
                loseDone_ = true;
            }
            send(sample);
        }
    }

    // A stream asked for: the faults tied to it, else the stream.
    void askForStream()
    {
        ++streams_;
        if (options_.hangupOnStream > 0 && streams_ == options_.hangupOnStream) {
            hangup_ = true;
            return;
        }
        if (options_.silentOnStream > 0 && streams_ == options_.silentOnStream) {
            silentFromMs_ = Ms(start_);
            streaming_ = false;
            return;
        }
        streaming_ = true;
        streamStart_ = Clock::now() + std::chrono::milliseconds(options_.startLateMs);
        streamBeganMs_ = Ms(start_) + static_cast<double>(options_.startLateMs);
        samplesSent_ = 0;
        straySent_ = false;
        loseDone_ = false;
    }

    void command(char c)
    {
        if (options_.qc10) {
            if (c == '\r' || c == '\n')
                return; // the terminator
            switch (c) {
            case qc10::kCmdStream: askForStream(); break;
            case qc10::kCmdStop: stopStream(); break;
            case qc10::kCmdVersion: reply(options_.version.empty() ? "QC10 V4.02\r\n" : options_.version + "\r\n"); break;
            case qc10::kCmdSerial:
                if (options_.hangupOnSerial)
                    hangup_ = true;
                else
                    reply((options_.serial.empty() ? "Q10-2026-01" : options_.serial) + std::string(1, '\0'));
                break;
            default: break;
            }
            return;
        }
        switch (c) {
        case owngauge::kCmdBegin: begun_ = true; break;
        case owngauge::kCmdStream:
            if (begun_)
                askForStream();
            begun_ = false;
            break;
        case owngauge::kCmdStop: stopStream(); break;
        case owngauge::kCmdVersion: reply(options_.version.empty() ? "V3.10\r\n" : options_.version + "\r\n"); break;
        case owngauge::kCmdSerial:
            if (options_.hangupOnSerial)
                hangup_ = true;
            else
                reply(options_.serial.empty() ? "BV2026-0042" : options_.serial);
            break;
        case owngauge::kCmdEnterReference: referenceMode_ = true; break;
        case owngauge::kCmdLeaveReference: referenceMode_ = false; break;
        case owngauge::kCmdReferenceCheck:
            reply(referenceMode_ && Ms(start_) >= static_cast<double>(options_.markMs) ? "X" : "-");
            break;
        default: break;
        }
    }

    Options options_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point streamStart_;
    double streamBeganMs_ = 0; // the same, ms after the start
    long streams_ = 0;
    long samplesSent_ = 0;
    bool streaming_ = false;
    bool straySent_ = false;
    bool loseDone_ = false;
    bool begun_ = false;
    bool referenceMode_ = false;
    double silentFromMs_ = -1;
    std::string queue_;
    size_t stoppedTail_ = 0;  // bytes at the head of the line's way that a stopped stream sent
    double lastWriteMs_ = 0;
    std::deque<std::pair<double, std::string>> held_; // bytes not yet on the line, with their time
    std::string slowReply_; // a text reply sent a byte at a time
    double nextReplyByteMs_ = 0;
    double nextHandoverMs_ = 0;
    bool hangup_ = false;
};

int32_t TenthsOfMicrometre(const char* mm)
{
    return static_cast<int32_t>(std::lround(std::strtod(mm, nullptr) * 10000.0));
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (argc < 2 || (std::strcmp(argv[1], "owngauge") != 0 && std::strcmp(argv[1], "qc10") != 0)) {
        std::fprintf(stderr, "usage: sarvotex-gauge-sim owngauge|qc10 [--mark-ms N] [--version TEXT] [--serial TEXT] "
                             "[--silent] [--silent-on-stream K [--silent-for N]] [--hangup-on-stream K] "
                             "[--hangup-in-stream N] [--hangup-on-serial] [--reply-gap-ms N] [--gap-ms START LENGTH] "
                             "[--stray-ms N [--stray-bytes K] [--stray-on-stream K]] [--lose-ms N [--lose-on-stream K]] "
                             "[--count-zero-ms START LENGTH] [--arc-ms START LENGTH [--arc-rise-mm X] [--feed-mm-min F]] [--rest-mm X] [--offset-mm X] "
                             "[--step-mm X] [--latency-ms N] [--handover-ms N] [--slow-percent P] [--start-late-ms N]\n");
        return 2;
    }
    options.qc10 = std::strcmp(argv[1], "qc10") == 0;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--silent")
            options.silent = true;
        else if (arg == "--silent-on-stream" && hasValue)
            options.silentOnStream = std::atol(argv[++i]);
        else if (arg == "--silent-for" && hasValue)
            options.silentForMs = std::atol(argv[++i]);
        else if (arg == "--hangup-on-stream" && hasValue)
            options.hangupOnStream = std::atol(argv[++i]);
        else if (arg == "--hangup-in-stream" && hasValue)
            options.hangupInStreamMs = std::atol(argv[++i]);
        else if (arg == "--hangup-on-serial")
            options.hangupOnSerial = true;
        else if (arg == "--reply-gap-ms" && hasValue)
            options.replyGapMs = std::atol(argv[++i]);
        else if (arg == "--mark-ms" && hasValue)
            options.markMs = std::atol(argv[++i]);
        else if (arg == "--version" && hasValue)
            options.version = argv[++i];
        else if (arg == "--serial" && hasValue)
            options.serial = argv[++i];
        else if (arg == "--stray-ms" && hasValue)
            options.strayMs = std::strtod(argv[++i], nullptr);
        else if (arg == "--lose-ms" && hasValue)
            options.loseMs = std::strtod(argv[++i], nullptr);
        else if (arg == "--lose-on-stream" && hasValue)
            options.loseOnStream = std::atol(argv[++i]);
        else if (arg == "--feed-mm-min" && hasValue)
            options.feedMmPerMin = std::strtod(argv[++i], nullptr);
        else if (arg == "--stray-bytes" && hasValue)
            options.strayBytes = std::clamp(std::atol(argv[++i]), 1L, 3L);
        else if (arg == "--stray-on-stream" && hasValue)
            options.strayOnStream = std::atol(argv[++i]);
        else if (arg == "--count-zero-ms" && i + 2 < argc) {
            options.countZeroStartMs = std::strtod(argv[++i], nullptr);
            options.countZeroLengthMs = std::strtod(argv[++i], nullptr);
        } else if (arg == "--gap-ms" && i + 2 < argc) {
            options.gapStartMs = std::atol(argv[++i]);
            options.gapLengthMs = std::atol(argv[++i]);
        } else if (arg == "--arc-ms" && i + 2 < argc) {
            options.arcStartMs = std::strtod(argv[++i], nullptr);
            options.arcLengthMs = std::strtod(argv[++i], nullptr);
        } else if (arg == "--arc-rise-mm" && hasValue)
            options.arcRise = TenthsOfMicrometre(argv[++i]);
        else if (arg == "--rest-mm" && hasValue) {
            options.restStill = true;
            options.rest = TenthsOfMicrometre(argv[++i]);
        } else if (arg == "--handover-ms" && hasValue)
            options.handoverMs = std::atol(argv[++i]);
        else if (arg == "--slow-percent" && hasValue)
            options.clockShare = 1.0 - std::strtod(argv[++i], nullptr) / 100.0;
        else if (arg == "--start-late-ms" && hasValue)
            options.startLateMs = std::atol(argv[++i]);
        else if (arg == "--offset-mm" && hasValue)
            options.offset = TenthsOfMicrometre(argv[++i]);
        else if (arg == "--step-mm" && hasValue)
            options.step = TenthsOfMicrometre(argv[++i]);
        else if (arg == "--latency-ms" && hasValue)
            options.latencyMs = std::atol(argv[++i]);
        else {
            std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    // Our own end of the terminal stays open, so the line lives between two clients.
    std::printf("%s\n", ttyname(slave));
    std::fflush(stdout);
    const int result = Simulator(options).run(master);
    close(master); // hang up
    close(slave);
    return result;
}
