// The own .brv file: the writer's document against a hand-written one, the reader's rules on
// hand-made files, failures that leave a message and the case as it was, the hand-written sample
// against its golden file, and a seeded round trip over many generated cases.
#include "files/brv_file.h"

#include "analysis/analyse_case.h"
#include "core/dates.h"
#include "core/number_format.h"
#include "core/utilities.h"
#include "files/dispatch.h"
#include "files/reader_support.h"
#include "files/xml_support.h"

#include "tests/files/files_test_util.h"
#include "tests/support/sample_cases.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>

#include <gtest/gtest.h>

#include <random>

namespace sarvo::test {
namespace {

using files::ReadResult;

// ---------------------------------------------------------------------------------------------
// The XML helpers the writer and the readers share.

TEST(XmlSupportTest, NextTokenSplitsOnEveryRunOfBlanksTabsAndLineEnds)
{
    const auto tokens = [](const QString& text) {
        QStringList out;
        QStringView rest(text);
        for (int guard = 0; guard < 20; ++guard) {
            const QStringView token = files::NextToken(rest);
            if (token.isEmpty())
                break;
            out << token.toString();
        }
        EXPECT_TRUE(rest.trimmed().isEmpty()) << text.toStdString();
        return out;
    };
    EXPECT_EQ(tokens("  1.5 2.5"), (QStringList{"1.5", "2.5"}));
    EXPECT_EQ(tokens("1.5\r\n2.5"), (QStringList{"1.5", "2.5"}));
    // A blank before a line end gives no empty token (no 0 slipped in, no point shifted).
    EXPECT_EQ(tokens("1 \r\n2\n3\r4\t5 \t\r\n 6"), (QStringList{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(tokens(""), QStringList());
    EXPECT_EQ(tokens(" \r\n "), QStringList());

    QString list = QStringLiteral("7");
    QStringView rest(list);
    EXPECT_EQ(files::NextToken(rest), u"7");
    EXPECT_TRUE(rest.isEmpty());
    EXPECT_TRUE(files::NextToken(rest).isEmpty()); // past the end: empty, the list stays empty
}

TEST(XmlSupportTest, CommaToPointAndControlCharactersInTexts)
{
    EXPECT_EQ(files::CommaToPoint("1,5"), "1.5");
    EXPECT_EQ(files::CommaToPoint("1,234,5"), "1.234.5");
    EXPECT_EQ(files::CommaToPoint("150.5"), "150.5");

    auto doc = files::NewXmlDocument();
    pugi::xml_node root = doc->append_child("R");
    files::AddXmlElement(root, "A", QString::fromUtf8("x\x01y\tz\x1f"), "\r\n");
    files::AddXmlElement(root, "B", QString(), QString());
    const QByteArray bytes = files::XmlDocumentBytes(*doc);
    EXPECT_EQ(bytes, "<R><A>x y\tz </A>\r\n<B></B></R>\r\n");
    auto back = files::NewXmlDocument();
    files::LoadXmlDocument(*back, bytes);
    EXPECT_EQ(files::XmlText(files::SelectNode(back->document_element(), "child::A")), "x y\tz ");

    // Line ends in a value are written as a reader sees them, so that a value reads back as written.
    auto lines = files::NewXmlDocument();
    files::AddXmlElement(lines->append_child("R"), "A", "a\r\nb\rc\nd", "\r\n");
    const QByteArray linesBytes = files::XmlDocumentBytes(*lines);
    EXPECT_EQ(linesBytes, "<R><A>a\nb\nc\nd</A>\r\n</R>\r\n");
}

TEST(XmlSupportTest, LoadingRefusesBrokenAndOversizedTextAndExpandsNoEntities)
{
    auto doc = files::NewXmlDocument();
    for (const QByteArray& broken : {QByteArray("<A><B></A>"), QByteArray("no xml"), QByteArray(""),
                                     QByteArray("<?xml version=\"1.0\"?><!--only a comment-->")}) {
        try {
            files::LoadXmlDocument(*doc, broken);
            ADD_FAILURE() << broken.constData();
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), 321) << broken.constData();
            EXPECT_FALSE(e.description().isEmpty());
        }
    }
    try {
        files::LoadXmlDocument(*doc, QByteArray(files::kMaxMeasurementFileSize + 1, ' '));
        ADD_FAILURE() << "an oversized text was loaded";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), AppError::kOutOfMemory);
    }
    // Entities of a document type are never expanded: no growth, no outside file read.
    files::LoadXmlDocument(*doc, "<!DOCTYPE A [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">"
                                 "<!ENTITY c SYSTEM \"file:///etc/passwd\">]><A>&b;&c;</A>");
    EXPECT_LE(files::XmlText(doc->document_element()).size(), 10);
}

// ---------------------------------------------------------------------------------------------
// The writer.

class BrvWriterTest : public CoreTest {
protected:
    // A case with every field the file holds set to a value of its own, so that a swapped field
    // shows: one counter-clockwise and one clockwise run of three points, not calibrated.
    static Case smallCase()
    {
        Case c;
        CaseHeader& h = c.Header;
        CaseData& d = c.Data;
        h[HdrName] = "Session A";
        h[HdrCustomer] = "ACME & Sons <West>";
        h[HdrLength] = "150.000";
        h[HdrFeedrate] = "1000";
        h[HdrPlane] = "xy";
        h[HdrMachineExp] = "11,5"; // typed with a comma
        h[HdrGaugeExp] = "0";
        h[HdrBy] = "Joe";
        h[HdrComment] = "";
        h[HdrEquipmentManufacturer] = "Brintovale";
        h[HdrEquipmentModel] = "BB1";
        h[HdrEquipmentSerial] = "S-7";
        h[HdrDate] = "2004-03-05 14:07:09";
        h[HdrMachine] = "Mill 1";
        h[HdrOrigX] = "12.5";
        h[HdrOrigY] = "";
        h[HdrOrigZ] = "   ";
        h[HdrSampling] = "250.5";
        d.Dynamic = true;
        d.Calibrated = false;
        d.StartAngle = -45;
        d.StopAngle = 315;
        d.SweepAngle = 360;
        d.OvershootAngle = 12.5f;
        d.TestRadius = 150.5;
        d.ScaleFactor = 1.0001;
        d.RunCount = 2;
        d.MaxTargets = 3;
        d.RunDirection[1] = 1;
        d.RunDirection[2] = -1;
        d.MachineTemp[1] = 19.75;
        d.GaugeTemp[1] = 20.5;
        d.MachineTemp[2] = 20;
        d.GaugeTemp[2] = 21;
        d.RunFeedrate[1] = 999.96f;
        d.RunFeedrate[2] = 998.25f;
        d.MeasuredFeedrateAverage = 999.6f;
        for (int r = 1; r <= 2; ++r) {
            d.RunTargets[r] = 3;
            for (int j = 0; j < 3; ++j)
                d.Readings(r, j) = 0.001 * (j + 1);
        }
        AnalysisResults& res = c.Results;
        res.ResultsValid = true;
        res.LscResult = {5.12345, 150.0021, 3.1, 45, -2.02, 225, -2.25, 1.5};
        res.MzcResult = {4.9, 150.002, 2.9, 44, -2.0, 226, -2.2, 1.4};
        res.Iso.IsoH = 0.7;
        res.Iso.IsoGb = 6.1;
        res.Iso.IsoD = 2.3;
        res.Iso.IsoFmax[1] = 3.3;
        res.Iso.IsoFmin[1] = -3.4;
        res.Iso.IsoG[1] = 5.5;
        res.Iso.IsoFmax[2] = 3.6;
        res.Iso.IsoFmin[2] = -3.7;
        res.Iso.IsoG[2] = 5.8;
        ErrorParams& e = res.ErrorValues;
        e.Squareness = 3600;
        e.ScaleH = 9.9;
        e.ScaleV = 8.8;
        e.Back0 = 1.1;
        e.Back90 = 1.2;
        e.Back180 = 1.3;
        e.Back270 = 1.4;
        e.StraightH = 2.1;
        e.StraightV = 2.2;
        e.SpikeH = 3.1;
        e.SpikeV = 3.2;
        e.PlayH = 4.1;
        e.PlayV = 4.2;
        e.SlipH = 5.1;
        e.SlipV = 5.2;
        e.ServoH = 99.5;
        e.ServoV = 100.5;
        e.CyclicH = 6.1;
        e.CyclicV = 6.2;
        e.PitchH = 7.1;
        e.PitchV = 7.2;
        e.PhaseH = 8.1;
        e.PhaseV = 8.2;
        e.Random = 0.9;
        e.PolarVibration = 0.8;
        e.VibrationAngle = 135;
        return c;
    }

    // The texts of the element's children in order, as (name, text).
    static QList<std::pair<QString, QString>> children(const QByteArray& bytes, const char* container)
    {
        auto doc = files::NewXmlDocument();
        files::LoadXmlDocument(*doc, bytes);
        QList<std::pair<QString, QString>> out;
        const pugi::xml_node node = files::SelectNode(doc->document_element(), container);
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            if (child.type() == pugi::node_element)
                out.append({QString::fromUtf8(child.name()), files::XmlText(child)});
        }
        return out;
    }
    static QString valueIn(const QList<std::pair<QString, QString>>& items, const QString& name)
    {
        for (const auto& [key, value] : items) {
            if (key == name)
                return value;
        }
        return QStringLiteral("<missing>");
    }
};

