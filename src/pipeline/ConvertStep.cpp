// The AI conversion: every segment of the parts folder through convert.py, one run per segment.
// A segment is deleted as soon as its converted piece is in place, so a run that stopped can be
// started again and converts only what is left.
#include "core/Segments.h"
#include "core/Voices.h"
#include "pipeline/Steps.h"
#include "platform/ProcessJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

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

    if (!doubleQuoteProblem(work().root()).isEmpty()) {
        refuse(QStringLiteral("The program's folder has a double quote (\") in its path, which "
                              "cannot be passed to convert.py:\n") +
               work().root() + QStringLiteral("\n\nMove the program to a folder without one."));
        return;
    }
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
    m_total = m_segments.size();
    host().log(StepHost::Log::Conversion,
               QString::number(m_total) + QStringLiteral(" files found"));
    next();
}

void ConvertStep::next() {
    if (m_segments.isEmpty()) {
        host().log(StepHost::Log::Conversion, QStringLiteral("Complete!"));
        host().playSound(work().completeSound());
        finish(JobOutcome::done());
        return;
    }
    const QString segment = m_segments.takeFirst();
    host().showProgress(double(m_done) / m_total,
                        QStringLiteral("Converting %1 of %2").arg(m_done + 1).arg(m_total));
    const QString baseName = paths().BaseName(segment);
    host().log(StepHost::Log::Conversion, QStringLiteral("starting ") + baseName);

    const QString piece =
        PathTools::join(work().parts(), convertedFileName(*segmentNumber(baseName)));
    // A piece left by an earlier failed or stopped run must not pass for this run's result.
    discardPartialPiece(piece);
    if (paths().FileExists(piece)) {
        host().setToolOutput(QStringLiteral("Could not remove the earlier converted file ") +
                             piece +
                             QStringLiteral(". Close any program that uses it and try again."));
        host().log(StepHost::Log::Conversion, QStringLiteral("Error"));
        fail(QStringLiteral("an earlier converted file is in the way"));
        return;
    }
    runTool(inputs().interpreter, {work().script(), segment, piece, m_voiceId},
            [this, segment, piece](ProcessJob& run) { converted(run, segment, piece); });
}

void ConvertStep::converted(ProcessJob& run, const QString& segment, const QString& piece) {
    if (run.outcome().isStopped()) {
        // The script writes through a hidden temporary file; a forced end may leave it, or a
        // piece that never got checked. The segment itself stays for the next run.
        discardPartialPiece(piece);
        host().log(StepHost::Log::Conversion, QStringLiteral("Stopped"));
        finish(JobOutcome::stopped());
        return;
    }
    const QString output = run.output();
    // Success is exit status 0 and "OK" in what the script printed. Whatever a failed run left
    // goes: the segment stays, and both would be joined.
    if (!run.outcome().isDone() || !output.contains(QStringLiteral("OK"), Qt::CaseSensitive)) {
        discardPartialPiece(piece);
        host().setToolOutput(output);
        host().log(StepHost::Log::Conversion, QStringLiteral("Error"));
        fail(QStringLiteral("convert.py failed on ") + QFileInfo(segment).fileName());
        return;
    }
    const qint64 length = paths().FileLength(piece);
    if (length <= 0) {
        discardPartialPiece(piece);
        host().setToolOutput(
            (length < 0
                 ? QStringLiteral("convert.py printed OK but wrote no converted file:\n")
                 : QStringLiteral("convert.py printed OK but the converted file is empty:\n")) +
            piece + QStringLiteral("\n\nWhat it printed:\n") + output);
        host().log(StepHost::Log::Conversion, QStringLiteral("Error"));
        fail(QStringLiteral("convert.py wrote no piece"));
        return;
    }
    // The segment must go, or the join would take its audio and the converted piece both.
    if (!paths().DeleteFile(segment)) {
        host().setToolOutput(QStringLiteral("Converted ") + segment + QStringLiteral(" into ") +
                             piece +
                             QStringLiteral(", but could not remove the segment. Delete it before "
                                            "joining, or it is joined twice."));
        host().log(StepHost::Log::Conversion, QStringLiteral("Error"));
        fail(QStringLiteral("a converted segment could not be removed"));
        return;
    }
    host().addConversionRow(output);
    host().partsChanged();
    ++m_done;
    if (stopRequested()) {
        host().log(StepHost::Log::Conversion, QStringLiteral("Stopped"));
        finish(JobOutcome::stopped());
        return;
    }
    next();
}
