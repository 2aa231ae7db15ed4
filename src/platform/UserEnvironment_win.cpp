// Windows: the user's variables live in the registry, under HKCU\Environment.
#include "platform/UserEnvironment.h"

#include "platform/SystemText_win.h"
#include "platform/win32/Win32Api.h"

#include <QCoreApplication>

namespace {

// The reasons name the variable and what failed, never the value, which may be a secret.
bool fail(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return false;
}

} // namespace

QString userEnvironmentFile() {
    return {};
}

bool SetEnvVar(const QString& EnvName, const QString& EnvValue, bool setGlobal, QString* error) {
    // This process first (for this program, which reads the C runtime's copy, and for the
    // programs it starts, which inherit the system's), so it holds now whatever happens to the
    // stored value; then the stored value, then the announcement that makes Explorer take it.
    const std::wstring name = EnvName.toStdWString();
    const std::wstring value = EnvValue.toStdWString();
    if (const std::uint32_t code = win32::setProcessEnvironment(name, value))
        return fail(
            error, QCoreApplication::translate("UserEnvironment",
                                               "Could not set %1 in this program's environment: %2")
                       .arg(EnvName, systemText(code)));
    if (!setGlobal)
        return true;
    if (const std::uint32_t code = win32::storeUserEnvironment(name, value))
        return fail(
            error,
            QCoreApplication::translate(
                "UserEnvironment",
                "Could not store %1 in the registry under HKEY_CURRENT_USER\\Environment: %2")
                .arg(EnvName, systemText(code)));
    if (const std::uint32_t code = win32::announceEnvironmentChange())
        return fail(error, QCoreApplication::translate(
                               "UserEnvironment",
                               "%1 is stored, but telling the other programs about it failed: %2. "
                               "Programs started from Explorer see it after the next sign-in.")
                               .arg(EnvName, systemText(code)));
    return true;
}

void adoptUserEnvironment(const QString& name) {
    // A program started from a window that predates the stored value (a console, another
    // program) inherits an old environment; the stored value wins, as it does after a sign-in.
    const std::wstring wideName = name.toStdWString();
    const std::wstring value = win32::storedUserEnvironment(wideName);
    if (value.empty())
        return;
    // At start-up there is nobody to tell but the log; the inherited value then stays.
    if (const std::uint32_t code = win32::setProcessEnvironment(wideName, value))
        qWarning("The stored %ls could not be taken into this program's environment: %ls",
                 qUtf16Printable(name), qUtf16Printable(systemText(code)));
}
