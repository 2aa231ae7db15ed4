#include "Win32Api.h"

#include <windows.h>

#include <mmsystem.h>
#include <tlhelp32.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <vector>

#if defined(_MSC_VER)
// PlaySoundW lives in winmm, which the program's link takes from the window's library; this file
// must not depend on the order in which the libraries are linked.
#pragma comment(lib, "winmm.lib")
#endif

namespace win32 {

namespace {

constexpr wchar_t kEnvironmentKey[] = L"Environment";

// A job that kills every process in it when its last handle closes, with extra `limits`.
HANDLE createKillOnCloseJob(DWORD limits, std::uint32_t* error) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) {
        *error = GetLastError();
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
    info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | limits;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &info, sizeof(info))) {
        *error = GetLastError();
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

// Starts a program; `line` must be writable, as CreateProcessW may change it while it runs.
DWORD createProcess(const std::wstring& program, std::wstring line, DWORD flags, int showStyle) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showStyle);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.empty() ? nullptr : program.c_str(), line.data(), nullptr, nullptr,
                        FALSE, flags, nullptr, nullptr, &startup, &info))
        return 0;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return info.dwProcessId;
}

// The system's error code closest to an error of the C runtime.
DWORD fromErrno(errno_t error) {
    switch (error) {
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EILSEQ:
        return ERROR_NO_UNICODE_TRANSLATION;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

// --- Console events
//
// One handler, consoleEvent(), answers this program's console events. The system keeps a list of
// handlers per process and calls the last added first; AttachConsole and FreeConsole empty the
// list, after which consoleEvent() is added again, so nothing but it decides about an event.

// The program's answer to CTRL+C and CTRL+BREAK (onConsoleInterrupt), nullptr for none.
std::atomic<void (*)()> g_interruptHandler{nullptr};
// Set once this program has borrowed a child's console to send it CTRL+BREAK: it has no console
// of its own, so no CTRL+C or CTRL+BREAK that reaches it is meant for it.
std::atomic<bool> g_borrowsConsoles{false};
// When (GetTickCount64) the last CTRL+BREAK left for a child's group; 0 once one came back.
std::atomic<ULONGLONG> g_breakSentAt{0};
// How long after sending a CTRL+BREAK one that reaches this program is taken for the one sent.
constexpr ULONGLONG kBreakEchoMs = 2000;
// Whether consoleEvent() is in the list; used on the main thread only.
bool g_eventHandlerAdded = false;

bool attachedToConsole() {
    DWORD process = 0;
    return GetConsoleProcessList(&process, 1) != 0;
}

// True, once per CTRL+BREAK sent, for one that arrives here soon after: this program sent it. It
// never sends to its own group, but the group it was started in is named by the id of the
// process that made it; should that process have ended and its id gone to the child, the child's
// group and this program's share their id, and the event reaches both. (A Ctrl+Break the user
// presses in that time is taken for it; Ctrl+C is the key that stops.)
bool isBreakSentHere() {
    ULONGLONG sentAt = g_breakSentAt.load();
    while (sentAt != 0 && GetTickCount64() - sentAt <= kBreakEchoMs) {
        if (g_breakSentAt.compare_exchange_weak(sentAt, 0))
            return true;
    }
    return false;
}

BOOL WINAPI consoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (event == CTRL_BREAK_EVENT && isBreakSentHere())
        return TRUE;
    if (g_borrowsConsoles.load())
        return TRUE; // a child's console, which this program only visits
    if (void (*handler)() = g_interruptHandler.load()) {
        handler();
        return TRUE;
    }
    return FALSE;
}

DWORD addEventHandler() {
    if (g_eventHandlerAdded)
        return ERROR_SUCCESS;
    if (!SetConsoleCtrlHandler(consoleEvent, TRUE))
        return GetLastError();
    g_eventHandlerAdded = true;
    return ERROR_SUCCESS;
}

// After AttachConsole or FreeConsole, which emptied the list.
DWORD addEventHandlerAgain() {
    g_eventHandlerAdded = false;
    return addEventHandler();
}

// CTRL+BREAK to a child's group from a program without a console: attached to the child's
// console for the moment of sending. Attaching may point the standard handles at that console;
// they are put back, so programs started later do not inherit handles of a console that is gone.
DWORD sendThroughChildConsole(DWORD processGroup) {
    constexpr DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE saved[std::size(kStandard)];
    for (std::size_t i = 0; i < std::size(kStandard); ++i)
        saved[i] = GetStdHandle(kStandard[i]);
    // It fails for a program on a console after all, which must then keep its answer to CTRL+C.
    if (!AttachConsole(processGroup))
        return GetLastError();
    g_borrowsConsoles = true;
    // Without consoleEvent() in the list, an event that reached this program would end it.
    DWORD error = addEventHandlerAgain();
    if (error == ERROR_SUCCESS) {
        g_breakSentAt = GetTickCount64();
        if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, processGroup))
            error = GetLastError();
    }
    if (!FreeConsole() && error == ERROR_SUCCESS)
        error = GetLastError();
    // Each process handles the event on a thread of its own, which may run after this call has
    // returned: consoleEvent() is back in the list at once.
    if (const DWORD added = addEventHandlerAgain();
        added != ERROR_SUCCESS && error == ERROR_SUCCESS)
        error = added;
    for (std::size_t i = 0; i < std::size(kStandard); ++i) {
        if (!SetStdHandle(kStandard[i], saved[i]) && error == ERROR_SUCCESS)
            error = GetLastError();
    }
    return error;
}

} // namespace

