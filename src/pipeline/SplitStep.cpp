// Split audio: raw.mp4 cut into parts/output000000000.mp4 and onwards, where the speaker pauses,
// then removed. The record of the run is written beside the pieces: which video they come from,
// where each lies.
#include "core/ToolReason.h"
#include "pipeline/FfmpegRun.h"
#include "pipeline/PauseAnalysis.h"
#include "pipeline/RunRecordFile.h"
#include "pipeline/SpeakerSplit.h"
#include "pipeline/Steps.h"
#include "pipeline/TemplateMacros.h"
#include "pipeline/WorkingFiles.h"
#include "platform/ProcessJob.h"

#include <QFile>
#include <QFileInfo>

void SplitStep::begin() {
    if (!inputCheck() || !valuesCheck(Template::Split))
        return;
    // Checked before the parts folder is emptied: without raw.mp4 the pieces of an earlier
    // conversion stay where they are.
    if (!paths().FileExists(work().raw())) {
        refuse(tr("Could not find raw.mp4"));
        return;
    }
    // It measures raw.mp4 before the cuts.
    if (!paths().FileExists(work().ffprobe())) {
        refuse(tr("ffprobe not found: %1\n\nIt comes with ffmpeg; put it in the same folder.")
                   .arg(work().ffprobe()));
        return;
    }
    // What the user called the speakers of this video and gave them stays for its next run.
    std::optional<RunRecord> earlier;
    if (const LoadedRecord loaded = loadRunRecord(work());
        loaded.state == LoadedRecord::State::Present &&
        otherVideoProblem(loaded.record, inputs().input).isEmpty())
        earlier = loaded.record;
    // The new pieces must not mix with earlier files: stop when one of them stays.
    if (const QString stays = emptyFolder(work().parts()); !stays.isEmpty()) {
        host().partsChanged();
        refuse(tr("Could not delete %1").arg(stays));
        return;
    }
    // The folder may have been removed behind the program's back since start-up.
    if (!paths().FolderExists(work().parts()) && !paths().CreateFolder(work().parts())) {
        refuse(tr("Could not create %1").arg(work().parts()));
        return;
    }
    if (inputs().findSpeakers || !inputs().speakersFrom.isEmpty()) {
        runChild(new SpeakerSplit(context(), earlier), [this](SpeakerSplit& split) {
            if (!split.outcome().isDone()) {
                // The extracted audio goes back where the next try looks for it.
                QFile::rename(PathTools::join(work().parts(), QStringLiteral("original.mp4")),
                              work().raw());
                removePieces();
            }
            host().partsChanged();
            if (!split.outcome().isDone() && !split.outcome().isStopped())
                host().setToolOutput(tr("Error: %1").arg(split.outcome().reason));
            else
                host().setToolOutput(split.remark());
            finish(split.outcome());
        });
        return;
    }
    const auto cut = [this](const MediaInfo* media) {
        if (!templateUses(inputs().templateText(Template::Split), kCutsMacro)) {
            split(media, {});
            return;
        }
        // Where to cut: in the speaker's pauses, every piece within the limit.
        CutRules rules;
        rules.limit = inputs().pieceSeconds;
        rules.lookBack = std::min(rules.lookBack, rules.limit / 2);
        const std::optional<MediaInfo> probed =
            media ? std::optional<MediaInfo>(*media) : std::nullopt;
        const std::optional<double> about =
            context().media ? context().media->duration : std::nullopt;
        runChild(new PauseAnalysis(host(), work(), rules, about),
                 [this, probed](PauseAnalysis& plan) {
                     if (!plan.outcome().isDone()) {
                         // A raw.mp4 that cannot be read is made again by Extract audio.
                         if (!plan.outcome().isStopped()) {
                             host().setToolOutput(tr("Error: %1").arg(plan.text()));
                             removeWorkingFile(work().raw());
                         }
                         finish(plan.outcome());
                         return;
                     }
                     m_remark = plan.summary();
                     if (context().inFullAuto)
                         host().log(StepHost::Log::Auto, m_remark);
                     split(probed ? &*probed : nullptr, {{kCutsMacro, plan.cutsArgument()}});
                 });
    };
    if (usesMediaMacros(inputs().templateText(Template::Split)))
        probeInput(false, [cut](const MediaInfo& media) { cut(&media); });
    else
        cut(nullptr);
}

void SplitStep::split(const MediaInfo* media, const QList<Macro>& cuts) {
    const auto run = new FfmpegRun(host(), work(),
                                   stepArguments(inputs(), work(), Template::Split, media, cuts));
    run->setRemark(m_remark);
    runChild(run, [this](FfmpegRun& run) {
        if (!run.outcome().isDone())
            removePieces(); // incomplete
        host().partsChanged();
        if (run.outcome().isStopped()) {
            finish(run.outcome()); // raw.mp4 stays for the next try
            return;
        }
        // Removed after every run: a failed split starts again from Extract audio.
        if (!removeWorkingFile(work().raw())) {
            refuse(tr("Could not delete %1").arg(work().raw()));
            return;
        }
        if (!run.outcome().isDone()) {
            finish(run.outcome());
            return;
        }
        const QStringList pieces = paths().ListFiles(work().parts(), QStringLiteral("*"));
        if (pieces.isEmpty()) {
            fail(tr("ffmpeg wrote no pieces"));
            return;
        }
        m_record.input = describeInput(inputs().input);
        measure(pieces);
    });
}

// Every piece's length from its packets, all in one ffmpeg run; then the record.
void SplitStep::measure(const QStringList& pieces) {
    auto* listing = new ProcessJob(work().ffmpeg(), packetListArguments(pieces));
    listing->setSeparateChannels(true);
    runChild(listing, [this, pieces](ProcessJob& run) {
        if (run.outcome().isStopped()) {
            removePieces();
            finish(run.outcome());
            return;
        }
        const auto lengths = parsePacketLengths(run.output().toUtf8(), int(pieces.size()));
        if (!run.outcome().isDone() || !lengths) {
            removePieces();
            const QString why = ffmpegReason(run.errorOutput());
            fail(why.isEmpty() ? tr("ffmpeg cannot tell the length of the pieces")
                               : tr("ffmpeg cannot tell the length of the pieces: %1").arg(why));
            return;
        }
        m_record.sampleRate = lengths->first().sampleRate;
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            RecordedPiece recorded;
            recorded.start = m_record.samples();
            recorded.length = lengths->at(i).samples;
            recorded.segment = QFileInfo(pieces.at(i)).fileName();
            m_record.pieces.append(recorded);
        }
        if (!saveRunRecord(work(), m_record)) {
            removePieces();
            refuse(tr("Could not write %1").arg(work().record()));
            return;
        }
        host().partsChanged();
        finish(JobOutcome::done());
    });
}

void SplitStep::removePieces() {
    emptyFolder(work().parts());
}
