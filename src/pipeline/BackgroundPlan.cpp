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
                               : QStringLiteral("python3-torchaudio is not "
                                                "installed");
    const bool service = !qEnvironmentVariable(kApiKeyVariable).trimmed().isEmpty();
    const QString choice = m_inputs.separation;
    m_mode = choice == QLatin1String("service") || choice == QLatin1String("local") ? choice
             : local ? QStringLiteral("local")
                     : QStringLiteral("service");
    const QString install = QStringLiteral("the separator on this machine needs "
                                           "python3-torchaudio (sudo apt install "
                                           "python3-torchaudio)");
    const QString key = QStringLiteral("the voice service's isolator needs the API key (Tools > "
                                       "Set elevenlabs_api_key env var)");
    if (m_mode == QLatin1String("local") && !local) {
        finish(JobOutcome::failed(QStringLiteral("Keep background cannot run here: ") + install +
                                  QStringLiteral(". Or choose the service, or untick Keep "
                                                 "background.")));
    } else if (m_mode == QLatin1String("service") && !service) {
        finish(JobOutcome::failed(QStringLiteral("Keep background cannot run: ") + key +
                                  (local ? QString() : QStringLiteral(", and ") + install) +
                                  QStringLiteral(". Or untick Keep background.")));
    } else if (m_mode == QLatin1String("service") && choice == QLatin1String("automatic")) {
        // Never a silent switch to the paid way.
        askForIsolator(reason);
    } else if (m_mode == QLatin1String("local") && !found.flag("weights")) {
        // The answer may come after this plan was stopped and deleted.
        m_host.ask(QStringLiteral("Keeping the background on this machine needs the separator's "
                                  "model (about 320 MB, fetched once from download.pytorch.org; "
                                  "see the README for its licence). Nothing of yours is sent.\n\n"
                                  "Fetch it now?"),
                   [self = QPointer(this)](bool yes) {
                       if (!self || self->isFinished())
                           return;
                       if (yes)
                           self->fetchWeights();
                       else
                           self->finish(JobOutcome::failed(
                               QStringLiteral("Keep background needs the separator's model: not "
                                              "fetched.")));
                   });
    } else {
        finish(JobOutcome::done());
    }
}

void BackgroundPlan::askForIsolator(const QString& reason) {
    const QString cannot = QStringLiteral("The local separator cannot run: ") + reason;
    m_host.log(StepHost::Log::Conversion, cannot);
    QString question = cannot + QStringLiteral(". Use the voice service's isolator");
    if (m_seconds)
        question += QStringLiteral(", about %1 credits").arg(creditsFor(*m_seconds));
    // The answer may come after this plan was stopped and deleted.
    m_host.ask(question + QLatin1Char('?'), [self = QPointer(this)](bool yes) {
        if (!self || self->isFinished())
            return;
        if (yes)
            self->finish(JobOutcome::done());
        else
            self->finish(JobOutcome::failed(QStringLiteral(
                "Keep background: the local separator cannot run, and the voice service's "
                "isolator was not wanted. Untick Keep background, or choose where it is split "
                "off.")));
    });
}

void BackgroundPlan::fetchWeights() {
    m_host.showStage(QStringLiteral("Fetching the separator's model"));
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
            finish(JobOutcome::failed(QStringLiteral("The separator's model could not be "
                                                     "fetched: ") +
                                      outcome.reason));
        else
            finish(JobOutcome::done());
    });
}
