#include "core/RunRecord.h"

#include "core/NaturalOrder.h"
#include "core/Segments.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <array>

namespace {

constexpr int kVersion = 1;

constexpr std::array<const char*, 4> kStates{"waiting", "converting", "converted", "failed"};

QString stateName(RecordedPiece::State state) {
    return QString::fromLatin1(kStates[static_cast<std::size_t>(state)]);
}

std::optional<RecordedPiece::State> stateFrom(const QString& name) {
    for (std::size_t i = 0; i < kStates.size(); ++i) {
        if (name == QLatin1String(kStates[i]))
            return static_cast<RecordedPiece::State>(i);
    }
    return std::nullopt;
}

// A plain file name: the record never points outside its folder.
bool isPlainName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && name != QLatin1String("..");
}

} // namespace

qint64 RunRecord::samples() const {
    if (bySpeaker())
        return originalSamples;
    qint64 total = 0;
    for (const RecordedPiece& piece : pieces)
        total += piece.length;
    return total;
}

QByteArray RunRecord::toJson() const {
    QJsonArray list;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const RecordedPiece& piece = pieces.at(i);
        QJsonObject entry{{"index", int(i)},
                          {"start", piece.start},
                          {"length", piece.length},
                          {"segment", piece.segment},
                          {"state", stateName(piece.state)}};
        if (!piece.converted.isEmpty())
            entry.insert("converted", piece.converted);
        if (!piece.reason.isEmpty())
            entry.insert("reason", piece.reason);
        if (!piece.voice.isEmpty())
            entry.insert("voice", piece.voice);
        if (!piece.settings.isEmpty())
            entry.insert("settings", piece.settings);
        if (piece.redone)
            entry.insert("redone", true);
        QJsonArray takes;
        for (const RecordedTake& take : piece.earlierTakes)
            takes.append(QJsonObject{
                {"file", take.file}, {"voice", take.voice}, {"settings", take.settings}});
        if (!takes.isEmpty())
            entry.insert("earlier_takes", takes);
        if (piece.speaker >= 0) {
            QJsonArray spans;
            for (const RecordedSpan& span : piece.spans)
                spans.append(QJsonArray{span.turn, span.from, span.to, span.at});
            entry.insert("speaker", piece.speaker);
            entry.insert("spans", spans);
        }
        list.append(entry);
    }
    QJsonObject root{
        {"version", kVersion},
        {"input", QJsonObject{{"path", input.path},
                              {"size", input.size},
                              {"modified", input.modified.toUTC().toString(Qt::ISODateWithMs)}}},
        {"sample_rate", sampleRate},
        {"samples", samples()},
        {"pieces", list}};
    if (!output.isEmpty())
        root.insert("output", output);
    if (bySpeaker()) {
        QJsonArray speakerList, turnList;
        for (const RecordedSpeaker& speaker : speakers)
            speakerList.append(QJsonObject{
                {"label", speaker.label}, {"name", speaker.name}, {"voice", speaker.voice}});
        for (const RecordedTurn& turn : turns)
            turnList.append(QJsonObject{{"start", turn.start},
                                        {"end", turn.end},
                                        {"speaker", turn.speaker},
                                        {"words", turn.words}});
        root.insert("original", original);
        root.insert("speakers", speakerList);
        root.insert("turns", turnList);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<RunRecord> RunRecord::fromJson(const QByteArray& json, QString* error) {
    QJsonParseError parse;
    const QJsonObject root = QJsonDocument::fromJson(json, &parse).object();
    const auto refuse = [error](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (parse.error != QJsonParseError::NoError)
        return refuse(parse.errorString());
    if (root.value("version").toInt() != kVersion)
        return refuse(QCoreApplication::translate("RunRecord", "no record of this version"));
    RunRecord record;
    const QJsonObject input = root.value("input").toObject();
    record.input = {input.value("path").toString(), qint64(input.value("size").toDouble(-1)),
                    QDateTime::fromString(input.value("modified").toString(), Qt::ISODateWithMs)};
    record.sampleRate = root.value("sample_rate").toInt();
    record.output = root.value("output").toString();
    if (record.input.path.isEmpty() || record.sampleRate <= 0)
        return refuse(
            QCoreApplication::translate("RunRecord", "it names no input or no sample rate"));
    record.original = root.value("original").toString();
    if (record.bySpeaker()) {
        record.originalSamples = qint64(root.value("samples").toDouble(-1));
        for (const QJsonValue& value : root.value("speakers").toArray())
            record.speakers.append(
                {value["label"].toString(), value["name"].toString(), value["voice"].toString()});
        for (const QJsonValue& value : root.value("turns").toArray()) {
            const RecordedTurn turn{qint64(value["start"].toDouble(-1)),
                                    qint64(value["end"].toDouble(-1)), value["speaker"].toInt(-1),
                                    value["words"].toString()};
            if (turn.start < 0 || turn.end <= turn.start || turn.end > record.originalSamples ||
                turn.speaker < 0 || turn.speaker >= record.speakers.size() ||
                (!record.turns.isEmpty() && turn.start < record.turns.last().end))
                return refuse(
                    QCoreApplication::translate("RunRecord", "its turn %1 is not readable")
                        .arg(record.turns.size() + 1));
            record.turns.append(turn);
        }
        if (!isPlainName(record.original) || record.originalSamples <= 0)
            return refuse(QCoreApplication::translate("RunRecord", "it names no original audio"));
    }
    const QJsonArray list = root.value("pieces").toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QJsonObject entry = list.at(i).toObject();
        RecordedPiece piece;
        piece.start = qint64(entry.value("start").toDouble(-1));
        piece.length = qint64(entry.value("length").toDouble(-1));
        piece.segment = entry.value("segment").toString();
        piece.converted = entry.value("converted").toString();
        piece.reason = entry.value("reason").toString();
        piece.voice = entry.value("voice").toString();
        piece.settings = entry.value("settings").toObject();
        piece.redone = entry.value("redone").toBool();
        bool takesReadable = true;
        for (const QJsonValue& value : entry.value("earlier_takes").toArray()) {
            const QJsonObject take = value.toObject();
            piece.earlierTakes.append({take.value("file").toString(),
                                       take.value("voice").toString(),
                                       take.value("settings").toObject()});
            takesReadable = takesReadable && isPlainName(piece.earlierTakes.last().file);
        }
        bool spansReadable = true;
        if (record.bySpeaker()) {
            piece.speaker = entry.value("speaker").toInt(-1);
            for (const QJsonValue& value : entry.value("spans").toArray()) {
                const QJsonArray span = value.toArray();
                piece.spans.append({span.at(0).toInt(-1), qint64(span.at(1).toDouble(-1)),
                                    qint64(span.at(2).toDouble(-1)),
                                    qint64(span.at(3).toDouble(-1))});
                const RecordedSpan& read = piece.spans.last();
                spansReadable = spansReadable && read.turn >= 0 &&
                                read.turn < record.turns.size() && read.from >= 0 &&
                                read.to > read.from && read.to <= record.originalSamples &&
                                read.at >= 0 && read.at + read.to - read.from <= piece.length;
            }
            spansReadable = spansReadable && piece.speaker >= 0 &&
                            piece.speaker < record.speakers.size() && !piece.spans.isEmpty();
        }
        const auto state = stateFrom(entry.value("state").toString());
        const bool converted = state == RecordedPiece::State::Converted;
        if (entry.value("index").toInt(-1) != i || !state || piece.start < 0 || piece.length < 0 ||
            !isPlainName(piece.segment) || (converted && !isPlainName(piece.converted)) ||
            (!piece.converted.isEmpty() && !isPlainName(piece.converted)) || !takesReadable ||
            !spansReadable)
            return refuse(QCoreApplication::translate("RunRecord", "its piece %1 is not readable")
                              .arg(i + 1));
        piece.state = *state;
        record.pieces.append(piece);
    }
    // A run by speaker whose speakers all keep their voices has nothing to convert.
    if (record.pieces.isEmpty() && !record.bySpeaker())
        return refuse(QCoreApplication::translate("RunRecord", "it holds no pieces"));
    if (root.value("samples").toDouble(-1) != double(record.samples()))
        return refuse(
            QCoreApplication::translate("RunRecord", "its length is not the sum of its pieces"));
    return record;
}

QStringList joinOrder(const RunRecord& record, const std::function<bool(const QString&)>& exists,
                      QString* problem) {
    QStringList files;
    for (qsizetype i = 0; i < record.pieces.size(); ++i) {
        const RecordedPiece& piece = record.pieces.at(i);
        if (piece.state == RecordedPiece::State::Converted && exists(piece.converted)) {
            files.append(piece.converted);
        } else if (exists(piece.segment)) {
            files.append(piece.segment);
        } else {
            if (problem)
                *problem =
                    piece.converted.isEmpty()
                        ? QCoreApplication::translate("RunRecord",
                                                      "Piece %1 of %2 is missing: %3 is not in %4.")
                              .arg(QString::number(i + 1), QString::number(record.pieces.size()),
                                   piece.segment, partsFolderText())
                        : QCoreApplication::translate(
                              "RunRecord", "Piece %1 of %2 is missing: neither %3 nor %4 is in %5.")
                              .arg(QString::number(i + 1), QString::number(record.pieces.size()),
                                   piece.converted, piece.segment, partsFolderText());
            return {};
        }
    }
    return files;
}

QList<LaidSpan> laidSpans(const RunRecord& record,
                          const std::function<bool(const QString&)>& exists) {
    QList<LaidSpan> spans;
    for (const RecordedPiece& piece : record.pieces) {
        if (piece.state != RecordedPiece::State::Converted || !exists(piece.converted))
            continue;
        for (const RecordedSpan& span : piece.spans)
            spans.append({piece.converted, span.at, span.from, span.to - span.from});
    }
    std::sort(spans.begin(), spans.end(),
              [](const LaidSpan& a, const LaidSpan& b) { return a.from < b.from; });
    return spans;
}

QStringList pieceOrder(QStringList names) {
    // The piece a name holds, when it is a name the program gives.
    const auto piece = [](const QString& name) -> std::optional<qint64> {
        const QString base = name.section(QLatin1Char('.'), 0, 0);
        if (const auto number = segmentNumber(base))
            return *number;
        bool isNumber = false;
        const qint64 converted = base.toLongLong(&isNumber);
        if (isNumber && converted > 0 && name == convertedFileName(converted - 1))
            return converted - 1;
        return std::nullopt;
    };
    std::stable_sort(names.begin(), names.end(), [&piece](const QString& a, const QString& b) {
        const auto pa = piece(a), pb = piece(b);
        if (pa && pb && *pa != *pb)
            return *pa < *pb;
        if (pa.has_value() != pb.has_value())
            return pa.has_value();
        return naturalLess(a, b);
    });
    return names;
}
