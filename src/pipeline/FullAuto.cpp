// The Full Auto run: the five steps in order, each announced in listAuto before it starts. The
// run stops at the first step that does not succeed, so unconverted segments are never joined
// into a video that sounds finished.
#include "pipeline/Steps.h"

#include <array>
#include <functional>

namespace {

struct Stage {
    const char* line;
    std::function<Step*(const StepContext&, QObject*)> make;
};

template <typename T> Step* make(const StepContext& context, QObject* parent) {
    return new T(context, parent);
}

const std::array<Stage, 5> kStages{{
    {"Extracting", make<ExtractStep>},
    {"Splitting", make<SplitStep>},
    {"AI Conversion", make<ConvertStep>},
    {"Joining", make<RejoinStep>},
    {"Final output", make<ReintegrateStep>},
}};

} // namespace

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
        refuse(QStringLiteral("The output folder does not exist:\n") + outputFolder);
        return;
    }
    // An input ffmpeg cannot read, or one without audio, is named before anything runs (one that
    // is missing is Extracting's "no input"); so is a background that cannot be kept, decided
    // here once for the run, with the separator's model fetched now if need be.
    const auto ready = [this] {
        if (!inputs().keepBackground || !paths().FileExists(inputs().interpreter)) {
            nextStage();
            return;
        }
        planBackground(m_media ? m_media->duration : std::nullopt, [this](const QString& mode) {
            m_background = mode;
            nextStage();
        });
    };
    if (paths().FileExists(inputs().input))
        probeInput(true, [this, ready](const MediaInfo& media) {
            m_media = media;
            ready();
        });
    else
        ready();
}

void FullAutoRun::nextStage() {
    if (++m_stage == int(kStages.size())) {
        host().playSound(work().completeSound());
        finish(JobOutcome::done());
        return;
    }
    const Stage& stage = kStages[m_stage];
    const QString line = QString::fromLatin1(stage.line);
    host().log(StepHost::Log::Auto, line);
    host().showStage(line);
    StepContext stageContext = context();
    stageContext.inFullAuto = true;
    stageContext.background = m_background;
    stageContext.media = m_media;
    m_current = runChild(stage.make(stageContext, nullptr), [this, line](Step& ended) {
        m_current = nullptr;
        const JobOutcome& outcome = ended.outcome();
        if (outcome.isStopped() || stopRequested()) {
            host().log(StepHost::Log::Auto, QStringLiteral("Stopped"));
            finish(JobOutcome::stopped());
        } else if (!outcome.isDone()) {
            const QString reason = outcome.reason.section(QLatin1Char('\n'), 0, 0);
            host().log(StepHost::Log::Auto,
                       QStringLiteral("%1 failed: %2; the run stops here").arg(line, reason));
            finish(JobOutcome::failed(line + QStringLiteral(": ") + outcome.reason));
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
        host().log(StepHost::Log::Auto, QStringLiteral("Stopped"));
    Step::halt();
}
