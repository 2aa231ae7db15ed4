#pragma once

#include <QString>

// Where a run keeps its working files (`root`, the %ap macro), and the program's folder, which
// holds the tools the steps run: ffmpeg and ffprobe, the scripts, the chime. For the window both
// are the program's own folder.
class WorkFolder {
public:
    explicit WorkFolder(const QString& root, const QString& program = QString());

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

private:
    QString m_root;
    QString m_program;
};
