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

    // The audio's length in samples: the pieces' lengths together.
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

// Without a record: the names in the order of the pieces they hold ("output000000001.mp4" and
// its converted "2.mp4" both hold the second), other names after them in natural order.
QStringList pieceOrder(QStringList names);
