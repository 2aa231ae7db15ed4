#include "pipeline/WorkFolder.h"

#include "platform/PathTools.h"
#include "platform/Platform.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString clean(const QString& folder) {
    return QDir::toNativeSeparators(QDir::cleanPath(folder));
}

QString ownFfmpegFolder(const QString& program) {
    return PathTools::join(PathTools::join(program, QStringLiteral("ffmpeg")),
                           QStringLiteral("bin"));
}
} // namespace

WorkFolder::WorkFolder(const QString& root, const QString& program, const QString& ffmpegFolder)
    : m_root(clean(root))
    , m_program(program.isEmpty() ? m_root : clean(program))
    , m_ffmpegFolder(ffmpegFolder.isEmpty() ? ownFfmpegFolder(m_program) : clean(ffmpegFolder)) {}

WorkFolder WorkFolder::forProgram(const QString& executableFolder) {
    const PathTools paths;
    const QString beside = QDir(executableFolder).absolutePath();
    const QString shared = QDir(beside).absoluteFilePath(QStringLiteral("../share/voxsplice"));
    if (paths.FileExists(PathTools::join(beside, QStringLiteral("convert.py"))) ||
        !paths.FileExists(PathTools::join(shared, QStringLiteral("convert.py"))))
        return WorkFolder(beside);
    QString ffmpegFolder = ownFfmpegFolder(shared);
    const QString ffmpeg = executableFileName(QStringLiteral("ffmpeg"));
    if (!paths.FileExists(PathTools::join(ffmpegFolder, ffmpeg))) {
        // The system's; where there is none, its usual place is named as the one looked at.
        const QString found = QStandardPaths::findExecutable(ffmpeg);
        ffmpegFolder = found.isEmpty() ? QStringLiteral("/usr/bin") : QFileInfo(found).path();
    }
    return WorkFolder(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation),
                      shared, ffmpegFolder);
}

WorkFolder WorkFolder::withRoot(const QString& root) const {
    return WorkFolder(root, m_program, m_ffmpegFolder);
}

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
    return PathTools::join(m_ffmpegFolder, executableFileName(QStringLiteral("ffmpeg")));
}

QString WorkFolder::ffprobe() const {
    return PathTools::join(m_ffmpegFolder, executableFileName(QStringLiteral("ffprobe")));
}

bool WorkFolder::ffmpegElsewhere() const {
    return m_ffmpegFolder != ownFfmpegFolder(m_program);
}

void tellScriptsAbout(const WorkFolder& work) {
    if (work.ffmpegElsewhere() && qEnvironmentVariableIsEmpty("VOXSPLICE_FFMPEG"))
        qputenv("VOXSPLICE_FFMPEG", QFile::encodeName(work.ffmpeg()));
    if (work.installed())
        qputenv("PYTHONDONTWRITEBYTECODE", "1");
}
