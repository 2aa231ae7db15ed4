#include "pipeline/FfmpegRun.h"

#include "core/Progress.h"
#include "core/ToolReason.h"
#include "platform/FileSnapshot.h"
#include "platform/PathTools.h"
#include "platform/Platform.h"
#include "platform/ProcessJob.h"

#include <QFileInfo>

#include <memory>

namespace {

// A hidden name beside `path` that keeps its extension, so that ffmpeg picks the same format.
QString hiddenBeside(const QString& path) {
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    return PathTools::join(info.path(), QLatin1Char('.') + info.completeBaseName() +
                                            QStringLiteral(".partial") +
                                            (suffix.isEmpty() ? QString() : '.' + suffix));
}

} // namespace

FfmpegRun::FfmpegRun(StepHost& host, const WorkFolder& work, const QStringList& arguments,
                     QObject* parent)
    : Job(parent)
    , m_host(host)
    , m_work(work)
    , m_arguments(arguments) {}

FfmpegRun::~FfmpegRun() {
    delete m_before;
}

void FfmpegRun::guardOutput(Check check, const QString& hint) {
    m_guarded = true;
    m_check = check;
    m_hint = hint;
}

QString FfmpegRun::named(QString text) const {
    return m_hidden.isEmpty() ? text : text.replace(m_hidden, m_output);
}

void FfmpegRun::begin() {
    QStringList arguments = m_arguments;
    const QStringList written = FileSnapshot::pathsIn(arguments);
    // Without "-y" an existing file is ffmpeg's to refuse, as the template asks.
    if (m_guarded && !written.isEmpty() && !written.last().contains(QLatin1Char('%')) &&
        (arguments.contains(QStringLiteral("-y")) || !QFileInfo::exists(written.last()))) {
        m_output = written.last();
        m_hidden = hiddenBeside(m_output);
        PathTools().DeleteFile(m_hidden); // left by a run that was killed
        arguments[arguments.lastIndexOf(m_output)] = m_hidden;
    }
    m_before = new FileSnapshot(FileSnapshot::pathsIn(arguments));
    auto* run = new ProcessJob(m_work.ffmpeg(), arguments);
    // ffmpeg tells how far it has come; the status bar shows it.
    struct Reader {
        LineSplitter lines;
        FfmpegProgress progress;
    };
    const auto reader = std::make_shared<Reader>();
    connect(run, &ProcessJob::outputReceived, this, [this, reader](const QByteArray& bytes) {
        const int before = reader->progress.percent().value_or(-1);
        for (const QString& line : reader->lines.feed(bytes))
            reader->progress.feedLine(line);
        if (const auto now = reader->progress.percent(); now && *now != before)
            m_host.showProgress(*now / 100.0);
    });
    runChild(run, [this](ProcessJob& run) { ended(run.outcome(), run.output()); });
}

void FfmpegRun::removeWritten() {
    for (const QString& path : m_before->written())
        PathTools().DeleteFile(path);
    PathTools().DeleteFile(m_hidden);
}

void FfmpegRun::ended(const JobOutcome& outcome, const QString& output) {
    m_text = named(output);
    if (outcome.isStopped()) {
        removeWritten();
        m_host.setToolOutput(tr("Stopped") + QStringLiteral("\r\n") + m_text);
        finish(outcome);
        return;
    }
    if (!outcome.isDone()) {
        removeWritten();
        m_host.setToolOutput(tr("Error: %1").arg(m_text));
        const QString reason = ffmpegReason(m_text);
        finish(JobOutcome::failed(reason.isEmpty() ? tr("ffmpeg failed")
                                                   : tr("ffmpeg failed: %1").arg(reason)));
        return;
    }
    m_host.setToolOutput(m_remark.isEmpty() ? m_text
                                            : m_remark + QStringLiteral("\r\n\r\n") + m_text);
    if (m_hidden.isEmpty() || m_check == Check::None) {
        checked(JobOutcome::done(), {});
        return;
    }
    // Read back: every packet of every stream, or the audio decoded.
    QStringList check{"-nostdin", "-hide_banner", "-v", "error", "-xerror", "-i", m_hidden};
    check += m_check == Check::Demux ? QStringList{"-map", "0", "-c", "copy"}
                                     : QStringList{"-map", "0:a"};
    check += QStringList{"-f", "null", "-"};
    // A stop that came as ffmpeg ended leaves nothing half-checked behind.
    if (!runChild(new ProcessJob(m_work.ffmpeg(), check),
                  [this](ProcessJob& run) { checked(run.outcome(), named(run.output())); }))
        removeWritten();
}

void FfmpegRun::checked(const JobOutcome& outcome, const QString& said) {
    if (outcome.isStopped()) {
        removeWritten();
        finish(outcome);
        return;
    }
    const QString name = QFileInfo(m_output).fileName();
    if (!outcome.isDone()) {
        removeWritten();
        // ffmpeg may have said why (a trailer it could not write) and ended well all the same.
        const QString reason = ffmpegReason(m_text, true);
        QString check = said.trimmed();
        if (check.size() > 2000)
            check = check.left(2000) + QStringLiteral("\n...");
        m_host.setToolOutput(
            tr("Error: ffmpeg wrote %1, but it does not decode, so it was removed.%2\r\n%3\r\n%4")
                .arg(name, m_hint.isEmpty() ? QString() : ' ' + m_hint, check, m_text));
        finish(JobOutcome::failed(reason.isEmpty() ? tr("%1 does not decode").arg(name)
                                                   : tr("ffmpeg failed: %1").arg(reason)));
        return;
    }
    if (!m_hidden.isEmpty() && QFileInfo::exists(m_hidden) && !replaceFile(m_hidden, m_output)) {
        removeWritten();
        m_host.setToolOutput(tr("Error: ffmpeg wrote %1, but it could not take its name:\r\n%2")
                                 .arg(name, m_output));
        finish(JobOutcome::failed(tr("could not write %1").arg(m_output)));
        return;
    }
    finish(JobOutcome::done());
}
