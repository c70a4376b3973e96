// Loading a stored case: rows written here with plain INSERTs come back as the open case, with the
// analysis curve and the spectrum computed afresh; a removed or damaged case fails and leaves the
// open case as it was.
#include "analysis/kelvox_binding.h"
#include "analysis/trig_tables.h"
#include "casedb/case_load.h"
#include "core/settings.h"
#include "tests/casedb/casedb_fixture.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

// What a saved case leaves in the four tables; a column left out of a map is Null.
struct StoredCase {
    QVariantMap measure;
    QVariantMap reliability;
    bool withReliability = true;
    std::vector<QVariantMap> runs;               // Direction rows, Dim 1, 2, ...
    std::vector<std::vector<double>> readings;   // Targets of run 1, 2, ...
};

// The value stored for a parameter column: distinct for every parameter, in Measure and
// Reliability alike.
double ParamValue(const ErrorParamField& f, double base) { return f.integer ? 100 + f.column : base + f.column * 0.25; }

double Reading(int run, int point) { return float(run * 0.001 + 0.0004 * std::sin(point * 0.01)); }

StoredCase SampleCase(int runs = 3, int points = 2500)
{
    StoredCase s;
    s.measure = {
        {col::Machine, "Mill 3"},       {col::Name, "Weekly"},          {col::Date, "2004-03-07 09:05:03"},
        {col::Filename, "/data/t1.rtb"}, {col::By, "Ann"},               {col::Radius, 75.05},
        {col::Length, double(150.1f)},  {col::Plane, "xy"},             {col::Feedrate, 1000.4},
        {col::StatDyn, "Static"},       {col::MaxTargets, points},      {col::Sampling, double(0.0125f)},
        {col::Customer, "ACME"},        {col::Comment, "weekly check"}, {col::Calibrated, 1},
        {col::Option, -1},              {col::OrigX, 10.5},             {col::OrigY, -2.25},
        {col::OrigZ, 0.0},              {col::GaugeExp, 11.5},          {col::MachineExp, 11.123456},
        {col::StartAngle, -45},         {col::StopAngle, 315},          {col::Calced, 1},
        {col::CentreOffV, 1.5},         {col::CentreOffH, -2.5},        {col::Circularity, 12.5},
        {col::CircMax, 6.1},            {col::CircMaxPoint, 90.5},      {col::CircMin, -6.4},
        {col::CircMinPoint, 270.25},    {col::LSCRadius, 75.0012},      {col::MZClarity, 11.5},
        {col::MZCMax, 5.5},             {col::MZCMaxPoint, 80.5},       {col::MZCMin, -6.0},
        {col::MZCMinPoint, 260.5},      {col::MZCCentreOffH, -2.25},    {col::MZCCentreOffV, 1.25},
        {col::MZCRadius, 75.0011},      {col::IsoH, 3.1},               {col::IsoGb, 4.2},
        {col::IsoD, 0.7},               {col::Scale, 99.0},             {col::DimCount, runs},
        {col::MeasuredFeedrateAverage, double(998.5f)},
        {col::EquipmentManufacturer, "Brintovale"},
        {col::EquipmentModel, "BV-2"},  {col::EquipmentSerial, "SN 17"}, {col::ScaleFactor, 1.0005},
    };
    for (const ErrorParamField& f : kErrorParamFields) {
        if (f.column == 0)
            continue;
        s.measure[f.name] = ParamValue(f, 1);
        s.reliability[f.name] = ParamValue(f, 0.5);
    }
    for (int i = 0; i <= 4; ++i) {
        s.measure[ProfileHColumn(i)] = double(float(0.1 * (i + 1)));
        s.measure[ProfileVColumn(i)] = double(float(-0.2 * (i + 1)));
    }
    for (int run = 1; run <= runs; ++run) {
        s.runs.push_back({{col::Direction, run % 2 ? -1 : 1},
                          {col::MeasuredTargets, points},
                          {col::GaugeTemp, 20.1 + run},
                          {col::MacTemp, 20.5 + run},
                          {col::IsoG, 1.5 * run},
                          {col::IsoFmin, -0.5 * run},
                          {col::IsoFmax, 0.75 * run},
                          {col::MeasuredFeedrate, double(float(990.5 + run))}});
        std::vector<double> values;
        for (int p = 0; p < points; ++p)
            values.push_back(Reading(run, p));
        s.readings.push_back(values);
    }
    return s;
}

