// The AI conversion: every segment of the parts folder through convert.py, one run per segment.
// A segment is deleted as soon as its converted piece is in place, so a run that stopped can be
// started again and converts only what is left.
#include "core/Segments.h"
#include "core/TextList.h"
#include "core/Voices.h"
#include "pipeline/Pipeline.h"
#include "platform/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

void discardPartialPiece(const QString& converted) {
    const QFileInfo info(converted);
    QDir folder = info.dir();
    for (const QString& name :
         folder.entryList({QLatin1Char('.') + info.fileName() + QLatin1String(".*")},
                          QDir::Files | QDir::Hidden))
        folder.remove(name);
    QFile::remove(converted);
}

} // namespace

bool Pipeline::convertVoices() {
    const QString interpreter = m_host.interpreterPath();
    if (!m_paths.FileExists(interpreter)) {
        m_host.showMessage(QStringLiteral("Python.exe not found: ") + interpreter);
        return false;
    }

    const QString voiceId = voiceIdFromRow(m_host.voiceRow());
    if (voiceId.isEmpty()) {
        m_host.showMessage(QStringLiteral("No voice selected. Choose a voice in the Voice list."));
        return false;
    }

    m_host.clearConversionLog();

    const QString partsFolder = m_work.parts();
    const QString script = m_work.script();
    // The paths travel in double quotes; one that holds a quote itself would be cut apart.
    if (partsFolder.contains(QLatin1Char('"'))) {
        m_host.showMessage(QStringLiteral("The program's folder has a double quote (\") in its "
                                          "path, which cannot be passed to convert.py:\n") +
                           m_work.root() +
                           QStringLiteral("\n\nMove the program to a folder without one."));
        return false;
    }

    const QStringList listed =
        m_paths.ListFiles(partsFolder, QStringLiteral("output*"), true, false);
    QStringList segments;
    for (const QString& path : listed) {
        if (segmentNumber(m_paths.BaseName(path)))
            push(segments, path);
        else
            m_host.logConversion(QStringLiteral("Skipped ") + QFileInfo(path).fileName() +
                                 QStringLiteral(": no segment number in its name"));
    }
    if (AryIsEmpty(segments)) {
        m_host.showMessage(QStringLiteral("No output files in \\parts?"));
        return false;
    }
    if (!m_paths.FileExists(script)) {
        m_host.showMessage(QStringLiteral("convert.py not found?"));
        return false;
    }

    m_host.logConversion(QString::number(segments.size()) + QStringLiteral(" files found"));
    m_host.showStage(QStringLiteral("Converting"));

    for (qsizetype done = 0; done < segments.size(); ++done) {
        if (stopped()) {
            m_host.logConversion(QStringLiteral("Stopped"));
            return false;
        }
        m_host.showFraction(
            double(done) / double(segments.size()),
            QStringLiteral("Converting %1 of %2").arg(done + 1).arg(segments.size()));
        const QString& segment = segments.at(done);
        const QString baseName = m_paths.BaseName(segment);
        m_host.logConversion(QStringLiteral("starting ") + baseName);

        const QString converted =
            PathTools::join(partsFolder, convertedFileName(*segmentNumber(baseName)));
        // A piece left by an earlier failed or stopped run must not pass for this run's result.
        discardPartialPiece(converted);
        if (m_paths.FileExists(converted)) {
            m_host.setToolOutput(QStringLiteral("Could not remove the earlier converted file ") +
                                 converted +
                                 QStringLiteral(". Close any program that uses it and try again."));
            m_host.logConversion(QStringLiteral("Error"));
            return false;
        }

        // The log line above let events through: a Stop may have come in just now.
        if (stopped()) {
            m_host.logConversion(QStringLiteral("Stopped"));
            return false;
        }
        const bool ran = m_runner.Run(m_host.interpreterPath(),
                                      conversionArguments(script, segment, converted, voiceId));
        if (m_runner.wasStopped()) {
            // The script writes through a hidden temporary file; a forced end may leave it, or
            // a piece that never got checked. The segment itself stays for the next run.
            discardPartialPiece(converted);
            m_host.logConversion(QStringLiteral("Stopped"));
            return false;
        }
        const QString output = m_runner.Output();
        if (!ran || !output.contains(QStringLiteral("OK"), Qt::CaseSensitive)) {
            m_host.setToolOutput(output);
            m_host.logConversion(QStringLiteral("Error"));
            return false;
        }

        const qint64 length = m_paths.FileLength(converted);
        if (length <= 0) {
            m_host.setToolOutput(
                (length < 0 ? QStringLiteral("convert.py printed OK but wrote no converted file:\n")
                            : QStringLiteral("convert.py printed OK but the converted file is "
                                             "empty:\n")) +
                converted + QStringLiteral("\n\nWhat it printed:\n") + output);
            m_host.logConversion(QStringLiteral("Error"));
            return false;
        }

        // The segment must go, or the join would take its audio and the converted piece both.
        if (!m_paths.DeleteFile(segment)) {
            m_host.setToolOutput(QStringLiteral("Converted ") + segment + QStringLiteral(" into ") +
                                 converted +
                                 QStringLiteral(", but could not remove the segment. Delete it "
                                                "before joining, or it is joined twice."));
            m_host.logConversion(QStringLiteral("Error"));
            return false;
        }
        m_host.addConversionRow(output);
        m_host.refreshPartsList();
    }

    if (stopped()) {
        m_host.logConversion(QStringLiteral("Stopped"));
        return false;
    }
    m_host.logConversion(QStringLiteral("Complete!"));
    m_host.playSound(m_work.completeSound());
    return true;
}
