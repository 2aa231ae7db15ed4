#pragma once

#include <QList>
#include <QString>

#include <optional>

// The stretch of a video that a preview of the voice converts: 30 s, by default from where the
// speech begins.

constexpr double kPreviewSeconds = 30;

// Where the first speech begins, from the loudness of the audio's start (dB, one level per
// `window` seconds, "-inf" for silence): the first sound that fills at least half of the second
// it begins, a quarter of a second early so that its first syllable is whole. Sound is within
// 30 dB of the stretch's loud end (its 90th percentile) and above -70 dB; 0 where there is none.
// On a tenth of a second, as userTimeText writes it.
double firstSpeech(const QList<float>& levels, double window);

struct Excerpt {
    double start = 0;
    double length = kPreviewSeconds;
};

// `length` seconds from `start`, moved back where they would run past the end of audio `total`
// seconds long (when known), and shortened to the whole where it is shorter.
Excerpt previewExcerpt(double start, std::optional<double> total, double length = kPreviewSeconds);

// A time as people write it: "75", "1:15", "1:02:03", "1:15.5"; nothing for anything else.
std::optional<double> parseUserTime(const QString& text);
// The other way, to a tenth of a second: "1:15", "1:15.5", "1:02:03".
QString userTimeText(double seconds);
