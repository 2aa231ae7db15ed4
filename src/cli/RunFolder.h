#pragma once

#include <QCoreApplication>
#include <QString>

#include <memory>

class QLockFile;
class QTemporaryDir;

// The working folder of one command-line run: the one given (made if missing), or a new one
// under the user's cache folder, removed when this object goes. Its lock is held meanwhile, so
// that no other run and no window works in it; each run has its own, and runs never touch each
// other's files.
class RunFolder {
    Q_DECLARE_TR_FUNCTIONS(RunFolder)

public:
    RunFolder();
    ~RunFolder();

    // False, with the reason in `error`, when the folder cannot be made, another run holds it,
    // or it holds files that voxsplice did not make (a folder of the user's, never touched).
    bool open(const QString& given, QString* error);
    const QString& path() const { return m_path; }

    // Where the runs without a folder of their own work.
    static QString runsFolder();
    // Removes the folders of runs in `runs` that died (their lock stale); how many went.
    static int sweep(const QString& runs);

private:
    std::unique_ptr<QTemporaryDir> m_made;
    std::unique_ptr<QLockFile> m_lock; // released before the folder goes
    QString m_path;
};