// A target whose every field a load writes holds something else, so that a field not loaded or a
// field a failed load touched shows.
std::unique_ptr<Case> PreviousCase()
{
    auto c = std::make_unique<Case>();
    for (int slot = 0; slot < kHeaderSlots; ++slot)
        c->Header[slot] = QStringLiteral("old %1").arg(slot);
    CaseData& d = c->Data;
    for (int run = 0; run < kRunSlots; ++run) {
        for (int p = 0; p < kPointSlots; p += 7)
            d.Readings(run, p) = -9;
        d.RunFeedrate[std::size_t(run)] = 555;
        d.RunTargets[std::size_t(run)] = 9;
    }
    d.RunCount = 5;
    d.MeasuredFeedrateAverage = 777;
    d.ScaleFactor = 3;
    d.MaxTargets = 9;
    c->Results.ErrorValues.Squareness = -99;
    c->Results.ErrorValues.Random = -98;
    c->Results.LscResult.Radius = -97;
    c->Results.Spectrum.fill(42);
    c->Results.Iso.IsoG.fill(-5);
    for (int deg = -360; deg <= 720; ++deg)
        c->Results.AnalysisCurve(0, deg) = c->Results.AnalysisCurve(1, deg) = 66;
    c->Results.ResultsValid = true;
    return c;
}

void ExpectSameCase(const Case& a, const Case& b)
{
    EXPECT_TRUE(a.Header == b.Header);
    EXPECT_TRUE(a.Data.Readings == b.Data.Readings);
    EXPECT_EQ(a.Data.RunCount, b.Data.RunCount);
    EXPECT_EQ(a.Data.RunFeedrate, b.Data.RunFeedrate);
    EXPECT_EQ(a.Data.RunTargets, b.Data.RunTargets);
    EXPECT_EQ(a.Data.MeasuredFeedrateAverage, b.Data.MeasuredFeedrateAverage);
    EXPECT_EQ(a.Data.ScaleFactor, b.Data.ScaleFactor);
    EXPECT_EQ(a.Data.MaxTargets, b.Data.MaxTargets);
    EXPECT_EQ(std::memcmp(&a.Results.ErrorValues, &b.Results.ErrorValues, sizeof(ErrorParams)), 0);
    EXPECT_EQ(a.Results.LscResult.Radius, b.Results.LscResult.Radius);
    EXPECT_EQ(a.Results.Spectrum, b.Results.Spectrum);
    EXPECT_EQ(a.Results.AnalysisCurve(0, 10), b.Results.AnalysisCurve(0, 10));
    EXPECT_EQ(a.Results.ResultsValid, b.Results.ResultsValid);
}

class CaseLoadTest : public CaseDbTest {
protected:
    void SetUp() override
    {
        CaseDbTest::SetUp();
        savedLocale_ = QLocale();
        QLocale::setDefault(QLocale::c());
        store.open(dbPath());
        settings.ScaleFactor = 1.25;
    }
    void TearDown() override
    {
        QLocale::setDefault(savedLocale_);
        CaseDbTest::TearDown();
    }

    // The case's rows as a save writes them; returns its Meas_ID.
    int save(const StoredCase& s)
    {
        Inspector file(dbPath(), true);
        file.exec("BEGIN");
        insert(file, tbl::Measure, s.measure);
        const int id = file.value("SELECT max(\"Meas_ID\") FROM \"Measure\"").toInt();
        if (s.withReliability) {
            QVariantMap r = s.reliability;
            r[col::Meas_ID] = id;
            insert(file, tbl::Reliability, r);
        }
        for (std::size_t i = 0; i < s.runs.size(); ++i) {
            QVariantMap r = s.runs[i];
            r[col::Meas_ID] = id;
            r[col::Dim] = int(i + 1);
            insert(file, tbl::Direction, r);
        }
        for (std::size_t i = 0; i < s.readings.size(); ++i) {
            for (double v : s.readings[i])
                file.exec("INSERT INTO \"Targets\" (\"Meas_ID\", \"Dim\", \"Meas\") VALUES (?, ?, ?)", {id, int(i + 1), v});
        }
        file.exec("COMMIT");
        return id;
    }

