#include "display/results_view.h"

#include "core/language_db.h"
#include "core/number_format.h"
#include "core/pi.h"
#include "core/utilities.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sarvo::display {

namespace {

constexpr ResultPageInfo kPages[kResultPages] = {
    {"All", "All", 0, -1, -1, nullptr},
    {"A&xis Spike ", "Axis Spike", 1, 13, 14,
     "The value of axis spike increases on higher feedrates. So to confirm analysis another measurement with higher "
     "feedrate is needed.  "},
    {"&Backlash", "Backlash Step", 2, 0, 3,
     "To compensate backlash on your machine tool measurement should be done on the same feedrate as critical "
     "machinings are done. On static measurements the amounts of backlash and lateral play looks similar. So to "
     "distinguish these one, measure also dynamically."},
    {"Circ&ularity", "Circularity", 3, -1, -1, nullptr},
    {"Cycl&ic", "Cyclic Error", 4, 8, 9,
     "If pitch values are bigger than the radius of ball bar measurement, it is probable that straightness error on "
     "the axis can cause this amount of cyclic error."},
    {"IS&O", "Circularity according ISO 230-4", 3, -1, -1,
     "Bi-directional circular deviation G(b) and mean bi-directional radial deviation D are calculated only if the "
     "measurement contains one CW and one CCW circle. Circular deviation G and Radial deviation F is calculated for "
     "each round independently."},
    {"&Lateral Play", "Lateral Play", 5, 4, 5,
     "Both directions have to be measured to estimate value of the lateral play. The value of lateral play depends on "
     "the position on table."},
    {"Scal&e", "Scale Error", 6, 6, 7,
     "When using a non-calibrated ball bar equipment, it is impossible to find out absolute scale error values. So in "
     "those cases only scale mismatch value is shown. If value of absolute scale error is dependant on the feedrate, "
     "there might be a considerable servo lag on the machine."},
    {"Se&rvo", "Servo Response", 7, 10, 10,
     "This servo mismatch value is proportional and shows only mismatch of axis gains. Values on different machine "
     "tools can not be compared to each others."},
    {"S&quareness", "Squareness Error", 8, 15, 15,
     "When only one direction is measured, it is impossible to distinguish servo error and squareness error. So in "
     "those cases the squareness error value includes also the effect of servo error and in order to separete those "
     "two errors both directions should be measured."},
    {"Stic&k Slip", "Stick Slip", 9, 11, 12,
     "The value of stick slip depends on the feedrate. So to confirm analysis another measurement with different "
     "feedrate is needed."},
    {"S&traightness", "Straightness", 10, 16, 17,
     "If the pitch of ballscrews of the machine tool is bigger than the radius of ball bar measurement, it is "
     "possible that the cyclic error of ballscrews looks like straightness error. If that kind of phenomenon is "
     "suspected, a new measurement with bigger radius is needed."},
    {"&Vibration", "Random Vibration", 11, 18, 19, nullptr},
    {"&Pareto", " The most important error sources", 0, -1, -1, nullptr},
};

const QString kForm = QStringLiteral("result");

constexpr int kShownRuns = 4;        // the window has four run rows
constexpr int kMaxSpectrumLines = kSpectrumSize - 1;
constexpr double kServoNotFound = 100.0;

const char* const kSignPictures[] = {"ImgScaleMinus", "ImgScalePlus", "ImgScaleMinusXZ", "ImgScalePlusXZ",
                                     "ImgMinus",      "ImgPlus",      "ImgMinusXZ",      "ImgPlusXZ"};

class Builder {
public:
    Builder(const Case& c, const UnitState& units, const Settings& settings)
        : c_(c), u_(units), e_(c.Results.ErrorValues), valid_(c.Results.ResultsValid), inch_(settings.UnitsInch),
          diameter_(2 * c.Data.TestRadius * units.LargeFactor), perLength_(settings.UnitsInch ? 12.0 : 1000.0)
    {
    }

