// sarvotex-dump: opens measurement files as the program's command line does (dispatch by type,
// reader, after-load analysis, error-model fit) with no window, with the settings of the program
// folder $SARVOTEX_HOME (else of a fresh one), accepting the machine name each file carries, and
// prints every field of the open case and its results, one "name = value" a line. A failed read
// prints its message and ends with status 1.
//
//   sarvotex-dump [--no-analysis] [--results] FILE [FILE...]
//
// A .dbb measurement takes the files after it as its further runs, as answers to its "more
// files?" question; any other file is a case of its own. --no-analysis prints the case as read.
// --results (which implies the analysis) adds what the results window shows: every caption as
// result.<Control>(<index>) and the tab pages as result.Page(<n>) = on|off, in the units and the
// language of the program folder's settings.
//
//   sarvotex-dump --graph polar|linear|mzc|combined|analysis OUT.png FILE [FILE...]
//
// --graph draws, after reading and analysing, the picture a graph window shows of the case into
// OUT.png, 800 x 800 pixels on white, at the settings' graph scale, and prints nothing: polar and
// linear the measured runs, mzc the polar graph with the minimum-zone circles, combined the
// polar graph with the runs and the model traces, analysis the model traces alone. An unknown
// kind ends with status 2, a picture that cannot be drawn or written with status 1. Of several
// cases the last one's picture stays.
//
//   sarvotex-dump --graph viewing OUT.png [FILE...]
//
// --graph viewing draws the viewing-angle diagram of the measurement window as it opens with the
// program folder's settings (start, end and overshoot of section "BasicInput"; a dynamic,
// counter-clockwise run in plane XY) into OUT.png, 400 x 400 pixels on white. Files after it are
// read and analysed as for the other graphs and do not change the diagram.
//
//   sarvotex-dump [--no-analysis] --write OUT FILE
//
// --write writes the case of FILE as "Save case to file" does, in the format of OUT's extension
// (.brv or .rtb), and prints nothing: the readings as read, the results of the analysis (with
// --no-analysis, as read: none). An unknown extension ends with status 2, a failed write with 1.
//
//   sarvotex-dump --pdf OUT.pdf [--report errors|graph] [--linear] FILE [FILE...]
//
// --pdf prints, after reading and analysing, the one-page report of the case into OUT.pdf on
// the page the program's own print has (A4 portrait inside margins, 600 dots per inch): errors is
// "Errors && Graph" (the default), graph "Only Graph". The graph is the polar one, with --linear
// the linear one as the graph window's Linear choice prints it, at the scale the graph window
// would fit to the case, with the logo.wmf beside the program (else the source tree's)
// and the program's version. The notes of the report go to stderr; a report that cannot be
// printed ends with status 1 and leaves no OUT.pdf, a wrong call with status 2. Of several
// cases the last one's report stays.
//
//   sarvotex-dump --save-db SESSION FILE
//
// --save-db reads and analyses FILE and saves it under SESSION into the case database of the
// program folder (Sarvotex.db, made from the shipped schema when missing), answering the
// overwrite question with Yes, and prints "Saved" or "Overwritten" and "Meas_ID: N". A failed
// save prints its message and ends with status 1.
//   sarvotex-dump --load-db ID|last
//
// --load-db loads the stored case ID (last: the highest Meas_ID) from the case database
// $SARVOTEX_HOME/Sarvotex.db, on a read-only connection of its own as the case browser does, and
// prints it as a read and analysed case is printed. A failed load prints its report and ends with
// status 1.
//   sarvotex-dump --batch SESSION FILE...
//
// --batch stores the files into SESSION of the program folder's case database as the batch
// window does: each file read in full, analysed and saved with the overwrite question answered
// Yes, a machine not listed yet added under its own name (the window's machine list answered
// New). A file without a plane refuses the whole save as the window refuses it ("Set first plane
// settings, please.", on stderr and as each file's message): nothing is stored. Three lines a file: Batch(n).File,
// Batch(n).Outcome = stored|failed and Batch(n).Message (empty when stored); then Batch.Stored
// and Batch.Failed. Ends with status 1 when any file failed.
//   sarvotex-dump --list-db
//
// --list-db lists the stored cases of $SARVOTEX_HOME/Sarvotex.db in the case browser's order, six
// lines a case: Case(n).Id, .Session, .Machine, .Plane, .Date and .File; then Cases = <count>.
//   SARVOTEX_HOME=FOLDER sarvotex-dump --remove-db ID
//   SARVOTEX_HOME=FOLDER sarvotex-dump --remove-session SESSION
//
// --remove-db removes one stored case and --remove-session every case of a session, as the case
// browser's Remove does, and print Removed = <count of cases>. A failure prints one line on
// standard error and ends with status 1.
//   sarvotex-dump [--pdf OUT.pdf] --trend RESULT PLANE MACHINE [FROM TO]
//
// --trend runs the trend query on $SARVOTEX_HOME/Sarvotex.db with fixed spacing: RESULT is the
// English caption as the trend window lists it or its index 0-26, PLANE xy, xz or yz, MACHINE a
// name or "" for every machine, FROM and TO yyyy-mm-dd (default: every date). It prints the table
// as the graph window shows it: Trend.Column(c), then Trend.Cell(r,c) row by row, then Trend.Rows;
// with --pdf also the chart page into OUT.pdf. A failed query ends with status 1.
//   SARVOTEX_HOME=FOLDER sarvotex-dump --gauge-read N
//
// --gauge-read connects to the gauge of $SARVOTEX_HOME/Sarvotex.ini as the measurement window
// does (waiting up to 10 s for the reference mark), prints Gauge.Connected, Gauge.Version (the
// device's name and version), Gauge.Serial and N single readings Gauge.Reading(i) in mm, then
// disconnects. A gauge that cannot be connected prints the device's message on standard error
// and ends with status 1; so does a failed reading.

//   SARVOTEX_HOME=FOLDER sarvotex-dump --capture [--static] [--cw|--ccw] [--no-analysis]
//                                      [--save-db SESSION | --write OUT.brv|OUT.rtb]
//
// --capture takes a whole measurement from the gauge of $SARVOTEX_HOME/Sarvotex.ini as the
// case-information dialog (OK on its remembered input), the measurement window and one capture
// window per run take it, with a user who presses Start, latches every static point at its first
// live reading, accepts every run and answers No when asked to change the direction. --static
// picks the static test (default dynamic), --cw or --ccw one direction (default both). The
// captured case is printed as a read case is (analysed unless --no-analysis), saved under
// SESSION as the save window does, or written to OUT as "Save case to file" does. A capture that fails prints its message and ends with status 1;
// so does a dynamic run that has not triggered within three times its expected duration plus its
// lead-in (at least 5 s), and a run ended by a reading no bar can give.

