#include "pipeline/Step.h"

#include "core/Voices.h"
#include "pipeline/BackgroundPlan.h"
#include "pipeline/InputProbe.h"

Step::Step(const StepContext& context, QObject* parent)
    : Job(parent)
    , m_context(context) {}

void Step::refuse(const QString& message) {
    host().showMessage(message);
    finish(JobOutcome::failed(message));
}

bool Step::inputCheck() {
    if (m_paths.FileExists(inputs().input))
        return true;
    refuse(tr("no input"));
    return false;
}

QString Step::voiceCheck() {
    const QString id = voiceIdFromRow(inputs().voiceRow);
    if (id.isEmpty())
        refuse(tr("No voice selected. Choose a voice in the Voice list."));
    return id;
}

bool Step::valuesCheck(Template which) {
    if (inputs().outputFolder.isEmpty() &&
        templateUses(inputs().templateText(which), QStringLiteral("%2"))) {
        refuse(tr("no output folder"));
        return false;
    }
    return true;
}

void Step::probeInput(bool needAudio, std::function<void(const MediaInfo&)> then) {
    if (m_context.media) {
        then(*m_context.media);
        return;
    }
    runChild(new InputProbe(work().ffprobe(), inputs().input, needAudio),
             [this, then](InputProbe& probe) {
                 if (probe.outcome().isStopped())
                     finish(JobOutcome::stopped());
                 else if (!probe.outcome().isDone())
                     refuse(probe.outcome().reason);
                 else
                     then(probe.media());
             });
}

void Step::planBackground(std::optional<double> seconds,
                          std::function<void(const QString& mode)> then) {
    if (m_context.background) {
        then(*m_context.background);
        return;
    }
    runChild(new BackgroundPlan(host(), work(), inputs(), seconds),
             [this, then](BackgroundPlan& plan) {
                 if (plan.outcome().isStopped())
                     finish(JobOutcome::stopped());
                 else if (!plan.outcome().isDone())
                     refuse(plan.outcome().reason);
                 else
                     then(plan.mode());
             });
}
