#pragma once

#include "core/RunRecord.h"
#include "core/Turns.h"
#include "pipeline/Step.h"

// Split by speaker: raw.mp4 becomes the run's original (parts/original.mp4); its words and their
// speakers come from a WebVTT transcript or once from the voice service's speech to text (kept in
// parts/speakers.json and in the cache); the words become turns, and each speaker's turns, end
// to end, the pieces that go to the voice changer in that speaker's voice. Nothing outside the
// turns is cut into pieces: it is never sent.
class SpeakerSplit : public Step {
    Q_OBJECT
public:
    // `earlier`: the record of an earlier run of the same video, whose speakers' names and
    // voices are kept.
    SpeakerSplit(const StepContext& context, const std::optional<RunRecord>& earlier,
                 QObject* parent = nullptr);

    const QString& remark() const { return m_remark; }

    // The silence between two turns in a piece, and the fade where a turn meets the original.
    static constexpr double kGapSeconds = 0.3;
    static constexpr double kFadeSeconds = 0.01;

    // ffmpeg's arguments that cut `piece` of `record` out of the run's original (in `parts`),
    // to the sample, into `target`.
    static QStringList cutArguments(const RunRecord& record, const RecordedPiece& piece,
                                    const QString& parts, const QString& target);

protected:
    void begin() override;

private:
    void transcribe();
    void askTranscription();
    void takeWords(const QByteArray& text, bool webVtt);
    void cutNext();
    void done();

    std::optional<RunRecord> m_earlier;
    RunRecord m_record;
    Turns m_turns;
    QList<SpeakerPiece> m_plan;
    QString m_remark;
};
