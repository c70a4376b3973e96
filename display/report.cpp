#include "display/report.h"

#include "analysis/angles.h"
#include "core/app_error.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/pi.h"
#include "core/utilities.h"
#include "display/case_info.h"
#include "display/graphs.h"
#include "display/metafile.h"
#include "display/results_view.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLocale>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>

namespace sarvo::display {

namespace {

const QColor kInk(0x00, 0x00, 0x00);
const QColor kClockwise(0x00, 0x00, 0xFF);
const QColor kCounterClockwise(0xFF, 0x00, 0x00);
const QColor kZone(0x00, 0xFF, 0x00);


// The one page of the report. Positions are centimetres from the top-left corner of the
// printable area, as the canvas's scale has them when the report begins.
class Report {
public:
    Report(Canvas& page, const Case& c, const Settings& settings, const UnitState& units, const ReportRequest& request)
        : page_(page), c_(c), e_(c.Results.ErrorValues), settings_(settings), u_(units), request_(request),
          graphScale_(UsableGraphScale(settings.GraphScale))
    {
    }

    ReportOutcome draw()
    {
        left_ = page_.scaleLeft();
        top_ = page_.scaleTop();
        width_ = page_.scaleWidth();
        height_ = page_.scaleHeight();
        if (left_ != 0 || top_ != 0 || !(width_ > 0) || !(height_ > 0))
            throw AppError::invalidCall(QStringLiteral("The report page needs a scale in centimetres from its top-left corner."));
        CheckGraphCase(c_, true, false);

        pageHeader();
        columns();
        page_.setFontSize(10);
        lineGap_ = page_.textHeight(QStringLiteral("DED")) * 0.25;
        blockTop_ = page_.currentY();
        page_.setCurrentY(page_.currentY() + lineGap_);
        caseBlock();
        closeBlock();
        isoBlock();
        closeBlock();
        circularityRow();

        // Without a current analysis the error terms are those of an earlier case, or none.
        if (request_.type == ReportType::ErrorsAndGraph && c_.Results.ResultsValid) {
            view_ = BuildResultsView(c_, u_, settings_);
            errorRows();
        } else {
            page_.setCurrentY(page_.currentY() + lineGap_);
        }
        rule(page_.currentY(), 4);
        page_.setDrawWidth(1);

        // The comment's line is kept free of the graph's traces.
        page_.setFontSize(10);
        const QString comment = c_.Header[HdrComment];
        const double commentTop = height_ - 4 * page_.textHeight(QStringLiteral("DD"));
        traceFloor_ = comment.isEmpty() ? height_ : commentTop;

        if (request_.linearGraph)
            linearGraph();
        else
            polarGraph();
        page_.clearClip();
        restorePageScale();

        if (!comment.isEmpty()) {
            page_.setFontSize(10);
            page_.setCurrentY(commentTop);
            page_.setCurrentX(column(0));
            page_.setFontItalic(true);
            fitted({{comment, 10}}, column(5) - column(0));
            page_.setFontItalic(false);
        }
        return std::move(outcome_);
    }

private:
    // ---- Page set-up

    void restorePageScale() { page_.setScale(left_, top_, width_, height_); }

    void pageHeader()
    {
        outcome_.notes << PrintPageHeader(page_, request_.logoPath, request_.version).notes;
    }

    void columns()
    {
        const double quarter = (width_ - 1.5) / 4;
        columns_ = {1.5, 1.6, quarter + 1.6, 2 * quarter + 1.6, 3 * quarter + 1.6, left_ + width_ - 0.1};
    }
    double column(int i) const { return columns_[std::size_t(i)]; }

    // ---- Text items

