#pragma once

#include <QString>

// The working folder (the program's own folder) and the working files inside it.
class WorkFolder {
public:
    explicit WorkFolder(const QString& root);

    // The folder itself, in native separators and without a trailing separator.
    QString root() const { return m_root; }
    // `name` inside the working folder.
    QString file(const QString& name) const;

    QString ffmpeg() const;
    // ffprobe, which comes with ffmpeg and lies beside it.
    QString ffprobe() const;
    QString parts() const { return file(QStringLiteral("parts")); }
    QString raw() const { return file(QStringLiteral("raw.mp4")); }
    QString joined() const { return file(QStringLiteral("joined.mp4")); }
    QString concatList() const { return file(QStringLiteral("concat_files.txt")); }
    QString script() const { return file(QStringLiteral("convert.py")); }
    QString separator() const { return file(QStringLiteral("separate.py")); }
    QString completeSound() const { return file(QStringLiteral("complete.wav")); }

private:
    QString m_root;
};