#include "analysis/circle_fit.h"
#include "casedb/batch_model.h"
#include "casedb/case_browser.h"
#include "casedb/case_columns.h"
#include "casedb/case_save.h"
#include "casedb/case_store.h"
#include "analysis/measurement.h"
#include "casedb/case_load.h"
#include "casedb/stored_cases.h"
#include "core/dates.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/prompts.h"
#include "core/settings_file.h"
#include "core/units.h"
#include "gauge/case_info.h"
#include "gauge/device.h"
#include "gauge/device_thread.h"
#include "gauge/measure_setup.h"
#include "gauge/run_chain.h"
#include "display/canvas.h"
#include "display/graphs.h"
#include "display/viewing.h"
#include "display/report.h"
#include "display/results_view.h"
#include "display/trend_chart.h"
#include "files/brv_file.h"
#include "files/dispatch.h"
#include "files/ui/read_report.h"
#include "files/rtb_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QPainter>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "analysis/analyse_case.h"
#include "analysis/error_model.h"
#include "analysis/influence.h"

using namespace sarvo;

namespace {

// The program's analysis of a case it read (the after-load stages), then what the results
// window runs before it shows it: the error-model fit and the ranking.
// Step failures are reported as the program reports them; an error that ends the analysis is
// thrown.
void Analyse(Case& c, const Settings& settings)
{
    NoProgress progress;
    const AnalysisOutcome analysis =
        AnalyseCase(c, settings, {.measurement = true, .errorModel = true, .ranking = true}, progress);
    for (const Outcome& failure : analysis.stepFailures)
        ReportOutcome(failure);
    if (!analysis.ok())
        throw analysis.outcome.error();
}

// Messages go to stderr; the "more files?" question is answered from the remaining arguments.
class DumpPrompts : public Prompts {
public:
    void message(const QString&, const QString& text, MessageIcon) override
    {
        failures << text;
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    }
    bool askYesNo(const QString&, const QString&) override { return !pending.empty(); }
    std::optional<QString> askText(const QString&, const QString&, const QString&) override { return std::nullopt; }
    QString chooseOpenFile(const QString&, const QString&, const QStringList&) override
    {
        if (pending.empty())
            return {};
        QString f = pending.front();
        pending.pop_front();
        return f;
    }
    QString chooseSaveFile(const QString&, const QString&, const QStringList&, QString*) override { return {}; }

    std::deque<QString> pending;
    QStringList failures;
};

std::string shortest(double v)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return error == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::string shortest(float v)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return error == std::errc() ? std::string(buffer, end) : std::string("?");
}

QString quoted(const QString& s)
{
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == QChar::Null) // the text goes on after it
            out += QStringLiteral("\\0");
        else
            out += c;
    }
    return out + u'"';
}

void line(const QString& name, const std::string& value)
{
    // Written whole: a "%s" would stop at a NUL.
    std::printf("%s = ", qUtf8Printable(name));
    std::fwrite(value.data(), 1, value.size(), stdout);
    std::putchar('\n');
}
void line(const QString& name, double v) { line(name, shortest(v)); }
void line(const QString& name, float v) { line(name, shortest(v)); }
void line(const QString& name, int v) { line(name, std::to_string(v)); }
void line(const QString& name, bool v) { line(name, std::string(v ? "true" : "false")); }
void line(const QString& name, const QString& v) { line(name, quoted(v).toStdString()); }

QString at(const char* name, int i) { return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i); }

void printHeader(const CaseHeader& h)
{
    static const std::pair<const char*, int> kSlots[] = {
        {"HdrFilename", HdrFilename}, {"HdrMachine", HdrMachine}, {"HdrDate", HdrDate}, {"HdrBy", HdrBy},
        {"HdrLength", HdrLength}, {"HdrPlane", HdrPlane}, {"HdrFeedrate", HdrFeedrate}, {"HdrStatDyn", HdrStatDyn},
        {"HdrMaxTargets", HdrMaxTargets}, {"HdrSampling", HdrSampling}, {"HdrCustomer", HdrCustomer},
        {"HdrName", HdrName}, {"HdrComment", HdrComment}, {"HdrOrigX", HdrOrigX}, {"HdrOrigY", HdrOrigY},
        {"HdrOrigZ", HdrOrigZ}, {"HdrGaugeExp", HdrGaugeExp}, {"HdrMachineExp", HdrMachineExp},
        {"HdrEquipmentManufacturer", HdrEquipmentManufacturer}, {"HdrEquipmentModel", HdrEquipmentModel},
        {"HdrEquipmentSerial", HdrEquipmentSerial}};
    for (const auto& [name, slot] : kSlots)
        line(QLatin1String(name), h[slot]);
}

void printData(const CaseData& d)
{
    line("RunCount", int(d.RunCount));
    for (int r = 1; r <= d.RunCount; ++r) {
        const auto i = static_cast<std::size_t>(r);
        line(at("RunDirection", r), int(d.RunDirection[i]));
        line(at("RunTargets", r), int(d.RunTargets[i]));
        line(at("MachineTemp", r), d.MachineTemp[i]);
        line(at("GaugeTemp", r), d.GaugeTemp[i]);
        line(at("RunFeedrate", r), d.RunFeedrate[i]);
    }
    for (int r = 1; r <= d.RunCount; ++r) {
        for (int j = 0; j < d.RunTargets[static_cast<std::size_t>(r)]; ++j)
            line(QStringLiteral("Readings(%1,%2)").arg(r).arg(j), d.Readings(r, j));
    }
    line("MeasuredFeedrateAverage", d.MeasuredFeedrateAverage);
    line("Dynamic", d.Dynamic);
    line("Calibrated", d.Calibrated);
    line("OptionFlag", d.OptionFlag);
    line("StartAngle", int(d.StartAngle));
    line("StopAngle", int(d.StopAngle));
    line("SweepAngle", int(d.SweepAngle));
    line("AngleStep", d.AngleStep);
    line("TestDate", GeneralDateText(d.TestDate));
    line("TestRadius", d.TestRadius);
    line("MaxTargets", int(d.MaxTargets));
    line("BallBarLength", d.BallBarLength);
    line("OvershootAngle", d.OvershootAngle);
    line("PointsPerRun", int(d.PointsPerRun));
    line("SamplingInterval", int(d.SamplingInterval));
    line("ZeroOffset", d.ZeroOffset);
}

// Copied out field by field: most fields of the packed record are not aligned for a reference.
void printParams(const char* prefix, const ErrorParams& p)
{
    const QString base = QLatin1String(prefix) + u'.';
    for (const ErrorParamField& field : kErrorParamFields) {
        const double value = ErrorParamValue(p, field);
        if (field.integer)
            line(base + QLatin1String(field.name), int(value));
        else
            line(base + QLatin1String(field.name), value);
    }
}

void printCircle(const char* prefix, const CircleResult& c)
{
    const QString base = QLatin1String(prefix) + u'.';
    line(base + "Circularity", c.Circularity);
    line(base + "Radius", c.Radius);
    line(base + "Max", c.Max);
    line(base + "MaxPos", c.MaxPos);
    line(base + "Min", c.Min);
    line(base + "MinPos", c.MinPos);
    line(base + "CentreH", c.CentreH);
    line(base + "CentreV", c.CentreV);
    line(base + "MaxRun", int(c.MaxRun));
    line(base + "MaxPoint", int(c.MaxPoint));
    line(base + "MinRun", int(c.MinRun));
    line(base + "MinPoint", int(c.MinPoint));
}