    // A text of pieces, each in its own font size, set from the current position on one line in
    // no more than the room given. One too wide is set smaller as a whole, its largest piece down
    // to 6 pt, and its end is cut with "..." only when it does not fit even then: it never prints
    // over its neighbour. The font size is left as it was.
    struct Piece {
        QString text;
        double size;
    };
    void fitted(std::vector<Piece> pieces, double room)
    {
        const double size = page_.font().size;
        double largest = 0;
        for (const Piece& p : pieces)
            largest = std::max(largest, p.size);
        double factor = 1;
        const auto width = [&] {
            double w = 0;
            for (const Piece& p : pieces) {
                page_.setFontSize(p.size * factor);
                w += page_.textWidth(p.text);
            }
            return w;
        };
        for (double target = largest; width() > room && target > 6;) {
            target = std::max(6.0, target - 0.5);
            factor = target / largest;
        }
        if (width() > room) {
            const QString ellipsis(QChar(0x2026));
            pieces.back().text += ellipsis;
            while (width() > room && pieces.back().text.size() > 1) {
                Piece& last = pieces.back();
                last.text.remove(last.text.size() - 2, 1);
                if (last.text.size() == 1 && pieces.size() > 1) {
                    pieces.pop_back();
                    pieces.back().text += ellipsis;
                }
            }
        }
        for (const Piece& p : pieces) {
            page_.setFontSize(p.size * factor);
            page_.print(p.text, false);
        }
        page_.setFontSize(size);
    }
    // The room of a text standing in a column: up to the next column, for the last value column
    // up to the right end.
    double columnRoom(int col) const { return column(col == 4 ? 5 : col + 1) - column(col) - 0.1; }

    void label(int col, const QString& text)
    {
        page_.setCurrentX(column(col));
        fitted({{text, page_.font().size}}, columnRoom(col));
    }
    // A value in italics; one too long for its room, a long file name, is set smaller.
    void value(int col, const QString& text)
    {
        if (text.isEmpty())
            return; // an empty column: nothing to set
        valuePieces(col, {{text, page_.font().size}});
    }
    // A value of pieces in several sizes, in italics, fitted to its room as one.
    void valuePieces(int col, std::vector<Piece> pieces)
    {
        page_.setCurrentX(column(col));
        page_.setFontItalic(true);
        fitted(std::move(pieces), columnRoom(col));
        page_.setFontItalic(false);
    }
    // A line end: one line of the current font down, back at the left edge.
    void endLine()
    {
        page_.setCurrentY(page_.currentY() + page_.textHeight(QString()));
        page_.setCurrentX(left_);
    }
    void rule(double y, int width)
    {
        page_.setDrawWidth(width);
        page_.line(QPointF(column(0), y), QPointF(column(5), y));
    }
    // The rule under a block and over the next: the block's top drawn again, 4 dots, and its
    // bottom, 2 dots.
    void closeBlock()
    {
        page_.setCurrentY(page_.currentY() + lineGap_);
        const double y = page_.currentY();
        rule(blockTop_, 4);
        rule(y, 2);
        blockTop_ = y;
        page_.setCurrentY(page_.currentY() + lineGap_);
    }

    // ---- Numbers

    QString fmt(double v, const QString& pattern) const { return FormatNumber(v, pattern, QLocale()); }
    QString smallVal(double um) const { return fmt(um * u_.SmallFactor, u_.SmallFormat) + u' ' + u_.SmallCaption; }
    QString largeVal(double mm, const QString& pattern) const
    {
        return fmt(mm * u_.LargeFactor, pattern) + u' ' + u_.LargeCaption;
    }
    // A value of table B: nothing when it is 0.
    QString nonZero(double um) const { return um != 0 ? smallVal(um) : QString(); }

    QString cap(const char* control, int index = -1) const
    {
        return view_.caption(QLatin1String(control), index).value_or(QString());
    }

    QString runLabel(int run) const
    {
        const bool cw = c_.Data.RunDirection[std::size_t(run)] < 0;
        return QStringLiteral(", ") + QString::number(run) + u'.' +
               Translate(cw ? QStringLiteral("CW") : QStringLiteral("CCW")).toLower() + u':';
    }

    // ---- The blocks

