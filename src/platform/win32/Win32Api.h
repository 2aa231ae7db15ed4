#pragma once

// Thin wrappers over the Win32 calls the program makes. Standard types only, so the file builds
// without Qt. Text is UTF-16 (std::wstring) for the wide ...W calls, so names and paths outside
// the local code page survive. Calls that report failures in detail give the system's error
// code, 0 for success.

#include <cstdint>
#include <string>
#include <vector>

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

// --- Files

// Moves the file `from` to `to` in one step, replacing a file there (MoveFileExW with
// MOVEFILE_REPLACE_EXISTING), and waits until it is on the disk.
std::uint32_t replaceFile(const std::wstring& from, const std::wstring& to);

// True for an existing file, not a folder. A link is taken as it is, not followed, so an app
// execution alias (a link that only the starting of a program follows) counts as a file.
bool isFile(const std::wstring& path);

// The names of the entries of a folder (files, folders, links), without "." and ".."; none when
// the folder cannot be read.
std::vector<std::wstring> folderEntries(const std::wstring& folder);

// --- Environment

// The value of an environment variable of this process, empty when unset.
std::wstring environmentValue(const std::wstring& name);

// Sets a variable for this process: in the system's copy of its environment, which the programs
// it starts inherit, and in the C runtime's copy, which getenv() and Qt's qEnvironmentVariable()
// read. An empty value removes it, as the C runtime keeps no empty variables.
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

// --- Console

// From now on `handler` answers CTRL+C and CTRL+BREAK on this program's console, every time, in
// place of the default, which ends the program. It runs on a thread the system starts for the
// event. The other events (the console closes, the user logs off) keep their default.
std::uint32_t onConsoleInterrupt(void (*handler)());
// The width of the console window that standard error (else standard output) writes to; 0 when
// it writes to none.
int consoleColumns(bool standardError);

// --- Process trees (job objects)
//
// A child that roots a tree starts suspended, with treeCreationFlags(); once it is held by a
// process handle and sits in its tree's job, resumeProcess() lets it run, so nothing it starts
// can escape the job. The tree is ended through the job and the handle, never by the process id,
// which another program may have once the process has ended and no handle of it is left open.

// Adds to the creation flags of a child that roots a tree: a console process group of its own,
// so CTRL+BREAK can reach it alone, and a suspended start. The child shares this program's
// console; a program without one (the window) gives it a console of its own, without a window.
unsigned long treeCreationFlags(unsigned long flags);

// Once per process: puts this program into a job that kills every process in it when its last
// handle closes. The handle stays open until this program ends, however it ends; children inherit
// the job, so none outlives the program. The error of that one attempt, on every call: when it
// failed (an outer job that forbids it), children that sit in no tree's job may outlive this
// program.
std::uint32_t joinProgramJob();

// A handle of the process `processId` to put it into a job, end it and see whether it ended;
// while the handle is open, the process id is given to no other process. nullptr, with `error`
// set, when that failed.
void* openProcess(std::uint32_t processId, std::uint32_t* error);

// A job that kills every process in it when closed, holding `process`, whose later children join
// it. nullptr, with `error` set, when that failed.
void* createTreeJob(void* process, std::uint32_t* error);

// Lets a process started suspended run: resumes its threads (there is one, its first).
std::uint32_t resumeProcess(std::uint32_t processId);

// Ends every process in the job.
std::uint32_t terminateJob(void* job, std::uint32_t exitCode);

// Ends a process; success too when it has ended already.
std::uint32_t terminateProcess(void* process, std::uint32_t exitCode);

// CTRL+BREAK to the console process group led by `processGroup` (a child started with
// treeCreationFlags(), whose process handle is held, so the id is still the child's). On this
// program's console it goes there directly; a program without a console attaches to the child's
// for the moment of sending it. This program's console, its standard handles and its answer to
// CTRL+C stay as they were, and it ignores the CTRL+BREAK should the event reach it too.
std::uint32_t sendCtrlBreak(std::uint32_t processGroup);

void closeHandle(void* handle);

} // namespace win32
