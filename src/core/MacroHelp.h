#pragma once

#include <QString>

// The help text shown in the output box at start-up: one line per macro, CRLF between lines.
QString macroHelpText();
