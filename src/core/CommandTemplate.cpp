#include "core/CommandTemplate.h"

#include <algorithm>

#include "core/ArgumentString.h"

#include <QDir>

namespace {

const QString kProgramWord = QStringLiteral("ffmpeg");

// The macro that starts at `text[i]`, if any.
const Macro* macroAt(QStringView text, const QList<Macro>& macros) {
    for (const Macro& macro : macros) {
        if (!macro.name.isEmpty() && text.startsWith(macro.name))
            return &macro;
    }
    return nullptr;
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

QString expandArgument(const QString& argument, const QList<Macro>& macros) {
    // The argument's own text, macros blanked out, so that no pattern is pieced together from
    // the characters around one.
    QString literal;
    QList<std::pair<qsizetype, const Macro*>> found;
    for (qsizetype i = 0; i < argument.size();) {
        if (const Macro* macro = macroAt(QStringView(argument).mid(i), macros)) {
            found.append({i, macro});
            literal += QChar(0);
            i += macro->name.size();
        } else {
            literal += argument.at(i++);
        }
    }
    if (found.isEmpty())
        return argument;
    const bool pattern = holdsNumberPattern(literal);
    QString result;
    qsizetype next = 0;
    for (const auto& [position, macro] : found) {
        result += QStringView(argument).mid(next, position - next);
        QString value = macro->value;
        if (pattern)
            value.replace(QLatin1Char('%'), QStringLiteral("%%"));
        result += value;
        next = position + macro->name.size();
    }
    result += QStringView(argument).mid(next);
    return result;
}

} // namespace

QString defaultTemplate(Template which) {
    QString text;
    switch (which) {
    case Template::Extract:
        // The audio, losslessly, in the one format every converted piece has, starting at the
        // input's first picture (gaps in its timestamps filled, so it stays in step).
        text = QStringLiteral(
            R"(ffmpeg -itsoffset %vo -i "%1" -map 0:a:0 -af aresample=44100:async=1:first_pts=0 )"
            R"(-c:a alac -sample_fmt s16p -ac 2 "%ap\raw.mp4")");
        break;
    case Template::Split:
        // Cut where the speaker pauses (%cuts); each piece starts at 0 and states its length to
        // the sample, so that a join puts every piece exactly where the one before it ends.
        text =
            QStringLiteral(R"(ffmpeg -i "%ap\raw.mp4" -f segment -segment_times %cuts )"
                           R"(-reset_timestamps 1 -segment_format_options movie_timescale=44100 )"
                           R"(-c copy "%ap\parts\output%09d.mp4")");
        break;
    case Template::Concat:
        text = QStringLiteral(
            R"(ffmpeg -f concat -safe 0 -i "%ap\concat_files.txt" -c copy "%ap\joined.mp4" -y )");
        break;
    case Template::Integrate:
        // The new voice under the picture, and everything else the input holds (%keep).
        text = QStringLiteral(
            R"(ffmpeg -itsoffset %vo -i "%1" -itsoffset %ao -i "%ap\joined.mp4" -map 0:v:0? )"
            R"(-map 1:a:0 -c:v copy -c:a aac %keep "%2\%bn_AI.%ext" -y)");
        break;
    }
    // Working paths in the system's own separators.
    return text.replace(QLatin1Char('\\'), QDir::separator());
}

QString removeProgramWord(const QString& templateText) {
    const qsizetype at = templateText.indexOf(kProgramWord, 0, Qt::CaseInsensitive);
    if (at < 0)
        return templateText;
    return templateText.left(at) + templateText.mid(at + kProgramWord.size());
}

QStringList templateArguments(const QString& templateText, const QList<Macro>& macros) {
    QStringList arguments;
    for (const QString& argument : splitArgumentString(removeProgramWord(templateText))) {
        const auto list = std::find_if(macros.cbegin(), macros.cend(), [&](const Macro& macro) {
            return macro.arguments && macro.name == argument;
        });
        if (list != macros.cend())
            arguments += *list->arguments;
        else
            arguments.append(expandArgument(argument, macros));
    }
    return arguments;
}

bool templateUses(const QString& templateText, const QString& name) {
    return removeProgramWord(templateText).contains(name);
}
