#include "pipeline/SpeakerSplit.h"

#include "core/MediaInfo.h"
#include "core/Segments.h"
#include "core/ToolReason.h"
#include "core/Transcript.h"
#include "pipeline/CostQuestion.h"
#include "pipeline/RunRecordFile.h"
#include "pipeline/ScriptRun.h"
#include "platform/ProcessJob.h"

#include <QFile>

#include <cmath>

namespace {

QString speakersFile(const WorkFolder& work) {
    return PathTools::join(work.parts(), QStringLiteral("speakers.json"));
}

} // namespace

SpeakerSplit::SpeakerSplit(const StepContext& context, const std::optional<RunRecord>& earlier,
                           QObject* parent)
    : Step(context, parent)
    , m_earlier(earlier) {}

void SpeakerSplit::begin() {
    m_record.original = QStringLiteral("original.mp4");
    const QString original = PathTools::join(work().parts(), m_record.original);
    if (!QFile::rename(work().raw(), original)) {
        refuse(tr("Could not move %1 to %2").arg(work().raw(), original));
        return;
    }
    auto* probe = new ProcessJob(work().ffprobe(), audioLengthArguments(original));
    runChild(probe, [this, original](ProcessJob& probe) {
        const auto length = parseAudioLength(probe.output().toUtf8());
        if (probe.outcome().isStopped()) {
            finish(probe.outcome());
        } else if (!length || length->samples <= 0) {
            fail(tr("ffprobe cannot tell the length of %1: %2")
                     .arg(original, ffmpegReason(probe.output())));
        } else {
            m_record.sampleRate = length->sampleRate;
            m_record.originalSamples = length->samples;
            transcribe();
        }
    });
}

// The words: from the user's transcript, else from the speech to text, after its cost was
// agreed to where it is not in the cache.
void SpeakerSplit::transcribe() {
    if (!inputs().speakersFrom.isEmpty()) {
        QFile file(inputs().speakersFrom);
        if (!file.open(QIODevice::ReadOnly)) {
            refuse(tr("Could not read %1").arg(inputs().speakersFrom));
            return;
        }
        takeWords(file.readAll(), true);
        return;
    }
    if (offlineVoice()) {
        refuse(tr("Finding the speakers needs the voice service. With the offline voice, load "
                  "them from subtitles (WebVTT with voice tags) instead."));
        return;
    }
    if (context().costAgreed) {
        askTranscription();
        return;
    }
    const QString original = PathTools::join(work().parts(), m_record.original);
    auto* estimate = new ScriptRun(inputs().interpreter,
                                   {work().script(), QStringLiteral("--estimate"),
                                    QStringLiteral("-"), QStringLiteral("--transcribe"), original},
                                   conversionEnvironment(inputs(), QString()));
    // In the cache, or its cost unknown: nothing asked (the script says what it sends).
    runChild(new CostQuestion(host(), estimate, {}), [this](CostQuestion& question) {
        if (question.outcome().isDone())
            askTranscription();
        else
            finish(question.outcome());
    });
}

void SpeakerSplit::askTranscription() {
    host().showProgress(0, tr("Finding the speakers"));
    auto* run =
        new ScriptRun(inputs().interpreter,
                      {work().script(), QStringLiteral("--speakers"),
                       PathTools::join(work().parts(), m_record.original), speakersFile(work())},
                      conversionEnvironment(inputs(), QString()));
    runChild(run, [this](ScriptRun& run) {
        if (!run.outcome().isDone()) {
            host().setToolOutput(run.text());
            finish(run.outcome().isStopped() ? run.outcome() : JobOutcome::failed(run.failure()));
            return;
        }
        QFile file(speakersFile(work()));
        if (!file.open(QIODevice::ReadOnly)) {
            fail(tr("Could not read %1").arg(speakersFile(work())));
            return;
        }
        takeWords(file.readAll(), false);
    });
}