    void caseBlock()
    {
        const CaseHeader& h = c_.Header;
        const CaseData& d = c_.Data;
        const bool dynamic = d.Dynamic;

        label(1, CaseInfoLabel(HdrCustomer));
        value(2, h[HdrCustomer]);
        label(3, CaseInfoLabel(HdrPlane));
        value(4, h[HdrPlane]);
        endLine();

        label(1, CaseInfoLabel(HdrMachine));
        value(2, h[HdrMachine]);
        if (dynamic && d.FeedrateMeasured()) {
            label(3, CaseInfoLabel(HdrFeedrate) + Translate(QStringLiteral("(Prog./Meas.)")));
            value(4, fmt(StrToDbl(h[HdrFeedrate]) * u_.LargeFactor, u_.LargeFormat) + u'/' +
                         fmt(double(d.MeasuredFeedrateAverage) * u_.LargeFactor, u_.LargeFormat) + u' ' + u_.LargeCaption +
                         QStringLiteral("/min"));
        } else if (dynamic) {
            // Never measured: the programmed feedrate alone, not a measurement of 0.
            label(3, CaseInfoLabel(HdrFeedrate));
            value(4, fmt(StrToDbl(h[HdrFeedrate]) * u_.LargeFactor, u_.LargeFormat) + u' ' + u_.LargeCaption +
                         QStringLiteral("/min"));
        }
        endLine();

        label(1, CaseInfoLabel(HdrName));
        value(2, h[HdrName]);
        label(3, CaseInfoLabel(HdrLength));
        value(4, largeVal(double(d.BallBarLength), u_.LongFormat));
        endLine();

        label(1, CaseInfoLabel(HdrDate));
        value(2, h[HdrDate]);
        label(3, Translate(QStringLiteral("Best Radius")) + u':');
        value(4, largeVal(c_.Results.LscResult.Radius, u_.LongFormat));
        endLine();

        label(1, CaseInfoLabel(HdrBy));
        value(2, h[HdrBy]);
        if (dynamic) {
            label(3, CaseInfoLabel(HdrSampling));
            value(4, h[HdrSampling]);
        }
        endLine();

        label(1, CaseInfoLabel(HdrFilename));
        value(2, FileNameOfPath(h[HdrFilename]));
        label(3, CaseInfoLabel(HdrMaxTargets));
        value(4, h[HdrMaxTargets]);
        endLine();

        const auto origin = [&](int slot) { return fmt(StrToDbl(h[slot]) * u_.LargeFactor, u_.LargeFormat); };
        label(1, Translate(QStringLiteral("Origin of Measurement")) + u':');
        value(2, QStringLiteral("x:") + origin(HdrOrigX) + QStringLiteral(" , y:") + origin(HdrOrigY) +
                     QStringLiteral(" , z:") + origin(HdrOrigZ));
        label(3, CaseInfoLabel(20));
        value(4, Translate(d.Calibrated ? QStringLiteral("Calibrated") : QStringLiteral("Non-Calibrated")));
        endLine();
    }

    void isoBlock()
    {
        const IsoResults& iso = c_.Results.Iso;
        label(1, Translate(QStringLiteral("ISO230-4 results")));
        endLine();
        if (iso.IsoGb != 0) {
            label(1, Translate(QStringLiteral("Bi-dir. circular deviation G(b)")) + u':');
            value(2, smallVal(iso.IsoGb));
            label(3, Translate(QStringLiteral("Bi-dir. mean rad. deviation D")) + u':');
            value(4, smallVal(iso.IsoD));
            endLine();
        }
        for (int r = 1; r <= c_.Data.RunCount; ++r) {
            const auto i = std::size_t(r);
            if (iso.IsoG[i] == 0 && iso.IsoFmin[i] == 0 && iso.IsoFmax[i] == 0)
                continue;
            label(1, Translate(QStringLiteral("Circular Deviation G")) + runLabel(r));
            value(2, smallVal(iso.IsoG[i]));
            if (iso.IsoFmin[i] != 0 || iso.IsoFmax[i] != 0) {
                label(3, Translate(QStringLiteral("Radial Deviation F")) + runLabel(r));
                valuePieces(4, {{Translate(QStringLiteral("min")) + QStringLiteral(": "), 8},
                                {fmt(iso.IsoFmin[i] * u_.SmallFactor, u_.SmallFormat), 10},
                                {u' ' + Translate(QStringLiteral("max")) + QStringLiteral(": "), 8},
                                {smallVal(iso.IsoFmax[i]), 10}});
            }
            endLine();
        }
    }

    void circularityRow()
    {
        const QString circularity = Translate(QStringLiteral("Circularity"));
        label(1, circularity + QStringLiteral(" LSC:"));
        value(2, smallVal(c_.Results.LscResult.Circularity));
        label(3, circularity + QStringLiteral(" MZC:"));
        value(4, smallVal(c_.Results.MzcResult.Circularity));
        endLine();
    }

