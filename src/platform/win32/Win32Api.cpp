#include "Win32Api.h"

#include <windows.h>

#include <mmsystem.h>
#include <tlhelp32.h>

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

// This program's answer to CTRL+C and CTRL+BREAK on a console it is attached to: handled, so the
// default handler, which ends the program, does not run.
BOOL WINAPI ignoreInterrupt(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
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
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool isFile =
        attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!isFile || !PlaySoundW(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT))
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

unsigned long treeCreationFlags(unsigned long flags) {
    return flags | CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW | CREATE_SUSPENDED;
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
    // The event reaches only the processes of the child's group on the child's console. This
    // program attaches to that console to send it but is not in that group: the child leads a
    // group of its own, named by its id, and this program stays in the group it was started in.
    // Should the two meet all the same (that group's leader has ended and its id went to the
    // child), the handler keeps this program running. It stays installed: each process handles
    // the event on a thread of its own, which may run after the call has returned. (A null
    // handler would make this program ignore CTRL+C only.)
    static const DWORD handlerError =
        SetConsoleCtrlHandler(ignoreInterrupt, TRUE) ? ERROR_SUCCESS : GetLastError();
    if (handlerError != ERROR_SUCCESS)
        return handlerError;

    // A GUI program has no console of its own: FreeConsole has nothing to free, which older
    // systems report as an invalid parameter. The child has a hidden one. Attaching may point
    // this program's standard handles at that console; they are put back, so programs started
    // later do not inherit handles of a console that is gone.
    constexpr DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE saved[std::size(kStandard)];
    for (std::size_t i = 0; i < std::size(kStandard); ++i)
        saved[i] = GetStdHandle(kStandard[i]);
    if (!FreeConsole()) {
        const DWORD freeError = GetLastError();
        if (freeError != ERROR_INVALID_PARAMETER)
            return freeError;
    }
    DWORD error = ERROR_SUCCESS;
    if (!AttachConsole(processGroup)) {
        error = GetLastError();
    } else {
        if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, processGroup))
            error = GetLastError();
        if (!FreeConsole() && error == ERROR_SUCCESS)
            error = GetLastError();
    }
    for (std::size_t i = 0; i < std::size(kStandard); ++i) {
        if (!SetStdHandle(kStandard[i], saved[i]) && error == ERROR_SUCCESS)
            error = GetLastError();
    }
    return error;
}

void closeHandle(void* handle) {
    if (handle)
        CloseHandle(handle);
}

} // namespace win32
