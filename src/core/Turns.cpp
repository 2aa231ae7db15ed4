#include "core/Turns.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Times come from sums of decimal seconds: 0.7 - 0.4 must count as 0.3.
constexpr double kSlack = 1e-9;

// A turn while it is being formed: its words, in order and not overlapping.
struct Stretch {
    QString speaker;
    QList<SpokenWord> words;
    double start() const { return words.first().start; }
    double end() const { return words.last().end; }
};

qint64 toSamples(double seconds, int rate) {
    return std::llround(seconds * rate);
}

// Appends `from` to the stretch before it, or (before = false) puts it in front of the one after.
void join(QList<Stretch>& stretches, qsizetype from, bool before) {
    if (before)
        stretches[from - 1].words.append(stretches.at(from).words);
    else
        stretches[from + 1].words = stretches.at(from).words + stretches.at(from + 1).words;
    stretches.removeAt(from);
}

} // namespace

Turns turnsFromWords(const QList<SpokenWord>& given, qint64 totalSamples, int rate,
                     const TurnRules& rules) {
    Turns result;
    if (rate <= 0 || given.isEmpty())
        return result;
    QList<SpokenWord> words = given;
    std::stable_sort(words.begin(), words.end(),
                     [](const SpokenWord& a, const SpokenWord& b) { return a.start < b.start; });
    const double total = double(std::max<qint64>(totalSamples, 0)) / rate;
    double reached = 0;
    for (SpokenWord& word : words) {
        word.start = std::min(std::max(word.start, reached), total);
        word.end = std::min(std::max(word.end, word.start), total);
        reached = word.end;
    }

    QList<Stretch> stretches;
    for (const SpokenWord& word : words) {
        if (!stretches.isEmpty() && stretches.last().speaker == word.speaker &&
            word.start - stretches.last().end() < rules.bridge - kSlack)
            stretches.last().words.append(word);
        else
            stretches.append({word.speaker, {word}});
    }
    // Too short a turn is too little for the voice changer to go on: it goes with its nearer
    // neighbour. A turn grown by a join is looked at again, in case it is still too short.
    constexpr double kNone = std::numeric_limits<double>::infinity();
    for (qsizetype i = 0; i < stretches.size() && stretches.size() > 1;) {
        const Stretch& turn = stretches.at(i);
        if (turn.end() - turn.start() >= rules.shortest - kSlack) {
            ++i;
            continue;
        }
        const double before = i > 0 ? turn.start() - stretches.at(i - 1).end() : kNone;
        const double after =
            i + 1 < stretches.size() ? stretches.at(i + 1).start() - turn.end() : kNone;
        join(stretches, i, before <= after + kSlack);
    }
    for (qsizetype i = 1; i < stretches.size();) {
        if (stretches.at(i).speaker == stretches.at(i - 1).speaker &&
            stretches.at(i).start() - stretches.at(i - 1).end() < rules.bridge - kSlack)
            join(stretches, i, true);
        else
            ++i;
    }

    for (const Stretch& stretch : stretches) {
        Turn turn;
        turn.speaker = int(result.labels.indexOf(stretch.speaker));
        if (turn.speaker < 0) {
            turn.speaker = int(result.labels.size());
            result.labels.append(stretch.speaker);
        }
        turn.start = toSamples(stretch.start(), rate);
        turn.end = toSamples(stretch.end(), rate);
        QStringList texts;
        for (qsizetype w = 0; w < stretch.words.size(); ++w) {
            if (!stretch.words.at(w).text.trimmed().isEmpty())
                texts.append(stretch.words.at(w).text.trimmed());
            if (w == 0)
                continue;
            const qint64 pause =
                toSamples((stretch.words.at(w - 1).end + stretch.words.at(w).start) / 2, rate);
            if (pause > turn.start && pause < turn.end &&
                (turn.pauses.isEmpty() || pause > turn.pauses.last()))
                turn.pauses.append(pause);
        }
        turn.words = texts.join(' ');
        result.turns.append(turn);
    }

    // The margins keep the breath before a turn and the fading of its last word; between two
    // turns closer than two margins, the silence is shared.
    const qint64 margin = std::max<qint64>(0, toSamples(rules.margin, rate));
    QList<Turn>& turns = result.turns;
    turns.first().start = std::max<qint64>(0, turns.first().start - margin);
    for (qsizetype i = 1; i < turns.size(); ++i) {
        const qint64 gap = turns.at(i).start - turns.at(i - 1).end;
        if (gap >= 2 * margin) {
            turns[i - 1].end += margin;
            turns[i].start -= margin;
        } else {
            turns[i - 1].end += gap / 2;
            turns[i].start = turns.at(i - 1).end;
        }
    }
    turns.last().end = std::min(std::max<qint64>(totalSamples, 0), turns.last().end + margin);
    return result;
}

QList<SpeakerPiece> speakerPieces(const QList<Turn>& turns, int speakers, qint64 limit, qint64 gap,
                                  const QSet<int>& skip) {
    QList<SpeakerPiece> pieces;
    if (limit <= 0)
        return pieces;
    for (int speaker = 0; speaker < speakers; ++speaker) {
        if (skip.contains(speaker))
            continue;
        SpeakerPiece piece{speaker, {}, 0};
        const auto place = [&piece, gap](int turn, qint64 from, qint64 to) {
            const qint64 at = piece.spans.isEmpty() ? 0 : piece.length + gap;
            piece.spans.append({turn, from, to, at});
            piece.length = at + to - from;
        };
        const auto close = [&pieces, &piece, speaker] {
            if (!piece.spans.isEmpty())
                pieces.append(piece);
            piece = {speaker, {}, 0};
        };
        for (qsizetype i = 0; i < turns.size(); ++i) {
            const Turn& turn = turns.at(i);
            if (turn.speaker != speaker || turn.end <= turn.start)
                continue;
            qint64 from = turn.start;
            const qint64 room = piece.spans.isEmpty() ? limit : limit - piece.length - gap;
            if (turn.end - from > room)
                close();
            // A turn longer than a piece: cut between words where one fits, the voice changer
            // hears a word whole.
            while (turn.end - from > limit) {
                qint64 cut = from + limit;
                for (auto p = turn.pauses.crbegin(); p != turn.pauses.crend(); ++p) {
                    if (*p > from && *p <= from + limit) {
                        cut = *p;
                        break;
                    }
                }
                place(int(i), from, cut);
                close();
                from = cut;
            }
            place(int(i), from, turn.end);
        }
        close();
    }
    return pieces;
}

QString speakerPieceFilter(const SpeakerPiece& piece, qint64 gap) {
    if (piece.spans.isEmpty())
        return QString();
    QString filter;
    QString inputs;
    for (qsizetype i = 0; i < piece.spans.size(); ++i) {
        const PieceSpan& span = piece.spans.at(i);
        // Each span trims its own copy of the input: atrim counts the samples it is given, so
        // every copy must start at the first sample.
        filter += QString("[0:a]atrim=start_sample=%1:end_sample=%2,asetpts=PTS-STARTPTS")
                      .arg(span.from)
                      .arg(span.to);
        if (i + 1 < piece.spans.size() && gap > 0)
            filter += QString(",apad=pad_len=%1").arg(gap);
        filter += QString("[s%1];").arg(i);
        inputs += QString("[s%1]").arg(i);
    }
    return filter + inputs + QString("concat=n=%1:v=0:a=1[piece]").arg(piece.spans.size());
}
