// What must hold for any input to the routines that read text from outside. Shared by the fuzz
// targets (which abort on a broken rule, so libFuzzer keeps the input) and by the reliability
// test (which replays every input kept in bench/fuzz/crashes/). Each check returns the broken
// rule, or empty text when all held.
#pragma once

#include "core/ArgumentString.h"
#include "core/CommandTemplate.h"
#include "core/InterpreterList.h"
#include "core/Progress.h"

#include <QByteArray>
#include <QList>
#include <QStringDecoder>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace fuzzchecks {

// Input: the template, then the values of %1, %pf, %ap, %2 and %bn, separated by NUL bytes.
// Removing the program word takes out six characters or none; values never split or join
// arguments; when no value holds a '%' (so nothing is doubled), each argument equals a plain
// left-to-right replacement that never looks into inserted text.
inline QString checkTemplate(const uint8_t* data, size_t size) {
    const QList<QByteArray> fields =
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0');
    const QString templateText = QString::fromUtf8(fields.value(0));
    const QStringList names{"%1", "%pf", "%ap", "%2", "%bn"};
    QList<Macro> macros;
    bool valuesHoldPercent = false;
    for (int i = 0; i < names.size(); ++i) {
        const QString value = QString::fromUtf8(fields.value(i + 1));
        valuesHoldPercent = valuesHoldPercent || value.contains(QLatin1Char('%'));
        macros.append({names.at(i), value});
    }

    const QString stripped = removeProgramWord(templateText);
    const bool hadWord = templateText.contains(QStringLiteral("ffmpeg"), Qt::CaseInsensitive);
    if (stripped.size() != templateText.size() - (hadWord ? 6 : 0))
        return QStringLiteral("removeProgramWord took out the wrong number of characters");

    const QStringList plain = splitArgumentString(stripped);
    const QStringList expanded = templateArguments(templateText, macros);
    if (expanded.size() != plain.size())
        return QStringLiteral("a value split or joined arguments");
    if (valuesHoldPercent)
        return {};
    for (qsizetype a = 0; a < plain.size(); ++a) {
        const QString& argument = plain.at(a);
        QString reference;
        for (qsizetype i = 0; i < argument.size();) {
            const Macro* hit = nullptr;
            for (const Macro& macro : macros) {
                if (QStringView(argument).mid(i).startsWith(macro.name)) {
                    hit = &macro;
                    break;
                }
            }
            reference += hit ? hit->value : QString(argument.at(i));
            i += hit ? hit->name.size() : 1;
        }
        if (expanded.at(a) != reference)
            return QStringLiteral("an argument differs from a one-pass replacement");
    }
    return {};
}

inline QString checkInterpreters(const uint8_t* data, size_t size) {
    if (size == 0)
        return {};
    const uint8_t rule = data[0];
    const QString output = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                             static_cast<qsizetype>(size - 1));
    QStringList asked;
    const auto exists = [&](const QString& path) {
        asked.append(path);
        return rule == 0xff || (path.size() + rule) % 3 == 0;
    };
    const QString picked = pickInterpreter(output, exists);
    if (picked.isEmpty())
        return {};
    if (!asked.contains(picked))
        return QStringLiteral("picked a path the file check never saw");
    if (!picked.contains(QLatin1String(":\\")))
        return QStringLiteral("picked a path without a drive");
    if (picked.contains(QLatin1Char('\n')) || picked.contains(QLatin1Char('\r')))
        return QStringLiteral("picked a path with a line end");
    QString printed = output;
    printed.remove(QLatin1Char('\r'));
    if (!printed.contains(picked))
        return QStringLiteral("picked a path that the output does not hold");
    return {};
}

// Input: one byte for the size of the pieces the output arrives in, then ffmpeg's output. Pieces
// never change the lines (where every line is valid UTF-8), no line holds a line end, a
// percentage stays within 0 to 100, a parsed clock is never negative, the time left neither.
inline QString checkProgress(const uint8_t* data, size_t size) {
    if (size == 0)
        return {};
    const qsizetype piece = data[0] % 16 + 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));

    LineSplitter splitter;
    QStringList lines;
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        lines += splitter.feed(bytes.mid(at, piece));
    lines += splitter.finish();

    QStringList reference;
    bool valid = true;
    QByteArray normalized = bytes;
    normalized.replace('\r', '\n');
    for (const QByteArray& raw : normalized.split('\n')) {
        if (raw.isEmpty())
            continue;
        QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        reference.append(strict.decode(raw));
        valid = valid && !strict.hasError();
    }
    if (valid && lines != reference)
        return QStringLiteral("the line splitter changed the lines");

    FfmpegProgress progress;
    double elapsed = 0;
    for (const QString& line : lines) {
        if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')))
            return QStringLiteral("a line holds a line end");
        progress.feedLine(line);
        if (const auto seconds = parseClock(line); seconds && !(*seconds >= 0))
            return QStringLiteral("parseClock gave a negative time");
        const auto percent = progress.percent();
        if (!percent)
            continue;
        if (*percent < 0 || *percent > 100)
            return QStringLiteral("percent() is %1").arg(*percent);
        elapsed += 0.5;
        const auto left = estimateSecondsLeft(elapsed, *percent / 100.0);
        if (left && !(*left >= 0))
            return QStringLiteral("negative time left");
        if (left)
            (void)formatDuration(*left);
    }
    return {};
}

} // namespace fuzzchecks
