#pragma once

#include "platform/Platform.h"

#include <QString>

// Starts outside programs without waiting for them: a program, or the file manager on a folder.
// Tests replace it to record what would start.
class Launcher {
public:
    virtual ~Launcher() = default;
    // The process number, 0 when nothing started.
    virtual qint64 startProgram(const QString& program, WindowStyle style) {
        return ::startProgram(program, style);
    }
    // False when nothing started.
    virtual bool openFolder(const QString& folder) { return ::openFolder(folder); }
    virtual bool openFile(const QString& file) { return ::openFile(file); }
};