    // Blocks A and B: the error terms under the results window's captions.
    void errorRows()
    {
        const bool inch = settings_.UnitsInch;
        const double diameter = 2 * c_.Data.TestRadius * u_.LargeFactor;
        const double perLength = inch ? 12 : 1000;
        const QString diameterFormat = inch ? QStringLiteral("##0.0") : QStringLiteral("##0");
        const QString unit = u_.LargeCaption; // the ball-bar length's unit label
        const QString pair = cap("LblScaleAxis", 0);

        page_.setCurrentY(page_.currentY() + lineGap_);

        label(1, cap("frmType", 7) + u' ' + pair + u':');
        value(2, fmt((e_.ScaleH - e_.ScaleV) * u_.ScaleErrFactor * diameter / perLength, u_.SmallFormat) + u' ' +
                     u_.SmallCaption + u'/' + fmt(diameter + 0.1, diameterFormat) + unit);
        if (!(e_.ServoH == 100 && e_.ServoV == 100)) {
            label(3, cap("LblServoTitle", 0) + u' ' + pair + u':');
            value(4, fmt(e_.ServoH - e_.ServoV, QStringLiteral("##0")) + QStringLiteral(" %"));
        }
        endLine();

        label(1, cap("frmType", 9) + u':');
        if (e_.Squareness != 0) {
            const double perMetre = std::tan(e_.Squareness / 3600 * kPi12 / 180) * 1000000;
            value(2, fmt(perMetre * u_.ScaleErrFactor * diameter / perLength, u_.SmallFormat) + u' ' + u_.SmallCaption +
                         u'/' + fmt(diameter, diameterFormat) + unit);
        }
        if (e_.Random != 0) {
            label(3, cap("frmType", 12) + u':');
            value(4, smallVal(e_.Random));
        }
        endLine();
        if (e_.Random != 0) {
            label(3, cap("LblDirVib") + u':');
            value(4, smallVal(e_.PolarVibration) + QStringLiteral("   (") + fmt(e_.VibrationAngle, QStringLiteral("##0")) +
                         Translate(QStringLiteral("°")) + u')');
            endLine();
            endLine();
        }

        page_.setCurrentY(page_.currentY() + lineGap_);
        rule(page_.currentY(), 2);
        page_.setCurrentY(page_.currentY() + lineGap_);

        const QString h = cap("LblAxesH", 0);
        const QString v = cap("LblAxesV", 0);
        const QString hl = h.toLower();
        const QString vl = v.toLower();
        const auto gap = [this] { page_.setCurrentY(page_.currentY() + lineGap_); };
        const auto pairRow = [&](const QString& title, const QString& hName, const QString& hValue, const QString& vName,
                                 const QString& vValue) {
            label(1, title + u' ' + hName + u':');
            value(2, hValue);
            label(3, title + u' ' + vName + u':');
            value(4, vValue);
            endLine();
        };

        if (e_.SpikeH != 0 || e_.SpikeV != 0) {
            pairRow(cap("frmType", 1), hl, nonZero(e_.SpikeH), vl, nonZero(e_.SpikeV));
            gap();
        }

        const QString backlash = cap("frmType", 2);
        const bool splitH = e_.Back0 != e_.Back180;
        const bool splitV = e_.Back90 != e_.Back270;
        label(1, backlash + u' ' + h + (splitH ? QStringLiteral("+:") : QStringLiteral(":")));
        value(2, nonZero(e_.Back0));
        label(3, backlash + u' ' + v + (splitV ? QStringLiteral("+:") : QStringLiteral(":")));
        value(4, nonZero(e_.Back90));
        endLine();
        if (splitH || splitV) {
            if (splitH) {
                label(1, backlash + u' ' + h + QStringLiteral("-:"));
                value(2, nonZero(e_.Back180));
            }
            if (splitV) {
                label(3, backlash + u' ' + v + QStringLiteral("-:"));
                value(4, nonZero(e_.Back270));
            }
            endLine();
        }
        gap();

        if (e_.CyclicH != 0 || e_.CyclicV != 0) {
            pairRow(cap("frmType", 4), h, nonZero(e_.CyclicH), v, nonZero(e_.CyclicV));
            const QString pitch = cap("LblPitchTitle");
            const auto pitchVal = [&](double mm) { return mm != 0 ? largeVal(mm, u_.LargeFormat) : QString(); };
            pairRow(pitch, h, pitchVal(e_.PitchH), v, pitchVal(e_.PitchV));
            gap();
        }
        if (e_.PlayH != 0 || e_.PlayV != 0) {
            pairRow(cap("frmType", 6), hl, nonZero(e_.PlayH), vl, nonZero(e_.PlayV));
            gap();
        }
        if (c_.Data.Calibrated) {
            const auto scaleVal = [&](double perMetre) {
                return perMetre != 0 ? fmt(perMetre * u_.ScaleErrFactor, u_.SmallFormat) + u' ' + u_.ScaleErrCaption : QString();
            };
            pairRow(cap("frmType", 7), hl, scaleVal(e_.ScaleH), vl, scaleVal(e_.ScaleV));
            gap();
        }
        if (e_.SlipH != 0 || e_.SlipV != 0) {
            pairRow(cap("frmType", 10), hl, nonZero(e_.SlipH), vl, nonZero(e_.SlipV));
            gap();
        }
        if (e_.StraightH != 0 || e_.StraightV != 0) {
            pairRow(cap("LblStraightTitle", 0), h, nonZero(e_.StraightH), v, nonZero(e_.StraightV));
            gap();
        }
    }

