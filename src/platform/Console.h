#pragma once

#include <cstdio>
#include <functional>

// What a program on the command line needs of its system. One file per system implements it.

// True when `stream` (stdout, stderr) goes to a terminal, where a line can be drawn again in
// place.
bool isTerminal(std::FILE* stream);

// The width in columns of the terminal `stream` goes to; 0 when it is not known.
int terminalColumns(std::FILE* stream);

// From now on Ctrl+C (and, on Linux, SIGTERM) no longer ends the program at once: `handler` runs
// instead, on the event loop of the QCoreApplication, which must exist by then, once each time.
void onInterrupt(std::function<void()> handler);
