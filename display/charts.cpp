#include "display/charts.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <utility>
#include <cmath>

namespace sarvo::display {

namespace {

const QColor kBackground(Qt::white);
const QColor kInk(Qt::black);
const QColor kGrid(220, 220, 220);
const QColor kBar(40, 90, 180);
const QColor kLine(Qt::blue);

using Axis = ValueAxis;

QString AxisNumber(double value, int decimals)
{
    return QLocale().toString(value, 'f', decimals);
}

// The fewest decimals (up to 2) that show every value exactly.
int DecimalsFor(const std::vector<double>& values)
{
    for (int decimals = 0; decimals < 2; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        const bool exact = std::all_of(values.begin(), values.end(), [scale](double v) {
            const double scaled = v * scale;
            return std::abs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, std::abs(scaled));
        });
        if (exact)
            return decimals;
    }
    return 2;
}

QFontMetricsF MetricsFor(const QFont& font, const QPaintDevice* device)
{
    return device ? QFontMetricsF(font, device) : QFontMetricsF(font);
}

// Room around the chart and between its parts, in units of the text height.
struct Spacing {
    double line;   // one text line
    double margin; // around the chart
    double tick;   // tick length
};

Spacing SpacingOf(const QFontMetricsF& fm)
{
    const double line = fm.height();
    return {line, line * 0.5, line * 0.3};
}

// The axis title's line, and room for the top tick's label, which stands half a line above the plot.
double TitleRoom(const Spacing& s)
{
    return s.line + s.line * 0.6;
}

QPen InkPen(const QFontMetricsF& fm, const QColor& colour)
{
    // Proportional to the text, so that a printer's fine dots still show a line.
    QPen pen(colour, std::max(1.0, fm.height() / 14));
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

double Widest(const QFontMetricsF& fm, const std::vector<QString>& texts)
{
    double widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, fm.horizontalAdvance(text));
    return widest;
}

std::vector<QString> TickTexts(const Axis& axis)
{
    std::vector<QString> texts;
    for (double v : axis.ticks)
        texts.push_back(AxisNumber(v, axis.decimals));
    return texts;
}

// The y of a value on a vertical axis over the plot; the bottom when the axis has no range.
double MapY(const QRectF& plot, double min, double max, double value)
{
    if (!(max > min))
        return plot.bottom();
    return plot.bottom() - (value - min) / (max - min) * plot.height();
}

QRectF Between(double left, double top, double right, double bottom)
{
    return QRectF(QPointF(left, top), QPointF(std::max(left, right), std::max(top, bottom)));
}

void DrawValueAxis(QPainter& painter, const QRectF& plot, const Axis& axis, const Spacing& s,
                   const QFontMetricsF& fm)
{
    const std::vector<QString> texts = TickTexts(axis);
    for (std::size_t i = 0; i < axis.ticks.size(); ++i) {
        const double y = MapY(plot, axis.min, axis.max, axis.ticks[i]);
        painter.setPen(InkPen(fm, kGrid));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(InkPen(fm, kInk));
        painter.drawLine(QPointF(plot.left() - s.tick, y), QPointF(plot.left(), y));
        const QRectF text(QPointF(0, y - s.line / 2), QPointF(plot.left() - s.tick - s.margin / 2, y + s.line / 2));
        painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter, texts[i]);
    }
}

