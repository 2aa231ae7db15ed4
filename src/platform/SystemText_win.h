#pragma once

#include "platform/win32/Win32Api.h"

#include <QString>

#include <cstdint>

// What Windows says of an error code, in the user's language.
inline QString systemText(std::uint32_t code) {
    return QString::fromStdWString(win32::errorText(code));
}
