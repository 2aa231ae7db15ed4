#pragma once

#include "core/CommandTemplate.h"
#include "core/VoiceSettings.h"

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <array>

// What a step or run works on, taken from the window's boxes when it starts: editing them
// meanwhile must not mix two videos or two folders in one run.
struct RunInputs {
    QString input;                    // txtInput
    QString outputFolder;             // txtOutDir
    QString interpreter;              // txtPy
    QString voiceRow;                 // Combo1's text
    std::array<QString, 4> templates; // by Template
    int piecesAtOnce = 1;             // conversions that may run at once
    QString cacheFolder;              // where converted pieces are kept for the user
    int cacheLimitMb = 2048;
    int pieceSeconds = 299;      // the longest piece Split makes
    bool keepBackground = false; // the music and sounds stay under the new voice
    QString separation = QStringLiteral("automatic"); // "service", "local" or "automatic"
    bool keepOriginal = false; // the untouched voice as a second track of the output
    VoiceSettings voiceSettings;
    // The outputs earlier videos of the same queue or command line wrote: this one writes
    // beside them under a name of its own rather than over them.
    QStringList takenOutputs;
    // One of many videos run unattended (a queue, a command line): nobody is asked whether an
    // existing output may be replaced.
    bool unattended = false;
    // A piece converted again: the service is asked even where the cache holds its answer.
    bool newTake = false;
    // A video made again from a run's pieces: where that run's video is. Written there again
    // when the output folder is that video's, whatever name the template gives.
    QString remakes;
    // A voice for each speaker: the speakers are found in the audio (or read from
    // `speakersFrom`, a WebVTT transcript with voice tags), and only their turns are converted,
    // each in the speaker's voice.
    bool findSpeakers = false;
    int maxSpeakers = 0; // 0: as many as there are
    QString speakersFrom;
    QMap<int, QString> speakerVoices; // by speaker number from 1: a voice id, or "original"

    const QString& templateText(Template which) const {
        return templates[static_cast<std::size_t>(which)];
    }
};

// What a queued video runs with, as the queue keeps it: everything but the input, and the
// interpreter and the cache, which are the program's when the video runs (taken from `now`).
QJsonObject queuedSettings(const RunInputs& inputs);
RunInputs queuedInputs(const QString& input, const QJsonObject& settings, const RunInputs& now);
