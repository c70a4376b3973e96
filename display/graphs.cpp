#include "display/graphs.h"

#include "analysis/angles.h"
#include "analysis/trig_tables.h"
#include "core/app_error.h"
#include "core/language_db.h"
#include "core/number_format.h"

#include <QLocale>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace sarvo::display {

namespace {

const QColor kNominalCircle(0xC0, 0xC0, 0xC0);
const QColor kInk(0x00, 0x00, 0x00);
const QColor kZoneCircles(0x00, 0x80, 0x00);

// The filter value of the old option buttons: a trace of direction d shows when d + filter != 0.
int FilterValue(DirectionFilter filter)
{
    switch (filter) {
    case DirectionFilter::Cw:
        return -1;
    case DirectionFilter::Ccw:
        return 1;
    case DirectionFilter::Both:
        break;
    }
    return 0;
}

bool Passes(int direction, int filter)
{
    return direction + filter != 0;
}

QColor TraceColour(int direction, const GraphRequest& request)
{
    return direction < 0 ? request.cw : request.ccw;
}

// A double as single precision; beyond the range it is infinite rather than undefined.
float Single(double v)
{
    if (std::abs(v) > double(FLT_MAX))
        return v > 0 ? INFINITY : -INFINITY;
    return static_cast<float>(v);
}

// Pixel coordinates were 16-bit integers, rounded half to even; a point that does not fit was a
// failing statement, skipped inside a trace.
std::optional<double> Pixel16(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = std::nearbyint(v);
    if (r < -32768 || r > 32767)
        return std::nullopt;
    return r;
}

std::optional<QPointF> PixelPoint(double x, double y)
{
    const auto px = Pixel16(x);
    const auto py = Pixel16(y);
    if (!px || !py)
        return std::nullopt;
    return QPointF(*px, *py);
}

// A point of the linear graph in its user units, unless it lies so far off the picture (a
// thousand pictures) that it cannot be drawn.
std::optional<QPointF> ScalePoint(const Canvas& canvas, double x, double y)
{
    constexpr double kFarOff = 1e6;
    const QPointF device = canvas.toDevice(QPointF(x, y));
    if (!(std::abs(device.x()) <= kFarOff) || !(std::abs(device.y()) <= kFarOff))
        return std::nullopt;
    return QPointF(x, y);
}

// One trace: a point that cannot be drawn is skipped, and the trace goes on from the last one
// that could.
class Trace {
public:
    explicit Trace(Canvas& canvas) : canvas_(canvas) {}
    void start(const std::optional<QPointF>& p)
    {
        if (p) {
            canvas_.moveTo(*p);
            started_ = true;
        }
    }
    void to(const std::optional<QPointF>& p)
    {
        if (!p)
            return;
        if (started_)
            canvas_.lineTo(*p);
        else
            canvas_.moveTo(*p);
        started_ = true;
    }

private:
    Canvas& canvas_;
    bool started_ = false;
};

// Where a point of a trace lands: its angle in degrees and its deviation in mm.
using TracePoint = std::function<std::optional<QPointF>(double angle, double value)>;

// The measured runs that pass the filter, width 2 in the colour of their direction, from point
// firstPoint on (the polar graph draws to its first point once more, the linear graph does not),
// closed back to the start when asked.
void DrawRuns(Canvas& canvas, const CaseData& d, const GraphRequest& request, int filter, int firstPoint, bool closed,
              const TracePoint& at)
{
    canvas.setDrawWidth(2);
    for (int r = 1; r <= d.RunCount; ++r) {
        const int direction = d.RunDirection[static_cast<std::size_t>(r)];
        if (!Passes(direction, filter))
            continue;
        canvas.setDrawStyle(DrawStyle::Solid);
        canvas.setForeColor(TraceColour(direction, request));
        Trace trace(canvas);
        const auto first = at(d.StartAngle, d.Readings(r, 0));
        trace.start(first);
        for (int p = firstPoint; p < d.RunTargets[static_cast<std::size_t>(r)]; ++p)
            trace.to(at(Single(d.StartAngle + p * d.AngleStep), d.Readings(r, p)));
        if (closed)
            trace.to(first);
    }
}

// The model traces that pass the filter, width 1, at every analysis step up to last; a value
// beyond limit marks the outcome (the scale stays).
void DrawModel(Canvas& canvas, const Case& c, const GraphRequest& request, int filter, int last, bool closed,
               float limit, GraphOutcome& outcome, const TracePoint& at)
{
    const AnalysisResults& results = c.Results;
    const int start = c.Data.StartAngle;
    canvas.setDrawWidth(1);
    for (int curve = 1; curve <= results.AnalysisCurveCount; ++curve) {
        const int direction = results.AnalysisCurveDir[static_cast<std::size_t>(curve)];
        if (!Passes(direction, filter))
            continue;
        canvas.setDrawStyle(DrawStyle::Solid);
        canvas.setForeColor(TraceColour(direction, request));
        Trace trace(canvas);
        const auto first = at(start, results.AnalysisCurve(curve - 1, start));
        trace.start(first);
        for (int degree = start + results.AnalysisStep; degree <= last; degree += results.AnalysisStep) {
            const float v = results.AnalysisCurve(curve - 1, degree);
            if (std::abs(v) > limit)
                outcome.modelClipped = true;
            trace.to(at(degree, v));
        }
        if (closed)
            trace.to(first);
    }
}

AppError InvalidCase(const QString& text)
{
    return AppError(AppError::kSubscriptOutOfRange, text);
}

} // namespace

