#include "app/Form1.h"
#include "pipeline/WorkFolder.h"
#include "platform/Settings.h"
#include "platform/Translations.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("voxsplice"));
    QCoreApplication::setApplicationName(QStringLiteral("voxsplice"));
    QGuiApplication::setDesktopFileName(QStringLiteral(VOXSPLICE_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/voxsplice/voxsplice.svg")));

    // In the user's language from the first text on.
    const WorkFolder program = WorkFolder::forProgram(QCoreApplication::applicationDirPath());
    installTranslations(program.translations());

    const auto settings = openUserSettings();
    Form1 window(program, settings.get());
    int status = 0;
    // Start-up problems other than a missing ffmpeg are said in a message box; the program ends
    // once it is closed.
    window.setMessageBoxHandler([&status](const QString& text) {
        status = 1;
        QMessageBox* box =
            new QMessageBox(QMessageBox::Warning, QCoreApplication::applicationName(), text);
        box->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(box, &QMessageBox::finished, qApp, &QCoreApplication::quit);
        box->open();
    });
    const Form1::LoadResult loaded = window.Form_Load();
    if (loaded == Form1::LoadResult::NoFfmpeg) {
        const QString said =
            QCoreApplication::translate("main", "voxsplice: ffmpeg not found at %1")
                .arg(window.ffmpegPath);
        std::fprintf(stderr, "%s\n", qUtf8Printable(said));
        return 1;
    }
    if (loaded != Form1::LoadResult::Ready) {
        app.exec();
        return status;
    }
    window.setMessageBoxHandler({});
    window.show();
    return app.exec();
}
