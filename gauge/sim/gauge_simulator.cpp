// A gauge on a pseudo-terminal, for the tests and for trying the program without hardware:
//   sarvotex-gauge-sim owngauge|qc10 [--mark-ms N] [--version TEXT] [--serial TEXT] [--silent]
//                      [--silent-ms N [--silent-for N]] [--garbage-ms N] [--stray-ms N] [--hangup-ms N]
//                      [--hangup-on-serial] [--reply-gap-ms N] [--arc-ms START LENGTH]
// prints the terminal's path on its first line and serves the gauge's protocol there, pacing its
// bytes at the line's rate, until it is ended (or hangs up at --hangup-ms, as an unplugged cable).
// The length is 0.5 mm + 2 µm·cos(2π t / 2 s). --mark-ms: time until the reference mark is
// crossed; --silent: never answers; --silent-ms: stops answering and streaming then (for
// --silent-for ms, then answers again); --garbage-ms: six stray bytes once at that time;
// --stray-ms: three stray bytes in every stream, after its samples of the first N ms (mid-run
// with --arc-ms), which shift every later own-gauge record;
// --hangup-on-serial: hangs up when asked for its serial number; --reply-gap-ms: the bytes of its
// text replies come that far apart, as from a slow gauge.
// --arc-ms: a circle run in every stream, timed by its samples: from START ms after the stream
// began, for LENGTH ms, the length is 0.4 mm rising by 10 µm over the arc, then rest again.

#include "gauge/own_gauge_codec.h"
#include "gauge/qc10_codec.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace sarvo::gauge;
using Clock = std::chrono::steady_clock;

struct Options {
    bool qc10 = false;
    long markMs = 1000;
    std::string version;
    std::string serial;
    long silentMs = -1; // 0: never answers
    long silentForMs = -1; // -1: for good
    long garbageMs = -1;
    long strayMs = -1;
    long hangupMs = -1;
    bool hangupOnSerial = false;
    long replyGapMs = 0;
    long arcStartMs = -1;
    long arcLengthMs = 0;
};

