// Windows: the console calls its handler on a thread of its own; the handler passes the event
// on to the event loop.
#include "platform/Console.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <io.h>
#include <windows.h>

namespace {

std::function<void()> g_handler;

BOOL WINAPI consoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    QMetaObject::invokeMethod(
        qApp, [] { g_handler(); }, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

void onInterrupt(std::function<void()> handler) {
    g_handler = std::move(handler);
    SetConsoleCtrlHandler(consoleEvent, TRUE);
}