void CheckGraphCase(const Case& c, bool measured, bool analysis)
{
    const CaseData& d = c.Data;
    if (d.RunCount < 0 || d.RunCount > kMaxRuns)
        throw InvalidCase(QStringLiteral("The case has %1 runs; a graph shows 0 to %2.").arg(d.RunCount).arg(kMaxRuns));
    for (int r = 1; r <= d.RunCount; ++r) {
        const int targets = d.RunTargets[static_cast<std::size_t>(r)];
        if (targets < 0 || targets > kPointSlots)
            throw InvalidCase(QStringLiteral("Run %1 has %2 points; a run holds 0 to %3.").arg(r).arg(targets).arg(kPointSlots));
    }
    for (const int angle : {int(d.StartAngle), int(d.StopAngle)}) {
        if (angle < AnalysisCurveTable::kFirstDegree || angle > AnalysisCurveTable::kLastDegree)
            throw InvalidCase(QStringLiteral("The arc from %1 to %2 degrees leaves the range %3 to %4 degrees.")
                                  .arg(d.StartAngle)
                                  .arg(d.StopAngle)
                                  .arg(AnalysisCurveTable::kFirstDegree)
                                  .arg(AnalysisCurveTable::kLastDegree));
    }
    if (d.SweepAngle == 0)
        return; // the frame only: no trace is read
    if (measured && d.RunCount > 0 && (!std::isfinite(d.AngleStep) || d.AngleStep == 0))
        throw AppError::invalidCall(QStringLiteral("The case's angle step between points is %1.").arg(d.AngleStep));
    if (analysis) {
        const AnalysisResults& r = c.Results;
        if (r.AnalysisCurveCount < 0 || r.AnalysisCurveCount > AnalysisCurveTable::kTraces)
            throw InvalidCase(QStringLiteral("The analysis has %1 model traces; a graph shows 0 to %2.")
                                  .arg(r.AnalysisCurveCount)
                                  .arg(AnalysisCurveTable::kTraces));
        if (r.AnalysisCurveCount > 0 && r.AnalysisStep < 1)
            throw AppError::invalidCall(QStringLiteral("The model traces' step is %1 degrees.").arg(r.AnalysisStep));
    }
}

double ZoneCircleDeviation(const Case& c, double zone, int theta)
{
    const CircleResult& mzc = c.Results.MzcResult;
    const CircleResult& lsc = c.Results.LscResult;
    // x0 is negated and the y adds on a y-down page: the circles move right and up by the
    // centre's offset.
    const float x0 = Single(-(mzc.CentreH - lsc.CentreH) / 1000);
    const float y0 = Single((mzc.CentreV - lsc.CentreV) / 1000);
    const float radius = Single(zone / 1000 + c.Data.TestRadius);
    const double dx = radius * CosDeg(theta) - x0;
    const double dy = radius * SinDeg(theta) - y0;
    return std::sqrt(dx * dx + dy * dy) - lsc.Radius;
}

