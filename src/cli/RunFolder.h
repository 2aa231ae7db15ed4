#pragma once

#include <QString>

#include <memory>

class QLockFile;
class QTemporaryDir;

// The working folder of one command-line run: the one given (made if missing), or a new one
// under the user's cache folder, removed when this object goes. Its lock is held meanwhile, so
// that no other run and no window works in it; each run has its own, and runs never touch each
// other's files.
class RunFolder {
public:
    RunFolder();
    ~RunFolder();

    // False, with the reason in `error`, when the folder cannot be made or another run holds it.
    bool open(const QString& given, QString* error);
    const QString& path() const { return m_path; }

private:
    std::unique_ptr<QTemporaryDir> m_made;
    std::unique_ptr<QLockFile> m_lock; // released before the folder goes
    QString m_path;
};
