#include "core/Transcript.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {

std::nullopt_t refuse(QString* error, const QString& why) {
    if (error)
        *error = why;
    return std::nullopt;
}

// Turns are built in order of time, whatever order the entries came in.
void sortByTime(QList<SpokenWord>& words) {
    std::stable_sort(words.begin(), words.end(),
                     [](const SpokenWord& a, const SpokenWord& b) { return a.start < b.start; });
}

// A WebVTT time stamp: "mm:ss.ttt" or "hh:mm:ss.ttt", hours of any length.
std::optional<double> vttTime(QStringView text) {
    static const QRegularExpression pattern(R"(^(?:(\d+):)?([0-5]\d):([0-5]\d)\.(\d{3})$)");
    const QRegularExpressionMatch m = pattern.match(text.toString());
    if (!m.hasMatch())
        return std::nullopt;
    return m.capturedView(1).toDouble() * 3600 + m.capturedView(2).toInt() * 60 +
           m.capturedView(3).toInt() + m.capturedView(4).toInt() / 1000.0;
}

// The line opens a block of the given kind: the word alone or followed by a blank.
bool opensBlock(const QString& line, QLatin1String word) {
    return line.startsWith(word) && (line.size() == word.size() || line.at(word.size()) == ' ' ||
                                     line.at(word.size()) == '\t');
}

// The text of a cue's line as it is shown: its tags gone, the escapes WebVTT allows read.
QString plainText(QString line) {
    static const QRegularExpression tag("<[^>]*>");
    line.remove(tag);
    line.replace("&lt;", "<").replace("&gt;", ">").replace("&nbsp;", " ");
    line.replace("&lrm;", QString(QChar(0x200E))).replace("&rlm;", QString(QChar(0x200F)));
    return line.replace("&amp;", "&").trimmed();
}

} // namespace

std::optional<QList<SpokenWord>> parseTranscript(const QByteArray& json, QString* error) {
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError)
        return refuse(error, QCoreApplication::translate("Transcript", "it is not JSON (%1)")
                                 .arg(parse.errorString()));
    const QJsonValue list = document.object().value("words");
    if (!list.isArray())
        return refuse(error,
                      QCoreApplication::translate("Transcript", "it holds no list of words"));
    QList<SpokenWord> words;
    const QJsonArray entries = list.toArray();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonObject entry = entries.at(i).toObject();
        if (entry.contains("type") && entry.value("type").toString() != "word")
            continue;
        const QJsonValue start = entry.value("start");
        const QJsonValue end = entry.value("end");
        if (!start.isDouble() || !end.isDouble())
            return refuse(
                error,
                QCoreApplication::translate("Transcript", "its entry %1 has no time").arg(i + 1));
        if (end.toDouble() < start.toDouble())
            return refuse(error, QCoreApplication::translate("Transcript",
                                                             "its entry %1 ends before it starts")
                                     .arg(i + 1));
        // Labels have been strings so far; a number is read as its text all the same.
        QString speaker = entry.value("speaker_id").toVariant().toString();
        if (speaker.isEmpty())
            speaker = "speaker_0";
        words.append(
            {start.toDouble(), end.toDouble(), entry.value("text").toString().trimmed(), speaker});
    }
    sortByTime(words);
    return words;
}

std::optional<QList<SpokenWord>> parseWebVtt(const QByteArray& bytes, QString* error) {
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.replace("\r\n", "\n").replace('\r', '\n').split('\n');
    if (!opensBlock(lines.first(), QLatin1String("WEBVTT")))
        return refuse(
            error, QCoreApplication::translate("Transcript", "it does not start with \"WEBVTT\""));
    static const QRegularExpression voice(R"(<v(?:\.[^\s>]*)?\s+([^>]*)>)");
    const auto blank = [&lines](qsizetype i) { return lines.at(i).trimmed().isEmpty(); };
    QList<SpokenWord> cues;
    QString speaker = "Speaker";
    qsizetype i = 0;
    // The header block, with whatever metadata it holds, ends at the first blank line.
    while (i < lines.size() && !blank(i))
        ++i;
    while (i < lines.size()) {
        if (blank(i)) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < lines.size() && !blank(end))
            ++end;
        const QString& first = lines.at(i);
        if (opensBlock(first, QLatin1String("NOTE")) || opensBlock(first, QLatin1String("STYLE")) ||
            opensBlock(first, QLatin1String("REGION"))) {
            i = end;
            continue;
        }
        // A cue identifier may stand before the timing, which is the line with the arrow.
        const qsizetype timing =
            !first.contains("-->") && i + 1 < end && lines.at(i + 1).contains("-->") ? i + 1 : i;
        const QString& line = lines.at(timing);
        const qsizetype arrow = line.indexOf("-->");
        std::optional<double> from, to;
        if (arrow >= 0) {
            from = vttTime(QStringView(line).left(arrow).trimmed());
            // The cue's settings follow its end after a blank.
            to = vttTime(line.mid(arrow + 3).simplified().section(' ', 0, 0));
        }
        if (!from || !to || *to < *from)
            return refuse(error,
                          QCoreApplication::translate("Transcript", "line %1 is no cue timing: %2")
                              .arg(QString::number(timing + 1), line.trimmed()));
        QStringList shown;
        bool voiced = false; // the cue's first voice tag names its speaker
        for (qsizetype j = timing + 1; j < end; ++j) {
            const QRegularExpressionMatch tag = voice.match(lines.at(j));
            if (!voiced && tag.hasMatch() && !tag.captured(1).trimmed().isEmpty()) {
                speaker = tag.captured(1).trimmed();
                voiced = true;
            }
            const QString plain = plainText(lines.at(j));
            if (!plain.isEmpty())
                shown.append(plain);
        }
        cues.append({*from, *to, shown.join(' '), speaker});
        i = end;
    }
    if (cues.isEmpty())
        return refuse(error, QCoreApplication::translate("Transcript", "it holds no cue"));
    sortByTime(cues);
    return cues;
}
