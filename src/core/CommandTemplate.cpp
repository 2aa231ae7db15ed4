#include "core/CommandTemplate.h"

#include "core/ArgumentString.h"

#include <QSet>

namespace {

const QString kProgramWord = QStringLiteral("ffmpeg");

struct Occurrence {
    qsizetype position;
    const Macro* macro;
};

QList<Occurrence> findMacros(const QString& text, const QList<Macro>& macros) {
    QList<Occurrence> found;
    const QStringView view(text);
    for (qsizetype i = 0; i < text.size();) {
        const Macro* hit = nullptr;
        for (const Macro& macro : macros) {
            if (!macro.name.isEmpty() && view.mid(i).startsWith(macro.name)) {
                hit = &macro;
                break;
            }
        }
        if (hit) {
            found.append({i, hit});
            i += hit->name.size();
        } else {
            ++i;
        }
    }
    return found;
}

// For each character, the number of the argument it belongs to; -1 for separating blanks.
QList<int> argumentNumbers(const QString& text) {
    QList<int> numbers(text.size(), -1);
    int current = -1;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (isArgumentSeparator(c) && !quoted) {
            inArgument = false;
            continue;
        }
        if (!inArgument) {
            ++current;
            inArgument = true;
        }
        numbers[i] = current;
    }
    return numbers;
}

// True when `literal` holds "%d" or "%<digits>d" that is not part of an escaped "%%".
bool holdsNumberPattern(const QString& literal) {
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (literal.at(i) != QLatin1Char('%'))
            continue;
        qsizetype j = i + 1;
        if (j < literal.size() && literal.at(j) == QLatin1Char('%')) {
            i = j;
            continue;
        }
        while (j < literal.size() && literal.at(j).isDigit())
            ++j;
        if (j < literal.size() && literal.at(j) == QLatin1Char('d'))
            return true;
    }
    return false;
}

// The arguments whose own template text is an ffmpeg number pattern. Macros are blanked out
// first, so a pattern is never pieced together from the characters around one.
QSet<int> patternArguments(const QString& text, const QList<Occurrence>& found,
                           const QList<int>& numbers) {
    QString masked = text;
    for (const Occurrence& occurrence : found)
        masked.replace(occurrence.position, occurrence.macro->name.size(),
                       QString(occurrence.macro->name.size(), QChar(0)));
    QList<QString> literals;
    for (qsizetype i = 0; i < masked.size(); ++i) {
        if (numbers[i] < 0)
            continue;
        if (literals.size() <= numbers[i])
            literals.resize(numbers[i] + 1);
        literals[numbers[i]].append(masked.at(i));
    }
    QSet<int> result;
    for (int i = 0; i < literals.size(); ++i) {
        if (holdsNumberPattern(literals.at(i)))
            result.insert(i);
    }
    return result;
}

} // namespace

QString removeProgramWord(const QString& templateText) {
    const qsizetype at = templateText.indexOf(kProgramWord, 0, Qt::CaseInsensitive);
    if (at < 0)
        return templateText;
    return templateText.left(at) + templateText.mid(at + kProgramWord.size());
}

QString expandMacros(const QString& templateText, const QList<Macro>& macros) {
    const QList<Occurrence> found = findMacros(templateText, macros);
    if (found.isEmpty())
        return templateText;
    const QList<int> numbers = argumentNumbers(templateText);
    const QSet<int> patterns = patternArguments(templateText, found, numbers);

    QString result;
    qsizetype next = 0;
    for (const Occurrence& occurrence : found) {
        result += QStringView(templateText).mid(next, occurrence.position - next);
        QString value = occurrence.macro->value;
        if (patterns.contains(numbers[occurrence.position]))
            value.replace(QLatin1Char('%'), QStringLiteral("%%"));
        result += value;
        next = occurrence.position + occurrence.macro->name.size();
    }
    result += QStringView(templateText).mid(next);
    return result;
}
