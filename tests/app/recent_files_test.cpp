// The recent list: move-to-top, push-off, and the menu items it drives.
#include "app/app_context.h"
#include "app/recent_files.h"
#include "core/language_db.h"
#include "tests/support/test_env.h"

using namespace sarvo;
using sarvo::test::AppTest;

class RecentFiles : public AppTest {
protected:
    QStringList list() const
    {
        QStringList l;
        for (int i = 0; i < 4; ++i)
            l << app().Settings.RecentFile[static_cast<std::size_t>(i)];
        return l;
    }
    void fill()
    {
        for (const char* f : {"/d/a.rtb", "/d/b.rtb", "/d/c.rtb", "/d/e.rtb"})
            AddRecentFile(app().Settings, f, 0);
        // e, c, b, a
    }
};

TEST_F(RecentFiles, OpeningEntryTwoMovesItToTheTop)
{
    fill();
    AddRecentFile(app().Settings, "/d/b.rtb", 0);
    EXPECT_EQ(list(), QStringList({"/d/b.rtb", "/d/e.rtb", "/d/c.rtb", "/d/a.rtb"}));
}

TEST_F(RecentFiles, AFifthFilePushesTheLastOffAndTheSameFileTwiceChangesNothing)
{
    fill();
    AddRecentFile(app().Settings, "/d/f.rtb", 0);
    EXPECT_EQ(list(), QStringList({"/d/f.rtb", "/d/e.rtb", "/d/c.rtb", "/d/b.rtb"}));
    EXPECT_EQ(app().Settings.RecentFile[4], "/d/a.rtb"); // the slot that takes the entry falling off
    AddRecentFile(app().Settings, "/d/f.rtb", 0);
    EXPECT_EQ(list(), QStringList({"/d/f.rtb", "/d/e.rtb", "/d/c.rtb", "/d/b.rtb"}));
}

TEST_F(RecentFiles, FileAndDatabaseCaseWithTheSameTextAreDifferentEntries)
{
    AddRecentFile(app().Settings, "Session 1 xy 1000 mm/min", 0);
    AddRecentFile(app().Settings, "Session 1 xy 1000 mm/min", 17);
    EXPECT_EQ(app().Settings.RecentID[0], 17);
    EXPECT_EQ(app().Settings.RecentID[1], 0);
    EXPECT_EQ(app().Settings.RecentFile[1], "Session 1 xy 1000 mm/min");
    AddRecentFile(app().Settings, "session 1 xy 1000 mm/min", 17); // exact comparison: another entry
    EXPECT_EQ(app().Settings.RecentFile[2], "Session 1 xy 1000 mm/min");
}

TEST_F(RecentFiles, MenuItemsShowAcceleratorsHideEmptyEntriesAndEscapeAmpersands)
{
    app().Settings.RecentFile[0] = "/data/R&D/run.rtb";
    app().Settings.RecentFile[2] = "/data/third.rtb";
    ShowRecentFiles(app().Settings);
    EXPECT_EQ(recordingShell.menuText(RecentCommand(0)), "&1 /data/R&&D/run.rtb");
    EXPECT_TRUE(recordingShell.menuVisible(RecentCommand(0)));
    EXPECT_FALSE(recordingShell.menuVisible(RecentCommand(1)));
    EXPECT_EQ(recordingShell.menuText(RecentCommand(2)), "&3 /data/third.rtb");
    EXPECT_FALSE(recordingShell.menuVisible(RecentCommand(3)));
}

TEST_F(RecentFiles, AStoredStaticCaseIsShownInTheLanguageOfTheSessionAFileNameNever)
{
    openFixtureLanguageDb({{"Message", "Static", "Statisch"}});
    for (const auto& [entry, id] : {std::pair{"Week 12 xy 400mm/min", 18}, {"/data/Static", 0}, {"Week 12 xy Static", 17}})
        AddRecentFile(app().Settings, entry, id);
    for (const auto& [language, shown] : {std::pair{"German", "Statisch"}, std::pair{"English", "Static"}}) {
        SetTextLanguage(QString::fromLatin1(language));
        ShowRecentFiles(app().Settings);
        EXPECT_EQ(QStringList({recordingShell.menuText(RecentCommand(0)), recordingShell.menuText(RecentCommand(1)),
                               recordingShell.menuText(RecentCommand(2))}),
                  QStringList({QStringLiteral("&1 Week 12 xy ") + shown, "&2 /data/Static", "&3 Week 12 xy 400mm/min"}));
    }
}
