// The AI conversion: every piece not yet converted through convert.py, several at once, in the
// order of the record. A piece's segment is deleted as soon as its converted piece is in place,
// so a run that stopped can be started again and converts only what is left (and what was
// converted before comes from the script's cache without a new request).
#include "core/Segments.h"
#include "pipeline/CostQuestion.h"
#include "pipeline/RunRecordFile.h"
#include "pipeline/ScriptRun.h"
#include "pipeline/Steps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

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

} // namespace

QString ConvertStep::partsFile(const QString& name) const {
    return PathTools::join(work().parts(), name);
}

QString ConvertStep::voiceOf(int piece) const {
    const int speaker = m_record.pieces.at(piece).speaker;
    if (speaker >= 0 && speaker < m_record.speakers.size() &&
        !m_record.speakers.at(speaker).voice.isEmpty())
        return m_record.speakers.at(speaker).voice;
    return m_voiceId;
}

void ConvertStep::begin() {
    if (!paths().FileExists(inputs().interpreter)) {
        refuse(pythonMissing(inputs().interpreter));
        return;
    }
    m_voiceId = voiceCheck();
    if (m_voiceId.isEmpty())
        return;
    host().clearLog(StepHost::Log::Conversion);
    m_offline = offlineVoice();
    // The first line says what the pieces are converted with.
    const QString with =
        m_offline && !inputs().voiceSettings.isEmpty()
            ? tr("%1: %2 (the offline voice ignores them)")
                  .arg(inputs().voiceRow, inputs().voiceSettings.describe())
            : inputs().voiceRow + QStringLiteral(": ") + inputs().voiceSettings.describe();
    host().log(StepHost::Log::Conversion, with);
    if (!takePieces())
        return;
    if (!paths().FileExists(work().script())) {
        refuse(tr("convert.py not found?"));
        return;
    }
    host().log(StepHost::Log::Conversion, tr("%1 files found").arg(m_pieces.size()));
    double seconds = 0;
    for (const int piece : std::as_const(m_pieces))
        seconds += double(m_record.pieces.at(piece).length) / m_record.sampleRate;
    planBackground(seconds > 0 ? std::optional(seconds) : std::nullopt,
                   [this](const QString& mode) {
                       m_background = mode;
                       if (m_offline && mode != QLatin1String("service"))
                           pump();
                       else
                           estimateCost();
                   });
}

// The pieces to convert: from the record those not converted yet; without one, the segments
// of the parts folder.
bool ConvertStep::takePieces() {
    const LoadedRecord loaded = loadRunRecord(work());
    if (loaded.state == LoadedRecord::State::Damaged) {
        refuse(loaded.damage(work()));
        return false;
    }
    m_recorded = loaded.state == LoadedRecord::State::Present;
    // Nothing of another video is paid for: its pieces wait for that video's run. Without a
    // video chosen, the pieces are the user's to convert.
    if (m_recorded && !inputs().input.isEmpty()) {
        if (const QString other = otherVideoProblem(loaded.record, inputs().input);
            !other.isEmpty()) {
            refuse(other);
            return false;
        }
    }
    if (m_recorded) {
        m_record = loaded.record;
        // Turns given to another speaker since the pieces were cut: cut them again first.
        for (const RecordedPiece& piece : std::as_const(m_record.pieces))
            for (const RecordedSpan& span : piece.spans)
                if (m_record.turns.at(span.turn).speaker != piece.speaker) {
                    refuse(tr("Some turns were given to another speaker since the pieces were "
                              "cut. Run Full Auto to cut them again."));
                    return false;
                }
        // The voices given for this run (the command line's) over those the record keeps.
        for (auto it = inputs().speakerVoices.cbegin(); it != inputs().speakerVoices.cend(); ++it)
            if (it.key() >= 1 && it.key() <= m_record.speakers.size())
                m_record.speakers[it.key() - 1].voice = it.value();
    } else {
        for (const QString& name :
             paths().ListFiles(work().parts(), QStringLiteral("output*"), false)) {
            if (!segmentNumber(paths().BaseName(name))) {
                host().log(StepHost::Log::Conversion,
                           tr("Skipped %1: no segment number in its name").arg(name));
                continue;
            }
            RecordedPiece piece;
            piece.segment = name;
            piece.converted = convertedFileName(*segmentNumber(paths().BaseName(name)));
            m_record.pieces.append(piece);
        }
    }
    QStringList segments;
    for (const RecordedPiece& piece : std::as_const(m_record.pieces))
        segments.append(piece.segment);
    for (int i = 0; i < m_record.pieces.size(); ++i) {
        RecordedPiece& piece = m_record.pieces[i];
        const bool converted = piece.state == RecordedPiece::State::Converted &&
                               paths().FileExists(partsFile(piece.converted));
        if (converted || voiceOf(int(i)) == QLatin1String(kOriginalVoice))
            continue;
        if (!paths().FileExists(partsFile(piece.segment))) {
            refuse(tr("Piece %1 of %2 is missing: %3 is not in %4.\n\nSplit the audio again.")
                       .arg(QString::number(i + 1), QString::number(m_record.pieces.size()),
                            piece.segment, partsFolderText()));
            return false;
        }
        if (piece.converted.isEmpty()) {
            // Converted pieces are numbered from 1, unless a segment has such a name.
            piece.converted = convertedFileName(i);
            if (segments.contains(piece.converted))
                piece.converted.prepend(QStringLiteral("converted-"));
        }
        m_pieces.append(i);
    }
    if (m_pieces.isEmpty() && m_record.bySpeaker()) {
        host().log(StepHost::Log::Conversion, tr("Nothing to convert: every speaker keeps their "
                                                 "voice, or is converted already"));
        finish(JobOutcome::done());
        return false;
    }
    if (m_pieces.isEmpty()) {
        refuse(tr("No output files in %1?").arg(partsFolderText()));
        return false;
    }
    return true;
}

