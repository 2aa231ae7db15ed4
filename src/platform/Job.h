#pragma once

#include <QObject>
#include <QString>

// How a job ended.
struct JobOutcome {
    enum class Kind { Done, Failed, Stopped };
    Kind kind = Kind::Done;
    QString reason; // why it failed, in a sentence; empty otherwise

    static JobOutcome done() { return {}; }
    static JobOutcome failed(const QString& reason) { return {Kind::Failed, reason}; }
    static JobOutcome stopped() { return {Kind::Stopped, {}}; }
    bool isDone() const { return kind == Kind::Done; }
    bool isStopped() const { return kind == Kind::Stopped; }
};

// A piece of work that runs on the event loop and says once how it ended. Its owner calls
// `start()` and later, perhaps, `stop()`; `finished` follows exactly once, always from the event
// loop (never from inside `start()` or `stop()`), so the owner may delete the job in its slot.
class Job : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void start();
    // Asks the work to end soon; `finished` then says Stopped, unless the work ended otherwise
    // first.
    void stop();

    bool isStarted() const { return m_started; }
    bool isFinished() const { return m_finished; }
    bool stopRequested() const { return m_stopRequested; }
    const JobOutcome& outcome() const { return m_outcome; }

signals:
    void finished(const JobOutcome& outcome);

protected:
    // The work itself; it ends, now or later, with `finish`.
    virtual void begin() = 0;
    // Makes running work end soon (its children get their stop); the work then finishes as
    // Stopped. The default, for work that waits on nothing, finishes at once.
    virtual void halt() { finish(JobOutcome::stopped()); }
    // Ends the job; only the first call counts.
    void finish(const JobOutcome& outcome);

private:
    JobOutcome m_outcome;
    bool m_started = false;
    bool m_stopRequested = false;
    bool m_finished = false;
};
