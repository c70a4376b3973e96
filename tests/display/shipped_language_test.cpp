// The results window, the case-information panel, the graph windows and the print options window
// started in German over the language database
// the program ships (built from data/lang.sql): translating them and showing their views leaves no
// text of theirs without German. A text added to a window later without its German row fails here.
// The program's tests load every window the program registers in German the same way.
#include "core/case.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/settings.h"
#include "core/sql_script.h"
#include "core/units.h"
#include "display/case_info.h"
#include "display/results_view.h"
#include "display/ui/case_info_panel.h"
#include "display/ui/graph_windows.h"
#include "display/ui/print_window.h"
#include "display/ui/results_window.h"
#include "tests/support/core_test.h"
#include "tests/support/sample_cases.h"

#include "display/ui/tree_window.h"
#include "display/ui/view_window.h"
#include "gui/translate_form.h"

#include "core/help.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QCoreApplication>
#include <QRadioButton>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace sarvo {
namespace {

// The texts of a translation group that have no German: shown in English.
QStringList UntranslatedIn(const QString& form)
{
    QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
    q.prepare("SELECT English FROM Languages WHERE Form = ? AND German IS NULL ORDER BY English");
    q.addBindValue(form);
    QStringList texts;
    if (q.exec()) {
        while (q.next())
            texts << q.value(0).toString();
    }
    return texts;
}

std::string Listed(const QStringList& texts)
{
    return QString("'" + texts.join("', '") + "'").toStdString();
}

class ShippedLanguageTest : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        ASSERT_EQ(CreateDatabaseFromScript(path(kLangDbFileName), ShippedScript("lang.sql")), QString());
        OpenLanguageDatabase(appPath);
        ASSERT_TRUE(languageDb().isOpen());
        shippedRows = languageRowCount("Languages");
        // The messages the shipped database leaves without German, if any.
        shippedUntranslatedMessages = UntranslatedIn("Message");
        ComputeUnits(units, settings, IniFile(iniFile));
    }

    // Translation adds every text it does not find, with no German: nothing may have come.
    void expectEverythingTranslated(const QString& form)
    {
        EXPECT_TRUE(UntranslatedIn(form).isEmpty()) << "no German for " << Listed(UntranslatedIn(form));
        EXPECT_TRUE(UntranslatedIn("Message") == shippedUntranslatedMessages)
            << "no German for messages of the view: " << Listed(UntranslatedIn("Message"));
        EXPECT_EQ(languageRowCount("Languages"), shippedRows) << "texts were missing from the shipped database";
    }

    int shippedRows = 0;
    QStringList shippedUntranslatedMessages;
    Settings settings;
    UnitState units;
};

TEST_F(ShippedLanguageTest, TheResultsWindowAndItsViewHaveGermanForEveryText)
{
    Case c;
    test::FillTwoWayCircle(c, true);
    c.Results.ResultsValid = true;
    for (int i = 0; i < 20; ++i)
        c.Results.InfluenceOrder[std::size_t(i)] = int16_t(i);

    // The design texts, to tell the translated hints from them.
    const display::ResultsWindow english(appPath, "EngErr.hlp");
    SetTextLanguage("German");
    display::ResultsWindow german(appPath, "EngErr.hlp");
    german.fill(display::BuildResultsView(c, units, settings));
    expectEverythingTranslated("result");

    EXPECT_NE(german.windowTitle(), english.windowTitle());
    int hints = 0;
    for (int page = 0; page < display::kResultPages; ++page) {
        const QString key = display::ControlKey("LblHint", page);
        const QLabel* hint = german.label(key);
        if (!hint)
            continue;
        ++hints;
        // The long ones come from LangMemo, which adds no key when its row is missing.
        EXPECT_NE(hint->text(), english.label(key)->text()) << key.toStdString() << " is still in English";
        EXPECT_FALSE(hint->text().isEmpty()) << key.toStdString();
    }
    EXPECT_EQ(hints, 10);
}

TEST_F(ShippedLanguageTest, TheViewingAndFaultTreeWindowsHaveGermanForEveryText)
{
    SetTextLanguage("German");
    display::ViewWindow view([] { return display::ViewParams{}; }, iniFile);
    view.show();
    view.close();
    expectEverythingTranslated("frmView");
    display::TreeWindow tree;
    expectEverythingTranslated("frmTree");
    EXPECT_EQ(tree.windowTitle(), "Start des Fehlerbaums");
}

