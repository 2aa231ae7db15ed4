#include "platform/ProcessJob.h"

#include "platform/UserEnvironment.h"

#include <QProcessEnvironment>
#include <QTimer>

ProcessJob::ProcessJob(const QString& program, const QStringList& arguments, QObject* parent)
    : Job(parent)
    , m_program(program)
    , m_arguments(arguments) {
    connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
        const QByteArray bytes = m_process.readAllStandardOutput();
        m_output += bytes;
        emit outputReceived(bytes);
    });
    connect(&m_process, &QProcess::readyReadStandardError, this, [this] {
        const QByteArray bytes = m_process.readAllStandardError();
        m_errors += bytes;
        emit errorReceived(bytes);
    });
    connect(&m_process, &QProcess::finished, this, &ProcessJob::ended);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_startError = tr("Could not start %1: %2").arg(m_program, m_process.errorString());
        finish(stopRequested() ? JobOutcome::stopped() : JobOutcome::failed(m_startError));
    });
}

ProcessJob::~ProcessJob() {
    if (m_process.state() != QProcess::NotRunning) {
        // The owner gave up on the run: nothing of it may go on.
        m_tree.kill();
        m_process.waitForFinished(kStopGraceMs);
    }
}

QString ProcessJob::output() const {
    return m_startError.isEmpty() ? QString::fromUtf8(m_output) : m_startError;
}

qint64 ProcessJob::processId() const {
    return m_process.processId();
}

void ProcessJob::setEnvironmentValue(const QString& name, const QString& value) {
    m_environment.append({name, value});
}

bool ProcessJob::write(const QByteArray& bytes) {
    return m_inputOpen && m_process.state() == QProcess::Running &&
           m_process.write(bytes) == bytes.size();
}

void ProcessJob::closeInput() {
    m_inputOpen = false;
    if (m_process.state() != QProcess::NotRunning)
        m_process.closeWriteChannel();
}

void ProcessJob::begin() {
    m_process.setProcessChannelMode(m_separate ? QProcess::SeparateChannels
                                               : QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The key goes only where it is given (to the script that calls the voice service), never
    // to ffmpeg, ffprobe or the separator.
    environment.remove(QLatin1String(kApiKeyVariable));
    // Python children: live output, and UTF-8 on every system.
    environment.insert(QStringLiteral("PYTHONUNBUFFERED"), QStringLiteral("1"));
    environment.insert(QStringLiteral("PYTHONUTF8"), QStringLiteral("1"));
    for (const auto& [name, value] : m_environment)
        environment.insert(name, value);
    m_process.setProcessEnvironment(environment);
    m_tree.prepare(m_process);
    m_process.start(m_program, m_arguments, QIODevice::ReadWrite);
    if (m_process.state() == QProcess::NotRunning)
        return; // errorOccurred has finished the job
    m_tree.adopt(m_process.processId());
    if (!m_inputOpen)
        m_process.closeWriteChannel();
}

void ProcessJob::halt() {
    if (m_process.state() == QProcess::NotRunning) {
        finish(JobOutcome::stopped());
        return;
    }
    m_tree.interrupt();
    QTimer::singleShot(kStopGraceMs, this, [this] {
        if (!isFinished())
            m_tree.kill();
    });
}

void ProcessJob::haltNow() {
    if (m_process.state() == QProcess::NotRunning)
        finish(JobOutcome::stopped());
    else
        m_tree.kill();
}

void ProcessJob::ended(int exitCode, QProcess::ExitStatus status) {
    // Whatever is left in the pipes is told like the rest, before the end.
    if (const QByteArray rest = m_process.readAllStandardOutput(); !rest.isEmpty()) {
        m_output += rest;
        emit outputReceived(rest);
    }
    if (const QByteArray rest = m_separate ? m_process.readAllStandardError() : QByteArray();
        !rest.isEmpty()) {
        m_errors += rest;
        emit errorReceived(rest);
    }
    m_inputOpen = false;
    if (stopRequested()) {
        // Whatever the program started must not run on without it.
        m_tree.kill();
        finish(JobOutcome::stopped());
    } else if (status != QProcess::NormalExit) {
        finish(JobOutcome::failed(tr("%1 ended abnormally").arg(m_program)));
    } else if (exitCode != 0) {
        finish(JobOutcome::failed(tr("%1 ended with exit status %2").arg(m_program).arg(exitCode)));
    } else {
        finish(JobOutcome::done());
    }
}