TEST_F(BrvWriterTest, WritesTheDocumentAsLaidOut)
{
    const QStringList lines = {
        "<?xml version=\"1.0\"?>",
        "<!--Brintovale Double Ballbar Measurement-->",
        "<TEST_DOCUMENT>",
        "\t<TEST_SPEC>",
        "\t\t<VERSION>7.1.2</VERSION>",
        "\t\t<SESSION>Session A</SESSION>",
        "\t\t<CUSTOMER>ACME &amp; Sons &lt;West&gt;</CUSTOMER>",
        "\t\t<DYNAMIC>true</DYNAMIC>",
        "\t\t<NOMINAL_LENGTH>150.000</NOMINAL_LENGTH>",
        "\t\t<FEEDRATE>1000</FEEDRATE>",
        "\t\t<START_ANGLE>-45</START_ANGLE>",
        "\t\t<END_ANGLE>315</END_ANGLE>",
        "\t\t<OVERSHOOT_ANGLE>12.5</OVERSHOOT_ANGLE>",
        "\t\t<TEST_RADIUS>150.5</TEST_RADIUS>",
        "\t\t<PLANE>xy</PLANE>",
        "\t\t<MACH_EXP_COEFFICIENT>11.5</MACH_EXP_COEFFICIENT>",
        "\t\t<GAUGE_EXP_COEFFICIENT>0</GAUGE_EXP_COEFFICIENT>",
        "\t\t<OPERATOR>Joe</OPERATOR>",
        "\t\t<COMMENT></COMMENT>",
        "\t\t<SOFTWARE_AUTHOR>Welmo</SOFTWARE_AUTHOR>",
        "\t\t<SOFTWARE_NAME>Sarvotrenk</SOFTWARE_NAME>",
        "\t\t<SOFTWARE_VERSION>7.1.2</SOFTWARE_VERSION>",
        "\t\t<BALLBAR_MANUFACTURER>Brintovale</BALLBAR_MANUFACTURER>",
        "\t\t<BALLBAR_MODEL>BB1</BALLBAR_MODEL>",
        "\t\t<BALLBAR_SERIAL>S-7</BALLBAR_SERIAL>",
        "\t\t<BALLBAR_SCALE_FACTOR>1.0001</BALLBAR_SCALE_FACTOR>",
        "\t\t<DATE>20040305-140709</DATE>",
        "\t\t<MACHINE_NAME>Mill 1</MACHINE_NAME>",
        "\t\t<MEASURE_ORIGIN_X>12.5</MEASURE_ORIGIN_X>",
        "\t\t<MEASURE_ORIGIN_Y>0</MEASURE_ORIGIN_Y>",
        "\t\t<MEASURE_ORIGIN_Z>0</MEASURE_ORIGIN_Z>",
        "\t\t<BALLBAR_CALIBRATED>false</BALLBAR_CALIBRATED>",
        "\t</TEST_SPEC>",
        "\t<RUN_RESULT>",
        "\t\t<BALLBAR_RUN>",
        "\t\t\t<RUN_DIRECTION>CCW</RUN_DIRECTION>",
        "\t\t\t<MACH_TEMPERATURE>19.75</MACH_TEMPERATURE>",
        "\t\t\t<GAUGE_TEMPERATURE>20.5</GAUGE_TEMPERATURE>",
        "\t\t\t<TARGETS>3</TARGETS>",
        "\t\t\t<SAMPLE_RATE>250.5</SAMPLE_RATE>",
        "\t\t\t<MEASURED_FEEDRATE>1000.0</MEASURED_FEEDRATE>",
        "\t\t\t<READINGS>0.00100 0.00200 0.00300</READINGS>",
        "\t\t</BALLBAR_RUN>",
        "\t\t<BALLBAR_RUN>",
        "\t\t\t<RUN_DIRECTION>CW</RUN_DIRECTION>",
        "\t\t\t<MACH_TEMPERATURE>20</MACH_TEMPERATURE>",
        "\t\t\t<GAUGE_TEMPERATURE>21</GAUGE_TEMPERATURE>",
        "\t\t\t<TARGETS>3</TARGETS>",
        "\t\t\t<SAMPLE_RATE>250.5</SAMPLE_RATE>",
        "\t\t\t<MEASURED_FEEDRATE>998.3</MEASURED_FEEDRATE>",
        "\t\t\t<READINGS>0.00300 0.00200 0.00100</READINGS>",
        "\t\t</BALLBAR_RUN>",
        "\t</RUN_RESULT>",
        "\t<ANALYSIS>",
        "\t\t<CENTER_OFFSET_VERTICAL_LSC>1.5000</CENTER_OFFSET_VERTICAL_LSC>",
        "\t\t<CENTER_OFFSET_HORIZONTAL_LSC>-2.2500</CENTER_OFFSET_HORIZONTAL_LSC>",
        "\t\t<CIRCULARITY_LSC>5.1235</CIRCULARITY_LSC>",
        "\t\t<MAX_CIRCULARITY_LSC>3.1000</MAX_CIRCULARITY_LSC>",
        "\t\t<MAX_POSITION_LSC>45.0000</MAX_POSITION_LSC>",
        "\t\t<MIN_CIRCULARITY_LSC>-2.0200</MIN_CIRCULARITY_LSC>",
        "\t\t<MIN_POSITION_LSC>225.0000</MIN_POSITION_LSC>",
        "\t\t<BEST_RADIUS_LSC>150.0021</BEST_RADIUS_LSC>",
        "\t\t<CENTER_OFFSET_VERTICAL_MZC>1.4000</CENTER_OFFSET_VERTICAL_MZC>",
        "\t\t<CENTER_OFFSET_HORIZONTAL_MZC>-2.2000</CENTER_OFFSET_HORIZONTAL_MZC>",
        "\t\t<CENTER_CIRCULARITY_MZC>4.9000</CENTER_CIRCULARITY_MZC>",
        "\t\t<MAX_CIRCULARITY_MZC>2.9000</MAX_CIRCULARITY_MZC>",
        "\t\t<MAX_POSITION_MZC>44.0000</MAX_POSITION_MZC>",
        "\t\t<MIN_CICULARITY_MZC>-2.0000</MIN_CICULARITY_MZC>",
        "\t\t<MIN_POSITION_MZC>226.0000</MIN_POSITION_MZC>",
        "\t\t<BEST_RADIUS_MZC>150.0020</BEST_RADIUS_MZC>",
        "\t\t<ISO_HYSTERESIS>0.7000</ISO_HYSTERESIS>",
        "\t\t<ISO_Gb>6.1000</ISO_Gb>",
        "\t\t<ISO_D>2.3000</ISO_D>",
        "\t\t<ISO_F_CCW_MAX>3.3000</ISO_F_CCW_MAX>",
        "\t\t<ISO_F_CCW_MIN>-3.4000</ISO_F_CCW_MIN>",
        "\t\t<ISO_F_CW_MAX>3.6000</ISO_F_CW_MAX>",
        "\t\t<ISO_F_CW_MIN>-3.7000</ISO_F_CW_MIN>",
        "\t\t<ISO_G_CCW>5.5000</ISO_G_CCW>",
        "\t\t<ISO_G_CW>5.8000</ISO_G_CW>",
        "\t\t<SQUARENESS>17455.0649</SQUARENESS>",
        "\t\t<BACKLASH_A_POS>1.1000</BACKLASH_A_POS>",
        "\t\t<BACKLASH_B_POS>1.2000</BACKLASH_B_POS>",
        "\t\t<BACKLASH_A_NEG>1.3000</BACKLASH_A_NEG>",
        "\t\t<BACKLASH_B_NEG>1.4000</BACKLASH_B_NEG>",
        "\t\t<STRAIGHTNESS_HORIZONTAL>2.1000</STRAIGHTNESS_HORIZONTAL>",
        "\t\t<STRAIGHTNESS_VERTICAL>2.2000</STRAIGHTNESS_VERTICAL>",
        "\t\t<AXIS_SPIKE_HORIZONTAL>3.1000</AXIS_SPIKE_HORIZONTAL>",
        "\t\t<AXIS_SPIKE_VERTICAL>3.2000</AXIS_SPIKE_VERTICAL>",
        "\t\t<LATERAL_PLAY_HORIZONTAL>4.1000</LATERAL_PLAY_HORIZONTAL>",
        "\t\t<LATERAL_PLAY_VERTICAL>4.2000</LATERAL_PLAY_VERTICAL>",
        "\t\t<STICK_SLIP_HORIZONTAL>5.1000</STICK_SLIP_HORIZONTAL>",
        "\t\t<STICK_SLIP_VERTICAL>5.2000</STICK_SLIP_VERTICAL>",
        "\t\t<SERVO_RESPONSE_HORIZONTAL>99.5000</SERVO_RESPONSE_HORIZONTAL>",
        "\t\t<SERVO_RESPONSE_VERTICAL>100.5000</SERVO_RESPONSE_VERTICAL>",
        "\t\t<CYCLIC_ERROR_HORIZONTAL>6.1000</CYCLIC_ERROR_HORIZONTAL>",
        "\t\t<CYCLIC_ERROR_VERTICAL>6.2000</CYCLIC_ERROR_VERTICAL>",
        "\t\t<CYCLIC_PITCH_HORIZONTAL>7.1000</CYCLIC_PITCH_HORIZONTAL>",
        "\t\t<CYCLIC_PITCH_VERTICAL>7.2000</CYCLIC_PITCH_VERTICAL>",
        "\t\t<CYCLIC_PHASE_HORIZONTAL>8.1000</CYCLIC_PHASE_HORIZONTAL>",
        "\t\t<CYCLIC_PHASE_VERTICAL>8.2000</CYCLIC_PHASE_VERTICAL>",
        "\t\t<RANDOM_VIBRATION>0.9000</RANDOM_VIBRATION>",
        "\t\t<POLAR_VIBRATION>0.8000</POLAR_VIBRATION>",
        "\t\t<VIBRATION_ANGLE>135</VIBRATION_ANGLE>",
        "\t\t<MEASURED_FEEDRATE_AVERAGE>999.6</MEASURED_FEEDRATE_AVERAGE>",
        "\t</ANALYSIS>",
        "</TEST_DOCUMENT>",
        "",
    };
    const QByteArray bytes = files::BrvFileBytes(smallCase(), "7.1.2");
    const QStringList written = QString::fromUtf8(bytes).split("\r\n");
    EXPECT_EQ(written, lines);
    // Nothing but CR LF ends a line.
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    EXPECT_EQ(children(bytes, "child::TEST_SPEC").size(), 28);
    EXPECT_EQ(children(bytes, "child::ANALYSIS").size(), 50);

    // Runs kept before any analysis: no results of zeros, only the measured mean feedrate.
    Case unanalysed = smallCase();
    unanalysed.Results.ResultsValid = false;
    const auto analysis = children(files::BrvFileBytes(unanalysed, "7.1.2"), "child::ANALYSIS");
    EXPECT_EQ(analysis, (decltype(analysis){{"MEASURED_FEEDRATE_AVERAGE", "999.6"}}));

    // A fit that failed: the circle and ISO rows stand as for any case, the error model's go.
    Case failedFit = smallCase();
    failedFit.Results.ResultsValid = false;
    failedFit.Results.MeasurementValid = true;
    const auto standing = children(files::BrvFileBytes(failedFit, "7.1.2"), "child::ANALYSIS");
    const auto full = children(bytes, "child::ANALYSIS");
    ASSERT_EQ(standing.size(), 26);
    EXPECT_EQ(standing.mid(0, 25), full.mid(0, 25));
    EXPECT_EQ(standing[24].first, "ISO_G_CW");
    EXPECT_EQ(standing.back(), full.back());
}

