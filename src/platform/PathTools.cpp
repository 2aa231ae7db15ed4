#include "platform/PathTools.h"

#include "core/NaturalOrder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <algorithm>

namespace {

qsizetype lastSeparator(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (QDir::separator() == QLatin1Char('/'))
        return slash;
    return std::max(slash, path.lastIndexOf(QDir::separator()));
}

} // namespace

QStringList PathTools::ListFiles(const QString& folder, const QString& pattern, bool fullPaths,
                                 bool /*recurse*/) const {
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return {};
    QStringList names = dir.entryList({pattern}, QDir::Files | QDir::Hidden, QDir::NoSort);
    std::sort(names.begin(), names.end(), naturalLess);
    if (fullPaths) {
        for (QString& name : names)
            name = join(folder, name);
    }
    return names;
}

bool PathTools::FolderExists(const QString& path) const {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool PathTools::FolderIsWritable(const QString& path) const {
    // Permission bits and attributes do not tell (access lists, read-only mounts): try it.
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".voxsplice-write-test-XXXXXX")));
    return probe.open();
}

bool PathTools::FileExists(const QString& path) const {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QString PathTools::ParentFolder(const QString& path) const {
    const qsizetype sep = lastSeparator(path);
    if (sep < 0)
        return {};
    if (sep == 0)
        return path.left(1); // the root itself
    return path.left(sep);
}

QString PathTools::BaseName(const QString& path) const {
    const QString name = path.mid(lastSeparator(path) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? name : name.left(dot);
}

bool PathTools::CreateFolder(const QString& path) const {
    return QDir().mkpath(path);
}

bool PathTools::DeleteFile(const QString& path) const {
    return QFile::remove(path);
}

bool PathTools::WriteFile(const QString& path, const QString& text) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

qint64 PathTools::FileLength(const QString& path) const {
    const QFileInfo info(path);
    return info.isFile() ? info.size() : -1;
}

QString PathTools::join(const QString& folder, const QString& name) {
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + name);
}
