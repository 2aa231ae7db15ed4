#include "pipeline/WorkFolder.h"

#include "platform/PathTools.h"
#include "platform/Platform.h"

#include <QDir>

namespace {
QString clean(const QString& folder) {
    return QDir::toNativeSeparators(QDir::cleanPath(folder));
}
} // namespace

WorkFolder::WorkFolder(const QString& root, const QString& program)
    : m_root(clean(root))
    , m_program(program.isEmpty() ? m_root : clean(program)) {}

QString WorkFolder::file(const QString& name) const {
    return PathTools::join(m_root, name);
}

QString WorkFolder::programFile(const QString& name) const {
    return PathTools::join(m_program, name);
}

QString WorkFolder::record() const {
    return PathTools::join(parts(), QStringLiteral("run.json"));
}

QString WorkFolder::ffmpeg() const {
    return programFile(QStringLiteral("ffmpeg/bin/") +
                       executableFileName(QStringLiteral("ffmpeg")));
}

QString WorkFolder::ffprobe() const {
    return programFile(QStringLiteral("ffmpeg/bin/") +
                       executableFileName(QStringLiteral("ffprobe")));
}
