#pragma once

#include <QString>

// Where a run keeps its working files (`root`, the %ap macro), and the program's folder, which
// holds the tools the steps run: the scripts, the chime, and ffmpeg and ffprobe in ffmpeg/bin.
// For the window started from a folder of its own (a build, an unpacked copy) both are the
// program's folder; an installed program keeps its files apart (`forProgram`).
class WorkFolder {
public:
    // `ffmpegFolder` holds ffmpeg and ffprobe; by default `program`/ffmpeg/bin.
    explicit WorkFolder(const QString& root, const QString& program = QString(),
                        const QString& ffmpegFolder = QString());

    // The program whose executable lies in `executableFolder`. Its files beside it (convert.py
    // there): that folder is the program's and the working folder, as it always was. Installed
    // (the executable in a bin folder, its files in the share/voxsplice folder beside that): the
    // files come from there, ffmpeg from ffmpeg/bin there or else the system's (on PATH), and
    // the working files go to the user's data folder, since the program's is not theirs.
    static WorkFolder forProgram(const QString& executableFolder);

    // The same program working in another folder.
    WorkFolder withRoot(const QString& root) const;
    // The program's files are not in its working folder.
    bool installed() const { return m_program != m_root; }

    // The folder itself, in native separators and without a trailing separator.
    QString root() const { return m_root; }
    QString program() const { return m_program; }
    // `name` inside the working folder.
    QString file(const QString& name) const;
    // `name` inside the program's folder.
    QString programFile(const QString& name) const;

    QString ffmpeg() const;
    // ffprobe, which comes with ffmpeg and lies beside it.
    QString ffprobe() const;
    // ffmpeg is not the one the scripts find by themselves (ffmpeg/bin beside them).
    bool ffmpegElsewhere() const;
    QString parts() const { return file(QStringLiteral("parts")); }
    QString raw() const { return file(QStringLiteral("raw.mp4")); }
    QString joined() const { return file(QStringLiteral("joined.mp4")); }
    QString concatList() const { return file(QStringLiteral("concat_files.txt")); }
    // The record of the pieces, beside them.
    QString record() const;
    QString script() const { return programFile(QStringLiteral("convert.py")); }
    QString separator() const { return programFile(QStringLiteral("separate.py")); }
    // Held by the window or command-line run that works in the folder (a QLockFile): two runs
    // never share one.
    QString lockFile() const { return file(QStringLiteral(".voxsplice.lock")); }
    QString completeSound() const { return programFile(QStringLiteral("complete.wav")); }
    // The program's translations of its texts: voxsplice_<language>.qm.
    QString translations() const { return programFile(QStringLiteral("translations")); }

private:
    QString m_root;
    QString m_program;
    QString m_ffmpegFolder;
};

// The scripts run the ffmpeg beside them unless told another (VOXSPLICE_FFMPEG); an installed
// program tells them its own, and keeps them from writing compiled files into its read-only
// folder. Set in this process's environment, which every script inherits; a value the user set
// stays.
void tellScriptsAbout(const WorkFolder& work);
