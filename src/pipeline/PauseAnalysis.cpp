#include "pipeline/PauseAnalysis.h"

#include "core/MediaInfo.h"
#include "core/ToolReason.h"
#include "pipeline/LevelRun.h"
#include "platform/ProcessJob.h"

#include <QFile>

#include <cmath>

PauseAnalysis::PauseAnalysis(StepHost& host, const WorkFolder& work, const CutRules& rules,
                             std::optional<double> about, QObject* parent)
    : Job(parent)
    , m_host(host)
    , m_work(work)
    , m_rules(rules)
    , m_about(about) {}

void PauseAnalysis::begin() {
    if (m_about && measuredWhole(*m_about, false)) {
        measureAndList();
        return;
    }
    auto* probe = new ProcessJob(m_work.ffprobe(), audioLengthArguments(m_work.raw(), true));
    runChild(probe, [this](ProcessJob& probe) {
        const JobOutcome& outcome = probe.outcome();
        const auto length = parseAudioLength(probe.output().toUtf8());
        if (outcome.isStopped()) {
            finish(outcome);
        } else if (!length) {
            m_text = probe.output();
            finish(JobOutcome::failed(tr("ffprobe cannot tell the length of %1: %2")
                                          .arg(m_work.raw(), ffmpegReason(m_text))));
        } else {
            // The segment muxer cuts a copy at packets: the cuts fall on them.
            m_rules.granule = double(length->packetSamples) / length->sampleRate;
            analyse(double(length->samples) / length->sampleRate);
        }
    });
}

// An ffmpeg run's start costs about as much as measuring a minute of audio: audio cut into short
// pieces is measured whole, once, rather than a stretch at a time. Before its length is known
// (`probed` false), measuring it whole also saves the ffprobe that would tell it.
bool PauseAnalysis::measuredWhole(double seconds, bool probed) const {
    constexpr double kStartSeconds = 60;
    const double stretches = std::ceil(seconds / m_rules.limit) - 1;
    const double windowed =
        (probed ? 0 : kStartSeconds) + stretches * (kStartSeconds + m_rules.lookBack);
    return stretches > 0 && kStartSeconds + seconds < windowed;
}

void PauseAnalysis::startPlan(double seconds) {
    m_seconds = seconds;
    m_planner.emplace(seconds, kWindowSeconds, m_rules);
}

// Every cut from the levels of the whole audio.
void PauseAnalysis::planWhole(const QList<float>& levels) {
    while (const auto stretch = m_planner->next())
        m_planner->take(levels.mid(stretch->first, stretch->count));
    m_plan = m_planner->plan();
    finish(JobOutcome::done());
}

void PauseAnalysis::analyse(double seconds) {
    startPlan(seconds);
    if (measuredWhole(seconds, true))
        measureWhole();
    else
        measureNext();
}

// The whole audio's levels, and its length and packets' size from its packets listed in the
// same run.
void PauseAnalysis::measureAndList() {
    m_host.showProgress(0, tr("Looking for the pauses"));
    const QString listing = m_work.file(QStringLiteral(".raw.packets"));
    // All of it: the input's length is only its container's word, the audio may last longer.
    auto* measure = new LevelRun(m_work.ffmpeg(), m_work.raw(), 0, 0);
    measure->listPacketsInto(listing);
    runChild(measure, [this, listing](LevelRun& measure) {
        QFile file(listing);
        const QByteArray packets = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        file.remove();
        const auto lengths = parsePacketLengths(packets, 1);
        if (!measure.outcome().isDone() || !lengths || lengths->first().samples <= 0) {
            m_text = measure.text();
            finish(measure.outcome().isDone()
                       ? JobOutcome::failed(
                             tr("ffmpeg cannot tell the length of %1").arg(m_work.raw()))
                       : measure.outcome());
            return;
        }
        const AudioLength& length = lengths->first();
        m_rules.granule = double(length.packetSamples) / length.sampleRate;
        startPlan(double(length.samples) / length.sampleRate);
        planWhole(measure.levels());
    });
}

void PauseAnalysis::measureWhole() {
    m_host.showProgress(0, tr("Looking for the pauses"));
    runChild(new LevelRun(m_work.ffmpeg(), m_work.raw(), 0, m_seconds + 1),
             [this](LevelRun& measure) {
                 if (!measure.outcome().isDone()) {
                     m_text = measure.text();
                     finish(measure.outcome());
                     return;
                 }
                 planWhole(measure.levels());
             });
}

// The stretch before the next piece's limit, and only that: ffmpeg seeks to it, decodes it and
// prints the loudness of every window.
void PauseAnalysis::measureNext() {
    const auto stretch = m_planner->next();
    if (!stretch) {
        m_plan = m_planner->plan();
        finish(JobOutcome::done());
        return;
    }
    const double from = stretch->first * kWindowSeconds;
    m_host.showProgress(m_seconds > 0 ? from / m_seconds : 0, tr("Looking for the pauses"));
    runChild(new LevelRun(m_work.ffmpeg(), m_work.raw(), from, stretch->count * kWindowSeconds),
             [this](LevelRun& measure) {
                 if (!measure.outcome().isDone()) {
                     m_text = measure.text();
                     finish(measure.outcome());
                     return;
                 }
                 m_planner->take(measure.levels());
                 measureNext();
             });
}

QString PauseAnalysis::cutsArgument() const {
    QStringList times;
    for (const double cut : m_plan.cuts)
        // Down to the microsecond: the muxer cuts at the first packet at or after the time.
        times.append(QString::number(std::floor(cut * 1e6) / 1e6, 'f', 6));
    if (times.isEmpty())
        times.append(QString::number(m_seconds + 10, 'f', 3));
    return times.join(QLatin1Char(','));
}

QString PauseAnalysis::summary() const {
    const int cuts = int(m_plan.cuts.size());
    if (cuts == 0)
        return tr("No cut: the audio fits in one piece");
    if (cuts == 1)
        return tr("1 cut: %1 in pauses, %2 at the quietest moment")
            .arg(m_plan.inPauses)
            .arg(m_plan.atQuietest);
    return tr("%1 cuts: %2 in pauses, %3 at the quietest moment")
        .arg(cuts)
        .arg(m_plan.inPauses)
        .arg(m_plan.atQuietest);
}
