// The machine check of the readers on a case database in the test's program folder: a known name
// passes, an unknown one becomes the chooser's answer, without a database the name stays, and a
// new database knows the machine of the shipped examples.
#include "casedb/machine_list.h"

#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "casedb/sql_error.h"
#include "core/app_error.h"
#include "files/rtb_reader.h"
#include "tests/files/files_test_util.h"

#include <QDir>

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
    EXPECT_EQ(CheckForMachine(&store, name, chooser).answer, std::nullopt);
    EXPECT_EQ(name, "Mill 2");
    EXPECT_TRUE(asked.isEmpty());

    name = "MILL 2"; // the key compares letters exactly
    EXPECT_EQ(CheckForMachine(&store, name, chooser).answer, std::optional<QString>("Lathe"));
    EXPECT_EQ(name, "Lathe");
    EXPECT_EQ(asked, QStringList{"MILL 2"});

    name = "Unknown";
    EXPECT_EQ(CheckForMachine(&store, name, [](const QString&) { return QString(); }).answer, std::optional<QString>(""));
    EXPECT_EQ(name, "");

    // Without a chooser an unknown name finds no machine.
    name = "Unknown";
    EXPECT_EQ(CheckForMachine(&store, name, {}).answer, std::optional<QString>(""));
    EXPECT_EQ(name, "");
}

TEST_F(MachineListTest, NamesReachTheDatabaseOnlyAsBoundValues)
{
    const QString hostile = "x'); DROP TABLE \"Machines\"; --";
    casedb::AddMachine(store, hostile);
    EXPECT_TRUE(casedb::MachineExists(store, hostile));
    EXPECT_EQ(casedb::MachineNames(store), (QStringList{"Demo Mill", "Lathe", "Mill 10", "Mill 2", hostile}));
    QString name = hostile;
    EXPECT_EQ(CheckForMachine(&store, name, [](const QString&) { return QString(); }).answer, std::nullopt);
    EXPECT_EQ(name, hostile);
}

TEST_F(MachineListTest, EmptyAndDuplicateNamesAreRefused)
{
    EXPECT_THROW(casedb::AddMachine(store, "Lathe"), AppError);
    EXPECT_THROW(casedb::AddMachine(store, "  "), AppError);
    EXPECT_EQ(casedb::MachineNames(store).size(), 4); // the three and the examples' machine
}

TEST_F(MachineListTest, AMissingMachineIsAddedOnceUnderItsOwnName)
{
    EXPECT_FALSE(casedb::AddMachineIfMissing(store, "Lathe"));
    EXPECT_FALSE(casedb::AddMachineIfMissing(store, " "));
    EXPECT_TRUE(casedb::AddMachineIfMissing(store, "Fräse 'Nord'"));
    EXPECT_FALSE(casedb::AddMachineIfMissing(store, "Fräse 'Nord'"));
    EXPECT_EQ(casedb::MachineNames(store).count("Fräse 'Nord'"), 1);
    EXPECT_EQ(casedb::MachineNames(store).size(), 5);
}

TEST_F(MachineListTest, WithoutADatabaseTheCheckFailsAndKeepsTheName)
{
    QStringList asked;
    const MachineChooser chooser = [&](const QString& name) {
        asked << name;
        return QStringLiteral("Lathe");
    };
    const auto expectNoDatabase = [](const MachineCheck& check) {
        EXPECT_EQ(check.answer, std::nullopt);
        ASSERT_FALSE(check.outcome.ok());
        EXPECT_EQ(check.outcome.location(), "CheckForMachine(Reni)");
        EXPECT_EQ(check.outcome.number(), casedb::kDatabaseNotOpen);
    };
    QString name = "Mill 9";
    expectNoDatabase(CheckForMachine(nullptr, name, chooser));
    EXPECT_EQ(name, "Mill 9");

    // A store that is closed is no database either.
    store.close();
    expectNoDatabase(CheckForMachine(&store, name, chooser));
    EXPECT_EQ(name, "Mill 9");
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(prompts.messages.empty()); // the program reports it, not the check
}

// A first start on a shipped example asks no machine question.
TEST_F(MachineListTest, ANewDatabaseKnowsTheMachineOfEveryShippedExample)
{
    const QDir examples(QStringLiteral(SARVOTEX_TEST_DATA "/../../data/examples"));
    const QStringList names = examples.entryList({QStringLiteral("*.rtb")}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        files::MemoryFiles mem;
        mem.files.insert(name, DataBytes("../../data/examples/" + name));
        Case c;
        c.Header[HdrFilename] = name;
        ASSERT_TRUE(files::ReadRtbHeader(c, MemoryContext(mem)).ok()) << name.toStdString();
        QString machine = c.Header[HdrMachine];
        const MachineCheck check = CheckForMachine(&store, machine, [](const QString&) { return QString(); });
        EXPECT_TRUE(check.outcome.ok());
        EXPECT_EQ(check.answer, std::nullopt) << name.toStdString() << " asks for " << machine.toStdString();
    }
}

} // namespace
} // namespace sarvo::test
