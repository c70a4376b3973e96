// The case database's windows as the program registers them: the case browser, the session
// window of Save and the save window after a measurement, over the program's database in the
// test's program folder, driven without exec().
#include "analysis/analyse_case.h"
#include "app/app_context.h"
#include "app/case_db_commands.h"
#include "app/batch_command.h"
#include "app/case_save_command.h"
#include "app/file_commands.h"
#include "app/program_db.h"
#include "casedb/case_load.h"
#include "casedb/machine_list.h"
#include "casedb/ui/batch_window.h"
#include "casedb/ui/case_browser_window.h"
#include "casedb/ui/mac_list_window.h"
#include "casedb/ui/save_window.h"
#include "casedb/ui/session_window.h"
#include "core/dates.h"
#include "core/utilities.h"
#include "display/graphs.h"
#include "files/brv_file.h"
#include "files/rtb_writer.h"
#include "gauge/capture.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"
#include "tests/support/file_round_trip.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace sarvo;

namespace {

class CaseDbWindows : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        openDB();
        ASSERT_NE(mainCaseStore(), nullptr);
        RegisterCaseDbWindows();
        InstallFileServices();
        newCase(0);
    }
    void TearDown() override
    {
        windows().reset();
        services() = ProgramServices{};
        closeDB();
        AppTest::TearDown();
    }
    // The open case: two captured runs, tested the minutes after a fixed time.
    void newCase(int minutes)
    {
        Case& c = app().OpenCase;
        c = Case{};
        test::FillTwoWayCircle(c, false);
        c.Header[HdrMachine] = "Mill 3";
        c.Header[HdrStatDyn] = "S";
        c.Data.TestDate = QDateTime(QDate(2024, 3, 14), QTime(10, 0)).addSecs(60 * minutes);
    }
    int saveCase(const QString& session, int minutes)
    {
        newCase(minutes);
        const casedb::SaveResult r = SaveCaseToDb(session);
        EXPECT_EQ(r.outcome, casedb::SaveOutcome::Saved);
        return r.measId;
    }
    int storedCases(const QString& where = "1")
    {
        QSqlQuery q(mainCaseStore()->database());
        EXPECT_TRUE(q.exec("SELECT COUNT(*) FROM \"Measure\" WHERE " + where) && q.next());
        return q.value(0).toInt();
    }
    void refuse(const char* statement)
    {
        QSqlQuery q(mainCaseStore()->database());
        ASSERT_TRUE(q.exec(QString("CREATE TEMP TRIGGER refuse %1 BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                               .arg(statement)));
    }
    template <class W>
    W* load(WindowId id)
    {
        // A window closed before is gone, as it is once the program's event loop has run.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto* w = qobject_cast<W*>(windows().ensureLoaded(id));
        EXPECT_NE(w, nullptr);
        w->show();
        return w;
    }
    static QPushButton* button(QWidget* w, const char* name) { return w->findChild<QPushButton*>(name); }
};

TEST_F(CaseDbWindows, BrowserGroupsBySessionRemovesAllOrNothingAndOpensACase)
{
    const int late = saveCase("Weekly", 20);
    saveCase("Daily", 30);
    const int early = saveCase("Weekly", 10);
    saveCase("Gone", 40);
    app().OpenCase = Case{};

    QPointer<DbLoad> w = load<DbLoad>(WindowId::DbLoad);
    QTreeWidget* tree = w->outline();
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    QTreeWidgetItem* weekly = tree->topLevelItem(2);
    ASSERT_EQ(weekly->text(0), "Weekly");
    ASSERT_EQ(weekly->childCount(), 2);
    EXPECT_EQ(weekly->child(0)->data(0, Qt::UserRole).toInt(), early);
    EXPECT_TRUE(weekly->child(1)->text(0).startsWith("2024-03-14   Mill 3  xy  ")) << weekly->child(1)->text(0).toStdString();
    EXPECT_FALSE(button(w, "CmdRemove")->isEnabled());

    // A click on a session line opens it, a second closes it; Enter toggles it too.
    const QPoint onText = tree->visualItemRect(weekly).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, onText);
    EXPECT_TRUE(weekly->isExpanded());
    EXPECT_FALSE(button(w, "CmdOpen")->isEnabled());
    EXPECT_TRUE(button(w, "CmdRemove")->isEnabled());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, onText);
    EXPECT_FALSE(weekly->isExpanded());
    QTest::keyClick(tree, Qt::Key_Return);
    ASSERT_TRUE(weekly->isExpanded());

    // No keeps the session; Yes removes its cases and its line; a failing removal keeps both.
    tree->setCurrentItem(tree->topLevelItem(1));
    prompts.yesNoAnswers = {false, true};
    button(w, "CmdRemove")->click();
    button(w, "CmdRemove")->click();
    EXPECT_EQ(prompts.questions.size(), 2);
    EXPECT_EQ(storedCases(), 3);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    refuse("BEFORE DELETE ON \"Measure\"");
    tree->setCurrentItem(tree->topLevelItem(0));
    prompts.yesNoAnswers = {true};
    button(w, "CmdRemove")->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains("Removing case"));
    EXPECT_EQ(storedCases(), 3);
    EXPECT_EQ(tree->topLevelItemCount(), 2);

    // Double-clicking a case line opens it as the open case and closes the browser.
    const QPoint onCase = tree->visualItemRect(weekly->child(1)).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, onCase);
    EXPECT_TRUE(button(w, "CmdOpen")->isEnabled());
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, onCase);
    EXPECT_TRUE(!w || !w->isVisible());
    EXPECT_EQ(app().OpenCase.Header[HdrName], "Weekly");
    EXPECT_EQ(app().Settings.RecentID[0], late);
}