void SpeakerSplit::takeWords(const QByteArray& text, bool webVtt) {
    QString error;
    const auto words = webVtt ? parseWebVtt(text, &error) : parseTranscript(text, &error);
    if (!words) {
        refuse(webVtt ? tr("%1 is no WebVTT transcript: %2").arg(inputs().speakersFrom, error)
                      : tr("The speech to text answered something else: %1").arg(error));
        return;
    }
    m_turns = turnsFromWords(*words, m_record.originalSamples, m_record.sampleRate);
    for (qsizetype i = 0; i < m_turns.labels.size(); ++i) {
        RecordedSpeaker speaker{m_turns.labels.at(i), QString(), QString()};
        // What the user called a speaker and gave them, in an earlier run of this video.
        if (m_earlier) {
            for (const RecordedSpeaker& before : std::as_const(m_earlier->speakers))
                if (before.label == speaker.label)
                    speaker = before;
        }
        if (inputs().speakerVoices.contains(int(i) + 1))
            speaker.voice = inputs().speakerVoices.value(int(i) + 1);
        m_record.speakers.append(speaker);
    }
    QSet<int> kept;
    for (Turn& turn : m_turns.turns) {
        // A turn the user gave to another speaker in an earlier run of this video stays theirs.
        if (m_earlier) {
            for (const RecordedTurn& before : std::as_const(m_earlier->turns))
                if (before.start == turn.start && before.end == turn.end &&
                    before.speaker < m_record.speakers.size())
                    turn.speaker = before.speaker;
        }
        m_record.turns.append({turn.start, turn.end, turn.speaker, turn.words});
    }
    for (qsizetype i = 0; i < m_record.speakers.size(); ++i)
        if (m_record.speakers.at(i).voice == QLatin1String(kOriginalVoice))
            kept.insert(int(i));
    const auto seconds = [this](double s) { return qint64(std::llround(s * m_record.sampleRate)); };
    m_plan = speakerPieces(m_turns.turns, int(m_turns.labels.size()),
                           seconds(inputs().pieceSeconds), seconds(kGapSeconds), kept);
    m_remark =
        (m_turns.labels.size() == 1 ? tr("1 speaker")
                                    : tr("%1 speakers").arg(m_turns.labels.size())) +
        QStringLiteral(", ") +
        (m_turns.turns.size() == 1 ? tr("1 turn") : tr("%1 turns").arg(m_turns.turns.size()));
    if (context().inFullAuto)
        host().log(StepHost::Log::Auto, m_remark);
    cutNext();
}

// Each piece in one ffmpeg run, its spans cut to the sample out of the original.
void SpeakerSplit::cutNext() {
    const qsizetype index = m_record.pieces.size();
    if (index == m_plan.size()) {
        done();
        return;
    }
    const SpeakerPiece& planned = m_plan.at(index);
    RecordedPiece piece;
    piece.segment = segmentFileName(index);
    piece.speaker = planned.speaker;
    piece.length = planned.length;
    piece.start = planned.spans.first().from;
    for (const PieceSpan& span : planned.spans)
        piece.spans.append({span.turn, span.from, span.to, span.at});
    host().showProgress(double(index) / m_plan.size(),
                        tr("Cutting the speakers' turns: %1 of %2").arg(index).arg(m_plan.size()));
    auto* run = new ProcessJob(work().ffmpeg(),
                               cutArguments(m_record, piece, work().parts(),
                                            PathTools::join(work().parts(), piece.segment)));
    run->setSeparateChannels(true);
    m_record.pieces.append(piece);
    runChild(run, [this](ProcessJob& run) {
        if (!run.outcome().isDone()) {
            host().setToolOutput(run.errorOutput());
            finish(run.outcome().isStopped()
                       ? run.outcome()
                       : JobOutcome::failed(
                             tr("ffmpeg failed: %1").arg(ffmpegReason(run.errorOutput()))));
            return;
        }
        cutNext();
    });
}

QStringList SpeakerSplit::cutArguments(const RunRecord& record, const RecordedPiece& piece,
                                       const QString& parts, const QString& target) {
    SpeakerPiece planned{piece.speaker, {}, piece.length};
    for (const RecordedSpan& span : piece.spans)
        planned.spans.append({span.turn, span.from, span.to, span.at});
    const qint64 gap = qint64(std::llround(kGapSeconds * record.sampleRate));
    return {"-nostdin",
            "-hide_banner",
            "-v",
            "error",
            "-y",
            "-i",
            PathTools::join(parts, record.original),
            "-filter_complex",
            speakerPieceFilter(planned, gap),
            "-map",
            "[piece]",
            "-map_metadata",
            "-1",
            "-c:a",
            "alac",
            "-sample_fmt",
            "s16p",
            "-movie_timescale",
            QString::number(record.sampleRate),
            "-f",
            "mp4",
            target};
}

void SpeakerSplit::done() {
    m_record.input = describeInput(inputs().input);
    if (!saveRunRecord(work(), m_record)) {
        refuse(tr("Could not write %1").arg(work().record()));
        return;
    }
    host().partsChanged();
    finish(JobOutcome::done());
}
