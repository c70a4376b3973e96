#include "files/read_context.h"

#include "core/case.h"
#include "core/dates.h"
#include "core/language_db.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

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

ReadResult ReadResult::noMachineChosen(const QString& fileName)
{
    return refused(fileName + "\r\n" + Translate("The file was not read because no machine was chosen for it."),
                   MessageIcon::Information);
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

namespace {
void sortByName(QStringList& paths)
{
    std::sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
}
} // namespace

QStringList DiskFiles::list(const QString& folder, const QString& wildcard)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({wildcard}, QDir::Files))
        paths << dir.filePath(name);
    sortByName(paths);
    return paths;
}

QStringList MemoryFiles::list(const QString& folder, const QString& wildcard)
{
    const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(wildcard),
                                     QRegularExpression::CaseInsensitiveOption);
    QStringList paths;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString& path = it.key();
        if (path.startsWith(folder) && !path.mid(folder.size()).contains(u'/') && pattern.match(path.mid(folder.size())).hasMatch())
            paths << path;
    }
    sortByName(paths);
    return paths;
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

QStringList ReadContext::list(const QString& folder, const QString& wildcard) const
{
    return files ? files->list(folder, wildcard) : QStringList();
}

} // namespace sarvo::files