    static void insert(Inspector& file, const char* table, const QVariantMap& values)
    {
        QStringList names, marks;
        for (auto it = values.begin(); it != values.end(); ++it) {
            names << QuoteName(it.key());
            marks << "?";
        }
        file.exec("INSERT INTO " + QuoteName(table) + " (" + names.join(", ") + ") VALUES (" + marks.join(", ") + ")",
                  values.values());
    }

    // Loads into a copy of the previous case; the result and the case.
    std::pair<LoadResult, std::unique_ptr<Case>> load(int id)
    {
        auto c = PreviousCase();
        LoadResult r = LoadCase(store, id, *c, settings);
        return {r, std::move(c)};
    }

    // The load must fail with the number and leave the target and the settings as they were.
    void expectRefused(const StoredCase& s, int number, const char* why) { expectRefused(save(s), number, why); }
    LoadResult expectRefused(int id, int number, const char* why)
    {
        SCOPED_TRACE(why);
        auto target = PreviousCase();
        const auto before = PreviousCase();
        const LoadResult r = LoadCase(store, id, *target, settings);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.number, number) << r.message.toStdString();
        EXPECT_FALSE(r.message.isEmpty());
        ExpectSameCase(*target, *before);
        EXPECT_EQ(settings.ScaleFactor, 1.25);
        return r;
    }

    Settings settings;

private:
    QLocale savedLocale_;
};

