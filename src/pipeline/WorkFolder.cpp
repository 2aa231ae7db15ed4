#include "pipeline/WorkFolder.h"

#include "platform/PathTools.h"
#include "platform/Platform.h"

#include <QDir>

WorkFolder::WorkFolder(const QString& root)
    : m_root(QDir::toNativeSeparators(QDir::cleanPath(root))) {}

QString WorkFolder::file(const QString& name) const {
    return PathTools::join(m_root, name);
}

QString WorkFolder::ffmpeg() const {
    return PathTools::join(PathTools::join(file(QStringLiteral("ffmpeg")), QStringLiteral("bin")),
                           executableFileName(QStringLiteral("ffmpeg")));
}

QString WorkFolder::ffprobe() const {
    return PathTools::join(PathTools::join(file(QStringLiteral("ffmpeg")), QStringLiteral("bin")),
                           executableFileName(QStringLiteral("ffprobe")));
}