    // ---- Graphs

    // The next point of a trace: a reading that is no number is left out and the trace goes on
    // from the last one that was (also when the first was not).
    void traceTo(const QPointF& p)
    {
        const QPointF at = page_.current();
        if (std::isfinite(at.x()) && std::isfinite(at.y()))
            page_.lineTo(p);
        else
            page_.moveTo(p);
    }

    // Every run as one thin trace, clockwise runs solid blue and counter-clockwise runs dotted red
    // as in the legend; at(reading, point) places a point. A closed trace ends at its first point.
    template <typename At>
    void runTraces(const CaseData& d, At at, bool closed)
    {
        page_.setDrawWidth(1);
        for (int r = 1; r <= d.RunCount; ++r) {
            const bool cw = d.RunDirection[std::size_t(r)] < 0;
            page_.setDrawStyle(cw ? DrawStyle::Solid : DrawStyle::Dotted);
            page_.setForeColor(cw ? kClockwise : kCounterClockwise);
            const int targets = d.RunTargets[std::size_t(r)];
            if (targets <= 0)
                continue;
            const QPointF first = at(d.Readings(r, 0), 0);
            page_.moveTo(first);
            for (int p = 1; p < targets; ++p)
                traceTo(at(d.Readings(r, p), p));
            if (closed)
                traceTo(first);
        }
    }

    void skipGraph()
    {
        outcome_.notes << Translate(QStringLiteral("The graph is left out: the page has no room for it below the text."));
    }

    void polarGraph()
    {
        const CaseData& d = c_.Data;
        const double y0 = page_.currentY();
        const double th = page_.textHeight(QStringLiteral("DD"));
        const double cx = (width_ - 1.5) / 2 + 1.5;
        const double cy = y0 + (height_ - y0 - 3 * th) / 2;
        const double s = float(graphScale_ / 1000);
        const double w = width_ - 1.5;
        const double h = 2 * (height_ - cy - 3 * th);
        if (!(h > 0) || !(w > 0)) {
            skipGraph();
            return;
        }
        const double k = (h > w ? w : h) / (s * 9.7);
        const double sk = s * k;
        const auto point = [&](double v, double theta) {
            const double rho = 3 * s + v;
            return QPointF(cx + rho * CosDeg(theta) * k, cy - rho * SinDeg(theta) * k);
        };

        // The traces stay in the band between the text above and the foot below.
        page_.setClip(QRectF(QPointF(1.5, y0), QPointF(left_ + width_, std::min(height_ - 3 * th, traceFloor_))));
        if (d.SweepAngle != 0)
            runTraces(d, [&](double v, int p) { return point(v, p * d.AngleStep + d.StartAngle); }, d.SweepAngle == 360);
        page_.clearClip();

        page_.setDrawStyle(DrawStyle::Solid);
        page_.setDrawWidth(3);
        page_.setForeColor(kInk);
        page_.circle(QPointF(cx, cy), 3 * sk);

        page_.setFontBold(true);
        const QString plane = c_.Header[HdrPlane];
        const QString across = plane.mid(0, 1);
        const QString up = plane.mid(1, 1);
        const bool xz = plane.left(2) == QLatin1String("xz");
        const double tw = page_.textWidth(QStringLiteral("X"));
        const double thx = page_.textHeight(QStringLiteral("X"));
        const auto letter = [this](const QString& text, double x, double y) {
            page_.moveTo(QPointF(x, y));
            page_.print(text, false);
        };
        letter(across + u'-', cx - 4 * sk - 2.5 * tw, cy - 0.5 * th);
        page_.line(QPointF(cx - 4 * sk, cy), QPointF(cx - sk, cy));
        page_.line(QPointF(cx + sk, cy), QPointF(cx + 4 * sk, cy));
        letter(across + u'+', cx + 4 * sk + 0.5 * tw, cy - 0.5 * th);
        letter(up + (xz ? u'-' : u'+'), cx - tw, cy - 4 * sk - thx);
        page_.line(QPointF(cx, cy - 4 * sk), QPointF(cx, cy - sk));
        page_.line(QPointF(cx, cy + sk), QPointF(cx, cy + 4 * sk));
        letter(up + (xz ? u'+' : u'-'), cx - tw, cy + 4 * sk);
        page_.setFontBold(false);

        const double half = s / 10 * k;
        float t = float(-4 * s);
        for (int i = 0; i < 9; ++i, t += float(s)) {
            page_.line(QPointF(cx - half, cy + t * k), QPointF(cx + half, cy + t * k));
            page_.line(QPointF(cx + t * k, cy - half), QPointF(cx + t * k, cy + half));
        }

        if (request_.mzcCircles) {
            page_.setClip(QRectF(QPointF(1.5, y0), QPointF(left_ + width_, std::min(height_ - 3 * th, traceFloor_))));
            page_.setForeColor(kZone);
            const CircleResult& mzc = c_.Results.MzcResult;
            for (const double zone : {mzc.Min, mzc.Max}) {
                const auto at = [&](int theta) {
                    const double rho = ZoneCircleDeviation(c_, zone, theta) + 3 * s;
                    return QPointF(cx + rho * k * CosDeg(theta), cy + rho * k * SinDeg(theta));
                };
                page_.moveTo(at(0));
                for (int theta = 0; theta <= 360; ++theta)
                    traceTo(at(theta));
            }
            page_.clearClip();
            page_.setForeColor(kInk);
        }
        legend();
    }

