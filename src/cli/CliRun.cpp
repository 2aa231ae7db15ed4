#include "cli/CliRun.h"

#include "cli/ConsoleHost.h"
#include "pipeline/Steps.h"

#include <QDir>
#include <QFileInfo>

CliRun::CliRun(ConsoleHost& host, const WorkFolder& work, const QList<RunInputs>& videos,
               QObject* parent)
    : Job(parent)
    , m_host(host)
    , m_work(work)
    , m_videos(videos) {}

void CliRun::next() {
    if (++m_index == m_videos.size()) {
        m_host.setVideo(QString());
        const qsizetype done = m_videos.size() - m_failed.size();
        if (m_failed.isEmpty()) {
            m_host.print(QStringLiteral("%1 of %1 videos done").arg(done));
            finish(JobOutcome::done());
        } else {
            const QString line = QStringLiteral("%1 of %2 videos done; failed: %3")
                                     .arg(done)
                                     .arg(m_videos.size())
                                     .arg(m_failed.join(QStringLiteral(", ")));
            m_host.warn(line);
            finish(JobOutcome::failed(line));
        }
        return;
    }
    const RunInputs& inputs = m_videos.at(m_index);
    m_host.setVideo(QFileInfo(inputs.input).fileName());
    m_current = new FullAutoRun(StepContext{m_host, m_work, inputs}, this);
    connect(m_current, &Job::finished, this, [this, run = m_current](const JobOutcome& outcome) {
        run->deleteLater();
        ended(outcome, run->output());
    });
    m_current->start();
}

void CliRun::ended(const JobOutcome& outcome, const QString& output) {
    if (outcome.isStopped() || stopRequested()) {
        m_host.setVideo(QString());
        m_host.warn(QStringLiteral("Stopped; %1 of %2 videos done")
                        .arg(m_index - m_failed.size())
                        .arg(m_videos.size()));
        finish(JobOutcome::stopped());
        return;
    }
    if (outcome.isDone()) {
        m_host.print(output.isEmpty()
                         ? QStringLiteral("done")
                         : QStringLiteral("done: ") + QDir::toNativeSeparators(output));
    } else {
        m_host.videoFailed(outcome.reason);
        m_failed.append(QFileInfo(m_videos.at(m_index).input).fileName());
    }
    next();
}

void CliRun::halt() {
    if (m_current)
        m_current->stop();
    else
        finish(JobOutcome::stopped());
}
