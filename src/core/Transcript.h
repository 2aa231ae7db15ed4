#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What was said, by whom and when: the words that a voice for each speaker starts from.
struct SpokenWord {
    double start = 0; // seconds
    double end = 0;
    QString text;
    QString speaker; // the label as given: "speaker_0", or a WebVTT voice name such as "Host"
};

// The speech-to-text answer of the service, e.g.
// {"language_code":"en","text":"...","words":[{"text":"Hi","start":0.12,"end":0.4,
//   "type":"word","speaker_id":"speaker_0","logprob":-0.1}, {"text":" ","type":"spacing",...},
//   {"text":"(laughter)","type":"audio_event",...}]}
// Its entries of type "word" in order of time (spacing and audio events left out; an entry
// without "type" counts as a word; an entry without speaker_id gets "speaker_0"). Nothing, with
// `error` saying why, when the text is not such an answer (not JSON, no "words" array, a word
// without numeric start/end, end < start).
std::optional<QList<SpokenWord>> parseTranscript(const QByteArray& json, QString* error);

// A WebVTT file: one entry per cue, its speaker from the cue's voice tag (<v Host>Hello</v>,
// <v.loud Guest>, also a tag left unclosed); a cue without a tag keeps the speaker of the cue
// before it, the first such: "Speaker". Text without tags, lines joined by a space. Cue
// timings "mm:ss.ttt" or "hh:mm:ss.ttt", settings after them ignored; NOTE/STYLE/REGION blocks
// and cue identifiers skipped; BOM and CRLF accepted. Nothing, with `error`, when the file
// does not start with "WEBVTT" or a timing line is malformed or holds no cue at all.
std::optional<QList<SpokenWord>> parseWebVtt(const QByteArray& text, QString* error);
