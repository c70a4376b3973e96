// Stand-in for the counter-card vendor library HEID: the same seven calls, simulating an IK110 or
// IK121 card with a ball bar. Plain C++, no Qt. The bar's scenario comes from the environment at
// each initialisation, so a person can try the program and a test can set up a case:
//   SARVOTEX_HEID_INIT_STATUS  status of the initialisation (default 0)
//   SARVOTEX_HEID_MARK_MS      ms after the initialisation until the reference mark is crossed
//                              (default 2000; 320 is returned until then)
//   SARVOTEX_HEID_FAIL_MS      ms after which every call fails (default: never)
//   SARVOTEX_HEID_FAIL_AFTER   the card answers this many readings and series fetches, then every
//                              call fails (default: never)
//   SARVOTEX_HEID_FAIL_STATUS  the status of either failure (default 57)
//   SARVOTEX_HEID_KILL_STATUS  the status HeidKillComm returns (default 0); the card closes anyway
//   SARVOTEX_HEID_ARC_MS       "START LENGTH": a circle run in every series, from START ms after
//                              the series began, for LENGTH ms: 0.4 mm rising by 10 µm. The
//                              IK110 has no series call: its series is the readings the program
//                              polls one after the other, less than 100 ms apart; a circle once
//                              begun runs on by its own clock, however late the next poll comes
//   SARVOTEX_HEID_ODD_POLLS    "START MM COUNT": in every IK110 series, the COUNT readings polled
//                              from START ms after it began read MM (a reading no bar gives)
// The length is 0.5 mm + 5 µm·sin(2π t / 1 s), t in ms since the initialisation. Each
// initialisation starts the scenario afresh. Built with HEID_STANDIN_WITHOUT_KILL it lacks
// HeidKillComm, with HEID_STANDIN_WITHOUT_GET_ONE HeidGetOneMeas, as a broken installation would.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#define HEID_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int16_t kOk = 0;
constexpr int16_t kMarkNotCrossed = 320;
constexpr int16_t kOverflow = 513;
constexpr int16_t kBadHandle = 5;
constexpr int kCards = 2;
// Readings of an IK110 further apart than this are no series: the next one begins another.
constexpr double kIk110SeriesPauseMs = 100;

using Clock = std::chrono::steady_clock;

struct Card {
    bool open = false;
    bool ik110 = false;
    Clock::time_point start;
    long markMs = 2000;
    long failMs = -1;
    long answersLeft = -1; // -1: no end
    int16_t failStatus = 57;
    int16_t killStatus = 0;
    double arcStartMs = -1;
    double arcLengthMs = 0;
    double oddPollsStartMs = -1;
    float oddPollMm = 0;
    long oddPolls = 0;
    long oddPollsLeft = 0; // of the present series
    // The running series, written into the caller's buffer at each fetch.
    float* series = nullptr;
    int16_t seriesSize = 0;
    double seriesIntervalMs = 0;
    Clock::time_point seriesStart;
    long seriesDelivered = 0;
    // The IK110's polled series: when it began and the last reading, ms since the initialisation.
    double polledSeriesStartMs = 0;
    double lastReadingMs = -1;
};

Card g_cards[kCards];

long EnvNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

double ElapsedMs(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

float LengthAt(double ms)
{
    return static_cast<float>(0.5 + 0.005 * std::sin(2.0 * 3.14159265358979323846 * ms / 1000.0));
}

bool InArc(const Card& card, double seriesMs)
{
    const double intoArc = seriesMs - card.arcStartMs;
    return card.arcStartMs >= 0 && intoArc >= 0 && intoArc < card.arcLengthMs;
}

// The series value seriesMs after the series began, on the circle while the arc lasts.
float SeriesLengthAt(const Card& card, double sinceInitMs, double seriesMs)
{
    if (!InArc(card, seriesMs))
        return LengthAt(sinceInitMs);
    return static_cast<float>(0.4 + 0.01 * (seriesMs - card.arcStartMs) / card.arcLengthMs);
}

Card* CardOf(int16_t handle)
{
    if (handle < 1 || handle > kCards || !g_cards[handle - 1].open)
        return nullptr;
    return &g_cards[handle - 1];
}

// The card's state now: 0, or the failure or missing mark.
int16_t CardStatus(const Card& card)
{
    const double ms = ElapsedMs(card.start);
    if ((card.failMs >= 0 && ms >= card.failMs) || card.answersLeft == 0)
        return card.failStatus;
    return ms < card.markMs ? kMarkNotCrossed : kOk;
}

// A reading or a series fetch answered: one fewer before the card fails, when it is to.
void CountAnswer(Card& card)
{
    if (card.answersLeft > 0)
        --card.answersLeft;
}

int16_t Open(int16_t* handle, bool ik110)
{
    if (!handle)
        return kBadHandle;
    const int16_t status = static_cast<int16_t>(EnvNumber("SARVOTEX_HEID_INIT_STATUS", 0));
    if (status != kOk)
        return status;
    for (int i = 0; i < kCards; ++i)
        if (!g_cards[i].open) {
            Card& card = g_cards[i];
            card = Card{};
            card.open = true;
            card.ik110 = ik110;
            card.start = Clock::now();
            card.markMs = EnvNumber("SARVOTEX_HEID_MARK_MS", 2000);
            card.failMs = EnvNumber("SARVOTEX_HEID_FAIL_MS", -1);
            card.answersLeft = EnvNumber("SARVOTEX_HEID_FAIL_AFTER", -1);
            card.failStatus = static_cast<int16_t>(EnvNumber("SARVOTEX_HEID_FAIL_STATUS", 57));
            card.killStatus = static_cast<int16_t>(EnvNumber("SARVOTEX_HEID_KILL_STATUS", 0));
            if (const char* arc = std::getenv("SARVOTEX_HEID_ARC_MS")) {
                char* rest = nullptr;
                card.arcStartMs = std::strtod(arc, &rest);
                card.arcLengthMs = std::strtod(rest, nullptr);
            }
            if (const char* odd = std::getenv("SARVOTEX_HEID_ODD_POLLS")) {
                char* rest = nullptr;
                card.oddPollsStartMs = std::strtod(odd, &rest);
                card.oddPollMm = std::strtof(rest, &rest);
                card.oddPolls = std::strtol(rest, nullptr, 10);
            }
            *handle = static_cast<int16_t>(i + 1);
            return kOk;
        }
    return kBadHandle;
}

} // namespace

