#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What ffprobe says of an input: its streams and where each starts on the file's timeline.

struct StreamInfo {
    QString type;  // "video", "audio", "subtitle", ...
    QString codec; // ffmpeg's codec name, "h264", "pcm_s16le", ...
    std::optional<double> start;
    int index = -1;         // ffmpeg's number of the stream in its file
    bool isDefault = false; // the player's choice among the streams of its type
    QString title;          // its name for people, "French"
};

struct MediaInfo {
    // ffprobe's reason when it cannot read the file; empty when it can.
    QString error;
    QList<StreamInfo> streams;
    // The earliest start of any stream: ffmpeg counts an input's time from here.
    std::optional<double> start;
    // How long the file lasts, where the container says.
    std::optional<double> duration;

    // The first stream of a type, as ffmpeg's "-map 0:v:0" or "-map 0:a:0" picks it.
    const StreamInfo* first(const QString& type) const;
};

// The arguments after the file that make ffprobe print what parseProbeReport reads.
QStringList probeArguments(const QString& file);

// Reads ffprobe's JSON report (streams, format and error).
MediaInfo parseProbeReport(const QByteArray& json);

// Seconds to add to the input's timestamps so that its first picture lands at 0: ffmpeg starts an
// input at its earliest stream, and where the audio starts before the picture, the picture would
// otherwise start late (or be pulled to 0 by the muxer) and the voice fall out of step. 0 when
// the input has no picture.
double pictureShift(const MediaInfo& media);

// True when an MP4 file can hold a picture coded with `codec` (ffmpeg 5.1's mp4 muxer).
bool mp4HoldsVideo(const QString& codec);

// "mp4", or "mkv" when MP4 cannot hold the input's picture.
QString outputExtension(const MediaInfo& media);

// Seconds as ffmpeg takes them in an option: "0", "-0.021333", "0.5".
QString secondsArgument(double seconds);

// The arguments after the file that make ffprobe print the length of its first audio stream,
// and with `firstPacket` the length of its first packet, which parseAudioLength reads.
QStringList audioLengthArguments(const QString& file, bool firstPacket = false);

// The length of an audio stream in samples, and its sample rate, from ffprobe's report: from the
// stream's duration in its own time base where it has one, else from its duration in seconds.
struct AudioLength {
    qint64 samples = 0;
    int sampleRate = 0;
    qint64 packetSamples = 0; // of its first packet, where asked for and known
};
std::optional<AudioLength> parseAudioLength(const QByteArray& json);

// ffmpeg's arguments that list the packets of the first audio stream of every file, all in one
// run (framecrc on standard output): what Split's pieces are measured with.
QStringList packetListArguments(const QStringList& files);
// Each file's audio length from that listing, in their order: the packets' durations added up
// (as the container states it), and its first packet's. Nothing when the listing lacks one of
// the `files` streams.
std::optional<QList<AudioLength>> parsePacketLengths(const QByteArray& listing, int files);
