#pragma once

#include <QtGlobal>

class QProcess;

// A child process and everything it starts, held together so that they can be stopped as one
// and never outlive this program, however it ends. One file per system implements it: a process
// group and the parent-death signal on Linux, a job object that kills on close on Windows.
class ProcessTree {
public:
    ProcessTree() = default;
    ~ProcessTree();
    ProcessTree(const ProcessTree&) = delete;
    ProcessTree& operator=(const ProcessTree&) = delete;

    // Before the start: makes the child the root of its own tree.
    void prepare(QProcess& process);
    // Right after the start: takes the tree in. On Windows the child starts suspended and runs
    // only from here on, so adopt() must follow every start that succeeded.
    void adopt(qint64 processId);
    // A polite request to end (SIGTERM to the group; CTRL+BREAK to the console group).
    void interrupt();
    // The firm end of every process in the tree.
    void kill();

private:
    qint64 m_root = 0;
    // Windows: the tree's job object, a handle of the root process, and the QProcess that runs
    // the root; release() closes the job, which ends what is left of the tree, and the handle.
    void* m_job = nullptr;
    void* m_process = nullptr;
    QProcess* m_child = nullptr;
    void release();
};
