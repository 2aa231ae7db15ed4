#include "pipeline/WorkingFiles.h"

#include "platform/PathTools.h"

bool removeWorkingFile(const QString& path) {
    const PathTools paths;
    return !paths.FileExists(path) || paths.DeleteFile(path);
}

QString emptyFolder(const QString& folder) {
    for (const QString& path : PathTools().ListFiles(folder, QStringLiteral("*"))) {
        if (!removeWorkingFile(path))
            return path;
    }
    return {};
}