namespace {

// Whether a measured point of a shown run lies beyond limit on either side. Readings that are
// not numbers cannot be drawn and do not count.
bool MeasuredBeyond(const CaseData& d, int filter, float limit, int firstPoint)
{
    for (int r = 1; r <= d.RunCount; ++r) {
        const auto i = static_cast<std::size_t>(r);
        if (!Passes(d.RunDirection[i], filter))
            continue;
        for (int p = firstPoint; p < d.RunTargets[i]; ++p) {
            const double v = d.Readings(r, p);
            if (std::isfinite(v) && std::abs(Single(v)) > limit)
                return true;
        }
    }
    return false;
}

void MakePolarGraph(Canvas& canvas, const Case& c, double graphScale, const GraphRequest& request,
                    GraphOutcome& outcome)
{
    const CaseData& d = c.Data;
    canvas.setDrawWidth(1);
    canvas.setPixelScale();
    const int filter = FilterValue(request.filter);

    const float s = Single(graphScale / 1000);
    const double width = canvas.scaleWidth();
    const double height = canvas.scaleHeight();
    const double size = width < height ? width : height;
    const float k = Single(size / (s * 10.5));
    const auto cxr = Pixel16(width / 2);
    const auto cyr = Pixel16(height / 2);
    if (!cxr || !cyr)
        throw AppError::overflow();
    const double cx = *cxr;
    const double cy = *cyr;
    const float z = 3 * s;
    const double sk = double(s) * k;

    canvas.setDrawStyle(DrawStyle::Solid);
    canvas.setDrawWidth(1);
    canvas.setForeColor(kNominalCircle);
    canvas.circle(QPointF(cx, cy), double(z) * k);

    // Split axes with their letters; the labels' top-left corners are given.
    canvas.setFontBold(true);
    canvas.setForeColor(kInk);
    const QString plane = c.Header[HdrPlane];
    const QString across = plane.left(1);
    const QString up = plane.right(1);
    const bool xz = plane == QLatin1String("xz");
    const auto label = [&canvas](const QString& text, double x, double y) {
        canvas.moveTo(QPointF(x, y));
        canvas.print(text);
    };
    QString text = across + u'-';
    label(text, cx - 5 * sk, cy - 1.1 * canvas.textHeight(text));
    canvas.line(QPointF(cx - 5 * sk, cy), QPointF(cx - sk, cy));
    canvas.line(QPointF(cx + sk, cy), QPointF(cx + 5 * sk, cy));
    text = across + u'+';
    label(text, cx + 5 * sk - canvas.textWidth(text), cy - 1.1 * canvas.textHeight(text));
    text = up + (xz ? u'-' : u'+');
    label(text, cx + 0.1 * canvas.textWidth(text), cy - 5 * sk);
    canvas.line(QPointF(cx, cy - 5 * sk), QPointF(cx, cy - sk));
    canvas.line(QPointF(cx, cy + sk), QPointF(cx, cy + 5 * sk));
    text = up + (xz ? u'+' : u'-');
    label(text, cx + 0.1 * canvas.textWidth(text), cy + 5 * sk - canvas.textHeight(text));

    // Ticks every division from -5 to +5, a fifth of a division long.
    canvas.setFontBold(false);
    canvas.setForeColor(kInk);
    const double half = double(s) / 10 * k;
    float t = -5 * s;
    for (int i = 0; i < 11; ++i, t += s) {
        const double at = double(t) * k;
        canvas.line(QPointF(cx - half, cy + at), QPointF(cx + half, cy + at));
        canvas.line(QPointF(cx + at, cy - half), QPointF(cx + at, cy + half));
    }

    if (d.SweepAngle == 0)
        return;
    const bool closed = d.SweepAngle == 360;

    if (request.showMeasured)
        DrawRuns(canvas, d, request, filter, 0, closed, [&](double theta, double v) {
            const double rho = double(z) + v;
            return PixelPoint(cx + rho * CosDeg(theta) * k, cy - rho * SinDeg(theta) * k);
        });
    if (request.showAnalysis) {
        const int last = closed ? d.StopAngle - 1 : d.StopAngle;
        DrawModel(canvas, c, request, filter, last, closed, z, outcome, [&](double angle, double value) {
            const int degree = int(angle);
            const float rho = z + float(value);
            return PixelPoint(float(cx) + rho * CosTab(degree) * k, float(cy) - rho * SinTab(degree) * k);
        });
    }
}

// The two circles of the minimum zone over the polar graph just drawn, about the zone's centre:
// x0 is negated and the screen y adds, so the circles move right and up by the centre's offset.
void DrawMzcCircles(Canvas& canvas, const Case& c, double graphScale)
{
    const CircleResult& mzc = c.Results.MzcResult;
    canvas.setPixelScale();
    const double width = canvas.scaleWidth();
    const double height = canvas.scaleHeight();
    const float cx = Single(width / 2);
    const float cy = Single(height / 2);
    const double size = width < height ? width : height;
    const float k = Single(size / (graphScale * 10.5));

    canvas.setDrawStyle(DrawStyle::Solid);
    canvas.setDrawWidth(1);
    canvas.setForeColor(kZoneCircles);
    for (const double zone : {mzc.Min, mzc.Max}) {
        const auto at = [&](int theta) {
            const double e = ZoneCircleDeviation(c, zone, theta) * 1000;
            const double rho = e + 3 * graphScale;
            return PixelPoint(cx + rho * k * CosDeg(theta), cy + rho * k * SinDeg(theta));
        };
        Trace trace(canvas);
        trace.start(at(0));
        for (int theta = 0; theta <= 360; ++theta)
            trace.to(at(theta));
    }
}

void MakeLinearGraph(Canvas& canvas, const Case& c, double graphScale, const GraphRequest& request,
                     const UnitState& units, GraphOutcome& outcome)
{
    const CaseData& d = c.Data;
    canvas.setDrawWidth(1);
    const int filter = FilterValue(request.filter);
    const float s3 = Single(3 * graphScale / 1000);
    const float g = Single(graphScale / 1000);

    // A zero sweep would give the scale no width: its frame spans a full circle instead.
    const bool traces = d.SweepAngle != 0;
    const int start = d.StartAngle;
    const int sweep = traces ? d.SweepAngle : 360;
    const int stop = traces ? d.StopAngle : start + sweep;

    canvas.setScaleHeight(-7 * graphScale / 1000);
    canvas.setScaleTop(3.5 * graphScale / 1000);
    canvas.setScaleWidth(1.1 * sweep);
    canvas.setScaleLeft(start - 0.05 * sweep);

    canvas.setDrawStyle(DrawStyle::Solid);
    canvas.setDrawWidth(1);
    canvas.setFontBold(false);
    canvas.setFontSize(8);
    canvas.setForeColor(kInk);

    canvas.line(QPointF(start, 0), QPointF(stop, 0));
    canvas.line(QPointF(stop, -s3), QPointF(stop, s3));

    // The labels are placed with the frame but written after the traces, each on the back
    // colour: the traces, with their steps at the axis reversals, run through where the angle
    // labels stand below the zero line.
    struct Label {
        QPointF topLeft;
        QString text;
    };
    std::vector<Label> labels;

    // Deviation labels right-aligned left of the axis, centred on their divisions.
    const float step = float(sweep) / 100;
    const double labelX = stop - 2 * double(step);
    const double h = 0.5 * canvas.textHeight(QStringLiteral("DD"));
    float y = g;
    for (int division = 1; division <= 3; ++division, y += g) {
        QString text = FormatNumber(double(y) * 1000 * units.SmallFactor, units.SmallFormat, QLocale());
        labels.push_back({QPointF(labelX - canvas.textWidth(text), y + h), text});
        canvas.line(QPointF(stop - step, y), QPointF(stop + step, y));
        text = u'-' + text;
        labels.push_back({QPointF(labelX - canvas.textWidth(text), -y + h), text});
        canvas.line(QPointF(stop - step, -y), QPointF(stop + step, -y));
    }

    // Angle ticks and labels (centred below the tick's lower end) at the multiples of 90 within
    // the arc.
    const double t = graphScale / 20000;
    const int first = int(std::floor((start - 1) / 90.0 + 1)) * 90;
    for (int x = first; x <= stop - 1; x += 90) {
        canvas.line(QPointF(x, t), QPointF(x, -t));
        const QString text = FormatNumber(x, QStringLiteral("###0"), QLocale());
        labels.push_back({QPointF(x - canvas.textWidth(text) / 2, -t), text});
    }

    if (traces) {
        const TracePoint at = [&](double angle, double value) { return ScalePoint(canvas, Single(angle), value); };
        if (request.showMeasured)
            DrawRuns(canvas, d, request, filter, 1, false, at);
        if (request.showAnalysis)
            DrawModel(canvas, c, request, filter, sweep == 360 ? stop - 1 : stop, false, s3, outcome, at);
    }

    // The scale runs upward: a text hangs down from its top edge. Its box reaches half a blank
    // beyond either side, so that no trace ends on a digit; above and below, the text's line
    // leaves room enough.
    canvas.setForeColor(kInk);
    const double margin = canvas.textWidth(QStringLiteral(" ")) / 2;
    for (const Label& label : labels) {
        const QPointF topLeft(label.topLeft.x() - margin, label.topLeft.y());
        const QPointF bottomRight(label.topLeft.x() + canvas.textWidth(label.text) + margin,
                                  label.topLeft.y() - canvas.textHeight(label.text));
        canvas.fillBox(QRectF(topLeft, bottomRight), Canvas::backColor());
        canvas.moveTo(label.topLeft);
        canvas.print(label.text);
    }
}

} // namespace

