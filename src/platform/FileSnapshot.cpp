#include "platform/FileSnapshot.h"

#include <QFileInfo>

FileSnapshot::FileSnapshot(const QStringList& paths) {
    for (const QString& path : paths) {
        const QFileInfo info(path);
        m_entries.append({path, info.isFile(), info.lastModified(), info.size()});
    }
}

QStringList FileSnapshot::pathsIn(const QStringList& all) {
    QStringList paths;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QString& argument = all.at(i);
        if (argument == QLatin1String("-i")) {
            ++i; // an input: never written, never removed, even while it grows
            continue;
        }
        if (!argument.startsWith(QLatin1Char('-')) && QFileInfo(argument).isAbsolute())
            paths.append(argument);
    }
    return paths;
}

QStringList FileSnapshot::written() const {
    QStringList paths;
    for (const Entry& entry : m_entries) {
        const QFileInfo info(entry.path);
        if (!info.isFile())
            continue;
        if (!entry.existed || info.lastModified() != entry.modified || info.size() != entry.size)
            paths.append(entry.path);
    }
    return paths;
}
