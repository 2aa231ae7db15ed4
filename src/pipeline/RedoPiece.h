#pragma once

#include "core/RunRecord.h"
#include "pipeline/Step.h"

// Why a run has no piece `piece` (from 0): it names the pieces it has. Empty when it has it.
QString missingPieceProblem(const RunRecord& record, int piece);

// One piece of a finished run converted again on its own, with the voice and settings given
// now and a seed of its own (a new take, never the cache's answer), or its earlier take brought
// back without a request; then the output made again from the pieces, as Rejoin and Reintegrate
// do (unless their templates were edited: then on the user's click). The other pieces stay as
// they are, and the piece keeps its length to the sample.
class RedoPieceRun : public Step {
    Q_OBJECT
public:
    enum class Take { New, Earlier };

    // `piece` counts from 0.
    RedoPieceRun(const StepContext& context, int piece, Take take, QObject* parent = nullptr);

    // The seed the new take was asked with; none before the conversion.
    std::optional<quint32> seed() const { return m_seed; }
    // The video made again; empty when it was not (yet).
    const QString& output() const { return m_output; }

protected:
    void begin() override;

private:
    bool loadRecord();
    void bringBackEarlierTake();
    void cutOriginal();
    void convert();
    void converted(const JobOutcome& outcome);
    void rebuild();
    QString partsFile(const QString& name) const;

    int m_piece;
    Take m_take;
    RunRecord m_record;
    std::optional<quint32> m_seed;
    QString m_output;
};
