#include "platform/EnvironmentFile.h"

#include <QHash>

namespace {

bool isNewline(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || isNewline(c);
}

bool isNameChar(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_');
}

// Characters that a backslash escapes inside double quotes; before any other character the
// backslash stays.
bool needsEscapeInDoubleQuotes(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('`') ||
           c == QLatin1Char('$');
}

} // namespace

QList<EnvironmentEntry> parseEnvironmentFile(const QString& text) {
    enum class State {
        PreKey,
        Key,
        PreValue,
        Value,
        ValueEscape,
        SingleQuoted,
        DoubleQuoted,
        DoubleQuotedEscape,
        Comment
    };

    QList<EnvironmentEntry> entries;
    State state = State::PreKey;
    EnvironmentEntry entry;
    qsizetype lineStart = 0;
    qsizetype keyBlanksFrom = -1;   // start of the key's trailing blanks
    qsizetype valueBlanksFrom = -1; // start of the unquoted value's trailing blanks

    // Appends `c`, remembering where a run of trailing blanks began.
    const auto append = [](QString& text, qsizetype& blanksFrom, QChar c) {
        if (!isBlank(c))
            blanksFrom = -1;
        else if (blanksFrom < 0)
            blanksFrom = text.size();
        text += c;
    };

    const auto finish = [&](qsizetype end) {
        if (keyBlanksFrom >= 0)
            entry.key.truncate(keyBlanksFrom);
        if (state == State::Value && valueBlanksFrom >= 0)
            entry.value.truncate(valueBlanksFrom);
        entry.end = end;
        entries.append(entry);
        entry = EnvironmentEntry();
    };

    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (state) {
        case State::PreKey:
            if (c == QLatin1Char('#') || c == QLatin1Char(';')) {
                state = State::Comment;
            } else if (!isBlank(c)) {
                state = State::Key;
                entry.begin = lineStart;
                entry.key = c;
                keyBlanksFrom = -1;
            }
            break;
        case State::Key:
            if (isNewline(c)) {
                state = State::PreKey; // a line without "=" assigns nothing
                entry = EnvironmentEntry();
            } else if (c == QLatin1Char('=')) {
                state = State::PreValue;
                valueBlanksFrom = -1;
            } else {
                append(entry.key, keyBlanksFrom, c);
            }
            break;
        case State::PreValue:
            if (isNewline(c)) {
                finish(i + 1);
                state = State::PreKey;
            } else if (c == QLatin1Char('\'')) {
                state = State::SingleQuoted;
            } else if (c == QLatin1Char('"')) {
                state = State::DoubleQuoted;
            } else if (c == QLatin1Char('\\')) {
                state = State::ValueEscape;
            } else if (!isBlank(c)) {
                state = State::Value;
                entry.value += c;
            }
            break;
        case State::Value:
            if (isNewline(c)) {
                finish(i + 1);
                state = State::PreKey;
            } else if (c == QLatin1Char('\\')) {
                state = State::ValueEscape;
                valueBlanksFrom = -1;
            } else {
                append(entry.value, valueBlanksFrom, c);
            }
            break;
        case State::ValueEscape:
            state = State::Value;
            if (!isNewline(c)) // an escaped line break joins the lines
                entry.value += c;
            break;
        case State::SingleQuoted:
            if (c == QLatin1Char('\''))
                state = State::PreValue;
            else
                entry.value += c;
            break;
        case State::DoubleQuoted:
            if (c == QLatin1Char('"'))
                state = State::PreValue;
            else if (c == QLatin1Char('\\'))
                state = State::DoubleQuotedEscape;
            else
                entry.value += c;
            break;
        case State::DoubleQuotedEscape:
            state = State::DoubleQuoted;
            if (needsEscapeInDoubleQuotes(c)) {
                entry.value += c;
            } else if (c != QLatin1Char('\n')) {
                entry.value += QLatin1Char('\\');
                entry.value += c;
            }
            break;
        case State::Comment:
            if (isNewline(c))
                state = State::PreKey;
            break;
        }
        if (isNewline(c))
            lineStart = i + 1;
    }

    if (state != State::PreKey && state != State::Key && state != State::Comment)
        finish(text.size());
    return entries;
}

