// Linux and other Unix-like systems: Qt Multimedia plays the file.
#include "app/Sound.h"

#include <QApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

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
