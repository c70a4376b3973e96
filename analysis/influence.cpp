#include "analysis/influence.h"

#include "core/checked_math.h"
#include "core/language_db.h"
#include "analysis/trig_tables.h"
#include "core/utilities.h"

#include <QString>

#include <cmath>
#include <utility>

namespace sarvo {

Outcome SetInfluence(Case& c)
{
    AnalysisResults& res = c.Results;
    return Trapped(QStringLiteral("Formulae(SetInfluence)"), [&] {
        res.InfluenceOrder.fill(0);
        res.InfluenceValue.fill(0.0f);
        const ErrorParams& e = res.ErrorValues;
        const double R = res.LscResult.Radius;
        const double F = LeadingNumber(c.Header[HdrFeedrate]);

        // Each term as the largest deviation it causes at the test radius, µm.
        auto set = [&](int code, double magnitude) {
            res.InfluenceValue[static_cast<std::size_t>(code)] = CheckedSingle(std::fabs(CheckedFinite(magnitude)));
        };
        set(InfBackH0, e.Back0);
        set(InfBackV0, e.Back90);
        set(InfBackH1, e.Back180);
        set(InfBackV1, e.Back270);
        set(InfPlayH, e.PlayH);
        set(InfPlayV, e.PlayV);
        set(InfScaleH, R * e.ScaleH / 1000.0);
        set(InfScaleV, e.ScaleV * R / 1000.0);
        set(InfCyclicH, e.CyclicH);
        set(InfCyclicV, e.CyclicV);
        set(InfServo, CheckedDiv((e.ServoH - 100.0) / 100.0, R) * F / 60.0 * 2000.0);
        set(InfSlipH, e.SlipH);
        set(InfSlipV, e.SlipV);
        set(InfSpikeH, e.SpikeH);
        set(InfSpikeV, e.SpikeV);
        set(InfSquareness, e.Squareness / 3600.0 * kPi12 / 180.0 * R * 1000.0);
        set(InfStraightH, e.StraightH / 2.0);
        set(InfStraightV, e.StraightV / 2.0);
        set(InfRandom, e.Random);
        set(InfPolar, e.PolarVibration);

        for (int i = 0; i < kInfluenceCodes; ++i)
            res.InfluenceOrder[static_cast<std::size_t>(i)] = static_cast<int16_t>(i);
        // The exchange sort the chart has always used: equal magnitudes are never exchanged, yet
        // a later exchange can carry one past its equal, so ties need not keep code order.
        auto value = [&](int rank) { return res.InfluenceValue[static_cast<std::size_t>(res.InfluenceOrder[static_cast<std::size_t>(rank)])]; };
        for (int i = 0; i < kInfluenceCodes; ++i)
            for (int j = i + 1; j < kInfluenceCodes; ++j)
                if (value(j) > value(i))
                    std::swap(res.InfluenceOrder[static_cast<std::size_t>(i)], res.InfluenceOrder[static_cast<std::size_t>(j)]);

        const QString plane = c.Header[HdrPlane];
        const QString H = QStringLiteral(" ") + plane.mid(0, 1);
        const QString V = QStringLiteral(" ") + plane.mid(1, 1);
        const QString backlash = Translate(QStringLiteral("Backlash"));
        const QString play = Translate(QStringLiteral("Lateral Play"));
        const QString mismatch = Translate(QStringLiteral("Mismatch"));
        const QString cyclic = Translate(QStringLiteral("Cyclic"));
        const QString slip = Translate(QStringLiteral("Stick Slip"));
        const QString spike = Translate(QStringLiteral("Axis Spike"));
        const QString straightness = Translate(QStringLiteral("Straightness"));
        auto name = [&](int code, const QString& text) { res.InfluenceName[static_cast<std::size_t>(code)] = text; };
        name(InfBackH0, backlash + H + "+");
        name(InfBackV0, backlash + V + "+");
        name(InfBackH1, backlash + H + "-");
        name(InfBackV1, backlash + V + "-");
        name(InfPlayH, play + H);
        name(InfPlayV, play + V);
        name(InfScaleH, mismatch + H);
        name(InfScaleV, mismatch + V);
        name(InfCyclicH, cyclic + H);
        name(InfCyclicV, cyclic + V);
        name(InfServo, Translate(QStringLiteral("Servo")));
        name(InfSlipH, slip + H);
        name(InfSlipV, slip + V);
        name(InfSpikeH, spike + H);
        name(InfSpikeV, spike + V);
        name(InfSquareness, Translate(QStringLiteral("Squareness")));
        name(InfStraightH, straightness + H);
        name(InfStraightV, straightness + V);
        name(InfRandom, Translate(QStringLiteral("Vibration")));
        name(InfPolar, Translate(QStringLiteral("Dir. Vibration")));
    });
}

} // namespace sarvo
