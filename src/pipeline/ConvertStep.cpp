// The AI conversion: every segment of the parts folder through convert.py, several at once. A
// segment is deleted as soon as its converted piece is in place, so a run that stopped can be
// started again and converts only what is left (and what was converted before comes from the
// script's cache without a new request).
#include "core/Estimate.h"
#include "core/Segments.h"
#include "core/Voices.h"
#include "pipeline/Steps.h"
#include "platform/ProcessJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>

namespace {

// The script's exit status for a piece refused because the account's requests at once are used
// up: it runs again once one of this run's own requests has ended.
constexpr int kExitBusy = 75;
// Waits for a limit that no request of this run holds: doubling from 5 s, at most 8 times.
constexpr int kBusyWaitMs = 5000;
constexpr int kBusyWaitsAtMost = 8;

// The piece of an earlier failed or stopped run, and the script's hidden temporaries beside it.
void discardPartialPiece(const QString& piece) {
    const QFileInfo info(piece);
    QDir folder = info.dir();
    for (const QString& name :
         folder.entryList({QLatin1Char('.') + info.fileName() + QLatin1String(".*")},
                          QDir::Files | QDir::Hidden))
        folder.remove(name);
    QFile::remove(piece);
}

bool offlineVoice() {
    return qEnvironmentVariable("VOXSPLICE_OFFLINE_VOICE").trimmed() == QLatin1String("1");
}

} // namespace

void ConvertStep::begin() {
    const QString interpreter = inputs().interpreter;
    if (!paths().FileExists(interpreter)) {
        refuse(QStringLiteral("Python.exe not found: ") + interpreter);
        return;
    }
    m_voiceId = voiceIdFromRow(inputs().voiceRow);
    if (m_voiceId.isEmpty()) {
        refuse(QStringLiteral("No voice selected. Choose a voice in the Voice list."));
        return;
    }
    host().clearLog(StepHost::Log::Conversion);
    for (const QString& path : paths().ListFiles(work().parts(), QStringLiteral("output*"))) {
        if (segmentNumber(paths().BaseName(path)))
            m_segments.append(path);
        else
            host().log(StepHost::Log::Conversion,
                       QStringLiteral("Skipped ") + QFileInfo(path).fileName() +
                           QStringLiteral(": no segment number in its name"));
    }
    if (m_segments.isEmpty()) {
        refuse(QStringLiteral("No output files in \\parts?"));
        return;
    }
    if (!paths().FileExists(work().script())) {
        refuse(QStringLiteral("convert.py not found?"));
        return;
    }
    m_total = int(m_segments.size());
    m_atOnce = std::clamp(inputs().piecesAtOnce, 1, 15);
    host().log(StepHost::Log::Conversion,
               QString::number(m_total) + QStringLiteral(" files found"));
    prepareBackground([this](const QString& mode) {
        m_background = mode;
        if (offlineVoice() && mode != QLatin1String("service"))
            next();
        else
            estimateCost();
    });
}

ProcessJob* ConvertStep::runScript(const QStringList& arguments,
                                   std::function<void(ProcessJob&)> then) {
    return runTool(
        inputs().interpreter, QStringList{work().script()} + arguments, then,
        {{QStringLiteral("VOXSPLICE_KEEP_BACKGROUND"), m_background},
         {QStringLiteral("VOXSPLICE_CACHE_DIR"), inputs().cacheFolder},
         {QStringLiteral("VOXSPLICE_CACHE_LIMIT_MB"), QString::number(inputs().cacheLimitMb)}});
}

// What goes to the service, what comes from the cache, what it costs and what is left: said
// before anything is sent, and asked about when the credits would not do.
void ConvertStep::estimateCost() {
    host().showProgress(0, QStringLiteral("Working out the cost"));
    runScript(QStringList{QStringLiteral("--estimate"), m_voiceId} + m_segments,
              [this](ProcessJob& run) {
                  if (run.outcome().isStopped()) {
                      host().log(StepHost::Log::Conversion, QStringLiteral("Stopped"));
                      finish(JobOutcome::stopped());
                      return;
                  }
                  const std::optional<Estimate> estimate =
                      parseEstimate(run.output().section(QLatin1Char('\n'), -2).toUtf8());
                  if (!estimate) {
                      host().log(StepHost::Log::Conversion,
                                 QStringLiteral("The cost could not be worked out: ") +
                                     run.output().trimmed().section(QLatin1Char('\n'), -1));
                      next();
                      return;
                  }
                  for (const QString& line : costLines(*estimate))
                      host().log(StepHost::Log::Conversion, line);
                  if (!estimate->exceedsCredits()) {
                      next();
                      return;
                  }
                  host().ask(QStringLiteral("This run needs about %1 credits, but the account "
                                            "has %2 left; it would stop half-way.\n\nConvert "
                                            "anyway?")
                                 .arg(estimate->credits)
                                 .arg(*estimate->creditsLeft),
                             [this](bool yes) {
                                 if (isFinished())
                                     return;
                                 if (yes) {
                                     next();
                                     return;
                                 }
                                 host().log(StepHost::Log::Conversion,
                                            QStringLiteral("Not converted: too few credits"));
                                 fail(QStringLiteral("too few credits"));
                             });
              });
}

