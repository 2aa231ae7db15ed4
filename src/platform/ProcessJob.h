#pragma once

#include "platform/Job.h"
#include "platform/ProcessTree.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// One run of an outside program, started from a program and a list of arguments (never through
// a shell). Standard output and standard error arrive merged unless asked to stay apart;
// standard input is closed (a question reads end-of-file) unless asked to stay open. Done means:
// started and exited with status 0.
//
// Stop is polite first (SIGTERM, or CTRL+BREAK on Windows, to the child and everything it
// started: ffmpeg then finishes its file properly), then firm after a grace time; stopNow() is
// firm at once.
class ProcessJob : public Job {
    Q_OBJECT
public:
    ProcessJob(const QString& program, const QStringList& arguments, QObject* parent = nullptr);
    ~ProcessJob() override;

    const QString& program() const { return m_program; }
    const QStringList& arguments() const { return m_arguments; }
    // Environment variables for the program, besides this program's own environment (but for
    // the service's key, which reaches a program only when given here); they count only when
    // set before start().
    using Environment = QList<std::pair<QString, QString>>;
    void setEnvironmentValue(const QString& name, const QString& value);
    // Before start(): standard error apart from standard output (`errorOutput()`), and standard
    // input left open for `write()` until `closeInput()`.
    void setSeparateChannels(bool separate) { m_separate = separate; }
    void setInputOpen(bool open) { m_inputOpen = open; }
    // Writes to the program's standard input while it is open; false when it is not.
    bool write(const QByteArray& bytes);
    void closeInput();
    // The program's exit status once it ended normally.
    int exitCode() const { return m_process.exitCode(); }
    // What the program printed (its standard output only, when the channels are apart), as UTF-8
    // text; when it could not start, a sentence saying why.
    QString output() const;
    // Its standard error, when the channels are apart.
    QString errorOutput() const { return QString::fromUtf8(m_errors); }
    // The child's process number while it runs (the root of its tree), 0 otherwise.
    qint64 processId() const;

    // How long a stopped program gets before it is ended firmly.
    static constexpr int kStopGraceMs = 3000;

signals:
    // Output as it arrives; lines may be cut between two pieces.
    void outputReceived(const QByteArray& bytes);
    // Standard error as it arrives, when the channels are apart.
    void errorReceived(const QByteArray& bytes);

protected:
    void begin() override;
    void halt() override;
    void haltNow() override;

private:
    void ended(int exitCode, QProcess::ExitStatus status);

    QString m_program;
    QStringList m_arguments;
    QProcess m_process;
    ProcessTree m_tree;
    QByteArray m_output;
    QByteArray m_errors;
    bool m_separate = false;
    bool m_inputOpen = false;
    QString m_startError;
    Environment m_environment;
};