// The parts of the measurement step trap their own failures: a part that failed writes none of its
// rows, where the case before left its values, and the next analysis that stands writes them all.
TEST_F(BrvWriterTest, TheAnalysisWritesTheResultsOfThePartsThatStood)
{
    Case c = smallCase();
    test::FillTwoWayCircle(c, true);
    // Every reading a whole circle out: the circles and ISO values are computed, the minimum-zone
    // search finds no zone.
    const ReadingsTable plain = c.Data.Readings;
    for (int r = 1; r <= 2; ++r) {
        for (int j = 0; j < 360; ++j)
            c.Data.Readings(r, j) += 1e30;
    }
    c.Results = AnalysisResults{};
    c.Results.MzcResult.Circularity = 12.5; // the case before's
    NoProgress none;
    const AnalysisOutcome failed = AnalyseCase(c, Settings{}, {.measurement = true}, none);
    ASSERT_TRUE(failed.ok());
    ASSERT_EQ(failed.stepFailures.size(), 1u);
    EXPECT_EQ(failed.stepFailures[0].location(), "Formulae(CalcMZC)");
    EXPECT_TRUE(c.Results.MeasurementValid);
    EXPECT_EQ(c.Results.FailedMeasurementParts, uint8_t(MeasurementPart::MinZone));
    auto names = [](const QList<std::pair<QString, QString>>& items) {
        QStringList list;
        for (const auto& item : items)
            list << item.first;
        return list;
    };
    const QStringList written = names(children(files::BrvFileBytes(c, "1"), "child::ANALYSIS"));
    for (const char* gone : {"CENTER_CIRCULARITY_MZC", "BEST_RADIUS_MZC", "MIN_CICULARITY_MZC", "ISO_Gb"})
        EXPECT_FALSE(written.contains(gone)) << gone;
    for (const char* stood : {"CIRCULARITY_LSC", "BEST_RADIUS_LSC", "ISO_HYSTERESIS", "ISO_D", "ISO_F_CW_MIN", "ISO_G_CW"})
        EXPECT_TRUE(written.contains(stood)) << stood;
    EXPECT_EQ(written.size(), 26 - 9);

    c.Data.Readings = plain;
    ASSERT_TRUE(AnalyseCase(c, Settings{}, {.measurement = true}, none).stepFailures.empty());
    EXPECT_EQ(names(children(files::BrvFileBytes(c, "1"), "child::ANALYSIS")).size(), 26);
}

TEST_F(BrvWriterTest, CalibrationAndRunDirectionsChooseTheAnalysisRows)
{
    // Runs 1 and 3 counter-clockwise, 2 and 4 clockwise: the first CCW run and the last CW run.
    Case c = smallCase();
    c.Data.Calibrated = true;
    c.Data.RunCount = 4;
    for (int r = 1; r <= 4; ++r) {
        c.Data.RunDirection[r] = r % 2 ? 1 : -1;
        c.Data.RunTargets[r] = 3;
        c.Results.Iso.IsoFmax[r] = 10 + r;
        c.Results.Iso.IsoFmin[r] = -10 - r;
        c.Results.Iso.IsoG[r] = 20 + r;
    }
    auto items = children(files::BrvFileBytes(c, "1"), "child::ANALYSIS");
    ASSERT_EQ(items.size(), 52);
    EXPECT_EQ(items[25].first, "SQUARENESS");
    EXPECT_EQ(items[26], std::pair(QString("A_MISMATCH"), QString("9.9000")));
    EXPECT_EQ(items[27], std::pair(QString("B_MISMATCH"), QString("8.8000")));
    EXPECT_EQ(items[28].first, "BACKLASH_A_POS");
    EXPECT_EQ(valueIn(items, "ISO_F_CCW_MAX"), "11.0000");
    EXPECT_EQ(valueIn(items, "ISO_F_CCW_MIN"), "-11.0000");
    EXPECT_EQ(valueIn(items, "ISO_G_CCW"), "21.0000");
    EXPECT_EQ(valueIn(items, "ISO_F_CW_MAX"), "14.0000");
    EXPECT_EQ(valueIn(items, "ISO_F_CW_MIN"), "-14.0000");
    EXPECT_EQ(valueIn(items, "ISO_G_CW"), "24.0000");
    EXPECT_EQ(children(files::BrvFileBytes(c, "1"), "child::RUN_RESULT").size(), 4);

    // Only counter-clockwise runs: the clockwise rows are 0.
    for (int r = 1; r <= 4; ++r)
        c.Data.RunDirection[r] = 1;
    c.Results.ErrorValues.Squareness = 1;
    items = children(files::BrvFileBytes(c, "1"), "child::ANALYSIS");
    for (const char* row : {"ISO_F_CW_MAX", "ISO_F_CW_MIN", "ISO_G_CW"})
        EXPECT_EQ(valueIn(items, row), "0.0000") << row;
    EXPECT_EQ(valueIn(items, "SQUARENESS"), "4.8481");
}

TEST_F(BrvWriterTest, NumbersCarryAPointWhateverTheLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Case c = smallCase();
    c.Header[HdrLength] = "150,25";
    c.Header[HdrSampling] = "250,5";
    c.Header[HdrOrigY] = "-3,5";
    c.Data.Readings(1, 0) = -0.00123;
    c.Data.Readings(1, 1) = 1234.567894;
    c.Data.RunFeedrate[1] = 999.96f;
    c.Results.LscResult.Circularity = 1234.56789;
    const QByteArray bytes = files::BrvFileBytes(c, "1");
    QLocale::setDefault(previous);

    const auto spec = children(bytes, "child::TEST_SPEC");
    EXPECT_EQ(valueIn(spec, "NOMINAL_LENGTH"), "150.25");
    EXPECT_EQ(valueIn(spec, "TEST_RADIUS"), "150.5");
    EXPECT_EQ(valueIn(spec, "MEASURE_ORIGIN_Y"), "-3.5");
    EXPECT_TRUE(bytes.contains("<READINGS>-0.00123 1234.56789 0.00300</READINGS>"));
    EXPECT_TRUE(bytes.contains("<SAMPLE_RATE>250.5</SAMPLE_RATE>"));
    EXPECT_TRUE(bytes.contains("<MEASURED_FEEDRATE>1000.0</MEASURED_FEEDRATE>"));
    EXPECT_TRUE(bytes.contains("<CIRCULARITY_LSC>1234.5679</CIRCULARITY_LSC>"));
    EXPECT_FALSE(bytes.contains(','));
}

TEST_F(BrvWriterTest, EmptyRunsTextsWithMarkupAndControlCharacters)
{
    Case c = smallCase();
    c.Data.RunTargets[2] = 0; // a run without points is still written
    c.Header[HdrComment] = QString::fromUtf8("a<b>&c \"d\" 'e' \x07 Grüße 测试");
    const QByteArray bytes = files::BrvFileBytes(c, "1");
    EXPECT_TRUE(bytes.contains("<TARGETS>0</TARGETS>\r\n\t\t\t<SAMPLE_RATE>"));
    EXPECT_TRUE(bytes.contains("<READINGS></READINGS>\r\n\t\t</BALLBAR_RUN>\r\n\t</RUN_RESULT>"));
    EXPECT_EQ(valueIn(children(bytes, "child::TEST_SPEC"), "COMMENT"),
              QString::fromUtf8("a<b>&c \"d\" 'e'   Grüße 测试"));

    c.Data.RunCount = 0;
    EXPECT_TRUE(files::BrvFileBytes(c, "1").contains("\t<RUN_RESULT>\r\n\t\t</RUN_RESULT>\r\n\t<ANALYSIS>"));
}