void ConvertStep::next() {
    while (!m_failed && !stopRequested() && m_running < m_atOnce && !m_segments.isEmpty() &&
           !(m_wait && m_wait->isActive()))
        startPiece(m_segments.takeFirst());
    if (m_running > 0 || (m_wait && m_wait->isActive()))
        return;
    if (stopRequested()) {
        host().log(StepHost::Log::Conversion, QStringLiteral("Stopped"));
        finish(JobOutcome::stopped());
    } else if (m_failed) {
        fail(QStringLiteral("a piece could not be converted"));
    } else {
        host().log(StepHost::Log::Conversion, QStringLiteral("Complete!"));
        host().playSound(work().completeSound());
        finish(JobOutcome::done());
    }
}

void ConvertStep::startPiece(const QString& segment) {
    const QString baseName = paths().BaseName(segment);
    const QString piece =
        PathTools::join(work().parts(), convertedFileName(*segmentNumber(baseName)));
    if (!m_started.contains(segment)) {
        m_started.append(segment);
        host().log(StepHost::Log::Conversion, QStringLiteral("starting ") + baseName);
    }
    // A piece left by an earlier failed or stopped run must not pass for this run's result.
    discardPartialPiece(piece);
    if (paths().FileExists(piece)) {
        host().setToolOutput(QStringLiteral("Could not remove the earlier converted file ") +
                             piece +
                             QStringLiteral(". Close any program that uses it and try again."));
        host().log(StepHost::Log::Conversion, QStringLiteral("Error"));
        m_failed = true;
        return;
    }
    ++m_running;
    host().showProgress(double(m_done) / m_total, QStringLiteral("Converting: %1 of %2 done, %3 "
                                                                 "running")
                                                      .arg(m_done)
                                                      .arg(m_total)
                                                      .arg(m_running));
    runScript({segment, piece, m_voiceId},
              [this, segment, piece](ProcessJob& run) { pieceEnded(run, segment, piece); });
}

void ConvertStep::pieceEnded(ProcessJob& run, const QString& segment, const QString& piece) {
    --m_running;
    const QString output = run.output();
    if (run.outcome().isStopped()) {
        // The script writes through a hidden temporary file; a forced end may leave it, or a
        // piece that never got checked. The segment itself stays for the next run.
        discardPartialPiece(piece);
    } else if (!run.outcome().isDone() && run.exitCode() == kExitBusy) {
        busy(segment, output);
    } else if (!run.outcome().isDone() || !output.contains(QStringLiteral("OK"))) {
        // Success is exit status 0 and "OK" in what the script printed. Whatever a failed run
        // left goes: the segment stays, and both would be joined.
        discardPartialPiece(piece);
        if (!m_failed) // the first failure is the one to read
            host().setToolOutput(output);
        host().log(StepHost::Log::Conversion, QStringLiteral("Error"));
        m_failed = true;
    } else if (paths().FileLength(piece) <= 0) {
        discardPartialPiece(piece);
        host().setToolOutput(QStringLiteral("convert.py printed OK but wrote no converted "
                                            "file:\n") +
                             piece + QStringLiteral("\n\nWhat it printed:\n") + output);
        host().log(StepHost::Log::Conversion, QStringLiteral("Error"));
        m_failed = true;
    } else if (!paths().DeleteFile(segment)) {
        // The segment must go, or the join would take its audio and the converted piece both.
        host().setToolOutput(QStringLiteral("Converted ") + segment + QStringLiteral(" into ") +
                             piece +
                             QStringLiteral(", but could not remove the segment. Delete it before "
                                            "joining, or it is joined twice."));
        host().log(StepHost::Log::Conversion, QStringLiteral("Error"));
        m_failed = true;
    } else {
        host().addConversionRow(output);
        host().partsChanged();
        ++m_done;
        host().showProgress(double(m_done) / m_total,
                            QStringLiteral("Converting: %1 of %2 done").arg(m_done).arg(m_total));
    }
    next();
}

// The account takes no more requests at once. The piece goes back to the front; with requests
// of this run still out, the run goes on with that many at once; with none, it waits.
void ConvertStep::busy(const QString& segment, const QString& said) {
    m_segments.prepend(segment);
    if (m_running > 0) {
        if (m_running < m_atOnce) {
            m_atOnce = m_running;
            host().log(StepHost::Log::Conversion,
                       QStringLiteral("The voice service takes %1 at once for this account: "
                                      "going on with %1")
                           .arg(m_atOnce));
        }
        return;
    }
    if (++m_busyWaits > kBusyWaitsAtMost) {
        host().setToolOutput(said);
        host().log(StepHost::Log::Conversion, QStringLiteral("Error"));
        m_failed = true;
        return;
    }
    static const QRegularExpression retryAfter(QStringLiteral("retry after (\\d+) s"));
    const auto match = retryAfter.match(said);
    const int waitMs = match.hasMatch() ? match.captured(1).toInt() * 1000
                                        : kBusyWaitMs << std::min(m_busyWaits - 1, 4);
    host().log(StepHost::Log::Conversion,
               QStringLiteral("The voice service is busy with other requests of this account: "
                              "trying again in %1 s")
                   .arg(waitMs / 1000));
    if (!m_wait) {
        m_wait = new QTimer(this);
        m_wait->setSingleShot(true);
        connect(m_wait, &QTimer::timeout, this, &ConvertStep::next);
    }
    m_wait->start(waitMs);
}

void ConvertStep::halt() {
    if (m_wait)
        m_wait->stop();
    if (toolsRunning()) {
        Step::halt(); // each run's end comes back through its own continuation
        return;
    }
    host().log(StepHost::Log::Conversion, QStringLiteral("Stopped"));
    finish(JobOutcome::stopped());
}