TEST_F(CaseLoadTest, AStoredCaseOfThreeRunsComesBackAsStored)
{
    const StoredCase s = SampleCase();
    const auto [r, c] = load(save(s));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_TRUE(r.withResults);

    const CaseHeader& h = c->Header;
    EXPECT_EQ(h[HdrFilename], "/data/t1.rtb");
    EXPECT_EQ(h[HdrMachine], "Mill 3");
    EXPECT_EQ(h[HdrDate], "2004-03-07 09:05:03");
    EXPECT_EQ(h[HdrBy], "Ann");
    EXPECT_EQ(h[HdrLength], "150.100");
    EXPECT_EQ(h[HdrPlane], "xy");
    EXPECT_EQ(h[HdrFeedrate], "1000");
    EXPECT_EQ(h[HdrStatDyn], "Static");
    EXPECT_EQ(h[HdrMaxTargets], "2500");
    EXPECT_EQ(h[HdrSampling], "0.0125");
    EXPECT_EQ(h[HdrCustomer], "ACME");
    EXPECT_EQ(h[HdrName], "Weekly");
    EXPECT_EQ(h[HdrComment], "weekly check");
    EXPECT_EQ(h[HdrOrigX], "10.5");
    EXPECT_EQ(h[HdrOrigY], "-2.25");
    EXPECT_EQ(h[HdrOrigZ], "0.0");
    EXPECT_EQ(h[HdrGaugeExp], "11.50");
    EXPECT_EQ(h[HdrMachineExp], "11.123456");
    EXPECT_EQ(h[HdrEquipmentManufacturer], "Brintovale");
    EXPECT_EQ(h[HdrEquipmentModel], "BV-2");
    EXPECT_EQ(h[HdrEquipmentSerial], "SN 17");
    // Slots no stored field fills end empty.
    for (int slot : {13, 19, 20, 21, 25, 30})
        EXPECT_EQ(h[slot], "") << slot;

    const CaseData& d = c->Data;
    EXPECT_EQ(d.TestDate.date(), QDate(2004, 3, 7));
    EXPECT_EQ(d.TestDate.time(), QTime(9, 5, 3));
    EXPECT_EQ(d.BallBarLength, 150.1f);
    EXPECT_EQ(d.TestRadius, 75.05);
    EXPECT_FALSE(d.Dynamic);
    EXPECT_EQ(d.MaxTargets, 2500);
    EXPECT_EQ(d.StartAngle, -45);
    EXPECT_EQ(d.StopAngle, 315);
    EXPECT_EQ(d.SweepAngle, 360);
    EXPECT_EQ(d.AngleStep, 45.0);
    EXPECT_TRUE(d.Calibrated);
    EXPECT_TRUE(d.OptionFlag);
    EXPECT_EQ(d.MeasuredFeedrateAverage, 998.5f);
    EXPECT_EQ(d.ScaleFactor, 1.0005);
    EXPECT_EQ(settings.ScaleFactor, 1.0005);
    ASSERT_EQ(d.RunCount, 3);
    for (int run = 1; run <= 3; ++run) {
        const auto i = std::size_t(run);
        EXPECT_EQ(d.RunDirection[i], run % 2 ? -1 : 1);
        EXPECT_EQ(d.RunTargets[i], 2500);
        EXPECT_EQ(d.GaugeTemp[i], 20.1 + run);
        EXPECT_EQ(d.MachineTemp[i], 20.5 + run);
        EXPECT_EQ(d.RunFeedrate[i], float(990.5 + run));
        EXPECT_EQ(c->Results.Iso.IsoG[i], 1.5 * run);
        EXPECT_EQ(c->Results.Iso.IsoFmin[i], -0.5 * run);
        EXPECT_EQ(c->Results.Iso.IsoFmax[i], 0.75 * run);
        for (int p = 0; p < 2500; ++p)
            ASSERT_EQ(d.Readings(run, p), Reading(run, p)) << run << "/" << p;
    }

    const AnalysisResults& res = c->Results;
    EXPECT_TRUE(res.ResultsValid);
    EXPECT_EQ(res.AnalysisStep, 45);
    for (const ErrorParamField& f : kErrorParamFields) {
        if (f.column == 0)
            continue;
        EXPECT_EQ(ErrorParamValue(res.ErrorValues, f), ParamValue(f, 1)) << f.name;
        EXPECT_EQ(ErrorParamValue(res.ErrorReliability, f), ParamValue(f, 0.5)) << f.name;
    }
    EXPECT_EQ(double(res.ErrorValues.CentreV), 1.5);
    EXPECT_EQ(double(res.ErrorValues.CentreH), -2.5);
    EXPECT_EQ(res.LscResult.Circularity, 12.5);
    EXPECT_EQ(res.LscResult.Max, 6.1);
    EXPECT_EQ(res.LscResult.MaxPos, 90.5);
    EXPECT_EQ(res.LscResult.Min, -6.4);
    EXPECT_EQ(res.LscResult.MinPos, 270.25);
    EXPECT_EQ(res.LscResult.Radius, 75.0012);
    EXPECT_EQ(res.LscResult.CentreH, -2.5);
    EXPECT_EQ(res.LscResult.CentreV, 1.5);
    EXPECT_EQ(res.MzcResult.Circularity, 11.5);
    EXPECT_EQ(res.MzcResult.Max, 5.5);
    EXPECT_EQ(res.MzcResult.MaxPos, 80.5);
    EXPECT_EQ(res.MzcResult.Min, -6.0);
    EXPECT_EQ(res.MzcResult.MinPos, 260.5);
    EXPECT_EQ(res.MzcResult.CentreH, -2.25);
    EXPECT_EQ(res.MzcResult.CentreV, 1.25);
    EXPECT_EQ(res.MzcResult.Radius, 75.0011);
    EXPECT_EQ(res.Iso.IsoH, 3.1);
    EXPECT_EQ(res.Iso.IsoGb, 4.2);
    EXPECT_EQ(res.Iso.IsoD, 0.7);
    for (int i = 0; i <= 4; ++i) {
        EXPECT_EQ(res.ProfileH[std::size_t(i)], float(0.1 * (i + 1)));
        EXPECT_EQ(res.ProfileV[std::size_t(i)], float(-0.2 * (i + 1)));
    }
    // A static case has no spectrum.
    for (float v : res.Spectrum)
        ASSERT_EQ(v, 0);
}

