// Rejoin audio: every file of the parts folder, in the order of their numbers, joined into
// joined.mp4 through ffmpeg's concat list.
#include "core/ConcatList.h"
#include "core/TextList.h"
#include "pipeline/Pipeline.h"

#include <QFileInfo>

bool Pipeline::rejoinAudio() {
    if (!inputCheck() || !valuesCheck(StepHost::Template::Concat))
        return false;
    std::optional<MediaInfo> media;
    if (usesMediaMacros(StepHost::Template::Concat)) {
        media = probeInput(false);
        if (!media)
            return false;
    }
    const QString arguments = ExpandCommandTemplate(
        StepHost::Template::Concat, MacroOrder::Standard, media ? &*media : nullptr);

    // Natural order, so 2.mp4 comes before 10.mp4.
    // Hidden files are temporaries (a conversion's piece in the making), never pieces.
    QStringList pieces;
    for (const QString& path :
         m_paths.ListFiles(m_work.parts(), QStringLiteral("*"), true, false)) {
        if (!QFileInfo(path).fileName().startsWith(QLatin1Char('.')))
            pieces.append(path);
    }
    if (AryIsEmpty(pieces)) {
        m_host.showMessage(QStringLiteral("No files in \\parts?"));
        return false;
    }

    const QString list = m_work.concatList();
    if (!m_paths.WriteFile(list, concatListText(pieces))) {
        m_host.showMessage(QStringLiteral("Could not write ") + list);
        return false;
    }
    const bool ok = RunFfmpeg(arguments);
    // Removed after every run, whether ffmpeg succeeded or not.
    const bool listGone = removeWorkingFile(list);
    // ffmpeg joins pieces of different formats without complaint, into a file that does not
    // decode: only decoding it tells.
    return ok && listGone && m_paths.FileExists(m_work.joined()) && checkJoinDecodes();
}
