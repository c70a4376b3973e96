// Choosing the reader by file name, the 2-D case form, and the program's read into the open case:
// adopted on success, untouched on failure, always followed by the after-load step.
#include "files/dispatch.h"

#include "app/app_context.h"
#include "app/program_services.h"
#include "casedb/case_db.h"
#include "casedb/machine_list.h"
#include "files/file_services.h"
#include "tests/files/files_test_util.h"

#include <QDir>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

using files::Caller;
using files::ReaderKind;

TEST(ChooseReaderTest, KnownExtensionsFirstThenContiSureThenTheCallersFallback)
{
    struct Row {
        const char* path;
        ReaderKind program;
        ReaderKind window;
    };
    const Row rows[] = {
        {"/data/run.dbb", ReaderKind::Dbb, ReaderKind::Dbb},
        {"/data/RUN.DBB", ReaderKind::Dbb, ReaderKind::Dbb},
        {"/data/run.brv", ReaderKind::Brv, ReaderKind::Brv},
        {"/data/run.b5r", ReaderKind::B5r, ReaderKind::B5r},
        {"/data/run.rtb", ReaderKind::Rtb, ReaderKind::Rtb},
        {"D:\\data\\RUN.TXT", ReaderKind::Rtb, ReaderKind::Unknown},
        {"D:\\data\\abcdefgg.xy", ReaderKind::ContiSure, ReaderKind::ContiSure},
        {"D:\\data.g\\run.rtb", ReaderKind::Rtb, ReaderKind::Rtb},
        {"D:\\data\\testg.rtb", ReaderKind::Rtb, ReaderKind::Rtb},
        // A 2-D file whose stem ends in g is still a 2-D file.
        {"D:\\data\\testg.2d2", ReaderKind::TwoD, ReaderKind::TwoD},
        {"/opto/ a.2d2 b.2d2", ReaderKind::TwoD, ReaderKind::TwoD},
        {"/data/noext", ReaderKind::Rtb, ReaderKind::Unknown},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(files::ChooseReader(row.path, Caller::Program), row.program) << row.path;
        EXPECT_EQ(files::ChooseReader(row.path, Caller::Window), row.window) << row.path;
    }
}

TEST(ChooseReaderTest, ContiSureRuleLooksAtTheFileNameOnly)
{
    EXPECT_TRUE(files::MeetsContiSureRule("/x/abcdefgG.01"));
    EXPECT_TRUE(files::MeetsContiSureRule("C:\\x\\shortg.z.txt"));
    EXPECT_FALSE(files::MeetsContiSureRule("/x.g/abc.01"));   // the folder's dot is not looked at
    EXPECT_FALSE(files::MeetsContiSureRule("/x/ab.defgg.xy")); // the first dot of the name counts
    EXPECT_FALSE(files::MeetsContiSureRule("/x/nodotg"));
    EXPECT_FALSE(files::MeetsContiSureRule("/x/.g"));
    EXPECT_FALSE(files::MeetsContiSureRule("/x/testg.RTB"));
}

TEST(FileTypeTest, PreselectionFollowsTheDefaultExtension)
{
    EXPECT_EQ(files::PreselectedFileType("brv"), files::FileType::Brv);
    EXPECT_EQ(files::PreselectedFileType("RTB"), files::FileType::Rtb);
    EXPECT_EQ(files::PreselectedFileType("dbb"), files::FileType::Dbb);
    EXPECT_EQ(files::PreselectedFileType("2d2"), files::FileType::TwoD);
    EXPECT_EQ(files::PreselectedFileType(".xy"), files::FileType::B5r);
    EXPECT_EQ(files::PreselectedFileType(""), files::FileType::B5r);
    EXPECT_EQ(files::FileTypePattern(files::FileType::ContiSure), "???????g.??");
    EXPECT_EQ(files::FileTypeText(files::FileType::TwoD), "2-D measurement (*.2d2)");
}

TEST(TwoDFormTest, FolderToItsLastSeparatorThenOneToFourNames)
{
    auto form = files::Parse2dForm("D:\\opto\\ a.2d2 b.2d2");
    ASSERT_TRUE(form);
    EXPECT_EQ(form->folder, "D:\\opto\\");
    EXPECT_EQ(form->names[0], "a.2d2");
    EXPECT_EQ(form->names[1], "b.2d2");
    EXPECT_EQ(form->names[2], "");

    form = files::Parse2dForm("/home/me/my data/ a.2d2  c.2d2 d.2d2");
    ASSERT_TRUE(form);
    EXPECT_EQ(form->folder, "/home/me/my data/"); // a folder with blanks
    EXPECT_EQ(form->names[1], "");                 // slot 2 left empty
    EXPECT_EQ(form->names[3], "d.2d2");

    QString why;
    for (const char* bad : {"a.2d2 b.2d2", "/opto/a.2d2", "/opto/ ", "/opto/  b.2d2", "/o/ a b c d e"}) {
        why.clear();
        EXPECT_FALSE(files::Parse2dForm(bad, &why)) << bad;
        EXPECT_FALSE(why.isEmpty()) << bad;
    }
}

class OpenFileTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        services().afterFileRead = [this](bool ok, const QString& name) { afterLoads.append({ok, name}); };
        ctx = MemoryContext(disk_);
        ctx.files = &disk;
        app().Settings.DefaultExtension = "b5r";
        // A previous case that a failed read must leave exactly as it was.
        Case& c = app().OpenCase;
        c.Header[HdrMachine] = "Previous";
        c.Header[HdrFilename] = "/old.rtb";
        c.Data.RunCount = 1;
        c.Data.RunTargets[1] = 4;
        c.Data.Readings(1, 2) = 0.25;
        c.Results.LscResult.Circularity = 12.5;
        before = c;
    }
    void TearDown() override
    {
        services() = ProgramServices{};
        SetMachineChooser({});
        closeDB();
        AppTest::TearDown();
    }
    void expectUnchanged()
    {
        const Case& c = app().OpenCase;
        EXPECT_EQ(c.Header, before.Header);
        EXPECT_EQ(c.Data.Readings, before.Data.Readings);
        EXPECT_EQ(c.Data.RunCount, before.Data.RunCount);
        EXPECT_EQ(c.Data.RunTargets, before.Data.RunTargets);
        EXPECT_EQ(c.Results.LscResult.Circularity, before.Results.LscResult.Circularity);
    }

    files::MemoryFiles disk_;
    files::DiskFiles disk;
    files::ReadContext ctx;
    Case before;
    QList<std::pair<bool, QString>> afterLoads;
};

TEST_F(OpenFileTest, ASuccessfulReadIsAdoptedAndHandedToTheAfterLoadStep)
{
    // Results of the previous case that no step of a file read recomputes.
    app().OpenCase.Results.ErrorReliability.PitchH = 3;
    app().OpenCase.Results.ProfileH[2] = 100;
    app().OpenCase.Results.Spectrum[5] = 1;
    const QString file = writeFile("good.rtb", DataBytes("rtb_dynamic_both.rtb"));
    EXPECT_TRUE(files::OpenMeasurementFile(file, ctx));
    const double leftPitch = app().OpenCase.Results.ErrorReliability.PitchH;
    EXPECT_EQ(leftPitch, 0.0);
    EXPECT_EQ(app().OpenCase.Results.ProfileH[2], 0.0f);
    EXPECT_EQ(app().OpenCase.Results.Spectrum[5], 0.0f);
    EXPECT_EQ(app().OpenCase.Header[HdrMachine], "Mill 1");
    EXPECT_EQ(app().OpenCase.Header[HdrFilename], file);
    EXPECT_EQ(app().OpenCase.Data.RunCount, 2);
    EXPECT_EQ(app().Settings.DefaultExtension, "rtb");
    EXPECT_EQ(afterLoads, (QList<std::pair<bool, QString>>{{true, file}}));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(recordingShell.busyDepth(), 0);
}

TEST_F(OpenFileTest, AFailedReadLeavesTheOpenCaseExactlyAsItWas)
{
    const QString broken = writeFile("broken.rtb", MakeRtb({{"Radius", "0"}}, {{1, RampValues(8)}}));
    EXPECT_FALSE(files::OpenMeasurementFile(broken, ctx));
    expectUnchanged();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains("Reading header4"));
    EXPECT_EQ(afterLoads, (QList<std::pair<bool, QString>>{{false, broken}}));
    // The extension is remembered whatever the outcome.
    EXPECT_EQ(app().Settings.DefaultExtension, "rtb");

    // A file that is not there, a file that yields no run.
    prompts.messages.clear();
    EXPECT_FALSE(files::OpenMeasurementFile(path("missing.dbb"), ctx));
    expectUnchanged();
    EXPECT_EQ(prompts.messages.size(), 1u);
    const QString empty = writeFile("empty.rtb", MakeRtb({}, {}));
    EXPECT_FALSE(files::OpenMeasurementFile(empty, ctx));
    expectUnchanged();
}

TEST_F(OpenFileTest, AnEmptyNameDoesNothing)
{
    EXPECT_FALSE(files::OpenMeasurementFile(QString(), ctx));
    EXPECT_EQ(app().Settings.DefaultExtension, "b5r");
    EXPECT_TRUE(afterLoads.isEmpty());
    expectUnchanged();
}

