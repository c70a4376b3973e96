#include "casedb/case_load.h"

#include "analysis/analyse_case.h"
#include "casedb/case_columns.h"
#include "casedb/sql_error.h"
#include "core/checked_math.h"
#include "core/dates.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/settings.h"
#include "core/utilities.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>
#include <memory>
#include <utility>

namespace sarvo::casedb {

namespace {

AppError nullField(const QString& table, const char* column)
{
    return AppError(kInvalidUseOfNull, QStringLiteral("Invalid use of Null: %1.%2").arg(table, QLatin1String(column)));
}

AppError damaged(const QString& what)
{
    return AppError(kDamagedCase, QStringLiteral("The stored case is damaged: ") + what);
}

// One row of a query, by column name; a column the file lacks (an old read-only file) reads as
// Null.
class Row {
public:
    Row(QString table, QSqlRecord record) : table_(std::move(table)), record_(std::move(record)) {}

    QVariant value(const char* column) const
    {
        const int at = record_.indexOf(QLatin1String(column));
        return at < 0 ? QVariant() : record_.value(at);
    }
    bool isNull(const char* column) const { return value(column).isNull(); }

    // A field every save writes: Null fails the load instead of reading as 0.
    QVariant required(const char* column) const
    {
        QVariant v = value(column);
        if (v.isNull())
            throw nullField(table_, column);
        return v;
    }
    double number(const char* column) const { return toNumber(column, required(column)); }
    double numberOr(const char* column, double fallback) const
    {
        const QVariant v = value(column);
        return v.isNull() ? fallback : toNumber(column, v);
    }
    QString text(const char* column) const { return required(column).toString(); }
    QString textOr(const char* column, const QString& fallback) const
    {
        const QVariant v = value(column);
        return v.isNull() ? fallback : v.toString();
    }

private:
    double toNumber(const char* column, const QVariant& v) const
    {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            throw AppError(AppError::kTypeMismatch,
                           QStringLiteral("Type mismatch: %1.%2").arg(table_, QLatin1String(column)));
        return d;
    }

