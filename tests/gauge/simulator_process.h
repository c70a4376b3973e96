#pragma once
// One gauge simulator process for a test; its terminal's path is the first line it prints.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace sarvo::gauge {

class Simulator {
public:
    explicit Simulator(const QStringList& args)
    {
        process_.start(SARVOTEX_GAUGE_SIM, args);
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~Simulator()
    {
        process_.kill();
        process_.waitForFinished(10000);
    }
    const QString& path() const { return path_; }
    qint64 processId() const { return process_.processId(); }

private:
    QProcess process_;
    QString path_;
};

} // namespace sarvo::gauge
