#pragma once

#include "core/VideoQueue.h"
#include "pipeline/CostQuestion.h"
#include "pipeline/ForwardingHost.h"
#include "pipeline/RunInputs.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"

#include <QElapsedTimer>

#include <functional>
#include <optional>

// Videos through Full Auto one after another: the window's queue and a command line's videos.
// Each waiting video of `queue` runs in turn, in one working folder, with what `inputs` makes of
// it as it starts; the queue holds each video's state, stage, output and reason, and this run
// changes them. Before the first, what all of them cost is worked out, said (`costKnown`) and
// asked about as the owner says. A video that fails does not stop the next; Stop stops the one
// that runs and the rest; "stop after the current one" lets it end first. Done when every video
// is done; failed when any failed (failed for now only when each did so for now).
class BatchRun : public Job, private ForwardingHost {
    Q_OBJECT
public:
    // Message boxes, questions and the logs of the videos go to `host`; no video rings the chime
    // of its own, the run does once it ends.
    BatchRun(StepHost& host, const WorkFolder& work, VideoQueue& queue,
             std::function<RunInputs(const QueueItem&)> inputs, QObject* parent = nullptr);

    // Before start(): how the cost of the waiting videos is asked about (its `say` is the
    // run's: `costKnown`). Without it, nothing is worked out or asked before the first video.
    void askCost(const CostQuestion::Asking& asking) { m_asking = asking; }
    // Before start(): after each video, what those left cost is worked out and said again.
    void sayCostAfterEachVideo() { m_costAfterEach = true; }

    void setStopAfterCurrent(bool stop) { m_stopAfter = stop; }
    bool stopsAfterCurrent() const { return m_stopAfter; }
    // The seconds left until every video of this run has run, once they can be told.
    std::optional<double> secondsLeft() const;

signals:
    void videoStarted(int row);
    // The video ended; the queue holds its new state.
    void videoEnded(int row, const JobOutcome& outcome);
    // What the videos left cost, or why that could not be worked out.
    void costKnown(const QStringList& lines);
    void costUnknown(const QString& line);

protected:
    void begin() override;

private:
    QList<RunInputs> waitingVideos() const;
    // Works out and says what the waiting videos cost, asking about it unless it was agreed to;
    // `then` runs once the run may go on.
    void reckonCost(CostQuestion::Asking asking, const std::function<void()>& then);
    void next();
    void videoFinished(const JobOutcome& outcome, const QString& output);
    void end();
    int running() const { return m_queue.row(m_running); }

    // ForwardingHost: the running video's stage and progress noted in the queue, what a message
    // box would have said kept as its reason.
    void showMessage(const QString& text) override;
    void playSound(const QString&) override {}
    void showStage(const QString& stage) override;
    void showProgress(double fraction, const QString& detail = QString()) override;

    WorkFolder m_work;
    VideoQueue& m_queue;
    std::function<RunInputs(const QueueItem&)> m_inputs;
    std::optional<CostQuestion::Asking> m_asking;
    bool m_costAfterEach = false;
    qint64 m_running = 0; // the id of the video that runs
    QString m_message;    // what a box would have said about it
    bool m_stopAfter = false;
    int m_failed = 0;
    int m_failedForNow = 0; // of them, those that may do better later
    int m_ended = 0;        // videos this run ran
    double m_fraction = 0;  // of the running video
    QElapsedTimer m_clock;
};
