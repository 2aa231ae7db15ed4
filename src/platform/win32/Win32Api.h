#pragma once

// Thin wrappers over the Win32 calls the program makes. Standard strings only, so the file
// builds without Qt. Strings are in the system's ANSI code page, as the ANSI calls expect.

#include <cstdint>
#include <string>

namespace win32 {

// Plays a wave file asynchronously; the default sound when the file cannot be played.
void playSoundAsync(const std::string& path);

// Starts a command line without waiting, with a ShowWindow style (1 normal, 2 minimized, both
// with the focus). With `program`, that file runs and is not looked for in the command line,
// whose blanks could otherwise make Windows try "C:\My.exe" for "C:\My Tools\x.exe". The
// process number, 0 when nothing started.
std::uint32_t startCommandLine(const std::string& commandLine, int showStyle,
                               const std::string& program = std::string());

// The value of an environment variable of this process, empty when unset.
std::string environmentValue(const std::string& name);

// Sets a variable in this process's environment, so programs started afterwards inherit it.
void setProcessEnvironment(const std::string& name, const std::string& value);

// Stores a variable in the user's persistent environment (HKCU\Environment, REG_EXPAND_SZ) and
// tells every top-level window that the environment changed.
void storeUserEnvironment(const std::string& name, const std::string& value);

} // namespace win32
