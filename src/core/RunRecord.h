#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The record of one run, kept beside its pieces: which video they were cut from, where each
// piece lies in its audio, and what became of it. Split writes it; the conversion and Stop
// update it; Rejoin joins in its order.

// One conversion of a piece, kept when the piece was redone so that the user may go back to it.
struct RecordedTake {
    QString file; // in the parts folder
    QString voice;
    QJsonObject settings;

    bool operator==(const RecordedTake& other) const = default;
};

// A speaker of a run by speaker, numbered by first speech.
struct RecordedSpeaker {
    QString label; // as the transcript names them ("speaker_0", "Host")
    QString name;  // as the user calls them; empty for "Speaker N"
    QString voice; // a voice id, kOriginalVoice, or empty for the run's voice

    bool operator==(const RecordedSpeaker& other) const = default;
};

// Kept in the speaker's own voice: none of their turns goes to the service.
inline constexpr char kOriginalVoice[] = "original";

// A stretch of the audio one speaker speaks, margins included.
struct RecordedTurn {
    qint64 start = 0; // samples
    qint64 end = 0;   // exclusive
    int speaker = 0;
    QString words;

    bool operator==(const RecordedTurn& other) const = default;
};

// Where a piece of a run by speaker takes its audio: samples [from, to) of the original, placed
// at `at` in the piece.
struct RecordedSpan {
    int turn = 0;
    qint64 from = 0;
    qint64 to = 0;
    qint64 at = 0;

    bool operator==(const RecordedSpan& other) const = default;
};

struct RecordedPiece {
    enum class State { Waiting, Converting, Converted, Failed };

    qint64 start = 0;  // samples from the start of the audio
    qint64 length = 0; // samples
    QString segment;   // the cut piece's file name in the parts folder
    QString converted; // the converted piece's file name, once there
    State state = State::Waiting;
    QString reason;                   // why it failed
    QString voice;                    // the voice id it was converted with
    QJsonObject settings;             // and the rest of what decided the conversion
    bool redone = false;              // converted again on its own, after the run
    QList<RecordedTake> earlierTakes; // the takes before the one in `converted`, oldest first
    int speaker = -1;                 // in a run by speaker: whose turns the piece holds
    QList<RecordedSpan> spans;        // and where they lie
};

// The video the pieces were cut from, as it was then.
struct RecordedInput {
    QString path;
    qint64 size = -1;
    QDateTime modified;

    bool operator==(const RecordedInput& other) const = default;
    // The same file: of the same size, and at the same place or last changed at the same time
    // (a video moved or copied elsewhere is still the same; one written again is not).
    bool isSameVideo(const RecordedInput& other) const {
        return size == other.size && (path == other.path || modified == other.modified);
    }
};

struct RunRecord {
    RecordedInput input;
    int sampleRate = 44100;
    QString output; // the video Reintegrate last made of these pieces; empty before
    QList<RecordedPiece> pieces;
    // A run by speaker: the pieces hold only speech, one speaker's each; the rest of the audio
    // stays as it is in `original` (a file of the parts folder), onto which the turns are laid.
    QString original;
    qint64 originalSamples = 0;
    QList<RecordedSpeaker> speakers;
    QList<RecordedTurn> turns;

    bool bySpeaker() const { return !original.isEmpty(); }
    // The audio's length in samples: the pieces' lengths together (the original's by speaker).
    qint64 samples() const;
    QByteArray toJson() const;
    // Nothing, with `error` saying why, for a text that is no record.
    static std::optional<RunRecord> fromJson(const QByteArray& json, QString* error);
};

// The files to join, in the order of the audio: each piece's converted file where it was
// converted and is there, else its segment where that is there. Empty, with `problem` naming
// the piece, when a piece has neither.
QStringList joinOrder(const RunRecord& record, const std::function<bool(const QString&)>& exists,
                      QString* problem);

// A run by speaker: the converted turns to lay onto the original, in order of time. The turns
// of a piece not converted (or whose file is gone) stay as the original has them.
struct LaidSpan {
    QString file; // the converted piece, in the parts folder
    qint64 at = 0;
    qint64 from = 0;
    qint64 length = 0;

    bool operator==(const LaidSpan& other) const = default;
};
QList<LaidSpan> laidSpans(const RunRecord& record,
                          const std::function<bool(const QString&)>& exists);

// Without a record: the names in the order of the pieces they hold ("output000000001.mp4" and
// its converted "2.mp4" both hold the second), other names after them in natural order.
QStringList pieceOrder(QStringList names);
