// Start-up as the program does it (see src/app/main.cpp), on a given working folder: prints the
// wall clock (CLOCK_REALTIME, nanoseconds) at the moment the window's first paint is done, then
// ends. The harness takes the clock just before it starts the process, so the difference is
// process start to window shown, loading of the libraries included. With --bare, an empty
// QMainWindow of the same size stands in for the program: the toolkit's own share.
//
//   bench_startup WORKFOLDER [--bare]
#include "app/Form1.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

long long realtimeNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Prints the clock once the watched window has painted for the first time, then quits.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            // After this paint has reached the screen: the flush follows in the same cycle.
            QTimer::singleShot(0, [] {
                std::printf("%lld\n", realtimeNs());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

} // namespace

int main(int argc, char* argv[]) {
    const bool bare = argc > 2 && std::strcmp(argv[2], "--bare") == 0;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("voxsplice"));
    QCoreApplication::setApplicationName(QStringLiteral("voxsplice"));
    FirstPaint firstPaint;
    if (bare) {
        QMainWindow window;
        window.resize(931, 580);
        window.installEventFilter(&firstPaint);
        window.show();
        return app.exec();
    }

    QGuiApplication::setDesktopFileName(QStringLiteral("org.voxsplice.voxsplice"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/voxsplice/voxsplice.svg")));
    // The harness points XDG_CONFIG_HOME at a folder of its own, away from the user's settings.
    const auto settings = openUserSettings();
    Form1 window(WorkFolder(QString::fromLocal8Bit(argc > 1 ? argv[1] : ".")), settings.get());
    if (window.Form_Load() != Form1::LoadResult::Ready)
        return 1;
    window.installEventFilter(&firstPaint);
    window.show();
    return app.exec();
}
