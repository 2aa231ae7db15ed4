// Linux and other Unix-like systems: the child leads a process group of its own, which its
// children join; on Linux it also dies with this program (the parent-death signal), and the
// children that it starts do the same where it asks for it (convert.py does).
#include "platform/ProcessTree.h"

#include <QProcess>

#include <csignal>
#include <unistd.h>
#if defined(Q_OS_LINUX)
#include <sys/prctl.h>
#endif

ProcessTree::~ProcessTree() = default;

void ProcessTree::prepare(QProcess& process) {
    const pid_t parent = ::getpid();
    // Runs in the child between fork and exec: only async-signal-safe calls.
    process.setChildProcessModifier([parent] {
        ::setpgid(0, 0);
#if defined(Q_OS_LINUX)
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) // this program died before the signal was armed
            ::_exit(127);
#else
        Q_UNUSED(parent);
#endif
    });
}

void ProcessTree::adopt(qint64 processId) {
    m_root = processId;
}

void ProcessTree::interrupt() {
    if (m_root > 0)
        ::kill(-static_cast<pid_t>(m_root), SIGTERM);
}

void ProcessTree::kill() {
    if (m_root > 0)
        ::kill(-static_cast<pid_t>(m_root), SIGKILL);
}
