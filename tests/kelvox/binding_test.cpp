// The program's binding of libkelvox.so: lazy binding by name, the run-time errors of a missing
// library or export as the calling procedure reports them, and a later call binding again.
#include "core/app_error.h"
#include "analysis/kelvox_binding.h"
#include "analysis/trig_tables.h"
#include "kelvox/kelvox.h"
#include "tests/kelvox/kelvox_test_util.h"
#include "tests/support/core_test.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <functional>

using namespace sarvo;
using kelvox::test::RandomValues;

namespace {

const QString kLibraryDir = QStringLiteral(KELVOX_TEST_LIBRARY_DIR);
const QString kForeignDir = QStringLiteral(KELVOX_TEST_FOREIGN_LIBRARY_DIR);

class KelvoxBinding : public sarvo::test::CoreTest {
protected:
    void TearDown() override
    {
        SetKelvoxLibraryPath(QString());
        CoreTest::TearDown();
    }

    // The error number a call raises, 0 if none.
    template <class Fn>
    static int errorOf(Fn&& call, QString* description = nullptr)
    {
        try {
            call();
        } catch (const AppError& e) {
            if (description)
                *description = e.description();
            return e.number();
        }
        return 0;
    }
};

// A 2 x 2 inverse through the binding; true when it gave the right answer.
bool InvertsThroughTheBinding()
{
    float A[4] = {4, 2, 2, 3}; // inverse: [3 -2; -2 4] / 8
    KelvoxCalcInv(A, 2);
    return std::fabs(A[0] - 0.375f) < 1e-6f && std::fabs(A[1] + 0.25f) < 1e-6f && std::fabs(A[2] + 0.25f) < 1e-6f
        && std::fabs(A[3] - 0.5f) < 1e-6f;
}

} // namespace

TEST_F(KelvoxBinding, LoadsFromTheProgramFolderByDefault)
{
    EXPECT_EQ(KelvoxLibraryFile(), QCoreApplication::applicationDirPath() + "/libkelvox.so");
    SetKelvoxLibraryPath(kLibraryDir);
    EXPECT_EQ(KelvoxLibraryFile(), QDir(kLibraryDir).absolutePath() + "/libkelvox.so");
    SetKelvoxLibraryPath(kLibraryDir + "/libkelvox.so");
    EXPECT_EQ(KelvoxLibraryFile(), QDir(kLibraryDir).absolutePath() + "/libkelvox.so");

    // The tests run from the program's folder, where the build places the library.
    SetKelvoxLibraryPath(QString());
    if (QFileInfo(QCoreApplication::applicationDirPath()) != QFileInfo(kLibraryDir))
        GTEST_SKIP() << "test program not in the library's folder";
    EXPECT_TRUE(InvertsThroughTheBinding());
}

TEST_F(KelvoxBinding, MissingLibraryIsReportedByTheCallingProcedureAndBindsOnceItAppears)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    SetKelvoxLibraryPath(folder.path());

    float A[4] = {4, 2, 2, 3};
    EXPECT_FALSE(RunTrapped("Formulae(CalcLSC)", [&] { KelvoxCalcInv(A, 2); }));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.startsWith("48:Error in loading DLL")) << prompts.messages[0].text.toStdString();
    EXPECT_TRUE(prompts.messages[0].text.contains(folder.path() + "/libkelvox.so"));
    EXPECT_TRUE(prompts.messages[0].text.endsWith(" \r\nFormulae(CalcLSC)."));
    EXPECT_EQ(A[0], 4.0f); // nothing ran

    // Every export fails alike while the library is missing, and the failure is not remembered.
    EXPECT_EQ(errorOf([] { KelvoxDft(nullptr, nullptr, 2, nullptr, nullptr); }), 48);
    EXPECT_EQ(errorOf([] { KelvoxCalcInv(nullptr, 2); }), 48);

    ASSERT_TRUE(QFile::copy(kLibraryDir + "/libkelvox.so", folder.filePath("libkelvox.so")));
    EXPECT_TRUE(InvertsThroughTheBinding());
}

TEST_F(KelvoxBinding, MissingExportRaises453NamingTheFunction)
{
    SetKelvoxLibraryPath(kForeignDir);
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"CalcInv", [] { KelvoxCalcInv(nullptr, 0); }},
        {"CalcPinv", [] { KelvoxCalcPinv(nullptr, nullptr, 0, 0); }},
        {"CalcInnerPly", [] { KelvoxCalcInnerPly(nullptr, nullptr, 0, 0); }},
        {"Dft", [] { KelvoxDft(nullptr, nullptr, 0, nullptr, nullptr); }},
        {"CalcDBB", [] { KelvoxCalcDBB(nullptr, 0, 0, 0, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, nullptr); }},
    };
    for (const auto& [name, call] : calls) {
        QString description;
        EXPECT_EQ(errorOf(call, &description), 453) << name;
        EXPECT_EQ(description, QString("Specified DLL function not found: ") + name);
        // Reported the same way the analysis procedures report it.
        EXPECT_FALSE(RunTrapped("Formulae(CalcErrors)", call));
        EXPECT_TRUE(prompts.messages.back().text.startsWith(QString("453:Specified DLL function not found: ") + name));
    }

    // Pointed at the real library, the next call binds.
    SetKelvoxLibraryPath(kLibraryDir);
    EXPECT_TRUE(InvertsThroughTheBinding());
}

