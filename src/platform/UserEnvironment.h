#pragma once

#include <QString>

// Environment variables that outlive the program: set here, they reach every program this process
// starts from then on and, with `setGlobal`, the user's later sessions too. On Windows the user's
// environment is the registry's HKCU\Environment, announced to every window; elsewhere it is the
// systemd environment.d file userEnvironmentFile(), which the user session reads at login.

// The variable through which the conversion script receives the service's API key.
inline constexpr char kApiKeyVariable[] = "elevenlabs_api_key";

// Sets `EnvName` to `EnvValue` in this process's environment at once and, with `setGlobal`, also
// stores it for the user. False, with the reason in `error`, when storing failed; the process
// environment is set in any case. The reason never contains the value.
bool SetEnvVar(const QString& EnvName, const QString& EnvValue, bool setGlobal = false,
               QString* error = nullptr);

// At start-up: takes `name` from the user's stored environment when it holds it, so a variable
// stored once works after a restart without a new login. The stored value wins over an inherited
// one: the desktop session keeps the value it read at login, which the user may have replaced
// since.
void adoptUserEnvironment(const QString& name);

// The file that holds the user's stored variables; empty where the registry holds them.
QString userEnvironmentFile();
