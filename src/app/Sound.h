#pragma once

#include <QString>

// Plays a wave file without waiting; an audible default sound when it cannot be played. One
// file per system implements it.
void playWave(const QString& path);
