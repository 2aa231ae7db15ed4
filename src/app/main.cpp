#include "app/Form1.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("voxsplice"));
    QCoreApplication::setApplicationName(QStringLiteral("voxsplice"));
    QGuiApplication::setDesktopFileName(QStringLiteral("voxsplice"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/voxsplice/voxsplice.svg")));

    const auto settings = openUserSettings();
    Form1 window(QCoreApplication::applicationDirPath(), settings.get());
    switch (window.Form_Load()) {
    case Form1::LoadResult::Ready:
        break;
    case Form1::LoadResult::NoFfmpeg:
        std::fprintf(stderr, "voxsplice: ffmpeg not found at %s\n",
                     qUtf8Printable(window.ffmpegPath));
        return 1;
    case Form1::LoadResult::FolderNotWritable:
    case Form1::LoadResult::AlreadyRunning:
        return 1;
    }
    window.show();
    return app.exec();
}