void printResults(const Case& c)
{
    const AnalysisResults& r = c.Results;
    printParams("ErrorValues", r.ErrorValues);
    printParams("ErrorReliability", r.ErrorReliability);
    printCircle("LscResult", r.LscResult);
    printCircle("MzcResult", r.MzcResult);
    line("IsoH", r.Iso.IsoH);
    line("IsoD", r.Iso.IsoD);
    line("IsoGb", r.Iso.IsoGb);
    for (int run = 1; run <= c.Data.RunCount; ++run) {
        const auto i = static_cast<std::size_t>(run);
        line(at("IsoG", run), r.Iso.IsoG[i]);
        line(at("IsoFmax", run), r.Iso.IsoFmax[i]);
        line(at("IsoFmin", run), r.Iso.IsoFmin[i]);
    }
    for (int i = 0; i < kProfileSize; ++i)
        line(at("ProfileH", i), r.ProfileH[static_cast<std::size_t>(i)]);
    for (int i = 0; i < kProfileSize; ++i)
        line(at("ProfileV", i), r.ProfileV[static_cast<std::size_t>(i)]);
    const int lines = std::clamp(int(r.Spectrum[0]), 0, kSpectrumSize - 1);
    line("Spectrum(0)", r.Spectrum[0]);
    for (int i = 1; i <= lines; ++i)
        line(at("Spectrum", i), r.Spectrum[static_cast<std::size_t>(i)]);
    line("AnalysisCurveCount", int(r.AnalysisCurveCount));
    line("AnalysisStep", int(r.AnalysisStep));
    for (int t = 1; t <= std::min<int>(r.AnalysisCurveCount, AnalysisCurveTable::kTraces); ++t) {
        line(at("AnalysisCurveDir", t), int(r.AnalysisCurveDir[static_cast<std::size_t>(t)]));
        for (int deg = AnalysisCurveTable::kFirstDegree; deg <= AnalysisCurveTable::kLastDegree; ++deg)
            line(QStringLiteral("AnalysisCurve(%1,%2)").arg(t - 1).arg(deg), r.AnalysisCurve(t - 1, deg));
    }
    for (int i = 0; i < kInfluenceSize - 1; ++i) {
        const auto k = static_cast<std::size_t>(i);
        line(at("InfluenceValue", i), r.InfluenceValue[k]);
        line(at("InfluenceOrder", i), int(r.InfluenceOrder[k]));
        line(at("InfluenceName", i), r.InfluenceName[k]);
    }
    line("ResultsValid", r.ResultsValid);
}

void printResultsView(const display::ResultsView& view)
{
    for (const display::ResultCaption& c : view.captions)
        line(QStringLiteral("result.") + display::ControlKey(c.control, c.index), c.text);
    for (int page = 0; page < display::kResultPages; ++page)
        line(at("result.Page", page), std::string(view.pageEnabled[static_cast<std::size_t>(page)] ? "on" : "off"));
}