TEST_F(BrvWriterTest, WritesTheReadingsAsReadAndChangesNothing)
{
    Case c = smallCase();
    auto asRead = std::make_shared<ReadingsTable>(c.Data.Readings);
    (*asRead)(1, 0) = 0.5;
    c.Data.ReadingsAsRead = asRead;
    c.Results.ResultsValid = false; // not analysed: the writer still only writes
    const Case before = c;
    const QByteArray bytes = files::BrvFileBytes(c, "1");
    EXPECT_TRUE(bytes.contains("<READINGS>0.50000 0.00200 0.00300</READINGS>"));
    EXPECT_EQ(c.Data.Readings, before.Data.Readings);
    EXPECT_EQ(c.Header, before.Header);
    EXPECT_FALSE(c.Results.ResultsValid);
    EXPECT_EQ(c.Results.LscResult.Circularity, before.Results.LscResult.Circularity);

    // A case from the case database keeps only its analysed readings: those are written.
    c.Data.ReadingsAsRead.reset();
    EXPECT_TRUE(files::BrvFileBytes(c, "1").contains("<READINGS>0.00100 0.00200 0.00300</READINGS>"));
}

TEST_F(BrvWriterTest, SaveReplacesTheFileWholeOrReturnsTheFailureAndKeepsTheOldOne)
{
    const QString target = path("case.brv");
    writeFile("case.brv", "old contents");
    ASSERT_TRUE(files::SaveBrvFile(smallCase(), "7.1.2", target));
    const QByteArray saved = readFile("case.brv");
    EXPECT_EQ(saved, files::BrvFileBytes(smallCase(), "7.1.2"));
    EXPECT_EQ(busyDepth(), 0);

    // A date that is no date: nothing is written, the earlier file stays.
    Case bad = smallCase();
    bad.Header[HdrDate] = "someday";
    EXPECT_THROW(files::BrvFileBytes(bad, "1"), AppError);
    const Outcome noDate = files::SaveBrvFile(bad, "1", target);
    ASSERT_FALSE(noDate.ok());
    EXPECT_EQ(noDate.location(), "Saving brv file error");
    EXPECT_TRUE(noDate.error().description().contains("someday")) << noDate.error().description().toStdString();
    EXPECT_EQ(readFile("case.brv"), saved);

    const Outcome noFolder = files::SaveBrvFile(smallCase(), "1", path("no/such/folder/case.brv"));
    ASSERT_FALSE(noFolder.ok());
    EXPECT_EQ(noFolder.location(), "Saving brv file error");
    EXPECT_FALSE(QFile::exists(path("no/such/folder/case.brv")));
    EXPECT_EQ(busyDepth(), 0);
}

// ---------------------------------------------------------------------------------------------
// The reader on hand-made files.

using Elements = QList<std::pair<QString, QString>>;

// Elements with overrides by name: a null value drops the element, a new name goes at the end.
QString elementsText(Elements elements, const Elements& overrides)
{
    for (const auto& [name, value] : overrides) {
        bool found = false;
        for (auto& e : elements) {
            if (e.first == name) {
                e.second = value;
                found = true;
            }
        }
        if (!found)
            elements.append({name, value});
    }
    QString text;
    for (const auto& [name, value] : elements) {
        if (!value.isNull())
            text += QStringLiteral("<%1>%2</%1>\r\n").arg(name, value);
    }
    return text;
}

QString runText(const QString& direction, int targets, const QString& readings, const Elements& overrides = {})
{
    const Elements base = {{"RUN_DIRECTION", direction},   {"MACH_TEMPERATURE", "19.5"},
                           {"GAUGE_TEMPERATURE", "20.25"}, {"TARGETS", QString::number(targets)},
                           {"SAMPLE_RATE", "125"},         {"MEASURED_FEEDRATE", "998.5"},
                           {"READINGS", readings}};
    return "<BALLBAR_RUN>" + elementsText(base, overrides) + "</BALLBAR_RUN>\r\n";
}

// A file of a dynamic full circle on "Mill 1" with the given runs.
QByteArray brvText(const Elements& specOverrides, const QStringList& runs, const QString& after = {})
{
    const Elements base = {{"SESSION", "S1"},
                           {"CUSTOMER", "ACME"},
                           {"DYNAMIC", "true"},
                           {"NOMINAL_LENGTH", "150.0"},
                           {"FEEDRATE", "1000"},
                           {"START_ANGLE", "0"},
                           {"END_ANGLE", "360"},
                           {"OVERSHOOT_ANGLE", "2"},
                           {"TEST_RADIUS", "150"},
                           {"PLANE", "XY"},
                           {"MACH_EXP_COEFFICIENT", "11.5"},
                           {"GAUGE_EXP_COEFFICIENT", "0"},
                           {"OPERATOR", "Joe"},
                           {"COMMENT", "Note"},
                           {"BALLBAR_MANUFACTURER", "Brintovale"},
                           {"BALLBAR_MODEL", "BB1"},
                           {"BALLBAR_SERIAL", "S-7"},
                           {"BALLBAR_SCALE_FACTOR", "1.25"},
                           {"DATE", "20040305-140709"},
                           {"MACHINE_NAME", "Mill 1"},
                           {"MEASURE_ORIGIN_X", "1"},
                           {"MEASURE_ORIGIN_Y", "2"},
                           {"MEASURE_ORIGIN_Z", "3"},
                           {"BALLBAR_CALIBRATED", "true"}};
    const QString text = "<?xml version=\"1.0\"?>\r\n<TEST_DOCUMENT>\r\n<TEST_SPEC>\r\n" +
                         elementsText(base, specOverrides) + "</TEST_SPEC>\r\n<RUN_RESULT>\r\n" + runs.join("") +
                         "</RUN_RESULT>\r\n" + after + "</TEST_DOCUMENT>\r\n";
    return text.toUtf8();
}

// Readings 0.001 x (k + 1) x scale, separated as given.
QString ramp(int count, double scale = 1, const QString& separator = " ")
{
    QStringList values;
    for (int k = 0; k < count; ++k)
        values << QString::number(0.001 * (k + 1) * scale, 'f', 5);
    return values.join(separator);
}

class BrvReaderTest : public ::testing::Test {
protected:
    ReadResult read(const QByteArray& bytes, int maxPoints = 2500)
    {
        files.files.insert("/m/test.brv", bytes);
        ctx = MemoryContext(files, maxPoints);
        c.Header[HdrFilename] = "/m/test.brv";
        return files::ReadBrvFile(c, ctx);
    }
    ReadResult readHeader(const QByteArray& bytes)
    {
        files.files.insert("/m/test.brv", bytes);
        ctx = MemoryContext(files);
        c.Header[HdrFilename] = "/m/test.brv";
        return files::ReadBrvHeader(c, ctx);
    }

    files::MemoryFiles files;
    files::ReadContext ctx;
    Case c;
};

TEST_F(BrvReaderTest, ReadsEveryFieldOfAWholeFile)
{
    const ReadResult r = read(brvText({}, {runText("CCW", 8, ramp(8)), runText("CW", 8, ramp(8, -1))},
                                      "<ANALYSIS><MEASURED_FEEDRATE_AVERAGE>997.5</MEASURED_FEEDRATE_AVERAGE></ANALYSIS>"));
    ASSERT_TRUE(r.ok()) << r.message.toStdString();
    const CaseHeader& h = c.Header;
    const CaseData& d = c.Data;
    EXPECT_EQ(h[HdrName], "S1");
    EXPECT_EQ(h[HdrCustomer], "ACME");
    EXPECT_EQ(h[HdrMachine], "Mill 1");
    EXPECT_EQ(h[HdrDate], "2004-03-05 14:07:09");
    EXPECT_EQ(d.TestDate, QDateTime(QDate(2004, 3, 5), QTime(14, 7, 9), Qt::UTC));
    EXPECT_EQ(h[HdrBy], "Joe");
    EXPECT_EQ(h[HdrLength], "150.000");
    EXPECT_EQ(h[HdrPlane], "xy");
    EXPECT_EQ(h[HdrFeedrate], "1000");
    EXPECT_EQ(h[HdrStatDyn], "D");
    EXPECT_EQ(h[HdrMaxTargets], "8");
    EXPECT_EQ(h[HdrSampling], "125");
    EXPECT_EQ(h[HdrComment], "Note");
    EXPECT_EQ(h[HdrOrigX], "1");
    EXPECT_EQ(h[HdrOrigZ], "3");
    EXPECT_EQ(h[HdrMachineExp], "11.5");
    EXPECT_EQ(h[HdrGaugeExp], "0");
    EXPECT_EQ(h[HdrEquipmentManufacturer], "Brintovale");
    EXPECT_EQ(h[HdrEquipmentModel], "BB1");
    EXPECT_EQ(h[HdrEquipmentSerial], "S-7");
    EXPECT_EQ(d.ScaleFactor, 1.25);
    EXPECT_TRUE(d.Dynamic);
    EXPECT_TRUE(d.Calibrated);
    EXPECT_EQ(d.OvershootAngle, 2.0f);
    EXPECT_EQ(d.TestRadius, 150.0);
    EXPECT_EQ(d.BallBarLength, 150.0f);
    EXPECT_EQ(d.RunCount, 2);
    EXPECT_EQ(d.MaxTargets, 8);
    EXPECT_EQ(d.AngleStep, 45.0);
    EXPECT_EQ(d.MeasuredFeedrateAverage, 997.5f);
    for (int r = 1; r <= 2; ++r) {
        EXPECT_EQ(d.RunTargets[r], 8);
        EXPECT_EQ(d.MachineTemp[r], 19.5);
        EXPECT_EQ(d.GaugeTemp[r], 20.25);
        EXPECT_EQ(d.RunFeedrate[r], 998.5f);
    }
    EXPECT_EQ(d.RunDirection[1], 1);
    EXPECT_EQ(d.RunDirection[2], -1);
    EXPECT_EQ(d.Readings(1, 0), 0.001);
    EXPECT_EQ(d.Readings(1, 7), 0.008);
    // The clockwise run was listed from its last point.
    EXPECT_EQ(d.Readings(2, 0), -0.008);
    EXPECT_EQ(d.Readings(2, 7), -0.001);
}

