// Choosing the reader by file name, the 2-D case form, and the reads of the command line and the
// open-file window into the open case: adopted on success, untouched on failure.
#include "files/contisure_reader.h"
#include "files/dispatch.h"
#include "files/optodyne.h"

#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "casedb/machine_list.h"
#include "files/rtb_writer.h"
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

TEST(FileTypeTest, ASaveWritesTheTypedTypeElseTheChosenOneWithItsExtension)
{
    using files::FileType;
    const QList<files::SaveType> offered = {files::SaveTypeOf(FileType::Brv), files::SaveTypeOf(FileType::Rtb),
                                            {"Text (*.txt)", "txt", FileType::Rtb}};
    EXPECT_EQ(files::SaveFilters(offered), QStringList({"Brintovale (*.brv)", "Renishaw (*.rtb)", "Text (*.txt)"}));
    const std::tuple<const char*, int, const char*, FileType> saves[] = {
        {"/d/a", 0, "/d/a.brv", FileType::Brv},       {"/d/a", 2, "/d/a.txt", FileType::Rtb},
        {"/d/a.RTB", 0, "/d/a.RTB", FileType::Rtb},   {"/d/a.brv", 1, "/d/a.brv", FileType::Brv},
        {"/d/a.dat", 0, "/d/a.dat", FileType::Brv},   {"/d/a.dat", 1, "/d/a.dat", FileType::Rtb},
    };
    for (const auto& [typed, chosen, name, contents] : saves) {
        const files::SaveTarget target = files::ChosenSaveTarget(typed, offered, offered[chosen].filter);
        EXPECT_EQ(target.fileName, name) << typed << " " << chosen;
        EXPECT_EQ(target.contents, contents) << typed << " " << chosen;
    }
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
    form = files::Parse2dForm("/o/   c.2d2 d.2d2"); // rotation 2 alone
    ASSERT_TRUE(form);
    EXPECT_EQ(form->names[0], "");
    EXPECT_EQ(form->names[2], "c.2d2");

    QString why;
    for (const char* bad : {"a.2d2 b.2d2", "/opto/a.2d2", "/opto/ ", "/opto/  b.2d2", "/o/ a b c d e"}) {
        why.clear();
        EXPECT_FALSE(files::Parse2dForm(bad, &why)) << bad;
        EXPECT_FALSE(why.isEmpty()) << bad;
    }
}

class OpenFileTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        ctx = MemoryContext(memory);
        ctx.files = &disk;
        settings.DefaultExtension = "b5r";
        // A previous case that a failed read must leave exactly as it was.
        Case& c = openCase;
        c.Header[HdrMachine] = "Previous";
        c.Header[HdrFilename] = "/old.rtb";
        c.Data.RunCount = 1;
        c.Data.RunTargets[1] = 4;
        c.Data.Readings(1, 2) = 0.25;
        c.Results.LscResult.Circularity = 12.5;
        before = c;
    }
    void expectUnchanged()
    {
        const Case& c = openCase;
        EXPECT_EQ(c.Header, before.Header);
        EXPECT_EQ(c.Data.Readings, before.Data.Readings);
        EXPECT_EQ(c.Data.RunCount, before.Data.RunCount);
        EXPECT_EQ(c.Data.RunTargets, before.Data.RunTargets);
        EXPECT_EQ(c.Results.LscResult.Circularity, before.Results.LscResult.Circularity);
    }
    // The read of a command-line text, as the program makes it.
    files::ReadResult readCommandLine(const QString& commandText)
    {
        return files::ReadCommandLineFile(files::CommandLineFileName(commandText), openCase, settings, ctx);
    }

    files::MemoryFiles memory;
    files::DiskFiles disk;
    files::ReadContext ctx;
    Settings settings;
    Case openCase;
    Case before;
};