TEST_F(CaseDbWindows, SessionWindowOffersTheNamedSessionsAndSavesUnderTheChoice)
{
    saveCase("", 5);
    saveCase("Weekly", 10);
    newCase(40);
    app().OpenCase.Header[HdrName] = "Weekly";

    // The stored sessions, without the cases stored without one; the case's own is selected.
    frmSession* w = load<frmSession>(WindowId::Session);
    QListWidget* list = w->sessionList();
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->isSelected());
    EXPECT_TRUE(button(w, "cmdClose")->isEnabled());

    // Cancel in the question for a new name keeps the window open; a name saves under it.
    prompts.textAnswers = {QString(), "Acceptance; 'A'"};
    button(w, "CmdNew")->click();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(storedCases(), 2);
    QPointer<frmSession> guard(w);
    button(w, "CmdNew")->click();
    EXPECT_TRUE(!guard || !guard->isVisible());
    EXPECT_EQ(storedCases("\"Name\" = 'Acceptance; ''A'''"), 1);
    EXPECT_EQ(app().OpenCase.Header[HdrName], "Acceptance; 'A'");

    // Cancel saves nothing and leaves the case's session as it was.
    newCase(50);
    app().OpenCase.Header[HdrName] = "Elsewhere";
    frmSession* other = load<frmSession>(WindowId::Session);
    EXPECT_EQ(other->sessionList()->count(), 2);
    EXPECT_TRUE(other->sessionList()->selectedItems().isEmpty());
    button(other, "cmdClose")->click();
    EXPECT_TRUE(other->isVisible());
    button(other, "CmdCancel")->click();
    EXPECT_EQ(storedCases(), 3);
    EXPECT_EQ(app().OpenCase.Header[HdrName], "Elsewhere");
}

// The measurement window's side, recorded.
class RecordingHost : public CaptureHost {
public:
    Case& capturedCase() override { return app().OpenCase; }
    void setCaptureEnabled(bool enabled) override { captureEnabled = enabled; }
    void clearForNextMeasurement() override { ++cleared; }
    void caseStored(int measId) override { storedId = measId; }
    void caseWritten(const Case& c) override { written.push_back(c); }
    bool captureEnabled = true;
    std::vector<Case> written;
    int cleared = 0;
    int storedId = 0;
};

