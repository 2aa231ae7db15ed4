#include "app/VoiceSamplesDialog.h"

#include "core/Voices.h"
#include "pipeline/VoicePreviews.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

VoiceSamplesDialog::VoiceSamplesDialog(const QStringList& rows, int current,
                                       VoicePreviews* previews, QWidget* parent)
    : QDialog(parent)
    , m_previews(previews) {
    setObjectName(QStringLiteral("VoiceSamplesDialog"));
    setWindowTitle(tr("Voice Samples"));
    previews->setParent(this);
    auto* layout = new QVBoxLayout(this);
    m_voices = new QListWidget(this);
    m_voices->addItems(rows);
    m_voices->setMinimumSize(360, 320);
    layout->addWidget(m_voices);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    m_status->setMinimumHeight(m_status->fontMetrics().lineSpacing() * 3);
    layout->addWidget(m_status);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* use = buttons->addButton(tr("Use this voice"), QDialogButtonBox::AcceptRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(use, &QPushButton::clicked, this, [this] {
        emit voiceChosen(m_voices->currentRow());
        accept();
    });

    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(this);
    m_player->setAudioOutput(m_output);
    connect(m_voices, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { play(m_voices->row(item)); });
    connect(
        previews, &VoicePreviews::ready, this, [this](const QString& voiceId, const QString& path) {
            const int row = m_wanted;
            if (row < 0 || voiceIdFromRow(m_voices->item(row)->text()) != voiceId)
                return; // another was asked for meanwhile
            m_wanted = -1;
            if (QMediaDevices::audioOutputs().isEmpty()) {
                m_status->setText(
                    tr("This machine has no sound output; the preview is kept in %1").arg(path));
                return;
            }
            m_status->setText(tr("Playing %1").arg(m_voices->item(row)->text()));
            m_player->setSource(QUrl::fromLocalFile(path));
            m_player->play();
        });
    connect(previews, &VoicePreviews::failed, this, [this](const QString&, const QString& why) {
        m_wanted = -1;
        m_status->setText(tr("No preview: %1").arg(why));
    });
    connect(previews, &VoicePreviews::listed, this, [this, current](bool ok, const QString& why) {
        if (!ok) {
            m_status->setText(
                qEnvironmentVariableIsEmpty("elevenlabs_api_key")
                    ? tr("Previews need an ElevenLabs API key: set it with Tools > Set "
                         "elevenlabs_api_key env var.")
                    : tr("No previews: %1").arg(why));
            return;
        }
        play(current);
    });
    m_voices->setCurrentRow(current);
    m_status->setText(tr("Asking the voice service for the previews..."));
    previews->list();
}

QString VoiceSamplesDialog::status() const {
    return m_status->text();
}

void VoiceSamplesDialog::play(int row) {
    if (row < 0 || row >= m_voices->count())
        return;
    m_player->stop();
    m_voices->setCurrentRow(row);
    m_wanted = row;
    m_status->setText(tr("Fetching the preview of %1").arg(m_voices->item(row)->text()));
    m_previews->fetch(voiceIdFromRow(m_voices->item(row)->text()));
}
