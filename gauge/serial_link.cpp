#include "gauge/serial_link.h"

#include "core/app_error.h"

#include <QDeadlineTimer>

#include <poll.h>

namespace sarvo::gauge {

int16_t SerialLink::open(const QString& path, int baudRate, qint64 inputBufferSize)
{
    close();
    lost_ = false;
    path_ = path;
    port_.setPortName(path);
    port_.setBaudRate(baudRate);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    // Bounded, so that a series fetched too late shows as an overflow instead of growing.
    port_.setReadBufferSize(inputBufferSize);
    if (port_.open(QIODevice::ReadWrite))
        return 0;
    switch (port_.error()) {
    case QSerialPort::DeviceNotFoundError:
        return AppError::kFileNotFound;
    case QSerialPort::PermissionError:
        return AppError::kPermissionDenied;
    default:
        return AppError::kDeviceIoError;
    }
}

void SerialLink::close()
{
    if (port_.isOpen())
        port_.close();
    port_.clearError();
}

namespace {

// Whether the line behind the descriptor has hung up or failed.
bool HungUp(int fd)
{
    pollfd line{fd, POLLIN, 0};
    return ::poll(&line, 1, 0) < 0 || (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

} // namespace

void SerialLink::checkLost()
{
    const auto error = port_.error();
    // A read error that is not a hang-up is a read that found nothing: the port's own notifier
    // can come after a wait on this thread has already taken the bytes, and a read that finds
    // nothing is told by the last errno, which may read as a resource error (EAGAIN).
    if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError) && HungUp(port_.handle())) {
        lost_ = true;
        close();
    } else if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError || error == QSerialPort::TimeoutError) {
        port_.clearError();
    }
}

bool SerialLink::write(const QByteArray& bytes)
{
    if (!port_.isOpen())
        return false;
    if (port_.write(bytes) != bytes.size()) {
        checkLost();
        return false;
    }
    port_.waitForBytesWritten(1000);
    checkLost();
    return port_.isOpen();
}

qint64 SerialLink::bytesWaiting()
{
    if (!port_.isOpen())
        return 0;
    // Picks up what the driver holds without waiting.
    port_.waitForReadyRead(0);
    checkLost();
    return port_.isOpen() ? port_.bytesAvailable() : 0;
}

QByteArray SerialLink::readAll()
{
    if (!port_.isOpen())
        return {};
    bytesWaiting();
    return port_.isOpen() ? port_.readAll() : QByteArray();
}

bool SerialLink::waitForMoreThan(qint64 n, int limitMs)
{
    QDeadlineTimer limit(limitMs);
    while (port_.isOpen()) {
        if (port_.bytesAvailable() > n)
            return true;
        if (port_.bytesAvailable() >= port_.readBufferSize())
            return false; // full: nothing more can arrive
        const qint64 left = limit.remainingTime();
        if (left <= 0)
            return false;
        port_.waitForReadyRead(static_cast<int>(left));
        checkLost();
    }
    return false;
}

bool SerialLink::waitForInput(int limitMs)
{
    if (!port_.isOpen())
        return false;
    const qint64 before = port_.bytesAvailable();
    return waitForMoreThan(before, limitMs);
}

QByteArray SerialLink::readUntilQuiet(int quietMs, int limitMs)
{
    QDeadlineTimer limit(limitMs);
    QByteArray taken = readAll();
    while (port_.isOpen() && !limit.hasExpired() && waitForInput(quietMs))
        taken += readAll();
    return taken;
}

bool SerialLink::readLines(bool& dsr, bool& cts)
{
    if (!port_.isOpen())
        return false;
    const QSerialPort::PinoutSignals lines = port_.pinoutSignals();
    if (port_.error() != QSerialPort::NoError) {
        port_.clearError();
        return false;
    }
    dsr = lines.testFlag(QSerialPort::DataSetReadySignal);
    cts = lines.testFlag(QSerialPort::ClearToSendSignal);
    return true;
}

} // namespace sarvo::gauge
