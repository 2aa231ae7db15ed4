// Linux and other Unix-like systems.
#include "platform/Platform.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

QString executableFileName(const QString& baseName) {
    return baseName;
}

QString pythonProgramName() {
    return QStringLiteral("Python 3");
}

QString findPythonInterpreter() {
    return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

bool openFolder(const QString& folder) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {folder});
}

bool openFile(const QString& file) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {file});
}

qint64 startProgram(const QString& program, WindowStyle) {
    qint64 pid = 0;
    if (!QProcess::startDetached(program, {}, QString(), &pid))
        return 0;
    return pid;
}

bool replaceFile(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