// The program folder's language database, opened as a copy so that the texts the dump meets and
// adds as new keys never reach the user's file; without one, a fresh one from the shipped SQL.
void OpenLanguageCopy(const QString& appPath, const QString& scratchFolder)
{
    const QString own = appPath + QString::fromLatin1(kLangDbFileName);
    const QString copy = scratchFolder + QString::fromLatin1(kLangDbFileName);
    if (QFileInfo::exists(own) && QFile::copy(own, copy))
        QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::WriteOwner);
    try {
        OpenLanguageDatabase(scratchFolder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

// What each graph window's picture shows, by the kind named after --graph.
std::optional<display::GraphRequest> GraphOfKind(const QString& kind)
{
    display::GraphRequest request;
    if (kind == QLatin1String("polar"))
        return request;
    if (kind == QLatin1String("linear")) {
        request.polar = false;
        return request;
    }
    if (kind == QLatin1String("mzc")) {
        request.showMzc = true;
        return request;
    }
    if (kind == QLatin1String("combined")) {
        request.showAnalysis = true;
        return request;
    }
    if (kind == QLatin1String("analysis")) {
        request.showMeasured = false;
        request.showAnalysis = true;
        return request;
    }
    return std::nullopt;
}

// The picture of the case as the graph window draws it, offscreen. Returns the exit status.
int WriteGraph(const Case& c, const display::GraphRequest& request, const Settings& settings, const UnitState& units,
               const QString& out)
{
    QImage image(800, 800, QImage::Format_RGB32);
    image.fill(Qt::white);
    double scale = display::UsableGraphScale(settings.GraphScale);
    try {
        QPainter painter(&image);
        display::PainterCanvas canvas(painter, QSizeF(image.size()));
        display::DrawGraphPicture(canvas, c, scale, request, units, settings.UnitsInch);
    } catch (const AppError& e) {
        std::fprintf(stderr, "%s: %s\n", request.polar ? "Making polar graph" : "Making linear graph",
                     qUtf8Printable(e.description()));
        return 1;
    }
    if (!image.save(out, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(out));
        return 1;
    }
    return 0;
}

// The viewing-angle diagram the measurement window opens with. Returns the exit status.
int WriteViewing(const QString& iniFile, const QString& out)
{
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    try {
        QPainter painter(&image);
        display::PainterCanvas canvas(painter, QSizeF(image.size()));
        display::DrawViewingDiagram(canvas, display::OpeningViewParams(IniFile(iniFile)), Translate(QStringLiteral("Start")));
    } catch (const AppError& e) {
        std::fprintf(stderr, "Showing example: %s\n", qUtf8Printable(e.description()));
        return 1;
    }
    if (!image.save(out, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(out));
        return 1;
    }
    return 0;
}

// The logo the program prints: beside the program, else the one of the source tree.
QString LogoPath()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/logo.wmf");
    if (QFileInfo::exists(beside))
        return beside;
    return QStringLiteral(SARVOTEX_SOURCE_DIR "/data/logo.wmf");
}

// The report of the case as a PDF file, at the scale the graph window fits to the case when it
// draws it. Returns the exit status.
int WriteReport(const Case& c, const display::ReportRequest& chosen, Settings settings, const UnitState& units,
                const QString& out)
{
    display::RecordingCanvas scratch(QSizeF(800, 800));
    double scale = display::UsableGraphScale(settings.GraphScale);
    display::ReportRequest request = chosen;
    request.logoPath = LogoPath();
    request.version = QStringLiteral(SARVOTEX_VERSION);
    display::GraphRequest graph;
    graph.polar = !request.linearGraph;
    try {
        display::DrawGraphPicture(scratch, c, scale, graph, units, settings.UnitsInch);
        settings.GraphScale = scale;
        const display::ReportOutcome outcome = display::WriteReportPdf(out, c, settings, units, request);
        for (const QString& note : outcome.notes)
            std::fprintf(stderr, "%s\n", qUtf8Printable(note));
    } catch (const AppError& e) {
        ReportError(QLatin1String(display::kPrintLocation), e);
        return 1;
    }
    return 0;
}

// Opens the program folder's case database for writing (made from the shipped schema when
// missing) as the program opens it; a failure is reported.
bool OpenProgramDbForWriting(casedb::CaseStore& store, const QString& appPath)
{
    try {
        store.open(appPath + QString::fromLatin1(casedb::kCaseDbFileName));
        store.upgradeSchema();
        return true;
    } catch (const AppError& e) {
        ReportError(QStringLiteral("openDB "), e);
        return false;
    }
}

// Saves the case into the program folder's case database as the program's Save does, answering
// an overwrite question with Yes; prints the stored case's number.
int SaveToProgramDb(Case& c, const QString& session, const QString& appPath)
{
    casedb::CaseStore store(QStringLiteral("dump-save"));
    if (!OpenProgramDbForWriting(store, appPath))
        return 1;
    c.Header[HdrName] = session;
    const casedb::SaveResult saved = casedb::SaveCase(store, c, session, [](const QString&) { return true; });
    store.close();
    ReportOutcome(saved.failure);
    if (saved.outcome != casedb::SaveOutcome::Saved && saved.outcome != casedb::SaveOutcome::Overwritten)
        return 1;
    std::printf("%s\nMeas_ID: %d\n", saved.outcome == casedb::SaveOutcome::Saved ? "Saved" : "Overwritten",
                saved.measId);
    return 0;
}

// The Meas_ID named: a number, or "last" for the highest stored; 0 when there is none.
int32_t StoredCaseId(const casedb::CaseStore& store, const QString& which)
{
    if (which != QLatin1String("last"))
        return which.toInt();
    QSqlQuery q(store.database());
    if (!q.exec(QStringLiteral("SELECT max(%1) FROM %2")
                    .arg(casedb::QuoteName(QLatin1String(casedb::col::Meas_ID)), casedb::QuoteName(QLatin1String(casedb::tbl::Measure))))
        || !q.next())
        return 0;
    return q.value(0).toInt();
}

// One line on standard error for a failed database view.
void dbViewFailure(const Outcome& failure)
{
    std::fprintf(stderr, "sarvotex-dump: %s: %d: %s\n", qUtf8Printable(failure.location().trimmed()), failure.error().number(),
                 qUtf8Printable(failure.error().description().simplified()));
}

int ListDb(const QString& appPath)
{
    casedb::CaseStore store(QStringLiteral("sarvotex-dump"));
    std::vector<casedb::StoredCaseSummary> cases;
    const Outcome read = Trapped(QStringLiteral("openDB "), [&] {
        store.open(appPath + QLatin1String(casedb::kCaseDbFileName), {.readOnly = true, .createWhenMissing = false});
        cases = casedb::ListStoredCases(store, {}, casedb::StoredCaseOrder::BySession);
    });
    if (!read) {
        dbViewFailure(read);
        return 1;
    }
    int n = 0;
    for (const casedb::StoredCaseSummary& s : cases) {
        ++n;
        line(at("Case", n) + ".Id", s.measId);
        line(at("Case", n) + ".Session", s.session);
        line(at("Case", n) + ".Machine", s.machine);
        line(at("Case", n) + ".Plane", s.plane);
        line(at("Case", n) + ".Date", s.date.isValid() ? casedb::DbDateText(s.date) : QString());
        line(at("Case", n) + ".File", s.fileName);
    }
    line(QStringLiteral("Cases"), n);
    return 0;
}

// Removes one stored case (an id) or a whole session, as the case browser does.
int RemoveFromDb(const std::optional<int>& measId, const QString& session, const QString& appPath)
{
    casedb::CaseStore store(QStringLiteral("sarvotex-dump"));
    const Outcome opened = Trapped(QStringLiteral("openDB "), [&] {
        store.open(appPath + QLatin1String(casedb::kCaseDbFileName), {.readOnly = false, .createWhenMissing = false});
    });
    if (!opened) {
        dbViewFailure(opened);
        return 1;
    }
    const casedb::RemovalResult removal =
        measId ? casedb::RemoveStoredCase(store, *measId) : casedb::RemoveStoredSession(store, session);
    if (!removal.outcome) {
        dbViewFailure(removal.outcome);
        return 1;
    }
    line(QStringLiteral("Removed"), removal.removed);
    return 0;
}

int LoadFromDb(const QString& which, const QString& appPath, Case& openCase, Settings& settings)
{
    casedb::CaseStore store(QStringLiteral("sarvotex-dump"));
    int status = 0;
    try {
        store.open(appPath + QLatin1String(casedb::kCaseDbFileName), {.readOnly = true, .createWhenMissing = false});
        const casedb::LoadResult r = casedb::LoadCase(store, StoredCaseId(store, which), openCase, settings);
        for (const Outcome& failure : r.stepFailures)
            ReportOutcome(failure);
        if (r.ok) {
            printHeader(openCase.Header);
            printData(openCase.Data);
            printResults(openCase);
        } else {
            ReportError(QLatin1String(casedb::kLoadCaseLocation), r.error());
            status = 1;
        }
    } catch (const AppError& e) {
        ReportError(QStringLiteral("openDB "), e);
        status = 1;
    }
    store.close();
    return status;
}

// Stores the files into the session through the batch's own model and prints a row a file.
int ImportBatch(const QString& session, const QStringList& paths, const QString& appPath, const Settings& settings)
{
    casedb::CaseStore store(QStringLiteral("dump-batch"));
    if (!OpenProgramDbForWriting(store, appPath))
        return 1;
    files::DiskFiles disk;
    casedb::BatchServices services;
    services.store = [&store] { return &store; };
    services.settings = settings;
    services.readContext = files::ReadContext::fromSettings(settings);
    services.readContext.files = &disk;
    services.readContext.resolveMachine = [](const QString& name) { return name; };
    services.readContext.moreFiles = [](const QString&) { return QString(); };
    services.askOverwrite = [](const QString&) { return true; };

    casedb::BatchModel model;
    // Each file's row in the model, or why it got none.
    std::vector<std::pair<int, QString>> entries;
    for (const QString& path : paths) {
        const auto added = model.addFile(QFileInfo(path).absoluteFilePath(), services.readContext);
        entries.emplace_back(added.result == casedb::BatchModel::AddResult::Added ? int(model.rows().size()) - 1 : -1,
                             added.refusalText());
    }
    // Refused as the batch window refuses it: nothing is stored.
    const QString refusal = model.saveRefusal(session);
    if (refusal.isEmpty()) {
        casedb::BatchRun run(model, session, services);
        while (run.step()) {
        }
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(refusal));
    }
    store.close();

    int stored = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [row, notAdded] = entries[i];
        const int n = int(i) + 1;
        const bool ok = row >= 0 && model.rows()[std::size_t(row)].stored();
        line(at("Batch", n) + ".File", row >= 0 ? model.rows()[std::size_t(row)].path : QFileInfo(paths[qsizetype(i)]).absoluteFilePath());
        line(at("Batch", n) + ".Outcome", std::string(ok ? "stored" : "failed"));
        const QString failure = row < 0                    ? notAdded
                                : !refusal.isEmpty()        ? refusal
                                                            : model.rows()[std::size_t(row)].failure;
        line(at("Batch", n) + ".Message", ok ? QString() : failure);
        stored += ok ? 1 : 0;
    }
    const int failed = int(entries.size()) - stored;
    line(QStringLiteral("Batch.Stored"), stored);
    line(QStringLiteral("Batch.Failed"), failed);
    return failed > 0 ? 1 : 0;
}

// --- the trend view ------------------------------------------------------------------------------

struct TrendArgs {
    QString result;
    casedb::TrendRequest request;
    QString pdf;
};

