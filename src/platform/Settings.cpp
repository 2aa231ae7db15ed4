#include "platform/Settings.h"

std::unique_ptr<QSettings> openUserSettings() {
    return std::make_unique<QSettings>(QStringLiteral("voxsplice"), QStringLiteral("voxsplice"));
}
