#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Remembers which of some paths exist and when they were last written, so that the files a
// stopped tool wrote (new, or changed since) can be told from those it only read.
class FileSnapshot {
public:
    explicit FileSnapshot(const QStringList& paths);

    // Every path among ffmpeg's arguments that it could write: absolute, not an option, not an
    // input (the argument after "-i").
    static QStringList pathsIn(const QStringList& arguments);

    // The paths that are files now and were missing or different when the snapshot was taken.
    QStringList written() const;

private:
    struct Entry {
        QString path;
        bool existed;
        QDateTime modified;
        qint64 size;
    };
    QList<Entry> m_entries;
};
