#pragma once

#include <QStringList>

// Splits one argument string the way Windows programs read their command line, reduced to what
// the command templates use: blanks separate arguments, a double-quoted span is part of one
// argument with its blanks kept, an empty "" is an empty argument, and nothing else escapes.
QStringList splitArgumentString(const QString& arguments);

// The characters that separate arguments outside double quotes.
inline bool isArgumentSeparator(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r');
}
