#pragma once

#include "pipeline/RunInputs.h"
#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"

#include <QPointer>

class ScriptRun;

// Keep background: where the voice is split off the music and sounds for a run, worked out
// from the user's choice, the key and the separator on this machine, whose model's weights are
// fetched first where the user agrees. Done with `mode()`: "service", "local", or "" when the
// background is not to be kept. It fails, with a sentence for the user, when it cannot be kept.
class BackgroundPlan : public Job {
    Q_OBJECT
public:
    BackgroundPlan(StepHost& host, const WorkFolder& work, const RunInputs& inputs,
                   QObject* parent = nullptr);

    const QString& mode() const { return m_mode; }

protected:
    void begin() override;
    void halt() override;

private:
    void decide(ScriptRun& check);
    void fetchWeights();

    StepHost& m_host;
    WorkFolder m_work;
    RunInputs m_inputs;
    QString m_mode;
    QPointer<ScriptRun> m_run;
};
