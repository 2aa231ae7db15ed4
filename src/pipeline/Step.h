#pragma once

#include "core/CommandTemplate.h"
#include "core/MediaInfo.h"
#include "pipeline/RunInputs.h"
#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"
#include "platform/PathTools.h"
#include "platform/ProcessJob.h"

#include <QList>

#include <functional>

// What every step is made with.
struct StepContext {
    StepHost& host;
    WorkFolder work;
    RunInputs inputs;
    bool inFullAuto = false; // remarks go to the Full Auto log too
    // What ffprobe said of the input when the run began; the steps do not ask again.
    std::optional<MediaInfo> media;
};

// A pipeline step: a job that runs its tools one after another and reports through the host.
// What the steps share lives here: the input check, the templates and their macros, the ffprobe
// report, the tool runs and the ffmpeg run with its report in the output box.
class Step : public Job {
    Q_OBJECT
public:
    explicit Step(const StepContext& context, QObject* parent = nullptr);
    ~Step() override;

    // The order in which a step replaces the template macros.
    enum class MacroOrder { Standard, Reintegrate };

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
    // Refuses a template whose macros have values that cannot stand in it: an empty output
    // folder (the path would start at the root) or a path with a double quote.
    bool valuesCheck(Template which);
    // The template's arguments for ffmpeg. `media` gives the macros that come from the input's
    // streams.
    QStringList arguments(Template which, MacroOrder order, const MediaInfo* media = nullptr) const;
    bool usesMediaMacros(Template which) const;
    // Asks ffprobe about the input; `then` gets its report. When ffprobe is missing or cannot
    // read the input, or the input has no audio and `needAudio`, the step ends with a message.
    void probeInput(bool needAudio, std::function<void(const MediaInfo&)> then);
    // Where the background is split off for this run: "service" or "local", worked out from
    // the choice, the key and the separator on this machine, whose model's weights are fetched
    // first where the user agrees. `then` gets "" when the background is not to be kept. When
    // it cannot be kept, the step ends with a message saying why.
    void prepareBackground(std::function<void(const QString& mode)> then);
    // Fetches the separator's model, telling how far it has come; then `then`.
    void fetchWeights(std::function<void()> then);
    // Deletes a working file when it exists. When it stays, the step ends with a message.
    bool removeWorkingFile(const QString& path);

    // Runs a program as this step's child; `then` gets it once it ended, whatever the outcome.
    // A stop asked for before it starts ends the step as stopped instead (and gives nullptr).
    ProcessJob* runTool(const QString& program, const QStringList& arguments,
                        std::function<void(ProcessJob&)> then,
                        const ProcessJob::Environment& environment = {});
    // Runs the working folder's ffmpeg; its text goes to the output box, after "Error: " when it
    // failed. A stopped run removes what it wrote, says "Stopped" and ends the step; otherwise
    // `then` gets whether it succeeded.
    void runFfmpeg(const QStringList& arguments, std::function<void(bool ok)> then);
    // What the latest ffmpeg run put in the output box.
    const QString& shownOutput() const { return m_shownOutput; }
    // A remark on the next ffmpeg run: it stands above ffmpeg's text in the output box and,
    // during Full Auto, in its log.
    void remark(const QString& text);

    void halt() override;
    bool toolsRunning() const { return !m_running.isEmpty(); }
    // What a stopped ffmpeg run leaves that the step must remove beyond the files it names.
    virtual void cleanUpAfterStop() {}

private:
    StepContext m_context;
    PathTools m_paths;
    QList<ProcessJob*> m_running;
    QString m_remark;
    QString m_shownOutput;
};
