#pragma once

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>

// Runs an outside program to its end and keeps what it printed. The caller's call returns when
// the program has ended, but the caller's thread keeps handling window events meanwhile: the wait
// is a local event loop driven by the process's signals, so the window repaints and `stop()` can
// be reached from a button.
class ToolRunner : public QObject {
    Q_OBJECT
public:
    explicit ToolRunner(QObject* parent = nullptr);
    ~ToolRunner() override;

    // Runs `program` with one argument string (double-quoted spans are single arguments). True
    // when the program started and exited normally with status 0. Standard input is closed, so
    // a program that asks a question reads end-of-file instead of waiting for an answer.
    bool Run(const QString& program, const QString& arguments);

    // Standard output and standard error of the latest run, in order, as UTF-8 text. When the
    // program could not be started, a sentence saying why.
    QString Output() const { return m_output; }

    bool isRunning() const { return m_process != nullptr; }
    // True when the latest run ended because `stop()` was called.
    bool wasStopped() const { return m_stopped; }

    // Ends the running program: a polite request first (SIGTERM, which ffmpeg takes like its
    // "q" key and finishes the file it writes), then a forced kill if it lingers.
    void stop();

signals:
    // A run begins; output that follows belongs to it.
    void started();
    // Each piece of output as it arrives (raw bytes; lines may be cut between two pieces).
    void outputReceived(const QByteArray& bytes);

private:
    QPointer<QProcess> m_process;
    QByteArray m_buffer;
    QString m_output;
    bool m_stopped = false;
};
