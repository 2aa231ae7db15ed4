#pragma once

#include <QString>

#include <optional>

// The split segments and their conversion.
//
// The split step names its segments "output" and a zero-padded number (output000000009.mp4);
// the conversion names each converted piece after that number plus one (10.mp4).

// The number of a segment from its base name (no folder, no extension): the decimal digits
// after the six-character prefix "output", leading zeros allowed. None when the name is not
// "output" followed by digits only, or the number is too large to name a converted piece.
std::optional<qint64> segmentNumber(const QString& baseName);

// The file name of the converted piece of segment `number`: the number plus one, without
// leading zeros, and ".mp4".
QString convertedFileName(qint64 number);

// The file name of segment `number` as Split names it: "output000000009.mp4".
QString segmentFileName(qint64 number);

// The parts folder as messages name it, with the system's separator: "\parts" on Windows,
// "/parts" elsewhere.
QString partsFolderText();
