#pragma once
// One serial port for a gauge exchange, used from the device thread: blocking waits with a
// limit (the windows never wait on it). A port that vanishes is closed at the first read error,
// so a lost gauge costs one failure, not a flood of them.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QSerialPort>
#include <QString>

#include <algorithm>
#include <cstdint>

namespace sarvo::gauge {

class SerialLink {
public:
    // 0, or the error number of a port that is missing, busy or cannot be set up.
    int16_t open(const QString& path, int baudRate, qint64 inputBufferSize);
    void close();
    bool isOpen() const { return port_.isOpen(); }
    // The port vanished at a read; it has been closed.
    bool lost() const { return lost_; }
    const QString& path() const { return path_; }
    qint64 inputBufferSize() const { return port_.readBufferSize(); }

    bool write(const QByteArray& bytes);
    qint64 bytesWaiting();
    QByteArray readAll();
    void flush() { readAll(); }
    // Waits until more than n bytes are waiting, at most limitMs; false on time-out or loss.
    bool waitForMoreThan(qint64 n, int limitMs);
    // Waits up to limitMs for input; true when some arrived.
    bool waitForInput(int limitMs);
    // Takes input until the line has been quiet for quietMs, at most limitMs in all.
    QByteArray readUntilQuiet(int quietMs, int limitMs);
    // The same, discarded.
    void drain(int quietMs, int limitMs) { readUntilQuiet(quietMs, limitMs); }
    // Reads a text reply until done(reply) or quietMs of silence after some input, at most limitMs.
    template <class Done>
    QByteArray readReply(Done done, int quietMs, int limitMs);
    // DSR and CTS, when the port can report them.
    bool readLines(bool& dsr, bool& cts);

private:
    void checkLost();

    QSerialPort port_;
    QString path_;
    bool lost_ = false;
};

template <class Done>
QByteArray SerialLink::readReply(Done done, int quietMs, int limitMs)
{
    QByteArray reply;
    if (!waitForMoreThan(0, limitMs))
        return reply;
    QDeadlineTimer limit(limitMs);
    for (;;) {
        reply += readAll();
        if (done(reply) || limit.hasExpired() || !waitForInput(static_cast<int>(std::min<qint64>(quietMs, limit.remainingTime()))))
            return reply;
    }
}

} // namespace sarvo::gauge