double AutoGraphScale(const CaseData& d, const UnitState& units, bool unitsInch)
{
    // The largest deviation as single precision holds it, over every run whatever the filter.
    double largest = 0;
    const int runs = std::clamp<int>(d.RunCount, 0, kMaxRuns);
    for (int r = 1; r <= runs; ++r) {
        const int targets = std::clamp<int>(d.RunTargets[static_cast<std::size_t>(r)], 0, kPointSlots);
        for (int p = 0; p < targets; ++p) {
            const double v = std::abs(d.Readings(r, p));
            if (!std::isfinite(v))
                continue;
            const double single = v > double(FLT_MAX) ? v : double(Single(v));
            if (single > largest)
                largest = single;
        }
    }
    const float v = Single(largest) * 1000.0f / 3.0f; // µm per division with it at 3 divisions
    const double beyondSteps = largest * 1000 / 2.9;

    if (!unitsInch) {
        if (v > 200)
            return beyondSteps;
        static constexpr std::pair<float, double> kMetric[] = {{100, 200}, {50, 100}, {20, 50}, {10, 20}, {5, 10}, {2, 5}};
        for (const auto& [above, scale] : kMetric) {
            if (v > above)
                return scale;
        }
        return 2;
    }

    const double factor = units.SmallFactor > 0 && std::isfinite(units.SmallFactor) ? units.SmallFactor : 1.0 / 25400;
    const double w = double(v) * factor;
    if (w > 0.01)
        return beyondSteps;
    static constexpr std::pair<double, double> kInch[] = {{0.005, 0.01},    {0.002, 0.005},   {0.001, 0.002},
                                                          {0.0005, 0.001},  {0.0002, 0.0005}, {0.0001, 0.0002}};
    for (const auto& [above, scale] : kInch) {
        if (w > above)
            return scale / factor;
    }
    return 0.0001 / factor;
}

