#pragma once

#include <QSettings>

#include <memory>

// The per-user settings store: organization and application "voxsplice".
std::unique_ptr<QSettings> openUserSettings();

// The group that holds the program's values.
inline constexpr char kSettingsGroup[] = "settings";