    void linearGraph()
    {
        const CaseData& d = c_.Data;
        const double top = page_.currentY();
        const double dd = page_.textHeight(QStringLiteral("DD"));
        const double g = float(graphScale_ / 1000);
        const double s3 = float(3 * graphScale_ / 1000);
        const double band = height_ - top - 3 * dd;
        const double across = width_ - 1.5;
        if (!(band > 0) || !(across > 0)) {
            skipGraph();
            return;
        }
        // A zero sweep has no width: its frame spans a full circle, as on the screen.
        const bool traces = d.SweepAngle != 0;
        const int start = d.StartAngle;
        const int sweep = traces ? d.SweepAngle : 360;
        const int stop = traces ? d.StopAngle : start + sweep;

        // The band from the text down to three lines above the foot spans +3.5 to -3.5
        // divisions; from 1.5 cm to the right edge the arc with half a percent before it and,
        // after it, room for the deviation ticks that stand out one percent past its end.
        const double scaleHeight = -height_ * 7 * g / band;
        const double scaleTop = 3.5 * g - top * scaleHeight / height_;
        const double scaleWidth = width_ * 1.02 * sweep / across;
        const double scaleLeft = start - (scaleWidth - 1.015 * sweep);
        // The traces stay in the band (set in centimetres, before the graph's scale).
        page_.setClip(QRectF(QPointF(1.5, top), QPointF(left_ + width_, std::min(top + band, traceFloor_))));
        page_.setScale(scaleLeft, scaleTop, scaleWidth, scaleHeight);

        if (traces)
            runTraces(d, [&](double v, int p) { return QPointF(start + p * d.AngleStep, v); }, false);
        page_.clearClip();

        page_.setDrawStyle(DrawStyle::Solid);
        page_.setDrawWidth(3);
        page_.setFontBold(false);
        page_.setFontSize(8);
        page_.setForeColor(kInk);
        page_.line(QPointF(start, 0), QPointF(stop, 0));
        page_.line(QPointF(stop, -s3), QPointF(stop, s3));

        const double step = sweep / 100.0;
        const auto deviationLabel = [&](const QString& text, double y) {
            page_.setCurrentX(stop - page_.textWidth(text) - 2 * step);
            page_.setCurrentY(y + 0.5 * page_.textHeight(text));
            page_.print(text, false);
            page_.line(QPointF(stop - step, y), QPointF(stop + step, y));
        };
        float y = float(g);
        for (int division = 1; division <= 3; ++division, y += float(g)) {
            const QString text = fmt(double(y) * 1000 * u_.SmallFactor, u_.SmallFormat);
            deviationLabel(text, y);
            deviationLabel(u'-' + text, -y);
        }

        const double t = graphScale_ / 20000;
        const int first = int(std::floor((start - 1) / 90.0 + 1)) * 90;
        for (int x = first; x <= stop - 1; x += 90) {
            page_.line(QPointF(x, -t), QPointF(x, t));
            const QString text = fmt(x, QStringLiteral("###0"));
            page_.setCurrentX(x - 0.5 * page_.textWidth(text));
            page_.setCurrentY(-0.2 * page_.textHeight(text));
            page_.print(text);
        }
        legend();
    }

