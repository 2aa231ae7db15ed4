// The Full Auto run: the five steps in order, each announced in listAuto before it starts. The
// run stops at the first step that does not succeed, so unconverted segments are never joined
// into a video that sounds finished. What would only fail later, and what the run costs, comes
// before the first.
#include "pipeline/CostQuestion.h"
#include "pipeline/ScriptRun.h"
#include "pipeline/Steps.h"
#include "pipeline/TemplateMacros.h"
#include "platform/FileSnapshot.h"
#include "platform/UserEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <array>
#include <functional>

namespace {

struct Stage {
    const char* line;
    double share; // of the whole run's usual time
    std::function<Step*(const StepContext&)> make;
};

template <typename T> Step* make(const StepContext& context) {
    return new T(context);
}

const std::array<Stage, 5> kStages{{
    {QT_TRANSLATE_NOOP("FullAutoRun", "Extracting"), 0.05, make<ExtractStep>},
    {QT_TRANSLATE_NOOP("FullAutoRun", "Splitting"), 0.05, make<SplitStep>},
    {QT_TRANSLATE_NOOP("FullAutoRun", "AI Conversion"), 0.80, make<ConvertStep>},
    {QT_TRANSLATE_NOOP("FullAutoRun", "Joining"), 0.05, make<RejoinStep>},
    {QT_TRANSLATE_NOOP("FullAutoRun", "Final output"), 0.05, make<ReintegrateStep>},
}};

} // namespace

FullAutoRun::FullAutoRun(const StepContext& context, QObject* parent)
    : Step(context, parent)
    , m_progress(context.host) {}

void FullAutoRun::begin() {
    host().clearLog(StepHost::Log::Auto);
    // What would only fail at the last stage is checked before the first: a paid conversion
    // must not end in "no output folder".
    for (const Template which :
         {Template::Extract, Template::Split, Template::Concat, Template::Integrate}) {
        if (!valuesCheck(which))
            return;
    }
    const QString outputFolder = inputs().outputFolder;
    if (templateUses(inputs().templateText(Template::Integrate), QStringLiteral("%2")) &&
        !paths().FolderExists(outputFolder)) {
        refuse(tr("The output folder does not exist:\n%1").arg(outputFolder));
        return;
    }
    // Nor may a voice the run cannot use, a missing key or interpreter be found out only after
    // the audio was extracted and cut.
    if (!inputCheck())
        return;
    if (voiceCheck().isEmpty())
        return;
    if (!paths().FileExists(inputs().interpreter)) {
        refuse(pythonMissing(inputs().interpreter));
        return;
    }
    if (!offlineVoice() && qEnvironmentVariable(kApiKeyVariable).trimmed().isEmpty()) {
        refuse(tr("A run with the voice service needs an ElevenLabs API key: set it with Tools > "
                  "Set elevenlabs_api_key env var, or (for voxsplice-cli) in the environment "
                  "variable elevenlabs_api_key."));
        return;
    }
    // An input ffmpeg cannot read, or one without audio, is named before anything runs; so is a
    // background that cannot be kept, decided here once for the run, with the separator's model
    // fetched now if need be.
    probeInput(true, [this](const MediaInfo& media) {
        m_media = media;
        if (!inputs().keepBackground) {
            keepOrReplace();
            return;
        }
        planBackground(media.duration, [this](const QString& mode) {
            m_background = mode;
            keepOrReplace();
        });
    });
}

// A video of the same name in the output folder is replaced only when the user says so; a queue
// or a command line, run unattended, writes beside the ones it wrote itself instead.
void FullAutoRun::keepOrReplace() {
    const QStringList written = FileSnapshot::pathsIn(
        stepArguments(inputs(), work(), Template::Integrate, m_media ? &*m_media : nullptr));
    const QString output = written.isEmpty() ? QString() : written.last();
    if (inputs().unattended || output.isEmpty() || !QFileInfo::exists(output)) {
        agreeCost();
        return;
    }
    // The answer may come after this run was stopped and deleted.
    host().ask(tr("%1 exists. Replace it?").arg(QFileInfo(output).fileName()),
               [self = QPointer<FullAutoRun>(this), output](bool yes) {
                   if (!self || self->isFinished())
                       return;
                   if (yes) {
                       self->agreeCost();
                       return;
                   }
                   self->host().log(
                       StepHost::Log::Auto,
                       tr("Not started: %1 is kept").arg(QDir::toNativeSeparators(output)));
                   self->finish(JobOutcome::stopped());
               });
}

// What the run sends to the voice service, and whether the user agrees to pay it, before the
// audio is extracted.
void FullAutoRun::agreeCost() {
    // Nothing is paid; or a queue or a command line showed what all its videos cost before.
    if ((offlineVoice() && m_background != QLatin1String("service")) || inputs().unattended) {
        m_costAgreed = inputs().unattended;
        nextStage();
        return;
    }
    RunInputs video = inputs();
    if (m_background)
        video.separation = m_background->isEmpty() ? video.separation : *m_background;
    runChild(new CostQuestion(host(), work(), {video},
                              CostQuestion::converting(host(), StepHost::Log::Auto)),
             [this](CostQuestion& question) {
                 if (question.declined()) {
                     host().log(StepHost::Log::Auto, question.outcome().isStopped()
                                                         ? tr("Not started: cancelled")
                                                         : tr("Not started: too few credits"));
                     finish(JobOutcome::stopped());
                 } else if (!question.outcome().isDone()) {
                     finish(question.outcome());
                 } else {
                     if (!question.cost()) // the conversion works its cost out again, and asks then
                         host().log(StepHost::Log::Auto, question.unknownLine());
                     m_costAgreed = question.cost().has_value();
                     nextStage();
                 }
             });
}

void FullAutoRun::nextStage() {
    if (++m_stage == int(kStages.size())) {
        host().playSound(work().completeSound());
        finish(JobOutcome::done());
        return;
    }
    const Stage& stage = kStages[m_stage];
    const QString line = tr(stage.line);
    host().log(StepHost::Log::Auto, line);
    double from = 0;
    for (int i = 0; i < m_stage; ++i)
        from += kStages[i].share;
    m_progress.beginStage(line, from, stage.share);
    StepContext stageContext{m_progress, work(), inputs()};
    stageContext.inFullAuto = true;
    stageContext.background = m_background;
    stageContext.media = m_media;
    stageContext.costAgreed = m_costAgreed;
    m_current = runChild(stage.make(stageContext), [this, line](Step& ended) {
        m_current = nullptr;
        const JobOutcome& outcome = ended.outcome();
        if (outcome.isStopped() || stopRequested()) {
            host().log(StepHost::Log::Auto, tr("Stopped"));
            finish(JobOutcome::stopped());
        } else if (!outcome.isDone()) {
            const QString reason = outcome.reason.section(QLatin1Char('\n'), 0, 0);
            host().log(StepHost::Log::Auto,
                       tr("%1 failed: %2; the run stops here").arg(line, reason));
            finish(
                JobOutcome::failed(line + QStringLiteral(": ") + outcome.reason, outcome.forNow));
        } else {
            if (auto* last = qobject_cast<ReintegrateStep*>(&ended))
                m_output = last->output();
            nextStage();
        }
    });
}

void FullAutoRun::halt() {
    // A stage says itself that it stopped; before the first, the run says it.
    if (!m_current)
        host().log(StepHost::Log::Auto, tr("Stopped"));
    Step::halt();
}