double UsableGraphScale(double graphScale)
{
    const double division = graphScale / 1000;
    if (!std::isfinite(graphScale) || !(graphScale > 0) || division < double(FLT_MIN) || division > double(FLT_MAX) / 1000)
        return 10;
    return graphScale;
}

GraphOutcome DrawGraphPicture(Canvas& canvas, const Case& c, double& graphScale, const GraphRequest& request,
                              const UnitState& units, bool unitsInch)
{
    // Cleared first, so that a case that cannot be drawn leaves no earlier graph behind.
    canvas.setPixelScale();
    canvas.clear();
    CheckGraphCase(c, request.showMeasured, request.showAnalysis);

    GraphOutcome outcome;
    double scale = UsableGraphScale(graphScale);
    const CaseData& d = c.Data;
    if (request.showMeasured && d.SweepAngle != 0) {
        const float limit = request.polar ? 3 * Single(scale / 1000) : Single(3 * scale / 1000);
        if (MeasuredBeyond(d, FilterValue(request.filter), limit, request.polar ? 0 : 1)) {
            outcome.clipped = true;
            const double fitted = AutoGraphScale(d, units, unitsInch);
            if (UsableGraphScale(fitted) == fitted) {
                scale = fitted;
                graphScale = fitted;
                outcome.rescaled = fitted;
            }
        }
    }

    if (request.polar) {
        MakePolarGraph(canvas, c, scale, request, outcome);
        if (request.showMzc)
            DrawMzcCircles(canvas, c, scale);
    } else {
        MakeLinearGraph(canvas, c, scale, request, units, outcome);
    }
    outcome.clipped = outcome.clipped || outcome.modelClipped;
    return outcome;
}

QString OriginalGraphCaption(bool combined)
{
    if (combined)
        return Translate(QStringLiteral("Original Measurement")) + QStringLiteral(" & ") +
               Translate(QStringLiteral("Analysis Result")) + u' ' + Translate(QStringLiteral("Graph"));
    return Translate(QStringLiteral("Original Measurement")) + u' ' + Translate(QStringLiteral("Graph"));
}

QString GraphScaleText(double graphScale, const UnitState& units)
{
    return FormatNumber(graphScale * units.SmallFactor, units.SmallFormat, QLocale());
}

} // namespace sarvo::display
