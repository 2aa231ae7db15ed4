#pragma once

#include <QString>

// Removing working files: each is gone afterwards, or the caller learns which one stayed.

// True when the file is gone (or never was).
bool removeWorkingFile(const QString& path);
// Removes every file in the folder; the first one that stayed, or empty text when none did.
QString emptyFolder(const QString& folder);
