#include "core/SpeakerSummary.h"

#include "core/Progress.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {
constexpr int kFirstWordsAtMost = 60; // characters
} // namespace

QList<SpeakerSummary> summarizeSpeakers(const RunRecord& record) {
    QList<SpeakerSummary> speakers;
    for (qsizetype i = 0; i < record.speakers.size(); ++i) {
        SpeakerSummary summary;
        summary.number = int(i) + 1;
        // The user's name, else the transcript's where it gives names (a WebVTT's voices).
        static const QRegularExpression numbered(QStringLiteral("^speaker_\\d+$"));
        const RecordedSpeaker& speaker = record.speakers.at(i);
        summary.name =
            !speaker.name.isEmpty() ? speaker.name
            : !speaker.label.isEmpty() && !numbered.match(speaker.label).hasMatch()
                ? speaker.label
                : QCoreApplication::translate("SpeakerSummary", "Speaker %1").arg(summary.number);
        speakers.append(summary);
    }
    for (const RecordedTurn& turn : record.turns) {
        if (turn.speaker < 0 || turn.speaker >= speakers.size())
            continue;
        SpeakerSummary& speaker = speakers[turn.speaker];
        speaker.seconds += double(turn.end - turn.start) / record.sampleRate;
        ++speaker.turns;
        if (speaker.firstWords.isEmpty())
            speaker.firstWords =
                turn.words.size() > kFirstWordsAtMost
                    ? turn.words.left(kFirstWordsAtMost - 3) + QStringLiteral("...")
                    : turn.words;
    }
    return speakers;
}

QString speakerLine(const SpeakerSummary& speaker) {
    const QString turns =
        speaker.turns == 1
            ? QCoreApplication::translate("SpeakerSummary", "1 turn")
            : QCoreApplication::translate("SpeakerSummary", "%1 turns").arg(speaker.turns);
    return QCoreApplication::translate("SpeakerSummary", "%1  %2  %3 speaking, %4  \"%5\"")
        .arg(speaker.number)
        .arg(speaker.name, formatDuration(speaker.seconds), turns, speaker.firstWords);
}