TEST_F(KelvoxBinding, EachFunctionReachesItsOwnExport)
{
    SetKelvoxLibraryPath(kLibraryDir);
    const int M = 4, N = 64;
    const std::vector<float> X = RandomValues(static_cast<std::size_t>(M) * N, 31);

    std::vector<float> viaBinding(M * N), direct(M * N);
    KelvoxCalcPinv(viaBinding.data(), X.data(), M, N);
    CalcPinv(direct.data(), X.data(), M, N);
    EXPECT_EQ(viaBinding, direct);

    std::vector<float> gBinding(M * M), gDirect(M * M);
    KelvoxCalcInnerPly(gBinding.data(), X.data(), M, N);
    CalcInnerPly(gDirect.data(), X.data(), M, N);
    EXPECT_EQ(gBinding, gDirect);

    KelvoxCalcInv(gBinding.data(), M);
    CalcInv(gDirect.data(), M);
    EXPECT_EQ(gBinding, gDirect);

    std::vector<float> spectrumBinding(2 * N), spectrumDirect(2 * N);
    KelvoxDft(X.data(), spectrumBinding.data(), N, CosTabZero(), SinTabZero());
    Dft(X.data(), spectrumDirect.data(), N, CosTabZero(), SinTabZero());
    EXPECT_EQ(spectrumBinding, spectrumDirect);
}

TEST_F(KelvoxBinding, CalcDBBReceivesTheProgramsRecordFieldByField)
{
    SetKelvoxLibraryPath(kLibraryDir);
    // Distinct values in every deterministic field; the library's record is filled by name from
    // the field table, so a record passed other than byte for byte changes the traces.
    ErrorParams values;
    values.Back0 = 3;
    values.Back90 = -4;
    values.Back180 = 5;
    values.Back270 = 6;
    values.BacklashBaseA = 0.5;
    values.BacklashBaseB = -0.25;
    values.PlayH = 1.5;
    values.PlayV = 2.5;
    values.ScaleH = 12;
    values.ScaleV = -7;
    values.CyclicH = 0.8;
    values.CyclicV = 0.6;
    values.PitchH = 5;
    values.PitchV = 10;
    values.PhaseH = 30;
    values.PhaseV = -45;
    values.ServoH = 98;
    values.ServoV = 103;
    values.SlipH = 0;
    values.SpikeH = 2;
    values.SpikeV = 1;
    values.Squareness = 8;
    values.StraightH = 4;
    values.StraightV = -3;
    values.VibrationAngle = -5;
    values.CentreH = 1.25;
    values.CentreV = -0.75;

    KelvoxErrorParams byName;
    std::memset(&byName, 0, sizeof byName);
#define SARVOTEX_COPY_BY_NAME(member, ...) byName.member = values.member;
    SARVOTEX_ERROR_PARAMS(SARVOTEX_COPY_BY_NAME, SARVOTEX_COPY_BY_NAME)
#undef SARVOTEX_COPY_BY_NAME

    const float profH[5] = {0, 0, 100, 0, 0}, profV[5] = {0, 0, 100, 0, 0};
    AnalysisCurveTable viaBinding, direct;
    KelvoxCalcDBB(viaBinding.degreeZero(), 1, 150, 2000, &values, CosTabZero(), SinTabZero(), 0, 360, 1, profH, profV);
    CalcDBB(direct.degreeZero(), 1, 150, 2000, &byName, CosTabZero(), SinTabZero(), 0, 360, 1, profH, profV);
    bool anyNonZero = false;
    for (int d = AnalysisCurveTable::kFirstDegree; d <= AnalysisCurveTable::kLastDegree; ++d)
        for (int trace = 0; trace < 2; ++trace) {
            ASSERT_EQ(viaBinding(trace, d), direct(trace, d)) << "trace " << trace << ", degree " << d;
            anyNonZero = anyNonZero || viaBinding(trace, d) != 0.0f;
        }
    EXPECT_TRUE(anyNonZero);

    // The centre offsets sit at unaligned offsets at the record's end: alone, they give the
    // trace of an offset circle.
    ErrorParams centre;
    centre.CentreH = 3;
    centre.CentreV = -2;
    AnalysisCurveTable offset;
    KelvoxCalcDBB(offset.degreeZero(), 1, 150, 2000, &centre, CosTabZero(), SinTabZero(), 0, 360, 1, profH, profV);
    for (int d = 0; d < 360; d += 15)
        for (int trace = 0; trace < 2; ++trace)
            EXPECT_NEAR(offset(trace, d), 0.003 * CosTab(d) - 0.002 * SinTab(d), 1e-8) << d;
}
