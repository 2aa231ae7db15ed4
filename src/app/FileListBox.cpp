#include "app/FileListBox.h"

#include "core/Progress.h"
#include "core/RunRecord.h"
#include "core/SpeakerSummary.h"
#include "platform/PathTools.h"

#include <QDir>
#include <QFile>

namespace {

// "Piece 1 of 3, 0:00 to 4:57: converted (Liam)": where the piece lies in the audio and what
// became of it. A piece of a run by speaker holds one speaker's turns: "Piece 2 of 4, Ann, turns
// from 0:03 to 9:40: ...".
QString pieceNote(const RunRecord& record, const QList<SpeakerSummary>& speakers, int index,
                  bool converted, const std::function<QString(const QString&)>& voiceName) {
    const RecordedPiece& piece = record.pieces.at(index);
    const double rate = record.sampleRate;
    QString note;
    if (piece.speaker >= 0 && piece.speaker < speakers.size() && !piece.spans.isEmpty())
        note = FileListBox::tr("Piece %1 of %2, %3, turns from %4 to %5: ")
                   .arg(index + 1)
                   .arg(record.pieces.size())
                   .arg(speakers.at(piece.speaker).name,
                        formatDuration(piece.spans.first().from / rate),
                        formatDuration(piece.spans.last().to / rate));
    else
        note = FileListBox::tr("Piece %1 of %2, %3 to %4: ")
                   .arg(index + 1)
                   .arg(record.pieces.size())
                   .arg(formatDuration(piece.start / rate),
                        formatDuration((piece.start + piece.length) / rate));
    if (converted) {
        const QString name = voiceName ? voiceName(piece.voice) : QString();
        const QString voice = name.isEmpty() ? piece.voice : name;
        return note + (piece.redone ? FileListBox::tr("redone (%1)").arg(voice)
                                    : FileListBox::tr("converted (%1)").arg(voice));
    }
    switch (piece.state) {
    case RecordedPiece::State::Failed:
        return note + FileListBox::tr("failed: %1").arg(piece.reason);
    case RecordedPiece::State::Converting:
        return note + FileListBox::tr("converting");
    default:
        return note + FileListBox::tr("not converted");
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
        names.removeOne(QStringLiteral("run.json"));
        const QList<SpeakerSummary> speakers = summarizeSpeakers(*record);
        for (int i = 0; i < record->pieces.size(); ++i) {
            const RecordedPiece& piece = record->pieces.at(i);
            const bool converted =
                piece.state == RecordedPiece::State::Converted && names.contains(piece.converted);
            QStringList files;
            QStringList owned{piece.converted, piece.segment};
            for (const RecordedTake& take : piece.earlierTakes)
                owned.append(take.file);
            for (const QString& name : std::as_const(owned))
                if (!name.isEmpty() && names.removeOne(name))
                    files.append(name);
            addItem(pieceNote(*record, speakers, i, converted, m_voiceName));
            item(count() - 1)->setToolTip(files.join(QLatin1Char('\n')));
            item(count() - 1)->setData(Qt::UserRole, files);
            item(count() - 1)->setData(kPieceRole, i);
        }
    }
    addItems(names);
}
