// Keep background: where the voice is split off the music and sounds, decided before a run.
#include "pipeline/Step.h"
#include "platform/ProcessJob.h"
#include "platform/UserEnvironment.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

void Step::prepareBackground(std::function<void(const QString& mode)> then) {
    if (!inputs().keepBackground) {
        then(QString());
        return;
    }
    runTool(inputs().interpreter, {work().separator(), QStringLiteral("--check")},
            [this, then](ProcessJob& check) {
                if (check.outcome().isStopped()) {
                    finish(JobOutcome::stopped());
                    return;
                }
                const QJsonObject found =
                    QJsonDocument::fromJson(check.output().toUtf8().trimmed()).object();
                const bool local = found.value(QLatin1String("available")).toBool();
                const bool service = !qEnvironmentVariable(kApiKeyVariable).trimmed().isEmpty();
                const QString choice = inputs().separation;
                QString mode = choice;
                if (choice != QLatin1String("service") && choice != QLatin1String("local"))
                    mode = local ? QStringLiteral("local") : QStringLiteral("service");
                const QString install = QStringLiteral(
                    "the separator on this machine needs python3-torchaudio (sudo apt install "
                    "python3-torchaudio)");
                const QString key = QStringLiteral("the voice service's isolator needs the API "
                                                   "key (Tools > Set elevenlabs_api_key env var)");
                if (mode == QLatin1String("local") && !local) {
                    refuse(QStringLiteral("Keep background cannot run here: ") + install +
                           QStringLiteral(". Or choose the service, or untick Keep background."));
                } else if (mode == QLatin1String("service") && !service) {
                    refuse(QStringLiteral("Keep background cannot run: ") + key +
                           (local ? QString() : QStringLiteral(", and ") + install) +
                           QStringLiteral(". Or untick Keep background."));
                } else if (mode == QLatin1String("local") &&
                           !found.value(QLatin1String("weights")).toBool()) {
                    host().ask(
                        QStringLiteral("Keeping the background on this machine needs the "
                                       "separator's model (about 320 MB, fetched once from "
                                       "download.pytorch.org; see the README for its licence). "
                                       "Nothing of yours is sent.\n\nFetch it now?"),
                        [this, then](bool yes) {
                            if (isFinished())
                                return;
                            if (!yes) {
                                refuse(QStringLiteral("Keep background needs the separator's "
                                                      "model: not fetched."));
                                return;
                            }
                            fetchWeights([then] { then(QStringLiteral("local")); });
                        });
                } else {
                    then(mode);
                }
            });
}

void Step::fetchWeights(std::function<void()> then) {
    host().showStage(QStringLiteral("Fetching the separator's model"));
    ProcessJob* fetch =
        runTool(inputs().interpreter, {work().separator(), QStringLiteral("--download")},
                [this, then](ProcessJob& run) {
                    if (run.outcome().isStopped())
                        finish(JobOutcome::stopped());
                    else if (!run.outcome().isDone())
                        refuse(QStringLiteral("The separator's model could not be fetched: ") +
                               run.output().trimmed().section(QLatin1Char('\n'), -1));
                    else
                        then();
                });
    if (!fetch)
        return;
    connect(fetch, &ProcessJob::outputReceived, this, [this](const QByteArray& bytes) {
        static const QRegularExpression percent(QStringLiteral("\\((\\d+)%\\)"));
        QRegularExpressionMatchIterator it = percent.globalMatch(QString::fromUtf8(bytes));
        while (it.hasNext())
            host().showProgress(it.next().captured(1).toInt() / 100.0);
    });
}
