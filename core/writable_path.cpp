#include "core/writable_path.h"

#include <QFileInfo>

namespace sarvo {

bool IsWritablePath(const QString& path)
{
    QFileInfo info(path);
    bool created = false;
    while (!info.exists()) {
        const QString above = info.absolutePath();
        if (above == info.absoluteFilePath())
            return false;
        info = QFileInfo(above);
        created = true;
    }
    return (!created || info.isDir()) && info.isWritable() && info.permission(QFileDevice::WriteOwner);
}

} // namespace sarvo
