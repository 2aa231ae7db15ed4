#include "cli/RunFolder.h"

#include "pipeline/WorkFolder.h"
#include "platform/PathTools.h"
#include "platform/RunLock.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// A folder of the user's own is never worked in: only an empty one (an empty parts folder of a
// run that ended early counts as empty) or one that holds a run's record or lock.
bool madeByVoxsplice(const WorkFolder& work) {
    const QDir folder(work.root());
    const QStringList entries =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (entries.isEmpty() || QFileInfo::exists(work.record()) || QFileInfo::exists(work.lockFile()))
        return true;
    return entries == QStringList{QStringLiteral("parts")} &&
           QDir(work.parts())
               .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Runs older than this without a lock are taken for ones that died as they began.
constexpr qint64 kUnlockedRunSeconds = 3600;

} // namespace

RunFolder::RunFolder() = default;

RunFolder::~RunFolder() = default;

QString RunFolder::runsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/runs");
}

int RunFolder::sweep(const QString& runs) {
    int swept = 0;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QFileInfo& run :
         QDir(runs).entryInfoList({QStringLiteral("run-*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const WorkFolder work(run.absoluteFilePath());
        // A live run holds its lock; the lock of one that died is taken here.
        const bool dead = QFileInfo::exists(work.lockFile())
                              ? takeRunLock(work.lockFile()) != nullptr
                              : run.lastModified().secsTo(now) > kUnlockedRunSeconds;
        if (dead && QDir(run.absoluteFilePath()).removeRecursively())
            ++swept;
    }
    return swept;
}

bool RunFolder::open(const QString& given, QString* error) {
    if (given.isEmpty()) {
        const QString runs = runsFolder();
        QDir().mkpath(runs);
        sweep(runs);
        m_made = std::make_unique<QTemporaryDir>(runs + QStringLiteral("/run-XXXXXX"));
        if (!m_made->isValid()) {
            *error = tr("Could not make a working folder in %1: %2")
                         .arg(QDir::toNativeSeparators(runs), m_made->errorString());
            return false;
        }
        m_path = m_made->path();
    } else {
        m_path = QFileInfo(given).absoluteFilePath();
        if (QFileInfo(m_path).isDir() && !madeByVoxsplice(WorkFolder(m_path))) {
            *error = tr("%1 holds files that voxsplice did not make; choose an empty folder")
                         .arg(QDir::toNativeSeparators(m_path));
            return false;
        }
        if (!QDir().mkpath(m_path)) {
            *error =
                tr("Could not make the working folder %1").arg(QDir::toNativeSeparators(m_path));
            return false;
        }
    }
    const WorkFolder work(m_path);
    m_lock = takeRunLock(work.lockFile());
    if (!m_lock) {
        *error = tr("The working folder %1 is in use by another voxsplice run.").arg(work.root());
        return false;
    }
    // Split puts the pieces there; the window makes it at start-up too.
    PathTools().CreateFolder(work.parts());
    return true;
}