TEST_F(CaseDbWindows, AFailedSaveAfterAMeasurementKeepsTheCapturedRunsAndARetryStoresThem)
{
    app().OpenCase.Header[HdrName] = "Capture";
    app().OpenCase.Header[HdrMachine] = "New mill";
    const Case captured = app().OpenCase;
    RecordingHost host;
    auto* w = new frmSave(host, ProgramCaptureSaving());
    w->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<frmSave> guard(w);
    w->show();
    EXPECT_FALSE(host.captureEnabled);
    EXPECT_TRUE(w->databaseOption()->isChecked());
    EXPECT_TRUE(w->databaseOption()->font().bold());

    refuse("BEFORE INSERT ON \"Direction\"");
    button(w, "CmdOk")->click();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_TRUE(prompts.messages[0].text.contains("Saving"));
    EXPECT_TRUE(prompts.messages[1].text.contains("The measured runs are kept"));
    prompts.messages.clear();
    EXPECT_TRUE(app().OpenCase.Data.Readings == captured.Data.Readings);
    EXPECT_EQ(app().OpenCase.Data.RunCount, 2);
    ASSERT_TRUE(guard && w->isVisible() && w->isEnabled());
    EXPECT_EQ(host.storedId, 0);
    EXPECT_EQ(host.cleared, 0);
    EXPECT_EQ(storedCases(), 0);

    QSqlQuery(mainCaseStore()->database()).exec("DROP TRIGGER temp.refuse");
    button(w, "CmdOk")->click();
    ASSERT_GT(host.storedId, 0);
    EXPECT_EQ(host.cleared, 1);
    EXPECT_TRUE(host.captureEnabled);
    EXPECT_TRUE(!guard || !guard->isVisible());
    EXPECT_EQ(app().OpenCase.Data.RunCount, 0);
    EXPECT_TRUE(app().OpenCase.Data.Readings == ReadingsTable());
    EXPECT_TRUE(casedb::MachineExists(*mainCaseStore(), "New mill"));

    // The retry stored what one analysis of the captured runs gives, not a twice compensated copy.
    Case expected = captured;
    NoProgress none;
    ASSERT_TRUE(AnalyseCase(expected, app().Settings, {.measurement = true, .errorModel = true}, none).ok());
    Case loaded;
    Settings settings;
    ASSERT_TRUE(casedb::LoadCase(*mainCaseStore(), host.storedId, loaded, settings).ok);
    for (int point : {0, 90, 271})
        EXPECT_EQ(float(loaded.Data.Readings(2, point)), float(expected.Data.Readings(2, point))) << point;
}

TEST_F(CaseDbWindows, SaveAfterAMeasurementToAFileWritesTheReadingsAsCaptured)
{
    const Case captured = app().OpenCase;
    RecordingHost host;
    frmSave w(host, ProgramCaptureSaving());
    w.show();
    w.fileOption()->setChecked(true);
    EXPECT_TRUE(w.fileOption()->font().bold());

    // A cancelled file dialog leaves the window open and the readings as captured.
    button(&w, "CmdOk")->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(app().OpenCase.Data.Readings == captured.Data.Readings);

    prompts.fileAnswers = {path("capture")};
    prompts.filterAnswers = {1};
    button(&w, "CmdOk")->click();
    EXPECT_TRUE(QFileInfo::exists(path("capture.rtb")));
    // The case as written goes to the measurement window, which shows it on closing.
    ASSERT_EQ(host.written.size(), 1u);
    EXPECT_TRUE(host.written[0].Data.ReadingsToSave() == captured.Data.Readings);
    EXPECT_EQ(host.cleared, 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(host.captureEnabled);
}

// A run as a capture stores it (in the order measured), over a circle with a centre offset, an
// oval and a step where the horizontal axis reverses.
void AddCapturedRun(Case& c, int direction, int n)
{
    Settings gauge;
    std::tie(gauge.ScaleFactor, gauge.MaxPoints) = std::tuple(1.0, 2500);
    c.Data.RunDirection[std::size_t(c.Data.RunCount + 1)] = int16_t(direction);
    std::vector<float> points;
    for (int k = 0; k < n; ++k) {
        const double a = (direction > 0 ? k : n - k) * 2 * M_PI / n;
        points.push_back(float(0.002 * std::cos(a) + 0.001 * std::sin(2 * a) + 0.0005 * direction * (std::sin(a) > 0 ? 1 : -1)));
    }
    EXPECT_TRUE(gauge::StoreDynamicRun(c, points, 1000, gauge));
}

// A pair as a capture stores it: a clockwise run of 1000 points, a counter-clockwise one of 960.
Case CapturedPair()
{
    Case c;
    CaseData& d = c.Data;
    std::tie(d.Dynamic, d.StopAngle, d.SweepAngle, d.PointsPerRun, d.TestRadius, d.BallBarLength) =
        std::tuple(true, 360, 360, 1000, 150.0, 150.0f);
    d.TestDate = QDateTime(QDate(2024, 3, 14), QTime(11, 0));
    std::tie(c.Header[HdrMachine], c.Header[HdrPlane], c.Header[HdrFeedrate], c.Header[HdrStatDyn], c.Header[HdrLength],
             c.Header[HdrSampling], c.Header[HdrDate]) =
        std::tuple("Mill 3", "xy", "1000", "D", "150.000", "250.0000", GeneralDateText(d.TestDate));
    AddCapturedRun(c, -1, 1000);
    AddCapturedRun(c, 1, 960);
    return c;
}

// Its step, rate, results and graph as shown, printed and stored (the model traces where they
// come from the fit, not from stored parameters).
void ExpectSameShownCase(const Case& back, const Case& captured, bool fittedTraces)
{
    EXPECT_EQ(back.Data.AngleStep, captured.Data.AngleStep);
    EXPECT_NEAR(StrToDbl(back.Header[HdrSampling]), StrToDbl(captured.Header[HdrSampling]), 1e-3);
    EXPECT_NEAR(back.Results.LscResult.Circularity, captured.Results.LscResult.Circularity, 0.02);
    for (const ErrorParamField& f : kErrorParamFields) {
        const double want = ErrorParamValue(captured.Results.ErrorValues, f);
        if (f.column > 0)
            EXPECT_NEAR(ErrorParamValue(back.Results.ErrorValues, f), want, 0.02 + 1e-3 * std::abs(want)) << f.name;
    }
    const auto graph = [fittedTraces](const Case& c, double scale = 5) {
        display::RecordingCanvas canvas(QSizeF(800, 800));
        display::DrawGraphPicture(canvas, c, scale, {.showAnalysis = fittedTraces}, app().Units, false);
        return canvas.lines;
    };
    const auto lines = graph(back), expected = graph(captured);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) // in whole pixels
        EXPECT_LE(QLineF(lines[i].to, expected[i].to).length(), 1.5) << "line " << i;
}