// What goes to the service, what comes from the cache, what it costs and what is left: said
// before anything is sent, and asked about when the credits would not do.
void ConvertStep::estimateCost() {
    host().showProgress(0, tr("Working out the cost"));
    QStringList arguments{work().script(), QStringLiteral("--estimate"), m_voiceId};
    // The whole video about to be converted: the cache learns which pieces it was cut into.
    if (m_pieces.size() == m_record.pieces.size() && !m_record.bySpeaker())
        arguments << QStringLiteral("--source") << inputs().input;
    QString voice = m_voiceId;
    for (const int piece : std::as_const(m_pieces)) {
        // Each speaker's pieces are looked up in the cache under the speaker's voice.
        if (voiceOf(piece) != voice) {
            voice = voiceOf(piece);
            arguments.append(QLatin1Char('@') + voice);
        }
        arguments.append(partsFile(m_record.pieces.at(piece).segment));
    }
    auto* estimate = new ScriptRun(inputs().interpreter, arguments,
                                   conversionEnvironment(inputs(), m_background));
    CostQuestion::Asking asking = CostQuestion::converting(host(), StepHost::Log::Conversion);
    // Nothing to pay, or the run's cost agreed to before it began, goes on at once.
    asking.agreed = context().costAgreed;
    runChild(new CostQuestion(host(), estimate, asking), [this](CostQuestion& question) {
        if (question.declined()) {
            const bool tooFew = !question.outcome().isStopped();
            host().log(StepHost::Log::Conversion, tooFew ? tr("Not converted: too few credits")
                                                         : tr("Not converted: cancelled"));
            tooFew ? fail(tr("too few credits")) : finish(JobOutcome::stopped());
        } else if (question.outcome().isStopped()) {
            wrapUp();
        } else {
            if (!question.cost())
                host().log(StepHost::Log::Conversion, question.unknownLine());
            pump();
        }
    });
}

void ConvertStep::pump() {
    if (!m_schedule)
        m_schedule = std::make_unique<PieceSchedule>(
            m_pieces, std::clamp(inputs().piecesAtOnce, 1, 15), QThread::idealThreadCount());
    const PieceSchedule::Moves moves = m_schedule->next();
    for (const int piece : moves.cancel) {
        m_cancelled.insert(piece);
        m_scripts.value(piece)->cancel();
    }
    for (const int piece : moves.send)
        m_scripts.value(piece)->go();
    for (const int piece : moves.start)
        startPiece(piece);
    if (m_schedule->finished())
        wrapUp();
}

