// Redo piece and Use earlier take. The cut pieces are gone once converted, so the piece's
// original audio is extracted again and cut out to the sample where the record says it lies; the
// new take goes beside the earlier one, which the record keeps.
#include "pipeline/RedoPiece.h"

#include "core/ToolReason.h"
#include "pipeline/FfmpegRun.h"
#include "pipeline/RunRecordFile.h"
#include "pipeline/SpeakerSplit.h"
#include "pipeline/Steps.h"
#include "pipeline/WorkingFiles.h"
#include "platform/ProcessJob.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {

// `take` becomes the piece's conversion again.
void useTake(RecordedPiece& piece, const RecordedTake& take) {
    piece.converted = take.file;
    piece.voice = take.voice;
    piece.settings = take.settings;
}

} // namespace

QString missingPieceProblem(const RunRecord& record, int piece) {
    const auto count = record.pieces.size();
    if (piece >= 0 && piece < count)
        return {};
    return QCoreApplication::translate("RedoPieceRun",
                                       "There is no piece %1: this run has pieces 1 to %2.")
        .arg(piece + 1)
        .arg(count);
}

RedoPieceRun::RedoPieceRun(const StepContext& context, int piece, Take take, QObject* parent)
    : Step(context, parent)
    , m_piece(piece)
    , m_take(take) {}

QString RedoPieceRun::partsFile(const QString& name) const {
    return PathTools::join(work().parts(), name);
}

void RedoPieceRun::begin() {
    if (!loadRecord())
        return;
    if (m_take == Take::Earlier)
        bringBackEarlierTake();
    else if (!voiceCheck().isEmpty())
        cutOriginal();
}

// A run of this video whose every piece is converted: another piece not converted would be
// paid for with this one.
bool RedoPieceRun::loadRecord() {
    const LoadedRecord loaded = loadRunRecord(work());
    if (loaded.state == LoadedRecord::State::Missing) {
        refuse(tr("There is no run to redo a piece of: run Full Auto first."));
        return false;
    }
    if (loaded.state == LoadedRecord::State::Damaged) {
        refuse(loaded.damage(work()));
        return false;
    }
    if (const QString other = otherVideoProblem(loaded.record, inputs().input); !other.isEmpty()) {
        refuse(other);
        return false;
    }
    m_record = loaded.record;
    if (const QString missing = missingPieceProblem(m_record, m_piece); !missing.isEmpty()) {
        refuse(missing);
        return false;
    }
    const int count = int(m_record.pieces.size());
    for (int i = 0; i < count; ++i) {
        const RecordedPiece& piece = m_record.pieces.at(i);
        if (piece.state != RecordedPiece::State::Converted ||
            !paths().FileExists(partsFile(piece.converted))) {
            refuse(tr("Piece %1 of %2 is not converted: finish the run (AI Convert) before "
                      "redoing a piece.")
                       .arg(i + 1)
                       .arg(count));
            return false;
        }
    }
    return true;
}

void RedoPieceRun::bringBackEarlierTake() {
    RecordedPiece& piece = m_record.pieces[m_piece];
    if (piece.earlierTakes.isEmpty() ||
        !paths().FileExists(partsFile(piece.earlierTakes.last().file))) {
        refuse(tr("Piece %1 has no earlier take.").arg(m_piece + 1));
        return;
    }
    // The two swap: the present take becomes the earlier one, to come back to in turn.
    const RecordedTake earlier = piece.earlierTakes.takeLast();
    piece.earlierTakes.append({piece.converted, piece.voice, piece.settings});
    useTake(piece, earlier);
    if (!saveRunRecord(work(), m_record)) {
        refuse(tr("Could not write %1").arg(work().record()));
        return;
    }
    host().log(StepHost::Log::Conversion,
               tr("Piece %1: the earlier take again (%2)").arg(m_piece + 1).arg(earlier.file));
    host().partsChanged();
    rebuild();
}

