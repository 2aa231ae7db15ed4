#include "pipeline/AccountVoices.h"

#include "core/Voices.h"
#include "platform/ProcessJob.h"

AccountVoices::AccountVoices(const QString& interpreter, const QString& script, QObject* parent)
    : Job(parent)
    , m_interpreter(interpreter)
    , m_script(script) {}

void AccountVoices::begin() {
    m_run = new ProcessJob(m_interpreter, {m_script, QStringLiteral("--voices")}, this);
    connect(m_run, &Job::finished, this, [this](const JobOutcome& outcome) {
        if (outcome.isDone()) {
            // The list is the last line; anything before it is the script talking.
            m_rows = accountVoiceRows(m_run->output().trimmed().section('\n', -1).toUtf8());
        }
        finish(outcome);
    });
    m_run->start();
}

void AccountVoices::halt() {
    m_run->stop();
}
