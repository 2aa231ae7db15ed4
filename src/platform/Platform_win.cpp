// Windows.
#include "platform/Platform.h"

#include "core/InterpreterList.h"
#include "platform/PathTools.h"
#include "platform/win32/Win32Api.h"

#include <QDir>
#include <QProcess>
#include <QStringDecoder>

namespace {

// How long the Python launcher may take to list the interpreters.
constexpr int kLauncherTimeoutMs = 10000;

// The launcher's list: UTF-16 when it writes wide text, else UTF-8 where that fits, else the
// local code page.
QString launcherText(const QByteArray& bytes) {
    const bool utf16 = bytes.startsWith("\xff\xfe") || (bytes.size() > 1 && bytes.at(1) == '\0');
    if (utf16)
        return QStringDecoder(QStringConverter::Utf16LE).decode(bytes); // drops the mark
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLocal8Bit(bytes) : text;
}

QString environmentFolder(const wchar_t* name) {
    return QString::fromStdWString(win32::environmentValue(name));
}

QString windowsFolder() {
    return environmentFolder(L"windir");
}

// The launcher's list of interpreters; empty when it does not answer in time.
QString launcherList(const QString& launcher) {
    // Before the window shows, so waiting here freezes nothing.
    QProcess process;
    process.start(launcher, {QStringLiteral("-0p")}, QIODevice::ReadOnly);
    if (!process.waitForFinished(kLauncherTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {};
    return launcherText(process.readAllStandardOutput());
}

} // namespace

QString executableFileName(const QString& baseName) {
    return baseName + QStringLiteral(".exe");
}

QString pythonProgramName() {
    return QStringLiteral("Python.exe");
}

QString findPythonInterpreter() {
    const PythonPlaces places{windowsFolder(), environmentFolder(L"LOCALAPPDATA"),
                              environmentFolder(L"ProgramFiles")};
    PythonProbe probe;
    // The system's own answers, not Qt's: the Store's aliases are links that only the starting
    // of a program follows.
    probe.fileExists = [](const QString& path) {
        return !path.isEmpty() && win32::isFile(QDir::toNativeSeparators(path).toStdWString());
    };
    probe.namesIn = [](const QString& folder) {
        QStringList names;
        for (const std::wstring& name :
             win32::folderEntries(QDir::toNativeSeparators(folder).toStdWString()))
            names.append(QString::fromStdWString(name));
        return names;
    };
    probe.launcherList = launcherList;
    return findWindowsPython(places, probe);
}

bool openFolder(const QString& folder) {
    // Explorer takes only backslashes, and a trailing one would escape the closing quote.
    QString path = QDir::toNativeSeparators(folder);
    while (path.size() > 3 && path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    const std::wstring line = L"explorer.exe \"" + path.toStdWString() + L'"';
    // Explorer from the Windows folder, not one that happens to lie in the current folder.
    const QString windir = windowsFolder();
    const std::wstring program =
        windir.isEmpty() ? std::wstring()
                         : PathTools::join(windir, QStringLiteral("explorer.exe")).toStdWString();
    return win32::startCommandLine(line, static_cast<int>(WindowStyle::NormalFocus), program) != 0;
}

bool openFile(const QString& file) {
    // Explorer opens a file with the program its kind is associated with.
    return openFolder(file);
}

qint64 startProgram(const QString& program, WindowStyle style) {
    const std::wstring path = QDir::toNativeSeparators(program).toStdWString();
    return win32::startCommandLine(L'"' + path + L'"', static_cast<int>(style), path);
}

bool replaceFile(const QString& from, const QString& to) {
    return win32::replaceFile(QDir::toNativeSeparators(from).toStdWString(),
                              QDir::toNativeSeparators(to).toStdWString()) == 0;
}
