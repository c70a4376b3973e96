#pragma once
// The thread the gauge lives on, so that the windows never wait for it: the device is made, used
// and destroyed there (its port belongs to that thread). Requests run one at a time in the order
// posted; each reply is delivered on the thread that made this object, through its event loop.

#include "gauge/device.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

namespace sarvo::gauge {

class DeviceThread {
public:
    // Runs on the device thread and returns the opened device, or null when there is no gauge.
    using MakeDevice = std::function<std::unique_ptr<GaugeDevice>()>;

    explicit DeviceThread(MakeDevice makeDevice);
    // Waits for the request in hand (at most one exchange); requests not yet started are dropped
    // and the device is closed and destroyed on its thread.
    ~DeviceThread();
    DeviceThread(const DeviceThread&) = delete;
    DeviceThread& operator=(const DeviceThread&) = delete;

    // Closes the device now, after the request in hand; requests not yet started are dropped and
    // later ones are not run. For a window that goes and must tell how the closing went.
    DeviceClosing closeNow();

    // As of the last finished request: a device is there and connected.
    bool connected() const { return connected_.load(); }

    // Runs request(device) on the device thread; reply(result) follows on the owner's thread
    // unless receiver has gone by then. Without a device the request is not run and the reply
    // gets Result{}.
    template <class Result>
    void post(std::function<Result(GaugeDevice&)> request, QObject* receiver, std::function<void(Result)> reply)
    {
        QPointer<QObject> target(receiver);
        QMetaObject::invokeMethod(
            worker_.get(),
            [this, request = std::move(request), reply = std::move(reply), target]() mutable {
                if (stopping_)
                    return;
                Result result = device_ ? request(*device_) : Result{};
                connected_ = device_ && device_->connected();
                QMetaObject::invokeMethod(
                    replies_.get(),
                    [reply = std::move(reply), target, result = std::move(result)] {
                        if (target)
                            reply(result);
                    },
                    Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
    }

    // One reading after the requests posted before; without a device it says "not connected".
    void read(QObject* receiver, std::function<void(GaugeReading)> done)
    {
        post<GaugeReading>([](GaugeDevice& device) { return device.readOne(); }, receiver, std::move(done));
    }

private:
    QThread thread_;
    std::unique_ptr<QObject> worker_;  // lives on thread_
    std::unique_ptr<QObject> replies_; // lives on the owner's thread
    std::unique_ptr<GaugeDevice> device_; // used on thread_ only
    std::atomic<bool> stopping_{false};
    std::atomic<bool> connected_{false};
};

} // namespace sarvo::gauge
