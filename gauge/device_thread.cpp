#include "gauge/device_thread.h"

namespace sarvo::gauge {

DeviceThread::DeviceThread(MakeDevice makeDevice)
    : worker_(std::make_unique<QObject>()), replies_(std::make_unique<QObject>())
{
    thread_.setObjectName(QStringLiteral("gauge device"));
    worker_->moveToThread(&thread_);
    QMetaObject::invokeMethod(
        worker_.get(),
        [this, makeDevice = std::move(makeDevice)] {
            device_ = makeDevice ? makeDevice() : nullptr;
            connected_ = device_ && device_->connected();
        },
        Qt::QueuedConnection);
    thread_.start();
}

DeviceClosing DeviceThread::closeNow()
{
    stopping_ = true;
    DeviceClosing closing;
    QMetaObject::invokeMethod(
        worker_.get(),
        [this, &closing] {
            if (device_)
                closing = device_->close();
            connected_ = false;
        },
        Qt::BlockingQueuedConnection);
    return closing;
}

DeviceThread::~DeviceThread()
{
    stopping_ = true;
    QMetaObject::invokeMethod(
        worker_.get(),
        [this] {
            if (device_)
                device_->close();
            device_.reset();
            connected_ = false;
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    thread_.wait();
    // The worker belongs to a finished thread: deleting it here is safe.
    worker_.reset();
}

} // namespace sarvo::gauge
