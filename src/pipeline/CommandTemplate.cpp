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

QList<Macro> Pipeline::macroValues(MacroOrder order) const {
    const QString input = m_host.inputPath();
    const Macro inputFile{QStringLiteral("%1"), input};
    const Macro parentFolder{QStringLiteral("%pf"), m_paths.ParentFolder(input)};
    const Macro appFolder{QStringLiteral("%ap"), m_work.root()};
    const Macro outputFolder{QStringLiteral("%2"), m_host.outputFolder()};
    const Macro baseName{QStringLiteral("%bn"), m_paths.BaseName(input)};
    return order == MacroOrder::Standard
               ? QList<Macro>{inputFile, parentFolder, appFolder, outputFolder, baseName}
               : QList<Macro>{inputFile, parentFolder, baseName, appFolder, outputFolder};
}

QString Pipeline::ExpandCommandTemplate(StepHost::Template which, MacroOrder order) const {
    return expandMacros(removeProgramWord(m_host.templateText(which)), macroValues(order));
}

bool Pipeline::RunFfmpeg(const QString& arguments) {
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
    m_host.setToolOutput(ok ? m_runner.Output() : QStringLiteral("Error: ") + m_runner.Output());
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