TEST_F(ShippedLanguageTest, TheCaseInformationPanelAndItsViewHaveGermanForEveryText)
{
    // Both captures and both calibrations: each shows a text of its own.
    for (const bool dynamic : {true, false}) {
        SCOPED_TRACE(dynamic ? "dynamic, calibrated" : "static, not calibrated");
        Case c;
        test::FillTwoWayCircle(c, dynamic);
        c.Data.Calibrated = dynamic;
        SetTextLanguage(QString());
        const display::CaseInfoView englishView = display::BuildCaseInfoView(c, settings, units, IniFile(iniFile));
        const CaseInfoPanel english(c, units);
        SetTextLanguage("German");
        CaseInfoPanel german(c, units);
        german.fill(display::BuildCaseInfoView(c, settings, units, IniFile(iniFile)));
        expectEverythingTranslated("Basic");

        EXPECT_NE(german.windowTitle(), english.windowTitle());
        EXPECT_NE(german.field(HdrStatDyn)->text(), englishView.field(HdrStatDyn));
        EXPECT_NE(german.field(20)->text(), englishView.field(20));
    }
}

// In German the captions are longer and the boxes narrower: the long path and ball-bar name give
// their whole text as a tip, and translating the panel again (as a change of language does)
// takes neither tip for a text to translate.
TEST_F(ShippedLanguageTest, TheGermanPanelTellsLongNamesWholeAndTranslatesNoneOfThem)
{
    Case c;
    test::FillTwoWayCircle(c, true);
    c.Header[HdrFilename] = "/home/bediener/messungen/2024/fruehjahr/fraese-3/dynamisch-xy.rtb";
    c.Header[HdrEquipmentManufacturer] = "Brintovale Messtechnik";
    c.Header[HdrEquipmentModel] = "Teleskop DBB 150";
    c.Header[HdrEquipmentSerial] = "SN 2024-000417";
    SetTextLanguage("German");
    CaseInfoPanel german(c, units);
    german.fill(display::BuildCaseInfoView(c, settings, units, IniFile(iniFile)));
    german.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&german));
    auto* ballbar = german.findChild<QLineEdit*>("txtBallbarName");
    EXPECT_EQ(german.field(HdrFilename)->toolTip(), c.Header[HdrFilename]);
    german.tabs()->setCurrentIndex(1);
    EXPECT_EQ(ballbar->toolTip(), "Brintovale Messtechnik Teleskop DBB 150 SN 2024-000417");

    TranslateForm(german);
    expectEverythingTranslated("Basic");
    EXPECT_EQ(ballbar->toolTip(), "Brintovale Messtechnik Teleskop DBB 150 SN 2024-000417");
}

} // namespace
} // namespace sarvo

