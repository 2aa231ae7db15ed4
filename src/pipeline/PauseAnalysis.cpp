#include "pipeline/PauseAnalysis.h"

#include "core/MediaInfo.h"
#include "core/ToolReason.h"
#include "platform/ProcessJob.h"

#include <cmath>

#include <memory>

namespace {
// Mono at 8 kHz is plenty to hear where speech pauses, and quick to measure.
constexpr int kRate = 8000;
} // namespace

PauseAnalysis::PauseAnalysis(StepHost& host, const WorkFolder& work, const CutRules& rules,
                             QObject* parent)
    : Job(parent)
    , m_host(host)
    , m_work(work)
    , m_rules(rules) {}

void PauseAnalysis::begin() {
    m_run = new ProcessJob(m_work.ffprobe(), audioLengthArguments(m_work.raw(), true), this);
    connect(m_run, &Job::finished, this, [this](const JobOutcome& outcome) {
        const auto length = parseAudioLength(m_run->output().toUtf8());
        m_run->deleteLater();
        if (outcome.isStopped()) {
            finish(outcome);
        } else if (!length) {
            m_text = m_run->output();
            finish(JobOutcome::failed(QStringLiteral("ffprobe cannot tell the length of ") +
                                      m_work.raw() + QStringLiteral(": ") + ffmpegReason(m_text)));
        } else {
            // The segment muxer cuts a copy at packets: the cuts fall on them.
            m_rules.granule = double(length->packetSamples) / length->sampleRate;
            analyse(double(length->samples) / length->sampleRate);
        }
    });
    m_run->start();
}

void PauseAnalysis::analyse(double seconds) {
    m_seconds = seconds;
    m_planner.emplace(seconds, kWindowSeconds, m_rules);
    measureNext();
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
    m_host.showProgress(m_seconds > 0 ? from / m_seconds : 0,
                        QStringLiteral("Looking for the pauses"));
    const QString filter =
        QStringLiteral("aformat=channel_layouts=mono:sample_rates=%1,asetnsamples=n=%2:p=0,"
                       "astats=metadata=1:reset=1:measure_perchannel=none:measure_overall="
                       "RMS_level,ametadata=mode=print:key=lavfi.astats.Overall.RMS_level:file=-")
            .arg(kRate)
            .arg(int(kRate * kWindowSeconds));
    m_run = new ProcessJob(m_work.ffmpeg(),
                           {"-nostdin", "-hide_banner", "-v", "error", "-ss",
                            QString::number(from, 'f', 6), "-t",
                            QString::number(stretch->count * kWindowSeconds, 'f', 6), "-i",
                            m_work.raw(), "-map", "0:a:0", "-af", filter, "-f", "null", "-"},
                           this);
    m_run->setSeparateChannels(true);
    const auto levels = std::make_shared<LevelReader>();
    connect(m_run, &ProcessJob::outputReceived, this,
            [levels](const QByteArray& bytes) { levels->feed(bytes); });
    connect(m_run, &Job::finished, this, [this, levels](const JobOutcome& outcome) {
        m_run->deleteLater();
        levels->finish();
        if (!outcome.isDone()) {
            m_text = m_run->errorOutput();
            finish(outcome.isStopped() ? outcome
                                       : JobOutcome::failed(QStringLiteral("ffmpeg failed: ") +
                                                            ffmpegReason(m_text)));
            return;
        }
        m_planner->take(levels->levels());
        measureNext();
    });
    m_run->start();
}

void PauseAnalysis::halt() {
    m_run->stop();
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
        return QStringLiteral("No cut: the audio fits in one piece");
    return QStringLiteral("%1 %2: %3 in pauses, %4 at the quietest moment")
        .arg(cuts)
        .arg(cuts == 1 ? QStringLiteral("cut") : QStringLiteral("cuts"))
        .arg(m_plan.inPauses)
        .arg(m_plan.atQuietest);
}
