// Windows: the child leads a console process group of its own (for CTRL+BREAK) and sits in a job
// object that kills on close (for the firm end), which the processes it starts join. This
// program sits in such a job too, so nothing outlives it, however it ends.
#include "platform/ProcessTree.h"

#include "platform/win32/Win32Api.h"

#include <QProcess>
#include <QString>

ProcessTree::~ProcessTree() {
    // Closing the job kills what is left of the tree: the owner gave up on the run.
    win32::closeHandle(m_job);
}

void ProcessTree::prepare(QProcess& process) {
    win32::joinProgramJob();
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
        arguments->flags = win32::treeCreationFlags(arguments->flags);
    });
}

void ProcessTree::adopt(qint64 processId) {
    win32::closeHandle(m_job); // a tree adopted before has ended by now
    m_root = processId;
    std::uint32_t error = 0;
    m_job = win32::createTreeJob(static_cast<std::uint32_t>(processId), &error);
    // Without a job, kill() ends only the root; the program's own job still ends the rest when
    // this program ends.
    if (!m_job)
        qWarning("Process %lld is not held in a job, its children cannot be stopped with it: %ls",
                 processId, qUtf16Printable(QString::fromStdWString(win32::errorText(error))));
}

void ProcessTree::interrupt() {
    // ffmpeg takes CTRL+BREAK as it takes SIGTERM and finishes its file; convert.py handles
    // SIGBREAK. Should it not arrive, the firm end follows after the grace time.
    if (m_root > 0)
        win32::sendCtrlBreak(static_cast<std::uint32_t>(m_root));
}

void ProcessTree::kill() {
    if (m_job && win32::terminateJob(m_job, 1))
        return;
    if (m_root > 0)
        win32::terminateProcess(static_cast<std::uint32_t>(m_root), 1);
}
