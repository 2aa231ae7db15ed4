// Reintegrate: joined.mp4 laid under the input's picture, written into the output folder. The
// new video takes its name only once it is complete and decodes; until then an earlier one of
// that name stays as it was.
#include "pipeline/FfmpegRun.h"
#include "pipeline/Steps.h"
#include "pipeline/TemplateMacros.h"

void ReintegrateStep::begin() {
    if (!inputCheck() || !valuesCheck(Template::Integrate))
        return;
    if (usesMediaMacros(inputs().templateText(Template::Integrate)))
        probeInput(false, [this](const MediaInfo& media) { run(&media); });
    else
        run(nullptr);
}

void ReintegrateStep::run(const MediaInfo* media) {
    // Here the base name is replaced before the folders: the reintegrate macro order.
    const QStringList arguments =
        stepArguments(inputs(), work(), Template::Integrate, MacroOrder::Reintegrate, media);
    if (!paths().FileExists(work().joined())) {
        refuse(QStringLiteral("Could not find joined.mp4"));
        return;
    }
    auto* run = new FfmpegRun(host(), work(), arguments);
    run->guardOutput(FfmpegRun::Check::DecodeAudio);
    if (media && outputExtension(*media) != QLatin1String("mp4") &&
        templateUses(inputs().templateText(Template::Integrate), QStringLiteral("%ext"))) {
        const QString remark =
            QStringLiteral("%1_AI.mkv (Matroska): MP4 cannot hold this video's %2 picture, which "
                           "is kept untouched. Tools > Convert wmv to mp4 makes an MP4 of the "
                           "video if you need one.")
                .arg(paths().BaseName(inputs().input),
                     media->first(QStringLiteral("video"))->codec);
        run->setRemark(remark);
        if (context().inFullAuto)
            host().log(StepHost::Log::Auto, remark);
    }
    runChild(run, [this](FfmpegRun& run) { finish(run.outcome()); });
}