// The curve is the library's model of the stored parameters without the centre offsets, the
// random and directional vibration, and with the scale error as a length over the fitted radius.
TEST_F(CaseLoadTest, TheAnalysisCurveIsComputedFromTheStoredParameters)
{
    StoredCase s = SampleCase();
    s.measure[col::StatDyn] = "Dynamic";
    s.measure[col::StartAngle] = 0;
    s.measure[col::StopAngle] = 360;
    // The library draws the stick-slip phase afresh on every call: without stick-slip the curve
    // can be drawn again here.
    s.measure["SlipH"] = 0.0;
    s.measure["SlipV"] = 0.0;
    const auto [r, c] = load(save(s));
    ASSERT_TRUE(r.ok) << r.message.toStdString();

    ErrorParams expected = c->Results.ErrorValues; // as loaded; the stored vibration values go below
    for (const ErrorParamField& f : kErrorParamFields) {
        if (f.column != 0 && !f.integer) {
            const double v = ParamValue(f, 1);
            std::memcpy(reinterpret_cast<unsigned char*>(&expected) + f.offset, &v, sizeof v);
        }
    }
    const double scaleH = ParamValue(kErrorParamFields[8], 1), scaleV = ParamValue(kErrorParamFields[9], 1);
    ASSERT_STREQ(kErrorParamFields[8].name, "ScaleH");
    expected.ScaleH = (scaleH - scaleV) * 75.0012 / 1000;
    expected.ScaleV = -expected.ScaleH;
    expected.CentreH = expected.CentreV = 0;
    expected.Random = expected.PolarVibration = 0;
    expected.SlipH = expected.SlipV = 0;
    expected.VibrationAngle = 100 + 26;
    AnalysisCurveTable curve;
    std::array<float, kProfileSize> ph{}, pv{};
    for (int i = 0; i <= 4; ++i) {
        ph[std::size_t(i)] = float(0.1 * (i + 1));
        pv[std::size_t(i)] = float(-0.2 * (i + 1));
    }
    KelvoxCalcDBB(curve.degreeZero(), -1, 75.05, 1000, &expected, CosTabZero(), SinTabZero(), 0, 361, 1, ph.data(), pv.data());

    const AnalysisResults& res = c->Results;
    EXPECT_EQ(res.AnalysisCurveCount, 2);
    EXPECT_EQ(res.AnalysisCurveDir[1], -1);
    EXPECT_EQ(res.AnalysisCurveDir[2], 1);
    bool anyNonZero = false;
    for (int deg = 0; deg <= 360; ++deg) {
        for (int trace = 0; trace < 2; ++trace) {
            ASSERT_EQ(res.AnalysisCurve(trace, deg), curve(trace, deg)) << trace << "/" << deg;
            anyNonZero = anyNonZero || curve(trace, deg) != 0;
        }
    }
    EXPECT_TRUE(anyNonZero);
    // The previous case's curve is gone outside the loop as well.
    EXPECT_EQ(res.AnalysisCurve(0, -100), 0);
}

TEST_F(CaseLoadTest, TheSpectrumOfADynamicCaseIsComputedFromRunOne)
{
    StoredCase s = SampleCase(2, 2048);
    s.measure[col::StatDyn] = "Dyn";
    // A sine of 40 periods per 256 samples lies on line 40 of the spectrum.
    for (int p = 0; p < 2048; ++p)
        s.readings[0][std::size_t(p)] = float(0.001 * std::sin(2 * M_PI * 40 * p / 256.0));
    const auto [r, c] = load(save(s));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_TRUE(c->Data.Dynamic);
    EXPECT_EQ(c->Results.AnalysisStep, 1);
    EXPECT_DOUBLE_EQ(c->Data.AngleStep, 360.0 / 2048);
    const auto& sp = c->Results.Spectrum;
    EXPECT_EQ(sp[0], 127);
    EXPECT_EQ(std::max_element(sp.begin() + 1, sp.begin() + 128) - sp.begin(), 40);
    EXPECT_EQ(sp[200], 0); // the previous case's 42 beyond the lines is cleared
    // The fitted values stay as stored; the vibration values are the recomputed ones.
    EXPECT_EQ(double(c->Results.ErrorValues.Squareness), ParamValue(kErrorParamFields[22], 1));
    EXPECT_NE(double(c->Results.ErrorValues.Random), ParamValue(kErrorParamFields[25], 1));
}

