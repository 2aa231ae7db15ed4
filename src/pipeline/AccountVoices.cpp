#include "pipeline/AccountVoices.h"

#include "core/Voices.h"
#include "pipeline/ScriptRun.h"

#include <QJsonArray>

AccountVoices::AccountVoices(const QString& interpreter, const QString& script, QObject* parent)
    : Job(parent)
    , m_run(new ScriptRun(interpreter, {script, QStringLiteral("--voices")}, serviceEnvironment(),
                          this)) {
    m_run->expect(QStringLiteral("voices"));
    connect(m_run, &Job::finished, this, [this](const JobOutcome& outcome) {
        if (outcome.isDone())
            m_rows = accountVoiceRows(
                m_run->last(QStringLiteral("voices")).fields.value("voices").toArray());
        finish(outcome);
    });
}

void AccountVoices::begin() {
    m_run->start();
}

void AccountVoices::halt() {
    m_run->stop();
}
