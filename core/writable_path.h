#pragma once
// Whether the program may write a file or folder.

#include <QString>

namespace sarvo {

// The system lets the program write it, and the owner's write bit is set: a read-only file or
// folder stays read-only also for root, whom the file system would let write anyway. A missing
// path counts as the nearest folder above it that exists (a file above it holds no folder).
bool IsWritablePath(const QString& path);

} // namespace sarvo
