// The machine check of the readers and the machine-list window, on a case database in the test's
// program folder. The window is driven without exec(), so no test waits on it.
#include "casedb/machine_list.h"

#include "app/app_context.h"
#include "casedb/case_db.h"
#include "casedb/ui/mac_list_window.h"
#include "tests/support/test_env.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

class MachineListTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        openDB();
        ASSERT_NE(mainCaseStore(), nullptr);
        for (const char* name : {"Mill 2", "Lathe", "Mill 10"})
            casedb::AddMachine(*mainCaseStore(), name);
    }
    void TearDown() override
    {
        SetMachineChooser({});
        closeDB();
        AppTest::TearDown();
    }
    int reportsAt(const QString& location) const
    {
        int n = 0;
        for (const auto& m : prompts.messages)
            n += m.text.contains(location) ? 1 : 0;
        return n;
    }
};

TEST_F(MachineListTest, AKnownNamePassesAndAnUnknownOneTakesTheChoice)
{
    QStringList asked;
    SetMachineChooser([&](const QString& name) {
        asked << name;
        return QStringLiteral("Lathe");
    });
    QString name = "Mill 2";
    CheckForMachine(name);
    EXPECT_EQ(name, "Mill 2");
    EXPECT_TRUE(asked.isEmpty());

    name = "MILL 2"; // the key compares letters exactly
    CheckForMachine(name);
    EXPECT_EQ(name, "Lathe");
    EXPECT_EQ(asked, QStringList{"MILL 2"});
    EXPECT_EQ(app().State.InputAnswer, "Lathe");

    SetMachineChooser([](const QString&) { return QString(); });
    name = "Unknown";
    CheckForMachine(name);
    EXPECT_EQ(name, "");
    EXPECT_EQ(app().State.InputAnswer, "");
}

TEST_F(MachineListTest, NamesReachTheDatabaseOnlyAsBoundValues)
{
    const QString hostile = "x'); DROP TABLE \"Machines\"; --";
    casedb::AddMachine(*mainCaseStore(), hostile);
    EXPECT_TRUE(casedb::MachineExists(*mainCaseStore(), hostile));
    EXPECT_EQ(casedb::MachineNames(*mainCaseStore()), (QStringList{"Lathe", "Mill 10", "Mill 2", hostile}));
    QString name = hostile;
    CheckForMachine(name);
    EXPECT_EQ(name, hostile);
}

TEST_F(MachineListTest, EmptyAndDuplicateNamesAreRefused)
{
    EXPECT_THROW(casedb::AddMachine(*mainCaseStore(), "Lathe"), AppError);
    EXPECT_THROW(casedb::AddMachine(*mainCaseStore(), "  "), AppError);
    EXPECT_EQ(casedb::MachineNames(*mainCaseStore()).size(), 3);
}

TEST_F(MachineListTest, WithoutADatabaseTheCheckReportsAndKeepsTheName)
{
    closeDB();
    QString name = "Mill 9";
    CheckForMachine(name);
    EXPECT_EQ(name, "Mill 9");
    EXPECT_EQ(reportsAt("CheckForMachine(Reni)"), 1);
}

TEST_F(MachineListTest, WindowListsTheMachinesAndAnswersTheSelectedRow)
{
    MacList w;
    w.setMachineName("From file");
    w.show();
    EXPECT_EQ(w.machineBox()->text(), "From file");
    QStringList rows;
    for (int i = 0; i < w.machineList()->count(); ++i)
        rows << w.machineList()->item(i)->text();
    EXPECT_EQ(rows, (QStringList{"Lathe", "Mill 10", "Mill 2"}));

    w.machineList()->item(2)->setSelected(true);
    w.findChild<QPushButton*>("cmdClose")->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.answer(), "Mill 2");
    EXPECT_EQ(app().State.InputAnswer, "Mill 2");
}

TEST_F(MachineListTest, WindowCancelAndCloseBox)
{
    {
        MacList w;
        w.show();
        w.machineList()->item(0)->setSelected(true);
        w.findChild<QPushButton*>("CmdCancel")->click();
        EXPECT_EQ(w.answer(), "");
        EXPECT_EQ(app().State.InputAnswer, "");
    }
    {
        // The close box with a row selected answers that row.
        MacList w;
        w.show();
        w.machineList()->item(1)->setSelected(true);
        w.close();
        EXPECT_EQ(app().State.InputAnswer, "Mill 10");
    }
    {
        MacList w;
        w.show();
        w.close();
        EXPECT_EQ(app().State.InputAnswer, "");
    }
}

TEST_F(MachineListTest, WindowNewAddsTheNameOrStaysOpen)
{
    MacList w;
    w.show();
    QPushButton* add = w.findChild<QPushButton*>("CmdNew");

    // Nothing to add: the window stays, nothing is stored.
    w.machineBox()->setText("   ");
    add->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(casedb::MachineNames(*mainCaseStore()).size(), 3);

    // A name already listed: reported, the window stays.
    w.machineBox()->setText("Lathe");
    add->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(reportsAt("Adding a machine"), 1);

    w.machineBox()->setText("Mill 7");
    add->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.answer(), "Mill 7");
    EXPECT_TRUE(casedb::MachineExists(*mainCaseStore(), "Mill 7"));
}

} // namespace
} // namespace sarvo::test
