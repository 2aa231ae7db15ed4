#pragma once

#include <QString>

class QProcess;
class ToolRunner;

// What differs between systems. Each system has one implementation file.

// Hands one argument string to a process: unchanged on Windows, where programs parse their own
// command line; split into arguments elsewhere (never through a shell).
void setArgumentString(QProcess& process, const QString& arguments);

// The file name of a program: "ffmpeg" becomes "ffmpeg.exe" where programs carry an extension.
QString executableFileName(const QString& baseName);

// The full path of a Python 3 interpreter, or empty text when none is found.
QString findPythonInterpreter(ToolRunner& runner);

// Shows a folder in the system's file manager, without waiting. False when nothing started.
bool openFolder(const QString& folder);

// Window styles for programs started without waiting.
enum class WindowStyle { NormalFocus = 1, MinimizedFocus = 2 };

// Starts a program without arguments and without waiting; its process number, 0 when nothing
// started.
qint64 startProgram(const QString& program, WindowStyle style);

// Plays a wave file without waiting; an audible default sound when it cannot be played.
void playWave(const QString& path);
