// Windows: the system plays the file.
#include "app/Sound.h"

#include "platform/win32/Win32Api.h"

#include <QDir>

void playWave(const QString& path) {
    win32::playSoundAsync(QDir::toNativeSeparators(path).toStdWString());
}
