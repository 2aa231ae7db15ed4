// Reintegrate: joined.mp4 laid under the input's picture, written into the output folder.
#include "pipeline/Pipeline.h"

bool Pipeline::reintegrate() {
    if (!inputCheck() || !valuesCheck(StepHost::Template::Integrate))
        return false;
    std::optional<MediaInfo> media;
    if (usesMediaMacros(StepHost::Template::Integrate)) {
        media = probeInput(false);
        if (!media)
            return false;
    }
    // Here the base name is replaced before the folders: the reintegrate macro order.
    const QString arguments = ExpandCommandTemplate(
        StepHost::Template::Integrate, MacroOrder::Reintegrate, media ? &*media : nullptr);
    if (!m_paths.FileExists(m_work.joined())) {
        m_host.showMessage(QStringLiteral("Could not find joined.mp4"));
        return false;
    }
    if (media && outputExtension(*media) != QLatin1String("mp4") &&
        m_host.templateText(StepHost::Template::Integrate).contains(QLatin1String("%ext")))
        remark(QStringLiteral("%1_AI.mkv (Matroska): MP4 cannot hold this video's %2 picture, "
                              "which is kept untouched. Tools > Convert wmv to mp4 makes an MP4 of "
                              "the video if you need one.")
                   .arg(m_paths.BaseName(m_host.inputPath()),
                        media->first(QStringLiteral("video"))->codec));
    return RunFfmpeg(arguments);
}
