// Reintegrate: joined.mp4 laid under the input's picture, written into the output folder.
#include "pipeline/Pipeline.h"

bool Pipeline::reintegrate() {
    if (!inputCheck() || !valuesCheck(StepHost::Template::Integrate))
        return false;
    // Here the base name is replaced before the folders: the reintegrate macro order.
    const QString arguments =
        ExpandCommandTemplate(StepHost::Template::Integrate, MacroOrder::Reintegrate);
    if (!m_paths.FileExists(m_work.joined())) {
        m_host.showMessage(QStringLiteral("Could not find joined.mp4"));
        return false;
    }
    return RunFfmpeg(arguments);
}
