#include "pipeline/ScriptRun.h"

#include "pipeline/RunInputs.h"
#include "platform/Platform.h"
#include "platform/UserEnvironment.h"

#include <QCoreApplication>
#include <QCryptographicHash>

ScriptRun::ScriptRun(const QString& interpreter, const QStringList& arguments,
                     const ProcessJob::Environment& environment, QObject* parent)
    : Job(parent)
    , m_run(new ProcessJob(interpreter, arguments, this)) {
    m_run->setSeparateChannels(true);
    for (const auto& [name, value] : environment)
        m_run->setEnvironmentValue(name, value);
    connect(m_run, &ProcessJob::outputReceived, this,
            [this](const QByteArray& bytes) { take(m_reader.feed(bytes)); });
    connect(m_run, &Job::finished, this, [this](const JobOutcome& outcome) {
        take(m_reader.finish());
        if (outcome.isStopped() || stopRequested())
            finish(JobOutcome::stopped());
        else if (outcome.isDone() && lastOf(m_messages, m_answer) &&
                 (m_answer != QLatin1String("result") || last(m_answer).flag("ok")))
            finish(JobOutcome::done());
        else
            finish(JobOutcome::failed(failure()));
    });
}

void ScriptRun::begin() {
    m_run->start();
}

void ScriptRun::go() {
    m_run->write("go\n");
}

void ScriptRun::cancel() {
    m_run->closeInput();
}

void ScriptRun::take(const QList<ScriptMessage>& messages) {
    for (const ScriptMessage& m : messages) {
        m_messages.append(m);
        emit message(m);
    }
}

ScriptMessage ScriptRun::last(const QString& type) const {
    return lastOf(m_messages, type).value_or(ScriptMessage{});
}

QString ScriptRun::failure() const {
    const QString said = last(QStringLiteral("failure")).text("message");
    if (!said.isEmpty())
        return said;
    // It ended without saying why: its last words for people, or how it ended.
    const QString words = text().trimmed().section(QLatin1Char('\n'), -1).trimmed();
    if (!words.isEmpty())
        return words;
    return m_run->outcome().isDone() ? tr("the script ended without a result")
                                     : m_run->outcome().reason;
}

ProcessJob::Environment serviceEnvironment() {
    const QString key = qEnvironmentVariable(kApiKeyVariable);
    if (key.isEmpty())
        return {};
    return {{QLatin1String(kApiKeyVariable), key}};
}

// What decides the pieces a video is cut into, in a word: the cache tells by it which pieces a
// whole video was cut into before, to count those it holds before the video is cut again.
QString cutsSignature(const RunInputs& inputs) {
    const QString how =
        QStringList{inputs.templateText(Template::Extract), inputs.templateText(Template::Split),
                    QString::number(inputs.pieceSeconds),
                    inputs.findSpeakers ? QStringLiteral("speakers") : QString()}
            .join(QLatin1Char('\n'));
    return QString::fromLatin1(
        QCryptographicHash::hash(how.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

ProcessJob::Environment conversionEnvironment(const RunInputs& inputs, const QString& background) {
    return serviceEnvironment() +
           ProcessJob::Environment{
               {QStringLiteral("VOXSPLICE_KEEP_BACKGROUND"), background},
               {QStringLiteral("VOXSPLICE_VOICE_SETTINGS"),
                QString::fromUtf8(inputs.voiceSettings.toJson())},
               {QStringLiteral("VOXSPLICE_CACHE_DIR"), inputs.cacheFolder},
               {QStringLiteral("VOXSPLICE_CUTS"), cutsSignature(inputs)},
               {QStringLiteral("VOXSPLICE_CACHE_LIMIT_MB"), QString::number(inputs.cacheLimitMb)},
               {QStringLiteral("VOXSPLICE_NEW_TAKE"),
                inputs.newTake ? QStringLiteral("1") : QString()},
               {QStringLiteral("VOXSPLICE_MAX_SPEAKERS"),
                inputs.maxSpeakers > 0 ? QString::number(inputs.maxSpeakers) : QString()}};
}

QString pythonMissing(const QString& interpreter) {
    return QCoreApplication::translate("ScriptRun", "%1 not found: %2")
        .arg(pythonProgramName(), interpreter);
}

bool offlineVoice() {
    return qEnvironmentVariable("VOXSPLICE_OFFLINE_VOICE").trimmed() == QLatin1String("1");
}