TEST_F(OpenFileTest, TheProgramReadsOtherNamesAsRtbAndAcceptsAQuotedName)
{
    const QString text = writeFile("RUN.TXT", DataBytes("rtb_static.rtb"));
    EXPECT_TRUE(files::OpenMeasurementFile(text, ctx));
    EXPECT_EQ(app().OpenCase.Header[HdrMachine], "Mill 2");
    EXPECT_EQ(app().Settings.DefaultExtension, "TXT");

    const QString dbb = writeFile("quoted.dbb", DataBytes("dbb_text_ccw.dbb"));
    EXPECT_TRUE(files::OpenMeasurementFile('"' + dbb + '"', ctx));
    EXPECT_EQ(app().OpenCase.Header[HdrMachine], "Mill 3");
    EXPECT_EQ(app().OpenCase.Header[HdrFilename], dbb);
}

TEST_F(OpenFileTest, FormatsWithoutAReaderAndBadTwoDFormsAreRefusedWithAMessage)
{
    EXPECT_FALSE(files::OpenMeasurementFile(path("case.brv"), ctx));
    expectUnchanged();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Critical);

    prompts.messages.clear();
    EXPECT_FALSE(files::OpenMeasurementFile("nofolder.2d2", ctx));
    ASSERT_EQ(prompts.messages.size(), 1u);
    expectUnchanged();

    // A reader registered later is found by the same dispatch.
    files::RegisterMeasurementReader(ReaderKind::TwoD, [](Case& c, const QString& form, const files::ReadContext&) {
        c.Header[HdrComment] = form;
        return files::ReadResult::success();
    });
    EXPECT_TRUE(files::OpenMeasurementFile("/opto/ a.2d2 b.2d2", ctx));
    EXPECT_EQ(app().OpenCase.Header[HdrComment], "/opto/ a.2d2 b.2d2");
    files::RegisterMeasurementReader(ReaderKind::TwoD, {});
}

TEST_F(OpenFileTest, TheWindowRefusesAnUnknownTypeAndRemembersTheExtension)
{
    const files::ReadResult r = files::ReadChosenFile("/x/ab.defgg.xy", files::FileType::ContiSure, ctx);
    EXPECT_EQ(r.kind, files::ReadResult::Kind::Message);
    EXPECT_EQ(r.icon, MessageIcon::Critical);
    EXPECT_EQ(r.message, "/x/ab.defgg.xy\r\nFile format not recognized!");
    EXPECT_EQ(app().Settings.DefaultExtension, ".xy");
    expectUnchanged();
}

TEST_F(OpenFileTest, InstalledServicesReadThroughTheMachineCheckAndSave)
{
    openDB();
    ASSERT_NE(mainCaseStore(), nullptr);
    QStringList asked;
    SetMachineChooser([&](const QString& name) {
        asked << name;
        return QStringLiteral("Mill A");
    });
    InstallFileServices();
    app().Settings.MaxPoints = 2500;
    const QString file = writeFile("good.rtb", DataBytes("rtb_dynamic_both.rtb"));
    EXPECT_TRUE(OpenMeasurementFile(file));
    EXPECT_EQ(asked, QStringList{"Mill 1"});
    EXPECT_EQ(app().OpenCase.Header[HdrMachine], "Mill A");
    EXPECT_EQ(app().State.InputAnswer, "Mill A");

    ASSERT_TRUE(SaveRtb(path("saved.rtb")));
    EXPECT_TRUE(readFile("saved.rtb").contains("Machine: Mill A\r\n"));

    // No machine chosen: nothing is read and nothing more is said.
    SetMachineChooser([](const QString&) { return QString(); });
    const Case kept = app().OpenCase;
    EXPECT_FALSE(OpenMeasurementFile(writeFile("other.rtb", DataBytes("rtb_static.rtb"))));
    EXPECT_EQ(app().OpenCase.Header, kept.Header);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(OpenFileTest, TheProgramsDbbReadAsksForMoreFilesThroughThePrompts)
{
    openDB();
    SetMachineChooser([](const QString& name) { return name; });
    const QString first = writeFile("1.dbb", DataBytes("dbb_text_ccw.dbb"));
    const QString second = writeFile("2.dbb", DataBytes("dbb_text_ccw.dbb"));
    prompts.yesNoAnswers = {true, false};
    prompts.fileAnswers = {second};
    const files::ReadContext programCtx = files::ProgramReadContext();
    EXPECT_TRUE(files::OpenMeasurementFile(first, programCtx));
    EXPECT_EQ(app().OpenCase.Data.RunCount, 2);
    EXPECT_EQ(prompts.questions,
              (QStringList{"Do you want to read more files to this measurement?",
                           "Do you want to read more files to this measurement?"}));
}

} // namespace
} // namespace sarvo::test
