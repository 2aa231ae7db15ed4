#include "pipeline/BackgroundPlan.h"

#include "core/Estimate.h"
#include "pipeline/ScriptRun.h"
#include "platform/UserEnvironment.h"

#include <QPointer>

BackgroundPlan::BackgroundPlan(StepHost& host, const WorkFolder& work, const RunInputs& inputs,
                               std::optional<double> seconds, QObject* parent)
    : Job(parent)
    , m_host(host)
    , m_work(work)
    , m_inputs(inputs)
    , m_seconds(seconds) {}

void BackgroundPlan::begin() {
    if (!m_inputs.keepBackground) {
        finish(JobOutcome::done());
        return;
    }
    auto* check =
        new ScriptRun(m_inputs.interpreter, {m_work.separator(), QStringLiteral("--check")});
    check->expect(QStringLiteral("check"));
    runChild(check, [this](ScriptRun& check) {
        if (check.outcome().isStopped())
            finish(JobOutcome::stopped());
        else
            decide(check);
    });
}

void BackgroundPlan::decide(ScriptRun& check) {
    const ScriptMessage found = check.last(QStringLiteral("check"));
    const bool local = check.outcome().isDone() && found.flag("available");
    // Why it cannot run here: its own words, or how its check ended.
    const QString reason = local                       ? QString()
                           : !check.outcome().isDone() ? check.failure()
                           : !found.text("reason").isEmpty()
                               ? found.text("reason")
                               : tr("python3-torchaudio is not installed");
    const bool service = !qEnvironmentVariable(kApiKeyVariable).trimmed().isEmpty();
    const QString choice = m_inputs.separation;
    m_mode = choice == QLatin1String("service") || choice == QLatin1String("local") ? choice
             : local ? QStringLiteral("local")
                     : QStringLiteral("service");
    const QString install = tr("the separator on this machine needs python3-torchaudio (sudo apt "
                               "install python3-torchaudio)");
    const QString key = tr("the voice service's isolator needs the API key (Tools > Set "
                           "elevenlabs_api_key env var, or for voxsplice-cli the environment "
                           "variable elevenlabs_api_key)");
    if (m_mode == QLatin1String("local") && !local) {
        finish(JobOutcome::failed(
            tr("Keep background cannot run here: %1. Or choose the service, or untick Keep "
               "background.")
                .arg(install)));
    } else if (m_mode == QLatin1String("service") && !service) {
        finish(JobOutcome::failed(
            local ? tr("Keep background cannot run: %1. Or untick Keep background.").arg(key)
                  : tr("Keep background cannot run: %1, and %2. Or untick Keep background.")
                        .arg(key, install)));
    } else if (m_mode == QLatin1String("service") && choice == QLatin1String("automatic")) {
        // Never a silent switch to the paid way.
        askForIsolator(reason);
    } else if (m_mode == QLatin1String("local") && !found.flag("weights")) {
        // The answer may come after this plan was stopped and deleted.
        m_host.ask(tr("Keeping the background on this machine needs the separator's model "
                      "(about 320 MB, fetched once from download.pytorch.org; see the README for "
                      "its licence). Nothing of yours is sent.\n\nFetch it now?"),
                   [self = QPointer(this)](bool yes) {
                       if (!self || self->isFinished())
                           return;
                       if (yes)
                           self->fetchWeights();
                       else
                           self->finish(JobOutcome::failed(
                               tr("Keep background needs the separator's model: not fetched.")));
                   });
    } else {
        finish(JobOutcome::done());
    }
}

void BackgroundPlan::askForIsolator(const QString& reason) {
    m_host.log(StepHost::Log::Conversion, tr("The local separator cannot run: %1").arg(reason));
    const QString question =
        m_seconds ? tr("The local separator cannot run: %1. Use the voice service's isolator, "
                       "about %2 credits?")
                        .arg(reason, QString::number(creditsFor(*m_seconds)))
                  : tr("The local separator cannot run: %1. Use the voice service's isolator?")
                        .arg(reason);
    // The answer may come after this plan was stopped and deleted.
    m_host.ask(question, [self = QPointer(this)](bool yes) {
        if (!self || self->isFinished())
            return;
        if (yes)
            self->finish(JobOutcome::done());
        else
            self->finish(JobOutcome::failed(
                tr("Keep background: the local separator cannot run, and the voice service's "
                   "isolator was not wanted. Untick Keep background, or choose where it is split "
                   "off.")));
    });
}

void BackgroundPlan::fetchWeights() {
    m_host.showStage(tr("Fetching the separator's model"));
    auto* download =
        new ScriptRun(m_inputs.interpreter, {m_work.separator(), QStringLiteral("--download")});
    connect(download, &ScriptRun::message, this, [this](const ScriptMessage& m) {
        if (m.type == QLatin1String("progress"))
            m_host.showProgress(m.number("fraction"));
    });
    runChild(download, [this](ScriptRun& run) {
        const JobOutcome& outcome = run.outcome();
        if (outcome.isStopped())
            finish(outcome);
        else if (!outcome.isDone())
            finish(JobOutcome::failed(
                tr("The separator's model could not be fetched: %1").arg(outcome.reason)));
        else
            finish(JobOutcome::done());
    });
}