    QString table_;
    QSqlRecord record_;
};

QSqlQuery run(const CaseStore& store, const QString& sql, int32_t measId)
{
    QSqlQuery q(store.database());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw SqlFailure(q.lastError());
    q.addBindValue(measId);
    if (!q.exec())
        throw SqlFailure(q.lastError());
    return q;
}

QString selectAll(const char* table, const QString& tail = {})
{
    return QStringLiteral("SELECT * FROM %1 WHERE %2 = ?%3")
        .arg(QuoteName(QLatin1String(table)), QuoteName(QLatin1String(col::Meas_ID)), tail);
}

// A read transaction for the lifetime of the object, so that the four queries see one state of
// the file even while another program removes the case.
class ReadTransaction {
public:
    explicit ReadTransaction(QSqlDatabase db) : db_(std::move(db))
    {
        if (!db_.transaction())
            throw SqlFailure(db_.lastError());
    }
    ~ReadTransaction() { db_.rollback(); }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    QSqlDatabase db_;
};

void readRuns(const CaseStore& store, int32_t measId, Case& c, bool withIso)
{
    CaseData& d = c.Data;
    const int runs = d.RunCount;

    {
        QSqlQuery q = run(store, selectAll(tbl::Direction, QStringLiteral(" ORDER BY %1").arg(QuoteName(col::Dim))), measId);
        std::array<bool, kRunSlots> seen{};
        while (q.next()) {
            const Row r(QLatin1String(tbl::Direction), q.record());
            const double dim = r.number(col::Dim);
            if (dim != std::floor(dim) || dim < 1 || dim > runs)
                throw damaged(QStringLiteral("a run row of run %1 in a case of %2 runs").arg(dim).arg(runs));
            const auto i = static_cast<std::size_t>(dim);
            seen[i] = true;
            if (!r.isNull(col::MeasuredFeedrate))
                d.RunFeedrate[i] = static_cast<float>(r.number(col::MeasuredFeedrate));
            d.RunDirection[i] = CheckedInt16(r.number(col::Direction));
            d.RunTargets[i] = CheckedInt16(r.number(col::MeasuredTargets));
            d.GaugeTemp[i] = r.number(col::GaugeTemp);
            d.MachineTemp[i] = r.number(col::MacTemp);
            if (d.RunTargets[i] < 0 || d.RunTargets[i] > kPointSlots)
                throw AppError::subscriptOutOfRange();
            if (withIso) {
                IsoResults& iso = c.Results.Iso;
                iso.IsoG[i] = r.numberOr(col::IsoG, 0);
                iso.IsoFmin[i] = r.numberOr(col::IsoFmin, 0);
                iso.IsoFmax[i] = r.numberOr(col::IsoFmax, 0);
            }
        }
        for (int run = 1; run <= runs; ++run) {
            if (!seen[static_cast<std::size_t>(run)])
                throw AppError(kNoCurrentRecord, QStringLiteral("No run row for run %1").arg(run));
        }
    }

    const QString readings = QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = ? ORDER BY %1, %5")
                                 .arg(QuoteName(col::Dim), QuoteName(col::Meas), QuoteName(tbl::Targets),
                                      QuoteName(col::Meas_ID), QuoteName(col::ID));
    QSqlQuery q = run(store, readings, measId);
    std::array<int, kRunSlots> count{};
    while (q.next()) {
        if (q.isNull(0) || q.isNull(1))
            throw nullField(QLatin1String(tbl::Targets), q.isNull(0) ? col::Dim : col::Meas);
        bool ok = false;
        const int dim = q.value(0).toInt(&ok);
        if (!ok || dim < 1 || dim > runs)
            throw damaged(QStringLiteral("readings of run %1 in a case of %2 runs").arg(q.value(0).toString()).arg(runs));
        const auto i = static_cast<std::size_t>(dim);
        // Raises error 9 at the first reading beyond the table (8001 per run).
        d.Readings(dim, count[i]) = q.value(1).toDouble();
        ++count[i];
    }
    for (int run = 1; run <= runs; ++run) {
        const auto i = static_cast<std::size_t>(run);
        if (count[i] != d.RunTargets[i])
            throw damaged(QStringLiteral("run %1 holds %2 readings instead of %3").arg(run).arg(count[i]).arg(d.RunTargets[i]));
    }
}

void readErrorValues(const Row& m, Case& c)
{
    ErrorParams& e = c.Results.ErrorValues;
    e.Squareness = m.number("Squareness");
    if (m.isNull("ScaleH")) {
        e.ScaleH = m.number(col::Scale) / 2;
        e.ScaleV = -m.number(col::Scale) / 2;
    } else {
        e.ScaleH = m.number("ScaleH");
        e.ScaleV = m.number("ScaleV");
    }
    if (m.isNull("SpikeH")) {
        e.SpikeH = e.SpikeV = 0;
    } else {
        e.SpikeH = m.number("SpikeH");
        e.SpikeV = m.number("SpikeV");
    }
    if (m.isNull("PlayH")) {
        e.PlayH = e.PlayV = 0;
    } else {
        e.PlayH = m.number("PlayH");
        e.PlayV = m.number("PlayV");
    }
    e.Back0 = m.number("Back0");
    e.Back90 = m.number("Back90");
    e.Back180 = m.number("Back180");
    e.Back270 = m.number("Back270");
    e.StraightH = m.number("StraightH");
    e.StraightV = m.number("StraightV");
    e.ServoH = m.number("ServoH");
    e.ServoV = m.number("ServoV");
    e.CyclicH = m.number("CyclicH");
    e.CyclicV = m.number("CyclicV");
    e.PitchH = m.number("PitchH");
    e.PitchV = m.number("PitchV");
    e.PhaseH = m.number("PhaseH");
    e.PhaseV = m.number("PhaseV");
    e.SlipH = m.number("SlipH");
    e.SlipV = m.number("SlipV");
    e.Random = m.number("Random");
    e.PolarVibration = m.number("PolarVibration");
    e.VibrationAngle = CheckedInt16(m.number("VibrationAngle"));
}

void readReliability(const Row& r, ErrorParams& e)
{
    e.Squareness = r.number("Squareness");
    e.ScaleH = r.number("ScaleH");
    e.ScaleV = r.number("ScaleV");
    e.Back0 = r.number("Back0");
    e.Back90 = r.number("Back90");
    e.Back180 = r.number("Back180");
    e.Back270 = r.number("Back270");
    e.StraightH = r.number("StraightH");
    e.StraightV = r.number("StraightV");
    e.SpikeH = r.number("SpikeH");
    e.SpikeV = r.number("SpikeV");
    e.PlayH = r.number("PlayH");
    e.PlayV = r.number("PlayV");
    e.SlipH = r.number("SlipH");
    e.SlipV = r.number("SlipV");
    e.ServoH = r.number("ServoH");
    e.ServoV = r.number("ServoV");
    e.CyclicH = r.number("CyclicH");
    e.CyclicV = r.number("CyclicV");
    e.PitchH = r.number("PitchH");
    e.PitchV = r.number("PitchV");
    e.PhaseH = r.number("PhaseH");
    e.PhaseV = r.number("PhaseV");
    e.Random = r.number("Random");
    e.PolarVibration = r.number("PolarVibration");
    e.VibrationAngle = CheckedInt16(r.number("VibrationAngle"));
}

int16_t readRunCount(const Row& m)
{
    const int16_t runs = CheckedInt16(m.number(col::DimCount));
    // The run tables hold runs 1 to 7.
    if (runs < 0 || runs > kMaxRuns)
        throw AppError::subscriptOutOfRange();
    return runs;
}

// Fills c from the stored rows; raises AppError on anything missing or out of range.
double ReadCase(const CaseStore& store, int32_t measId, Case& c)
{
    ReadTransaction transaction(store.database());

    QSqlQuery mq = run(store, selectAll(tbl::Measure), measId);
    if (!mq.next())
        throw AppError(kNoCurrentRecord, QStringLiteral("No stored case %1").arg(measId));
    const Row m(QLatin1String(tbl::Measure), mq.record());

    CaseHeader& h = c.Header;
    CaseData& d = c.Data;
    AnalysisResults& res = c.Results;
    const QLocale locale;
    auto formatted = [&](const char* column, const char* pattern) {
        return FormatNumber(m.number(column), QLatin1String(pattern), locale);
    };

    res.ResultsValid = false;
    h = CaseHeader{};
    // Null in an old row: 0, not the previous case's values.
    d.MeasuredFeedrateAverage = static_cast<float>(m.numberOr(col::MeasuredFeedrateAverage, 0));
    d.RunFeedrate.fill(0);

    h[HdrFilename] = m.textOr(col::Filename, {});
    const int16_t maxTargets = CheckedInt16(m.number(col::MaxTargets));
    h[HdrMaxTargets] = QString::number(maxTargets);
    h[HdrMachine] = m.textOr(col::Machine, {});
    h[HdrName] = m.textOr(col::Name, {});
    const QDateTime date = DbDateFromValue(m.required(col::Date));
    if (!date.isValid())
        throw AppError(AppError::kTypeMismatch, QStringLiteral("Type mismatch: Measure.Date"));
    h[HdrDate] = GeneralDateText(date);
    d.TestDate = date;
    h[HdrBy] = m.textOr(col::By, {});
    h[HdrLength] = formatted(col::Length, "######0.000#");
    d.BallBarLength = static_cast<float>(m.number(col::Length));
    d.TestRadius = m.number(col::Radius);
    // The save stores an empty text as Null.
    h[HdrPlane] = m.textOr(col::Plane, {});
    if (!m.isNull(col::Feedrate))
        h[HdrFeedrate] = formatted(col::Feedrate, "######0");
    h[HdrStatDyn] = m.textOr(col::StatDyn, {});
    d.Dynamic = h[HdrStatDyn].startsWith(QLatin1Char('D'));
    d.MaxTargets = maxTargets;
    if (!m.isNull(col::Sampling))
        h[HdrSampling] = formatted(col::Sampling, "######0.000##");
    h[HdrCustomer] = m.textOr(col::Customer, {});
    h[HdrEquipmentManufacturer] = m.textOr(col::EquipmentManufacturer, QStringLiteral("Renishaw"));
    h[HdrEquipmentModel] = m.textOr(col::EquipmentModel, QStringLiteral("QC10"));
    h[HdrEquipmentSerial] = m.textOr(col::EquipmentSerial, {});
    double scaleFactor = m.numberOr(col::ScaleFactor, 1.0);
    if (scaleFactor == 0)
        scaleFactor = 1.0;
    d.ScaleFactor = scaleFactor;
    h[HdrComment] = m.textOr(col::Comment, {});
    if (!m.isNull(col::OrigX))
        h[HdrOrigX] = formatted(col::OrigX, "#####0.0##");
    if (!m.isNull(col::OrigY))
        h[HdrOrigY] = formatted(col::OrigY, "#####0.0##");
    if (!m.isNull(col::OrigZ))
        h[HdrOrigZ] = formatted(col::OrigZ, "#####0.0##");
    if (!m.isNull(col::GaugeExp))
        h[HdrGaugeExp] = formatted(col::GaugeExp, "###0.00####");
    if (!m.isNull(col::MachineExp))
        h[HdrMachineExp] = formatted(col::MachineExp, "###0.00####");
    d.StartAngle = CheckedInt16(m.numberOr(col::StartAngle, 0));
    d.StopAngle = CheckedInt16(m.numberOr(col::StopAngle, 360));
    d.SweepAngle = CheckedInt16(double(d.StopAngle) - d.StartAngle);
    if (d.Dynamic) {
        if (d.MaxTargets == 0)
            throw AppError::divisionByZero();
        res.AnalysisStep = 1;
        d.AngleStep = double(d.SweepAngle) / d.MaxTargets;
    } else {
        res.AnalysisStep = 45;
        d.AngleStep = 45.0;
    }
    d.Calibrated = m.numberOr(col::Calibrated, 0) != 0;
    d.OptionFlag = (static_cast<qint64>(m.numberOr(col::Option, 0)) & 1) != 0;

    ErrorParams& e = res.ErrorValues;
    e.CentreV = m.number(col::CentreOffV);
    e.CentreH = m.number(col::CentreOffH);
    CircleResult& lsc = res.LscResult;
    lsc.Circularity = m.number(col::Circularity);
    lsc.Max = m.number(col::CircMax);
    lsc.MaxPos = m.number(col::CircMaxPoint);
    lsc.Min = m.number(col::CircMin);
    lsc.MinPos = m.number(col::CircMinPoint);
    lsc.CentreH = e.CentreH;
    lsc.CentreV = e.CentreV;
    lsc.Radius = m.number(col::LSCRadius);
    CircleResult& mzc = res.MzcResult;
    mzc.Circularity = m.number(col::MZClarity);
    mzc.Max = m.number(col::MZCMax);
    mzc.MaxPos = m.number(col::MZCMaxPoint);
    mzc.Min = m.number(col::MZCMin);
    mzc.MinPos = m.number(col::MZCMinPoint);
    mzc.CentreH = m.number(col::MZCCentreOffH);
    mzc.CentreV = m.number(col::MZCCentreOffV);
    mzc.Radius = m.number(col::MZCRadius);
    res.Iso.IsoH = m.numberOr(col::IsoH, 0);
    res.Iso.IsoGb = m.numberOr(col::IsoGb, 0);
    res.Iso.IsoD = m.numberOr(col::IsoD, 0);
    const bool calced = m.numberOr(col::Calced, 0) != 0;

    if (!calced) {
        d.RunCount = readRunCount(m);
        readRuns(store, measId, c, false);
        return scaleFactor;
    }

    readErrorValues(m, c);
    for (int i = 0; i <= 4; ++i) {
        res.ProfileH[static_cast<std::size_t>(i)] = static_cast<float>(m.number(ProfileHColumn(i)));
        res.ProfileV[static_cast<std::size_t>(i)] = static_cast<float>(m.number(ProfileVColumn(i)));
    }
    d.RunCount = readRunCount(m);
    {
        QSqlQuery rq = run(store, selectAll(tbl::Reliability), measId);
        if (!rq.next())
            throw AppError(kNoCurrentRecord, QStringLiteral("No uncertainties stored for case %1").arg(measId));
        readReliability(Row(QLatin1String(tbl::Reliability), rq.record()), res.ErrorReliability);
    }
    readRuns(store, measId, c, true);
    res.ResultsValid = true;

    NoProgress none;
    const AnalysisOutcome traces = AnalyseCase(c, Settings{}, {.storedTraces = true}, none);
    for (const Outcome& failure : traces.stepFailures)
        ReportOutcome(failure); // the spectrum's failure, shown as it always was
    if (!traces.ok())
        throw traces.outcome.error();
    return scaleFactor;
}

} // namespace

LoadResult LoadCase(const CaseStore& store, int32_t measId, Case& target, Settings& settings)
{
    LoadResult result;
    try {
        if (!store.isOpen())
            throw AppError(kDatabaseNotOpen, StandardErrorText(kDatabaseNotOpen));
        // A fresh case: nothing of the case open before (readings past the stored ones, results
        // of a case stored without them) may show as part of the stored one.
        auto scratch = std::make_unique<Case>();
        const double scaleFactor = ReadCase(store, measId, *scratch);
        result.withResults = scratch->Results.ResultsValid;
        target = std::move(*scratch);
        settings.ScaleFactor = scaleFactor;
        result.ok = true;
    } catch (...) {
        const AppError e = AppError::fromException(std::current_exception());
        result.number = e.number();
        result.message = e.description();
    }
    return result;
}

QString LoadedCaseRecentText(const Case& c)
{
    const CaseHeader& h = c.Header;
    const QString start = h[HdrName] + QLatin1Char(' ') + h[HdrPlane] + QLatin1Char(' ');
    if (c.Data.Dynamic)
        return start + h[HdrFeedrate] + QStringLiteral("mm/min");
    return start + Translate(QStringLiteral("Static"));
}

} // namespace sarvo::casedb
