#pragma once
// The hand-over of a diagnosis to the separate fault-tree program: the program is told the path
// of its solution file and a jump key naming the error type, over a link that stands in for the
// old DDE conversation (application "trezel", topic "trezelhost", items "lblDBName" and
// "lblJumpAddress"). When no partner answers, the program is started once from its configured
// path and given a bounded time to answer; when it cannot be started, it is searched for. Every
// wait runs on timers and socket signals: the program stays responsive meanwhile.

#include "core/outcome.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QFileInfo;

namespace sarvo::display {

inline constexpr const char* kFaultTreeLinkName = "trezel|trezelhost";
inline constexpr const char* kFaultTreeDbItem = "lblDBName";
inline constexpr const char* kFaultTreeKeyItem = "lblJumpAddress";

// The jump key of the results window's tab (the Pareto page and any other index: "Root").
QString FaultTreeJumpKey(int tab);

// The solution file poked: the folder of the program path (with its separator) and "Sarvonik.sol".
QString FaultTreeSolutionFile(const QString& programPath);

// Only a regular executable file whose name is exactly programName (ignoring case) is started.
bool IsFaultTreeProgram(const QFileInfo& file, const QString& programName);

// The conversation with the program. Each call returns at once; its answer comes later from the
// event loop, never from within the call, so nothing waits on the user-interface thread.
class FaultTreeLink {
public:
    // A poke's answer: nothing when the partner acknowledged, else the error.
    using Poked = std::function<void(const std::optional<AppError>& error)>;

    virtual ~FaultTreeLink() = default;
    // Opens the link, asking again until wait has passed; opened(false) when no partner answered.
    virtual void open(std::chrono::milliseconds wait, std::function<void(bool linked)> opened) = 0;
    // Sets item to value in the partner.
    virtual void poke(const QString& item, const QString& value, Poked poked) = 0;
};

// What the hand-over asks of the system and of the notice window "frmTree".
class FaultTreeHost {
public:
    virtual ~FaultTreeHost() = default;
    // Starts the program without waiting for it; false when it could not be started.
    virtual bool startProgram(const QString& path) = 0;
    // The first file the search accepts, or "" (also when the user cancelled the search).
    virtual QString findProgram(const QString& programName) = 0;
    virtual void showWait() = 0;
    virtual void showSearch() = 0;
    virtual void showNotFound() = 0;
    virtual void closeNotice() = 0;
};

struct FaultTreeResult {
    enum class Ending { HandedOver, NotFound, Failed };
    Ending ending = Ending::Failed;
    Outcome outcome; // a failure under "Launching fault tree"
    // The program path to keep: the one found by a search, else the configured one.
    QString programPath;
};

// The hand-over as a small state machine on the event loop: start() returns at once, finished
// is called once at the end. When no partner answers, the program is started once; startWait
// bounds the wait for it to answer, after which the hand-over fails with a message instead of
// starting the program again. Destroying the hand-over stops it without an answer.
class FaultTreeHandOver {
public:
    using Finished = std::function<void(const FaultTreeResult& result)>;

    FaultTreeHandOver(QString jumpKey, QString programPath, std::unique_ptr<FaultTreeLink> link, FaultTreeHost& host,
                      std::chrono::milliseconds startWait, Finished finished);
    ~FaultTreeHandOver();

    void start();
    bool running() const { return running_; }

private:
    void attempt();
    void opened(bool linked);
    void pokeKey(const std::optional<AppError>& error);
    void poked(const std::optional<AppError>& error);
    void fail(const Outcome& outcome);
    // The last thing a step does: the callback may destroy this hand-over.
    void finish(FaultTreeResult::Ending ending, const Outcome& outcome = {});

    QString jumpKey_;
    QString programName_;
    std::unique_ptr<FaultTreeLink> link_;
    FaultTreeHost& host_;
    std::chrono::milliseconds startWait_;
    Finished finished_;
    FaultTreeResult result_;
    bool started_ = false; // the program was started by this hand-over
    bool running_ = false;
    std::shared_ptr<bool> alive_; // gone with the hand-over
};

// The link on this system: a local socket named kFaultTreeLinkName, one line per poke
// ("POKE item value"), answered by "ACK".
class LocalSocketFaultTreeLink : public FaultTreeLink {
public:
    explicit LocalSocketFaultTreeLink(std::chrono::milliseconds pokeTimeout = std::chrono::seconds(100),
                                      QString serverName = QLatin1String(kFaultTreeLinkName));
    ~LocalSocketFaultTreeLink() override;
    void open(std::chrono::milliseconds wait, std::function<void(bool linked)> opened) override;
    void poke(const QString& item, const QString& value, Poked poked) override;

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

} // namespace sarvo::display
