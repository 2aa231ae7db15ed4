#pragma once

#include <QString>

#include <memory>

class QLockFile;

// The lock of a working folder, held while a window or a command-line run works in it. A lock
// whose holder died (on this machine) is taken over; a live holder's is never, however long it
// has held it (QLockFile would take any lock older than 30 s by default).
std::unique_ptr<QLockFile> takeRunLock(const QString& lockFile);
