#pragma once
// A shared library of our own bound by name at the first call, as the computation library and
// the counter-card library are: the file is found by absolute path only (never the working
// folder or the loader's search path), each export is resolved once, and a missing library or
// export is the run-time error the calling procedure reports (48 or 453).

#include <QLibrary>
#include <QString>

#include <memory>
#include <mutex>
#include <vector>

namespace sarvo {

class LibraryBinding {
public:
    LibraryBinding(QString libraryFileName, std::vector<const char*> exportNames);

    // A folder to find the library in, or the library file itself; empty: the program's folder.
    // A library bound before stays mapped, since a caller may still hold one of its entries.
    void setPath(const QString& path);
    // The file the next binding loads.
    QString libraryFile() const;
    // Export number `which` of the names given, bound first if needed; throws AppError.
    QFunctionPointer entry(std::size_t which);

private:
    QString resolveFile() const;

    const QString fileName_;
    const std::vector<const char*> names_;
    mutable std::mutex mutex_;
    QString path_;
    std::unique_ptr<QLibrary> library_;
    std::vector<QFunctionPointer> entries_;
};

} // namespace sarvo
