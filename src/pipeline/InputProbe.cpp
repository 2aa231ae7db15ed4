#include "pipeline/InputProbe.h"

#include "platform/PathTools.h"
#include "platform/ProcessJob.h"

InputProbe::InputProbe(const QString& ffprobe, const QString& input, bool needAudio,
                       QObject* parent)
    : Job(parent)
    , m_ffprobe(ffprobe)
    , m_input(input)
    , m_needAudio(needAudio) {}

void InputProbe::begin() {
    if (!PathTools().FileExists(m_ffprobe)) {
        finish(JobOutcome::failed(
            tr("ffprobe not found: %1\n\nIt comes with ffmpeg; put it in the same folder.")
                .arg(m_ffprobe)));
        return;
    }
    m_run = new ProcessJob(m_ffprobe, probeArguments(m_input), this);
    connect(m_run, &Job::finished, this, [this](const JobOutcome& outcome) {
        if (outcome.isStopped()) {
            finish(outcome);
            return;
        }
        m_media = parseProbeReport(m_run->output().toUtf8());
        if (!m_media.error.isEmpty())
            finish(
                JobOutcome::failed(tr("ffmpeg cannot read %1:\n%2").arg(m_input, m_media.error)));
        else if (m_needAudio && !m_media.first(QStringLiteral("audio")))
            finish(JobOutcome::failed(
                tr("%1\n\nhas no audio track: there is no speech in it to give another voice.")
                    .arg(m_input)));
        else
            finish(JobOutcome::done());
    });
    m_run->start();
}

void InputProbe::halt() {
    if (m_run)
        m_run->stop();
    else
        finish(JobOutcome::stopped());
}
