#include "display/fault_tree.h"

#include "core/app_error.h"
#include "core/utilities.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>
#include <array>
#include <utility>

namespace sarvo::display {

namespace {

const QString kLocation = QStringLiteral("Launching fault tree");

// The old DDE errors, by their numbers.
AppError noPartner()
{
    return AppError(282, QStringLiteral("No foreign application responded to a DDE initiate"));
}
AppError pokeRefused()
{
    return AppError(285, QStringLiteral("Foreign application won't perform DDE method or operation"));
}
AppError pokeTimedOut()
{
    return AppError(286, QStringLiteral("Timeout occurred while waiting for DDE response"));
}

} // namespace

QString FaultTreeJumpKey(int tab)
{
    static const std::array<const char*, 13> kKeys = {"Root",   "Spike", "Backlash", "Circularity", "Cyclic",
                                                      "Iso",    "Play",  "Mismatch", "Servo",       "Squareness",
                                                      "Slip",   "Straightness", "Vibration"};
    return QLatin1String(tab >= 0 && tab < int(kKeys.size()) ? kKeys[std::size_t(tab)] : "Root");
}

QString FaultTreeSolutionFile(const QString& programPath)
{
    return PathOfFile(programPath) + QStringLiteral("Sarvonik.sol");
}

bool IsFaultTreeProgram(const QFileInfo& file, const QString& programName)
{
    return !programName.isEmpty() && file.fileName().compare(programName, Qt::CaseInsensitive) == 0 && file.isFile()
        && file.isExecutable();
}

FaultTreeHandOver::FaultTreeHandOver(QString jumpKey, QString programPath, std::unique_ptr<FaultTreeLink> link,
                                     FaultTreeHost& host, std::chrono::milliseconds startWait, Finished finished)
    : jumpKey_(std::move(jumpKey))
    , programName_(FileNameOfPath(programPath))
    , link_(std::move(link))
    , host_(host)
    , startWait_(startWait)
    , finished_(std::move(finished))
    , alive_(std::make_shared<bool>(true))
{
    result_.programPath = std::move(programPath);
}

FaultTreeHandOver::~FaultTreeHandOver() = default;

void FaultTreeHandOver::start()
{
    if (running_)
        return;
    running_ = true;
    started_ = false;
    attempt();
}

void FaultTreeHandOver::attempt()
{
    host_.showWait();
    link_->open(started_ ? startWait_ : std::chrono::milliseconds(0), [this](bool linked) { opened(linked); });
}

void FaultTreeHandOver::opened(bool linked)
{
    if (linked) {
        host_.closeNotice();
        link_->poke(QLatin1String(kFaultTreeDbItem), FaultTreeSolutionFile(result_.programPath),
                    [this](const std::optional<AppError>& error) { pokeKey(error); });
        return;
    }
    // A started program that does not answer in time is not started again.
    if (started_) {
        fail(Outcome::failure(kLocation, noPartner()));
        return;
    }
    host_.closeNotice();
    const auto start = [this](const QString& path) {
        return IsFaultTreeProgram(QFileInfo(path), programName_) && host_.startProgram(path);
    };
    if (!start(result_.programPath)) {
        host_.showSearch();
        // The search lets the windows' events run: the hand-over may be gone when it returns.
        const std::weak_ptr<bool> alive = alive_;
        const QString found = host_.findProgram(programName_);
        if (alive.expired())
            return;
        if (found.isEmpty()) {
            // The configured path stays: a search that found nothing proves nothing about it.
            host_.showNotFound();
            finish(FaultTreeResult::Ending::NotFound);
            return;
        }
        result_.programPath = found;
        host_.closeNotice();
        if (!start(found)) {
            fail(Outcome::failure(kLocation, AppError::fileNotFound(found)));
            return;
        }
    }
    started_ = true;
    attempt();
}

void FaultTreeHandOver::pokeKey(const std::optional<AppError>& error)
{
    if (error) {
        fail(Outcome::failure(kLocation, *error));
        return;
    }
    link_->poke(QLatin1String(kFaultTreeKeyItem), jumpKey_,
                [this](const std::optional<AppError>& error) { poked(error); });
}

void FaultTreeHandOver::poked(const std::optional<AppError>& error)
{
    if (error)
        fail(Outcome::failure(kLocation, *error));
    else
        finish(FaultTreeResult::Ending::HandedOver);
}

void FaultTreeHandOver::fail(const Outcome& outcome)
{
    host_.closeNotice();
    finish(FaultTreeResult::Ending::Failed, outcome);
}

void FaultTreeHandOver::finish(FaultTreeResult::Ending ending, const Outcome& outcome)
{
    running_ = false;
    result_.ending = ending;
    result_.outcome = outcome;
    const FaultTreeResult result = result_;
    const Finished finished = finished_;
    if (finished)
        finished(result);
}

// One socket, its timers and the answer waiting to be given. Every answer is queued on the
// context, so none comes from within a call and none after the link is gone.
struct LocalSocketFaultTreeLink::Private {
    QObject context;
    QLocalSocket socket;
    QTimer attemptTimer; // bounds one connection attempt
    QTimer retryTimer;   // the pause before the next one
    QTimer replyTimer;   // the wait for a poke's acknowledgement
    QDeadlineTimer deadline;
    bool connecting = false;
    std::function<void(bool)> opened;
    Poked poked;
    QString serverName;
    std::chrono::milliseconds pokeTimeout;

