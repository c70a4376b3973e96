// The fault-tree hand-over with a fake link and host, the local-socket link with a partner of
// its own, and the results window's button with the notice window. Every wait of the hand-over
// runs on the event loop: the tests see a timer fire while it waits.

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
#include <QTest>
#include <QTimer>

#include <memory>

namespace sarvo::display {
namespace {

using namespace std::chrono_literals;
using test::DisplayTest;

// Answers from the event loop, as the real link does.
struct FakeLink : FaultTreeLink {
    int answersFromOpen = 1; // the partner answers from this open on (0: never)
    std::vector<std::chrono::milliseconds> waits;
    std::vector<std::pair<QString, QString>> pokes;
    QObject context;
    void open(std::chrono::milliseconds wait, std::function<void(bool)> opened) override
    {
        waits.push_back(wait);
        const bool linked = answersFromOpen > 0 && int(waits.size()) >= answersFromOpen;
        QTimer::singleShot(0, &context, [opened, linked] { opened(linked); });
    }
    void poke(const QString& item, const QString& value, Poked poked) override
    {
        pokes.emplace_back(item, value);
        QTimer::singleShot(0, &context, [poked] { poked(std::nullopt); });
    }
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

// Waits for the window's hand-over to end; the ticks a timer made meanwhile show the event loop ran.
int TicksUntilHandedOver(const QWidget& results)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !FaultTreeRunning(results); }, 20000));
    return ticks;
}

// A partner of the test's own on this thread: it can answer only because the link never blocks
// the event loop. It acknowledges each line but the third.
void Serve(QLocalServer& server, QByteArray& received)
{
    QObject::connect(&server, &QLocalServer::newConnection, [&] {
        QLocalSocket* client = server.nextPendingConnection();
        QObject::connect(client, &QLocalSocket::readyRead, [&received, client] {
            while (client->canReadLine()) {
                received += client->readLine();
                client->write(received.count('\n') == 3 ? "NAK\n" : "ACK\n");
            }
        });
    });
}

class FaultTreeTest : public DisplayTest {
protected:
    // An executable file in the program folder.
    QString program(const QString& name, const QByteArray& script = "#!/bin/sh\n")
    {
        const QString file = writeFile(name, script);
        QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file;
    }
    // Runs a hand-over over a copy of the fake link to its end; the call itself returns at once.
    FaultTreeResult handOver(const QString& key, const QString& path, FakeLink& l, FakeHost& h,
                             std::chrono::milliseconds startWait)
    {
        std::optional<FaultTreeResult> result;
        auto owned = std::make_unique<FakeLink>();
        owned->answersFromOpen = l.answersFromOpen;
        const FakeLink& seen = *owned;
        FaultTreeHandOver run(key, path, std::move(owned), h, startWait, [&result](const FaultTreeResult& r) { result = r; });
        run.start();
        EXPECT_TRUE(run.running());
        EXPECT_FALSE(result.has_value()); // nothing answers from within the call
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 10000));
        EXPECT_FALSE(run.running());
        l.waits = seen.waits;
        l.pokes = seen.pokes;
        return result.value_or(FaultTreeResult{});
    }
    // A unique name for a local partner of the test's own.
    static QString partnerName(const char* what)
    {
        return QStringLiteral("sarvotex-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(QLatin1String(what));
    }
    FakeLink link;
    FakeHost host;
};

TEST_F(FaultTreeTest, LivePartnerGetsExactlyTheTwoPokesAndNothingIsStarted)
{
    const auto r = handOver(FaultTreeJumpKey(1), "/opt/tree/trezel.exe", link, host, 5s);
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
    const auto r = handOver("Root", trezel, link, host, 3s);
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
    const auto found = handOver("Root", "/nowhere/trezel.exe", link, host, 1s);
    EXPECT_EQ(host.searched, std::vector<QString>{"trezel.exe"});
    EXPECT_EQ(host.started, std::vector<QString>{host.searchResult});
    EXPECT_EQ(found.programPath, host.searchResult);
    EXPECT_EQ(found.ending, FaultTreeResult::Ending::HandedOver);

    FakeHost nothing;
    FakeLink silent;
    silent.answersFromOpen = 0;
    const auto missing = handOver("Root", "/nowhere/trezel.exe", silent, nothing, 1s);
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
    handOver("Root", appPath + "trezel.exe", link, host, 1s);
    EXPECT_TRUE(host.started.empty());
    EXPECT_EQ(host.searched.size(), 1u);
}

TEST_F(FaultTreeTest, DestroyingAHandOverThatWaitsAnswersNothingLater)
{
    bool answered = false;
    {
        FaultTreeHandOver run("Root", "/opt/tree/trezel.exe", std::make_unique<LocalSocketFaultTreeLink>(5s, partnerName("gone")),
                              host, 5s, [&answered](const FaultTreeResult&) { answered = true; });
        run.start();
    }
    QTest::qWait(300);
    EXPECT_FALSE(answered);
}

