#include "platform/EnvironmentFile.h"

#include <QList>

namespace {

bool escapedWithBackslash(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('`');
}

QString entryStart(const QString& key) {
    return key + QLatin1String("=\"");
}

// One of this program's entries: its span in the text, from the start of its line to the end of
// its last line (line break included), and its value.
struct Entry {
    qsizetype begin = 0;
    qsizetype end = 0;
    QString value;
};

// The entry for `key` that starts at `begin`, the start of a line; nullopt when the text there is
// not one, exactly as replaceEnvironmentEntry() writes it.
std::optional<Entry> entryAt(const QString& text, qsizetype begin, const QString& key) {
    const QString start = entryStart(key);
    if (!QStringView(text).sliced(begin).startsWith(start))
        return std::nullopt;
    Entry entry{begin, 0, {}};
    for (qsizetype i = begin + start.size(); i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"')) { // the closing quote ends the line
            entry.end = i + 1;
            if (entry.end < text.size() && text.at(entry.end) != QLatin1Char('\n'))
                return std::nullopt;
            entry.end = qMin(entry.end + 1, text.size());
            return entry;
        }
        if (c == QLatin1Char('\\') || c == QLatin1Char('$')) {
            if (++i == text.size())
                return std::nullopt;
            const QChar next = text.at(i);
            if (c == QLatin1Char('$') ? next != c : !escapedWithBackslash(next))
                return std::nullopt;
            entry.value += next;
        } else {
            entry.value += c;
        }
    }
    return std::nullopt; // never closed
}

// This program's entries for `key` in order. The text is taken line by line; a line that starts
// an entry is read to the entry's end, which may lie on a later line.
QList<Entry> entries(const QString& text, const QString& key) {
    QList<Entry> found;
    qsizetype begin = 0;
    while (begin < text.size()) {
        if (std::optional<Entry> entry = entryAt(text, begin, key)) {
            begin = entry->end;
            found.append(std::move(*entry));
            continue;
        }
        const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'), begin);
        if (lineBreak < 0)
            break;
        begin = lineBreak + 1;
    }
    return found;
}

QString entryLine(const QString& key, const QString& value) {
    QString line = entryStart(key);
    for (const QChar c : value) {
        if (c == QLatin1Char('$'))
            line += QLatin1String("$$");
        else if (escapedWithBackslash(c))
            line += QLatin1Char('\\') + c;
        else
            line += c;
    }
    return line + QLatin1String("\"\n");
}

} // namespace

QString replaceEnvironmentEntry(const QString& text, const QString& key, const QString& value) {
    QString result = text;
    const QList<Entry> found = entries(text, key);
    for (auto it = found.crbegin(); it != found.crend(); ++it)
        result.remove(it->begin, it->end - it->begin);
    if (!result.isEmpty() && !result.endsWith(QLatin1Char('\n')))
        result += QLatin1Char('\n');
    return result + entryLine(key, value);
}

std::optional<QString> environmentFileValue(const QString& text, const QString& key) {
    const QList<Entry> found = entries(text, key);
    if (found.isEmpty())
        return std::nullopt;
    return found.constLast().value;
}
