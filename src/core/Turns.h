#pragma once

#include "core/Transcript.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// A voice for each speaker: the words become turns, each speaker's turns are put end to end into
// pieces for the voice changer, and the converted turns are laid back at their own samples.

struct Turn {
    int speaker = 0;      // index into Turns::labels (speakers numbered by first speech)
    qint64 start = 0;     // samples from the start of the audio, margin included
    qint64 end = 0;       // exclusive
    QString words;        // the turn's words joined by spaces (trimmed)
    QList<qint64> pauses; // inside the turn: the middle of each gap between two of its words,
                          // in samples, in order (where a turn too long for a piece is cut)
};

struct TurnRules {
    double bridge = 0.5; // a gap shorter than this between one speaker's words stays in the turn
    double shortest =
        0.3;              // a turn shorter than this (words only, before margins) joins a neighbour
    double margin = 0.15; // widened by this on each side where the audio allows
};

struct Turns {
    QStringList labels; // the speakers' labels in order of first speech
    QList<Turn> turns;  // in order of time, never overlapping
};

// The words become turns: consecutive words of one speaker; gaps under `bridge` inside a turn
// are bridged (a longer gap starts a new turn of the same speaker); a turn under `shortest`
// joins its nearer neighbour in time (its words go to that neighbour's speaker; on a tie the
// one before), after which neighbouring turns of one speaker closer than `bridge` are one;
// then each turn is widened by `margin` on each side, within [0, total] and never into another
// turn (where two turns are closer than twice the margin, they meet in the middle of the gap).
// Speakers are numbered by first speech after the joins (a speaker whose only words were joined
// away is not listed). Seconds become samples by rounding at `rate`.
// Where two speakers talk over each other, the later word starts where the earlier one ends (a
// stretch of audio can have one voice only); words past the end of the audio end there.
Turns turnsFromWords(const QList<SpokenWord>& words, qint64 totalSamples, int rate,
                     const TurnRules& rules = {});

// Where a piece's audio comes from: video samples [from, to), placed at `at` in the piece.
struct PieceSpan {
    int turn = 0;
    qint64 from = 0;
    qint64 to = 0;
    qint64 at = 0;
    bool operator==(const PieceSpan&) const = default;
};

struct SpeakerPiece {
    int speaker = 0;
    QList<PieceSpan> spans; // in order of time
    qint64 length = 0;      // samples: the spans and the gaps between them
};

// Each speaker's turns end to end with `gap` samples of silence between two spans, in pieces of
// at most `limit` samples (limit > gap; a single span may fill a piece alone). Cut between turns
// where possible; a turn longer than what is left of a piece is cut at its latest pause that
// fits (else at the limit), its rest starting the next piece. A piece is never started with less
// than a second left in favour of cutting a turn: when the next turn does not fit whole in the
// piece, the piece ends and the turn starts a new one, and only a turn longer than a whole piece
// is cut. Speakers in `skip` (kept in their original voice) get no pieces. Pieces in order of
// speaker, then of time.
QList<SpeakerPiece> speakerPieces(const QList<Turn>& turns, int speakers, qint64 limit, qint64 gap,
                                  const QSet<int>& skip = {});

// The ffmpeg -filter_complex that makes `piece` from input 0 (audio at `rate`): each span cut
// to the sample (atrim=start_sample/end_sample, asetpts=PTS-STARTPTS), `gap` samples of silence
// after each span but the last (apad=pad_len=), concatenated, labelled [piece].
QString speakerPieceFilter(const SpeakerPiece& piece, qint64 gap);
