#pragma once
// The trend: one stored result of the analysed cases followed over time for a plane, optionally
// one machine, and a date range. The query reads the summary rows of the stored cases (values
// bound, never spliced into the statement); the builder turns them into the chart model (one
// point per session, one series per feedrate and one for static cases) and the table (one row per
// case), pure and in one pass.

#include "casedb/case_store.h"
#include "casedb/stored_cases.h"
#include "core/units.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace sarvo::casedb {

inline constexpr char kTrendQueryLocation[] = "Drawing history";
inline constexpr int kTrendResultCount = int(kTrendResultColumns.size());
// "Circularity LSC", chosen when the window opens.
inline constexpr int kDefaultTrendResult = 6;

// Which display unit a result is shown in.
enum class TrendUnit { Small, Large, ScaleError, Percent, ArcSeconds, Feedrate };
// The plane axis a result's caption names.
enum class TrendAxis { None, Horizontal, Vertical };

struct TrendResultOption {
    const char* caption; // English, as the window lists it
    TrendUnit unit;
    TrendAxis axis;
};
// In the order of kTrendResultColumns.
const TrendResultOption& TrendResult(int index);

// The caption with its axis letter changed to the plane's: a caption that begins with "x ", "y "
// or "z " gets the letter first, any other one last.
QString WithAxisLetter(const QString& caption, QChar letter);
// The caption of a result for a plane ("xy", "yz", "xz"), from its (translated) caption.
QString CaptionForPlane(const QString& caption, TrendAxis axis, const QString& plane);

// The factor from the stored value to the display unit, the number pattern and the unit caption.
struct TrendScale {
    double factor = 1;
    QString format;
    QString unitCaption;
};
TrendScale ScaleOf(TrendUnit unit, const UnitState& units);

struct TrendRequest {
    QString plane;
    QString machine; // empty: every machine
    QDate from;      // first test day
    QDate to;        // last test day, included
};

struct TrendRows {
    std::vector<StoredCaseSummary> cases; // the analysed cases, in date order
    std::vector<double> feedrates;        // every distinct feedrate in the range, analysed or not
};

// The machine names of the stored cases, in order; raises AppError as QueryTrend does.
QStringList StoredMachines(const CaseStore& store);

// Raises AppError on an engine failure or a closed store.
TrendRows QueryTrend(const CaseStore& store, const TrendRequest& request);

// The query as a readable statement in the engine's syntax, texts quoted with "'" doubled, for
// the clipboard.
QString TrendStatementText(const TrendRequest& request);

// A feedrate as the trend compares it: the nearest whole number, a half to the even one.
long long WholeFeedrate(double feedrate);

enum class TrendSpacing { Fixed, Variable };

struct TrendCell {
    bool filled = false; // a case sits on it
    double value = 0;    // display unit; a case without the value leaves 0
    double days = 0;     // whole days from the earliest case (variable spacing)
};

struct TrendSeries {
    QString legend;
    std::vector<TrendCell> cells; // one per point
};

// The chart model: empty (no series, no points) when there is nothing to draw.
struct TrendChart {
    std::vector<TrendSeries> series;
    std::vector<QString> pointLabels; // one per point; dates with fixed spacing, else empty
    QString title;
    QString caption;
    QString unit;
    TrendSpacing spacing = TrendSpacing::Fixed;

    int pointCount() const { return int(pointLabels.size()); }
    bool empty() const { return series.empty() || pointLabels.empty(); }
};

struct TrendTable {
    QStringList headers;               // session, date, type, feedrate, the result
    std::vector<QStringList> rows;     // one per case, session by session
};

struct TrendOptions {
    int result = kDefaultTrendResult;
    QString resultCaption; // the caption as the window shows it (translated, plane's axis)
    TrendSpacing spacing = TrendSpacing::Fixed;
};

struct TrendView {
    TrendChart chart;
    TrendTable table;
};

// Fewer than two analysed cases give an empty chart and a table of headers only.
TrendView BuildTrend(const TrendRows& rows, const TrendRequest& request, const TrendOptions& options,
                     const UnitState& units, const QLocale& locale = QLocale());

// Whole days from one local time to a later one, counted on the wall clock, so a change of
// daylight-saving time between them moves nothing.
int WholeDaysBetween(const QDateTime& from, const QDateTime& to);

} // namespace sarvo::casedb
