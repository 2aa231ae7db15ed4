// Tools > Convert wmv to mp4: a fixed re-encode, through the same ffmpeg run as the steps. The
// paths were asked for before the run started.
#include "pipeline/Steps.h"

Mp4Conversion::Mp4Conversion(const StepContext& context, const QString& input,
                             const QString& output, QObject* parent)
    : Step(context, parent)
    , m_input(input)
    , m_output(output) {}

void Mp4Conversion::begin() {
    for (const QString& path : {m_input, m_output}) {
        if (!doubleQuoteProblem(path).isEmpty()) {
            refuse(QStringLiteral("File names with a double quote (\") cannot be passed to ffmpeg. "
                                  "Rename the file or choose another name."));
            return;
        }
    }
    // No "-y": standard input is closed, so when the output exists ffmpeg's question reads
    // end-of-file, ffmpeg declines and ends, and its own words show after "Error: ".
    runFfmpeg(
        {"-i", m_input, "-c:v", "libx264", "-crf", "23", "-c:a", "aac", "-q:a", "100", m_output},
        [this](bool ok) {
            if (!ok) {
                fail(QStringLiteral("ffmpeg failed"));
                return;
            }
            if (paths().FileExists(m_output)) {
                host().setToolOutput(shownOutput() + QStringLiteral("\r\nFileSize: ") +
                                     QString::number(paths().FileLength(m_output)));
                emit converted(m_output);
            }
            finish(JobOutcome::done());
        });
}
