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
    // Asks the running job to stop; `ended` follows.
    void stop();

    bool isRunning() const { return m_job != nullptr; }
    const QString& running() const { return m_what; }

signals:
    void started(const QString& what);
    void ended(const QString& what, const JobOutcome& outcome);

private:
    QPointer<Job> m_job;
    QString m_what;
};
