#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The text of a systemd environment.d file ("KEY=VALUE" lines, as the user session reads them
// at login). Reading is done in two stages, like systemd does: the quoting is undone first, then
// "$NAME", "${NAME}", "${NAME:-default}", "${NAME:+alternate}" and "$$" are expanded.

struct EnvironmentEntry {
    QString key;
    QString value; // with the quoting undone, not yet expanded
    // The entry's span in the text, from the start of its line to the end of its last line
    // (newline included); a quoted value may run over several lines.
    qsizetype begin = 0;
    qsizetype end = 0;
};

// The assignments of the file in order. Comments, blank lines and lines without "=" are skipped.
QList<EnvironmentEntry> parseEnvironmentFile(const QString& text);

// Expands the variable references of an unquoted value; `lookup` gives a variable's value, empty
// when it is unset.
QString expandEnvironmentValue(const QString& value,
                               const std::function<QString(const QString&)>& lookup);

// One line that assigns `value` to `key` so that reading it gives back exactly `value`, whatever
// characters it holds.
QString environmentLine(const QString& key, const QString& value);

// `text` with every assignment of `key` removed and one new assignment appended; everything else
// is kept as it was.
QString replaceEnvironmentEntry(const QString& text, const QString& key, const QString& value);

// The value that the file gives `key` (its last assignment), expanded; references to other
// variables are resolved against the file's earlier assignments, then `lookup`.
std::optional<QString> environmentFileValue(const QString& text, const QString& key,
                                            const std::function<QString(const QString&)>& lookup);