    // The row under either graph: the pens of both directions and the scale per division.
    void legend()
    {
        restorePageScale();
        const double h = page_.textHeight(QStringLiteral("DD"));
        const double ly = height_ - 2 * h;
        page_.setDrawStyle(DrawStyle::Solid);
        page_.setDrawWidth(4);
        page_.line(QPointF(1.5, height_ - 3 * h), QPointF(left_ + width_ - 0.1, height_ - 3 * h));
        page_.setDrawWidth(1);

        page_.setForeColor(kClockwise);
        page_.line(QPointF(2.0, ly + 0.25), QPointF(3.0, ly - 0.25));
        page_.setCurrentY(ly);
        page_.setForeColor(kInk);
        page_.print(Translate(QStringLiteral("CW")));

        const double ccw = width_ / 3;
        page_.setDrawStyle(DrawStyle::Dotted);
        page_.setForeColor(kCounterClockwise);
        page_.line(QPointF(ccw, ly + 0.25), QPointF(ccw + 1.0, ly - 0.25));
        page_.setCurrentY(ly);
        page_.setForeColor(kInk);
        page_.print(Translate(QStringLiteral("CCW")));

        page_.setCurrentX(2 * width_ / 3);
        page_.setCurrentY(ly);
        page_.print(Translate(QStringLiteral("Scale")) + u' ', false);
        page_.print(smallVal(graphScale_), false);
    }

    Canvas& page_;
    const Case& c_;
    const ErrorParams& e_;
    const Settings& settings_;
    const UnitState& u_;
    const ReportRequest& request_;
    const double graphScale_;

    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::array<double, 6> columns_{};
    double lineGap_ = 0;
    double blockTop_ = 0;
    double traceFloor_ = 0;
    ResultsView view_;
    ReportOutcome outcome_;
};

// Where on a paged device the report's page lies, in device pixels from the corner of the
// device's own printable area, where the painter starts: where a margin of the device is narrower
// than the report's, the page moves in by the difference.
QRectF ReportPrintableArea(const QPagedPaintDevice& device)
{
    const QMarginsF own = device.pageLayout().margins(QPageLayout::Millimeter);
    const auto inset = [](double margin, double dpi) { return std::max(0.0, kReportMarginMm - margin) / 25.4 * dpi; };
    const double dpiX = device.logicalDpiX();
    const double dpiY = device.logicalDpiY();
    return QRectF(QPointF(inset(own.left(), dpiX), inset(own.top(), dpiY)),
                  QPointF(device.width() - inset(own.right(), dpiX), device.height() - inset(own.bottom(), dpiY)));
}

// Any failure of the report as the error the print job reports under "Printing".
[[noreturn]] void Fail(const QString& detail)
{
    throw AppError::invalidCall(detail);
}

} // namespace

ReportOutcome PrintPageHeader(Canvas& page, const QString& logoPath, const QString& version)
{
    ReportOutcome outcome;
    const double width = page.scaleWidth();
    if (!logoPath.isEmpty()) {
        // The logo 1.5 cm from the left and 0.2 cm from the top, 1.3 cm high; one that cannot
        // be read or placed is left out and the page goes on without it.
        const std::optional<Metafile> picture = LoadMetafile(logoPath);
        std::optional<QRectF> box;
        if (picture && picture->header.kind == MetafileKind::Placeable)
            box = FitPictureBox(QRectF(1.5, 0.2, 0, 1.3), double(picture->header.width()), double(picture->header.height()));
        if (box) {
            const Metafile& m = *picture;
            page.picture(*box, [&m](QPainter& painter, const QRectF& device) {
                // Whole device pixels, as a device rectangle has them.
                const QPointF from(std::nearbyint(device.left()), std::nearbyint(device.top()));
                const QPointF to(std::nearbyint(device.right()), std::nearbyint(device.bottom()));
                PlayMetafile(m, painter, QRectF(from, to));
            });
        } else {
            outcome.notes << Translate(QStringLiteral("The logo %1 cannot be drawn; the page is printed without it."))
                                 .arg(QDir::toNativeSeparators(logoPath));
        }
    }
    page.setFontSize(20);
    page.setFontBold(true);
    page.setCurrentY(0.1);
    // The middle column of the report's grid.
    const double x = 1.6 + 2 * (width - 1.5) / 4;
    page.setCurrentX(x);
    page.print(Translate(QStringLiteral("Sarvotrenk")));
    page.setFontSize(10);
    page.setFontBold(false);
    page.setCurrentX(x);
    page.print(Translate(QStringLiteral("Version")) + QStringLiteral(": ") + version);
    page.setCurrentY(1.8);
    return outcome;
}

ReportOutcome DrawReport(Canvas& page, const Case& c, const Settings& settings, const UnitState& units,
                         const ReportRequest& request)
{
    return Report(page, c, settings, units, request).draw();
}

QPageLayout ReportPageLayout()
{
    const double m = kReportMarginMm;
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(m, m, m, m), QPageLayout::Millimeter);
}

