#include "pipeline/VoicePreviews.h"

#include "pipeline/ScriptRun.h"

#include <QJsonArray>
#include <QJsonObject>

VoicePreviews::VoicePreviews(const QString& interpreter, const QString& script,
                             const QString& cacheFolder, QObject* parent)
    : QObject(parent)
    , m_interpreter(interpreter)
    , m_script(script)
    , m_cacheFolder(cacheFolder) {}

ScriptRun* VoicePreviews::run(const QStringList& arguments, const QString& answer) {
    auto* run = new ScriptRun(
        m_interpreter, QStringList{m_script} + arguments,
        serviceEnvironment() +
            ProcessJob::Environment{{QStringLiteral("VOXSPLICE_CACHE_DIR"), m_cacheFolder}},
        this);
    run->expect(answer);
    connect(run, &Job::finished, run, &QObject::deleteLater);
    return run;
}

void VoicePreviews::list() {
    ScriptRun* previews = run({QStringLiteral("--previews")}, QStringLiteral("previews"));
    connect(previews, &Job::finished, this, [this, previews](const JobOutcome& outcome) {
        if (!outcome.isDone()) {
            emit listed(false, previews->failure());
            return;
        }
        const QJsonArray voices =
            previews->last(QStringLiteral("previews")).fields.value("voices").toArray();
        for (const QJsonValue& voice : voices)
            m_urls.insert(voice[QLatin1String("voice_id")].toString(),
                          voice[QLatin1String("preview_url")].toString());
        emit listed(true, QString());
    });
    previews->start();
}

void VoicePreviews::fetch(const QString& voiceId) {
    if (!has(voiceId)) {
        emit failed(voiceId, tr("the voice service has no preview of this voice"));
        return;
    }
    ScriptRun* preview = run({QStringLiteral("--preview"), voiceId, m_urls.value(voiceId)},
                             QStringLiteral("preview"));
    connect(preview, &Job::finished, this, [this, preview, voiceId](const JobOutcome& outcome) {
        if (outcome.isDone())
            emit ready(voiceId,
                       preview->last(QStringLiteral("preview")).fields.value("path").toString());
        else
            emit failed(voiceId, preview->failure());
    });
    preview->start();
}