namespace sarvo {
namespace {

class QuietGraphHost : public display::GraphWindowHost {
public:
    bool combined() const override { return combinedView; }
    void setCombined(bool on) override { combinedView = on; }
    void showCombinedOriginal() override {}
    void refreshAnalysisGraph() override {}
    void syncAnalysisOptions(const GraphViewOptions&) override {}
    void printGraph() override {}
    void originalGraphClosed() override {}
    bool combinedView = false;
};

} // namespace

TEST_F(ShippedLanguageTest, TheGraphWindowsHaveGermanForEveryText)
{
    Case c;
    test::FillTwoWayCircle(c, true);
    SetTextLanguage("German");
    QuietGraphHost host;
    for (const bool combined : {false, true}) {
        host.combinedView = combined;
        display::OriginalGraphWindow original(c, settings, units, host);
        original.resize(600, 500);
        original.redraw(); // the caption follows the combined display
        display::AnalysisGraphWindow analysis(c, settings, units, host);
        analysis.resize(600, 500);
        analysis.redraw();
    }
    expectEverythingTranslated("frmGraph");
    expectEverythingTranslated("frmAnaGraph");
}

// German texts are longer than the English ones the windows were laid out with: none is cut.
TEST_F(ShippedLanguageTest, GermanTextsFitTheGraphLegendAndTheParetoChart)
{
    Case c;
    test::FillTwoWayCircle(c, true);
    SetTextLanguage("German");
    QuietGraphHost host;
    display::OriginalGraphWindow graph(c, settings, units, host);
    graph.resize(600, 500);
    graph.show();
    QCoreApplication::processEvents();
    for (const char* name : {"LblCW", "LblCCW"}) {
        const QLabel* label = graph.findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_NE(label->text().trimmed(), QString::fromLatin1(name).mid(3)) << "still English";
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        EXPECT_TRUE(label->parentWidget()->rect().contains(label->geometry())) << label->text().toStdString();
    }

    // The Pareto chart's German influence names keep every letter.
    c.Results.ResultsValid = true;
    const std::pair<int16_t, const char*> ranked[] = {
        {15, "Squareness"}, {6, "Mismatch"}, {10, "Servo"}, {19, "Dir. Vibration"}, {4, "Lateral Play"}};
    for (std::size_t i = 0; i < 5; ++i) {
        const auto [code, english] = ranked[i];
        c.Results.InfluenceOrder[i] = code;
        c.Results.InfluenceName[std::size_t(code)] =
            Translate(QString::fromLatin1(english)) + (code == 6 || code == 4 ? " x" : "");
    }
    display::ResultsWindow results(appPath, "GerErr.hlp");
    results.fill(display::BuildResultsView(c, units, settings));
    results.resize(720, 480); // the chart near its design size, narrower than the window opens
    results.show();
    QCoreApplication::processEvents();
    const display::BarChartGeometry g = results.paretoChart()->barGeometry();
    ASSERT_EQ(g.labelLines.size(), 5u);
    for (const auto& lines : g.labelLines) {
        ASSERT_FALSE(lines.empty());
        for (const QString& line : lines)
            EXPECT_FALSE(line.contains(u'…')) << line.toStdString();
    }
}

namespace {

class QuietPrintHost : public display::PrintWindowHost {
public:
    display::GraphPrintState graphState() const override { return {}; }
    QString logoPath() const override { return {}; }
    QString version() const override { return {}; }
    bool choosePrinter(QWidget*) override { return false; }
    void printReport(const display::ReportRequest&) override {}
    void printWindowClosed() override {}
};

} // namespace

TEST_F(ShippedLanguageTest, ThePrintWindowHasGermanForEveryText)
{
    Case c;
    QuietPrintHost host;
    const display::PrintWindow english(c, host);
    SetTextLanguage("German");
    display::PrintWindow german(c, host);
    german.showWaitOnly();
    expectEverythingTranslated("frmPrint");
    EXPECT_NE(german.windowTitle(), english.windowTitle());
    EXPECT_NE(german.typeOption(display::ReportType::OnlyGraph)->text(),
              english.typeOption(display::ReportType::OnlyGraph)->text());
}

namespace {

QString FileText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The anchors "<a name=...>" of a shipped help page: the contexts it can be opened at.
QStringList HelpAnchors(const QString& page)
{
    QStringList anchors;
    static const QRegularExpression kAnchor(QStringLiteral("<a\\s+name=\"([^\"]*)\""));
    for (auto it = kAnchor.globalMatch(FileText(page)); it.hasNext();)
        anchors << it.next().captured(1);
    return anchors;
}

// Every text the program's code passes to Translate as a literal.
QStringList TranslatedLiterals()
{
    static const QRegularExpression kCall(
        QStringLiteral("\\bTranslate\\(\\s*(?:QStringLiteral\\(|QString\\(|u)?\"((?:[^\"\\\\]|\\\\.)*)\""));
    QStringList texts;
    const QString root = QStringLiteral(SARVOTEX_SOURCE_DIR);
    for (const char* folder : {"core", "analysis", "files", "casedb", "display", "gauge", "gui", "app"}) {
        QDirIterator it(root + "/" + folder, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            for (auto m = kCall.globalMatch(FileText(it.next())); m.hasNext();) {
                const QString text = m.next().captured(1);
                if (!text.contains(u'\\'))
                    texts << text;
            }
        }
    }
    texts.removeDuplicates();
    return texts;
}

} // namespace

// German help pages stand beside the English ones with the same contexts, and the shipped texts
// name them: every context the results window opens is an anchor of both error-type pages.
TEST_F(ShippedLanguageTest, GermanHelpPagesHaveTheContextsOfTheEnglishOnes)
{
    const QString folder = QStringLiteral(SARVOTEX_SOURCE_DIR "/data/help/");
    SetTextLanguage("German");
    for (const char* english : {"EngAna.hlp", "EngErr.hlp"}) {
        SCOPED_TRACE(english);
        const QString german = Translate(QString::fromLatin1(english));
        EXPECT_NE(german.compare(QString::fromLatin1(english), Qt::CaseInsensitive), 0);
        const QStringList anchors = HelpAnchors(HelpPagePath(folder + english));
        EXPECT_FALSE(anchors.isEmpty());
        EXPECT_EQ(HelpAnchors(HelpPagePath(folder + german)), anchors) << german.toStdString();
    }
    const QStringList errorContexts = HelpAnchors(HelpPagePath(folder + Translate("EngErr.hlp")));
    for (int page = 0; page < display::kResultPages; ++page) {
        const QString context = QString::number(display::HelpContextOfPage(display::ResultPage(page)));
        EXPECT_TRUE(errorContexts.contains(context)) << "page " << page << ", context " << context.toStdString();
    }
}

// The look-up ignores letter case, so a shipped key that differs from the program's text only in
// case would show the key's spelling in English: each message the code translates finds its own.
TEST_F(ShippedLanguageTest, EveryMessageTheCodeTranslatesFindsItsOwnSpellingOrNothing)
{
    const QStringList texts = TranslatedLiterals();
    ASSERT_GT(texts.size(), 100);
    EXPECT_TRUE(texts.contains("Feedrate"));
    QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
    q.prepare("SELECT English FROM Languages WHERE Form = 'Message' AND English = ?");
    QStringList mismatched;
    for (const QString& text : texts) {
        q.addBindValue(text);
        ASSERT_TRUE(q.exec());
        if (q.next() && q.value(0).toString() != text)
            mismatched << text + " -> " + q.value(0).toString();
    }
    EXPECT_TRUE(mismatched.isEmpty()) << Listed(mismatched);
    SetTextLanguage("English");
    EXPECT_EQ(Translate("Feedrate"), "Feedrate");
}

} // namespace sarvo
