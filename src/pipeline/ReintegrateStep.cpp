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
    const QStringList arguments = stepArguments(inputs(), work(), Template::Integrate, media);
    if (!paths().FileExists(work().joined())) {
        refuse(QStringLiteral("Could not find joined.mp4"));
        return;
    }
    auto* run = new FfmpegRun(host(), work(), arguments);
    run->guardOutput(FfmpegRun::Check::DecodeAudio);
    const KeptStreams kept = media ? reintegrateKeeps(inputs(), *media) : KeptStreams();
    if (kept.extension != QLatin1String("mp4") &&
        templateUses(inputs().templateText(Template::Integrate), QStringLiteral("%ext"))) {
        QString remark = QStringLiteral("%1_AI.mkv (Matroska): MP4 cannot hold %2 of this video, "
                                        "which %3 kept untouched.")
                             .arg(paths().BaseName(inputs().input),
                                  kept.matroskaReasons.join(QStringLiteral(", ")),
                                  kept.matroskaReasons.size() == 1 && kept.pictureNeedsMatroska
                                      ? QStringLiteral("is")
                                      : QStringLiteral("are"));
        if (kept.pictureNeedsMatroska)
            remark += QStringLiteral(" Tools > Convert wmv to mp4 makes an MP4 of the video if "
                                     "you need one.");
        run->setRemark(remark);
        if (context().inFullAuto)
            host().log(StepHost::Log::Auto, remark);
    }
    runChild(run, [this](FfmpegRun& run) {
        m_output = run.outputFile();
        finish(run.outcome());
    });
}
