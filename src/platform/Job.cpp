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

void Job::stopNow() {
    if (m_finished)
        return;
    m_stopRequested = true;
    if (m_started)
        haltNow();
    else
        finish(JobOutcome::stopped());
}

int Job::paidPending() const {
    int paid = 0;
    for (const Job* child : m_children)
        paid += child->paidPending();
    return paid;
}

void Job::halt() {
    if (m_children.isEmpty())
        finish(JobOutcome::stopped());
    else
        stopChildren();
}

void Job::haltNow() {
    if (m_children.isEmpty()) {
        halt();
        return;
    }
    for (Job* child : QList<Job*>(m_children))
        child->stopNow();
}

void Job::stopChildren(const QList<Job*>& spared) {
    for (Job* child : QList<Job*>(m_children))
        if (!spared.contains(child))
            child->stop();
}

Job* Job::adopt(Job* job, std::function<void(Job&)> then) {
    if (m_stopRequested || m_finished) {
        delete job;
        finish(JobOutcome::stopped());
        return nullptr;
    }
    job->setParent(this);
    m_children.append(job);
    connect(job, &Job::finished, this, [this, job, then] {
        m_children.removeOne(job);
        job->deleteLater();
        then(*job);
    });
    job->start();
    return job;
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
