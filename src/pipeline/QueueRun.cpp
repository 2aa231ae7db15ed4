#include "pipeline/QueueRun.h"

#include "core/Estimate.h"
#include "pipeline/ScriptRun.h"
#include "pipeline/Steps.h"
#include "pipeline/VideosEstimate.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

QueueRun::QueueRun(StepHost& host, const WorkFolder& work, VideoQueue& queue,
                   std::function<RunInputs()> now, QObject* parent)
    : Job(parent)
    , m_host(host)
    , m_work(work)
    , m_queue(queue)
    , m_now(std::move(now)) {}

QString summary(const VideoQueue& queue) {
    int done = 0, failed = 0;
    for (const QueueItem& item : queue.items()) {
        done += item.state == QueueItem::State::Done;
        failed += item.state == QueueItem::State::Failed;
    }
    return QCoreApplication::translate("QueueRun", "%1 done, %2 failed").arg(done).arg(failed);
}

QueueItem* QueueRun::running() {
    const int row = m_queue.row(m_running);
    return row < 0 ? nullptr : &m_queue.at(row);
}

// The cost of every video left, unless none of them can cost anything.
void QueueRun::begin() {
    QList<RunInputs> videos;
    bool paid = !offlineVoice();
    const RunInputs now = m_now();
    for (const QueueItem& item : m_queue.items()) {
        if (item.state != QueueItem::State::Waiting)
            continue;
        videos.append(queuedInputs(item.input, item.settings, now));
        paid = paid || videos.last().keepBackground;
    }
    if (videos.isEmpty() || !paid) {
        next();
        return;
    }
    m_host.showStage(tr("Working out the cost of the queue"));
    runChild(new VideosEstimate(m_work, videos), [this](VideosEstimate& estimate) {
        const JobOutcome& outcome = estimate.outcome();
        if (outcome.isStopped() || stopRequested()) {
            finish(JobOutcome::stopped());
            return;
        }
        if (!outcome.isDone()) {
            emit costKnown(tr("The cost could not be worked out: %1").arg(outcome.reason));
            next();
            return;
        }
        const Estimate& total = estimate.total();
        emit costKnown(tr("The queue: %1").arg(costLines(total).join(QLatin1Char('\n'))));
        if (!total.exceedsCredits()) {
            if (total.credits == 0) {
                next();
                return;
            }
            // Asked once for the whole queue; its videos do not ask again.
            m_host.askCost(costLines(total), total.credits,
                           [self = QPointer<QueueRun>(this)](bool yes) {
                               if (!self || self->isFinished())
                                   return;
                               if (yes)
                                   self->next();
                               else
                                   self->finish(JobOutcome::stopped());
                           });
            return;
        }
        // The answer may come after the queue was stopped and deleted.
        m_host.ask(tr("The queue needs about %1 credits, but the account has %2 left; it would "
                      "stop part-way.\n\nStart it anyway?")
                       .arg(total.credits)
                       .arg(*total.creditsLeft),
                   [self = QPointer<QueueRun>(this)](bool yes) {
                       if (!self || self->isFinished())
                           return;
                       if (yes)
                           self->next();
                       else
                           self->finish(JobOutcome::failed(tr("too few credits")));
                   });
    });
}

void QueueRun::next() {
    const std::optional<int> row = m_queue.next();
    if (!row || stopRequested()) {
        if (!stopRequested())
            m_host.playSound(m_work.completeSound());
        finish(stopRequested() ? JobOutcome::stopped()
               : m_anyFailed   ? JobOutcome::failed(summary(m_queue))
                               : JobOutcome::done());
        return;
    }
    QueueItem& item = m_queue.at(*row);
    item.state = QueueItem::State::Running;
    item.stage.clear();
    item.percent = -1;
    item.reason.clear();
    m_running = item.id;
    m_message.clear();
    emit changed();
    RunInputs inputs = queuedInputs(item.input, item.settings, m_now());
    inputs.unattended = true;
    for (const QueueItem& other : m_queue.items())
        if (other.state == QueueItem::State::Done && !other.output.isEmpty())
            inputs.takenOutputs.append(other.output);
    runChild(new FullAutoRun(StepContext{*this, m_work, inputs}),
             [this](FullAutoRun& run) { videoEnded(run.outcome(), run.output()); });
}

void QueueRun::videoEnded(const JobOutcome& outcome, const QString& output) {
    if (QueueItem* item = running()) {
        item->percent = -1;
        if (outcome.isStopped()) {
            item->state = QueueItem::State::Stopped;
        } else if (outcome.isDone()) {
            item->state = QueueItem::State::Done;
            item->output = output;
        } else {
            item->state = QueueItem::State::Failed;
            item->reason = (m_message.isEmpty() ? outcome.reason : m_message).simplified();
        }
    }
    m_anyFailed = m_anyFailed || (!outcome.isDone() && !outcome.isStopped());
    m_running = 0;
    emit changed();
    if (outcome.isStopped() || m_stopAfter) {
        m_stopAfter = false;
        finish(JobOutcome::stopped());
        return;
    }
    next();
}

void QueueRun::showMessage(const QString& text) {
    if (m_message.isEmpty())
        m_message = text;
    m_host.log(Log::Auto, text.simplified());
}

void QueueRun::showStage(const QString& stage) {
    if (QueueItem* item = running()) {
        item->stage = stage;
        item->percent = -1;
        emit changed();
    }
    m_host.showStage(position() + stage);
}

void QueueRun::showProgress(double fraction, const QString& detail) {
    if (QueueItem* item = running()) {
        const int percent = int(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
        if (percent != item->percent) {
            item->percent = percent;
            emit changed();
        }
    }
    m_host.showProgress(fraction, detail.isEmpty() ? detail : position() + detail);
}

QString QueueRun::position() const {
    return tr("Video %1 of %2: ").arg(m_queue.row(m_running) + 1).arg(m_queue.size());
}