double Ms(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

int32_t LengthAt(double ms) // 0.1 µm
{
    return 5000 + static_cast<int32_t>(std::lround(20.0 * std::cos(2.0 * 3.14159265358979323846 * ms / 2000.0)));
}

// The length of the stream's sample taken streamMs after it began, inside the arc, if it is.
bool ArcLengthAt(const Options& options, double streamMs, int32_t& value)
{
    const double intoArc = streamMs - static_cast<double>(options.arcStartMs);
    if (options.arcStartMs < 0 || intoArc < 0 || intoArc >= static_cast<double>(options.arcLengthMs))
        return false;
    value = 4000 + static_cast<int32_t>(std::lround(100.0 * intoArc / static_cast<double>(options.arcLengthMs)));
    return true;
}

class Simulator {
public:
    explicit Simulator(const Options& options) : options_(options) {}

    int run(int master)
    {
        const int baud = options_.qc10 ? qc10::kBaudRate : owngauge::kBaudRate;
        const double bytesPerMs = baud / 10.0 / 1000.0; // 8N1: ten bits a byte
        const double msPerSample = options_.qc10 ? qc10::kMsPerSample : 1000.0 / owngauge::kSamplesPerSecond;
        double sentBudget = 0;
        Clock::time_point last = Clock::now();
        bool garbageSent = false;
        for (;;) {
            const double now = Ms(start_);
            if ((options_.hangupMs >= 0 && now >= options_.hangupMs) || hangup_)
                return 0;
            pollfd fd{master, POLLIN, 0};
            if (poll(&fd, 1, 1) > 0 && (fd.revents & POLLIN)) {
                char buffer[256];
                const ssize_t n = read(master, buffer, sizeof buffer);
                if (n > 0 && !silentAt(now))
                    for (ssize_t i = 0; i < n; ++i)
                        command(buffer[i]);
            }
            if (streaming_ && silentAt(now))
                streaming_ = false;
            if (streaming_) {
                const long due = static_cast<long>((Ms(streamStart_)) / msPerSample);
                for (; samplesSent_ < due && queue_.size() < 65536; ++samplesSent_) {
                    if (!straySent_ && options_.strayMs >= 0 &&
                        static_cast<double>(samplesSent_) * msPerSample >= static_cast<double>(options_.strayMs)) {
                        queue_ += std::string("\x11\x22\x33", 3);
                        straySent_ = true;
                    }
                    int32_t value = 0;
                    if (!ArcLengthAt(options_, static_cast<double>(samplesSent_) * msPerSample, value))
                        value = LengthAt(Ms(start_));
                    queue_ += options_.qc10 ? qc10::EncodeReading(value).toStdString()
                                            : owngauge::EncodeRecord(value).toStdString();
                }
            }
            if (!slowReply_.empty() && now >= nextReplyByteMs_) {
                queue_ += slowReply_.front();
                slowReply_.erase(0, 1);
                nextReplyByteMs_ = now + static_cast<double>(options_.replyGapMs);
            }
            if (!garbageSent && options_.garbageMs >= 0 && now >= options_.garbageMs) {
                queue_ += std::string("\x81\x82\x83\x01\x02\x03", 6); // no pair of them fits a reading
                garbageSent = true;
            }
            // Pace at the line's rate.
            const Clock::time_point t = Clock::now();
            sentBudget = std::min(sentBudget + std::chrono::duration<double, std::milli>(t - last).count() * bytesPerMs,
                                  64.0);
            last = t;
            const auto chunk = std::min<size_t>(queue_.size(), static_cast<size_t>(sentBudget));
            if (chunk > 0) {
                const ssize_t written = write(master, queue_.data(), chunk);
                if (written > 0) {
                    queue_.erase(0, static_cast<size_t>(written));
                    sentBudget -= static_cast<double>(written);
                }
            }
        }
    }

private:
    bool silentAt(double ms) const
    {
        return options_.silentMs >= 0 && ms >= options_.silentMs &&
               (options_.silentForMs < 0 || ms < static_cast<double>(options_.silentMs + options_.silentForMs));
    }
    void reply(const std::string& text)
    {
        if (options_.replyGapMs > 0) {
            if (slowReply_.empty())
                nextReplyByteMs_ = Ms(start_);
            slowReply_ += text;
        } else {
            queue_ += text;
        }
    }

    void startStream()
    {
        streaming_ = true;
        streamStart_ = Clock::now();
        samplesSent_ = 0;
        straySent_ = false;
    }

    void command(char c)
    {
        if (options_.qc10) {
            if (c == '\r' || c == '\n')
                return; // the terminator
            switch (c) {
            case qc10::kCmdStream: startStream(); break;
            case qc10::kCmdStop: streaming_ = false; break;
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
                startStream();
            begun_ = false;
            break;
        case owngauge::kCmdStop: streaming_ = false; break;
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
            reply(referenceMode_ && Ms(start_) >= options_.markMs ? "X" : "-");
            break;
        default: break;
        }
    }

    Options options_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point streamStart_;
    long samplesSent_ = 0;
    bool streaming_ = false;
    bool straySent_ = false;
    bool begun_ = false;
    bool referenceMode_ = false;
    std::string queue_;
    std::string slowReply_; // a text reply sent a byte at a time
    double nextReplyByteMs_ = 0;
    bool hangup_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (argc < 2 || (std::strcmp(argv[1], "owngauge") != 0 && std::strcmp(argv[1], "qc10") != 0)) {
        std::fprintf(stderr, "usage: sarvotex-gauge-sim owngauge|qc10 [--mark-ms N] [--version TEXT] [--serial TEXT] "
                             "[--silent] [--silent-ms N [--silent-for N]] [--garbage-ms N] [--stray-ms N] [--hangup-ms N] "
                             "[--hangup-on-serial] [--reply-gap-ms N] [--arc-ms START LENGTH]\n");
        return 2;
    }
    options.qc10 = std::strcmp(argv[1], "qc10") == 0;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--silent")
            options.silentMs = 0;
        else if (arg == "--silent-ms" && hasValue)
            options.silentMs = std::atol(argv[++i]);
        else if (arg == "--silent-for" && hasValue)
            options.silentForMs = std::atol(argv[++i]);
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
        else if (arg == "--garbage-ms" && hasValue)
            options.garbageMs = std::atol(argv[++i]);
        else if (arg == "--stray-ms" && hasValue)
            options.strayMs = std::atol(argv[++i]);
        else if (arg == "--hangup-ms" && hasValue)
            options.hangupMs = std::atol(argv[++i]);
        else if (arg == "--arc-ms" && i + 2 < argc) {
            options.arcStartMs = std::atol(argv[++i]);
            options.arcLengthMs = std::atol(argv[++i]);
        }
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
