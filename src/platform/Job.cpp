#include "platform/Job.h"

#include <QMetaObject>

void Job::start() {
    if (m_started)
        return;
    m_started = true;
    begin();
}

void Job::stop() {
    if (m_finished || m_stopRequested)
        return;
    m_stopRequested = true;
    if (m_started)
        halt();
    else
        finish(JobOutcome::stopped());
}

void Job::finish(const JobOutcome& outcome) {
    if (m_finished)
        return;
    m_finished = true;
    m_outcome = outcome;
    // Always from the event loop: the caller of start() or stop() may be the owner's slot.
    QMetaObject::invokeMethod(
        this, [this] { emit finished(m_outcome); }, Qt::QueuedConnection);
}
