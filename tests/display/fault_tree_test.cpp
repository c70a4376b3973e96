// The fault-tree hand-over with a fake link and host, the local-socket link with a partner of
// its own, and the results window's button with the notice window.

#include "display/fault_tree.h"
#include "display/ui/results_window.h"
#include "display/ui/tree_window.h"
#include "tests/display/display_test.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPushButton>
#include <QTabWidget>

#include <QThread>

namespace sarvo::display {
namespace {

using namespace std::chrono_literals;
using test::DisplayTest;

struct FakeLink : FaultTreeLink {
    int answersFromOpen = 1; // the partner answers from this open on (0: never)
    std::vector<std::chrono::milliseconds> waits;
    std::vector<std::pair<QString, QString>> pokes;
    bool open(std::chrono::milliseconds wait) override
    {
        waits.push_back(wait);
        return answersFromOpen > 0 && int(waits.size()) >= answersFromOpen;
    }
    void poke(const QString& item, const QString& value) override { pokes.emplace_back(item, value); }
};

struct FakeHost : FaultTreeHost {
    QString searchResult;
    std::vector<QString> started, searched, notices;
    bool startProgram(const QString& path) override
    {
        started.push_back(path);
        return true;
    }
    QString findProgram(const QString& name) override
    {
        searched.push_back(name);
        return searchResult;
    }
    void showWait() override { notices.push_back("wait"); }
    void showSearch() override { notices.push_back("search"); }
    void showNotFound() override { notices.push_back("not found"); }
    void closeNotice() override { notices.push_back("closed"); }
};

class FaultTreeTest : public DisplayTest {
protected:
    // An executable file in the program folder.
    QString program(const QString& name)
    {
        const QString file = writeFile(name, "#!/bin/sh\n");
        QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file;
    }
    FakeLink link;
    FakeHost host;
};

TEST_F(FaultTreeTest, LivePartnerGetsExactlyTheTwoPokesAndNothingIsStarted)
{
    const auto r = HandOverToFaultTree(FaultTreeJumpKey(1), "/opt/tree/trezel.exe", link, host, 5s);
    EXPECT_EQ(r.ending, FaultTreeResult::Ending::HandedOver);
    EXPECT_EQ(link.pokes, (std::vector<std::pair<QString, QString>>{{"lblDBName", "/opt/tree/Sarvonik.sol"},
                                                                      {"lblJumpAddress", "Spike"}}));
    EXPECT_TRUE(host.started.empty());
    EXPECT_EQ(host.notices, (std::vector<QString>{"wait", "closed"}));
    EXPECT_EQ(FaultTreeJumpKey(13), "Root");
}

TEST_F(FaultTreeTest, NoPartnerStartsOnceWaitsBoundedThenReports)
{
    const QString trezel = program("trezel.exe");
    link.answersFromOpen = 0;
    const auto r = HandOverToFaultTree("Root", trezel, link, host, 3s);
    EXPECT_EQ(host.started, std::vector<QString>{trezel});
    EXPECT_EQ(link.waits, (std::vector<std::chrono::milliseconds>{0ms, 3s}));
    EXPECT_EQ(r.ending, FaultTreeResult::Ending::Failed);
    EXPECT_EQ(r.outcome.location(), "Launching fault tree");
    EXPECT_EQ(r.outcome.number(), 282);
}

TEST_F(FaultTreeTest, SearchFoundReplacesThePathAndNotFoundKeepsIt)
{
    link.answersFromOpen = 2;
    host.searchResult = program("TREZEL.EXE");
    const auto found = HandOverToFaultTree("Root", "/nowhere/trezel.exe", link, host, 1s);
    EXPECT_EQ(host.searched, std::vector<QString>{"trezel.exe"});
    EXPECT_EQ(host.started, std::vector<QString>{host.searchResult});
    EXPECT_EQ(found.programPath, host.searchResult);
    EXPECT_EQ(found.ending, FaultTreeResult::Ending::HandedOver);

    FakeHost nothing;
    FakeLink silent;
    silent.answersFromOpen = 0;
    const auto missing = HandOverToFaultTree("Root", "/nowhere/trezel.exe", silent, nothing, 1s);
    EXPECT_EQ(missing.ending, FaultTreeResult::Ending::NotFound);
    EXPECT_EQ(missing.programPath, "/nowhere/trezel.exe");
    EXPECT_TRUE(missing.outcome.ok());
    EXPECT_EQ(nothing.notices.back(), "not found");
}

TEST_F(FaultTreeTest, OnlyARegularExecutableOfExactlyTheNameIsTaken)
{
    const QString exact = program("Trezel.exe");
    EXPECT_TRUE(IsFaultTreeProgram(QFileInfo(exact), "trezel.exe"));
    EXPECT_FALSE(IsFaultTreeProgram(QFileInfo(program("old-trezel.exe")), "trezel.exe"));
    EXPECT_FALSE(IsFaultTreeProgram(QFileInfo(writeFile("trezel.exe", "data")), "trezel.exe"));
    // A configured path that is no program is not started: the search runs instead.
    link.answersFromOpen = 0;
    HandOverToFaultTree("Root", appPath + "trezel.exe", link, host, 1s);
    EXPECT_TRUE(host.started.empty());
    EXPECT_EQ(host.searched.size(), 1u);
}

TEST_F(FaultTreeTest, LocalSocketLinkPokesLinesAndReadsAcknowledgements)
{
    const QString name = QStringLiteral("sarvotex-test-%1").arg(QCoreApplication::applicationPid());
    auto link = std::make_unique<LocalSocketFaultTreeLink>(5s, name);
    EXPECT_FALSE(link->open(0ms));

    QByteArray received;
    std::unique_ptr<QThread> partner(QThread::create([&] {
        QLocalServer server;
        ASSERT_TRUE(server.listen(name));
        ASSERT_TRUE(server.waitForNewConnection(10000));
        QLocalSocket* client = server.nextPendingConnection();
        while (received.count('\n') < 2 && client->waitForReadyRead(10000)) {
            while (client->canReadLine()) {
                received += client->readLine();
                client->write("ACK\n");
                client->waitForBytesWritten(10000);
            }
        }
        client->waitForDisconnected(10000);
    }));
    partner->start();
    EXPECT_TRUE(link->open(10s));
    link->poke("lblDBName", "/opt/tree/Sarvonik.sol");
    link->poke("lblJumpAddress", "Servo");
    link.reset(); // the partner sees the link close
    partner->wait();
    EXPECT_EQ(received, "POKE lblDBName /opt/tree/Sarvonik.sol\nPOKE lblJumpAddress Servo\n");
}

TEST_F(FaultTreeTest, ResultsWindowButtonPassesTheTabKeyAndNotFoundKeepsItDisabledUntilClosed)
{
    ResultsWindow results(appPath, "help");
    EXPECT_TRUE(results.treeButton()->isHidden());
    QString key;
    results.setFaultTreeHandOver([&](const QString& jumpKey) { key = jumpKey; });
    results.tabs()->setCurrentIndex(8);
    results.treeButton()->click();
    EXPECT_EQ(key, "Servo");

    FakeLink none;
    none.answersFromOpen = 0;
    // The search looks in the program folder and the home folder: both the test's folder here.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", appPath.toUtf8());
    QString path = appPath + "missing/trezel.exe";
    StartFaultTree(results, "Root", path, appPath, none, 0ms);
    qputenv("HOME", home);
    EXPECT_EQ(path, appPath + "missing/trezel.exe");
    EXPECT_FALSE(results.isEnabled());
    auto* notice = results.findChild<TreeWindow*>();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->notFoundNotice()->isVisibleTo(notice));
    EXPECT_EQ(reportsAt("Launching fault tree"), 0);
    notice->closeButton()->click();
    EXPECT_TRUE(results.isEnabled());
}

} // namespace
} // namespace sarvo::display
