#include "gauge/device_thread.h"

namespace sarvo::gauge {

DeviceThread::DeviceThread(GaugeDevice& device)
    : device_(device), worker_(std::make_unique<QObject>()), replies_(std::make_unique<QObject>())
{
    thread_.setObjectName(QStringLiteral("gauge device"));
    worker_->moveToThread(&thread_);
    thread_.start();
}

DeviceThread::~DeviceThread()
{
    thread_.requestInterruption();
    thread_.quit();
    thread_.wait();
    // The worker belongs to a finished thread: deleting it here is safe.
    worker_.reset();
}

} // namespace sarvo::gauge
