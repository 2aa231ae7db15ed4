#pragma once

#include "core/RunRecord.h"

#include <QList>
#include <QString>

// What a run by speaker says of each speaker: the window's speakers panel and
// voxsplice-cli --list-speakers.
struct SpeakerSummary {
    int number = 0; // from 1, in order of first speech
    QString name;   // the user's, else "Speaker N"
    double seconds = 0;
    int turns = 0;
    QString firstWords;
};

QList<SpeakerSummary> summarizeSpeakers(const RunRecord& record);

// One line of --list-speakers: number, name, speaking time, turns, first words.
QString speakerLine(const SpeakerSummary& speaker);
