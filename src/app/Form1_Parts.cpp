// The parts folder panel: refresh, open and "del output*"; a piece heard, redone, or its
// earlier take brought back.
#include "app/ABPlayer.h"
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "app/PartsPanel.h"
#include "app/ProgressPanel.h"
#include "core/VoiceSettings.h"
#include "pipeline/RunRecordFile.h"
#include "pipeline/SpeakerSplit.h"
#include "platform/Platform.h"
#include "platform/ProcessJob.h"

#include <QListWidgetItem>
#include <QPushButton>

void Form1::lblrefresh_Click() {
    m_ui.File1->refresh();
}

void Form1::lblOpenParts_Click() {
    m_launcher->openFolder(m_work.parts());
}

void Form1::cmdPlay_Click() {
    if (!m_ui.progress->result().isEmpty())
        m_launcher->openFile(m_ui.progress->result());
}

void Form1::cmdOpenFolder_Click() {
    if (!m_ui.progress->result().isEmpty())
        m_launcher->openFolder(m_paths.ParentFolder(m_ui.progress->result()));
}

void Form1::lblDelOutput_Click() {
    // A running step may be reading these very files.
    if (!idle())
        return;
    for (const QString& path : m_paths.ListFiles(m_work.parts(), QStringLiteral("output*")))
        m_paths.DeleteFile(path); // a file that cannot go is skipped
    m_ui.File1->refresh();
}

// A piece selected: where it lies and what made it, and its two sides to hear (the original cut
// from the input where the piece lies, the new voice as it is).
void Form1::File1_Click() {
    m_ui.parts->unloadPlayer();
    const int piece = m_ui.File1->selectedPiece();
    const LoadedRecord loaded = loadRunRecord(m_work);
    if (piece < 0 || loaded.state != LoadedRecord::State::Present ||
        piece >= loaded.record.pieces.size()) {
        m_ui.parts->showPiece(QString(), false);
        return;
    }
    const RecordedPiece& recorded = loaded.record.pieces.at(piece);
    QHash<QString, QString> texts;
    const QJsonObject settings =
        recorded.settings.value(QStringLiteral("voice_settings")).toObject();
    for (auto it = settings.begin(); it != settings.end(); ++it)
        texts.insert(it.key(), it.value().toVariant().toString());
    QString what = m_ui.File1->currentItem()->text();
    if (recorded.state == RecordedPiece::State::Converted)
        what += QStringLiteral("\n") + VoiceSettings::fromTexts(texts).describe();
    m_ui.parts->showPiece(what, !recorded.earlierTakes.isEmpty());
    const bool converted = recorded.state == RecordedPiece::State::Converted;
    m_ui.parts->cmdRedoPiece->setEnabled(converted);
    if (!converted || !m_paths.FileExists(m_ui.txtInput->text()))
        return;
    const double rate = loaded.record.sampleRate;
    const bool bySpeaker = loaded.record.bySpeaker() && !recorded.spans.isEmpty();
    const double start = (bySpeaker ? recorded.spans.first().from : recorded.start) / rate;
    // Beside the parts folder, which lists what it holds.
    const QString original = m_work.file(QStringLiteral(".piece-original.mp4"));
    const QString newVoice = PathTools::join(m_work.parts(), recorded.converted);
    // Quietly: the window's run and its output are not this. A speaker's piece is their turns
    // cut again out of the run's original, as they went to the service.
    auto* cut = new ProcessJob(
        m_work.ffmpeg(),
        bySpeaker ? SpeakerSplit::cutArguments(loaded.record, recorded, m_work.parts(), original)
                  : QStringList{"-nostdin", "-v", "error", "-ss", QString::number(start, 'f', 3),
                                "-i", m_ui.txtInput->text(), "-t",
                                QString::number(recorded.length / rate, 'f', 3), "-map", "0:a:0",
                                "-c:a", "alac", "-y", original});
    connect(cut, &Job::finished, this, [this, cut, original, newVoice, start, piece] {
        cut->deleteLater();
        if (cut->outcome().isDone() && m_ui.File1->selectedPiece() == piece)
            m_ui.parts->player()->load(original, newVoice, ABPlayer::Side::NewVoice, start);
    });
    cut->start();
}

void Form1::cmdRedoPiece_Click() {
    startRedo(RedoPieceRun::Take::New, tr("Redo piece"));
}

void Form1::cmdEarlierTake_Click() {
    startRedo(RedoPieceRun::Take::Earlier, tr("Use earlier take"));
}

void Form1::startRedo(RedoPieceRun::Take take, const QString& what) {
    const int piece = m_ui.File1->selectedPiece();
    if (piece < 0 || !idle())
        return;
    m_ui.parts->unloadPlayer(); // its files are about to be written again
    auto* run = new RedoPieceRun(stepContext(), piece, take);
    connect(run, &Job::finished, this, [this, run] { m_newVideo = run->output(); });
    startJob(what, run);
}
