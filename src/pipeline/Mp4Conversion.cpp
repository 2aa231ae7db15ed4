// Tools > Convert wmv to mp4: a fixed re-encode, through the same ffmpeg run as the steps. The
// paths were asked for before the run started.
#include "pipeline/FfmpegRun.h"
#include "pipeline/Steps.h"

Mp4Conversion::Mp4Conversion(const StepContext& context, const QString& input,
                             const QString& output, QObject* parent)
    : Step(context, parent)
    , m_input(input)
    , m_output(output) {}

void Mp4Conversion::begin() {
    // No "-y": standard input is closed, so when the output exists ffmpeg's question reads
    // end-of-file, ffmpeg declines and ends, and its own words show after "Error: ".
    auto* run = new FfmpegRun(
        host(), work(),
        {"-i", m_input, "-c:v", "libx264", "-crf", "23", "-c:a", "aac", "-q:a", "100", m_output});
    run->guardOutput(FfmpegRun::Check::Demux);
    runChild(run, [this](FfmpegRun& run) {
        if (run.outcome().isDone() && paths().FileExists(m_output)) {
            host().setToolOutput(run.text() + QStringLiteral("\r\n") +
                                 tr("FileSize: %1").arg(paths().FileLength(m_output)));
            emit converted(m_output);
        }
        finish(run.outcome());
    });
}