    ResultsView build()
    {
        pageCaptions();
        titles();
        availability();
        circularity();
        spikeBacklashRadius();
        squareness();
        slipAndPlay();
        scale();
        cyclic();
        vibration();
        servo();
        straightness();
        iso();
        axisLetters();
        unitCaptions();
        view_.paretoAxisTitle = u_.SmallCaption;
        signPictures();
        spectrum();
        pareto();
        // A file without measured feedrates leaves the captions empty: 0 would read as a measurement.
        set("lblAverageFeedrate", -1, c_.Data.FeedrateMeasured() ? large(c_.Data.MeasuredFeedrateAverage) : QString());
        return std::move(view_);
    }

private:
    void set(const char* control, int index, QString text)
    {
        view_.captions.push_back({QLatin1String(control), index, std::move(text)});
    }
    // One value in both places of its control array.
    void setBoth(const char* control, const QString& text)
    {
        set(control, 0, text);
        set(control, 1, text);
    }
    void show(const char* control, int index, bool shown) { view_.visible[ControlKey(QLatin1String(control), index)] = shown; }

    QString format(double value, const QString& pattern) const { return FormatNumber(value, pattern, QLocale()); }
    QString small(double um) const { return format(um * u_.SmallFactor, u_.SmallFormat); }
    QString large(double mm) const { return format(mm * u_.LargeFactor, u_.LargeFormat); }
    QString longer(double mm) const { return format(mm * u_.LargeFactor, u_.LongFormat); }
    // A value per metre as the error over the test diameter.
    QString overDiameter(double perMetre) const { return format(perMetre * u_.ScaleErrFactor * diameter_ / perLength_, u_.SmallFormat); }

    // An error-model value: blank when the fit did not find it, and while the fit is not current.
    QString term(double um) const { return valid_ && um != 0 ? small(um) : QString(); }
    QString fitted(const QString& text) const { return valid_ ? text : QString(); }

    QString axis(int which) const { return c_.Header[HdrPlane].mid(which, 1); }
    QString runCaption(int run) const
    {
        const bool cw = c_.Data.RunDirection[static_cast<std::size_t>(run)] < 0;
        return QString::number(run) + u'.' + Translate(cw ? QStringLiteral("CW") : QStringLiteral("CCW"));
    }
    int shownRuns() const { return std::clamp<int>(c_.Data.RunCount, 0, kShownRuns); }

    // The titles of value rows that the printed report labels its rows with.
    void titles()
    {
        set("LblServoTitle", 0, TranslateIn(kForm, QStringLiteral("Servo Mismatch")));
        set("LblDirVib", -1, TranslateIn(kForm, QStringLiteral("Directional Vibration")));
        set("LblPitchTitle", -1, TranslateIn(kForm, QStringLiteral("Pitch")));
        set("LblStraightTitle", 0, TranslateIn(kForm, QStringLiteral("Straightness")));
    }

    void pageCaptions()
    {
        for (int i = 0; i < kResultPages; ++i)
            set("lblType", i, TranslateIn(kForm, QString::fromLatin1(kPages[i].type)));
        for (int i = 0; i < kResultPages; ++i)
            set("frmType", i, TranslateIn(kForm, QString::fromLatin1(kPages[i].frame)));
    }

    // Computed whole every time: no page stays off because an earlier case switched it off.
    void availability()
    {
        view_.pageEnabled.fill(true);
        if (!c_.Data.Dynamic) {
            for (ResultPage p : {ResultPage::AxisSpike, ResultPage::Cyclic, ResultPage::Servo, ResultPage::StickSlip,
                                 ResultPage::Vibration})
                view_.pageEnabled[static_cast<std::size_t>(p)] = false;
        }
        // A failed fit found nothing, so there is no play and no servo mismatch to show either.
        if (!valid_ || (e_.PlayH == 0 && e_.PlayV == 0))
            view_.pageEnabled[static_cast<std::size_t>(ResultPage::LateralPlay)] = false;
        if (!valid_ || (e_.ServoH == kServoNotFound && e_.ServoV == kServoNotFound))
            view_.pageEnabled[static_cast<std::size_t>(ResultPage::Servo)] = false;
    }

