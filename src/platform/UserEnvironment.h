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

// At start-up: when this process's environment lacks `name` (unset or empty), takes it from the
// user's stored environment, so a variable stored once works after a restart without a new login.
void adoptUserEnvironment(const QString& name);

// The file that holds the user's stored variables; empty where the registry holds them.
QString userEnvironmentFile();