void DrawTitle(QPainter& painter, const QRectF& target, const Spacing& s, const QString& title)
{
    if (title.isEmpty())
        return;
    painter.drawText(QRectF(target.left() + s.margin, target.top() + s.margin, target.width() - 2 * s.margin, s.line),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
}

// A text that fits the width, else its elided form; empty when not even the ellipsis fits.
QString Fitted(const QFontMetricsF& fm, const QString& text, double width)
{
    if (fm.horizontalAdvance(text) <= width)
        return text;
    const QString elided = fm.elidedText(text, Qt::ElideRight, width);
    return fm.horizontalAdvance(elided) <= width ? elided : QString();
}

// The head of a word too wide for its line and the tail left for the next one: the word breaks
// after its last hyphen that fits, else after the most letters that fit with a hyphen added.
std::pair<QString, QString> BrokenWord(const QFontMetricsF& fm, const QString& word, double width)
{
    const auto fits = [&](const QString& head) { return fm.horizontalAdvance(head) <= width; };
    for (qsizetype i = word.size() - 1; i > 0; --i) {
        if (word[i - 1] == u'-' && fits(word.left(i)))
            return {word.left(i), word.mid(i)};
    }
    for (qsizetype i = word.size() - 1; i > 1; --i) {
        if (fits(word.left(i) + u'-'))
            return {word.left(i) + u'-', word.mid(i)};
    }
    return {word, QString()}; // not even two letters fit: elided
}

// A bar's text in its column: the first line takes the words that fit, the second the rest. Long
// influence names ("Maßstabsabweichung y") would otherwise run into the next bar's; a word wider
// than the column is broken rather than cut, so a German name keeps every letter on two lines.
std::vector<QString> LabelLines(const QFontMetricsF& fm, const QString& text, double width)
{
    QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty() || !(width > 0))
        return {};
    const auto fits = [&](const QString& line) { return fm.horizontalAdvance(line) <= width; };
    QString first;
    if (!fits(words.front())) {
        const auto [head, tail] = BrokenWord(fm, words.front(), width);
        first = head;
        if (tail.isEmpty())
            words.removeFirst();
        else
            words.front() = tail;
    } else {
        qsizetype taken = 1;
        while (taken < words.size() && fits(words.mid(0, taken + 1).join(u' ')))
            ++taken;
        first = words.mid(0, taken).join(u' ');
        words = words.mid(taken);
    }
    std::vector<QString> lines;
    for (const QString& line : {first, words.join(u' ')}) {
        const QString fitted = Fitted(fm, line, width);
        if (!fitted.isEmpty())
            lines.push_back(fitted);
    }
    return lines;
}

} // namespace

ValueAxis NiceAxis(double lo, double hi, int maxIntervals)
{
    ValueAxis axis;
    if (!std::isfinite(lo) || !std::isfinite(hi) || !(hi > lo))
        return axis;
    const double raw = (hi - lo) / std::max(1, maxIntervals);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / magnitude;
    const double step = (norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 5 ? 5 : 10) * magnitude;
    if (!std::isfinite(step) || !(step > 0))
        return axis;
    // The small slack keeps a value that is a whole step from opening one more interval.
    const double first = std::floor(lo / step + 1e-9);
    const double last = std::ceil(hi / step - 1e-9);
    if (!(last > first) || last - first > 1000)
        return axis;
    axis.min = first * step;
    axis.max = last * step;
    for (double k = first; k <= last; k += 1) {
        const double v = k * step;
        axis.ticks.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
    }
    axis.decimals = std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
    return axis;
}

std::optional<int> BarChartGeometry::barAt(const QPointF& point) const
{
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const double bottom = i < labels.size() ? labels[i].bottom() : plot.bottom();
        if (point.x() > bars[i].left() && point.x() < bars[i].right() && point.y() >= plot.top() && point.y() <= bottom)
            return int(i);
    }
    return std::nullopt;
}