    // The circle evaluations come before the error model, so they stand also after a failed fit.
    void circularity()
    {
        const CircleResult& lsc = c_.Results.LscResult;
        const CircleResult& mzc = c_.Results.MzcResult;
        set("LblCentH", 0, small(e_.CentreH));
        set("LblCentV", 0, small(e_.CentreV));
        set("LblCentH", 1, small(mzc.CentreH));
        set("LblCentV", 1, small(mzc.CentreV));
        set("LblCirV", 0, small(lsc.Circularity));
        set("LblCirV", 1, small(mzc.Circularity));
        set("LblCirV", 2, small(lsc.Circularity));
        set("LblCirV", 3, small(lsc.Circularity));
        const QString degrees = QStringLiteral("##0");
        set("LblCirMaV", -1, small(lsc.Max));
        set("LblCirMaP", 0, format(lsc.MaxPos, degrees));
        set("LblCirMaP", 1, format(mzc.MaxPos, degrees));
        set("LblCirMiV", -1, small(lsc.Min));
        set("LblCirMiP", 0, format(lsc.MinPos, degrees));
        set("LblCirMiP", 1, format(mzc.MinPos, degrees));
    }

    // The mean of the two steps of an axis when both were found, else the one found; blank only
    // when neither was: steps of +4 and -4 mean 0, not nothing.
    QString backlash(double plus, double minus) const
    {
        if (!valid_ || (plus == 0 && minus == 0))
            return {};
        if (plus != 0 && minus != 0)
            return small((plus + minus) / 2);
        return small(minus != 0 ? minus : plus);
    }

    void spikeBacklashRadius()
    {
        setBoth("LblSpikeH", term(e_.SpikeH));
        setBoth("LblSpikeV", term(e_.SpikeV));
        set("LblBlashH", -1, backlash(e_.Back0, e_.Back180));
        set("LblBlashV", -1, backlash(e_.Back90, e_.Back270));
        set("LblBVal0", -1, term(e_.Back0));
        set("LblBVal180", -1, term(e_.Back180));
        set("LblBVal90", -1, term(e_.Back90));
        set("LblBVal270", -1, term(e_.Back270));
        const QString lscRadius = longer(c_.Results.LscResult.Radius);
        set("LblBestR", 0, lscRadius);
        set("LblBestR", 2, lscRadius);
        set("LblBestR", 1, longer(c_.Results.MzcResult.Radius));
    }

    void squareness()
    {
        const double perMetre = std::tan(e_.Squareness / 3600 * kPi12 / 180) * 1000000;
        setBoth("LblSqEr", fitted(overDiameter(perMetre)));
        set("LblSqEr", 2, fitted(format(e_.Squareness, QStringLiteral("##0"))));
    }

    void slipAndPlay()
    {
        setBoth("LblSlipH", term(e_.SlipH));
        setBoth("LblSlipV", term(e_.SlipV));
        setBoth("LblPlayH", term(e_.PlayH));
        setBoth("LblPlayV", term(e_.PlayV));
    }

    void scale()
    {
        set("LblScEr", -1, fitted(overDiameter(e_.ScaleH - e_.ScaleV)));
        const bool calibrated = c_.Data.Calibrated;
        // Without a calibrated bar only the mismatch is known: the panel covers the absolute values.
        show("PnlHide", -1, !calibrated);
        show("LblScaleAxis", 2, !calibrated);
        show("LblAxesH", 10, calibrated);
        if (calibrated) {
            set("LblScErH", 0, fitted(overDiameter(e_.ScaleH)));
            set("LblScErV", 0, fitted(overDiameter(e_.ScaleV)));
        } else {
            set("LblScErH", 0, fitted(overDiameter(e_.ScaleH - e_.ScaleV)));
            set("LblScErV", 0, QString());
        }
    }

    void cyclic()
    {
        const bool found = valid_ && (e_.CyclicH != 0 || e_.CyclicV != 0);
        setBoth("LblCyclicH", found ? small(e_.CyclicH) : QString());
        setBoth("LblCyclicV", found ? small(e_.CyclicV) : QString());
        set("LblPitchH", -1, found && e_.PitchH != 0 ? large(e_.PitchH) : QString());
        set("LblPitchV", -1, found && e_.PitchV != 0 ? large(e_.PitchV) : QString());
        const QString degrees = QStringLiteral("####");
        set("LblPhaseH", -1, found ? format(e_.PhaseH, degrees) : QString());
        set("LblPhaseV", -1, found ? format(e_.PhaseV, degrees) : QString());
    }

