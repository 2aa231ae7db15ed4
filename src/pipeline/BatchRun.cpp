#include "pipeline/BatchRun.h"

#include "core/Progress.h"
#include "pipeline/ScriptRun.h"
#include "pipeline/Steps.h"

#include <algorithm>
#include <cmath>

BatchRun::BatchRun(StepHost& host, const WorkFolder& work, VideoQueue& queue,
                   std::function<RunInputs(const QueueItem&)> inputs, QObject* parent)
    : Job(parent)
    , ForwardingHost(host)
    , m_work(work)
    , m_queue(queue)
    , m_inputs(std::move(inputs)) {}

void BatchRun::begin() {
    m_clock.start();
    if (!m_asking) {
        next();
        return;
    }
    host().showStage(tr("Working out the cost"));
    reckonCost(*m_asking, [this] { next(); });
}

QList<RunInputs> BatchRun::waitingVideos() const {
    QList<RunInputs> videos;
    for (const QueueItem& item : m_queue.items())
        if (item.state == QueueItem::State::Waiting)
            videos.append(m_inputs(item));
    return videos;
}

void BatchRun::reckonCost(CostQuestion::Asking asking, const std::function<void()>& then) {
    const QList<RunInputs> videos = waitingVideos();
    // The offline voice costs nothing; only the service's isolator would.
    const bool paid = std::any_of(videos.begin(), videos.end(), [](const RunInputs& video) {
        return !offlineVoice() || video.keepBackground;
    });
    if (!paid) {
        then();
        return;
    }
    asking.say = [this](const QStringList& lines) { emit costKnown(lines); };
    runChild(new CostQuestion(*this, m_work, videos, asking), [this, then](CostQuestion& question) {
        if (!question.outcome().isDone()) {
            finish(question.outcome());
            return;
        }
        if (!question.cost())
            emit costUnknown(question.unknownLine());
        then();
    });
}

void BatchRun::next() {
    const std::optional<int> row = m_queue.next();
    if (!row || stopRequested()) {
        end();
        return;
    }
    const QueueItem& item = m_queue.at(*row);
    m_queue.setState(*row, QueueItem::State::Running);
    m_running = item.id;
    m_message.clear();
    m_fraction = 0;
    emit videoStarted(*row);
    RunInputs inputs = m_inputs(item);
    inputs.unattended = true;
    for (const QueueItem& other : m_queue.items())
        if (other.state == QueueItem::State::Done && !other.output.isEmpty())
            inputs.takenOutputs.append(other.output);
    runChild(new FullAutoRun(StepContext{*this, m_work, inputs}),
             [this](FullAutoRun& run) { videoFinished(run.outcome(), run.output()); });
}

void BatchRun::videoFinished(const JobOutcome& outcome, const QString& output) {
    const int row = running();
    if (row >= 0) {
        if (outcome.isStopped())
            m_queue.setState(row, QueueItem::State::Stopped);
        else if (outcome.isDone())
            m_queue.setState(row, QueueItem::State::Done, output);
        else
            m_queue.setState(row, QueueItem::State::Failed, QString(),
                             (m_message.isEmpty() ? outcome.reason : m_message).simplified());
    }
    if (!outcome.isDone() && !outcome.isStopped()) {
        ++m_failed;
        m_failedForNow += outcome.forNow;
    }
    ++m_ended;
    m_running = 0;
    m_fraction = 0;
    if (row >= 0)
        emit videoEnded(row, outcome);
    if (outcome.isStopped() || stopRequested()) {
        finish(JobOutcome::stopped());
        return;
    }
    if (m_stopAfter) {
        end();
        return;
    }
    if (m_costAfterEach && m_queue.hasWork()) {
        CostQuestion::Asking said;
        said.agreed = true;
        reckonCost(said, [this] { next(); });
        return;
    }
    next();
}

void BatchRun::end() {
    m_stopAfter = false;
    if (stopRequested() || m_queue.hasWork()) {
        finish(JobOutcome::stopped());
        return;
    }
    host().playSound(m_work.completeSound());
    finish(m_failed == 0 ? JobOutcome::done()
                         : JobOutcome::failed(m_queue.summary(), m_failedForNow == m_failed));
}

std::optional<double> BatchRun::secondsLeft() const {
    const int left = m_queue.count(QueueItem::State::Waiting) + (m_running != 0);
    if (!m_clock.isValid() || left == 0)
        return std::nullopt;
    const double done = m_ended + m_fraction;
    return estimateSecondsLeft(double(m_clock.elapsed()) / 1000, done / (m_ended + left));
}

void BatchRun::showMessage(const QString& text) {
    if (m_message.isEmpty())
        m_message = text;
    host().showMessage(text);
}

void BatchRun::showStage(const QString& stage) {
    if (const int row = running(); row >= 0)
        m_queue.setStage(row, stage, -1);
    host().showStage(stage);
}

void BatchRun::showProgress(double fraction, const QString& detail) {
    m_fraction = std::clamp(fraction, 0.0, 1.0);
    // Full Auto names its stage first: "AI Conversion: 2 of 5 done".
    if (const int row = running(); row >= 0)
        m_queue.setStage(row,
                         detail.isEmpty() ? m_queue.at(row).stage
                                          : detail.section(QStringLiteral(": "), 0, 0),
                         int(std::floor(m_fraction * 100)));
    host().showProgress(fraction, detail);
}
