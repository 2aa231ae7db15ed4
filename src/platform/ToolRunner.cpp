#include "platform/ToolRunner.h"

#include "platform/Platform.h"

#include <QEventLoop>
#include <QProcessEnvironment>
#include <QTimer>

namespace {
// How long a program gets to end after the polite request before it is killed.
constexpr int kStopGraceMs = 3000;
} // namespace

ToolRunner::ToolRunner(QObject* parent)
    : QObject(parent) {}

ToolRunner::~ToolRunner() {
    if (m_process) {
        m_process->kill();
        m_process->waitForFinished(kStopGraceMs);
    }
}

bool ToolRunner::Run(const QString& program, const QString& arguments) {
    m_buffer.clear();
    m_output.clear();
    m_stopped = false;

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PYTHONUNBUFFERED"), QStringLiteral("1"));
    env.insert(QStringLiteral("PYTHONUTF8"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    process.setProgram(program);
    setArgumentString(process, arguments);

    QEventLoop loop;
    bool startFailed = false;
    connect(&process, &QProcess::readyReadStandardOutput, this, [this, &process] {
        const QByteArray bytes = process.readAllStandardOutput();
        m_buffer += bytes;
        emit outputReceived(bytes);
    });
    connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            startFailed = true;
            loop.quit();
        }
    });

    m_process = &process;
    emit started();
    process.start(QIODevice::ReadWrite);
    process.closeWriteChannel();
    if (process.state() != QProcess::NotRunning || !startFailed)
        loop.exec();
    m_process = nullptr;

    if (startFailed) {
        m_output = tr("Could not start %1: %2").arg(program, process.errorString());
        return false;
    }
    m_buffer += process.readAllStandardOutput();
    m_output = QString::fromUtf8(m_buffer);
    return !m_stopped && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void ToolRunner::stop() {
    if (!m_process)
        return;
    m_stopped = true;
    QPointer<QProcess> process = m_process;
    process->terminate();
    QTimer::singleShot(kStopGraceMs, this, [process] {
        if (process)
            process->kill();
    });
}
