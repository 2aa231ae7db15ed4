// Linux and other Unix-like systems.
#include "platform/Platform.h"

#include <QProcess>
#include <QStandardPaths>

QString executableFileName(const QString& baseName) {
    return baseName;
}

QString findPythonInterpreter() {
    return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

bool openFolder(const QString& folder) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {folder});
}

qint64 startProgram(const QString& program, WindowStyle) {
    qint64 pid = 0;
    if (!QProcess::startDetached(program, {}, QString(), &pid))
        return 0;
    return pid;
}
