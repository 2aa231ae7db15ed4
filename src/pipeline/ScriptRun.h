#pragma once

#include "core/ScriptMessages.h"
#include "platform/Job.h"
#include "platform/ProcessJob.h"

#include <QStringList>

struct RunInputs;

// One run of a script of the program (convert.py, separate.py) under Python. It says what it must
// tell in typed messages on its standard output (ScriptMessages.h), which arrive as `message`; its
// text for people (standard error) is kept for the user. Done means: it ended with exit status 0
// and gave its answer (a "result" with "ok", unless told to expect another message); a run that
// said "failure" fails with that message's words.
class ScriptRun : public Job {
    Q_OBJECT
public:
    ScriptRun(const QString& interpreter, const QStringList& arguments,
              const ProcessJob::Environment& environment = {}, QObject* parent = nullptr);

    // Before start(): the message that answers (by default "result").
    void expect(const QString& type) { m_answer = type; }
    // Before start(): standard input stays open for `go()` or `cancel()`.
    void keepInputOpen() { m_run->setInputOpen(true); }
    // The script waits on its standard input: it may go on, or it is to end.
    void go();
    void cancel();

    const QList<ScriptMessage>& messages() const { return m_messages; }
    // The last message of a type; its fields are empty when there was none.
    ScriptMessage last(const QString& type) const;
    // What it said for people.
    QString text() const { return m_run->errorOutput(); }
    // Why it failed, in its own words where it said them.
    QString failure() const;
    int exitCode() const { return m_run->exitCode(); }

signals:
    void message(const ScriptMessage& message);

protected:
    void begin() override;
    // The script's own run is kept for what it said, not run as a child.
    void halt() override { m_run->stop(); }
    void haltNow() override { m_run->stopNow(); }

private:
    void take(const QList<ScriptMessage>& messages);

    ProcessJob* m_run;
    ScriptReader m_reader;
    QList<ScriptMessage> m_messages;
    QString m_answer = QStringLiteral("result");
};

// What convert.py needs to reach the voice service: the key, which no other program gets.
ProcessJob::Environment serviceEnvironment();

// How a run cuts a video into pieces, as a short digest of what decides it.
QString cutsSignature(const RunInputs& inputs);

// What convert.py learns of a run besides its arguments: where the background is split off
// ("service", "local", or "" when it is not kept), the voice settings and the cache.
ProcessJob::Environment conversionEnvironment(const RunInputs& inputs, const QString& background);

// The voice is changed on this machine instead of at the voice service (VOXSPLICE_OFFLINE_VOICE).
bool offlineVoice();

// The refusal of a run whose Python interpreter is not where the window says.
QString pythonMissing(const QString& interpreter);