std::wstring errorText(std::uint32_t code) {
    wchar_t buffer[512];
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    // The system's texts end in a line break.
    while (length > 0 && (buffer[length - 1] == L'\n' || buffer[length - 1] == L'\r' ||
                          buffer[length - 1] == L' '))
        --length;
    std::wstring text(buffer, length);
    if (!text.empty())
        text += L' ';
    return text + L"(error " + std::to_wstring(code) + L')';
}

void playSoundAsync(const std::wstring& path) {
    // SND_NODEFAULT: a file that cannot be played makes the call fail instead of playing the
    // system's default sound, so exactly one sound is heard either way.
    if (!isFile(path) ||
        !PlaySoundW(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT))
        MessageBeep(MB_OK);
}

std::uint32_t startCommandLine(const std::wstring& commandLine, int showStyle,
                               const std::wstring& program) {
    // Out of this program's job, which would otherwise end the program together with this one.
    if (const DWORD id = createProcess(program, commandLine, CREATE_BREAKAWAY_FROM_JOB, showStyle))
        return id;
    // An outer job that forbids leaving it: the program starts inside and ends with this one.
    if (GetLastError() != ERROR_ACCESS_DENIED)
        return 0;
    return createProcess(program, commandLine, 0, showStyle);
}

std::uint32_t replaceFile(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? ERROR_SUCCESS
               : GetLastError();
}

bool isFile(const std::wstring& path) {
    // The attributes of the entry itself: a link is not followed.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> folderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    if (folder.empty())
        return names;
    std::wstring pattern = folder;
    if (pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return names;
}

std::wstring environmentValue(const std::wstring& name) {
    std::wstring value;
    DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    // The size counts the terminating zero; a value that grew in between is asked for again.
    while (size > 0) {
        value.resize(size);
        const DWORD written = GetEnvironmentVariableW(name.c_str(), value.data(), size);
        if (written < size) {
            value.resize(written);
            return value;
        }
        size = written;
    }
    return {};
}

std::uint32_t setProcessEnvironment(const std::wstring& name, const std::wstring& value) {
    // The C runtime updates the system's copy as well, but its documentation does not promise
    // it: the system's copy is set here first.
    if (!SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str()))
        return GetLastError();
    if (const errno_t error = _wputenv_s(name.c_str(), value.c_str()))
        return fromErrno(error);
    return ERROR_SUCCESS;
}

std::uint32_t storeUserEnvironment(const std::wstring& name, const std::wstring& value) {
    // The size is in bytes and counts the terminating zero.
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return static_cast<std::uint32_t>(RegSetKeyValueW(HKEY_CURRENT_USER, kEnvironmentKey,
                                                      name.c_str(), REG_SZ, value.c_str(), bytes));
}

std::wstring storedUserEnvironment(const std::wstring& name) {
    constexpr DWORD kTypes = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    DWORD type = 0;
    DWORD bytes = 0;
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, kEnvironmentKey, name.c_str(), kTypes, &type,
                                  nullptr, &bytes);
    std::vector<wchar_t> buffer;
    // A value that grew in between is asked for again.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        buffer.resize(bytes / sizeof(wchar_t) + 1);
        bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status = RegGetValueW(HKEY_CURRENT_USER, kEnvironmentKey, name.c_str(), kTypes, &type,
                              buffer.data(), &bytes);
        if (status == ERROR_SUCCESS)
            break;
    }
    if (status != ERROR_SUCCESS)
        return {};
    const std::wstring value(buffer.data()); // RegGetValueW ends it with a zero
    if (type != REG_EXPAND_SZ)
        return value;
    // The system expands such values when it builds a session's environment.
    const DWORD size = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
    if (size == 0)
        return value;
    std::wstring expanded(size, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(value.c_str(), expanded.data(), size);
    if (written == 0 || written > size)
        return value;
    expanded.resize(written - 1);
    return expanded;
}

