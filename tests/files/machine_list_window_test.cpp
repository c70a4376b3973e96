// The machine-list window over a case database in the test's program folder, driven without
// exec(), so no test waits on it.
#include "casedb/ui/mac_list_window.h"

#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "casedb/machine_list.h"
#include "tests/files/files_test_util.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

class MachineListWindowTest : public MachineStoreTest {};

TEST_F(MachineListWindowTest, WindowListsTheMachinesAndAnswersTheSelectedRow)
{
    MacList w(&store);
    w.setMachineName("From file");
    w.show();
    EXPECT_EQ(w.machineBox()->text(), "From file");
    QStringList rows;
    for (int i = 0; i < w.machineList()->count(); ++i)
        rows << w.machineList()->item(i)->text();
    EXPECT_EQ(rows, (QStringList{"Demo Mill", "Lathe", "Mill 10", "Mill 2"}));

    w.machineList()->item(3)->setSelected(true);
    w.findChild<QPushButton*>("cmdClose")->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.answer(), "Mill 2");
}

TEST_F(MachineListWindowTest, WindowCancelAndCloseBox)
{
    {
        MacList w(&store);
        w.show();
        w.machineList()->item(0)->setSelected(true);
        w.findChild<QPushButton*>("CmdCancel")->click();
        EXPECT_EQ(w.result(), QDialog::Rejected);
        EXPECT_EQ(w.answer(), "");
    }
    {
        // The close box with a row selected answers that row.
        MacList w(&store);
        w.show();
        w.machineList()->item(2)->setSelected(true);
        w.close();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.answer(), "Mill 10");
    }
    {
        MacList w(&store);
        w.show();
        w.close();
        EXPECT_EQ(w.answer(), "");
    }
}

TEST_F(MachineListWindowTest, WindowNewAddsTheNameOrStaysOpen)
{
    MacList w(&store);
    w.show();
    QPushButton* add = w.findChild<QPushButton*>("CmdNew");

    // Nothing to add: the window stays, nothing is stored.
    w.machineBox()->setText("   ");
    add->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(casedb::MachineNames(store).size(), 4);

    // A name already listed: reported, the window stays.
    w.machineBox()->setText("Lathe");
    add->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(reportsAt("Adding a machine"), 1);

    w.machineBox()->setText("Mill 7");
    add->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.answer(), "Mill 7");
    EXPECT_TRUE(casedb::MachineExists(store, "Mill 7"));
}

} // namespace
} // namespace sarvo::test