// Takes "--trend RESULT PLANE MACHINE [FROM TO]" and an optional "--pdf OUT.pdf" out of the
// arguments; nullopt when --trend is absent, an error text when the call is wrong.
std::optional<TrendArgs> TakeTrendArgs(QStringList& args, QString& error)
{
    const qsizetype at = args.indexOf(QStringLiteral("--trend"));
    if (at < 0)
        return std::nullopt;
    TrendArgs trend;
    if (const qsizetype pdf = args.indexOf(QStringLiteral("--pdf")); pdf >= 0) {
        if (pdf + 1 >= args.size() || pdf + 1 == at) {
            error = QStringLiteral("--pdf needs a file");
            return trend;
        }
        trend.pdf = QFileInfo(args[pdf + 1]).absoluteFilePath();
        args.remove(pdf, 2);
    }
    const qsizetype from = args.indexOf(QStringLiteral("--trend"));
    const QStringList rest = args.mid(from + 1);
    args.clear();
    if (rest.size() != 3 && rest.size() != 5) {
        error = QStringLiteral("wrong number of arguments");
        return trend;
    }
    trend.result = rest[0];
    trend.request.plane = rest[1];
    trend.request.machine = rest[2];
    if (rest.size() == 5) {
        trend.request.from = QDate::fromString(rest[3], Qt::ISODate);
        trend.request.to = QDate::fromString(rest[4], Qt::ISODate);
        if (!trend.request.from.isValid() || !trend.request.to.isValid())
            error = QStringLiteral("dates are yyyy-mm-dd");
    }
    static const QStringList planes{QStringLiteral("xy"), QStringLiteral("xz"), QStringLiteral("yz")};
    if (!planes.contains(trend.request.plane))
        error = QStringLiteral("the plane is xy, xz or yz");
    return trend;
}

// The result's index from its caption (as listed for the plane, or as designed) or its number.
std::optional<int> TrendResultIndex(const QString& which, const QString& plane)
{
    bool numeric = false;
    const int index = which.toInt(&numeric);
    if (numeric)
        return index >= 0 && index < casedb::kTrendResultCount ? std::optional<int>(index) : std::nullopt;
    for (int k = 0; k < casedb::kTrendResultCount; ++k) {
        const casedb::TrendResultOption& option = casedb::TrendResult(k);
        const QString caption = QString::fromLatin1(option.caption);
        if (which.compare(caption, Qt::CaseInsensitive) == 0
            || which.compare(casedb::CaptionForPlane(caption, option.axis, plane), Qt::CaseInsensitive) == 0)
            return k;
    }
    return std::nullopt;
}

int PrintTrend(const TrendArgs& trend, const QString& appPath, const UnitState& units)
{
    const std::optional<int> result = TrendResultIndex(trend.result, trend.request.plane);
    if (!result) {
        std::fprintf(stderr, "unknown result %s\n", qUtf8Printable(trend.result));
        return 2;
    }
    const casedb::TrendResultOption& option = casedb::TrendResult(*result);
    const casedb::TrendOptions options{
        *result, casedb::CaptionForPlane(Translate(QString::fromLatin1(option.caption)), option.axis, trend.request.plane),
        casedb::TrendSpacing::Fixed};
    casedb::CaseStore store(QStringLiteral("sarvotex-dump"));
    casedb::TrendView view;
    try {
        store.open(appPath + QLatin1String(casedb::kCaseDbFileName), {.readOnly = true, .createWhenMissing = false});
        view = casedb::BuildTrend(casedb::QueryTrend(store, trend.request), trend.request, options, units);
    } catch (const AppError& e) {
        ReportError(QLatin1String(casedb::kTrendQueryLocation), e);
        return 1;
    }
    store.close();
    for (int c = 0; c < view.table.headers.size(); ++c)
        line(at("Trend.Column", c), view.table.headers[c]);
    for (std::size_t r = 0; r < view.table.rows.size(); ++r) {
        for (int c = 0; c < view.table.rows[r].size(); ++c)
            line(QStringLiteral("Trend.Cell(%1,%2)").arg(r).arg(c), view.table.rows[r][c]);
    }
    line(QStringLiteral("Trend.Rows"), int(view.table.rows.size()));
    if (trend.pdf.isEmpty())
        return 0;
    try {
        QPdfWriter writer(trend.pdf);
        writer.setResolution(display::kReportDotsPerInch);
        writer.setPageLayout(display::ReportPageLayout());
        const display::TrendPrint print{LogoPath(), QStringLiteral(SARVOTEX_VERSION), QStringLiteral("Trend Query Results")};
        for (const QString& note : display::RenderTrendChart(writer, view.chart, display::TrendChartType::Bar, print).notes)
            std::fprintf(stderr, "%s\n", qUtf8Printable(note));
    } catch (const AppError& e) {
        QFile::remove(trend.pdf);
        ReportError(QLatin1String(display::kPrintLocation), e);
        return 1;
    }
    return 0;
}

// --gauge-read N: the configured gauge as the measurement window connects to it.
int GaugeRead(int readings)
{
    const QString appPath = QDir(qEnvironmentVariable("SARVOTEX_HOME")).absolutePath() + "/";
    const SettingsReadResult settingsRead = ReadSettings(appPath, appPath + "Sarvotex.ini");
    Settings settings = settingsRead.settings;
    constexpr int kReferenceMarkLimitMs = 10000;
    const std::unique_ptr<gauge::GaugeDevice> device = gauge::MakeGaugeDevice(settings);
    const int16_t status = gauge::ConnectGauge(*device, settings, kReferenceMarkLimitMs);
    line("Gauge.Connected", status == 0);
    if (status != 0) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(gauge::DeviceErrorText(status)));
        return 1;
    }
    line("Gauge.Version", device->name());
    line("Gauge.Serial", settings.SerialNumber);
    for (int i = 1; i <= readings; ++i) {
        const gauge::GaugeReading reading = device->readOne();
        if (!reading.ok()) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(gauge::DeviceErrorText(reading.status)));
            return 1;
        }
        line(at("Gauge.Reading", i), reading.mm);
    }
    device->close();
    return 0;
}

// OUT.brv or OUT.rtb: a file name the writers know.
bool IsCaseFileName(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == u"brv" || suffix == u"rtb";
}

// Writes the case as "Save case to file" does, in the format of the name's extension; 1 when the
// write failed.
int WriteCaseFile(const Case& c, const Settings& settings, const QString& fileName)
{
    const bool brv = fileName.endsWith(QLatin1String(".brv"), Qt::CaseInsensitive);
    const bool written = ReportOutcome(brv ? files::SaveBrvFile(c, QStringLiteral(SARVOTEX_VERSION), fileName)
                                           : files::SaveRtb(c, settings, fileName));
    return written ? 0 : 1;
}

struct CaptureOptions {
    bool dynamic = true;
    gauge::DirectionChoice direction = gauge::DirectionChoice::Both;
    bool analyse = true;
    std::optional<QString> saveSession;
    QString writeFile;
};

// The user of --capture: the measurement window's entries as it opens, Start for every run, the
// latch at every static point's first live reading, No to a change of direction.
class ScriptedMeasurement : public gauge::RunChainUser {
public:
    ScriptedMeasurement(gauge::DeviceThread& device, Case& openCase, Settings& settings, const UnitState& units,
                        gauge::RunFields fields)
        : device_(device), case_(openCase), settings_(settings), units_(units), fields_(std::move(fields))
    {
    }

