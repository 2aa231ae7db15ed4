#include "core/MacroHelp.h"

#include "core/TextList.h"

#include <QDir>

QString macroHelpText(const QString& installedWorkFolder, const QString& installedFfmpeg) {
    const QString sep = QDir::separator();
    QStringList lines;
    push(lines, QStringLiteral("%1 = input file"));
    push(lines, QStringLiteral("%2 = output dir"));
    push(lines, QStringLiteral("%pf = input file parent folder"));
    push(lines, installedWorkFolder.isEmpty()
                    ? QStringLiteral("%ap = exe home directory")
                    : QStringLiteral("%ap = working folder, ") + installedWorkFolder);
    push(lines, QStringLiteral("%bn = base name of input file"));
    push(lines,
         QStringLiteral("%vo = shift that starts the input's picture at 0 s (keeps the audio "
                        "in step)"));
    push(lines, QStringLiteral("%ext = mp4, or mkv where MP4 cannot hold the input's picture "
                               "(with %keep: or what else is kept)"));
    push(lines, QStringLiteral("%keep = ffmpeg's options that keep the input's other tracks, "
                               "subtitles, chapters and tags (Reintegrate)"));
    push(lines, QStringLiteral("%ao = where the new voice starts: 0 s, a little later in mkv so "
                               "that no track starts before 0 (Reintegrate; %vo follows it)"));
    push(lines, QStringLiteral("%cuts = where Split cuts: in the speaker's pauses, every piece "
                               "at most 299 s (for -segment_times)"));
    if (installedFfmpeg.isEmpty())
        push(lines, QStringLiteral("we expect ffmpeg in %ap") + sep + "ffmpeg" + sep + "bin" + sep);
    else
        push(lines, QStringLiteral("ffmpeg: ") + installedFfmpeg);
    return lines.join(QStringLiteral("\r\n"));
}
