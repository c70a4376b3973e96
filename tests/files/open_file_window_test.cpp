// The open-file window driven offscreen over settings and a case of the test's own: the type
// preselected by the last extension, the file list, a read that succeeds and closes the window,
// and reads that fail and keep it open.
#include "files/ui/open_file_window.h"

#include "gui/program_services.h"
#include "tests/files/files_test_util.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace sarvo::test {
namespace {

class OpenFileWindowTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        services().afterFileRead = [this](bool ok, const QString& name) { afterLoads.append({ok, name}); };
        services().showResults = [this] { ++resultsShown; };
        settings.MaxPoints = 2500;
        folder = path("data/");
        QDir().mkpath(folder);
        QDir().mkpath(folder + "sub");
        writeFile("data/good.rtb", DataBytes("rtb_dynamic_both.rtb"));
        writeFile("data/broken.rtb", MakeRtb({}, {}));
        writeFile("data/ab.defgg.xy", "not a measurement");
        writeFile("data/abcdefgg.01", "contisure");
        writeFile("data/run.dbb", DataBytes("dbb_text_ccw.dbb"));
        settings.DataPath = folder;
        openCase.Header[HdrMachine] = "Previous";
    }
    void TearDown() override
    {
        services() = ProgramServices{};
        CoreTest::TearDown();
    }
    // The window over the test's settings and case, reading from the disk with every machine name
    // accepted, as the program's read does.
    std::unique_ptr<OpenFileWindow> makeWindow()
    {
        auto read = [this](const QString& text, files::FileType type) {
            files::ReadContext ctx = files::ReadContext::fromSettings(settings);
            ctx.files = &disk;
            ctx.resolveMachine = [](const QString& name) { return name; };
            return files::ReadChosenFile(text, type, openCase, settings, ctx);
        };
        return std::make_unique<OpenFileWindow>(settings, openCase, read);
    }
    QStringList entries(const OpenFileWindow& w) const
    {
        QStringList names;
        for (int i = 0; i < w.caseList()->count(); ++i)
            names << w.caseList()->item(i)->text().section(' ', 0, 0);
        return names;
    }
    void select(OpenFileWindow& w, const QString& name)
    {
        for (int i = 0; i < w.caseList()->count(); ++i) {
            if (w.caseList()->item(i)->text().startsWith(name + ' '))
                w.caseList()->item(i)->setSelected(true);
        }
    }

    Settings settings;
    Case openCase;
    files::DiskFiles disk;
    QString folder;
    QList<std::pair<bool, QString>> afterLoads;
    int resultsShown = 0;
};

TEST_F(OpenFileWindowTest, TheLastExtensionPreselectsTheType)
{
    const std::pair<const char*, files::FileType> cases[] = {
        {"dbb", files::FileType::Dbb}, {"RTB", files::FileType::Rtb}, {"2d2", files::FileType::TwoD},
        {"brv", files::FileType::Brv}, {".xy", files::FileType::B5r}};
    for (const auto& [ext, type] : cases) {
        settings.DefaultExtension = ext;
        const auto window = makeWindow();
        OpenFileWindow& w = *window;
        EXPECT_EQ(w.fileType(), type) << ext;
        EXPECT_EQ(w.typeList()->count(), files::kFileTypeCount);
    }
}

TEST_F(OpenFileWindowTest, ListsTheFilesOfTheTypeInTheFolder)
{
    settings.DefaultExtension = "rtb";
    const auto window = makeWindow();
    OpenFileWindow& w = *window;
    EXPECT_EQ(w.folder(), folder);
    EXPECT_EQ(entries(w), (QStringList{"broken.rtb", "good.rtb"}));
    EXPECT_FALSE(w.okButton()->isEnabled());
    select(w, "good.rtb");
    EXPECT_TRUE(w.okButton()->isEnabled());

    w.setFileType(files::FileType::ContiSure);
    EXPECT_EQ(entries(w), (QStringList{"ab.defgg.xy", "abcdefgg.01"}));
    w.setFileType(files::FileType::Dbb);
    EXPECT_EQ(entries(w), QStringList{"run.dbb"});

    // Subfolders are listed for moving about; a refresh in the visible window keeps the folder.
    EXPECT_TRUE(w.folderList()->findItems("sub", Qt::MatchExactly).size() == 1);
    settings.DataPath.clear();
    w.show();
    w.setFolder(folder + "sub");
    EXPECT_EQ(settings.DataPath, folder + "sub/");
    EXPECT_TRUE(entries(w).isEmpty());
}