BarChartGeometry LayoutBarChart(const BarChart& chart, const QRectF& target, const QFont& font, const QPaintDevice* device)
{
    const QFontMetricsF fm = MetricsFor(font, device);
    const Spacing s = SpacingOf(fm);
    BarChartGeometry g;

    const double top = target.top() + s.margin + (chart.axisTitle.isEmpty() ? 0 : TitleRoom(s));
    const double labelBand = 2 * s.line;
    const double bottom = target.bottom() - s.margin - labelBand - s.margin / 2;

    double lo = 0;
    double hi = 0;
    for (double v : chart.values) {
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    const int intervals = std::clamp(int((bottom - top) / (2 * s.line)), 1, 5);
    const Axis axis = NiceAxis(lo, hi, intervals);
    g.axisMin = axis.min;
    g.axisMax = axis.max;
    g.ticks = axis.ticks;
    g.tickDecimals = axis.decimals;

    const double tickTexts = Widest(fm, TickTexts(axis));
    const double left = target.left() + s.margin + tickTexts + s.margin / 2 + s.tick;
    g.plot = Between(left, top, target.right() - s.margin, bottom);

    const std::size_t n = chart.values.size();
    if (n == 0)
        return g;
    const double slot = g.plot.width() / double(n);
    const double zero = MapY(g.plot, g.axisMin, g.axisMax, 0);
    // A little room on either side, so that the texts of neighbouring bars never touch.
    const double pad = std::min(s.margin / 4, slot / 10);
    for (std::size_t i = 0; i < n; ++i) {
        const double x = g.plot.left() + slot * double(i);
        const double v = chart.values[i];
        const double y = std::isfinite(v) ? MapY(g.plot, g.axisMin, g.axisMax, v) : zero;
        g.bars.push_back(Between(x + slot * 0.2, std::min(y, zero), x + slot * 0.8, std::max(y, zero)));
        const QRectF label(x + pad, g.plot.bottom() + s.margin / 2, slot - 2 * pad, labelBand);
        g.labels.push_back(label);
        g.labelLines.push_back(i < chart.labels.size() ? LabelLines(fm, chart.labels[i], label.width())
                                                       : std::vector<QString>());
    }
    return g;
}

BarChartGeometry DrawBarChart(QPainter& painter, const BarChart& chart, const QRectF& target)
{
    painter.save();
    const QFontMetricsF fm(painter.font(), painter.device());
    const Spacing s = SpacingOf(fm);
    const BarChartGeometry g = LayoutBarChart(chart, target, painter.font(), painter.device());
    painter.fillRect(target, kBackground);

    Axis axis;
    axis.min = g.axisMin;
    axis.max = g.axisMax;
    axis.ticks = g.ticks;
    axis.decimals = g.tickDecimals;
    DrawValueAxis(painter, g.plot, axis, s, fm);

    for (const QRectF& bar : g.bars) {
        if (bar.height() > 0)
            painter.fillRect(bar, kBar);
    }
    painter.setPen(InkPen(fm, kInk));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(g.plot);
    for (std::size_t i = 0; i < g.labels.size(); ++i) {
        const std::vector<QString>& lines = g.labelLines[i];
        for (std::size_t k = 0; k < lines.size(); ++k) {
            const QRectF line(g.labels[i].left(), g.labels[i].top() + s.line * double(k), g.labels[i].width(), s.line);
            painter.drawText(line, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, lines[k]);
        }
    }
    DrawTitle(painter, target, s, chart.axisTitle);
    painter.restore();
    return g;
}

QPointF LineChartGeometry::map(const QPointF& value) const
{
    const double x = xMax > xMin ? plot.left() + (value.x() - xMin) / (xMax - xMin) * plot.width() : plot.left();
    return {x, MapY(plot, yMin, yMax, value.y())};
}

LineChartGeometry LayoutLineChart(const LineChart& chart, const QRectF& target, const QFont& font, const QPaintDevice* device)
{
    const QFontMetricsF fm = MetricsFor(font, device);
    const Spacing s = SpacingOf(fm);
    LineChartGeometry g;

    int finite = 0;
    double xLo = 0, xHi = 0, yLo = 0, yHi = 0;
    for (const QPointF& p : chart.points) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            continue;
        xLo = finite ? std::min(xLo, p.x()) : p.x();
        xHi = finite ? std::max(xHi, p.x()) : p.x();
        yLo = std::min(yLo, p.y());
        yHi = std::max(yHi, p.y());
        ++finite;
    }

    const double top = target.top() + s.margin + (chart.yTitle.isEmpty() ? 0 : TitleRoom(s));
    const double bottom = target.bottom() - s.margin - (chart.xTitle.isEmpty() ? 0 : s.line) - s.line - s.tick;
    Axis axis;
    if (finite >= 2 && xHi > xLo)
        axis = NiceAxis(yLo, yHi, std::clamp(int((bottom - top) / (2 * s.line)), 1, 5));
    g.empty = axis.ticks.empty();
    const double left = target.left() + s.margin + Widest(fm, TickTexts(axis)) + s.margin / 2 + s.tick;
    g.plot = Between(left, top, target.right() - s.margin - s.line, bottom);
    if (g.empty)
        return g;
    g.xMin = xLo;
    g.xMax = xHi;
    g.yMin = axis.min;
    g.yMax = axis.max;
    g.yTicks = axis.ticks;
    g.yTickDecimals = axis.decimals;

    const int every = chart.labelEvery;
    const int n = int(chart.points.size());
    if (every <= 0 || every > n)
        return g;
    std::vector<double> candidates;
    for (int i = every - 1; i < n; i += every) {
        if (std::isfinite(chart.points[std::size_t(i)].x()))
            candidates.push_back(chart.points[std::size_t(i)].x());
    }
    g.xLabelDecimals = DecimalsFor(candidates);
    std::vector<QString> texts;
    for (double x : candidates)
        texts.push_back(AxisNumber(x, g.xLabelDecimals));
    const double room = Widest(fm, texts) + s.margin;
    // The smallest multiple of the interval whose labels stand clear of each other.
    for (int interval = every; interval <= n; interval += every) {
        std::vector<int> picked;
        bool clear = true;
        double lastX = 0;
        for (int i = interval - 1; i < n; i += interval) {
            const QPointF& p = chart.points[std::size_t(i)];
            if (!std::isfinite(p.x()) || p.x() < xLo || p.x() > xHi)
                continue;
            const double x = g.map(QPointF(p.x(), 0)).x();
            if (!picked.empty() && std::abs(x - lastX) < room) {
                clear = false;
                break;
            }
            picked.push_back(i);
            lastX = x;
        }
        if (clear) {
            g.xLabelPoints = picked;
            g.labelInterval = interval;
            break;
        }
    }
    return g;
}

