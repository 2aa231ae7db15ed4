#pragma once

#include "core/VideoQueue.h"
#include "pipeline/RunInputs.h"
#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"

#include <QPointer>

#include <functional>

// "3 done, 1 failed": what became of the queue's videos.
QString summary(const VideoQueue& queue);

// The queue of videos: Full Auto on each video left to run, in turn, each with the settings it
// was queued with, in the window's working folder. Before the first, one line says what all of
// them cost, with the question when the credits would not do. A video that fails does not stop
// the next; Stop stops the video that runs and the queue; "Stop after this video" lets it end
// first. Done when every video is done, failed when any failed.
class QueueRun : public Job, private StepHost {
    Q_OBJECT
public:
    // `queue` outlives the run; `now` gives what the program uses at the moment a video starts
    // (the interpreter, the cache).
    QueueRun(StepHost& host, const WorkFolder& work, VideoQueue& queue,
             std::function<RunInputs()> now, QObject* parent = nullptr);

    void setStopAfterCurrent(bool stop) { m_stopAfter = stop; }
    bool stopsAfterCurrent() const { return m_stopAfter; }

signals:
    // A video's state, stage or progress changed.
    void changed();
    // What the queue costs, before the first video starts.
    void costKnown(const QString& line);

protected:
    void begin() override;

private:
    void next();
    void videoEnded(const JobOutcome& outcome, const QString& output);
    QueueItem* running();
    // "Video 2 of 5: "
    QString position() const;

    // StepHost: the window's, with the running video's stage and progress noted. Message boxes
    // become the video's reason and a line of the log: a queue runs unattended.
    void showMessage(const QString& text) override;
    void ask(const QString& question, std::function<void(bool)> answer) override {
        m_host.ask(question, std::move(answer));
    }
    void setToolOutput(const QString& text) override { m_host.setToolOutput(text); }
    void log(Log which, const QString& message) override { m_host.log(which, message); }
    void addConversionRow(const QString& text) override { m_host.addConversionRow(text); }
    void clearLog(Log which) override { m_host.clearLog(which); }
    void partsChanged() override { m_host.partsChanged(); }
    void playSound(const QString&) override {} // once, when the queue ends
    void showStage(const QString& stage) override;
    void showProgress(double fraction, const QString& detail = QString()) override;

    StepHost& m_host;
    WorkFolder m_work;
    VideoQueue& m_queue;
    std::function<RunInputs()> m_now;
    qint64 m_running = 0; // the id of the video that runs
    QString m_message;    // what a box would have said about it
    bool m_stopAfter = false;
    bool m_anyFailed = false;
};
