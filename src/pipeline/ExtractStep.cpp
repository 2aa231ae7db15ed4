// Extract audio. The default template writes the audio losslessly in the one format every later
// piece has, starting at the input's first picture, so that the pieces join without gaps and the
// new voice stays in step.
#include "pipeline/FfmpegRun.h"
#include "pipeline/Steps.h"
#include "pipeline/TemplateMacros.h"
#include "pipeline/WorkingFiles.h"

void ExtractStep::begin() {
    if (!inputCheck() || !valuesCheck(Template::Extract))
        return;
    // Checked before raw.mp4 goes: an input without audio, or one ffmpeg cannot read, changes
    // nothing.
    probeInput(true, [this](const MediaInfo& media) {
        // Whatever the template names, the next step reads raw.mp4: an old one must not survive
        // a failed run.
        if (!removeWorkingFile(work().raw())) {
            refuse(tr("Could not delete %1").arg(work().raw()));
            return;
        }
        auto* run = new FfmpegRun(host(), work(),
                                  stepArguments(inputs(), work(), Template::Extract, &media));
        run->guardOutput(FfmpegRun::Check::None);
        runChild(run, [this](FfmpegRun& run) {
            if (!run.outcome().isDone())
                finish(run.outcome());
            else if (!paths().FileExists(work().raw()))
                fail(tr("ffmpeg wrote no raw.mp4"));
            else
                finish(JobOutcome::done());
        });
    });
}