std::uint32_t announceEnvironmentChange() {
    DWORD_PTR reply = 0;
    SetLastError(ERROR_SUCCESS);
    if (SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                            reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG, 5000,
                            &reply) != 0)
        return ERROR_SUCCESS;
    // A failure without a code is a timeout, as the function's documentation describes.
    const DWORD code = GetLastError();
    return code != ERROR_SUCCESS ? code : ERROR_TIMEOUT;
}

std::uint32_t onConsoleInterrupt(void (*handler)()) {
    g_interruptHandler = handler;
    return addEventHandler();
}

int consoleColumns(bool standardError) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(
            GetStdHandle(standardError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

unsigned long treeCreationFlags(unsigned long flags) {
    flags |= CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED;
    // On this program's console, with a window or without one (where QProcess would give the
    // child a console of its own), CTRL+BREAK reaches the child without this program leaving its
    // console. The new group ignores CTRL+C, and so do the processes it starts: the user's Ctrl+C
    // is this program's.
    if (!g_borrowsConsoles.load() && attachedToConsole())
        return flags & ~static_cast<unsigned long>(CREATE_NO_WINDOW);
    return flags | CREATE_NO_WINDOW;
}

std::uint32_t joinProgramJob() {
    // Never closed: the system closes the handle when this program ends, and the job then kills
    // every process left in it. BREAKAWAY_OK lets startCommandLine() start programs meant to stay
    // open; a child leaves only when it asks to, and the trees' own jobs never allow it.
    static const DWORD error = [] {
        std::uint32_t code = ERROR_SUCCESS;
        HANDLE job = createKillOnCloseJob(JOB_OBJECT_LIMIT_BREAKAWAY_OK, &code);
        if (job && !AssignProcessToJobObject(job, GetCurrentProcess())) {
            code = GetLastError();
            CloseHandle(job); // empty, so closing it ends nothing
        }
        return static_cast<DWORD>(code);
    }();
    return error;
}

void* openProcess(std::uint32_t processId, std::uint32_t* error) {
    constexpr DWORD kAccess = PROCESS_SET_QUOTA | PROCESS_TERMINATE | SYNCHRONIZE;
    HANDLE process = OpenProcess(kAccess, FALSE, processId);
    *error = process ? ERROR_SUCCESS : GetLastError();
    return process;
}

void* createTreeJob(void* process, std::uint32_t* error) {
    *error = ERROR_SUCCESS;
    HANDLE job = createKillOnCloseJob(0, error);
    if (job && !AssignProcessToJobObject(job, process)) {
        *error = GetLastError();
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

std::uint32_t resumeProcess(std::uint32_t processId) {
    // A process started suspended has run no code yet, so it has one thread, its first, which
    // the system's list of threads names (whoever started it may keep the thread's handle to
    // itself, as QProcess does). Resuming a thread that runs already would change nothing.
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD error = ERROR_NOT_FOUND;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        if (!thread) {
            error = GetLastError();
            break;
        }
        const bool resumed = ResumeThread(thread) != static_cast<DWORD>(-1);
        error = resumed ? ERROR_SUCCESS : GetLastError();
        CloseHandle(thread);
        if (!resumed)
            break;
    }
    CloseHandle(snapshot);
    return error;
}

std::uint32_t terminateJob(void* job, std::uint32_t exitCode) {
    return TerminateJobObject(job, exitCode) ? ERROR_SUCCESS : GetLastError();
}

std::uint32_t terminateProcess(void* process, std::uint32_t exitCode) {
    if (TerminateProcess(process, exitCode))
        return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    // A process that has ended refuses to be ended (access denied).
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0 ? ERROR_SUCCESS : error;
}

std::uint32_t sendCtrlBreak(std::uint32_t processGroup) {
    // Group 0 is every process on the console, this program too.
    if (processGroup == 0)
        return ERROR_INVALID_PARAMETER;
    // A program with a console of its own never leaves it: FreeConsole would take its standard
    // handles' console from it (and close the console's window when no other process is on it),
    // and its list of handlers with it. The child is on that console (treeCreationFlags()).
    if (g_borrowsConsoles.load() || !attachedToConsole())
        return sendThroughChildConsole(processGroup);
    if (const DWORD error = addEventHandler())
        return error;
    g_breakSentAt = GetTickCount64();
    return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, processGroup) ? ERROR_SUCCESS
                                                                    : GetLastError();
}

void closeHandle(void* handle) {
    if (handle)
        CloseHandle(handle);
}

} // namespace win32
