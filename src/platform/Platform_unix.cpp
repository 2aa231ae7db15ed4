// Linux and other Unix-like systems.
#include "platform/Platform.h"

#include "core/ArgumentString.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QUrl>

void setArgumentString(QProcess& process, const QString& arguments) {
    process.setArguments(splitArgumentString(arguments));
}

QString executableFileName(const QString& baseName) {
    return baseName;
}

QString findPythonInterpreter(ToolRunner&) {
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

void playWave(const QString& path) {
    // One effect for the whole program: a new sound replaces the one playing, and the effect
    // outlives the caller as asynchronous playing requires.
    static QSoundEffect* effect = nullptr;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        QApplication::beep();
        return;
    }
    if (!effect) {
        effect = new QSoundEffect(qApp);
        QObject::connect(effect, &QSoundEffect::statusChanged, effect, [] {
            if (effect->status() == QSoundEffect::Error)
                QApplication::beep();
        });
    }
    effect->stop();
    effect->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    effect->play();
}