HEID_EXPORT int16_t Heid110InitComm(int32_t /*baseAddress*/, int16_t /*axis*/, int16_t* handle)
{
    return Open(handle, true);
}

HEID_EXPORT int16_t Heid121InitComm(int16_t /*ioAddress*/, int16_t /*irq*/, int16_t /*axis*/, int16_t* handle)
{
    return Open(handle, false);
}

#ifndef HEID_STANDIN_WITHOUT_GET_ONE
HEID_EXPORT int16_t HeidGetOneMeas(int16_t handle, float* mm, int16_t /*mode*/)
{
    Card* card = CardOf(handle);
    if (!card || !mm)
        return kBadHandle;
    const int16_t status = CardStatus(*card);
    if (status != kOk)
        return status;
    CountAnswer(*card);
    const double ms = ElapsedMs(card->start);
    if (!card->ik110) {
        *mm = LengthAt(ms);
        return kOk;
    }
    if (card->lastReadingMs < 0 || (ms - card->lastReadingMs > kIk110SeriesPauseMs &&
                                    !InArc(*card, card->lastReadingMs - card->polledSeriesStartMs))) {
        card->polledSeriesStartMs = ms;
        card->oddPollsLeft = card->oddPolls;
    }
    card->lastReadingMs = ms;
    const double seriesMs = ms - card->polledSeriesStartMs;
    if (card->oddPollsStartMs >= 0 && seriesMs >= card->oddPollsStartMs && card->oddPollsLeft > 0) {
        --card->oddPollsLeft;
        *mm = card->oddPollMm;
        return kOk;
    }
    *mm = SeriesLengthAt(*card, ms, seriesMs);
    return kOk;
}
#endif

// One value per 4·quarterInterval ms into buffer[0..bufferSize-1]; the last argument is unused.
HEID_EXPORT int16_t H121StartSerieMeas(int16_t handle, float* buffer, int16_t bufferSize,
                                       int16_t quarterInterval, int16_t /*reserved*/)
{
    Card* card = CardOf(handle);
    if (!card || !buffer || bufferSize <= 0 || quarterInterval <= 0)
        return kBadHandle;
    const int16_t status = CardStatus(*card);
    if (status != kOk)
        return status;
    card->series = buffer;
    card->seriesSize = bufferSize;
    card->seriesIntervalMs = 4.0 * quarterInterval;
    card->seriesStart = Clock::now();
    card->seriesDelivered = 0;
    return kOk;
}

// The values due since the last fetch, at most the buffer's size; more due than fit is 513
// (the surplus is lost, as on the card).
HEID_EXPORT int16_t H121GetSerieMeasData(int16_t handle, int16_t* count)
{
    Card* card = CardOf(handle);
    if (!card || !count || !card->series)
        return kBadHandle;
    *count = 0;
    const int16_t status = CardStatus(*card);
    if (status != kOk)
        return status;
    CountAnswer(*card);
    const double elapsed = ElapsedMs(card->seriesStart);
    const long due = static_cast<long>(elapsed / card->seriesIntervalMs) - card->seriesDelivered;
    const long stored = due < card->seriesSize ? due : card->seriesSize;
    const double startMs = std::chrono::duration<double, std::milli>(card->seriesStart - card->start).count();
    for (long i = 0; i < stored; ++i) {
        const double seriesMs = (card->seriesDelivered + i + 1) * card->seriesIntervalMs;
        card->series[i] = SeriesLengthAt(*card, startMs + seriesMs, seriesMs);
    }
    card->seriesDelivered += due;
    *count = static_cast<int16_t>(stored);
    return due > stored ? kOverflow : kOk;
}

HEID_EXPORT int16_t H121StopSerieMeas(int16_t handle)
{
    Card* card = CardOf(handle);
    if (!card)
        return kBadHandle;
    card->series = nullptr;
    card->seriesSize = 0;
    return kOk;
}

#ifndef HEID_STANDIN_WITHOUT_KILL
HEID_EXPORT int16_t HeidKillComm(int16_t handle)
{
    Card* card = CardOf(handle);
    if (!card)
        return kBadHandle;
    const int16_t status = card->killStatus;
    *card = Card{};
    return status;
}
#endif