TEST_F(CaseLoadTest, OnlyTheLowerCasePlaneXzChangesTheCurveSigns)
{
    // xz with the stored values gives the curve of xy with StraightH, PlayH and PlayV negated and
    // Back90 and Back270 exchanged; capital XZ gives the curve of xy unchanged.
    auto curveOf = [&](const QString& plane, bool mirrored) {
        StoredCase s = SampleCase(1, 720);
        s.measure[col::Plane] = plane;
        s.measure[col::StatDyn] = "Dynamic";
        s.measure[col::StartAngle] = 0;
        s.measure[col::StopAngle] = 360;
        // The library draws its random vibration and stick-slip phase afresh on every call:
        // without them two loads give comparable curves.
        for (const char* name : {"Random", "SlipH", "SlipV"})
            s.measure[name] = 0.0;
        if (mirrored) {
            for (const char* name : {"StraightH", "PlayH", "PlayV"})
                s.measure[name] = -s.measure[name].toDouble();
            std::swap(s.measure["Back90"], s.measure["Back270"]);
        }
        auto [r, c] = load(save(s));
        EXPECT_TRUE(r.ok) << r.message.toStdString();
        return std::move(c);
    };
    const auto xz = curveOf("xz", false);
    const auto xyMirrored = curveOf("xy", true);
    const auto capitals = curveOf("XZ", false);
    const auto xy = curveOf("xy", false);
    bool differs = false;
    for (int deg = 0; deg <= 360; ++deg) {
        for (int trace = 0; trace < 2; ++trace) {
            ASSERT_EQ(xz->Results.AnalysisCurve(trace, deg), xyMirrored->Results.AnalysisCurve(trace, deg)) << deg;
            ASSERT_EQ(capitals->Results.AnalysisCurve(trace, deg), xy->Results.AnalysisCurve(trace, deg)) << deg;
            differs = differs || xz->Results.AnalysisCurve(trace, deg) != xy->Results.AnalysisCurve(trace, deg);
        }
    }
    EXPECT_TRUE(differs);
    // The case itself keeps the stored signs.
    EXPECT_EQ(double(xz->Results.ErrorValues.StraightH), double(xy->Results.ErrorValues.StraightH));
    EXPECT_EQ(double(xz->Results.ErrorValues.Back90), double(xy->Results.ErrorValues.Back90));
    EXPECT_EQ(double(xz->Results.ErrorValues.PlayV), double(xy->Results.ErrorValues.PlayV));
}

TEST_F(CaseLoadTest, NullsTakeTheirDefaults)
{
    StoredCase s = SampleCase(2, 720);
    for (const char* name : {col::MeasuredFeedrateAverage, col::EquipmentManufacturer, col::EquipmentModel,
                             col::EquipmentSerial, col::Customer, col::StartAngle, col::StopAngle, col::Feedrate,
                             col::Sampling, col::OrigX, col::GaugeExp, col::IsoH, "ScaleH", "SpikeH", "PlayH",
                             col::Filename, col::Comment})
        s.measure.remove(name);
    s.measure[col::StatDyn] = "Dynamic";
    s.measure[col::MaxTargets] = 720;
    s.measure[col::Scale] = 8.0;
    s.runs[1].remove(col::MeasuredFeedrate);
    s.runs[1].remove(col::IsoG);
    s.runs[1].remove(col::IsoFmax);
    const auto [r, c] = load(save(s));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    const CaseHeader& h = c->Header;
    EXPECT_EQ(h[HdrEquipmentManufacturer], "Renishaw");
    EXPECT_EQ(h[HdrEquipmentModel], "QC10");
    EXPECT_EQ(h[HdrEquipmentSerial], "");
    EXPECT_EQ(h[HdrCustomer], "");
    EXPECT_EQ(h[HdrFeedrate], "");
    EXPECT_EQ(h[HdrSampling], "");
    EXPECT_EQ(h[HdrOrigX], "");
    EXPECT_EQ(h[HdrGaugeExp], "");
    EXPECT_EQ(h[HdrFilename], "");
    EXPECT_EQ(h[HdrComment], "");
    const CaseData& d = c->Data;
    EXPECT_EQ(d.StartAngle, 0);
    EXPECT_EQ(d.StopAngle, 360);
    EXPECT_EQ(d.AngleStep, 0.5);
    // Never the previous case's feedrates.
    EXPECT_EQ(d.MeasuredFeedrateAverage, 0);
    EXPECT_EQ(d.RunFeedrate[1], float(991.5));
    EXPECT_EQ(d.RunFeedrate[2], 0);
    const AnalysisResults& res = c->Results;
    EXPECT_EQ(res.Iso.IsoH, 0);
    EXPECT_EQ(res.Iso.IsoG[2], 0);
    EXPECT_EQ(res.Iso.IsoFmax[2], 0);
    EXPECT_EQ(res.Iso.IsoFmin[2], -1.0);
    EXPECT_EQ(double(res.ErrorValues.ScaleH), 4);
    EXPECT_EQ(double(res.ErrorValues.ScaleV), -4);
    // SpikeV and PlayV hold values, but follow their Null partners.
    EXPECT_EQ(double(res.ErrorValues.SpikeH) + double(res.ErrorValues.SpikeV), 0);
    EXPECT_EQ(double(res.ErrorValues.PlayH) + double(res.ErrorValues.PlayV), 0);
}