    void rebuildSamplingRates() override
    {
        const QString selected = selected_ >= 0 ? QString::number(rates_[selected_].points) : QString();
        gauge::SamplingFields texts{fields_.feedrate, fields_.startPos, fields_.endPos};
        const gauge::SamplingRates rates = gauge::RebuildSamplingRates(texts, selected, settings_, units_);
        fields_.feedrate = texts.feedrate;
        fields_.startPos = texts.startPos;
        fields_.endPos = texts.endPos;
        rates_ = rates.items;
        selected_ = rates.selected;
        fields_.samplingRate = selected_ >= 0 ? std::optional(rates_[selected_]) : std::nullopt;
    }
    void selectRate(int storedIndex)
    {
        rebuildSamplingRates();
        selected_ = gauge::ClampedRateIndex(storedIndex, int(rates_.size()));
        fields_.samplingRate = selected_ >= 0 ? std::optional(rates_[selected_]) : std::nullopt;
    }
    int selectedRate() const { return selected_; }
    gauge::RunFields fields() override { return fields_; }
    void notice(gauge::ChainNotice kind, const QString& text) override
    {
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        failed_ = failed_ || kind != gauge::ChainNotice::BatteryLow;
    }
    void setCapturing(bool) override {}
    void capture(std::function<void(const gauge::CaptureResult&)> done) override
    {
        auto* session = new gauge::CaptureSession(device_, case_, settings_, units_, 0);
        // Nobody is there to cancel a run that never starts.
        session->limitTriggerWait();
        auto latchNext = std::make_shared<bool>(false);
        QObject::connect(session, &gauge::CaptureSession::staticPointWaiting, session, [latchNext] { *latchNext = true; });
        QObject::connect(session, &gauge::CaptureSession::liveReading, session, [session, latchNext] {
            if (std::exchange(*latchNext, false))
                session->toggleLatch();
        });
        QObject::connect(session, &gauge::CaptureSession::finished, session,
                         [this, session, done](const gauge::CaptureResult& result) {
                             if (result.deviceStatus != 0)
                                 std::fprintf(stderr, "%s: %s\n", qUtf8Printable(result.deviceCaption),
                                              qUtf8Printable(gauge::DeviceErrorText(result.deviceStatus)));
                             for (const QString& message : result.messages)
                                 std::fprintf(stderr, "%s\n", qUtf8Printable(message));
                             ReportOutcome(result.failure);
                             failed_ = failed_ || result.end != gauge::CaptureEnd::Stored;
                             session->deleteLater();
                             done(result);
                         });
        session->start();
    }
    void runsStored(int, int) override {}
    void runsDropped(int, int) override {}
    bool changeDirection() override { return false; }
    void pressEnded(bool) override { ended_.quit(); }

    // Presses the switch and waits for the press to end.
    bool press(gauge::RunChain& chain, const IniFile& ini)
    {
        chain.press(ini, selected_);
        if (chain.running())
            ended_.exec();
        return !failed_;
    }

private:
    gauge::DeviceThread& device_;
    Case& case_;
    Settings& settings_;
    const UnitState& units_;
    gauge::RunFields fields_;
    std::vector<gauge::SamplingRateItem> rates_;
    int selected_ = -1;
    bool failed_ = false;
    QEventLoop ended_;
};

