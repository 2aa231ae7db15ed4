// The Full Auto run: the five steps in order, each announced in listAuto before it starts. The
// run stops at the first step that fails, so unconverted segments are never joined into a video
// that sounds finished.
#include "pipeline/Pipeline.h"

#include <QScopeGuard>

#include <array>

namespace {

struct Stage {
    const char* line;
    bool (Pipeline::*step)();
};

constexpr std::array<Stage, 5> kStages{{
    {"Extracting", &Pipeline::extractAudio},
    {"Splitting", &Pipeline::splitAudio},
    {"AI Conversion", &Pipeline::convertVoices},
    {"Joining", &Pipeline::rejoinAudio},
    {"Final output", &Pipeline::reintegrate},
}};

} // namespace

bool Pipeline::fullAuto() {
    m_host.clearAutoLog();
    // What would only fail at the last stage is checked before the first: a paid conversion
    // must not end in "no output folder".
    for (const auto which : {StepHost::Template::Extract, StepHost::Template::Split,
                             StepHost::Template::Concat, StepHost::Template::Integrate}) {
        if (!valuesCheck(which))
            return false;
    }
    const QString outputFolder = m_host.outputFolder();
    if (m_host.templateText(StepHost::Template::Integrate).contains(QStringLiteral("%2")) &&
        !m_paths.FolderExists(outputFolder)) {
        m_host.showMessage(QStringLiteral("The output folder does not exist:\n") + outputFolder);
        return false;
    }
    // An input ffmpeg cannot read, or one without audio, is named before anything runs. (One that
    // is missing is Extracting's "no input".)
    if (m_paths.FileExists(m_host.inputPath()) && !probeInput(true))
        return false;
    m_inFullAuto = true;
    const auto done = qScopeGuard([this] { m_inFullAuto = false; });
    for (const Stage& stage : kStages) {
        const QString line = QString::fromLatin1(stage.line);
        m_host.logAuto(line);
        m_host.showStage(line);
        const bool ok = (this->*stage.step)();
        if (stopped()) {
            m_host.logAuto(QStringLiteral("Stopped"));
            return false;
        }
        if (!ok) {
            m_host.logAuto(line + QStringLiteral(" failed; the run stops here"));
            return false;
        }
    }
    m_host.playSound(m_work.completeSound());
    return true;
}