TEST_F(BrvReaderTest, AnglesAreSwappedFilledToACircleAndWrappedOnce)
{
    struct Arc {
        const char* start;
        const char* stop;
        int wantStart;
        int wantStop;
    };
    for (const Arc& k : {Arc{"90", "0", 0, 90}, Arc{"0", "0", -360, 0}, Arc{"400", "500", 40, 140},
                         Arc{"-400", "-300", -40, 60}, Arc{"44.5", "135.5", 44, 136}}) {
        c = Case{};
        ASSERT_TRUE(read(brvText({{"START_ANGLE", k.start}, {"END_ANGLE", k.stop}}, {runText("CCW", 8, ramp(8))})).ok())
            << k.start;
        EXPECT_EQ(c.Data.StartAngle, k.wantStart) << k.start;
        EXPECT_EQ(c.Data.StopAngle, k.wantStop) << k.start;
        EXPECT_EQ(c.Data.SweepAngle, k.wantStop - k.wantStart) << k.start;
    }
    // Beyond what one turn brings into -360..720: refused.
    for (const auto& [start, stop] : {std::pair{"1000", "1360"}, std::pair{"-800", "-700"}, std::pair{"0", "1100"},
                                      std::pair{"40000", "0"}}) {
        c = Case{};
        const ReadResult r = read(brvText({{"START_ANGLE", start}, {"END_ANGLE", stop}}, {runText("CCW", 8, ramp(8))}));
        EXPECT_FALSE(r.ok()) << start;
        EXPECT_EQ(r.location, files::kBrvReadLocation);
    }
}

TEST_F(BrvReaderTest, DynamicDirectionsAndTheFlagsAreReadExactly)
{
    // No DYNAMIC: dynamic. "True" is not "true": static (eight points, one every 45 degrees).
    ASSERT_TRUE(read(brvText({{"DYNAMIC", QString()}}, {runText("CCW", 8, ramp(8))})).ok());
    EXPECT_TRUE(c.Data.Dynamic);
    EXPECT_EQ(c.Header[HdrStatDyn], "D");
    c = Case{};
    ASSERT_TRUE(read(brvText({{"DYNAMIC", "True"}, {"BALLBAR_CALIBRATED", "TRUE"}}, {runText("CCW", 8, ramp(8))})).ok());
    EXPECT_FALSE(c.Data.Dynamic);
    EXPECT_FALSE(c.Data.Calibrated);
    EXPECT_EQ(c.Header[HdrStatDyn], "S");
    EXPECT_EQ(c.Header[HdrSampling], ""); // a static test has no sampling rate
    EXPECT_EQ(c.Data.AngleStep, 45.0);

    // "ccw" is not "CCW": clockwise, its points restored from the end; no direction at all: CCW.
    c = Case{};
    ASSERT_TRUE(read(brvText({}, {runText("ccw", 4, ramp(4)), runText("CCW", 4, ramp(4)),
                                  runText(QString(), 4, ramp(4))})).ok());
    EXPECT_EQ(c.Data.RunDirection[1], -1);
    EXPECT_EQ(c.Data.Readings(1, 0), 0.004);
    EXPECT_EQ(c.Data.Readings(1, 3), 0.001);
    EXPECT_EQ(c.Data.RunDirection[2], 1);
    EXPECT_EQ(c.Data.RunDirection[3], 1);
    EXPECT_EQ(c.Data.Readings(3, 0), 0.001);

    // A static run must hold one point every 45 degrees of its arc: the end of a partial arc is
    // one of them.
    c = Case{};
    const ReadResult twelve = read(brvText({{"DYNAMIC", "false"}}, {runText("CCW", 12, ramp(12))}));
    EXPECT_FALSE(twelve.ok());
    EXPECT_TRUE(twelve.message.contains("45 degrees")) << twelve.message.toStdString();
    for (const int points : {4, 5}) {
        c = Case{};
        const ReadResult half = read(brvText({{"DYNAMIC", "false"}, {"START_ANGLE", "90"}, {"END_ANGLE", "270"}},
                                             {runText("CCW", points, ramp(points))}));
        EXPECT_EQ(half.ok(), points == 5) << half.message.toStdString();
    }
}

// Blanks, tabs and line ends around a word element, as a hand edit or an XML pretty-printer puts
// them, read as the plain word; names and comments are shown as they stand.
TEST_F(BrvReaderTest, WordElementsReadWithoutTheWhiteSpaceAroundThem)
{
    const QByteArray spelled =
        brvText({{"DYNAMIC", "\n\t\ttrue\n\t"}, {"BALLBAR_CALIBRATED", " true"}, {"PLANE", " ZX\t"},
                 {"COMMENT", " two  blanks "}, {"DATE", "\n\t\t20040305-140709\n\t"}},
                {runText(" CCW ", 8, ramp(8)), runText("\r\n\t\t\tCW\r\n\t\t", 8, ramp(8, -1))});
    ASSERT_TRUE(read(spelled).ok());
    const Case read = c;
    c = Case{};
    ASSERT_TRUE(BrvReaderTest::read(brvText({{"PLANE", "ZX"}, {"COMMENT", " two  blanks "}},
                                            {runText("CCW", 8, ramp(8)), runText("CW", 8, ramp(8, -1))}))
                    .ok());
    EXPECT_EQ(std::tuple(read.Data.Dynamic, read.Data.Calibrated, read.Header[HdrPlane], read.Data.RunDirection[1],
                         read.Data.RunDirection[2], read.Data.Readings(2, 0), read.Data.TestDate),
              std::tuple(true, true, QString("zx"), int16_t(1), int16_t(-1), -0.008, c.Data.TestDate));
    EXPECT_EQ(read.Data.Readings, c.Data.Readings);
    EXPECT_EQ(read.Header, c.Header);
    EXPECT_EQ(c.Header[HdrComment], " two  blanks ");
}

// A number no measurement gives and no part of the program holds is refused naming the element.
TEST_F(BrvReaderTest, ValuesTheAnalysisCannotComputeWithAreRefusedNamingTheElement)
{
    const std::pair<QByteArray, QString> absurd[] = {
        {brvText({{"TEST_RADIUS", "1e-300"}}, {runText("CCW", 8, ramp(8))}), "The value of \"TEST_RADIUS\""},
        {brvText({{"FEEDRATE", "1e300"}}, {runText("CCW", 8, ramp(8))}), "The value of \"FEEDRATE\""},
        {brvText({}, {runText("CCW", 8, ramp(8), {{"GAUGE_TEMPERATURE", "1e300"}})}), "The value of \"GAUGE_TEMPERATURE\""},
        {brvText({}, {runText("CCW", 8, ramp(8), {{"MACH_TEMPERATURE", "-300"}})}), "The value of \"MACH_TEMPERATURE\""},
        {brvText({}, {runText("CCW", 3, "0.001 1e300 0.002")}), "A reading of run 1 is out of range: \"1e300\""},
    };
    for (const auto& [bytes, message] : absurd) {
        c = Case{};
        const ReadResult r = read(bytes);
        EXPECT_EQ(r.number, AppError::kOverflow) << message.toStdString();
        EXPECT_TRUE(r.message.startsWith(message)) << r.message.toStdString();
    }
}

TEST_F(BrvReaderTest, LongRunsAreThinnedToMeansOfConsecutiveReadings)
{
    // 5000 readings per run at 2500 points: f = 3, 1666 points, each the mean of three.
    QStringList values;
    for (int k = 0; k < 5000; ++k)
        values << QString::number((k % 3) * 0.003 + (k / 3) * 0.00001, 'f', 5);
    ASSERT_TRUE(read(brvText({}, {runText("CCW", 5000, values.join(' ')), runText("CW", 5000, values.join('\n'))}), 2500)
                    .ok());
    const CaseData& d = c.Data;
    EXPECT_EQ(d.RunTargets[1], 1666);
    EXPECT_EQ(d.RunTargets[2], 1666);
    EXPECT_EQ(d.MaxTargets, 1666);
    // The count and rate of the points kept, as a capture gives them: 1666 over 942.48 mm at 1000 mm/min.
    EXPECT_EQ(std::tuple(c.Header[HdrMaxTargets], c.Header[HdrSampling]), std::tuple(QString("1666"), QString("29.4613")));
    EXPECT_DOUBLE_EQ(d.AngleStep, 360.0 / 1666);
    EXPECT_NEAR(d.Readings(1, 0), 0.003, 1e-12);
    EXPECT_NEAR(d.Readings(1, 1665), 0.003 + 1665 * 0.00001, 1e-12);
    // The clockwise run's first file value group is its last point.
    EXPECT_NEAR(d.Readings(2, 1665), 0.003, 1e-12);
    EXPECT_NEAR(d.Readings(2, 0), 0.003 + 1665 * 0.00001, 1e-12);

    // A run without a count of its own counts 500, and thins by the largest count.
    c = Case{};
    ASSERT_TRUE(read(brvText({}, {runText("CCW", 0, ramp(500), {{"TARGETS", QString()}}), runText("CCW", 1000, ramp(1000))}),
                     500)
                    .ok());
    EXPECT_EQ(c.Data.RunTargets[1], 166); // 500 / 3
    EXPECT_EQ(c.Data.RunTargets[2], 333);
}

