#include "pipeline/BackgroundPlan.h"

#include "pipeline/ScriptRun.h"
#include "platform/UserEnvironment.h"

BackgroundPlan::BackgroundPlan(StepHost& host, const WorkFolder& work, const RunInputs& inputs,
                               QObject* parent)
    : Job(parent)
    , m_host(host)
    , m_work(work)
    , m_inputs(inputs) {}

void BackgroundPlan::begin() {
    if (!m_inputs.keepBackground) {
        finish(JobOutcome::done());
        return;
    }
    m_run = new ScriptRun(m_inputs.interpreter, {m_work.separator(), QStringLiteral("--check")}, {},
                          this);
    m_run->expect(QStringLiteral("check"));
    connect(m_run, &Job::finished, this, [this] {
        m_run->deleteLater();
        if (m_run->outcome().isStopped())
            finish(JobOutcome::stopped());
        else
            decide(*m_run);
    });
    m_run->start();
}

void BackgroundPlan::decide(ScriptRun& check) {
    const ScriptMessage found = check.last(QStringLiteral("check"));
    const bool local = found.flag("available");
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

void BackgroundPlan::fetchWeights() {
    m_host.showStage(QStringLiteral("Fetching the separator's model"));
    m_run = new ScriptRun(m_inputs.interpreter, {m_work.separator(), QStringLiteral("--download")},
                          {}, this);
    connect(m_run, &ScriptRun::message, this, [this](const ScriptMessage& m) {
        if (m.type == QLatin1String("progress"))
            m_host.showProgress(m.number("fraction"));
    });
    connect(m_run, &Job::finished, this, [this](const JobOutcome& outcome) {
        m_run->deleteLater();
        if (outcome.isStopped())
            finish(outcome);
        else if (!outcome.isDone())
            finish(JobOutcome::failed(QStringLiteral("The separator's model could not be "
                                                     "fetched: ") +
                                      outcome.reason));
        else
            finish(JobOutcome::done());
    });
    m_run->start();
}

void BackgroundPlan::halt() {
    if (m_run && m_run->isStarted() && !m_run->isFinished())
        m_run->stop();
    else
        finish(JobOutcome::stopped()); // waiting for the user's answer
}
