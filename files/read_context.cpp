#include "files/read_context.h"

#include "core/case.h"
#include "core/dates.h"
#include "core/language_db.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace sarvo::files {

ReadResult ReadResult::error(const QString& location, const AppError& e)
{
    ReadResult r;
    r.kind = Kind::Error;
    r.location = location;
    r.number = e.number();
    r.message = e.description();
    return r;
}

ReadResult ReadResult::refused(const QString& text, MessageIcon icon)
{
    ReadResult r;
    r.kind = Kind::Message;
    r.message = text;
    r.icon = icon;
    return r;
}

ReadResult ReadResult::cancelled()
{
    ReadResult r;
    r.kind = Kind::Cancelled;
    return r;
}

void ReportReadResult(const ReadResult& result)
{
    switch (result.kind) {
    case ReadResult::Kind::Error:
        ReportError(result.location, AppError(result.number, result.message));
        break;
    case ReadResult::Kind::Message:
        prompts().message(QString(), result.message, result.icon);
        break;
    case ReadResult::Kind::Ok:
        for (const QString& note : result.notes)
            prompts().message(QString(), note, MessageIcon::Warning);
        break;
    case ReadResult::Kind::Cancelled:
        break;
    }
}

QByteArray DiskFiles::read(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw AppError::fileNotFound(path);
    if (info.size() > kMaxMeasurementFileSize)
        throw AppError(AppError::kOutOfMemory, Translate("The file is too large for a measurement file."));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError::standard(AppError::kPermissionDenied, path);
    // Read at most one byte past the limit: a file that grows meanwhile is still refused.
    QByteArray bytes = f.read(kMaxMeasurementFileSize + 1);
    if (bytes.size() > kMaxMeasurementFileSize)
        throw AppError(AppError::kOutOfMemory, Translate("The file is too large for a measurement file."));
    return bytes;
}

QByteArray MemoryFiles::read(const QString& path)
{
    const auto it = files.constFind(path);
    if (it == files.cend())
        throw AppError::fileNotFound(path);
    return *it;
}

ReadContext ReadContext::fromSettings(const Settings& settings)
{
    constexpr int kDefaultMaxPoints = 2500;
    ReadContext ctx;
    ctx.maxPoints = settings.MaxPoints > 0 ? std::min(settings.MaxPoints, int32_t(kMaxPointIndex)) : kDefaultMaxPoints;
    ctx.baseTemperature = settings.BaseTemperature;
    ctx.now = [] { return NaiveNow(); };
    return ctx;
}

QDateTime ReadContext::currentTime() const
{
    return now ? now() : NaiveNow();
}

QByteArray ReadContext::read(const QString& path) const
{
    if (!files)
        throw AppError::fileNotFound(path);
    return files->read(path);
}

} // namespace sarvo::files
