#pragma once

#include "core/CommandTemplate.h"
#include "core/MediaInfo.h"
#include "pipeline/RunInputs.h"
#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"
#include "platform/PathTools.h"

#include <QList>

#include <functional>
#include <optional>

// What every step is made with.
struct StepContext {
    StepHost& host;
    WorkFolder work;
    RunInputs inputs;
    bool inFullAuto = false; // remarks go to the Full Auto log too
    // What ffprobe said of the input when the run began; the steps do not ask again.
    std::optional<MediaInfo> media;
    // Where the background is split off, when the run decided it before the step.
    std::optional<QString> background;
    // The run's cost was shown and agreed to before it began.
    bool costAgreed = false;
};

// A pipeline step: a job that reports through the host and does its work through child jobs
// (tool runs, the probe, the background's plan), which Stop reaches. What each child does lives
// in its own class; the step composes them.
class Step : public Job {
    Q_OBJECT
public:
    explicit Step(const StepContext& context, QObject* parent = nullptr);

protected:
    StepHost& host() const { return m_context.host; }
    const WorkFolder& work() const { return m_context.work; }
    const RunInputs& inputs() const { return m_context.inputs; }
    const StepContext& context() const { return m_context; }
    const PathTools& paths() const { return m_paths; }

    // Ends the step as failed with a message box saying why.
    void refuse(const QString& message);
    // Ends the step as failed, without a box (the output box or a log has said why).
    void fail(const QString& reason) { finish(JobOutcome::failed(reason)); }

    // "no input" when the input box names no existing file.
    bool inputCheck();
    // Refuses a template that needs an output folder where none is given.
    bool valuesCheck(Template which);
    // The chosen voice's id; refuses, and gives empty text, when none is chosen.
    QString voiceCheck();

    // What ffprobe says of the input (asked once per run). When it cannot tell, or the input has
    // no audio and `needAudio`, the step ends with a message.
    void probeInput(bool needAudio, std::function<void(const MediaInfo&)> then);
    // Where the background is split off: "service", "local", or "" when it is not kept. When it
    // cannot be kept, the step ends with a message. `seconds`: the audio to convert, where known.
    void planBackground(std::optional<double> seconds,
                        std::function<void(const QString& mode)> then);

private:
    StepContext m_context;
    PathTools m_paths;
};
