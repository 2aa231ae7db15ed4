#pragma once

#include "platform/Job.h"

#include <QObject>
#include <QPointer>
#include <QString>

// The one place that knows whether something runs: a step, the Full Auto run or a tool of the
// Tools menu. One runs at a time; the window shows what `started` and `ended` say.
class RunControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~RunControl() override;

    // Starts `job`, named `what` for the user, and takes it over. False, with the job deleted,
    // when something runs already.
    bool start(const QString& what, Job* job);
    // Asks the running job to stop; `ended` follows. Paid work is let to end first.
    void stop();
    // Ends the running job at once, paid work too.
    void stopNow();

    bool isRunning() const { return m_job != nullptr; }
    // A stop was asked for and the job has not ended yet.
    bool isStopping() const { return m_job && m_job->stopRequested(); }
    // The answers of the voice service that the stop waits for (Job::paidPending).
    int paidPending() const { return m_job ? m_job->paidPending() : 0; }
    const QString& running() const { return m_what; }

signals:
    void started(const QString& what);
    void ended(const QString& what, const JobOutcome& outcome);

private:
    QPointer<Job> m_job;
    QString m_what;
};

// The question a second Stop asks while the first waits for answers already paid for.
QString stopNowQuestion(int paid);
