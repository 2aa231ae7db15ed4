#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// How a job ended.
struct JobOutcome {
    enum class Kind { Done, Failed, Stopped };
    Kind kind = Kind::Done;
    QString reason;      // why it failed, in a sentence; empty otherwise
    bool forNow = false; // failed for now only: the same may work later (the service was busy)

    static JobOutcome done() { return {}; }
    static JobOutcome failed(const QString& reason, bool forNow = false) {
        return {Kind::Failed, reason, forNow};
    }
    static JobOutcome stopped() { return {Kind::Stopped, {}}; }
    bool isDone() const { return kind == Kind::Done; }
    bool isStopped() const { return kind == Kind::Stopped; }
};

// A piece of work that runs on the event loop and says once how it ended. Its owner calls
// `start()` and later, perhaps, `stop()`; `finished` follows exactly once, always from the event
// loop (never from inside `start()` or `stop()`), so the owner may delete the job in its slot.
//
// A job does its work through child jobs run one after another or side by side (`runChild`):
// Stop reaches them, and a child is never started once a stop was asked for, however close the
// stop came after the end of the child before.
class Job : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void start();
    // Asks the work to end soon; `finished` then says Stopped, unless the work ended otherwise
    // first. Work already paid for (a request the voice service has taken) is let to end, so its
    // answer is kept; `paidPending()` says how much of it the stop waits for.
    void stop();
    // Ends the work at once, paid work too.
    void stopNow();

    bool isStarted() const { return m_started; }
    bool isFinished() const { return m_finished; }
    bool stopRequested() const { return m_stopRequested; }
    const JobOutcome& outcome() const { return m_outcome; }
    // Requests at the voice service, or answers of it not yet kept, that this job (with its
    // children) lets end before it stops: what `stopNow()` would lose.
    virtual int paidPending() const;

signals:
    void finished(const JobOutcome& outcome);

protected:
    // The work itself; it ends, now or later, with `finish`.
    virtual void begin() = 0;
    // Makes running work end soon: its children get their stop, and the work then finishes as
    // Stopped. Without children it finishes at once.
    virtual void halt();
    // The same at once, paid work included. By default the children stop at once, and a job
    // without children halts.
    virtual void haltNow();
    // Ends the job; only the first call counts.
    void finish(const JobOutcome& outcome);

    // Runs `job` as this job's child: Stop reaches it, and `then` gets it once it ended, after
    // which it is deleted. A stop asked for before ends this job as stopped instead (nullptr).
    template <typename J, typename Then> J* runChild(J* job, Then then) {
        return static_cast<J*>(adopt(job, [then](Job& done) { then(static_cast<J&>(done)); }));
    }
    bool childrenRunning() const { return !m_children.isEmpty(); }
    const QList<Job*>& children() const { return m_children; }
    // Stops the children but `spared`, which are let to end.
    void stopChildren(const QList<Job*>& spared = {});

private:
    Job* adopt(Job* job, std::function<void(Job&)> then);

    QList<Job*> m_children;
    JobOutcome m_outcome;
    bool m_started = false;
    bool m_stopRequested = false;
    bool m_finished = false;
};
