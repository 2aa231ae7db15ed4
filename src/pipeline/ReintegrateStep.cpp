// Reintegrate: joined.mp4 laid under the input's picture, written into the output folder.
#include "pipeline/Steps.h"

void ReintegrateStep::begin() {
    if (!inputCheck() || !valuesCheck(Template::Integrate))
        return;
    if (usesMediaMacros(Template::Integrate))
        probeInput(false, [this](const MediaInfo& media) { run(&media); });
    else
        run(nullptr);
}

void ReintegrateStep::run(const MediaInfo* media) {
    // Here the base name is replaced before the folders: the reintegrate macro order.
    const QStringList args = arguments(Template::Integrate, MacroOrder::Reintegrate, media);
    if (!paths().FileExists(work().joined())) {
        refuse(QStringLiteral("Could not find joined.mp4"));
        return;
    }
    if (media && outputExtension(*media) != QLatin1String("mp4") &&
        templateUses(inputs().templateText(Template::Integrate), QStringLiteral("%ext")))
        remark(QStringLiteral("%1_AI.mkv (Matroska): MP4 cannot hold this video's %2 picture, "
                              "which is kept untouched. Tools > Convert wmv to mp4 makes an MP4 of "
                              "the video if you need one.")
                   .arg(paths().BaseName(inputs().input),
                        media->first(QStringLiteral("video"))->codec));
    runFfmpeg(args, [this](bool ok) {
        if (ok)
            finish(JobOutcome::done());
        else
            fail(QStringLiteral("ffmpeg failed"));
    });
}
