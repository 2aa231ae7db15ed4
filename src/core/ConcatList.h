#pragma once

#include <QString>
#include <QStringList>

// The list file of ffmpeg's concat demuxer for `paths`, in the given order: one line
// "file '<path>'" each, lines separated by CR LF and none after the last. An apostrophe inside a
// path is written '\'' (close the quote, an escaped apostrophe, open the quote again), which is
// ffmpeg's own rule; every other character stands as it is.
QString concatListText(const QStringList& paths);
