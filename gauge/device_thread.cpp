#include "gauge/device_thread.h"

namespace sarvo::gauge {

DeviceThread::DeviceThread(Maker make)
{
    worker_.moveToThread(&thread_);
    thread_.start();
    post([this, make = std::move(make)] {
        device_ = make ? make() : nullptr;
        connected_ = device_ && device_->connected();
    });
}

DeviceThread::~DeviceThread()
{
    QThread* owner = QThread::currentThread();
    post([this, owner] {
        if (device_)
            device_->close();
        device_.reset();
        connected_ = false;
        worker_.moveToThread(owner);
        thread_.quit();
    });
    thread_.wait();
}

void DeviceThread::post(std::function<void()> job)
{
    QMetaObject::invokeMethod(&worker_, std::move(job), Qt::QueuedConnection);
}

void DeviceThread::read(QObject* receiver, std::function<void(GaugeReading)> done)
{
    post([this, receiver = QPointer<QObject>(receiver), done = std::move(done)] {
        const GaugeReading reading = device_ ? device_->readOne() : GaugeReading{};
        connected_ = device_ && device_->connected();
        QMetaObject::invokeMethod(
            &replies_,
            [receiver, done, reading] {
                if (receiver)
                    done(reading);
            },
            Qt::QueuedConnection);
    });
}

} // namespace sarvo::gauge