TEST_F(OpenFileWindowTest, AtMost511FilesAreListed)
{
    QDir().mkpath(folder + "many");
    for (int i = 0; i < 520; ++i)
        writeFile(QString("data/many/f%1.dbb").arg(i, 3, 10, QChar('0')), "x");
    settings.DefaultExtension = "dbb";
    settings.DataPath = folder + "many";
    const auto window = makeWindow();
    OpenFileWindow& w = *window;
    EXPECT_EQ(w.caseList()->count(), 511);
}

TEST_F(OpenFileWindowTest, ASuccessfulReadClosesTheWindowAndShowsTheResults)
{
    settings.DefaultExtension = "rtb";
    const auto window = makeWindow();
    OpenFileWindow& w = *window;
    w.show();
    select(w, "good.rtb");
    w.okButton()->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(openCase.Header[HdrMachine], "Mill 1");
    EXPECT_EQ(afterLoads, (QList<std::pair<bool, QString>>{{true, folder + "good.rtb"}}));
    EXPECT_EQ(resultsShown, 1);
}

TEST_F(OpenFileWindowTest, TwoDFilesAreListedAsCasesAndOkImportsTheChosenOne)
{
    for (const char* name : {"opto_r1_d0.2d2", "opto_r1_d1.2d2", "opto_r2_d0.2d2", "opto_r2_d1.2d2"})
        writeFile(QStringLiteral("data/") + name, DataBytes(QStringLiteral("optodyne/") + name));
    writeFile("data/broken.2d2", "MeasurementDirection2=99999\n"); // does not hide the good case
    settings.DefaultExtension = "2d2";
    const auto window = makeWindow();
    OpenFileWindow& w = *window;
    w.show();
    ASSERT_EQ(w.caseList()->count(), 1);
    EXPECT_TRUE(w.caseList()->item(0)->text().startsWith("Lena "));
    w.caseList()->item(0)->setSelected(true);
    w.okButton()->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(openCase.Data.RunCount, 2);
    const QString form = folder + " opto_r1_d0.2d2 opto_r1_d1.2d2 opto_r2_d0.2d2 opto_r2_d1.2d2";
    EXPECT_EQ(afterLoads, (QList<std::pair<bool, QString>>{{true, form}}));
}

TEST_F(OpenFileWindowTest, AFailedReadKeepsTheWindowOpenAndTheCase)
{
    settings.DefaultExtension = "rtb";
    const auto window = makeWindow();
    OpenFileWindow& w = *window;
    w.show();
    select(w, "broken.rtb");
    w.okButton()->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(openCase.Header[HdrMachine], "Previous");
    EXPECT_EQ(afterLoads, (QList<std::pair<bool, QString>>{{false, folder + "broken.rtb"}}));
    EXPECT_EQ(resultsShown, 0);
    ASSERT_EQ(prompts.messages.size(), 1u);

    // Another choice in the same window then succeeds.
    w.caseList()->clearSelection();
    select(w, "good.rtb");
    w.okButton()->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(resultsShown, 1);
}

TEST_F(OpenFileWindowTest, AnUnknownTypeIsRefusedWithTheMessage)
{
    settings.DefaultExtension = "rtb";
    const auto window = makeWindow();
    OpenFileWindow& w = *window;
    w.show();
    w.setFileType(files::FileType::ContiSure);
    select(w, "ab.defgg.xy");
    w.okButton()->click();
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, folder + "ab.defgg.xy\r\nFile format not recognized!");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(afterLoads, (QList<std::pair<bool, QString>>{{false, folder + "ab.defgg.xy"}}));
    EXPECT_EQ(settings.DefaultExtension, ".xy");
    EXPECT_EQ(openCase.Header[HdrMachine], "Previous");
}

} // namespace
} // namespace sarvo::test
