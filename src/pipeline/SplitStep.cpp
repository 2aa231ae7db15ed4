// Split audio: raw.mp4 cut into parts/output000000000.mp4 and onwards, then removed.
#include "core/TextList.h"
#include "pipeline/Pipeline.h"
#include "platform/ToolRunner.h"

bool Pipeline::splitAudio() {
    if (!inputCheck() || !valuesCheck(StepHost::Template::Split))
        return false;
    // Checked before the parts folder is emptied: without raw.mp4 the pieces of an earlier
    // conversion stay where they are.
    if (!m_paths.FileExists(m_work.raw())) {
        m_host.showMessage(QStringLiteral("Could not find raw.mp4"));
        return false;
    }

    // The new segments must not mix with earlier files: stop when one of them stays.
    const QStringList old = m_paths.ListFiles(m_work.parts(), QStringLiteral("*"), true, false);
    if (!AryIsEmpty(old)) {
        for (const QString& path : old) {
            if (!removeWorkingFile(path)) {
                m_host.refreshPartsList();
                return false;
            }
        }
    }

    // The folder may have been removed behind the program's back since start-up.
    if (!m_paths.FolderExists(m_work.parts()) && !m_paths.CreateFolder(m_work.parts())) {
        m_host.showMessage(QStringLiteral("Could not create ") + m_work.parts());
        return false;
    }
    std::optional<MediaInfo> media;
    if (usesMediaMacros(StepHost::Template::Split)) {
        media = probeInput(false);
        if (!media)
            return false;
    }
    const QString arguments = ExpandCommandTemplate(StepHost::Template::Split, MacroOrder::Standard,
                                                    media ? &*media : nullptr);
    const bool ok = RunFfmpeg(arguments);
    if (m_runner.wasStopped() || stopped()) {
        // The segments of a stopped split are incomplete; raw.mp4 stays for the next try.
        for (const QString& path :
             m_paths.ListFiles(m_work.parts(), QStringLiteral("output*"), true, false))
            m_paths.DeleteFile(path);
        m_host.refreshPartsList();
        return false;
    }
    m_host.refreshPartsList();
    // Removed after every run: a failed split starts again from Extract audio.
    const bool rawGone = removeWorkingFile(m_work.raw());
    const bool haveSegments =
        !m_paths.ListFiles(m_work.parts(), QStringLiteral("output*"), true, false).isEmpty();
    return ok && rawGone && haveSegments;
}
