#include "app/app_paths.h"

#include "core/language_db.h"
#include "core/writable_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace sarvo {

namespace {
QString withSlash(QString path)
{
    path = QDir::fromNativeSeparators(path);
    if (!path.endsWith('/'))
        path += '/';
    return path;
}
} // namespace

QString ResolveAppPath(const QString& executableFolder)
{
    const QString home = qEnvironmentVariable("SARVOTEX_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return withSlash(QDir(home).absolutePath());
    }
    const QFileInfo exe(executableFolder);
    // A read-only program folder stays so, also for root.
    if (exe.isDir() && IsWritablePath(executableFolder))
        return withSlash(exe.absoluteFilePath());
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return withSlash(data);
}

std::optional<AppError> ProgramFolderFault(const QString& appPath)
{
    const QFileInfo folder(appPath.endsWith('/') && appPath.size() > 1 ? appPath.chopped(1) : appPath);
    if (folder.isDir())
        return std::nullopt;
    const QString shown = QDir::toNativeSeparators(folder.absoluteFilePath());
    const QString text = folder.exists() ? Translate(QStringLiteral("The program folder is not a folder:"))
                                         : Translate(QStringLiteral("The program folder cannot be created:"));
    return AppError(AppError::kPathNotFound, text + u' ' + shown);
}

void ProvideShippedFiles(const QString& appPath, const QString& executableFolder)
{
    const QString source = withSlash(executableFolder);
    if (QDir(source) == QDir(appPath) || !IsWritablePath(appPath))
        return;
    for (const char* name : {"Lang.db", "Sarvotex.db", "logo.wmf"}) {
        const QString target = appPath + QString::fromLatin1(name);
        if (!QFileInfo::exists(target) && QFileInfo::exists(source + QString::fromLatin1(name))) {
            QFile::copy(source + QString::fromLatin1(name), target);
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        }
    }
}

} // namespace sarvo
