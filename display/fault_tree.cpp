#include "display/fault_tree.h"

#include "core/app_error.h"
#include "core/utilities.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <array>

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
AppError pokeTimeout()
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

FaultTreeResult HandOverToFaultTree(const QString& jumpKey, const QString& programPath, FaultTreeLink& link,
                                    FaultTreeHost& host, std::chrono::milliseconds startWait)
{
    FaultTreeResult result;
    result.programPath = programPath;
    const auto failed = [&](const Outcome& outcome) {
        host.closeNotice();
        result.ending = FaultTreeResult::Ending::Failed;
        result.outcome = outcome;
        return result;
    };
    const QString programName = FileNameOfPath(programPath);
    bool started = false;
    for (;;) {
        host.showWait();
        bool linked = false;
        if (Outcome opened = Trapped(kLocation, [&] { linked = link.open(started ? startWait : std::chrono::milliseconds(0)); });
            !opened)
            return failed(opened);
        if (linked) {
            host.closeNotice();
            result.outcome = Trapped(kLocation, [&] {
                link.poke(QLatin1String(kFaultTreeDbItem), FaultTreeSolutionFile(result.programPath));
                link.poke(QLatin1String(kFaultTreeKeyItem), jumpKey);
            });
            result.ending = result.outcome ? FaultTreeResult::Ending::HandedOver : FaultTreeResult::Ending::Failed;
            return result;
        }
        // A started program that does not answer in time is not started again.
        if (started)
            return failed(Outcome::failure(kLocation, noPartner()));
        host.closeNotice();
        const auto start = [&](const QString& path) {
            return IsFaultTreeProgram(QFileInfo(path), programName) && host.startProgram(path);
        };
        if (!start(result.programPath)) {
            host.showSearch();
            const QString found = host.findProgram(programName);
            if (found.isEmpty()) {
                // The configured path stays: a search that found nothing proves nothing about it.
                host.showNotFound();
                result.ending = FaultTreeResult::Ending::NotFound;
                return result;
            }
            result.programPath = found;
            host.closeNotice();
            if (!start(found))
                return failed(Outcome::failure(kLocation, AppError::fileNotFound(found)));
        }
        started = true;
    }
}

LocalSocketFaultTreeLink::LocalSocketFaultTreeLink(std::chrono::milliseconds pokeTimeout, QString serverName)
    : socket_(std::make_unique<QLocalSocket>()), pokeTimeout_(pokeTimeout), serverName_(std::move(serverName))
{
}

LocalSocketFaultTreeLink::~LocalSocketFaultTreeLink() = default;

bool LocalSocketFaultTreeLink::open(std::chrono::milliseconds wait)
{
    if (socket_->state() == QLocalSocket::ConnectedState)
        return true;
    // A freshly started program needs a moment before it listens: ask again until the wait ends.
    const QDeadlineTimer deadline(wait);
    for (;;) {
        socket_->abort();
        socket_->connectToServer(serverName_);
        if (socket_->waitForConnected(100))
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(std::min<unsigned long>(100, std::max<qint64>(0, deadline.remainingTime())));
    }
}

void LocalSocketFaultTreeLink::poke(const QString& item, const QString& value)
{
    if (value.contains(u'\n') || value.contains(u'\r') || item.contains(u' '))
        throw AppError::invalidCall();
    socket_->write(QStringLiteral("POKE %1 %2\n").arg(item, value).toUtf8());
    const QDeadlineTimer deadline(pokeTimeout_);
    QByteArray reply;
    while (!reply.endsWith('\n')) {
        if (socket_->state() != QLocalSocket::ConnectedState && socket_->bytesAvailable() == 0)
            throw pokeRefused();
        if (socket_->bytesAvailable() == 0 && !socket_->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))
            && deadline.hasExpired())
            throw pokeTimeout();
        reply += socket_->readLine();
    }
    if (reply.trimmed() != "ACK")
        throw pokeRefused();
}

} // namespace sarvo::display
