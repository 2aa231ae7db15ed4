// Windows.
#include "platform/Platform.h"

#include "core/InterpreterList.h"
#include "platform/PathTools.h"
#include "platform/ToolRunner.h"
#include "platform/win32/Win32Api.h"

#include <QProcess>

namespace {

std::string ansi(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

} // namespace

void setArgumentString(QProcess& process, const QString& arguments) {
    process.setNativeArguments(arguments);
}

QString executableFileName(const QString& baseName) {
    return baseName + QStringLiteral(".exe");
}

QString findPythonInterpreter(ToolRunner& runner) {
    const QString launcher =
        QString::fromLocal8Bit(win32::environmentValue("windir")) + QStringLiteral("\\py.exe");
    PathTools paths;
    if (!paths.FileExists(launcher))
        return {};
    if (!runner.Run(launcher, QStringLiteral("-0p")))
        return {};
    return pickInterpreter(runner.Output(),
                           [&paths](const QString& path) { return paths.FileExists(path); });
}

bool openFolder(const QString& folder) {
    const QString line = QStringLiteral("explorer.exe \"") + folder + QLatin1Char('"');
    return win32::startCommandLine(ansi(line), static_cast<int>(WindowStyle::NormalFocus)) != 0;
}

qint64 startProgram(const QString& program, WindowStyle style) {
    const std::string path = ansi(program);
    return win32::startCommandLine('"' + path + '"', static_cast<int>(style), path);
}

void playWave(const QString& path) {
    win32::playSoundAsync(ansi(path));
}