TEST_F(CaseLoadTest, TheScaleFactorIsOneWhenNullOrZero)
{
    for (const QVariant& stored : {QVariant(), QVariant(0.0), QVariant(0.9995)}) {
        StoredCase s = SampleCase(1, 8);
        s.measure[col::ScaleFactor] = stored;
        settings.ScaleFactor = 1.25;
        const auto [r, c] = load(save(s));
        ASSERT_TRUE(r.ok) << r.message.toStdString();
        const double expected = stored.isNull() || stored.toDouble() == 0 ? 1.0 : 0.9995;
        EXPECT_EQ(settings.ScaleFactor, expected);
        EXPECT_EQ(c->Data.ScaleFactor, expected);
    }
}

TEST_F(CaseLoadTest, OptionFlagAndDynamicTextFollowTheirRules)
{
    for (const auto& [option, on] : {std::pair{1, true}, std::pair{-1, true}, std::pair{0, false}, std::pair{2, false}}) {
        StoredCase s = SampleCase(1, 8);
        s.measure[col::Option] = option;
        const auto [r, c] = load(save(s));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(c->Data.OptionFlag, on) << option;
    }
    for (const auto& [text, dynamic] : {std::pair{"Dyn", true}, std::pair{"dynamic", false}, std::pair{"Stat", false}}) {
        StoredCase s = SampleCase(1, 8);
        s.measure[col::StatDyn] = text;
        const auto [r, c] = load(save(s));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(c->Data.Dynamic, dynamic) << text;
        EXPECT_EQ(c->Results.AnalysisStep, dynamic ? 1 : 45) << text;
    }
}

TEST_F(CaseLoadTest, ACaseWithoutResultsBringsItsRunsOnly)
{
    StoredCase s = SampleCase(2, 100);
    s.measure.remove(col::Calced);
    s.measure.remove("Squareness"); // not read without results
    s.withReliability = false;
    const auto [r, c] = load(save(s));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_FALSE(r.withResults);
    EXPECT_FALSE(c->Results.ResultsValid);
    EXPECT_EQ(c->Data.RunCount, 2);
    EXPECT_EQ(c->Data.Readings(2, 99), Reading(2, 99));
    // Nothing of the case open before stays: no per-run ISO values and no error model.
    EXPECT_EQ(c->Results.Iso.IsoG[1], 0);
    EXPECT_EQ(double(c->Results.ErrorValues.Squareness), 0);
    EXPECT_EQ(c->Results.LscResult.Radius, 75.0012);
}

