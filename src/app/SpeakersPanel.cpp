#include "app/SpeakersPanel.h"

#include "core/Progress.h"
#include "core/SpeakerSummary.h"
#include "core/Voices.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum SpeakerColumn { kName, kSpeaking, kTurns, kPlay, kVoice };
} // namespace

SpeakersPanel::SpeakersPanel(QWidget* parent)
    : QGroupBox(tr("Speakers"), parent)
    , lstSpeakers(new QTreeWidget(this))
    , lstTurns(new QTreeWidget(this))
    , cboGiveTo(new QComboBox(this))
    , cmdGiveTurn(new QPushButton(tr("&Give the turn to"), this)) {
    setObjectName(QStringLiteral("speakersPanel"));
    lstSpeakers->setObjectName(QStringLiteral("lstSpeakers"));
    lstTurns->setObjectName(QStringLiteral("lstTurns"));
    cboGiveTo->setObjectName(QStringLiteral("cboGiveTo"));
    cmdGiveTurn->setObjectName(QStringLiteral("cmdGiveTurn"));
    lstSpeakers->setAccessibleName(tr("Speakers"));
    lstTurns->setAccessibleName(tr("Turns"));
    cboGiveTo->setAccessibleName(tr("Speaker to give the turn to"));
    lstSpeakers->setHeaderLabels(
        {tr("Speaker"), tr("Speaking"), tr("Turns"), tr("Hear"), tr("Voice")});
    lstTurns->setHeaderLabels({tr("Time"), tr("Speaker"), tr("Words")});
    for (QTreeWidget* list : {lstSpeakers, lstTurns}) {
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        list->header()->setStretchLastSection(true);
    }
    lstTurns->setSelectionMode(QAbstractItemView::ExtendedSelection);
    cmdGiveTurn->setAutoDefault(false);
    cmdGiveTurn->setEnabled(false);
    connect(lstTurns, &QTreeWidget::itemSelectionChanged, this,
            [this] { cmdGiveTurn->setEnabled(!lstTurns->selectedItems().isEmpty()); });
    connect(lstSpeakers, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int column) {
                if (!m_filling && column == kName)
                    emit nameEdited(lstSpeakers->indexOfTopLevelItem(item),
                                    item->text(kName).trimmed());
            });

    auto* give = new QHBoxLayout;
    give->addStretch(1);
    give->addWidget(cmdGiveTurn);
    give->addWidget(cboGiveTo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstSpeakers, 1);
    layout->addWidget(lstTurns, 2);
    layout->addLayout(give);
}

void SpeakersPanel::showRecord(const RunRecord& record, const QStringList& voiceRows) {
    m_filling = true;
    lstSpeakers->clear();
    lstTurns->clear();
    cboGiveTo->clear();
    const QList<SpeakerSummary> speakers = summarizeSpeakers(record);
    for (const SpeakerSummary& speaker : speakers) {
        const int index = speaker.number - 1;
        auto* item =
            new QTreeWidgetItem(lstSpeakers, {speaker.name, formatDuration(speaker.seconds),
                                              QString::number(speaker.turns)});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        auto* play = new QPushButton(tr("Play"), lstSpeakers);
        play->setAccessibleName(tr("Hear %1").arg(speaker.name));
        play->setAutoDefault(false);
        connect(play, &QPushButton::clicked, this, [this, index] { emit playClicked(index); });
        lstSpeakers->setItemWidget(item, kPlay, play);
        auto* voice = new QComboBox(lstSpeakers);
        voice->setAccessibleName(tr("Voice of %1").arg(speaker.name));
        voice->addItem(tr("The window's voice"), QString());
        voice->addItem(tr("Original voice"), QString::fromLatin1(kOriginalVoice));
        for (const QString& row : voiceRows)
            voice->addItem(row, voiceIdFromRow(row));
        const int chosen = voice->findData(record.speakers.at(index).voice);
        voice->setCurrentIndex(std::max(0, chosen));
        connect(voice, &QComboBox::currentIndexChanged, this, [this, index, voice] {
            emit voiceChosen(index, voice->currentData(kVoiceRole).toString());
        });
        lstSpeakers->setItemWidget(item, kVoice, voice);
        cboGiveTo->addItem(speaker.name, index);
    }
    for (const RecordedTurn& turn : record.turns) {
        const QString who =
            turn.speaker < speakers.size() ? speakers.at(turn.speaker).name : QString();
        new QTreeWidgetItem(
            lstTurns, {formatDuration(double(turn.start) / record.sampleRate), who, turn.words});
    }
    cmdGiveTurn->setEnabled(false);
    m_filling = false;
}
