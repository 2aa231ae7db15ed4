#pragma once

#include <QString>

#include <optional>

// This program's entries in the user's systemd environment.d file, which the user session reads
// at login. Each is one assignment in double quotes: KEY="VALUE", where a '"', '\' or '`' of the
// value is preceded by a backslash and a '$' is doubled, so that the session, which undoes the
// quoting and then expands "$NAME" and "$$", gets the value back exactly; a line break of the
// value stays in the quotes. Every version of the program has written this form.
//
// Only this form is read. A line in any other form (a comment, another variable, the same key
// written by hand) is not read and is kept as it is when the entry is replaced; the session still
// reads it, but the entry this program writes comes last and so wins.

// `text` with this program's entries for `key` removed and one new entry appended; every other
// line is kept as it was.
QString replaceEnvironmentEntry(const QString& text, const QString& key, const QString& value);

// The value of this program's last entry for `key` in `text`; nullopt when there is none.
std::optional<QString> environmentFileValue(const QString& text, const QString& key);
