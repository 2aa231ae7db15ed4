// Windows: the console calls the handler on a thread of its own; the handler passes the event
// on to the event loop. Stopping a child never takes the handler away (win32::sendCtrlBreak).
#include "platform/Console.h"

#include "platform/win32/Win32Api.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QString>

#include <io.h>

namespace {

std::function<void()> g_handler;

void postInterrupt() {
    QMetaObject::invokeMethod(
        qApp, [] { g_handler(); }, Qt::QueuedConnection);
}

} // namespace

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

int terminalColumns(std::FILE* stream) {
    return win32::consoleColumns(stream == stderr);
}

void onInterrupt(std::function<void()> handler) {
    g_handler = std::move(handler);
    if (const std::uint32_t code = win32::onConsoleInterrupt(postInterrupt))
        qWarning("Ctrl+C still ends this program at once: %ls",
                 qUtf16Printable(QString::fromStdWString(win32::errorText(code))));
}
