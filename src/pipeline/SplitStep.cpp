// Split audio: raw.mp4 cut into parts/output000000000.mp4 and onwards, then removed.
#include "pipeline/Steps.h"

void SplitStep::begin() {
    if (!inputCheck() || !valuesCheck(Template::Split))
        return;
    // Checked before the parts folder is emptied: without raw.mp4 the pieces of an earlier
    // conversion stay where they are.
    if (!paths().FileExists(work().raw())) {
        refuse(QStringLiteral("Could not find raw.mp4"));
        return;
    }
    // The new segments must not mix with earlier files: stop when one of them stays.
    for (const QString& path : paths().ListFiles(work().parts(), QStringLiteral("*"))) {
        if (!removeWorkingFile(path)) {
            host().partsChanged();
            return;
        }
    }
    // The folder may have been removed behind the program's back since start-up.
    if (!paths().FolderExists(work().parts()) && !paths().CreateFolder(work().parts())) {
        refuse(QStringLiteral("Could not create ") + work().parts());
        return;
    }
    const auto split = [this](const MediaInfo* media) {
        runFfmpeg(arguments(Template::Split, MacroOrder::Standard, media), [this](bool ok) {
            host().partsChanged();
            // Removed after every run: a failed split starts again from Extract audio.
            if (!removeWorkingFile(work().raw()))
                return;
            if (!ok)
                fail(QStringLiteral("ffmpeg failed"));
            else if (paths().ListFiles(work().parts(), QStringLiteral("output*")).isEmpty())
                fail(QStringLiteral("ffmpeg wrote no pieces"));
            else
                finish(JobOutcome::done());
        });
    };
    if (usesMediaMacros(Template::Split))
        probeInput(false, [split](const MediaInfo& media) { split(&media); });
    else
        split(nullptr);
}

void SplitStep::cleanUpAfterStop() {
    // The pieces of a stopped split are incomplete; raw.mp4 stays for the next try.
    for (const QString& path : paths().ListFiles(work().parts(), QStringLiteral("output*")))
        paths().DeleteFile(path);
    host().partsChanged();
}