TEST_F(BrvReaderTest, SevenRunsAtMostAndAListThatDisagreesWithItsCountFails)
{
    QStringList runs;
    for (int r = 1; r <= 9; ++r)
        runs << runText(r % 2 ? "CCW" : "CW", 8, ramp(8, r));
    ASSERT_TRUE(read(brvText({}, runs)).ok());
    EXPECT_EQ(c.Data.RunCount, 7);
    EXPECT_EQ(c.Data.Readings(7, 0), 0.007);

    // Five values for eight points, or six for three: no point is made up or dropped.
    for (const auto& [run, why] : {std::pair{runText("CCW", 8, ramp(5)), "end before its last point"},
                                   std::pair{runText("CW", 3, ramp(6)), "more readings than its TARGETS"}}) {
        c = Case{};
        const files::ReadResult r = read(brvText({}, {run}));
        ASSERT_FALSE(r.ok()) << why;
        EXPECT_EQ(r.location, files::kBrvReadLocation);
        EXPECT_TRUE(r.message.contains(why)) << r.message.toStdString();
    }
    // A value that is no number is not read as 0.
    const files::ReadResult junk = read(brvText({}, {runText("CCW", 3, "0.001 x 0.003")}));
    ASSERT_FALSE(junk.ok());
    EXPECT_TRUE(junk.message.contains("not a number")) << junk.message.toStdString();
}

TEST_F(BrvReaderTest, ReadingsSeparatedByAnyLineEndReadAlike)
{
    for (const char* separator : {" ", "\r\n", "\n", "\r", " \r\n", "\t", "  \n\t "}) {
        c = Case{};
        QByteArray bytes = brvText({}, {runText("CCW", 8, ramp(8, 1, separator))});
        ASSERT_TRUE(read(bytes).ok()) << separator;
        for (int j = 0; j < 8; ++j)
            EXPECT_DOUBLE_EQ(c.Data.Readings(1, j), 0.001 * (j + 1)) << int(separator[0]) << " at " << j;
    }
}

TEST_F(BrvReaderTest, MissingElementsTakeTheirDefaults)
{
    c.Data.TestDate = QDateTime(QDate(1999, 9, 9), QTime(9, 9), Qt::UTC); // left from an earlier case
    c.Header[HdrSampling] = "77";
    c.Data.ScaleFactor = 1.5;
    const Elements dropped = {{"SESSION", QString()},        {"TEST_RADIUS", QString()},
                              {"NOMINAL_LENGTH", QString()}, {"START_ANGLE", QString()},
                              {"END_ANGLE", QString()},      {"OVERSHOOT_ANGLE", QString()},
                              {"PLANE", QString()},          {"FEEDRATE", QString()},
                              {"MACHINE_NAME", QString()},   {"DATE", QString()},
                              {"OPERATOR", QString()},       {"BALLBAR_CALIBRATED", QString()},
                              {"MACH_EXP_COEFFICIENT", QString()}, {"MEASURE_ORIGIN_Y", QString()},
                              {"BALLBAR_SCALE_FACTOR", QString()}, {"COMMENT", QString()}};
    const Elements bareRun = {{"MACH_TEMPERATURE", QString()}, {"GAUGE_TEMPERATURE", QString()},
                              {"SAMPLE_RATE", QString()}, {"MEASURED_FEEDRATE", QString()}};
    ASSERT_TRUE(read(brvText(dropped, {runText("CCW", 8, ramp(8), bareRun)})).ok());
    const CaseHeader& h = c.Header;
    const CaseData& d = c.Data;
    EXPECT_EQ(h[HdrName], "");
    EXPECT_EQ(d.TestRadius, 150.0);
    EXPECT_EQ(d.BallBarLength, 150.0f);
    EXPECT_EQ(h[HdrLength], "150.000");
    EXPECT_EQ(d.StartAngle, 0);
    EXPECT_EQ(d.StopAngle, 360);
    EXPECT_EQ(d.OvershootAngle, 0.0f);
    EXPECT_EQ(h[HdrPlane], "xy");
    EXPECT_EQ(h[HdrFeedrate], "400");
    EXPECT_EQ(h[HdrMachine], "DefaultMachine");
    // No date: now, and the header follows it.
    EXPECT_EQ(d.TestDate, FixedNow());
    EXPECT_EQ(h[HdrDate], GeneralDateText(FixedNow()));
    EXPECT_EQ(h[HdrBy], "");
    EXPECT_FALSE(d.Calibrated);
    EXPECT_EQ(h[HdrMachineExp], "0");
    EXPECT_EQ(h[HdrOrigY], "0");
    EXPECT_EQ(h[HdrComment], "");
    EXPECT_EQ(d.ScaleFactor, 1.0);
    EXPECT_EQ(h[HdrSampling], ""); // none, not the previous case's
    // Temperatures the file does not give are 0 degrees, as the format has always meant.
    EXPECT_EQ(d.MachineTemp[1], 0.0);
    EXPECT_EQ(d.GaugeTemp[1], 0.0);
    EXPECT_EQ(d.RunFeedrate[1], 0.0f);
    EXPECT_EQ(d.MeasuredFeedrateAverage, 0.0f);
}

TEST_F(BrvReaderTest, SlotsAreWrittenBackInTheirNormalForm)
{
    ASSERT_TRUE(read(brvText({{"NOMINAL_LENGTH", "149.5"}, {"FEEDRATE", "1000.6"}, {"MACH_EXP_COEFFICIENT", "11,50"},
                              {"MEASURE_ORIGIN_X", ""}, {"MEASURE_ORIGIN_Y", "-0.000001"}, {"BALLBAR_SCALE_FACTOR", "0"},
                              {"PLANE", "YZ"}},
                             {runText("CCW", 8, ramp(8), {{"SAMPLE_RATE", "1.250"}}),
                              runText("CCW", 8, ramp(8), {{"SAMPLE_RATE", "99"}})}))
                    .ok());
    EXPECT_EQ(c.Header[HdrLength], "149.500");
    EXPECT_EQ(c.Header[HdrFeedrate], "1001");
    EXPECT_EQ(c.Header[HdrMachineExp], "11.5");
    EXPECT_EQ(c.Header[HdrOrigX], "0");
    EXPECT_EQ(c.Header[HdrOrigY], "-1E-06");
    EXPECT_EQ(c.Header[HdrSampling], "1.25");
    EXPECT_EQ(c.Header[HdrPlane], "yz");
    EXPECT_EQ(c.Data.ScaleFactor, 1.0); // 0 would scale every reading away
    // An empty rate is no rate, not 0 Hz.
    c = Case{};
    ASSERT_TRUE(read(brvText({}, {runText("CCW", 8, ramp(8), {{"SAMPLE_RATE", " "}})})).ok());
    EXPECT_EQ(c.Header[HdrSampling], "");
}

TEST_F(BrvReaderTest, DateStampsByCharacterPositions)
{
    struct Stamp {
        const char* text;
        QDateTime want;
    };
    const Stamp stamps[] = {
        {"20040305-140709", QDateTime(QDate(2004, 3, 5), QTime(14, 7, 9), Qt::UTC)},
        {"20040305", QDateTime(QDate(2004, 3, 5), QTime(0, 0), Qt::UTC)},         // no time: midnight
        {"20040305-ab0709", QDateTime(QDate(2004, 3, 5), QTime(0, 0), Qt::UTC)},  // a bad time: midnight
        {"20041305-250000", QDateTime(QDate(2005, 1, 6), QTime(1, 0), Qt::UTC)},  // parts carry over
        {"not a date", FixedNow()},
        {"", FixedNow()},
    };
    for (const Stamp& s : stamps) {
        c = Case{};
        ASSERT_TRUE(read(brvText({{"DATE", s.text}}, {runText("CCW", 8, ramp(8))})).ok()) << s.text;
        EXPECT_EQ(c.Data.TestDate, s.want) << s.text;
        EXPECT_EQ(c.Header[HdrDate], GeneralDateText(s.want)) << s.text;
    }
}

TEST_F(BrvReaderTest, HeaderOnlyReadsTheCaseInformationAndLeavesTheRest)
{
    c.Data.RunCount = 3;
    c.Data.RunTargets[1] = 100;
    c.Data.MaxTargets = 100;
    c.Data.Readings(1, 0) = 4.5;
    c.Data.ScaleFactor = 1.5;
    c.Header[HdrComment] = "kept";
    c.Header[HdrEquipmentSerial] = "kept too";
    c.Results.ResultsValid = true;
    int asked = 0;
    files.files.insert("/m/test.brv", brvText({{"DYNAMIC", "false"}}, {runText("CCW", 8, ramp(8))}));
    ctx = MemoryContext(files);
    ctx.resolveMachine = [&](const QString& name) {
        ++asked;
        return name;
    };
    c.Header[HdrFilename] = "/m/test.brv";
    ASSERT_TRUE(files::ReadBrvHeader(c, ctx).ok());
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(c.Header[HdrMachine], "Mill 1");
    EXPECT_EQ(c.Header[HdrName], "S1");
    EXPECT_EQ(c.Header[HdrStatDyn], "S");
    EXPECT_EQ(c.Header[HdrSampling], ""); // a static test has no rate, in a listing neither
    EXPECT_EQ(c.Data.RunCount, 3);
    EXPECT_EQ(c.Data.RunTargets[1], 100);
    EXPECT_EQ(c.Data.MaxTargets, 100);
    EXPECT_EQ(c.Data.Readings(1, 0), 4.5);
    EXPECT_EQ(c.Data.ScaleFactor, 1.5);
    EXPECT_EQ(c.Header[HdrComment], "kept");
    EXPECT_EQ(c.Header[HdrEquipmentSerial], "kept too");
    EXPECT_TRUE(c.Results.ResultsValid);

    // A header read does not look at the runs at all.
    c = Case{};
    EXPECT_TRUE(readHeader(brvText({}, {})).ok());
    EXPECT_FALSE(readHeader("<TEST_DOCUMENT/>").ok());
}

