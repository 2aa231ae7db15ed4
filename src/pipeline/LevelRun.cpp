#include "pipeline/LevelRun.h"

#include "core/PauseCuts.h"
#include "core/ToolReason.h"
#include "platform/ProcessJob.h"

#include <memory>

namespace {
constexpr int kRate = 8000;
} // namespace

LevelRun::LevelRun(const QString& ffmpeg, const QString& file, double from, double seconds,
                   QObject* parent)
    : Job(parent)
    , m_ffmpeg(ffmpeg)
    , m_file(file)
    , m_from(from)
    , m_seconds(seconds) {}

void LevelRun::begin() {
    const QString filter =
        QStringLiteral("aformat=channel_layouts=mono:sample_rates=%1,asetnsamples=n=%2:p=0,"
                       "astats=metadata=1:reset=1:measure_perchannel=none:measure_overall="
                       "RMS_level,ametadata=mode=print:key=lavfi.astats.Overall.RMS_level:file=-")
            .arg(kRate)
            .arg(int(kRate * kWindowSeconds));
    QStringList arguments{"-nostdin", "-hide_banner", "-v", "error"};
    if (m_seconds > 0)
        arguments +=
            {"-ss", QString::number(m_from, 'f', 6), "-t", QString::number(m_seconds, 'f', 6)};
    arguments += {"-i", m_file, "-map", "0:a:0", "-af", filter, "-f", "null", "-"};
    if (!m_listing.isEmpty())
        arguments += {"-map", "0:a:0", "-c", "copy", "-f", "framecrc", "-y", m_listing};
    m_run = new ProcessJob(m_ffmpeg, arguments, this);
    m_run->setSeparateChannels(true);
    const auto levels = std::make_shared<LevelReader>();
    connect(m_run, &ProcessJob::outputReceived, this,
            [levels](const QByteArray& bytes) { levels->feed(bytes); });
    connect(m_run, &Job::finished, this, [this, levels](const JobOutcome& outcome) {
        levels->finish();
        m_levels = levels->levels();
        if (outcome.isDone()) {
            finish(outcome);
            return;
        }
        m_text = m_run->errorOutput();
        finish(outcome.isStopped()
                   ? outcome
                   : JobOutcome::failed(tr("ffmpeg failed: %1").arg(ffmpegReason(m_text))));
    });
    m_run->start();
}

void LevelRun::halt() {
    m_run->stop();
}
