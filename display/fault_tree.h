#pragma once
// The hand-over of a diagnosis to the separate fault-tree program: the program is told the path
// of its solution file and a jump key naming the error type, over a link that stands in for the
// old DDE conversation (application "trezel", topic "trezelhost", items "lblDBName" and
// "lblJumpAddress"). When no partner answers, the program is started once from its configured
// path and given a bounded time to answer; when it cannot be started, it is searched for.

#include "core/outcome.h"

#include <QString>

#include <chrono>
#include <memory>

class QFileInfo;
class QLocalSocket;

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

// The conversation with the program.
class FaultTreeLink {
public:
    virtual ~FaultTreeLink() = default;
    // Opens the link, waiting up to wait for a partner; false when none answered. Other failures
    // raise AppError.
    virtual bool open(std::chrono::milliseconds wait) = 0;
    // Sets item to value in the partner; raises AppError when the partner does not acknowledge.
    virtual void poke(const QString& item, const QString& value) = 0;
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

// Runs the hand-over. startWait bounds the wait for a freshly started program to answer; after
// it the hand-over fails with a message instead of starting the program again.
FaultTreeResult HandOverToFaultTree(const QString& jumpKey, const QString& programPath, FaultTreeLink& link,
                                    FaultTreeHost& host, std::chrono::milliseconds startWait);

// The link on this system: a local socket named kFaultTreeLinkName, one line per poke
// ("POKE item value"), answered by "ACK".
class LocalSocketFaultTreeLink : public FaultTreeLink {
public:
    explicit LocalSocketFaultTreeLink(std::chrono::milliseconds pokeTimeout = std::chrono::seconds(100),
                                      QString serverName = QLatin1String(kFaultTreeLinkName));
    ~LocalSocketFaultTreeLink() override;
    bool open(std::chrono::milliseconds wait) override;
    void poke(const QString& item, const QString& value) override;

private:
    std::unique_ptr<QLocalSocket> socket_;
    std::chrono::milliseconds pokeTimeout_;
    QString serverName_;
};

} // namespace sarvo::display
