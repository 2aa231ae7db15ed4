#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Picks the first Python 3 interpreter from a launcher's list of installed interpreters (the
// output of `py -0p`): a line qualifies when it mentions "Python3" or "Py3" in any case and holds
// a drive path ("X:\..."), which runs to the end of the line. The first such path that exists
// wins. Output of fewer than three lines is not trusted and gives nothing.
QString pickInterpreter(const QString& launcherOutput,
                        const std::function<bool(const QString&)>& fileExists);

// Where Python may be on Windows, as the environment names the folders. An empty one is not
// looked in.
struct PythonPlaces {
    QString windowsFolder; // %windir%: the launcher of an install for all users
    QString localAppData;  // %LOCALAPPDATA%: per-user installs, their launcher, the Store's aliases
    QString programFiles;  // %ProgramFiles%: installs for all users
};

// What the search asks of the system.
struct PythonProbe {
    std::function<bool(const QString&)> fileExists;
    // The names of the entries of a folder, none when it cannot be read.
    std::function<QStringList(const QString&)> namesIn;
    // What a launcher lists (`py -0p`); empty when it does not answer.
    std::function<QString(const QString&)> launcherList;
};

// The Python 3 interpreter to use on Windows, empty when none is found. First the launchers, the
// one in the Windows folder before a per-user install's (...\Programs\Python\Launcher\py.exe):
// the first whose list names an existing interpreter decides. Without one, the newest per-user
// install (...\Programs\Python\Python3XY\python.exe), then the newest one for all users
// (%ProgramFiles%\Python3XY\python.exe); the newest by its minor version, and of one version the
// plain folder before one of another architecture ("Python312-32"). Last the Microsoft Store's:
// its newest alias python3.X.exe in ...\Microsoft\WindowsApps. Only an installed Python puts a
// versioned alias there; python3.exe alone may be the system's stub that offers the Store.
QString findWindowsPython(const PythonPlaces& places, const PythonProbe& probe);
