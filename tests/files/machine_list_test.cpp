// The machine check of the readers on a case database in the test's program folder: a known name
// passes, an unknown one becomes the chooser's answer, and without a database the name stays.
#include "casedb/machine_list.h"

#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "core/app_error.h"
#include "tests/files/files_test_util.h"

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

class MachineListTest : public MachineStoreTest {};

TEST_F(MachineListTest, AKnownNamePassesAndAnUnknownOneTakesTheChoice)
{
    QStringList asked;
    const MachineChooser chooser = [&](const QString& name) {
        asked << name;
        return QStringLiteral("Lathe");
    };
    QString name = "Mill 2";
    EXPECT_EQ(CheckForMachine(&store, name, chooser), std::nullopt);
    EXPECT_EQ(name, "Mill 2");
    EXPECT_TRUE(asked.isEmpty());

    name = "MILL 2"; // the key compares letters exactly
    EXPECT_EQ(CheckForMachine(&store, name, chooser), std::optional<QString>("Lathe"));
    EXPECT_EQ(name, "Lathe");
    EXPECT_EQ(asked, QStringList{"MILL 2"});

    name = "Unknown";
    EXPECT_EQ(CheckForMachine(&store, name, [](const QString&) { return QString(); }), std::optional<QString>(""));
    EXPECT_EQ(name, "");

    // Without a chooser an unknown name finds no machine.
    name = "Unknown";
    EXPECT_EQ(CheckForMachine(&store, name, {}), std::optional<QString>(""));
    EXPECT_EQ(name, "");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MachineListTest, NamesReachTheDatabaseOnlyAsBoundValues)
{
    const QString hostile = "x'); DROP TABLE \"Machines\"; --";
    casedb::AddMachine(store, hostile);
    EXPECT_TRUE(casedb::MachineExists(store, hostile));
    EXPECT_EQ(casedb::MachineNames(store), (QStringList{"Lathe", "Mill 10", "Mill 2", hostile}));
    QString name = hostile;
    EXPECT_EQ(CheckForMachine(&store, name, [](const QString&) { return QString(); }), std::nullopt);
    EXPECT_EQ(name, hostile);
}

TEST_F(MachineListTest, EmptyAndDuplicateNamesAreRefused)
{
    EXPECT_THROW(casedb::AddMachine(store, "Lathe"), AppError);
    EXPECT_THROW(casedb::AddMachine(store, "  "), AppError);
    EXPECT_EQ(casedb::MachineNames(store).size(), 3);
}

TEST_F(MachineListTest, WithoutADatabaseTheCheckReportsAndKeepsTheName)
{
    QStringList asked;
    const MachineChooser chooser = [&](const QString& name) {
        asked << name;
        return QStringLiteral("Lathe");
    };
    QString name = "Mill 9";
    EXPECT_EQ(CheckForMachine(nullptr, name, chooser), std::nullopt);
    EXPECT_EQ(name, "Mill 9");
    EXPECT_EQ(reportsAt("CheckForMachine(Reni)"), 1);

    // A store that is closed is no database either.
    store.close();
    EXPECT_EQ(CheckForMachine(&store, name, chooser), std::nullopt);
    EXPECT_EQ(name, "Mill 9");
    EXPECT_EQ(reportsAt("CheckForMachine(Reni)"), 2);
    EXPECT_TRUE(asked.isEmpty());
}

} // namespace
} // namespace sarvo::test