TEST_F(FaultTreeTest, LocalSocketLinkPokesLinesAndReadsAcknowledgements)
{
    const QString name = partnerName("ack");
    LocalSocketFaultTreeLink link(5s, name);
    QLocalServer server;
    QLocalServer::removeServer(name);
    ASSERT_TRUE(server.listen(name));
    QByteArray received;
    Serve(server, received);
    std::optional<bool> linked;
    link.open(10s, [&](bool l) { linked = l; });
    EXPECT_FALSE(linked.has_value()) << "answered from within the call";
    ASSERT_TRUE(QTest::qWaitFor([&] { return linked.has_value(); }, 10000));
    ASSERT_TRUE(*linked);
    std::vector<std::optional<AppError>> answers;
    const auto poke = [&](const QString& item, const QString& value) {
        const std::size_t before = answers.size();
        link.poke(item, value, [&](const std::optional<AppError>& e) { answers.push_back(e); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers.size() > before; }, 10000));
    };
    poke("lblDBName", "/opt/tree/Sarvonik.sol");
    poke("lblJumpAddress", "Servo");
    poke("lblJumpAddress", "Refused");
    poke("lblJumpAddress", "two\nlines"); // never sent
    EXPECT_EQ(received, "POKE lblDBName /opt/tree/Sarvonik.sol\nPOKE lblJumpAddress Servo\nPOKE lblJumpAddress Refused\n");
    std::vector<int> numbers;
    for (const auto& a : answers)
        numbers.push_back(a ? a->number() : 0);
    EXPECT_EQ(numbers, (std::vector<int>{0, 0, 285, AppError::kInvalidCall}));
}

// The window waits on the event loop, then reports and is enabled again: for a partner that
// accepts the link but never acknowledges, the poke's limit; for a started program that never
// listens, the start wait, the link asked again on a timer.
TEST_F(FaultTreeTest, APartnerThatNeverAnswersOrAProgramThatNeverListensIsWaitedForWithoutFreezing)
{
    const QString name = partnerName("mute");
    QLocalServer server;
    QLocalServer::removeServer(name);
    ASSERT_TRUE(server.listen(name));
    std::vector<QLocalSocket*> clients;
    QObject::connect(&server, &QLocalServer::newConnection, [&] { clients.push_back(server.nextPendingConnection()); });
    const QString trezel = program("trezel.exe", "#!/bin/sh\nexit 0\n");
    struct Row {
        QString partner, path;
        std::chrono::milliseconds pokeWait, startWait;
        const char* error;
    };
    for (const Row& row : {Row{name, "/opt/tree/trezel.exe", 1500ms, kFaultTreeStartWait, "286"},
                           Row{partnerName("deaf"), trezel, 5s, 1500ms, "282"}}) {
        SCOPED_TRACE(row.error);
        prompts.messages.clear();
        ResultsWindow results(appPath, "help");
        std::optional<QString> kept;
        StartFaultTree(results, "Root", row.path, appPath, std::make_unique<LocalSocketFaultTreeLink>(row.pokeWait, row.partner),
                       [&kept](const QString& path) { kept = path; }, row.startWait);
        EXPECT_TRUE(FaultTreeRunning(results));
        EXPECT_FALSE(results.isEnabled());
        EXPECT_GE(TicksUntilHandedOver(results), 10); // 1.5 s of waiting, a tick every 20 ms
        EXPECT_TRUE(results.isEnabled());
        EXPECT_EQ(kept, row.path);
        ASSERT_EQ(reportsAt("Launching fault tree"), 1);
        EXPECT_TRUE(prompts.messages.front().text.startsWith(row.error)) << prompts.messages.front().text.toStdString();
    }
    EXPECT_EQ(clients.size(), 1u);
}

// A started program that begins to listen within the start wait gets the hand-over.
TEST_F(FaultTreeTest, AStartedProgramThatListensLateGetsTheHandOver)
{
    const QString trezel = program("trezel.exe", "#!/bin/sh\nexit 0\n");
    const QString name = partnerName("late");
    QLocalServer::removeServer(name);
    QLocalServer server;
    QByteArray received;
    Serve(server, received);
    QTimer::singleShot(500, &server, [&] { server.listen(name); });
    ResultsWindow results(appPath, "help");
    StartFaultTree(results, "Slip", trezel, appPath, std::make_unique<LocalSocketFaultTreeLink>(5s, name), {}, 10s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !FaultTreeRunning(results); }, 20000));
    EXPECT_TRUE(server.isListening());
    EXPECT_EQ(received, "POKE lblDBName " + appPath.toUtf8() + "Sarvonik.sol\nPOKE lblJumpAddress Slip\n");
    EXPECT_TRUE(results.isEnabled());
    EXPECT_TRUE(prompts.messages.empty());
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

    auto none = std::make_unique<FakeLink>();
    none->answersFromOpen = 0;
    // The search looks in the program folder and the home folder: both the test's folder here.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", appPath.toUtf8());
    QString path = appPath + "missing/trezel.exe";
    std::optional<QString> kept;
    StartFaultTree(results, "Root", path, appPath, std::move(none), [&kept](const QString& p) { kept = p; }, 0ms);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !FaultTreeRunning(results); }, 10000));
    qputenv("HOME", home);
    EXPECT_EQ(kept, appPath + "missing/trezel.exe");
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