// The video's audio as Extract made it, then the piece's samples out of it. A piece of a run by
// speaker holds turns from all over the video: they are cut again out of the run's original.
void RedoPieceRun::cutOriginal() {
    if (m_record.bySpeaker()) {
        if (!paths().FileExists(partsFile(m_record.original))) {
            refuse(tr("The run's original audio (%1) is gone: run Full Auto again.")
                       .arg(m_record.original));
            return;
        }
        const RecordedPiece& piece = m_record.pieces.at(m_piece);
        auto* cut = new ProcessJob(
            work().ffmpeg(),
            SpeakerSplit::cutArguments(m_record, piece, work().parts(), partsFile(piece.segment)));
        cut->setSeparateChannels(true);
        runChild(cut, [this](ProcessJob& run) {
            if (run.outcome().isDone())
                convert();
            else
                finish(run.outcome().isStopped()
                           ? run.outcome()
                           : JobOutcome::failed(
                                 tr("ffmpeg failed: %1").arg(ffmpegReason(run.errorOutput()))));
        });
        return;
    }
    StepContext extract = context();
    extract.inFullAuto = true;
    runChild(new ExtractStep(extract), [this](ExtractStep& step) {
        if (!step.outcome().isDone()) {
            finish(step.outcome());
            return;
        }
        const RecordedPiece& piece = m_record.pieces.at(m_piece);
        const QString trim = QStringLiteral("atrim=start_sample=%1:end_sample=%2,"
                                            "asetpts=PTS-STARTPTS")
                                 .arg(piece.start)
                                 .arg(piece.start + piece.length);
        auto* cut = new FfmpegRun(host(), work(),
                                  {"-i", work().raw(), "-af", trim, "-c:a", "alac", "-sample_fmt",
                                   "s16p", "-y", partsFile(piece.segment)});
        cut->guardOutput(FfmpegRun::Check::None);
        runChild(cut, [this](FfmpegRun& run) {
            removeWorkingFile(work().raw());
            if (run.outcome().isDone())
                convert();
            else
                finish(run.outcome());
        });
    });
}

// The piece alone through the conversion, as a new take: under a seed of its own, unless the
// user chose one the piece was not made with.
void RedoPieceRun::convert() {
    RecordedPiece& piece = m_record.pieces[m_piece];
    StepContext conversion = context();
    conversion.inputs.newTake = true;
    const double before = piece.settings.value(QStringLiteral("voice_settings"))
                              .toObject()
                              .value(QStringLiteral("seed"))
                              .toDouble(-1);
    std::optional<quint32>& seed = conversion.inputs.voiceSettings.seed;
    if (!seed || double(*seed) == before)
        seed = QRandomGenerator::global()->generate();
    m_seed = seed;
    piece.earlierTakes.append({piece.converted, piece.voice, piece.settings});
    piece.converted = QStringLiteral("%1.take%2.mp4")
                          .arg(QFileInfo(piece.earlierTakes.first().file).completeBaseName())
                          .arg(piece.earlierTakes.size() + 1);
    piece.state = RecordedPiece::State::Waiting;
    if (!saveRunRecord(work(), m_record)) {
        refuse(tr("Could not write %1").arg(work().record()));
        return;
    }
    runChild(new ConvertStep(conversion), [this](ConvertStep& step) { converted(step.outcome()); });
}

void RedoPieceRun::converted(const JobOutcome& outcome) {
    const LoadedRecord loaded = loadRunRecord(work());
    if (loaded.state == LoadedRecord::State::Present)
        m_record = loaded.record;
    RecordedPiece& piece = m_record.pieces[m_piece];
    // A take paid for is kept, even when the run was stopped as it came.
    const bool taken = piece.state == RecordedPiece::State::Converted &&
                       paths().FileExists(partsFile(piece.converted));
    if (taken) {
        piece.redone = true;
    } else {
        // Nothing new: the earlier take is the piece again, and the cut audio goes.
        paths().DeleteFile(partsFile(piece.segment));
        useTake(piece, piece.earlierTakes.takeLast());
        piece.state = RecordedPiece::State::Converted;
        piece.reason.clear();
    }
    if (!saveRunRecord(work(), m_record)) {
        refuse(tr("Could not write %1").arg(work().record()));
        return;
    }
    host().partsChanged();
    if (outcome.isDone())
        rebuild();
    else
        finish(outcome);
}

// The output again from the pieces, by itself where the templates are the program's own.
void RedoPieceRun::rebuild() {
    if (inputs().templateText(Template::Concat) != defaultTemplate(Template::Concat) ||
        inputs().templateText(Template::Integrate) != defaultTemplate(Template::Integrate)) {
        host().log(StepHost::Log::Auto,
                   tr("Rejoin Audio, then Reintegrate, to make the video with this take"));
        finish(JobOutcome::done());
        return;
    }
    StepContext next = context();
    next.inFullAuto = true;
    next.inputs.remakes = m_record.output;
    runChild(new RejoinStep(next), [this, next](RejoinStep& rejoin) {
        if (!rejoin.outcome().isDone()) {
            finish(rejoin.outcome());
            return;
        }
        runChild(new ReintegrateStep(next), [this](ReintegrateStep& step) {
            m_output = step.output();
            finish(step.outcome());
        });
    });
}
