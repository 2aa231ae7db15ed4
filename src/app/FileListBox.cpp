#include "app/FileListBox.h"

#include "core/Progress.h"
#include "core/RunRecord.h"
#include "platform/PathTools.h"

#include <QDir>
#include <QFile>

namespace {

// What the record says of the piece a file holds.
QString pieceNote(const RunRecord& record, int index, bool converted) {
    const RecordedPiece& piece = record.pieces.at(index);
    const double rate = record.sampleRate;
    const QString note = QStringLiteral("Piece %1 of %2, %3 to %4: ")
                             .arg(index + 1)
                             .arg(record.pieces.size())
                             .arg(formatDuration(piece.start / rate),
                                  formatDuration((piece.start + piece.length) / rate));
    if (converted)
        return note + QStringLiteral("converted with voice ") + piece.voice;
    switch (piece.state) {
    case RecordedPiece::State::Failed:
        return note + QStringLiteral("failed: ") + piece.reason;
    case RecordedPiece::State::Converting:
        return note + QStringLiteral("converting");
    default:
        return note + QStringLiteral("not converted");
    }
}

} // namespace

void FileListBox::refresh() {
    clear();
    QStringList names = PathTools().ListFiles(m_folder, QStringLiteral("*"), false, false);
    // The pieces of the run in their order, each with what became of it; other files after them.
    QFile file(QDir(m_folder).filePath(QStringLiteral("run.json")));
    const std::optional<RunRecord> record = file.open(QIODevice::ReadOnly)
                                                ? RunRecord::fromJson(file.readAll(), nullptr)
                                                : std::nullopt;
    if (record) {
        for (int i = 0; i < record->pieces.size(); ++i) {
            const RecordedPiece& piece = record->pieces.at(i);
            for (const QString& name : {piece.converted, piece.segment}) {
                if (name.isEmpty() || !names.removeOne(name))
                    continue;
                addItem(name);
                item(count() - 1)
                    ->setToolTip(pieceNote(*record, i,
                                           name == piece.converted &&
                                               piece.state == RecordedPiece::State::Converted));
            }
        }
    }
    addItems(names);
}
