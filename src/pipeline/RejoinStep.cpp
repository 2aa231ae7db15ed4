// Rejoin audio: every file of the parts folder, in the order of their numbers, joined into
// joined.mp4 through ffmpeg's concat list; then the join is decoded to be sure it is whole.
#include "core/ConcatList.h"
#include "pipeline/Steps.h"
#include "platform/ProcessJob.h"

#include <QFileInfo>

void RejoinStep::begin() {
    if (!inputCheck() || !valuesCheck(Template::Concat))
        return;
    // Natural order, so 2.mp4 comes before 10.mp4. Hidden files are temporaries (a conversion's
    // piece in the making), never pieces.
    QStringList pieces;
    for (const QString& path : paths().ListFiles(work().parts(), QStringLiteral("*"))) {
        if (!QFileInfo(path).fileName().startsWith(QLatin1Char('.')))
            pieces.append(path);
    }
    if (pieces.isEmpty()) {
        refuse(QStringLiteral("No files in \\parts?"));
        return;
    }
    const auto join = [this, pieces](const MediaInfo* media) {
        const QStringList args = arguments(Template::Concat, MacroOrder::Standard, media);
        const QString list = work().concatList();
        if (!paths().WriteFile(list, concatListText(pieces))) {
            refuse(QStringLiteral("Could not write ") + list);
            return;
        }
        runFfmpeg(args, [this, list](bool ok) {
            // Removed after every run, whether ffmpeg succeeded or not.
            if (!removeWorkingFile(list))
                return;
            if (!ok)
                fail(QStringLiteral("ffmpeg failed"));
            else if (!paths().FileExists(work().joined()))
                fail(QStringLiteral("ffmpeg wrote no joined.mp4"));
            else
                checkDecodes();
        });
    };
    if (usesMediaMacros(Template::Concat))
        probeInput(false, [join](const MediaInfo& media) { join(&media); });
    else
        join(nullptr);
}

void RejoinStep::cleanUpAfterStop() {
    paths().DeleteFile(work().concatList());
}

// ffmpeg joins pieces of different formats without complaint, into a file that does not decode:
// only decoding it tells. A join that does not decode is removed, so that Reintegrate cannot lay
// it under the picture.
void RejoinStep::checkDecodes() {
    const QString joined = work().joined();
    runTool(work().ffmpeg(),
            {"-nostdin", "-hide_banner", "-v", "error", "-xerror", "-i", joined, "-map", "0:a",
             "-f", "null", "-"},
            [this, joined](ProcessJob& run) {
                if (run.outcome().isDone()) {
                    finish(JobOutcome::done());
                    return;
                }
                paths().DeleteFile(joined);
                if (run.outcome().isStopped()) {
                    finish(JobOutcome::stopped());
                    return;
                }
                QString reason = run.output().trimmed();
                if (reason.size() > 2000)
                    reason = reason.left(2000) + QStringLiteral("\n...");
                host().setToolOutput(
                    QStringLiteral("Error: ffmpeg wrote joined.mp4, but it does not decode, so it "
                                   "was removed. The pieces in the parts folder are not all of one "
                                   "format (a piece made elsewhere, or a changed template?).\r\n") +
                    reason);
                fail(QStringLiteral("the joined audio does not decode"));
            });
}
