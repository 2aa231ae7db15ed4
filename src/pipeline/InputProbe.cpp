#include "pipeline/InputProbe.h"

#include "platform/PathTools.h"
#include "platform/ProcessJob.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>

namespace {
// What ffprobe said of the files probed before, by the file's path and state when it was read:
// a video run again (after a stop, a failure, with another voice) is not read again while it
// stays as it was. A file written since, or another in its place, has another state.
QHash<QString, MediaInfo>& probed() {
    static QHash<QString, MediaInfo> reports;
    return reports;
}
constexpr qsizetype kProbesKept = 64;

QString fileState(const QString& ffprobe, const QString& input) {
    const QFileInfo file(input);
    if (!file.isFile())
        return QString();
    return QStringList{ffprobe, file.absoluteFilePath(), QString::number(file.size()),
                       QString::number(file.lastModified().toMSecsSinceEpoch()),
                       QString::number(file.metadataChangeTime().toMSecsSinceEpoch())}
        .join(QLatin1Char('\n'));
}
} // namespace

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
    const QString state = fileState(m_ffprobe, m_input);
    if (const auto known = probed().constFind(state);
        !state.isEmpty() && known != probed().cend()) {
        m_media = *known;
        judge();
        return;
    }
    m_run = new ProcessJob(m_ffprobe, probeArguments(m_input), this);
    connect(m_run, &Job::finished, this, [this, state](const JobOutcome& outcome) {
        if (outcome.isStopped()) {
            finish(outcome);
            return;
        }
        m_media = parseProbeReport(m_run->output().toUtf8());
        if (m_media.error.isEmpty() && !state.isEmpty() && state == fileState(m_ffprobe, m_input)) {
            if (probed().size() >= kProbesKept)
                probed().clear();
            probed().insert(state, m_media);
        }
        judge();
    });
    m_run->start();
}

void InputProbe::judge() {
    if (!m_media.error.isEmpty())
        finish(JobOutcome::failed(tr("ffmpeg cannot read %1:\n%2").arg(m_input, m_media.error)));
    else if (m_needAudio && !m_media.first(QStringLiteral("audio")))
        finish(JobOutcome::failed(
            tr("%1\n\nhas no audio track: there is no speech in it to give another voice.")
                .arg(m_input)));
    else
        finish(JobOutcome::done());
}

void InputProbe::halt() {
    if (m_run)
        m_run->stop();
    else
        finish(JobOutcome::stopped());
}
