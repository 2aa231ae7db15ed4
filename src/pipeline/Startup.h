#pragma once

#include "pipeline/WorkFolder.h"

#include <QString>

#include <memory>

class QLockFile;

// What must hold before the window shows: ffmpeg in its place, a working folder the program can
// write to, and no other copy of the program working in it.
class Startup {
public:
    enum class Result { Ready, NoFfmpeg, FolderNotWritable, AlreadyRunning };

    explicit Startup(const WorkFolder& work);
    ~Startup();

    // Checks in that order; once Ready, the folder is this copy's until `release`. Nothing is
    // written or deleted when a check fails, but for an installed program's working folder,
    // which is made where it is missing.
    Result check();
    // What to tell the user for a result other than Ready.
    QString message(Result result) const;
    void release();

private:
    WorkFolder m_work;
    std::unique_ptr<QLockFile> m_lock;
};
