// The speakers panel of a run by speaker: names and voices kept in the run record, a speaker
// heard, a turn given to another speaker.
#include "app/Form1.h"
#include "app/SpeakersPanel.h"
#include "core/Voices.h"
#include "pipeline/RunRecordFile.h"
#include "platform/ProcessJob.h"

#include <QAudioOutput>
#include <QComboBox>
#include <QMediaPlayer>
#include <QPushButton>
#include <QTreeWidget>

namespace {
constexpr double kSampleSeconds = 8;
} // namespace

void Form1::refreshSpeakers() {
    const LoadedRecord loaded = loadRunRecord(m_work);
    const bool bySpeaker =
        loaded.state == LoadedRecord::State::Present && loaded.record.bySpeaker();
    m_ui.speakers->setVisible(bySpeaker);
    if (bySpeaker) {
        QStringList rows;
        for (int i = 0; i < m_ui.Combo1->count(); ++i)
            rows.append(m_ui.Combo1->itemText(i));
        m_ui.speakers->showRecord(loaded.record, rows);
    }
}

// The record changed by `change`, written back, and shown again.
void Form1::changeSpeakers(const std::function<void(RunRecord&)>& change) {
    if (!idle())
        return;
    LoadedRecord loaded = loadRunRecord(m_work);
    if (loaded.state != LoadedRecord::State::Present || !loaded.record.bySpeaker())
        return;
    change(loaded.record);
    if (!saveRunRecord(m_work, loaded.record))
        msgBox(tr("Could not write %1").arg(m_work.record()));
    // Later: the change may come from a widget of the panel, which showing it again replaces.
    QMetaObject::invokeMethod(this, &Form1::refreshSpeakers, Qt::QueuedConnection);
}

void Form1::speakers_NameEdited(int speaker, const QString& name) {
    changeSpeakers([speaker, name](RunRecord& record) {
        if (speaker >= 0 && speaker < record.speakers.size())
            record.speakers[speaker].name = name;
    });
}

void Form1::speakers_VoiceChosen(int speaker, const QString& voice) {
    changeSpeakers([speaker, voice](RunRecord& record) {
        if (speaker >= 0 && speaker < record.speakers.size())
            record.speakers[speaker].voice = voice;
    });
}

// The selected turns go to the speaker chosen beside the button. The pieces were cut for the
// speakers as they were: the next Full Auto cuts them again (the words come from the cache).
void Form1::cmdGiveTurn_Click() {
    const int speaker = m_ui.speakers->cboGiveTo->currentData().toInt();
    QList<int> turns;
    for (QTreeWidgetItem* item : m_ui.speakers->lstTurns->selectedItems())
        turns.append(m_ui.speakers->lstTurns->indexOfTopLevelItem(item));
    changeSpeakers([speaker, turns](RunRecord& record) {
        for (const int turn : turns)
            if (turn >= 0 && turn < record.turns.size())
                record.turns[turn].speaker = speaker;
    });
    setToolOutput(tr("The turns go to their new speaker when Full Auto runs again."));
}

// 8 s of the speaker's longest turn, cut quietly out of the run's original audio and played.
void Form1::speakers_PlayClicked(int speaker) {
    const LoadedRecord loaded = loadRunRecord(m_work);
    if (loaded.state != LoadedRecord::State::Present || !loaded.record.bySpeaker())
        return;
    const RecordedTurn* longest = nullptr;
    for (const RecordedTurn& turn : loaded.record.turns)
        if (turn.speaker == speaker &&
            (!longest || turn.end - turn.start > longest->end - longest->start))
            longest = &turn;
    if (!longest)
        return;
    const double rate = loaded.record.sampleRate;
    const QString sample = m_work.file(QStringLiteral(".speaker-sample.mp4"));
    if (m_speakerSample)
        m_speakerSample->setSource(QUrl()); // lets go of the file before it is written again
    auto* cut = new ProcessJob(
        m_work.ffmpeg(),
        {"-nostdin", "-v", "error", "-ss", QString::number(longest->start / rate, 'f', 3), "-i",
         PathTools::join(m_work.parts(), loaded.record.original), "-t",
         QString::number(std::min(kSampleSeconds, (longest->end - longest->start) / rate), 'f', 3),
         "-map", "0:a:0", "-c:a", "aac", "-y", sample});
    connect(cut, &Job::finished, this, [this, cut, sample] {
        cut->deleteLater();
        if (!cut->outcome().isDone())
            return;
        if (!m_speakerSample) {
            m_speakerSample = new QMediaPlayer(this);
            m_speakerSample->setAudioOutput(new QAudioOutput(m_speakerSample));
        }
        m_speakerSample->setSource(QUrl::fromLocalFile(sample));
        m_speakerSample->play();
    });
    cut->start();
}
