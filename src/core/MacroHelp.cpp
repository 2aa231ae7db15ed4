#include "core/MacroHelp.h"

#include "core/TextList.h"

#include <QCoreApplication>
#include <QDir>

// Each line starts with the macro as the templates write it; the macro stays as it is in every
// language.
QString macroHelpText(const QString& installedWorkFolder, const QString& installedFfmpeg) {
    const QString sep = QDir::separator();
    QStringList lines;
    push(lines, QCoreApplication::translate("MacroHelp", "%1 = input file"));
    push(lines, QCoreApplication::translate("MacroHelp", "%2 = output dir"));
    push(lines, QCoreApplication::translate("MacroHelp", "%pf = input file parent folder"));
    push(lines, installedWorkFolder.isEmpty()
                    ? QCoreApplication::translate("MacroHelp", "%ap = exe home directory")
                    : QCoreApplication::translate("MacroHelp", "%ap = working folder, ") +
                          installedWorkFolder);
    push(lines, QCoreApplication::translate("MacroHelp", "%bn = base name of input file"));
    push(lines,
         QCoreApplication::translate("MacroHelp", "%vo = shift that starts the input's picture "
                                                  "at 0 s (keeps the audio in step)"));
    push(lines,
         QCoreApplication::translate("MacroHelp", "%ext = mp4, or mkv where MP4 cannot hold the "
                                                  "input's picture (with %keep: or what else "
                                                  "is kept)"));
    push(lines,
         QCoreApplication::translate("MacroHelp", "%keep = ffmpeg's options that keep the "
                                                  "input's other tracks, subtitles, chapters "
                                                  "and tags (Reintegrate)"));
    push(lines,
         QCoreApplication::translate("MacroHelp", "%ao = where the new voice starts: 0 s, a "
                                                  "little later in mkv so that no track "
                                                  "starts before 0 (Reintegrate; %vo follows "
                                                  "it)"));
    push(lines,
         QCoreApplication::translate("MacroHelp", "%cuts = where Split cuts: in the speaker's "
                                                  "pauses, every piece at most 299 s (for "
                                                  "-segment_times)"));
    if (installedFfmpeg.isEmpty())
        push(lines, QCoreApplication::translate("MacroHelp", "we expect ffmpeg in %ap") + sep +
                        "ffmpeg" + sep + "bin" + sep);
    else
        push(lines, QStringLiteral("ffmpeg: ") + installedFfmpeg);
    return lines.join(QStringLiteral("\r\n"));
}
