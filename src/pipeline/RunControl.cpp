#include "pipeline/RunControl.h"

#include <QCoreApplication>

RunControl::~RunControl() {
    delete m_job;
}

bool RunControl::start(const QString& what, Job* job) {
    if (m_job) {
        delete job;
        return false;
    }
    job->setParent(this);
    m_job = job;
    m_what = what;
    connect(job, &Job::finished, this, [this, job](const JobOutcome& outcome) {
        const QString what = m_what;
        m_job = nullptr;
        m_what.clear();
        job->deleteLater();
        emit ended(what, outcome);
    });
    emit started(what);
    job->start();
    return true;
}

void RunControl::stop() {
    if (m_job)
        m_job->stop();
}

void RunControl::stopNow() {
    if (m_job)
        m_job->stopNow();
}

QString stopNowQuestion(int paid) {
    return paid == 1
               ? QCoreApplication::translate("RunControl",
                                             "Stop now? 1 answer already paid for will be lost.")
               : QCoreApplication::translate("RunControl",
                                             "Stop now? %1 answers already paid for will be lost.")
                     .arg(paid);
}
