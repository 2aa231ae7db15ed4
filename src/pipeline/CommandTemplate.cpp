// What the four ffmpeg steps share: the input check, the expansion of their templates and the
// ffmpeg run with its report in the output box.
#include "core/CommandTemplate.h"
#include "pipeline/Pipeline.h"
#include "platform/FileSnapshot.h"
#include "platform/ToolRunner.h"

bool Pipeline::inputCheck() {
    if (m_paths.FileExists(m_host.inputPath()))
        return true;
    m_host.showMessage(QStringLiteral("no input"));
    return false;
}

namespace {
const QString kPictureShift = QStringLiteral("%vo");
const QString kExtension = QStringLiteral("%ext");
} // namespace

QList<Macro> Pipeline::macroValues(MacroOrder order, const MediaInfo* media) const {
    const QString input = m_host.inputPath();
    const Macro inputFile{QStringLiteral("%1"), input};
    const Macro parentFolder{QStringLiteral("%pf"), m_paths.ParentFolder(input)};
    const Macro appFolder{QStringLiteral("%ap"), m_work.root()};
    const Macro outputFolder{QStringLiteral("%2"), m_host.outputFolder()};
    const Macro baseName{QStringLiteral("%bn"), m_paths.BaseName(input)};
    QList<Macro> macros =
        order == MacroOrder::Standard
            ? QList<Macro>{inputFile, parentFolder, appFolder, outputFolder, baseName}
            : QList<Macro>{inputFile, parentFolder, baseName, appFolder, outputFolder};
    if (media) {
        macros.append({kPictureShift, secondsArgument(pictureShift(*media))});
        macros.append({kExtension, outputExtension(*media)});
    }
    return macros;
}

bool Pipeline::usesMediaMacros(StepHost::Template which) const {
    const QString text = removeProgramWord(m_host.templateText(which));
    return text.contains(kPictureShift) || text.contains(kExtension);
}

QString Pipeline::ExpandCommandTemplate(StepHost::Template which, MacroOrder order,
                                        const MediaInfo* media) const {
    return expandMacros(removeProgramWord(m_host.templateText(which)), macroValues(order, media));
}

std::optional<MediaInfo> Pipeline::probeInput(bool needAudio) {
    const QString ffprobe = m_work.ffprobe();
    if (!m_paths.FileExists(ffprobe)) {
        m_host.showMessage(QStringLiteral("ffprobe not found: ") + ffprobe +
                           QStringLiteral("\n\nIt comes with ffmpeg; put it in the same folder."));
        return std::nullopt;
    }
    const QString input = m_host.inputPath();
    if (input.contains(QLatin1Char('"'))) {
        m_host.showMessage(QStringLiteral("This path holds a double quote (\"), which cannot be "
                                          "passed to ffmpeg:\n") +
                           input);
        return std::nullopt;
    }
    QStringList arguments = probeArguments(input);
    for (QString& argument : arguments)
        argument = QLatin1Char('"') + argument + QLatin1Char('"');
    m_runner.Run(ffprobe, arguments.join(QLatin1Char(' ')));
    if (m_runner.wasStopped())
        return std::nullopt;
    const MediaInfo media = parseProbeReport(m_runner.Output().toUtf8());
    if (!media.error.isEmpty()) {
        m_host.showMessage(QStringLiteral("ffmpeg cannot read ") + input + QStringLiteral(":\n") +
                           media.error);
        return std::nullopt;
    }
    if (needAudio && !media.first(QStringLiteral("audio"))) {
        m_host.showMessage(input + QStringLiteral("\n\nhas no audio track: there is no speech in "
                                                  "it to give another voice."));
        return std::nullopt;
    }
    return media;
}

bool Pipeline::checkJoinDecodes() {
    const QString joined = m_work.joined();
    const bool decodes = m_runner.Run(
        m_work.ffmpeg(), QStringLiteral("-nostdin -hide_banner -v error -xerror -i \"") + joined +
                             QStringLiteral("\" -map 0:a -f null -"));
    if (decodes && !m_runner.wasStopped())
        return true;
    // Reintegrate must not lay a broken join under the picture.
    m_paths.DeleteFile(joined);
    if (m_runner.wasStopped())
        return false;
    QString reason = m_runner.Output().trimmed();
    if (reason.size() > 2000)
        reason = reason.left(2000) + QStringLiteral("\n...");
    m_host.setToolOutput(
        QStringLiteral("Error: ffmpeg wrote joined.mp4, but it does not decode, so it was "
                       "removed. The pieces in the parts folder are not all of one format (a "
                       "piece converted elsewhere, or a changed template?).\r\n") +
        reason);
    return false;
}

void Pipeline::remark(const QString& text) {
    m_remark = text;
    if (m_inFullAuto)
        m_host.logAuto(text);
}

bool Pipeline::RunFfmpeg(const QString& arguments) {
    const QString remark = m_remark.isEmpty() ? QString() : m_remark + QStringLiteral("\r\n\r\n");
    m_remark.clear();
    if (stopped()) { // asked for while the step was getting ready
        m_host.setToolOutput(QStringLiteral("Stopped"));
        return false;
    }
    const FileSnapshot before(FileSnapshot::pathsIn(arguments));
    const bool ok = m_runner.Run(m_work.ffmpeg(), arguments);
    if (m_runner.wasStopped()) {
        // What the stopped run wrote is incomplete; what it only read is left alone.
        for (const QString& path : before.written())
            m_paths.DeleteFile(path);
        m_host.setToolOutput(QStringLiteral("Stopped\r\n") + m_runner.Output());
        return false;
    }
    m_host.setToolOutput(ok ? remark + m_runner.Output()
                            : QStringLiteral("Error: ") + m_runner.Output());
    return ok;
}

bool Pipeline::stopped() const {
    return m_host.stopRequested();
}

bool Pipeline::valuesCheck(StepHost::Template which) {
    const QString text = removeProgramWord(m_host.templateText(which));
    // No macro name holds another, nor begins with the end of one, so a name found in the text
    // is a macro the expansion replaces.
    for (const Macro& macro : macroValues(MacroOrder::Standard)) {
        if (!text.contains(macro.name))
            continue;
        if (macro.name == QStringLiteral("%2") && macro.value.isEmpty()) {
            m_host.showMessage(QStringLiteral("no output folder"));
            return false;
        }
        if (macro.value.contains(QLatin1Char('"'))) {
            m_host.showMessage(QStringLiteral("This path holds a double quote (\"), which cannot "
                                              "be passed to ffmpeg:\n") +
                               macro.value);
            return false;
        }
    }
    return true;
}

bool Pipeline::removeWorkingFile(const QString& path) {
    if (!m_paths.FileExists(path) || m_paths.DeleteFile(path))
        return true;
    m_host.showMessage(QStringLiteral("Could not delete ") + path);
    return false;
}
