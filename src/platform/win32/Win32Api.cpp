#include "Win32Api.h"

#include <windows.h>

#include <mmsystem.h>
#include <shlwapi.h>

#include <vector>

namespace win32 {

void playSoundAsync(const std::string& path) {
    PlaySoundA(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC);
}

std::uint32_t startCommandLine(const std::string& commandLine, int showStyle,
                               const std::string& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showStyle);
    PROCESS_INFORMATION info{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(program.empty() ? nullptr : program.c_str(), line.data(), nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &startup, &info))
        return 0;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return info.dwProcessId;
}

std::string environmentValue(const std::string& name) {
    const DWORD size = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::string value(size, '\0');
    const DWORD written = GetEnvironmentVariableA(name.c_str(), value.data(), size);
    value.resize(written);
    return value;
}

void setProcessEnvironment(const std::string& name, const std::string& value) {
    SetEnvironmentVariableA(name.c_str(), value.c_str());
}

void storeUserEnvironment(const std::string& name, const std::string& value) {
    // The stored size counts the terminating zero byte.
    SHSetValueA(HKEY_CURRENT_USER, "Environment", name.c_str(), REG_EXPAND_SZ, value.c_str(),
                static_cast<DWORD>(value.size() + 1));
    DWORD_PTR reply = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>("Environment"), SMTO_ABORTIFHUNG, 5000, &reply);
}

} // namespace win32
