#pragma once

// Thin wrappers over the Win32 calls the program makes. Standard types only, so the file builds
// without Qt. Text is UTF-16 (std::wstring) for the wide ...W calls, so names and paths outside
// the local code page survive. Calls that report failures in detail give the system's error
// code, 0 for success.

#include <cstdint>
#include <string>

namespace win32 {

// The system's description of an error code, followed by the code: "Access is denied. (error 5)".
std::wstring errorText(std::uint32_t code);

// --- Sound

// Plays a wave file asynchronously; the default beep (MB_OK) when the file is missing or the
// system refuses to play it.
void playSoundAsync(const std::wstring& path);

// --- Starting programs that run on their own

// Starts a command line without waiting, with a ShowWindow style (1 normal, 2 minimized, both
// with the focus). With `program`, that file runs and is not looked for in the command line,
// whose blanks could otherwise make Windows try "C:\My.exe" for "C:\My Tools\x.exe". The program
// leaves this program's job where the system allows it, so it stays open when this program ends.
// The process number, 0 when nothing started.
std::uint32_t startCommandLine(const std::wstring& commandLine, int showStyle,
                               const std::wstring& program = std::wstring());

// --- Environment

// The value of an environment variable of this process, empty when unset.
std::wstring environmentValue(const std::wstring& name);

// Sets a variable in this process's environment, so programs started afterwards inherit it.
std::uint32_t setProcessEnvironment(const std::wstring& name, const std::wstring& value);

// Stores a variable in the user's persistent environment, HKCU\Environment, as REG_SZ: taken
// literally, a '%' in it is never expanded.
std::uint32_t storeUserEnvironment(const std::wstring& name, const std::wstring& value);

// The variable's value stored under HKCU\Environment (REG_EXPAND_SZ values expanded, as the
// system does for a session); empty when it is not stored.
std::wstring storedUserEnvironment(const std::wstring& name);

// Tells every top-level window that the environment changed (WM_SETTINGCHANGE, "Environment"),
// so Explorer hands the stored value to the programs it starts. Gives up on a hung window after
// five seconds.
std::uint32_t announceEnvironmentChange();

// --- Process trees (job objects)

// Adds to the creation flags of a child that roots a tree: a console process group of its own,
// so CTRL+BREAK can reach it alone, and a console without a window.
unsigned long treeCreationFlags(unsigned long flags);

// Once per process: puts this program into a job that kills every process in it when its last
// handle closes. The handle stays open until this program ends, however it ends; children inherit
// the job, so none outlives the program. Without effect where an outer job forbids it.
void joinProgramJob();

// A job that kills every process in it when closed, holding the process `processId`; the
// process's later children join it. nullptr, with `error` set, when that failed.
void* createTreeJob(std::uint32_t processId, std::uint32_t* error);

// Ends every process in the job.
bool terminateJob(void* job, std::uint32_t exitCode);

// Ends one process.
bool terminateProcess(std::uint32_t processId, std::uint32_t exitCode);

// CTRL+BREAK to the console process group led by `processGroup` (a child started with
// treeCreationFlags()), while this program ignores it.
bool sendCtrlBreak(std::uint32_t processGroup);

void closeHandle(void* handle);

} // namespace win32
