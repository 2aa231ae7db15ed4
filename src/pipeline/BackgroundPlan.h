#pragma once

#include "pipeline/RunInputs.h"
#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"

#include <optional>

class ScriptRun;

// Keep background: where the voice is split off the music and sounds for a run, worked out
// from the user's choice, the key and the separator on this machine, whose model's weights are
// fetched first where the user agrees. Done with `mode()`: "service", "local", or "" when the
// background is not to be kept. It fails, with a sentence for the user, when it cannot be kept.
class BackgroundPlan : public Job {
    Q_OBJECT
public:
    // `seconds`: the audio the isolator would take, where known, for the question that names its
    // cost.
    BackgroundPlan(StepHost& host, const WorkFolder& work, const RunInputs& inputs,
                   std::optional<double> seconds = std::nullopt, QObject* parent = nullptr);

    const QString& mode() const { return m_mode; }

protected:
    void begin() override;

private:
    void decide(ScriptRun& check);
    void askForIsolator(const QString& reason);
    void fetchWeights();

    StepHost& m_host;
    WorkFolder m_work;
    RunInputs m_inputs;
    std::optional<double> m_seconds;
    QString m_mode;
};
