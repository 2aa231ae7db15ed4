#pragma once

#include <QStringList>

// Splits one argument string the way Windows programs read their command line, reduced to what
// the command templates use: blanks separate arguments, a double-quoted span is part of one
// argument with its blanks kept, an empty "" is an empty argument, and nothing else escapes.
QStringList splitArgumentString(const QString& arguments);