LineChartGeometry DrawLineChart(QPainter& painter, const LineChart& chart, const QRectF& target)
{
    painter.save();
    const QFontMetricsF fm(painter.font(), painter.device());
    const Spacing s = SpacingOf(fm);
    const LineChartGeometry g = LayoutLineChart(chart, target, painter.font(), painter.device());
    painter.fillRect(target, kBackground);

    if (!g.empty) {
        Axis axis;
        axis.min = g.yMin;
        axis.max = g.yMax;
        axis.ticks = g.yTicks;
        axis.decimals = g.yTickDecimals;
        DrawValueAxis(painter, g.plot, axis, s, fm);

        painter.setPen(InkPen(fm, kInk));
        for (int i : g.xLabelPoints) {
            const double x = chart.points[std::size_t(i)].x();
            const double px = g.map(QPointF(x, 0)).x();
            painter.drawLine(QPointF(px, g.plot.bottom()), QPointF(px, g.plot.bottom() + s.tick));
            const QString text = AxisNumber(x, g.xLabelDecimals);
            const double w = fm.horizontalAdvance(text) + s.margin;
            painter.drawText(QRectF(px - w / 2, g.plot.bottom() + s.tick, w, s.line), Qt::AlignCenter, text);
        }

        painter.save();
        painter.setClipRect(g.plot);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(InkPen(fm, kLine));
        QPainterPath path;
        bool open = false;
        for (const QPointF& p : chart.points) {
            if (!std::isfinite(p.x()) || !std::isfinite(p.y())) {
                open = false;
                continue;
            }
            const QPointF at = g.map(p);
            if (open)
                path.lineTo(at);
            else
                path.moveTo(at);
            open = true;
        }
        painter.drawPath(path);
        painter.restore();
    }

    painter.setPen(InkPen(fm, kInk));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(g.plot);
    if (!chart.xTitle.isEmpty()) {
        painter.drawText(QRectF(g.plot.left(), g.plot.bottom() + s.tick + s.line, g.plot.width(), s.line),
                         Qt::AlignCenter, chart.xTitle);
    }
    DrawTitle(painter, target, s, chart.yTitle);
    painter.restore();
    return g;
}

} // namespace sarvo::display