// The results shown right after a capture of two runs of unequal length (none drawn past the end
// of its arc) are those of the case written to either file and read back, and stored and loaded.
TEST_F(CaseDbWindows, ACapturedPairOfUnequalRunsShowsWhatItsFilesAndItsStoredCopyShow)
{
    Case captured = CapturedPair();
    ASSERT_EQ(std::tuple(captured.Data.MaxTargets, captured.Data.AngleStep), std::tuple(1000, 0.36));
    ASSERT_TRUE(AnalyseCapturedCase(captured));
    // A file of it, also one a signal writes while a save asks its questions, holds it as captured.
    EXPECT_TRUE(captured.Data.ReadingsToSave() == CapturedPair().Data.Readings);
    ASSERT_TRUE(files::SaveBrvFile(captured, "1.0", path("pair.brv")).ok());
    ASSERT_TRUE(files::SaveRtb(captured, app().Settings, path("pair.rtb")).ok());
    NoProgress none;
    for (const auto& [file, kind] : {std::pair{"pair.brv", files::ReaderKind::Brv}, {"pair.rtb", files::ReaderKind::Rtb}}) {
        Case back = test::ReadBack(path(file), kind, app().Settings);
        ASSERT_TRUE(AnalyseCase(back, app().Settings, {.measurement = true, .errorModel = true}, none).ok());
        ExpectSameShownCase(back, captured, true);
    }
    app().OpenCase = CapturedPair();
    RecordingHost host;
    frmSave(host, ProgramCaptureSaving()).findChild<QPushButton*>("CmdOk")->click();
    Case loaded;
    Settings settings;
    ASSERT_TRUE(casedb::LoadCase(*mainCaseStore(), host.storedId, loaded, settings).ok);
    ExpectSameShownCase(loaded, captured, false);
}

