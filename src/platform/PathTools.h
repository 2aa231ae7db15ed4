#pragma once

#include <QString>
#include <QStringList>

// File and folder queries on native paths.
class PathTools {
public:
    // The files (not folders) of `folder` whose names match the wildcard `pattern`, in natural
    // order ("2.mp4" before "10.mp4"); full paths when `fullPaths`, names otherwise. Empty when
    // nothing matches or the folder is missing. `recurse` is accepted for symmetry and ignored.
    QStringList ListFiles(const QString& folder, const QString& pattern, bool fullPaths = true,
                          bool recurse = false) const;

    bool FolderExists(const QString& path) const;
    // True when a file can be created in the folder; tried, and nothing is left behind.
    bool FolderIsWritable(const QString& path) const;
    // True only for an existing file; a folder of that name is no file.
    bool FileExists(const QString& path) const;
    // The folder part of a path, without a trailing separator; empty when the path has none.
    QString ParentFolder(const QString& path) const;
    // The file name without its folder and its last extension.
    QString BaseName(const QString& path) const;
    bool CreateFolder(const QString& path) const;
    bool DeleteFile(const QString& path) const;
    // Replaces the file's contents with `text` as UTF-8 without a byte order mark.
    bool WriteFile(const QString& path, const QString& text) const;
    // Length in bytes, -1 when the file is missing.
    qint64 FileLength(const QString& path) const;

    // `folder`, one separator, `name`, in the system's own separators.
    static QString join(const QString& folder, const QString& name);
};