TEST_F(BrvReaderTest, TheMachineIsAskedLastAndACancelReadsNothing)
{
    QStringList asked;
    files.files.insert("/m/test.brv", brvText({}, {runText("CCW", 8, ramp(8))}));
    ctx = MemoryContext(files);
    ctx.resolveMachine = [&](const QString& name) {
        asked << name;
        return QStringLiteral("Known Mill");
    };
    Case target;
    ASSERT_TRUE(files::ReadInto(target, "/m/test.brv", files::ReaderKind::Brv, ctx).ok());
    EXPECT_EQ(asked, QStringList{"Mill 1"});
    EXPECT_EQ(target.Header[HdrMachine], "Known Mill");
    EXPECT_EQ(target.Header[HdrFilename], "/m/test.brv");
    ASSERT_TRUE(target.Data.ReadingsAsRead);
    EXPECT_EQ((*target.Data.ReadingsAsRead)(1, 7), 0.008);

    ctx.resolveMachine = [](const QString&) { return QString(); };
    Case before = target;
    const ReadResult none = files::ReadInto(target, "/m/test.brv", files::ReaderKind::Brv, ctx);
    EXPECT_EQ(none.kind, ReadResult::Kind::Message);
    EXPECT_TRUE(none.message.startsWith("/m/test.brv\r\n")) << none.message.toStdString();
    EXPECT_EQ(target.Header, before.Header);

    // A broken file asks nothing.
    asked.clear();
    ctx.resolveMachine = [&](const QString& name) {
        asked << name;
        return name;
    };
    files.files.insert("/m/test.brv", brvText({}, {runText("CCW", 8, QString(), {{"READINGS", QString()}})}));
    EXPECT_FALSE(files::ReadInto(target, "/m/test.brv", files::ReaderKind::Brv, ctx).ok());
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(BrvReaderTest, DamagedFilesFailWithAMessageAndLeaveTheCase)
{
    const QByteArray good = brvText({}, {runText("CCW", 8, ramp(8))});
    const std::pair<const char*, QByteArray> bad[] = {
        {"malformed", QByteArray(good).replace("</TEST_SPEC>", "</TEST_SPEK>")},
        {"truncated", good.left(good.size() / 2)},
        {"not xml", "HEADER::\r\nFile type: RTB\r\n"},
        {"empty", ""},
        {"no TEST_SPEC", "<TEST_DOCUMENT><RUN_RESULT>" + runText("CCW", 8, ramp(8)).toUtf8() + "</RUN_RESULT></TEST_DOCUMENT>"},
        {"TEST_SPEC not below the root", "<A><B><TEST_SPEC/></B></A>"},
        {"no READINGS", brvText({}, {runText("CCW", 8, QString(), {{"READINGS", QString()}})})},
        {"dynamic without runs", brvText({}, {})},
        {"static without runs", brvText({{"DYNAMIC", "false"}}, {})},
        {"huge count", brvText({}, {runText("CCW", 40000, ramp(8))})},
        {"negative count", brvText({}, {runText("CCW", -5, ramp(8))})},
        {"count not a number", brvText({}, {runText("CCW", 8, ramp(8), {{"TARGETS", "eight"}})})},
        {"huge count elsewhere", brvText({}, {runText("CCW", 8, ramp(8))}, "<TARGETS>1e300</TARGETS>")},
        {"two points", brvText({}, {runText("CCW", 2, ramp(2))})},
        {"no radius", brvText({{"TEST_RADIUS", "0"}}, {runText("CCW", 8, ramp(8))})},
        {"radius not a number", brvText({{"TEST_RADIUS", "150 mm"}}, {runText("CCW", 8, ramp(8))})},
        {"temperature not a number", brvText({}, {runText("CCW", 8, ramp(8), {{"MACH_TEMPERATURE", "warm"}})})},
        {"negative length", brvText({{"NOMINAL_LENGTH", "-150"}}, {runText("CCW", 8, ramp(8))})},
        {"angle out of range", brvText({{"START_ANGLE", "99999"}}, {runText("CCW", 8, ramp(8))})},
        {"overshoot out of range", brvText({{"OVERSHOOT_ANGLE", "1E300"}}, {runText("CCW", 8, ramp(8))})},
        // Thinned by three: the first point is the mean of two huge readings and a small one.
        {"reading sum overflows", brvText({}, {runText("CCW", 24, "1E308 1E308 " + ramp(22))}, "<TARGETS>5000</TARGETS>")},
    };
    for (const auto& [what, bytes] : bad) {
        files.files.insert("/m/test.brv", bytes);
        ctx = MemoryContext(files);
        Case target;
        target.Header[HdrMachine] = "Before";
        target.Data.Readings(3, 3) = 1.5;
        target.Data.RunCount = 2;
        const Case before = target;
        const ReadResult r = files::ReadInto(target, "/m/test.brv", files::ReaderKind::Brv, ctx);
        EXPECT_EQ(r.kind, ReadResult::Kind::Error) << what;
        EXPECT_EQ(r.location, files::kBrvReadLocation) << what;
        EXPECT_FALSE(r.message.isEmpty()) << what;
        EXPECT_EQ(target.Header, before.Header) << what;
        EXPECT_EQ(target.Data.Readings, before.Data.Readings) << what;
        EXPECT_EQ(target.Data.RunCount, 2) << what;
    }

    // A missing file is told as such, and the header read says the same.
    c.Header[HdrFilename] = "/m/none.brv";
    ctx = MemoryContext(files);
    for (const ReadResult& r : {files::ReadBrvFile(c, ctx), files::ReadBrvHeader(c, ctx)}) {
        EXPECT_EQ(r.kind, ReadResult::Kind::Error);
        EXPECT_EQ(r.location, "File not found!");
        EXPECT_EQ(r.number, AppError::kFileNotFound);
        EXPECT_TRUE(r.message.contains("/m/none.brv"));
    }
}

// ---------------------------------------------------------------------------------------------
// The hand-written sample, read as sarvotex-dump prints it, against its golden file.

TEST(BrvSampleTest, TheSampleReadsAsItsGoldenFileSays)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("SARVOTEX_HOME"));
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(SARVOTEX_DUMP), {"--no-analysis", DataFile("brv_sample.brv")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString out =
        QString::fromUtf8(p.readAllStandardOutput()).replace(QStringLiteral(SARVOTEX_TEST_DATA "/"), "$DATA/");
    EXPECT_EQ(out, QString::fromUtf8(DataBytes("brv_sample.golden")));
}

// ---------------------------------------------------------------------------------------------
// The round trip over generated cases.

class CaseGenerator {
public:
    explicit CaseGenerator(uint64_t seed) : rng_(seed) {}

