#include "platform/RunLock.h"

#include <QLockFile>

std::unique_ptr<QLockFile> takeRunLock(const QString& lockFile) {
    auto lock = std::make_unique<QLockFile>(lockFile);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}