// --capture: a measurement from the configured gauge, as the program's windows take it.
int CaptureMeasurement(const CaptureOptions& options, const QString& appPath, Settings& settings, const UnitState& units)
{
    const IniFile ini(appPath + "Sarvotex.ini");
    Case openCase;
    // The case-information dialog, OK on what it opens with.
    gauge::CaseInfoTexts texts = gauge::OpeningCaseInfoTexts(openCase, settings, units, NaiveNow());
    gauge::LoadBasicInput(ini, texts, units, settings.UnitsInch);
    if (const gauge::CaseInfoFailure failure = gauge::AcceptCaseInfo(texts, openCase, settings, units); failure.failed()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(failure.message));
        return 1;
    }

    // The measurement window: its opening entries, the calibration state, the gauge opened.
    const gauge::MeasureOpening opening = gauge::OpeningMeasureFields(ini, openCase, settings, units);
    gauge::RunFields fields;
    fields.dynamic = options.dynamic;
    fields.startPos = opening.startPos;
    fields.endPos = opening.endPos;
    fields.overshoot = opening.overshoot;
    fields.feedrate = opening.feedrate;
    fields.direction = options.direction;
    // The origin of the machine's last measurement in the plane, as the window fills it in.
    fields.centre = {QStringLiteral("0,0"), QStringLiteral("0,0"), QStringLiteral("0,0")};
    {
        casedb::CaseStore store(QStringLiteral("dump-origin"));
        try {
            store.open(appPath + QLatin1String(casedb::kCaseDbFileName), {.readOnly = true, .createWhenMissing = false});
            if (const auto origin = gauge::LastMeasurementOrigin(store, fields.plane, openCase.Header[HdrMachine]))
                for (int axis = 0; axis < 3; ++axis)
                    fields.centre[axis] = FormatNumber((*origin)[axis] * units.LargeFactor, units.LargeFormat);
        } catch (const AppError&) {
            // No database: the fields keep their first text.
        }
        store.close();
    }
    fields.gaugeTemp = fields.machineTemp = opening.temperature;
    const gauge::BarLengthCalibration calibration = gauge::LookUpBarLength(settings);
    openCase.Data.ZeroOffset = calibration.zeroOffsetMm;
    openCase.Data.Calibrated = calibration.calibrated;

    constexpr int kReferenceMarkLimitMs = 10000;
    auto openStatus = std::make_shared<std::atomic<int16_t>>(gauge::kGaugeNotConnected);
    // The serial the gauge reports is kept in the settings, as the measurement window keeps it.
    auto serial = std::make_shared<QString>();
    gauge::DeviceThread device([gaugeSettings = settings, openStatus, serial]() mutable {
        std::unique_ptr<gauge::GaugeDevice> made = gauge::MakeGaugeDevice(gaugeSettings);
        *openStatus = gauge::ConnectGauge(*made, gaugeSettings, kReferenceMarkLimitMs);
        *serial = gaugeSettings.SerialNumber;
        return made;
    });
    {
        QEventLoop opened;
        QObject receiver;
        device.post<bool>([](gauge::GaugeDevice&) { return true; }, &receiver, [&opened](bool) { opened.quit(); });
        opened.exec();
    }
    if (*openStatus != 0) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(gauge::DeviceErrorText(*openStatus)));
        return 1;
    }
    settings.SerialNumber = *serial;

    ScriptedMeasurement user(device, openCase, settings, units, fields);
    user.selectRate(opening.samplingRateIndex);
    gauge::RunChain chain(device, openCase, settings, units, user);
    // The remembered input is written where nothing reads it: the dump leaves the folder's
    // settings as they are.
    QTemporaryDir scratch;
    if (!user.press(chain, IniFile(scratch.path() + "/Sarvotex.ini")) || openCase.Data.RunCount == 0)
        return 1;

    try {
        if (options.analyse || options.saveSession)
            Analyse(openCase, settings);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    if (options.saveSession)
        return SaveToProgramDb(openCase, *options.saveSession, appPath);
    if (!options.writeFile.isEmpty())
        return WriteCaseFile(openCase, settings, options.writeFile);
    printHeader(openCase.Header);
    printData(openCase.Data);
    if (options.analyse)
        printResults(openCase);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Text on a picture needs the window system's fonts: a GUI application, offscreen unless
    // told otherwise, when a graph is asked for.
    bool graphWanted = false;
    for (int i = 1; i < argc; ++i)
        graphWanted = graphWanted || std::strcmp(argv[i], "--graph") == 0 || std::strcmp(argv[i], "--pdf") == 0;
    if (graphWanted && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application;
    if (graphWanted)
        application = std::make_unique<QGuiApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QStringLiteral("--gauge-read"))) {
        bool numeric = false;
        const int readings = args.size() == 2 ? args[1].toInt(&numeric) : 0;
        if (args.front() != u"--gauge-read" || !numeric || readings < 0 || qEnvironmentVariableIsEmpty("SARVOTEX_HOME")) {
            std::fprintf(stderr, "usage: SARVOTEX_HOME=FOLDER sarvotex-dump --gauge-read N\n");
            return 2;
        }
        return GaugeRead(readings);
    }
    std::optional<CaptureOptions> capture;
    if (args.contains(QStringLiteral("--capture"))) {
        capture = CaptureOptions{};
        bool valid = args.front() == u"--capture" && !qEnvironmentVariableIsEmpty("SARVOTEX_HOME");
        for (qsizetype i = 1; valid && i < args.size(); ++i) {
            if (args[i] == u"--static")
                capture->dynamic = false;
            else if (args[i] == u"--cw" || args[i] == u"--ccw")
                capture->direction = args[i] == u"--cw" ? gauge::DirectionChoice::Cw : gauge::DirectionChoice::Ccw;
            else if (args[i] == u"--no-analysis")
                capture->analyse = false;
            else if (args[i] == u"--save-db" && i + 1 < args.size())
                capture->saveSession = args[++i];
            else if (args[i] == u"--write" && i + 1 < args.size() && IsCaseFileName(args[i + 1]))
                capture->writeFile = QFileInfo(args[++i]).absoluteFilePath();
            else
                valid = false;
        }
        if (!valid || (capture->saveSession && !capture->writeFile.isEmpty())) {
            std::fprintf(stderr, "usage: SARVOTEX_HOME=FOLDER sarvotex-dump --capture [--static] [--cw|--ccw] "
                                 "[--no-analysis] [--save-db SESSION | --write OUT.brv|OUT.rtb]\n");
            return 2;
        }
        args.clear();
    }
    QString trendError;
    const std::optional<TrendArgs> trend = TakeTrendArgs(args, trendError);
    if (trend && (!trendError.isEmpty() || qEnvironmentVariableIsEmpty("SARVOTEX_HOME"))) {
        std::fprintf(stderr, "%s\nusage: SARVOTEX_HOME=FOLDER sarvotex-dump [--pdf OUT.pdf] --trend RESULT PLANE MACHINE [FROM TO]\n",
                     qUtf8Printable(trendError));
        return 2;
    }
    std::optional<display::GraphRequest> graph;
    QString graphFile;
    // --graph viewing OUT.png [FILE...]: the diagram comes from the settings, not from a case.
    QString viewingFile;
    if (const qsizetype at = args.indexOf(QStringLiteral("--graph"));
        at >= 0 && at + 2 < args.size() && args[at + 1] == QLatin1String("viewing")) {
        viewingFile = QFileInfo(args[at + 2]).absoluteFilePath();
        args.remove(at, 3);
    }
    if (const qsizetype at = args.indexOf(QStringLiteral("--graph")); at >= 0) {
        if (at + 2 < args.size())
            graph = GraphOfKind(args[at + 1]);
        if (!graph) {
            std::fprintf(stderr, "usage: sarvotex-dump --graph polar|linear|mzc|combined|analysis OUT.png FILE [FILE...]\n");
            return 2;
        }
        graphFile = QFileInfo(args[at + 2]).absoluteFilePath();
        args.remove(at, 3);
    }
    // --pdf OUT.pdf [--report errors|graph] [--linear] FILE: the report of the one file.
    std::optional<display::ReportRequest> report;
    QString reportFile;
    if (const qsizetype at = args.indexOf(QStringLiteral("--pdf")); at >= 0) {
        const auto usage = [] {
            std::fprintf(stderr,
                         "usage: sarvotex-dump --pdf OUT.pdf [--report errors|graph] [--linear] FILE [FILE...]\n");
            return 2;
        };
        if (at != 0 || args.size() < 3 || graph)
            return usage();
        reportFile = QFileInfo(args[1]).absoluteFilePath();
        args.remove(0, 2);
        report = display::ReportRequest{};
        if (args.front() == QLatin1String("--report")) {
            if (args.size() < 2)
                return usage();
            if (args[1] == QLatin1String("graph"))
                report->type = display::ReportType::OnlyGraph;
            else if (args[1] != QLatin1String("errors"))
                return usage();
            args.remove(0, 2);
        }
        if (!args.isEmpty() && args.front() == QLatin1String("--linear")) {
            report->linearGraph = true;
            args.removeFirst();
        }
        if (args.isEmpty() || args.front().startsWith(QLatin1String("--")))
            return usage();
    }
    // --save-db SESSION FILE: the one file is saved under SESSION instead of printed.
    std::optional<QString> saveSession;
    if (const qsizetype at = args.indexOf(QStringLiteral("--save-db")); at >= 0) {
        if (at != 0 || args.size() != 3 || graph) {
            std::fprintf(stderr, "usage: sarvotex-dump --save-db SESSION FILE\n");
            return 2;
        }
        saveSession = args[at + 1];
        args.remove(at, 2);
    }
    // --write OUT: the one file is written instead of printed.
    QString writeFile;
    if (const qsizetype at = args.indexOf(QStringLiteral("--write")); at >= 0) {
        if (graph || report || saveSession || at + 1 >= args.size() || !IsCaseFileName(args[at + 1])) {
            std::fprintf(stderr, "usage: sarvotex-dump [--no-analysis] --write OUT.brv|OUT.rtb FILE\n");
            return 2;
        }
        writeFile = QFileInfo(args[at + 1]).absoluteFilePath();
        args.remove(at, 2);
    }
    QString loadDb;
    if (const qsizetype at = args.indexOf(QStringLiteral("--load-db")); at >= 0) {
        const QString which = at + 1 < args.size() ? args[at + 1] : QString();
        bool numeric = false;
        which.toInt(&numeric);
        if (args.size() != 2 || (which != QLatin1String("last") && !numeric) || qEnvironmentVariableIsEmpty("SARVOTEX_HOME")) {
            std::fprintf(stderr, "usage: SARVOTEX_HOME=FOLDER sarvotex-dump --load-db ID|last\n");
            return 2;
        }
        loadDb = which;
        args.clear();
    }
    // --batch SESSION FILE...: the files stored into SESSION as the batch window stores them.
    std::optional<QString> batchSession;
    QStringList batchFiles;
    if (const qsizetype at = args.indexOf(QStringLiteral("--batch")); at >= 0) {
        if (at != 0 || args.size() < 3) {
            std::fprintf(stderr, "usage: sarvotex-dump --batch SESSION FILE...\n");
            return 2;
        }
        batchSession = args[1];
        batchFiles = args.mid(2);
        args.clear();
    }
    const bool listDb = args == QStringList{QStringLiteral("--list-db")};
    if (listDb) {
        if (qEnvironmentVariableIsEmpty("SARVOTEX_HOME")) {
            std::fprintf(stderr, "usage: SARVOTEX_HOME=FOLDER sarvotex-dump --list-db\n");
            return 2;
        }
        args.clear();
    }
    // --remove-db ID | --remove-session SESSION: the removals of the case browser.
    std::optional<int> removeId;
    std::optional<QString> removeSession;
    if (!args.isEmpty() && (args.front() == u"--remove-db" || args.front() == u"--remove-session")) {
        bool numeric = true;
        if (args.size() == 2 && args.front() == u"--remove-db")
            removeId = args[1].toInt(&numeric);
        else if (args.size() == 2)
            removeSession = args[1];
        if (args.size() != 2 || !numeric || qEnvironmentVariableIsEmpty("SARVOTEX_HOME")) {
            std::fprintf(stderr, "usage: SARVOTEX_HOME=FOLDER sarvotex-dump --remove-db ID | --remove-session SESSION\n");
            return 2;
        }
        args.clear();
    }
    const bool removeDb = removeId || removeSession;
    const bool results = args.removeAll(QStringLiteral("--results")) > 0;
    const bool analyse = !args.removeAll(QStringLiteral("--no-analysis")) || results || graph || report
        || !viewingFile.isEmpty();
    if (args.isEmpty() && loadDb.isEmpty() && !listDb && !removeDb && !batchSession && viewingFile.isEmpty() && !trend
        && !capture) {
        std::fprintf(stderr, "usage: sarvotex-dump [--no-analysis] [--results] FILE [FILE...]\n"
                             "       sarvotex-dump --graph polar|linear|mzc|combined|analysis OUT.png FILE [FILE...]\n"
                             "       sarvotex-dump --graph viewing OUT.png [FILE...]\n"
                             "       sarvotex-dump [--no-analysis] --write OUT.brv|OUT.rtb FILE\n"
                             "       sarvotex-dump --pdf OUT.pdf [--report errors|graph] [--linear] FILE [FILE...]\n"
                             "       sarvotex-dump --save-db SESSION FILE\n"
                             "       SARVOTEX_HOME=FOLDER sarvotex-dump --load-db ID|last\n"
                             "       SARVOTEX_HOME=FOLDER sarvotex-dump --list-db\n"
                             "       SARVOTEX_HOME=FOLDER sarvotex-dump --remove-db ID | --remove-session SESSION\n"
                             "       sarvotex-dump --batch SESSION FILE...\n");
        return 2;
    }

    // The program folder's settings when one is named, as the program reads them at start-up
    // (never written back); else the defaults of a fresh folder.
    QTemporaryDir fresh;
    const QString homeSetting = qEnvironmentVariable("SARVOTEX_HOME");
    const QString home = homeSetting.isEmpty() ? fresh.path() : homeSetting;
    QTemporaryDir languageFolder;
    if (home.isEmpty() || !languageFolder.isValid())
        return 2;
    const QString appPath = QDir(home).absolutePath() + "/";
    DumpPrompts prompts;
    setPrompts(&prompts);
    const SettingsReadResult settingsRead = ReadSettings(appPath, appPath + "Sarvotex.ini");
    sarvo::ReportOutcome(settingsRead.outcome);
    Settings settings = settingsRead.settings;
    Case openCase;
    openCase.Data.BallBarLength = settings.BallBarLength;
    OpenLanguageCopy(appPath, QDir(languageFolder.path()).absolutePath() + "/");
    SetTextLanguage(settings.Language);
    UnitState units;
    ComputeUnits(units, settings, IniFile(appPath + "Sarvotex.ini"));

    if (capture) {
        const int status = CaptureMeasurement(*capture, appPath, settings, units);
        CloseLanguageDatabase();
        setPrompts(nullptr);
        return status;
    }
    if (trend) {
        const int status = PrintTrend(*trend, appPath, units);
        CloseLanguageDatabase();
        setPrompts(nullptr);
        return status;
    }
    if (!loadDb.isEmpty() || listDb || removeDb) {
        const int status = removeDb ? RemoveFromDb(removeId, removeSession.value_or(QString()), appPath)
                           : listDb ? ListDb(appPath)
                                    : LoadFromDb(loadDb, appPath, openCase, settings);
        CloseLanguageDatabase();
        setPrompts(nullptr);
        return status;
    }

    if (batchSession) {
        const int status = ImportBatch(*batchSession, batchFiles, appPath, settings);
        CloseLanguageDatabase();
        setPrompts(nullptr);
        return status;
    }

    int viewingStatus = 0;
    if (!viewingFile.isEmpty())
        viewingStatus = WriteViewing(appPath + "Sarvotex.ini", viewingFile);

    files::DiskFiles disk;
    files::ReadContext ctx = files::ReadContext::fromSettings(settings);
    ctx.files = &disk;
    ctx.resolveMachine = [](const QString& name) { return name; };
    ctx.moreFiles = [&prompts](const QString&) -> QString {
        if (prompts.pending.empty())
            return {};
        QString next = prompts.pending.front();
        prompts.pending.pop_front();
        return next;
    };
    ctx.report = [](const files::ReadResult& r) { ReportReadResult(r); };

    for (const QString& arg : args)
        prompts.pending.push_back(QFileInfo(arg).absoluteFilePath());
    int status = viewingStatus;
    bool first = true;
    while (!prompts.pending.empty()) {
        const QString file = prompts.pending.front();
        prompts.pending.pop_front();
        openCase = Case{};
        prompts.failures.clear();
        bool ok = false;
        try {
            const files::ReadResult result = files::ReadCommandLineFile(file, openCase, settings, ctx);
            ReportReadResult(result);
            ok = result.ok();
            if (ok && analyse)
                Analyse(openCase, settings);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            ok = false;
        }
        if (!ok) {
            status = 1;
            continue;
        }
        if (!viewingFile.isEmpty())
            continue;
        if (graph) {
            status = std::max(status, WriteGraph(openCase, *graph, settings, units, graphFile));
            continue;
        }
        if (report) {
            status = std::max(status, WriteReport(openCase, *report, settings, units, reportFile));
            continue;
        }
        if (saveSession) {
            status = std::max(status, SaveToProgramDb(openCase, *saveSession, appPath));
            continue;
        }
        if (!writeFile.isEmpty()) {
            status = std::max(status, WriteCaseFile(openCase, settings, writeFile));
            continue;
        }
        if (!first)
            std::printf("\n");
        first = false;
        printHeader(openCase.Header);
        printData(openCase.Data);
        if (analyse)
            printResults(openCase);
        if (results)
            printResultsView(display::BuildResultsView(openCase, units, settings));
    }
    CloseLanguageDatabase();
    setPrompts(nullptr);
    return status;
}