void ConvertStep::startPiece(int piece) {
    const RecordedPiece& recorded = m_record.pieces.at(piece);
    const QString segment = partsFile(recorded.segment);
    const QString converted = partsFile(recorded.converted);
    if (!m_announced.contains(piece)) {
        m_announced.insert(piece);
        host().log(StepHost::Log::Conversion, tr("starting %1").arg(paths().BaseName(segment)));
    }
    // A piece left by an earlier failed or stopped run must not pass for this run's result.
    discardPartialPiece(converted);
    if (paths().FileExists(converted)) {
        m_schedule->failed(piece);
        failed(piece, tr("Could not remove the earlier converted file %1. Close any program that "
                         "uses it and try again.")
                          .arg(converted));
        QMetaObject::invokeMethod(this, &ConvertStep::pump, Qt::QueuedConnection);
        return;
    }
    setState(piece, RecordedPiece::State::Converting);
    host().showProgress(double(m_schedule->done()) / m_pieces.size(),
                        tr("Converting: %1 of %2 done, %3 running")
                            .arg(m_schedule->done())
                            .arg(m_pieces.size())
                            .arg(m_schedule->alive()));
    // The script prepares the piece, then waits for its turn at the service.
    auto* run = new ScriptRun(
        inputs().interpreter,
        {work().script(), QStringLiteral("--wait-for-go"), segment, converted, voiceOf(piece)},
        conversionEnvironment(inputs(), m_background));
    run->keepInputOpen();
    connect(run, &ScriptRun::message, this, [this, piece](const ScriptMessage& m) {
        if (m.type == QLatin1String("ready"))
            m_schedule->ready(piece);
        else if (m.type == QLatin1String("answered"))
            m_schedule->answered(piece);
        else if (m.type == QLatin1String("waiting")) // for another run's answer
            host().addConversionRow(m.text("message"));
        else
            return;
        pump();
    });
    m_scripts.insert(piece, run);
    runChild(run, [this, piece](ScriptRun& run) { pieceEnded(piece, run); });
}

void ConvertStep::pieceEnded(int piece, ScriptRun& run) {
    m_scripts.remove(piece);
    const RecordedPiece& recorded = m_record.pieces.at(piece);
    const QString segment = partsFile(recorded.segment);
    const QString converted = partsFile(recorded.converted);
    const ScriptMessage failure = run.last(QStringLiteral("failure"));
    if (run.outcome().isStopped() || m_cancelled.remove(piece)) {
        // The script writes through hidden temporary files; a forced end may leave them. The
        // segment itself stays for the next run.
        discardPartialPiece(converted);
        m_schedule->returned(piece);
        setState(piece, RecordedPiece::State::Waiting);
    } else if (!run.outcome().isDone() && failure.text("kind") == QLatin1String("busy")) {
        busy(piece, failure, run.text());
    } else if (!run.outcome().isDone()) {
        // Whatever a failed run left goes: the segment stays, and both would be joined.
        discardPartialPiece(converted);
        m_schedule->failed(piece);
        failed(piece, run.text().isEmpty() ? run.failure() : run.text());
    } else if (paths().FileLength(converted) <= 0) {
        discardPartialPiece(converted);
        m_schedule->failed(piece);
        failed(piece, tr("convert.py said it wrote the converted file, but it is not there:\n%1"
                         "\n\nWhat it said:\n%2")
                          .arg(converted, run.text()));
    } else if (!paths().DeleteFile(segment)) {
        // The segment must go, or a join without the record would take both.
        m_schedule->failed(piece);
        failed(piece, tr("Converted %1 into %2, but could not remove the segment. Delete it "
                         "before joining, or it is joined twice.")
                          .arg(segment, converted));
    } else {
        m_schedule->converted(piece);
        RecordedPiece& done = m_record.pieces[piece];
        done.voice = voiceOf(piece);
        done.settings = QJsonObject{{"background", m_background},
                                    {"offline", m_offline},
                                    {"voice_settings", inputs().voiceSettings.toObject()}};
        setState(piece, RecordedPiece::State::Converted);
        host().addConversionRow(run.last(QStringLiteral("result")).text("message"));
        host().partsChanged();
        host().showProgress(
            double(m_schedule->done()) / m_pieces.size(),
            tr("Converting: %1 of %2 done").arg(m_schedule->done()).arg(m_pieces.size()));
    }
    pump();
}

