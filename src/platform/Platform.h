#pragma once

#include <QString>

// What differs between systems. Each system has one implementation file.

// The file name of a program: "ffmpeg" becomes "ffmpeg.exe" where programs carry an extension.
QString executableFileName(const QString& baseName);

// What the system calls the Python interpreter, for messages: "Python.exe", "Python 3".
QString pythonProgramName();

// The full path of a Python 3 interpreter, or empty text when none is found. Runs before the
// window shows, and may wait for a launcher to answer.
QString findPythonInterpreter();

// Shows a folder in the system's file manager, without waiting. False when nothing started.
bool openFolder(const QString& folder);
// Opens a file with the program the system gives its kind (a video: the player), without
// waiting. False when nothing started.
bool openFile(const QString& file);

// Window styles for programs started without waiting.
enum class WindowStyle { NormalFocus = 1, MinimizedFocus = 2 };

// Starts a program without arguments and without waiting; its process number, 0 when nothing
// started.
qint64 startProgram(const QString& program, WindowStyle style);

// Puts the file `from` in the place of `to` in one step, replacing what was there: a reader
// finds either the old file or the new one, never none or half of one. Both lie in one folder.
bool replaceFile(const QString& from, const QString& to);
