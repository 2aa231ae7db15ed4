// Windows: the child leads a console process group of its own (for CTRL+BREAK), on this
// program's console when it has one, and sits in a job object that kills on close (for the firm
// end), which the processes it starts join; it starts suspended and runs only once it sits there.
// This program sits in such a job too, so nothing outlives it, however it ends. The root is reached
// through a handle held from its adoption to the end of the tree, never by its bare process id,
// which another program may have by then.
#include "platform/ProcessTree.h"

#include "platform/SystemText_win.h"
#include "platform/win32/Win32Api.h"

#include <QProcess>
#include <QString>

namespace {

// Told once: without the program's job, children that sit in no tree's job (a tree whose job
// could not be made) may outlive this program.
void joinProgramJob() {
    static const bool told = [] {
        if (const std::uint32_t code = win32::joinProgramJob())
            qWarning("This program is not held in a job, programs it starts may outlive it: %ls",
                     qUtf16Printable(systemText(code)));
        return true;
    }();
    Q_UNUSED(told);
}

} // namespace

ProcessTree::~ProcessTree() {
    // Closing the job kills what is left of the tree: the owner gave up on the run.
    release();
}

void ProcessTree::release() {
    win32::closeHandle(m_job);
    win32::closeHandle(m_process);
    m_job = nullptr;
    m_process = nullptr;
}

void ProcessTree::prepare(QProcess& process) {
    joinProgramJob();
    m_child = &process;
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
        arguments->flags = win32::treeCreationFlags(arguments->flags);
    });
}

void ProcessTree::adopt(qint64 processId) {
    release(); // a tree adopted before has ended by now
    m_root = processId;
    const auto id = static_cast<std::uint32_t>(processId);
    std::uint32_t error = 0;
    m_process = win32::openProcess(id, &error);
    if (m_process)
        m_job = win32::createTreeJob(m_process, &error);
    // Without a job, kill() ends only the root; the program's own job still ends the rest when
    // this program ends.
    if (!m_job)
        qWarning("Process %lld is not held in a job, its children cannot be stopped with it: %ls",
                 processId, qUtf16Printable(systemText(error)));
    // Started suspended, it runs from here on, in its job or not. One that cannot run would
    // never end: it is ended at once.
    if (const std::uint32_t code = win32::resumeProcess(id)) {
        qWarning("Process %lld could not be resumed and is ended: %ls", processId,
                 qUtf16Printable(systemText(code)));
        kill();
    }
}

void ProcessTree::interrupt() {
    // ffmpeg takes CTRL+BREAK as it takes SIGTERM and finishes its file; convert.py handles
    // SIGBREAK. Should it not arrive, the firm end follows after the grace time. The id still
    // names the root's group: the handle held keeps it from going to another process. This
    // program keeps its console and its answer to Ctrl+C.
    if (!m_process)
        return;
    if (const std::uint32_t code = win32::sendCtrlBreak(static_cast<std::uint32_t>(m_root)))
        qWarning("CTRL+BREAK did not reach process %lld, it is ended after the grace time: %ls",
                 m_root, qUtf16Printable(systemText(code)));
}

void ProcessTree::kill() {
    if (m_job) {
        const std::uint32_t code = win32::terminateJob(m_job, 1);
        if (code == 0)
            return;
        qWarning("The job of process %lld could not end it and its children: %ls", m_root,
                 qUtf16Printable(systemText(code)));
    }
    if (!m_process) {
        // No handle of its own: the one QProcess holds while the root runs.
        if (m_child)
            m_child->kill();
        return;
    }
    if (const std::uint32_t code = win32::terminateProcess(m_process, 1))
        qWarning("Process %lld could not be ended: %ls", m_root, qUtf16Printable(systemText(code)));
}
