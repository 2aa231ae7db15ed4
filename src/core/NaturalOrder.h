#pragma once

#include <QString>

// Orders names the way people read them: runs of digits compare by value, so "2.mp4" comes
// before "10.mp4". Letters compare case-insensitively, with the exact text as the last resort.
bool naturalLess(const QString& a, const QString& b);