void ConvertStep::failed(int piece, const QString& text) {
    ++m_failedPieces;
    setState(piece, RecordedPiece::State::Failed, text.trimmed().section(QLatin1Char('\n'), -1));
    if (!m_reported) // the first failure is the one to read
        host().setToolOutput(text);
    m_reported = true;
    host().log(StepHost::Log::Conversion, tr("Error"));
}

// The account takes no more requests at once. The piece goes back to the front; with requests
// of this run still out, the run goes on with that many at once; with none, it waits.
void ConvertStep::busy(int piece, const ScriptMessage& said, const QString& text) {
    setState(piece, RecordedPiece::State::Waiting);
    const int before = m_schedule->atOnce();
    if (m_schedule->busy(piece)) {
        if (m_schedule->atOnce() < before)
            host().log(StepHost::Log::Conversion,
                       tr("The voice service takes %1 at once for this account: going on with "
                          "%1")
                           .arg(m_schedule->atOnce()));
        return;
    }
    if (++m_busyWaits > kBusyWaitsAtMost) {
        ++m_busyFailed;
        m_schedule->resume();
        m_schedule->failed(piece);
        failed(piece, text);
        return;
    }
    const double retryAfter = said.number("retry_after", -1);
    const int waitMs =
        retryAfter >= 0 ? int(retryAfter * 1000) : kBusyWaitMs << std::min(m_busyWaits - 1, 4);
    host().log(StepHost::Log::Conversion,
               tr("The voice service is busy with other requests of this account: trying again "
                  "in %1 s")
                   .arg(waitMs / 1000));
    if (!m_wait) {
        m_wait = new QTimer(this);
        m_wait->setSingleShot(true);
        connect(m_wait, &QTimer::timeout, this, [this] {
            m_schedule->resume();
            pump();
        });
    }
    m_wait->start(waitMs);
}

void ConvertStep::setState(int piece, RecordedPiece::State state, const QString& reason) {
    RecordedPiece& recorded = m_record.pieces[piece];
    recorded.state = state;
    recorded.reason = reason;
    if (m_recorded && !saveRunRecord(work(), m_record))
        host().log(StepHost::Log::Conversion, tr("Could not write %1").arg(work().record()));
}

void ConvertStep::wrapUp() {
    if (isFinished())
        return;
    host().partsChanged(); // what stopped or failed runs left is gone
    if (stopRequested()) {
        host().log(StepHost::Log::Conversion, tr("Stopped"));
        finish(JobOutcome::stopped());
    } else if (m_schedule && m_schedule->hasFailed()) {
        // Only where every failed piece met the account's limit may a later run do better.
        finish(JobOutcome::failed(tr("a piece could not be converted"),
                                  m_busyFailed == m_failedPieces));
    } else {
        host().log(StepHost::Log::Conversion, tr("Complete!"));
        host().playSound(work().completeSound());
        finish(JobOutcome::done());
    }
}

int ConvertStep::paidPending() const {
    int paid = 0;
    for (auto it = m_scripts.cbegin(); it != m_scripts.cend(); ++it)
        paid += m_schedule && m_schedule->isPaid(it.key());
    return paid;
}

void ConvertStep::haltSchedule() {
    if (m_wait)
        m_wait->stop();
    if (m_schedule) {
        m_schedule->halt();
        m_schedule->resume();
    }
}

void ConvertStep::halt() {
    haltSchedule();
    // A piece that went to the voice service is paid for: its answer is waited for and kept (in
    // the cache too, so that the next run takes it for nothing). The rest stops now; each run's
    // end comes back through its own continuation.
    QList<Job*> paid;
    for (auto it = m_scripts.cbegin(); it != m_scripts.cend(); ++it)
        if (m_schedule && m_schedule->isPaid(it.key()))
            paid.append(it.value());
    if (!paid.isEmpty())
        host().showProgress(
            double(m_schedule->done()) / m_pieces.size(),
            paid.size() == 1
                ? tr("Stopping once the piece already paid for is kept")
                : tr("Stopping once the %1 pieces already paid for are kept").arg(paid.size()));
    if (childrenRunning())
        stopChildren(paid);
    else
        wrapUp();
}

void ConvertStep::haltNow() {
    haltSchedule();
    if (childrenRunning())
        Job::haltNow();
    else
        wrapUp();
}
