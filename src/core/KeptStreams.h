#pragma once

#include "core/MediaInfo.h"

#include <QString>
#include <QStringList>

// What Reintegrate keeps of the input besides its picture and the voice it replaces: every other
// audio track, the subtitles, further pictures, attachments (fonts), chapters, the file's tags,
// and each stream's own tags and flags. The input is ffmpeg's first input, the new voice its
// second; the picture is the first output video stream and the new voice the first output audio
// stream, as the template maps them. Data streams (timecodes and the like) are left out.
struct KeptStreams {
    QString extension = QStringLiteral("mp4"); // "mkv" where MP4 cannot hold what is kept
    QStringList matroskaReasons;               // why Matroska: "the hdmv_pgs_subtitle subtitles"
    bool pictureNeedsMatroska = false;         // among them the picture's codec
    QStringList arguments;                     // ffmpeg's output options for it
};

// `original`: the untouched voice as a second audio track, after the new one, titled "Original
// voice" and not the default.
KeptStreams keptStreams(const MediaInfo& media, bool original);
// The same for a template that keeps the picture alone.
KeptStreams keptPicture(const MediaInfo& media);

// True when MP4 holds an audio track coded with `codec` as it is (ffmpeg 5.1's mp4 muxer,
// without experimental features).
bool mp4HoldsAudio(const QString& codec);

// Seconds by which the new video starts after 0, so that no stream of it starts before 0: MP4
// keeps each stream's start in an edit list, so there none; Matroska cannot, and its muxer would
// move every stream but not the chapters, so there the streams that start before the picture and
// the new voice's encoder delay get room.
double outputLead(const MediaInfo& media, const QString& extension);