TEST_F(CaseLoadTest, ARemovedOrDamagedCaseFailsAndLeavesTheOpenCase)
{
    {
        SCOPED_TRACE("no such case");
        save(SampleCase(1, 8));
        auto target = PreviousCase();
        const auto before = PreviousCase();
        const LoadResult r = LoadCase(store, 999, *target, settings);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.number, kNoCurrentRecord);
        ExpectSameCase(*target, *before);
        EXPECT_EQ(settings.ScaleFactor, 1.25);
    }
    StoredCase eight = SampleCase(7, 8);
    eight.measure[col::DimCount] = 8;
    expectRefused(eight, AppError::kSubscriptOutOfRange, "8 runs");

    StoredCase tooLong = SampleCase(1, 8001);
    tooLong.readings[0].push_back(0.5);
    expectRefused(tooLong, AppError::kSubscriptOutOfRange, "8002 readings");

    StoredCase fewer = SampleCase(3, 50);
    fewer.readings[1].pop_back();
    expectRefused(fewer, kDamagedCase, "fewer readings than MeasuredTargets");

    StoredCase strayRun = SampleCase(3, 20);
    strayRun.measure[col::DimCount] = 2;
    expectRefused(strayRun, kDamagedCase, "rows of a run beyond DimCount");

    StoredCase noRun = SampleCase(3, 20);
    noRun.runs.pop_back();
    expectRefused(noRun, kNoCurrentRecord, "no Direction row of run 3");

    StoredCase noReliability = SampleCase(1, 8);
    noReliability.withReliability = false;
    expectRefused(noReliability, kNoCurrentRecord, "no Reliability row");

    for (const char* name : {col::Radius, col::Length, col::Date, col::MaxTargets, col::DimCount,
                             col::LSCRadius, "Back90", "VibrationAngle"}) {
        StoredCase s = SampleCase(1, 8);
        s.measure.remove(name);
        expectRefused(s, kInvalidUseOfNull, name);
    }
    StoredCase nullReliability = SampleCase(1, 8);
    nullReliability.reliability.remove("Random");
    expectRefused(nullReliability, kInvalidUseOfNull, "Null in Reliability");
    StoredCase nullTemp = SampleCase(1, 8);
    nullTemp.runs[0].remove(col::MacTemp);
    expectRefused(nullTemp, kInvalidUseOfNull, "Null in Direction");

    StoredCase zeroTargets = SampleCase(1, 8);
    zeroTargets.measure[col::StatDyn] = "Dynamic";
    zeroTargets.measure[col::MaxTargets] = 0;
    expectRefused(zeroTargets, AppError::kDivisionByZero, "dynamic with MaxTargets 0");

    StoredCase wide = SampleCase(1, 8);
    wide.measure[col::StopAngle] = 40000;
    expectRefused(wide, AppError::kOverflow, "StopAngle beyond 16 bits");
    StoredCase sweep = SampleCase(1, 8);
    sweep.measure[col::StartAngle] = -30000;
    sweep.measure[col::StopAngle] = 30000;
    expectRefused(sweep, AppError::kOverflow, "sweep beyond 16 bits");

    StoredCase badDate = SampleCase(1, 8);
    badDate.measure[col::Date] = "yesterday";
    expectRefused(badDate, AppError::kTypeMismatch, "unreadable date");

    // Text or a blob where a number is stored, a reading as any other field.
    for (const auto& [value, column] : {std::pair{"'oops'", "Targets.Meas"}, std::pair{"X'00803F'", "Targets.Meas"},
                                        std::pair{"X'313530'", "Measure.Radius"}}) {
        const int id = save(SampleCase(2, 8));
        const QString table = QString(column).section('.', 0, 0);
        Inspector(dbPath(), true)
            .exec(QStringLiteral("UPDATE %1 SET %2 = %3 WHERE rowid = (SELECT max(rowid) FROM %1)")
                      .arg(QuoteName(table), QuoteName(QString(column).section('.', 1)), value));
        const LoadResult r = expectRefused(id, AppError::kTypeMismatch, column);
        EXPECT_EQ(r.message, QStringLiteral("Type mismatch: ") + column);
    }

    // The save stores an empty plane or capture type as Null: such a case loads with empty texts.
    StoredCase noPlane = SampleCase(1, 8);
    noPlane.measure.remove(col::Plane);
    const auto [r, c] = load(save(noPlane));
    EXPECT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(c->Header[HdrPlane], QString());
}

TEST_F(CaseLoadTest, TheRecentTextNamesSessionPlaneAndFeedrate)
{
    Case c;
    c.Header[HdrName] = "S1";
    c.Header[HdrPlane] = "xy";
    c.Header[HdrFeedrate] = "400";
    c.Data.Dynamic = true;
    EXPECT_EQ(LoadedCaseRecentText(c), "S1 xy 400mm/min");
    c.Data.Dynamic = false;
    EXPECT_EQ(LoadedCaseRecentText(c), "S1 xy Static");
    c.Header[HdrName] = "";
    EXPECT_EQ(LoadedCaseRecentText(c), " xy Static");
}

} // namespace
} // namespace sarvo::test