    int whole(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
    bool coin() { return whole(0, 1) == 1; }

    // Free text with markup characters, blanks, tabs, line feeds and letters beyond ASCII; now
    // and then a lone blank or nothing.
    QString text()
    {
        static const char* const kPieces[] = {"a", "Z", "9", " ", "<", "&", ">", "\"", "'", "ä", "ß", "€", "中",
                                              "😀", "\t", "\n", "]]>", "&amp;", "<!--", "Mill", "."};
        switch (whole(0, 9)) {
        case 0:
            return QString();
        case 1:
            return QStringLiteral(" ");
        default:
            break;
        }
        QString s;
        const int n = whole(1, 12);
        for (int i = 0; i < n; ++i)
            s += QString::fromUtf8(kPieces[whole(0, int(std::size(kPieces)) - 1)]);
        return s;
    }
    QString numberText() { return coin() ? ShortestDecimal(real(-50, 50)) : ShortestDecimal(whole(-3000, 3000) * 1e-8); }

    Case next()
    {
        Case c;
        CaseHeader& h = c.Header;
        CaseData& d = c.Data;
        d.Dynamic = coin();
        d.Calibrated = coin();
        d.StartAngle = static_cast<int16_t>(whole(-360, 359));
        const int staticSteps = whole(2, (720 - d.StartAngle) / 45);
        d.StopAngle = static_cast<int16_t>(d.Dynamic ? whole(d.StartAngle + 1, 720) : d.StartAngle + 45 * staticSteps);
        d.SweepAngle = static_cast<int16_t>(d.StopAngle - d.StartAngle);
        const int staticPoints = StaticRunPoints(d.SweepAngle);
        d.TestRadius = real(1, 3000);
        d.BallBarLength = static_cast<float>(whole(100000, 30000000) / 10000.0);
        d.OvershootAngle = static_cast<float>(real(-360, 360));
        d.ScaleFactor = real(0.5, 1.5);
        d.TestDate = QDateTime(QDate(1980, 1, 1), QTime(0, 0), Qt::UTC).addSecs(whole(0, 2000000000));
        if (whole(0, 9) == 0)
            d.TestDate = QDateTime(d.TestDate.date(), QTime(0, 0), Qt::UTC); // midnight: no time in HdrDate
        h[HdrDate] = GeneralDateText(d.TestDate);
        static const char* const kPlanes[] = {"xy", "xz", "yz"};
        h[HdrPlane] = QString::fromLatin1(kPlanes[whole(0, 2)]);
        h[HdrLength] = files::FixedText(d.BallBarLength, "###0.000#");
        h[HdrFeedrate] = QString::number(whole(1, 20000));
        h[HdrStatDyn] = d.Dynamic ? "D" : "S";
        h[HdrSampling] = d.Dynamic && whole(0, 9) != 0 ? ShortestDecimal(real(0.1, 2000)) : QString();
        h[HdrMachineExp] = numberText();
        h[HdrGaugeExp] = numberText();
        for (int slot : {HdrOrigX, HdrOrigY, HdrOrigZ}) {
            const int kind = whole(0, 3);
            h[slot] = kind == 0 ? QString() : kind == 1 ? QStringLiteral("   ") : numberText();
        }
        for (int slot : {HdrName, HdrCustomer, HdrComment, HdrBy, HdrMachine, HdrEquipmentManufacturer,
                         HdrEquipmentModel, HdrEquipmentSerial})
            h[slot] = text();
        if (h[HdrMachine].isEmpty()) // an empty name asks for a machine: the read is covered apart
            h[HdrMachine] = QStringLiteral(" ");

        d.RunCount = static_cast<int16_t>(whole(1, 7));
        for (int r = 1; r <= d.RunCount; ++r) {
            const auto i = static_cast<std::size_t>(r);
            d.RunDirection[i] = coin() ? 1 : -1;
            const int points = whole(0, 49) == 0 ? whole(3, 8000) : whole(3, 60);
            d.RunTargets[i] = static_cast<int16_t>(d.Dynamic ? points : staticPoints);
            d.MachineTemp[i] = real(-10, 50);
            d.GaugeTemp[i] = real(-10, 50);
            d.RunFeedrate[i] = static_cast<float>(real(0, 20000));
            for (int j = 0; j < d.RunTargets[i]; ++j)
                d.Readings(r, j) = real(-2, 2);
        }
        d.MaxTargets = *std::max_element(d.RunTargets.begin() + 1, d.RunTargets.begin() + 1 + d.RunCount);
        d.MeasuredFeedrateAverage = static_cast<float>(real(0, 20000));
        c.Results.LscResult.Circularity = real(0, 50);
        c.Results.ErrorValues.Squareness = real(-100, 100);
        return c;
    }

private:
    std::mt19937_64 rng_;
};

bool readBack(const QByteArray& bytes, Case& c, QString* message)
{
    files::MemoryFiles mem;
    mem.files.insert("/r/back.brv", bytes);
    const files::ReadContext ctx = MemoryContext(mem, 8000);
    c = Case{};
    c.Header[HdrFilename] = "/r/back.brv";
    const ReadResult r = files::ReadBrvFile(c, ctx);
    *message = r.message;
    return r.ok();
}

// The file before its ANALYSIS, which a read does not restore.
QByteArray specAndRuns(const QByteArray& bytes)
{
    return bytes.left(bytes.indexOf("<ANALYSIS>"));
}

TEST(BrvRoundTripTest, GeneratedCasesReadBackAndASecondWriteIsByteIdentical)
{
    CaseGenerator gen(20240601);
    for (int n = 0; n < 1000; ++n) {
        const Case a = gen.next();
        const QByteArray first = files::BrvFileBytes(a, "7.1.2");
        Case b;
        QString message;
        ASSERT_TRUE(readBack(first, b, &message)) << "case " << n << ": " << message.toStdString();
        const CaseHeader& ha = a.Header;
        const CaseHeader& hb = b.Header;
        const CaseData& da = a.Data;
        const CaseData& db = b.Data;
        const std::string where = "case " + std::to_string(n);

        // Exact.
        ASSERT_EQ(db.RunCount, da.RunCount) << where;
        EXPECT_EQ(db.MaxTargets, da.MaxTargets) << where;
        EXPECT_EQ(db.StartAngle, da.StartAngle) << where;
        EXPECT_EQ(db.StopAngle, da.StopAngle) << where;
        EXPECT_EQ(db.SweepAngle, da.SweepAngle) << where;
        EXPECT_EQ(db.Dynamic, da.Dynamic) << where;
        EXPECT_EQ(db.Calibrated, da.Calibrated) << where;
        EXPECT_EQ(db.OvershootAngle, da.OvershootAngle) << where;
        EXPECT_EQ(db.TestDate, da.TestDate) << where;
        for (int slot : {HdrPlane, HdrName, HdrCustomer, HdrComment, HdrBy, HdrMachine, HdrEquipmentManufacturer,
                         HdrEquipmentModel, HdrEquipmentSerial, HdrStatDyn, HdrDate, HdrLength, HdrFeedrate,
                         HdrSampling, HdrMachineExp, HdrGaugeExp})
            EXPECT_EQ(hb[slot], ha[slot]) << where << " slot " << slot;
        for (int slot : {HdrOrigX, HdrOrigY, HdrOrigZ})
            EXPECT_EQ(hb[slot], ha[slot].trimmed().isEmpty() ? QStringLiteral("0") : ha[slot]) << where;
        // Rounded as written.
        EXPECT_EQ(ShortestDecimal(db.TestRadius), ShortestDecimal(da.TestRadius)) << where;
        EXPECT_EQ(files::FixedText(db.BallBarLength, "###0.0000"), files::FixedText(da.BallBarLength, "###0.0000"));
        EXPECT_EQ(ShortestDecimal(db.ScaleFactor), ShortestDecimal(da.ScaleFactor)) << where;
        EXPECT_EQ(files::FixedText(db.MeasuredFeedrateAverage, "0.0"), files::FixedText(da.MeasuredFeedrateAverage, "0.0"));
        for (int r = 1; r <= da.RunCount; ++r) {
            const auto i = static_cast<std::size_t>(r);
            ASSERT_EQ(db.RunTargets[i], da.RunTargets[i]) << where << " run " << r;
            EXPECT_EQ(db.RunDirection[i], da.RunDirection[i]) << where << " run " << r;
            EXPECT_EQ(ShortestDecimal(db.MachineTemp[i]), ShortestDecimal(da.MachineTemp[i])) << where;
            EXPECT_EQ(ShortestDecimal(db.GaugeTemp[i]), ShortestDecimal(da.GaugeTemp[i])) << where;
            EXPECT_EQ(files::FixedText(db.RunFeedrate[i], "0.0"), files::FixedText(da.RunFeedrate[i], "0.0")) << where;
            for (int j = 0; j < da.RunTargets[i]; ++j) {
                if (files::FixedText(db.Readings(r, j), "0.00000") != files::FixedText(da.Readings(r, j), "0.00000")) {
                    ADD_FAILURE() << where << " run " << r << " point " << j;
                    break;
                }
            }
        }

        const QByteArray second = files::BrvFileBytes(b, "7.1.2");
        EXPECT_EQ(specAndRuns(second), specAndRuns(first)) << where;
        Case c;
        ASSERT_TRUE(readBack(second, c, &message)) << where << ": " << message.toStdString();
        EXPECT_EQ(files::BrvFileBytes(c, "7.1.2"), second) << where;
        if (::testing::Test::HasFailure())
            break;
    }
}

// Every sample of every format and the shipped examples: the file written from the read-back
// .brv is the one written before it, whatever form the first reader gave the header texts.
TEST(BrvRoundTripTest, ASecondWriteOfEveryReadBackSampleIsByteIdentical)
{
    QStringList paths;
    for (const char* folder : {SARVOTEX_TEST_DATA, SARVOTEX_TEST_DATA "/../../data/examples"}) {
        const QDir dir(QString::fromUtf8(folder));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            if (!name.endsWith(".golden"))
                paths << dir.absoluteFilePath(name);
        }
    }
    QStringList kinds;
    for (const QString& file : paths) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        files::MemoryFiles mem;
        mem.files.insert(file, f.readAll());
        const files::ReadContext ctx = MemoryContext(mem);
        Case c;
        const ReadResult read = files::ReadInto(c, file, files::ChooseReader(file, files::Caller::Program), ctx);
        ASSERT_TRUE(read.ok()) << file.toStdString() << ": " << read.message.toStdString();
        kinds << files::ExtensionOf(file);

        const QByteArray first = files::BrvFileBytes(c, "7.1.2");
        Case back;
        QString message;
        ASSERT_TRUE(readBack(first, back, &message)) << file.toStdString() << ": " << message.toStdString();
        EXPECT_EQ(files::BrvFileBytes(back, "7.1.2").toStdString(), first.toStdString()) << file.toStdString();
    }
    kinds.removeDuplicates();
    EXPECT_EQ(kinds.size(), 4) << kinds.join(u' ').toStdString(); // brv, rtb, b5r, dbb
}

TEST(BrvRoundTripTest, DirectionsOtherThanPlusOrMinusOneKeepTheirPointOrder)
{
    CaseGenerator gen(7);
    Case a = gen.next();
    a.Data.RunCount = 2;
    a.Data.RunDirection[1] = 0;
    a.Data.RunDirection[2] = -3;
    for (int r = 1; r <= 2; ++r)
        a.Data.RunTargets[r] = a.Data.Dynamic ? 5 : StaticRunPoints(a.Data.SweepAngle);
    a.Data.MaxTargets = a.Data.RunTargets[1];
    Case b;
    QString message;
    ASSERT_TRUE(readBack(files::BrvFileBytes(a, "1"), b, &message)) << message.toStdString();
    for (int r = 1; r <= 2; ++r) {
        EXPECT_EQ(b.Data.RunDirection[r], -1);
        for (int j = 0; j < a.Data.RunTargets[r]; ++j)
            EXPECT_EQ(files::FixedText(b.Data.Readings(r, j), "0.00000"), files::FixedText(a.Data.Readings(r, j), "0.00000"));
    }
}

} // namespace
} // namespace sarvo::test