    void vibration()
    {
        setBoth("LblRandom", term(e_.Random));
        setBoth("LblPolarVib", term(e_.PolarVibration));
        const bool directional = valid_ && e_.PolarVibration != 0;
        set("LblPolarAngle", -1, directional ? format(e_.VibrationAngle, QStringLiteral("###0")) : QString());
    }

    void servo()
    {
        const bool found = valid_ && e_.ServoH != kServoNotFound && e_.ServoV != kServoNotFound;
        setBoth("LblServoH", found ? format(e_.ServoH - e_.ServoV, QStringLiteral("##0")) : QString());
        const int runs = shownRuns();
        const bool measured = c_.Data.FeedrateMeasured();
        for (int row = 0; row < kShownRuns; ++row) {
            const bool shown = row < runs;
            const auto run = static_cast<std::size_t>(row + 1);
            set("LblRoundServo", row, shown ? runCaption(row + 1) : QString());
            show("LblRoundServo", row, shown);
            set("lblRunFeedrate", row, shown && measured ? large(c_.Data.RunFeedrate[run]) : QString());
            show("lblRunFeedrate", row, shown);
        }
    }

    void straightness()
    {
        setBoth("LblStraightH", term(e_.StraightH));
        setBoth("LblStraightV", term(e_.StraightV));
    }

    // ISO 230-4 comes from the measurement itself, not from the fit.
    void iso()
    {
        const IsoResults& iso = c_.Results.Iso;
        auto value = [this](double um) { return um != 0 ? small(um) : QString(); };
        set("LblIsoGb", -1, value(iso.IsoGb));
        set("lblIsoD", -1, value(iso.IsoD));
        const int runs = shownRuns();
        for (int row = 0; row < kShownRuns; ++row) {
            const bool shown = row < runs;
            const auto run = static_cast<std::size_t>(row + 1);
            set("LblRound", row, shown ? runCaption(row + 1) : QString());
            set("LblIsoG", row, shown ? value(iso.IsoG[run]) : QString());
            const bool deviation = shown && (iso.IsoFmin[run] != 0 || iso.IsoFmax[run] != 0);
            set("LblIsoF", row, deviation ? QString(small(iso.IsoFmin[run]) + QStringLiteral(" / ") + small(iso.IsoFmax[run])) : QString());
            show("PnlIsoG", row, shown);
            show("PnlIsoF", row, shown);
            show("LblRound", row, shown);
        }
    }

    void axisLetters()
    {
        const QString h = axis(0), v = axis(1);
        for (int i = 0; i < 16; ++i)
            set("LblAxesH", i, h);
        for (int i = 0; i < 16; ++i)
            set("LblAxesV", i, v);
        set("LblAxesHB", 0, h + u'+');
        set("LblAxesVB", 0, v + u'+');
        set("LblAxesHB", 1, h + u'-');
        set("LblAxesVB", 1, v + u'-');
        for (int i = 0; i < 3; ++i)
            set("LblScaleAxis", i, u'(' + h + u'-' + v + u')');
    }

    void unitCaptions()
    {
        for (int i = 0; i <= 40; ++i)
            set("LblUnit", i, u_.SmallCaption);
        for (int i = 0; i <= 5; ++i)
            set("lblMMUnit", i, u_.LargeCaption);
        const QString diameter = inch_ ? format(diameter_ + 0.01, QStringLiteral("##0.0"))
                                       : format(diameter_ + 0.1, QStringLiteral("##0"));
        const QString perDiameter = u_.SmallCaption + u'/' + diameter + u_.LargeCaption;
        for (int i = 0; i <= 4; ++i)
            set("lblSqUnit", i, perDiameter);
    }