TEST_F(OpenFileTest, ASuccessfulReadIsAdoptedWithNothingOfThePreviousResults)
{
    // Results of the previous case that no step of a file read recomputes.
    openCase.Results.ErrorReliability.PitchH = 3;
    openCase.Results.ProfileH[2] = 100;
    openCase.Results.Spectrum[5] = 1;
    int busyWhileReading = 0;
    ctx.resolveMachine = [&](const QString& name) {
        busyWhileReading = busyDepth();
        return name;
    };
    const QString file = writeFile("good.rtb", DataBytes("rtb_dynamic_both.rtb"));
    const files::ReadResult r = readCommandLine(file);
    EXPECT_TRUE(r.ok()) << r.message.toStdString();
    const double leftPitch = openCase.Results.ErrorReliability.PitchH;
    EXPECT_EQ(leftPitch, 0.0);
    EXPECT_EQ(openCase.Results.ProfileH[2], 0.0f);
    EXPECT_EQ(openCase.Results.Spectrum[5], 0.0f);
    EXPECT_EQ(openCase.Header[HdrMachine], "Mill 1");
    EXPECT_EQ(openCase.Header[HdrFilename], file);
    EXPECT_EQ(openCase.Data.RunCount, 2);
    EXPECT_EQ(settings.DefaultExtension, "rtb");
    // The read runs under the busy indicator, and takes it down again.
    EXPECT_EQ(busyWhileReading, 1);
    EXPECT_EQ(busyDepth(), 0);
}

TEST_F(OpenFileTest, AFailedReadLeavesTheOpenCaseExactlyAsItWas)
{
    const QString broken = writeFile("broken.rtb", MakeRtb({{"Radius", "0"}}, {{1, RampValues(8)}}));
    files::ReadResult r = readCommandLine(broken);
    EXPECT_FALSE(r.ok());
    expectUnchanged();
    EXPECT_EQ(r.kind, files::ReadResult::Kind::Error);
    EXPECT_EQ(r.location, "Reading header4");
    // The caller tells the user.
    // The extension is remembered whatever the outcome.
    EXPECT_EQ(settings.DefaultExtension, "rtb");

    // A file that is not there, a file that yields no run.
    r = readCommandLine(path("missing.dbb"));
    EXPECT_EQ(r.kind, files::ReadResult::Kind::Error);
    EXPECT_FALSE(r.message.isEmpty());
    expectUnchanged();
    const QString empty = writeFile("empty.rtb", MakeRtb({}, {}));
    r = readCommandLine(empty);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.message.isEmpty());
    expectUnchanged();
}

TEST_F(OpenFileTest, TheProgramReadsOtherNamesAsRtbAndAcceptsAQuotedName)
{
    const QString text = writeFile("RUN.TXT", DataBytes("rtb_static.rtb"));
    EXPECT_TRUE(readCommandLine(text).ok());
    EXPECT_EQ(openCase.Header[HdrMachine], "Mill 2");
    EXPECT_EQ(settings.DefaultExtension, "TXT");

    const QString dbb = writeFile("quoted.dbb", DataBytes("dbb_text_ccw.dbb"));
    EXPECT_EQ(files::CommandLineFileName('"' + dbb + '"'), dbb);
    EXPECT_EQ(files::CommandLineFileName(dbb), dbb);
    EXPECT_TRUE(readCommandLine('"' + dbb + '"').ok());
    EXPECT_EQ(openCase.Header[HdrMachine], "Mill 3");
    EXPECT_EQ(openCase.Header[HdrFilename], dbb);
}

TEST_F(OpenFileTest, FormatsWithoutAReaderAndBadTwoDFormsAreRefusedWithAMessage)
{
    files::RegisterMeasurementReader(ReaderKind::ContiSure, {});
    files::ReadResult r = readCommandLine(path("abcdefgg.01"));
    files::RegisterMeasurementReader(ReaderKind::ContiSure, [](Case& c, const QString&, const files::ReadContext& ctx) {
        return files::ReadContiSure(c, ctx);
    });
    EXPECT_FALSE(r.ok());
    expectUnchanged();
    EXPECT_EQ(r.kind, files::ReadResult::Kind::Message);
    EXPECT_EQ(r.icon, MessageIcon::Critical);
    EXPECT_FALSE(r.message.isEmpty());

    r = readCommandLine("nofolder.2d2");
    EXPECT_EQ(r.kind, files::ReadResult::Kind::Message);
    EXPECT_FALSE(r.message.isEmpty());
    expectUnchanged();

    // A reader registered later is found by the same dispatch.
    files::RegisterMeasurementReader(ReaderKind::TwoD, [](Case& c, const QString& form, const files::ReadContext&) {
        c.Header[HdrComment] = form;
        return files::ReadResult::success();
    });
    EXPECT_TRUE(readCommandLine("/opto/ a.2d2 b.2d2").ok());
    EXPECT_EQ(openCase.Header[HdrComment], "/opto/ a.2d2 b.2d2");
    files::RegisterMeasurementReader(ReaderKind::TwoD, files::ReadOptodyneForm);
}