    void later(std::function<void()> fn) { QTimer::singleShot(0, &context, std::move(fn)); }

    void tryConnect()
    {
        connecting = true;
        socket.abort();
        socket.connectToServer(serverName);
        // A refusal may come at once, from within the call.
        if (connecting && socket.state() != QLocalSocket::ConnectedState)
            attemptTimer.start(kAttempt);
    }
    void attemptFailed()
    {
        if (!connecting)
            return;
        connecting = false;
        attemptTimer.stop();
        socket.abort();
        if (deadline.hasExpired()) {
            answerOpen(false);
            return;
        }
        retryTimer.start(std::min<std::chrono::milliseconds>(kAttempt, std::chrono::milliseconds(deadline.remainingTime())));
    }
    void answerOpen(bool linked)
    {
        connecting = false;
        attemptTimer.stop();
        retryTimer.stop();
        if (auto answer = std::exchange(opened, {}))
            later([answer, linked] { answer(linked); });
    }
    void readReply()
    {
        if (!poked || !socket.canReadLine())
            return;
        const QByteArray line = socket.readLine().trimmed();
        answerPoke(line == "ACK" ? std::nullopt : std::optional<AppError>(pokeRefused()));
    }
    void answerPoke(const std::optional<AppError>& error)
    {
        replyTimer.stop();
        if (auto answer = std::exchange(poked, {}))
            later([answer, error] { answer(error); });
    }

    static constexpr std::chrono::milliseconds kAttempt{100};
};

LocalSocketFaultTreeLink::LocalSocketFaultTreeLink(std::chrono::milliseconds pokeTimeout, QString serverName)
    : d_(std::make_unique<Private>())
{
    d_->serverName = std::move(serverName);
    d_->pokeTimeout = pokeTimeout;
    Private* d = d_.get();
    for (QTimer* t : {&d->attemptTimer, &d->retryTimer, &d->replyTimer})
        t->setSingleShot(true);
    QObject::connect(&d->socket, &QLocalSocket::connected, &d->context, [d] {
        if (d->connecting)
            d->answerOpen(true);
    });
    QObject::connect(&d->socket, &QLocalSocket::errorOccurred, &d->context, [d] {
        if (d->connecting)
            d->attemptFailed();
        else if (d->poked && d->socket.state() != QLocalSocket::ConnectedState && d->socket.bytesAvailable() == 0)
            d->answerPoke(pokeRefused());
    });
    QObject::connect(&d->socket, &QLocalSocket::disconnected, &d->context, [d] {
        d->readReply(); // a last answer may have come with the close
        if (d->poked)
            d->answerPoke(pokeRefused());
    });
    QObject::connect(&d->socket, &QLocalSocket::readyRead, &d->context, [d] { d->readReply(); });
    QObject::connect(&d->attemptTimer, &QTimer::timeout, &d->context, [d] { d->attemptFailed(); });
    QObject::connect(&d->retryTimer, &QTimer::timeout, &d->context, [d] { d->tryConnect(); });
    QObject::connect(&d->replyTimer, &QTimer::timeout, &d->context, [d] { d->answerPoke(pokeTimedOut()); });
}

LocalSocketFaultTreeLink::~LocalSocketFaultTreeLink()
{
    // Closing the socket signals nothing to a link that is going.
    QObject::disconnect(&d_->socket, nullptr, nullptr, nullptr);
    d_->socket.abort();
}

void LocalSocketFaultTreeLink::open(std::chrono::milliseconds wait, std::function<void(bool linked)> opened)
{
    d_->opened = std::move(opened);
    if (d_->socket.state() == QLocalSocket::ConnectedState) {
        d_->answerOpen(true);
        return;
    }
    // A freshly started program needs a moment before it listens: ask again until the wait ends.
    d_->deadline = QDeadlineTimer(wait);
    d_->tryConnect();
}

void LocalSocketFaultTreeLink::poke(const QString& item, const QString& value, Poked poked)
{
    d_->poked = std::move(poked);
    if (value.contains(u'\n') || value.contains(u'\r') || item.contains(u' ')) {
        d_->answerPoke(AppError::invalidCall());
        return;
    }
    if (d_->socket.state() != QLocalSocket::ConnectedState) {
        d_->answerPoke(pokeRefused());
        return;
    }
    d_->socket.write(QStringLiteral("POKE %1 %2\n").arg(item, value).toUtf8());
    d_->replyTimer.start(d_->pokeTimeout);
    d_->later([d = d_.get()] { d->readReply(); }); // an answer already waiting
}

} // namespace sarvo::display
