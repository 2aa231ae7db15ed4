// Rejoin audio: the pieces in the order of the record (each converted where it was, else as it
// was cut), joined into joined.mp4 through ffmpeg's concat list; the join must decode.
#include "core/ConcatList.h"
#include "core/Segments.h"
#include "pipeline/FfmpegRun.h"
#include "pipeline/RunRecordFile.h"
#include "pipeline/SpeakerSplit.h"
#include "pipeline/Steps.h"
#include "pipeline/TemplateMacros.h"
#include "pipeline/WorkingFiles.h"

#include "pipeline/ScriptRun.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

void RejoinStep::begin() {
    if (!inputCheck())
        return;
    if (const LoadedRecord loaded = loadRunRecord(work());
        loaded.state == LoadedRecord::State::Present && loaded.record.bySpeaker()) {
        layTurns(loaded.record);
        return;
    }
    if (!valuesCheck(Template::Concat))
        return;
    const QStringList list = pieces();
    if (list.isEmpty())
        return;
    const auto join = [this, list](const MediaInfo* media) {
        const QStringList arguments = stepArguments(inputs(), work(), Template::Concat, media);
        if (!paths().WriteFile(work().concatList(), concatListText(list))) {
            refuse(tr("Could not write %1").arg(work().concatList()));
            return;
        }
        auto* run = new FfmpegRun(host(), work(), arguments);
        // ffmpeg joins pieces of different formats without complaint, into a file that does not
        // decode: only decoding it tells.
        run->guardOutput(FfmpegRun::Check::DecodeAudio,
                         tr("The pieces in the parts folder are not all of one format (a piece "
                            "made elsewhere, or a changed template?)."));
        runChild(run, [this](FfmpegRun& run) {
            // Removed after every run, whether ffmpeg succeeded or not.
            if (!removeWorkingFile(work().concatList()))
                refuse(tr("Could not delete %1").arg(work().concatList()));
            else if (!run.outcome().isDone())
                finish(run.outcome());
            else if (!paths().FileExists(work().joined()))
                fail(tr("ffmpeg wrote no joined.mp4"));
            else
                finish(JobOutcome::done());
        });
    };
    if (usesMediaMacros(inputs().templateText(Template::Concat)))
        probeInput(false, [join](const MediaInfo& media) { join(&media); });
    else
        join(nullptr);
}

// The pieces' paths in the order of the audio; empty, with the step refused, when they cannot be
// joined.
QStringList RejoinStep::pieces() {
    const LoadedRecord loaded = loadRunRecord(work());
    QStringList names;
    if (loaded.state == LoadedRecord::State::Damaged) {
        refuse(loaded.damage(work()));
        return {};
    }
    if (loaded.state == LoadedRecord::State::Present) {
        if (const QString other = otherVideoProblem(loaded.record, inputs().input);
            !other.isEmpty()) {
            refuse(other);
            return {};
        }
        QString problem;
        names = joinOrder(
            loaded.record,
            [this](const QString& name) {
                return paths().FileExists(PathTools::join(work().parts(), name));
            },
            &problem);
        if (names.isEmpty()) {
            refuse(tr("%1\n\nSplit the audio again.").arg(problem));
            return {};
        }
    } else {
        // No record: the user's own files. Hidden files are temporaries (a conversion's piece
        // in the making), never pieces.
        for (const QString& name : paths().ListFiles(work().parts(), QStringLiteral("*"), false)) {
            if (!name.startsWith(QLatin1Char('.')))
                names.append(name);
        }
        names = pieceOrder(names);
        if (names.isEmpty()) {
            refuse(tr("No files in %1?").arg(partsFolderText()));
            return {};
        }
    }
    for (QString& name : names)
        name = PathTools::join(work().parts(), name);
    return names;
}

// A run by speaker: the converted turns laid onto the original audio, each at its own sample,
// the rest of the audio as it was.
void RejoinStep::layTurns(const RunRecord& record) {
    if (const QString other = otherVideoProblem(record, inputs().input); !other.isEmpty()) {
        refuse(other);
        return;
    }
    const QString original = PathTools::join(work().parts(), record.original);
    if (!paths().FileExists(original)) {
        refuse(tr("%1 is not in %2.\n\nSplit the audio again.")
                   .arg(record.original, partsFolderText()));
        return;
    }
    if (!paths().FileExists(inputs().interpreter)) {
        refuse(pythonMissing(inputs().interpreter));
        return;
    }
    QJsonArray turns;
    for (const LaidSpan& span : laidSpans(record, [this](const QString& name) {
             return paths().FileExists(PathTools::join(work().parts(), name));
         }))
        turns.append(QJsonObject{{"piece", PathTools::join(work().parts(), span.file)},
                                 {"at", span.at},
                                 {"from", span.from},
                                 {"length", span.length}});
    const QJsonObject plan{{"original", original},
                           {"fade", qRound64(SpeakerSplit::kFadeSeconds * record.sampleRate)},
                           {"turns", turns}};
    const QString planFile = work().file(QStringLiteral("turns.json"));
    if (!paths().WriteFile(planFile,
                           QString::fromUtf8(QJsonDocument(plan).toJson(QJsonDocument::Compact)))) {
        refuse(tr("Could not write %1").arg(planFile));
        return;
    }
    host().showProgress(0, tr("Laying the converted turns onto the original audio"));
    auto* run = new ScriptRun(
        inputs().interpreter,
        {work().script(), QStringLiteral("--lay-turns"), planFile, work().joined()}, {});
    runChild(run, [this, planFile](ScriptRun& run) {
        removeWorkingFile(planFile);
        host().setToolOutput(run.text());
        if (!run.outcome().isDone())
            finish(run.outcome().isStopped() ? run.outcome() : JobOutcome::failed(run.failure()));
        else if (!paths().FileExists(work().joined()))
            fail(tr("convert.py wrote no joined.mp4"));
        else
            finish(JobOutcome::done());
    });
}