    // The signs of the scale mismatch and the squareness; none while the fit is not current.
    void signPictures()
    {
        for (const char* picture : kSignPictures)
            show(picture, -1, false);
        if (!valid_)
            return;
        const bool xz = c_.Header[HdrPlane] == QStringLiteral("xz");
        const bool scaleMinus = e_.ScaleH - e_.ScaleV < 0;
        const bool squareMinus = e_.Squareness < 0;
        show(xz ? (scaleMinus ? "ImgScaleMinusXZ" : "ImgScalePlusXZ") : (scaleMinus ? "ImgScaleMinus" : "ImgScalePlus"), -1, true);
        show(xz ? (squareMinus ? "ImgMinusXZ" : "ImgPlusXZ") : (squareMinus ? "ImgMinus" : "ImgPlus"), -1, true);
    }

    // Line i at i / W Hz, W the duration of the samples the lines were computed from. Without a
    // feedrate or run length W is unknown, and the lines stand at their numbers.
    void spectrum()
    {
        const auto& s = c_.Results.Spectrum;
        int lines = 0;
        if (valid_ && std::isfinite(s[0]) && s[0] >= 1)
            lines = s[0] >= kMaxSpectrumLines ? kMaxSpectrumLines : static_cast<int>(s[0]);

        const double feedrate = LeadingNumber(c_.Header[HdrFeedrate]);
        const int targets = c_.Data.RunTargets[1];
        float window = 0;
        if (feedrate > 0 && targets > 0) {
            const auto arcTime = static_cast<float>(c_.Data.SweepAngle / 360.0 * 2 * std::numbers::pi * c_.Data.TestRadius / feedrate * 60);
            window = static_cast<float>((lines + 1) * double(arcTime) * 2 / targets);
        }
        view_.spectrumInHertz = std::isfinite(window) && window > 0;
        view_.spectrum.reserve(static_cast<std::size_t>(lines));
        for (int i = 1; i <= lines; ++i) {
            const double x = view_.spectrumInHertz ? i / double(window) : i;
            view_.spectrum.emplace_back(x, s[static_cast<std::size_t>(i)]);
        }
    }

    void pareto()
    {
        if (!valid_)
            return;
        const AnalysisResults& r = c_.Results;
        for (int rank = 0; rank < 5; ++rank) {
            const int code = r.InfluenceOrder[static_cast<std::size_t>(rank)];
            if (code < 0 || code >= 20)
                continue;
            const auto k = static_cast<std::size_t>(code);
            view_.pareto.push_back({code, r.InfluenceName[k], r.InfluenceValue[k] * u_.SmallFactor});
        }
    }

    const Case& c_;
    const UnitState& u_;
    const ErrorParams e_; // a copy: the packed record's fields are read by value
    const bool valid_;
    const bool inch_;
    const double diameter_;  // the test diameter in display units
    const double perLength_; // mm per m, or inches per foot
    ResultsView view_;
};

} // namespace

QString ControlKey(const QString& control, int index)
{
    if (index < 0)
        return control;
    return control + u'(' + QString::number(index) + u')';
}

std::optional<QString> ResultsView::caption(const QString& control, int index) const
{
    for (const ResultCaption& c : captions) {
        if (c.index == index && c.control == control)
            return c.text;
    }
    return std::nullopt;
}

bool ResultsView::isVisible(const QString& key) const
{
    const auto it = visible.find(key);
    return it == visible.end() || it->second;
}

ResultsView BuildResultsView(const Case& c, const UnitState& units, const Settings& settings)
{
    return Builder(c, units, settings).build();
}

const ResultPageInfo& PageInfo(ResultPage page)
{
    return kPages[static_cast<std::size_t>(page)];
}

std::optional<ResultPage> PageOfFaultCode(int code)
{
    for (int i = 0; i < kResultPages; ++i) {
        if (kPages[i].firstFault >= 0 && code >= kPages[i].firstFault && code <= kPages[i].lastFault)
            return ResultPage(i);
    }
    return std::nullopt;
}

int HelpContextOfPage(ResultPage page)
{
    const int i = static_cast<int>(page);
    if (i < 0 || i >= kResultPages)
        return 0;
    return kPages[i].help;
}

} // namespace sarvo::display
