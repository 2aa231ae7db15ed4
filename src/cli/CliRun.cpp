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
            m_host.print(tr("%1 of %1 videos done").arg(done));
            finish(JobOutcome::done());
        } else {
            const QString line = tr("%1 of %2 videos done; failed: %3")
                                     .arg(done)
                                     .arg(m_videos.size())
                                     .arg(m_failed.join(QStringLiteral(", ")));
            m_host.warn(line);
            finish(JobOutcome::failed(line, m_failedForNow == m_failed.size()));
        }
        return;
    }
    RunInputs inputs = m_videos.at(m_index);
    inputs.takenOutputs = m_outputs;
    inputs.unattended = true;
    m_host.setVideo(QFileInfo(inputs.input).fileName());
    runChild(new FullAutoRun(StepContext{m_host, m_work, inputs}),
             [this](FullAutoRun& run) { ended(run.outcome(), run.output()); });
}

void CliRun::ended(const JobOutcome& outcome, const QString& output) {
    if (outcome.isStopped() || stopRequested()) {
        m_host.setVideo(QString());
        m_host.warn(tr("Stopped; %1 of %2 videos done")
                        .arg(m_index - m_failed.size())
                        .arg(m_videos.size()));
        finish(JobOutcome::stopped());
        return;
    }
    if (outcome.isDone()) {
        if (!output.isEmpty())
            m_outputs.append(output);
        m_host.print(output.isEmpty() ? tr("done")
                                      : tr("done: %1").arg(QDir::toNativeSeparators(output)));
    } else {
        m_host.videoFailed(outcome.reason);
        m_failed.append(QFileInfo(m_videos.at(m_index).input).fileName());
        m_failedForNow += outcome.forNow;
    }
    next();
}
