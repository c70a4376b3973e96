#include "core/library_binding.h"

#include "core/app_error.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace sarvo {

LibraryBinding::LibraryBinding(QString libraryFileName, std::vector<const char*> exportNames)
    : fileName_(std::move(libraryFileName)), names_(std::move(exportNames)), entries_(names_.size(), nullptr)
{
}

void LibraryBinding::setPath(const QString& path)
{
    std::lock_guard lock(mutex_);
    path_ = path;
    // Dropping the handle does not unload: entries handed out before stay valid.
    library_.reset();
    entries_.assign(names_.size(), nullptr);
}

QString LibraryBinding::libraryFile() const
{
    std::lock_guard lock(mutex_);
    return resolveFile();
}

QFunctionPointer LibraryBinding::entry(std::size_t which)
{
    std::lock_guard lock(mutex_);
    QFunctionPointer& slot = entries_.at(which);
    if (slot)
        return slot;
    if (!library_) {
        auto library = std::make_unique<QLibrary>(resolveFile());
        // Every symbol resolved now and nothing exported to later libraries.
        library->setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!library->load())
            throw AppError::standard(AppError::kDllLoadError, library->fileName());
        library_ = std::move(library);
    }
    const char* name = names_[which];
    slot = library_->resolve(name);
    if (!slot)
        throw AppError::standard(AppError::kDllFunctionNotFound, QString::fromLatin1(name));
    return slot;
}

QString LibraryBinding::resolveFile() const
{
    if (path_.isEmpty())
        return QCoreApplication::applicationDirPath() + "/" + fileName_;
    const QFileInfo info(path_);
    if (info.isDir())
        return info.absoluteFilePath() + "/" + fileName_;
    return info.absoluteFilePath();
}

} // namespace sarvo
