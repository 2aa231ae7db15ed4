// Windows: the user's variables live in the registry, under HKCU\Environment.
#include "platform/UserEnvironment.h"

#include "platform/win32/Win32Api.h"

namespace {

std::string ansi(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

} // namespace

QString userEnvironmentFile() {
    return {};
}

bool SetEnvVar(const QString& EnvName, const QString& EnvValue, bool setGlobal, QString*) {
    // Process first, then the stored value and its announcement; the calls only publish, so
    // their results are not examined.
    win32::setProcessEnvironment(ansi(EnvName), ansi(EnvValue));
    if (setGlobal)
        win32::storeUserEnvironment(ansi(EnvName), ansi(EnvValue));
    return true;
}

void adoptUserEnvironment(const QString&) {
    // Nothing to do: Explorer takes the stored value on the announcement, so programs started
    // afterwards, this one included, inherit it.
}
