#include "cli/RunFolder.h"

#include "pipeline/WorkFolder.h"
#include "platform/PathTools.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>

RunFolder::RunFolder() = default;

RunFolder::~RunFolder() = default;

bool RunFolder::open(const QString& given, QString* error) {
    if (given.isEmpty()) {
        const QString runs =
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/runs";
        QDir().mkpath(runs);
        m_made = std::make_unique<QTemporaryDir>(runs + QStringLiteral("/run-XXXXXX"));
        if (!m_made->isValid()) {
            *error = QStringLiteral("Could not make a working folder in %1: %2")
                         .arg(QDir::toNativeSeparators(runs), m_made->errorString());
            return false;
        }
        m_path = m_made->path();
    } else {
        m_path = QFileInfo(given).absoluteFilePath();
        if (!QDir().mkpath(m_path)) {
            *error = QStringLiteral("Could not make the working folder ") +
                     QDir::toNativeSeparators(m_path);
            return false;
        }
    }
    const WorkFolder work(m_path);
    m_lock = std::make_unique<QLockFile>(work.lockFile());
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        *error = QStringLiteral("The working folder %1 is in use by another voxsplice run.")
                     .arg(work.root());
        return false;
    }
    // Split puts the pieces there; the window makes it at start-up too.
    PathTools().CreateFolder(work.parts());
    return true;
}
