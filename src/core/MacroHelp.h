#pragma once

#include <QString>

// The help text shown in the output box at start-up: one line per macro, CRLF between lines.
// An installed program names its working folder (in the user's data folder) and the ffmpeg it
// runs; otherwise both are in the program's folder, and the text says so.
QString macroHelpText(const QString& installedWorkFolder = QString(),
                      const QString& installedFfmpeg = QString());