TEST_F(OpenFileTest, TheWindowRefusesAnUnknownTypeAndRemembersTheExtension)
{
    const files::ReadResult r =
        files::ReadChosenFile("/x/ab.defgg.xy", files::FileType::ContiSure, openCase, settings, ctx);
    EXPECT_EQ(r.kind, files::ReadResult::Kind::Message);
    EXPECT_EQ(r.icon, MessageIcon::Critical);
    EXPECT_EQ(r.message, "/x/ab.defgg.xy\r\nFile format not recognized!");
    EXPECT_EQ(settings.DefaultExtension, ".xy");
    expectUnchanged();
}

TEST_F(OpenFileTest, TheMachineCheckAgainstTheCaseDatabaseNamesTheMachineTheWriterKeeps)
{
    casedb::CaseStore store("dispatch-test");
    store.open(path(casedb::kCaseDbFileName));
    ASSERT_TRUE(store.isOpen());
    QStringList asked;
    QString choice = "Mill A";
    ctx.resolveMachine = [&](const QString& name) {
        QString machine = name;
        CheckForMachine(&store, machine, [&](const QString& unknown) {
            asked << unknown;
            return choice;
        });
        return machine;
    };
    settings.MaxPoints = 2500;
    const QString file = writeFile("good.rtb", DataBytes("rtb_dynamic_both.rtb"));
    EXPECT_TRUE(readCommandLine(file).ok());
    EXPECT_EQ(asked, QStringList{"Mill 1"});
    EXPECT_EQ(openCase.Header[HdrMachine], "Mill A");

    ASSERT_TRUE(files::SaveRtb(openCase, settings, path("saved.rtb")));
    EXPECT_TRUE(readFile("saved.rtb").contains("Machine: Mill A\r\n"));

    // No machine chosen: nothing is read, and the one message says so and names the file.
    choice.clear();
    const Case kept = openCase;
    const QString other = writeFile("other.rtb", DataBytes("rtb_static.rtb"));
    const files::ReadResult r = readCommandLine(other);
    EXPECT_EQ(r.kind, files::ReadResult::Kind::Message);
    EXPECT_EQ(r.message, other + "\r\nThe file was not read because no machine was chosen for it.");
    EXPECT_EQ(openCase.Header, kept.Header);
}

// A UTF-8 byte-order mark before the first line is no part of it: each text reader reads marked
// copies of files of our own as the files. Each first line holds a radius, a machine or a date.
TEST(ByteOrderMarkTest, EveryTextReaderReadsAMarkedFileAsTheFileItself)
{
    const QByteArray rtb = "Radius: 100\r\n" + MakeRtb({{"Radius", QString()}, {"Length", QString()}}, {{1, RampValues(8)}});
    const QStringList opto = {"optodyne/opto_r1_d0.2d2", "optodyne/opto_r1_d1.2d2", "optodyne/opto_r2_d0.2d2",
                              "optodyne/opto_r2_d1.2d2"};
    const std::tuple<QString, ReaderKind, QStringList> sets[] = { // the name read, its reader, its marked files
        {"first.rtb", ReaderKind::Rtb, {"first.rtb"}},
        {"dbb_text_ccw.dbb", ReaderKind::Dbb, {"dbb_text_ccw.dbb"}},
        {"contisure/CSDEMO1g.xy", ReaderKind::ContiSure, {"contisure/CSDEMO1g.xy"}},
        {"optodyne/ opto_r1_d0.2d2 opto_r1_d1.2d2 opto_r2_d0.2d2 opto_r2_d1.2d2", ReaderKind::TwoD, opto}};
    for (const auto& [form, kind, names] : sets) {
        Case read[2];
        for (const bool marked : {false, true}) {
            files::MemoryFiles mem;
            for (const QString name : {"contisure/CSDEMO1a.xy1", "contisure/CSDEMO1c.xy2"}) // read along, unmarked
                mem.files["/s/" + name] = DataBytes(name);
            for (const QString& name : names)
                mem.files["/s/" + name] = (marked ? "\xEF\xBB\xBF" : "") + (name == "first.rtb" ? rtb : DataBytes(name));
            ASSERT_TRUE(files::ReadInto(read[marked], "/s/" + form, kind, MemoryContext(mem)).ok()) << form.toStdString();
        }
        EXPECT_EQ(read[1].Header, read[0].Header) << form.toStdString();
        EXPECT_EQ(read[1].Data.Readings, read[0].Data.Readings) << form.toStdString();
    }
}

} // namespace
} // namespace sarvo::test
