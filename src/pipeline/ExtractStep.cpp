// Extract audio: the input's audio track, copied into the working folder's raw.mp4.
#include "pipeline/Pipeline.h"

bool Pipeline::extractAudio() {
    if (!inputCheck() || !valuesCheck(StepHost::Template::Extract))
        return false;
    const QString arguments =
        ExpandCommandTemplate(StepHost::Template::Extract, MacroOrder::Standard);

    // Whatever the template names, the next step reads raw.mp4: an old one must not survive a
    // failed run.
    if (!removeWorkingFile(m_work.raw()))
        return false;
    const bool ok = RunFfmpeg(arguments);
    return ok && m_paths.FileExists(m_work.raw());
}