// The analysis on closing fails after compensating the readings (the fit divides by the
// feedrate) and the window stays: the run captured next and the pair are written as captured.
TEST_F(CaseDbWindows, RunsCapturedAfterAFailedAnalysisAreWrittenAsCaptured)
{
    Case& c = app().OpenCase = CapturedPair();
    c.Header[HdrFeedrate] = "";
    ASSERT_FALSE(AnalyseCapturedCase(c));
    prompts.messages.clear();
    c.Header[HdrFeedrate] = "1000";
    AddCapturedRun(c, -1, 990);
    Case captured = CapturedPair();
    AddCapturedRun(captured, -1, 990);
    RecordingHost host;
    frmSave w(host, ProgramCaptureSaving());
    w.fileOption()->setChecked(true);
    prompts.fileAnswers = {path("after.rtb")};
    button(&w, "CmdOk")->click();
    const Case back = test::ReadBack(path("after.rtb"), files::ReaderKind::Rtb, app().Settings);
    ASSERT_EQ(std::tuple(back.Data.RunCount, back.Data.RunTargets[3]), std::tuple(3, 990));
    for (int r = 1; r <= 3; ++r)
        for (int j : {0, 250, 959})
            EXPECT_NEAR(back.Data.Readings(r, j), captured.Data.Readings(r, j), 0.5e-5) << r << "," << j;
}

// A measurement file of the test's own: the static sample under another machine name and date.
void WriteRtb(const QString& path, const QString& machine, const QString& date)
{
    QFile sample(QStringLiteral(SARVOTEX_TEST_DATA "/rtb_static.rtb"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QString text = QString::fromLatin1(sample.readAll());
    text.replace("Name: Mill 2", "Name: " + machine).replace("Date: 09:30 Mar 17 2021", "Date: " + date);
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text.toLatin1());
}

// A machine the database does not know stops the batch at the machine list until it is answered;
// the file is stored under the machine chosen, and the other file of the same name takes the
// same answer without a second question. The case-information panel closes as the window opens.
TEST_F(CaseDbWindows, ABatchAsksForAnUnknownMachineOnceAndStoresUnderTheChoice)
{
    casedb::AddMachine(*mainCaseStore(), "Mill 2");
    casedb::AddMachine(*mainCaseStore(), "Lathe");
    const QString folder = path("batch");
    QDir().mkpath(folder);
    WriteRtb(folder + "/a.rtb", "Shop floor 4", "09:30 Mar 17 2021");
    WriteRtb(folder + "/b.rtb", "Shop floor 4", "10:30 Mar 18 2021");
    WriteRtb(folder + "/c.rtb", "Lathe", "11:30 Mar 19 2021");

    windows().registerWindow(WindowId::CaseInfo, [](QWidget* parent) { return new QWidget(parent); }, false);
    ASSERT_NE(windows().ensureLoaded(WindowId::CaseInfo), nullptr);
    RegisterBatchWindow();
    auto* batch = load<BatchWindow>(WindowId::Batch);
    ASSERT_NE(batch, nullptr);
    EXPECT_FALSE(windows().isLoaded(WindowId::CaseInfo));

    batch->setFolder(folder);
    ASSERT_EQ(batch->fileList()->count(), 3);
    batch->fileList()->selectAll();
    QTest::mouseClick(batch->addButton(), Qt::LeftButton);
    ASSERT_EQ(batch->grid()->rowCount(), 3);
    QTest::keyClicks(batch->sessionBox()->lineEdit(), "Week 9");

    // The machine list, answered as a user would: the row "Mill 2", then OK.
    QStringList asked;
    QTimer answerer;
    answerer.setInterval(5);
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* list = qobject_cast<MacList*>(top);
            if (!list || !list->isVisible())
                continue;
            asked << list->machineBox()->text();
            for (QListWidgetItem* row : list->machineList()->findItems("Mill 2", Qt::MatchExactly))
                row->setSelected(true);
            list->findChild<QPushButton*>("cmdClose")->click();
        }
    });
    answerer.start();
    QTest::mouseClick(batch->saveButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !batch->saving(); }, 60000));
    answerer.stop();

    EXPECT_EQ(asked, QStringList{"Shop floor 4"});
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "All selected cases have now been stored into the database.");
    EXPECT_EQ(storedCases("\"Name\" = 'Week 9'"), 3);
    EXPECT_EQ(storedCases("\"Machine\" = 'Mill 2'"), 2);
    EXPECT_EQ(storedCases("\"Machine\" = 'Lathe'"), 1);
    EXPECT_FALSE(casedb::MachineExists(*mainCaseStore(), "Shop floor 4"));
}

} // namespace
