#pragma once
// The gauge on a thread of its own: the device is made, used and destroyed there, one request
// at a time in the order posted, so its blocking exchanges never hold up a window. Results come
// back as queued calls on the thread that made this object.

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
    // make runs on the device thread and returns the opened device (or null: no gauge).
    using Maker = std::function<std::unique_ptr<GaugeDevice>()>;
    explicit DeviceThread(Maker make);
    // Waits for the request in progress (about a second at most), then closes the device.
    ~DeviceThread();
    DeviceThread(const DeviceThread&) = delete;
    DeviceThread& operator=(const DeviceThread&) = delete;

    // As of the last finished request.
    bool connected() const { return connected_.load(); }

    // One reading after the requests posted before; done runs on this object's thread unless the
    // receiver is gone by then. Without a device the reading says "not connected".
    void read(QObject* receiver, std::function<void(GaugeReading)> done);

private:
    void post(std::function<void()> job);

    QThread thread_;
    QObject worker_;  // lives on thread_: the requests run in its event queue
    QObject replies_; // lives on the owner's thread: the results are delivered through it
    std::unique_ptr<GaugeDevice> device_; // touched on thread_ only
    std::atomic<bool> connected_{false};
};

} // namespace sarvo::gauge
