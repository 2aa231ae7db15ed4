// Extract audio. The default template writes the audio losslessly in the one format every later
// piece has, starting at the input's first picture, so that the pieces join without gaps and the
// new voice stays in step.
#include "pipeline/Steps.h"

void ExtractStep::begin() {
    if (!inputCheck() || !valuesCheck(Template::Extract))
        return;
    // Checked before raw.mp4 goes: an input without audio, or one ffmpeg cannot read, changes
    // nothing.
    probeInput(true, [this](const MediaInfo& media) {
        const QStringList args = arguments(Template::Extract, MacroOrder::Standard, &media);
        // Whatever the template names, the next step reads raw.mp4: an old one must not survive
        // a failed run.
        if (!removeWorkingFile(work().raw()))
            return;
        runFfmpeg(args, [this](bool ok) {
            if (ok && paths().FileExists(work().raw()))
                finish(JobOutcome::done());
            else
                fail(ok ? QStringLiteral("ffmpeg wrote no raw.mp4")
                        : QStringLiteral("ffmpeg failed"));
        });
    });
}
