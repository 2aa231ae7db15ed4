#pragma once

#include "core/PieceSchedule.h"
#include "core/RunRecord.h"
#include "pipeline/RunProgress.h"
#include "pipeline/Step.h"
#include "platform/ProcessJob.h"

#include <QMap>
#include <QSet>
#include <QStringList>

#include <memory>

class FfmpegRun;
class QTimer;
class ScriptRun;
struct ScriptMessage;

// The five steps, the Full Auto run and the MP4 conversion of the Tools menu. Each is made with
// what it works on, started once, and says how it ended.

// Extract audio: the input's audio track into raw.mp4.
class ExtractStep : public Step {
    Q_OBJECT
public:
    using Step::Step;

protected:
    void begin() override;
};

// Split audio: raw.mp4 cut into parts/output000000000.mp4, ..., where the speaker pauses, then
// removed; the record of the pieces written beside them.
class SplitStep : public Step {
    Q_OBJECT
public:
    using Step::Step;

protected:
    void begin() override;

private:
    void split(const MediaInfo* media, const QList<Macro>& cuts);
    void measure(const QStringList& pieces);
    void removePieces();

    RunRecord m_record;
    QString m_remark; // where the cuts fell
};

// The AI conversion: each piece not yet converted through convert.py into parts/<N+1>.mp4,
// several at once, in the order of the record. Before pieces go to the voice service, the log
// says what they cost.
class ConvertStep : public Step {
    Q_OBJECT
public:
    using Step::Step;

    int paidPending() const override;

protected:
    void begin() override;
    void halt() override;
    void haltNow() override;

private:
    void haltSchedule();
    bool takePieces();
    void estimateCost();
    void pump();
    void startPiece(int piece);
    void pieceEnded(int piece, ScriptRun& run);
    void busy(int piece, const ScriptMessage& said, const QString& text);
    void failed(int piece, const QString& text);
    void setState(int piece, RecordedPiece::State state, const QString& reason = QString());
    void wrapUp();
    QString partsFile(const QString& name) const;
    // The voice a piece is converted with: its speaker's, else the run's.
    QString voiceOf(int piece) const;

    RunRecord m_record;
    bool m_recorded = false; // the record is on disk (not made up from the folder's names)
    QList<int> m_pieces;     // to convert, in order
    QString m_voiceId;
    QString m_background; // where it is split off: "service", "local", or "" for not kept
    bool m_offline = false;
    std::unique_ptr<PieceSchedule> m_schedule;
    QMap<int, ScriptRun*> m_scripts;
    QSet<int> m_announced; // a piece sent again is not announced again
    QSet<int> m_cancelled;
    int m_busyWaits = 0;
    int m_failedPieces = 0;
    int m_busyFailed = 0;    // of them, given up on as the account's limit stayed hit
    bool m_reported = false; // the first failure is the one the output box shows
    QTimer* m_wait = nullptr;
};

// Rejoin audio: the pieces in the order of the record (else of their numbers), joined into
// joined.mp4, which must decode.
class RejoinStep : public Step {
    Q_OBJECT
public:
    using Step::Step;

protected:
    void begin() override;

private:
    QStringList pieces();
    void layTurns(const RunRecord& record);
};

// Reintegrate: joined.mp4 under the input's picture, into the output folder.
class ReintegrateStep : public Step {
    Q_OBJECT
public:
    using Step::Step;

    // Once done: the new video (empty where the template writes it by a name of its own).
    const QString& output() const { return m_output; }
    // Why it has another name than the template's, where it has.
    const QString& remark() const { return m_remark; }

protected:
    void begin() override;

private:
    void run(const MediaInfo* media);
    void write(const QStringList& arguments, const MediaInfo* media);
    void avoidTakenOutput(QStringList& arguments);

    QString m_output;
    QString m_remark;
};

// Full Auto: the five steps in order, each announced in listAuto before it starts. The run stops
// at the first step that does not succeed.
class FullAutoRun : public Step {
    Q_OBJECT
public:
    explicit FullAutoRun(const StepContext& context, QObject* parent = nullptr);

    // Once done: the new video, as Reintegrate names it.
    const QString& output() const { return m_output; }

protected:
    void begin() override;
    void halt() override;

private:
    void keepOrReplace();
    void agreeCost();
    void nextStage();

    RunProgress m_progress; // the stages' progress as the whole run's
    int m_stage = -1;
    Step* m_current = nullptr; // the stage that runs
    std::optional<QString> m_background;
    std::optional<MediaInfo> m_media;
    bool m_costAgreed = false;
    QString m_output;
};

// Tools > Convert wmv to mp4: a video re-encoded to H.264 and AAC in MP4.
class Mp4Conversion : public Step {
    Q_OBJECT
public:
    Mp4Conversion(const StepContext& context, const QString& input, const QString& output,
                  QObject* parent = nullptr);

signals:
    // The new file is there; it becomes the pipeline's input.
    void converted(const QString& path);

protected:
    void begin() override;

private:
    QString m_input;
    QString m_output;
};
