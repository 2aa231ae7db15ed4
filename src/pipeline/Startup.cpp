#include "pipeline/Startup.h"

#include "platform/PathTools.h"
#include "platform/RunLock.h"

#include <QCoreApplication>
#include <QLockFile>

Startup::Startup(const WorkFolder& work)
    : m_work(work) {}

Startup::~Startup() = default;

Startup::Result Startup::check() {
    const PathTools paths;
    if (!paths.FileExists(m_work.ffmpeg()))
        return Result::NoFfmpeg;
    // Every step writes into the working folder; without write access each would fail later
    // with an unrelated ffmpeg error. An installed program's is made at its first start.
    if (m_work.installed() && !paths.FolderExists(m_work.root()))
        paths.CreateFolder(m_work.root());
    if (!paths.FolderIsWritable(m_work.root()))
        return Result::FolderNotWritable;
    // Two copies on one folder would delete each other's working files.
    m_lock = takeRunLock(m_work.lockFile());
    if (!m_lock)
        return Result::AlreadyRunning;
    return Result::Ready;
}

QString Startup::message(Result result) const {
    switch (result) {
    case Result::Ready:
    case Result::NoFfmpeg: // said on the command line, where the program was started
        break;
    case Result::FolderNotWritable:
        if (m_work.installed())
            return QCoreApplication::translate(
                       "Startup", "voxsplice cannot write to its working folder:\n%1\n\nIt keeps "
                                  "its working files there. Check that the folder is yours and "
                                  "that its disk is not full or read-only.")
                .arg(m_work.root());
        return QCoreApplication::translate(
                   "Startup",
                   "voxsplice cannot write to its folder:\n%1\n\nIt keeps its working files next "
                   "to the program. Put the program folder somewhere you can write to, for "
                   "instance in your home folder, and start it from there.")
            .arg(m_work.root());
    case Result::AlreadyRunning:
        return QCoreApplication::translate(
                   "Startup", "voxsplice is already running from this folder:\n%1\n\nBoth would "
                              "use the same working files. Use the window that is open, or close "
                              "it first.")
            .arg(m_work.root());
    }
    return {};
}

void Startup::release() {
    m_lock.reset();
}