ReportOutcome RenderPages(QPagedPaintDevice& device, const PageCount& pageCount, const PageDrawer& draw)
{
    const double dpiX = device.logicalDpiX();
    const double dpiY = device.logicalDpiY();
    const QRectF area = ReportPrintableArea(device);
    QPainter painter;
    if (!painter.begin(&device))
        Fail(Translate(QStringLiteral("The printer cannot be written to.")));
    try {
        if (!(dpiX > 0) || !(dpiY > 0) || !(area.width() > 0) || !(area.height() > 0))
            Fail(Translate(QStringLiteral("The printer's page has no printable area.")));
        QFont font = painter.font();
        if (const std::optional<QString> family = PrinterFontFamily(QFontDatabase::families()))
            font.setFamily(*family);
        ReportOutcome outcome;
        int pages = 1;
        for (int index = 0; index < pages; ++index) {
            if (index > 0 && !device.newPage())
                Fail(Translate(QStringLiteral("The printer cannot be written to.")));
            painter.resetTransform();
            painter.setFont(font);
            painter.translate(area.topLeft());
            painter.setClipRect(QRectF(QPointF(0, 0), area.size()));
            PainterCanvas canvas(painter, area.size());
            // Centimetres over the printable area, from its top-left corner.
            canvas.setScale(0, 0, area.width() * 2.54 / dpiX, area.height() * 2.54 / dpiY);
            if (index == 0)
                pages = std::max(1, pageCount(canvas));
            outcome.notes << draw(canvas, index).notes;
        }
        if (!painter.end())
            Fail(Translate(QStringLiteral("The printer cannot be written to.")));
        return outcome;
    } catch (...) {
        if (painter.isActive())
            painter.end();
        throw;
    }
}

ReportOutcome RenderReport(QPagedPaintDevice& device, const Case& c, const Settings& settings, const UnitState& units,
                           const ReportRequest& request)
{
    return RenderPages(device, [](const Canvas&) { return 1; }, [&](Canvas& page, int) { return DrawReport(page, c, settings, units, request); });
}

ReportOutcome WriteReportPdf(const QString& path, const Case& c, const Settings& settings, const UnitState& units,
                             const ReportRequest& request)
{
    // Written beside the target under a name of its own, and moved into place when complete:
    // the rename replaces an earlier file in one step.
    const QFileInfo target(path);
    const QString partial = target.absoluteDir().filePath(QStringLiteral(".%1.part").arg(target.fileName()));
    const auto cannotWrite = [&path] {
        Fail(Translate(QStringLiteral("The file %1 cannot be written.")).arg(QDir::toNativeSeparators(path)));
    };
    if (target.fileName().isEmpty() || target.isDir())
        cannotWrite();
    ReportOutcome outcome;
    try {
        {
            QFile probe(partial);
            if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
                cannotWrite();
        }
        {
            QPdfWriter writer(partial);
            writer.setResolution(kReportDotsPerInch);
            writer.setPageLayout(ReportPageLayout());
            writer.setCreator(QStringLiteral("Sarvotrenk ") + request.version);
            writer.setTitle(FileNameOfPath(c.Header[HdrFilename]));
            outcome = RenderReport(writer, c, settings, units, request);
        }
        if (QFileInfo(partial).size() <= 0)
            cannotWrite();
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(partial).toStdString(),
                                QFile::encodeName(target.absoluteFilePath()).toStdString(), error);
        if (error)
            cannotWrite();
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    return outcome;
}

} // namespace sarvo::display
