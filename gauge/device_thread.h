#pragma once
// The thread the gauge's blocking calls run on, so that the windows never wait for the device.
// Requests run one at a time in the order posted; each reply is delivered on the thread that
// made this object, through its event loop.

#include "gauge/device.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>

namespace sarvo::gauge {

class DeviceThread {
public:
    explicit DeviceThread(GaugeDevice& device);
    // Waits for the request in hand (at most one exchange); requests not yet started are dropped.
    ~DeviceThread();
    DeviceThread(const DeviceThread&) = delete;
    DeviceThread& operator=(const DeviceThread&) = delete;

    // Runs request(device) on the device thread; reply(result) follows on the owner's thread
    // unless receiver has gone by then.
    template <class Result>
    void post(std::function<Result(GaugeDevice&)> request, QObject* receiver, std::function<void(Result)> reply)
    {
        QPointer<QObject> target(receiver);
        QObject* replies = replies_.get();
        GaugeDevice* device = &device_;
        QMetaObject::invokeMethod(
            worker_.get(),
            [request = std::move(request), reply = std::move(reply), target, replies, device]() mutable {
                Result result = request(*device);
                QMetaObject::invokeMethod(
                    replies,
                    [reply = std::move(reply), target, result = std::move(result)] {
                        if (target)
                            reply(result);
                    },
                    Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
    }

private:
    GaugeDevice& device_;
    QThread thread_;
    std::unique_ptr<QObject> worker_;  // lives on thread_
    std::unique_ptr<QObject> replies_; // lives on the owner's thread
};

} // namespace sarvo::gauge
