// The settings file format: names without regard to case, quotes, unknown lines kept, atomic
// rewrites that keep what others wrote in between.
#include "core/ini_file.h"
#include "tests/support/core_test.h"

#include <QDir>
#include <QFile>

using namespace sarvo;
using sarvo::test::CoreTest;

using IniFileTest = CoreTest;

TEST_F(IniFileTest, ReadsValuesWithoutRegardToCaseTrimmedAndUnquoted)
{
    const QString file = writeFile("a.ini",
                                   "; written by hand\n"
                                   "[Universal]\n"
                                   "  Language = German  \n"
                                   "Fault tree=\"/opt/tree/trezel.exe\"\n"
                                   "Empty=\n"
                                   "Quoted=\"\"\n"
                                   "[graph]\n"
                                   "GRID=12,5\n");
    IniFile ini(file);
    EXPECT_EQ(ini.get("UNIVERSAL", "language", "English"), "German");
    EXPECT_EQ(ini.get("Universal", "Fault tree", ""), "/opt/tree/trezel.exe");
    EXPECT_EQ(ini.get("Universal", "Empty", "default"), "");   // present but empty: not the default
    EXPECT_EQ(ini.get("Universal", "Quoted", "default"), "");
    EXPECT_EQ(ini.get("Graph", "Grid", "10"), "12,5");
    EXPECT_EQ(ini.get("Graph", "Missing", "10"), "10");
    EXPECT_EQ(ini.get("Nowhere", "Grid", "10"), "10");
    EXPECT_EQ(IniFile(path("none.ini")).get("Graph", "Grid", "10"), "10");
    EXPECT_EQ(getIni("Graph", "grid", "x", file), "12,5");
}

TEST_F(IniFileTest, WritingKeepsUnknownLinesOrderAndPlacesNewKeysInTheirSection)
{
    const QString file = writeFile("b.ini",
                                   "; comment kept\n"
                                   "[One]\n"
                                   "a=1\n"
                                   "junk line without equals\n"
                                   "\n"
                                   "[Two]\n"
                                   "b=2\n");
    IniFile ini(file);
    ASSERT_TRUE(ini.set("one", "A", "10"));
    ASSERT_TRUE(ini.set("One", "c", "3"));
    ASSERT_TRUE(ini.set("Three", "d", "4"));
    EXPECT_EQ(QString::fromUtf8(readFile("b.ini")),
              "; comment kept\n"
              "[One]\n"
              "a=10\n"
              "junk line without equals\n"
              "c=3\n"
              "\n"
              "[Two]\n"
              "b=2\n"
              "\n"
              "[Three]\n"
              "d=4\n");
}

TEST_F(IniFileTest, LineBreaksInValuesCannotCreateKeys)
{
    IniFile ini(path("c.ini"));
    ASSERT_TRUE(ini.set("S", "k", "first\r\nInjected=1\nx"));
    EXPECT_EQ(ini.get("S", "Injected", "none"), "none");
    EXPECT_EQ(ini.get("S", "k", ""), "first Injected=1 x");
}

TEST_F(IniFileTest, EveryWriteRereadsSoOtherWritersSurvive)
{
    IniFile ini(path("d.ini"));
    ASSERT_TRUE(ini.setMany({{{"Universal", "Language"}, "English"}, {{"Graph", "Grid"}, "10"}}));
    // Another part of the program writes its own section while the program runs.
    ASSERT_TRUE(IniFile(path("d.ini")).set("BasicInput", "Customer", "ACME"));
    ASSERT_TRUE(ini.setMany({{{"Universal", "Language"}, "German"}}));
    EXPECT_EQ(ini.get("BasicInput", "Customer", ""), "ACME");
    EXPECT_EQ(ini.get("Universal", "Language", ""), "German");
}

TEST_F(IniFileTest, OldWindowsFilesAndLineEndsSurviveARewrite)
{
    // Windows-1252 bytes (not UTF-8): "Müller" and a euro sign; CRLF line ends.
    const QString file = writeFile("e.ini", "[Default]\r\nMeasured By=M\xFCller \x80\r\n");
    IniFile ini(file);
    EXPECT_EQ(ini.get("Default", "Measured By", ""), QString::fromUtf8("Müller €"));
    ASSERT_TRUE(ini.set("Default", "Data path", "/data"));
    EXPECT_EQ(readFile("e.ini"), QByteArray("[Default]\r\nMeasured By=M\xC3\xBCller \xE2\x82\xAC\r\nData path=/data\r\n"));
}

TEST_F(IniFileTest, AnUnreadablePathIsReportedAsSuch)
{
    // A folder where the file should be: it exists but cannot be read as a file.
    ASSERT_TRUE(QDir(dir.path()).mkdir("g.ini"));
    IniDocument doc;
    EXPECT_EQ(doc.load(path("g.ini")), IniDocument::LoadStatus::Unreadable);
    EXPECT_EQ(doc.load(path("missing.ini")), IniDocument::LoadStatus::Missing);
    EXPECT_FALSE(IniFile(path("g.ini")).set("A", "k", "2"));
    EXPECT_EQ(IniFile(path("g.ini")).get("A", "k", "default"), "default");
}

// A write that changes nothing leaves the file as it was, down to its byte order mark, its old
// code page and a read-only mark; removed keys go, and a file without them is not touched.
TEST_F(IniFileTest, AWriteThatChangesNothingOrRemovesNothingLeavesTheFileAlone)
{
    const QByteArray bytes = "\xEF\xBB\xBF[Others]\r\nExtension = brv\r\n[Default]\r\nMeasured By=M\xFC\x6Cler";
    const QString file = writeFile("f.ini", bytes);
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner));
    const IniFile ini(file);
    EXPECT_TRUE(ini.setMany({{{"others", "EXTENSION"}, "brv"}, {{"Default", "Measured By"}, QString::fromUtf8("Müller")}}));
    EXPECT_TRUE(ini.remove({{"Others", "Unsaved Measurement"}, {"Nowhere", "Extension"}}));
    EXPECT_EQ(readFile("f.ini"), bytes);
    // A change still needs the file to be writable.
    EXPECT_FALSE(ini.set("Others", "Extension", "rtb"));
    EXPECT_FALSE(ini.remove({{"Others", "Extension"}}));
    EXPECT_EQ(readFile("f.ini"), bytes);

    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_TRUE(ini.remove({{"OTHERS", "extension"}, {"Others", "Unsaved Measurement"}}));
    EXPECT_EQ(ini.get("Others", "Extension", "<missing>"), "<missing>");
    EXPECT_EQ(ini.get("Default", "Measured By", ""), QString::fromUtf8("Müller"));
    EXPECT_TRUE(IniFile(path("missing.ini")).remove({{"Others", "Extension"}}));
    EXPECT_FALSE(QFile::exists(path("missing.ini")));
}
