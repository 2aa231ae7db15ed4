#pragma once

#include "platform/Job.h"
#include "platform/ProcessTree.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// One run of an outside program, started from a program and a list of arguments (never through
// a shell). Standard output and standard error arrive merged, standard input is closed (a
// question reads end-of-file). Done means: started and exited with status 0.
//
// Stop is polite first (SIGTERM, or CTRL+BREAK on Windows, to the child and everything it
// started: ffmpeg then finishes its file properly), then firm after a grace time.
class ProcessJob : public Job {
    Q_OBJECT
public:
    ProcessJob(const QString& program, const QStringList& arguments, QObject* parent = nullptr);
    ~ProcessJob() override;

    const QString& program() const { return m_program; }
    const QStringList& arguments() const { return m_arguments; }
    // Environment variables for the program, besides this program's own environment; they
    // count only when set before start().
    using Environment = QList<std::pair<QString, QString>>;
    void setEnvironmentValue(const QString& name, const QString& value);
    // The program's exit status once it ended normally.
    int exitCode() const { return m_process.exitCode(); }
    // What the program printed, as UTF-8 text; when it could not start, a sentence saying why.
    QString output() const;
    // The child's process number while it runs (the root of its tree), 0 otherwise.
    qint64 processId() const;

    // How long a stopped program gets before it is ended firmly.
    static constexpr int kStopGraceMs = 3000;

signals:
    // Output as it arrives; lines may be cut between two pieces.
    void outputReceived(const QByteArray& bytes);

protected:
    void begin() override;
    void halt() override;

private:
    void ended(int exitCode, QProcess::ExitStatus status);

    QString m_program;
    QStringList m_arguments;
    QProcess m_process;
    ProcessTree m_tree;
    QByteArray m_output;
    QString m_startError;
    Environment m_environment;
};
