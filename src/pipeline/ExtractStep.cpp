// Extract audio: the input's audio track into the working folder's raw.mp4. The default template
// writes it losslessly in the one format every later piece has, starting at the input's first
// picture, so that the pieces join without gaps and the new voice stays in step.
#include "pipeline/Pipeline.h"

bool Pipeline::extractAudio() {
    if (!inputCheck() || !valuesCheck(StepHost::Template::Extract))
        return false;
    // Checked before raw.mp4 goes: an input without audio, or one ffmpeg cannot read, changes
    // nothing.
    const std::optional<MediaInfo> media = probeInput(true);
    if (!media)
        return false;
    const QString arguments =
        ExpandCommandTemplate(StepHost::Template::Extract, MacroOrder::Standard, &*media);

    // Whatever the template names, the next step reads raw.mp4: an old one must not survive a
    // failed run.
    if (!removeWorkingFile(m_work.raw()))
        return false;
    const bool ok = RunFfmpeg(arguments);
    return ok && m_paths.FileExists(m_work.raw());
}
