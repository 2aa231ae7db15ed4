#pragma once

#include <QString>

// ffmpeg's own reason for a failure, from what it printed: its last line that speaks of an
// error, else (unless `errorsOnly`) its last line that is not progress or its closing
// "Conversion failed!"; without the "[muxer @ 0x...]" it names its parts by. Empty when it said
// nothing of use. ffmpeg may end with status 0 after such an error (a trailer it could not write).
QString ffmpegReason(const QString& output, bool errorsOnly = false);