QString expandEnvironmentValue(const QString& value,
                               const std::function<QString(const QString&)>& lookup) {
    QString result;
    qsizetype i = 0;
    const qsizetype n = value.size();
    while (i < n) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('$') || i + 1 >= n) {
            result += c;
            ++i;
            continue;
        }
        const QChar next = value.at(i + 1);
        if (next == QLatin1Char('$')) { // "$$" is one dollar sign
            result += QLatin1Char('$');
            i += 2;
        } else if (isNameChar(next)) { // $NAME
            qsizetype j = i + 1;
            while (j < n && isNameChar(value.at(j)))
                ++j;
            result += lookup(value.mid(i + 1, j - i - 1));
            i = j;
        } else if (next == QLatin1Char('{')) { // ${NAME}, ${NAME:-default}, ${NAME:+alternate}
            qsizetype j = i + 2;
            while (j < n && value.at(j) != QLatin1Char('}') && value.at(j) != QLatin1Char(':'))
                ++j;
            if (j >= n) { // unterminated: stays as written
                result += value.mid(i);
                break;
            }
            const QString name = value.mid(i + 2, j - i - 2);
            if (value.at(j) == QLatin1Char('}')) {
                result += lookup(name);
                i = j + 1;
                continue;
            }
            const QChar test = j + 1 < n ? value.at(j + 1) : QChar();
            if (test != QLatin1Char('-') && test != QLatin1Char('+')) {
                result += c; // not a reference after all
                ++i;
                continue;
            }
            qsizetype k = j + 2;
            int depth = 1;
            for (; k < n; ++k) {
                if (value.at(k) == QLatin1Char('{'))
                    ++depth;
                else if (value.at(k) == QLatin1Char('}') && --depth == 0)
                    break;
            }
            if (k >= n) {
                result += value.mid(i);
                break;
            }
            const QString other = value.mid(j + 2, k - j - 2);
            const QString current = lookup(name);
            if (test == QLatin1Char('-'))
                result += current.isEmpty() ? expandEnvironmentValue(other, lookup) : current;
            else if (!current.isEmpty())
                result += expandEnvironmentValue(other, lookup);
            i = k + 1;
        } else {
            result += c;
            ++i;
        }
    }
    return result;
}

QString environmentLine(const QString& key, const QString& value) {
    // Double quotes keep blanks, quotes and line breaks; a dollar sign is doubled so the
    // expansion that follows the unquoting gives it back.
    QString line = key + QLatin1String("=\"");
    for (const QChar c : value) {
        if (c == QLatin1Char('$'))
            line += QLatin1String("$$");
        else if (c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('`'))
            line += QLatin1Char('\\') + c;
        else
            line += c;
    }
    line += QLatin1String("\"\n");
    return line;
}

QString replaceEnvironmentEntry(const QString& text, const QString& key, const QString& value) {
    QString result = text;
    const QList<EnvironmentEntry> entries = parseEnvironmentFile(text);
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        if (it->key == key)
            result.remove(it->begin, it->end - it->begin);
    }
    if (!result.isEmpty() && !result.endsWith(QLatin1Char('\n')))
        result += QLatin1Char('\n');
    return result + environmentLine(key, value);
}

std::optional<QString> environmentFileValue(const QString& text, const QString& key,
                                            const std::function<QString(const QString&)>& lookup) {
    QHash<QString, QString> known;
    const auto resolve = [&](const QString& name) {
        const auto it = known.constFind(name);
        return it != known.constEnd() ? *it : lookup(name);
    };
    std::optional<QString> found;
    for (const EnvironmentEntry& entry : parseEnvironmentFile(text)) {
        const QString expanded = expandEnvironmentValue(entry.value, resolve);
        known.insert(entry.key, expanded);
        if (entry.key == key)
            found = expanded;
    }
    return found;
}
