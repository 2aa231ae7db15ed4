#include "app/ABPlayer.h"

#include "core/Excerpt.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QUrl>

ABPlayer::ABPlayer(QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    cmdPlay = new QPushButton(tr("Play"), this);
    cmdPlay->setObjectName(QStringLiteral("cmdPlay"));
    optOriginal = new QRadioButton(tr("Original"), this);
    optOriginal->setObjectName(QStringLiteral("optOriginal"));
    optNewVoice = new QRadioButton(tr("New voice"), this);
    optNewVoice->setObjectName(QStringLiteral("optNewVoice"));
    optNewVoice->setChecked(true);
    auto* sides = new QButtonGroup(this);
    sides->addButton(optOriginal);
    sides->addButton(optNewVoice);
    cmdInTurn = new QPushButton(tr("One after the other"), this);
    cmdInTurn->setObjectName(QStringLiteral("cmdInTurn"));
    cmdInTurn->setToolTip(
        tr("The original from where the slider stands, then the new voice from the same place."));
    sldPosition = new QSlider(Qt::Horizontal, this);
    sldPosition->setObjectName(QStringLiteral("sldPosition"));
    sldPosition->setMinimumWidth(160);
    lblTime = new QLabel(QStringLiteral("0:00"), this);
    lblTime->setMinimumWidth(lblTime->fontMetrics().horizontalAdvance(QStringLiteral("0:00.0")));
    for (QWidget* w : {static_cast<QWidget*>(cmdPlay), static_cast<QWidget*>(optOriginal),
                       static_cast<QWidget*>(optNewVoice), static_cast<QWidget*>(cmdInTurn)})
        layout->addWidget(w);
    layout->addWidget(sldPosition, 1);
    layout->addWidget(lblTime);
    setEnabled(false);

    for (QMediaPlayer*& player : m_players) {
        player = new QMediaPlayer(this);
        player->setAudioOutput(new QAudioOutput(player));
        connect(player, &QMediaPlayer::durationChanged, this, [this, player](qint64 duration) {
            if (player == this->player())
                sldPosition->setRange(0, int(duration));
        });
        connect(player, &QMediaPlayer::positionChanged, this, [this, player](qint64 position) {
            if (player == this->player())
                showPosition(position);
        });
        connect(player, &QMediaPlayer::playbackStateChanged, this,
                [this, player](QMediaPlayer::PlaybackState state) {
                    if (player == this->player())
                        cmdPlay->setText(state == QMediaPlayer::PlayingState ? tr("Pause")
                                                                             : tr("Play"));
                });
    }
    connect(m_players[int(Side::Original)], &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::EndOfMedia && m_turnFrom >= 0 &&
                    m_side == Side::Original) {
                    const qint64 from = m_turnFrom;
                    m_turnFrom = -1;
                    play(Side::NewVoice, from);
                }
            });
    connect(cmdPlay, &QPushButton::clicked, this, [this] {
        m_turnFrom = -1;
        if (player()->playbackState() == QMediaPlayer::PlayingState)
            player()->pause();
        else
            player()->play();
    });
    connect(optOriginal, &QRadioButton::clicked, this, [this] { switchTo(Side::Original); });
    connect(optNewVoice, &QRadioButton::clicked, this, [this] { switchTo(Side::NewVoice); });
    connect(cmdInTurn, &QPushButton::clicked, this, &ABPlayer::inTurn);
    connect(sldPosition, &QSlider::sliderMoved, this,
            [this](int position) { player()->setPosition(position); });
}

bool ABPlayer::canPlay() {
    return !QMediaDevices::audioOutputs().isEmpty();
}

void ABPlayer::load(const QString& original, const QString& newVoice, Side side, double offset) {
    m_offset = offset;
    m_turnFrom = -1;
    m_players[int(Side::Original)]->setSource(QUrl::fromLocalFile(original));
    m_players[int(Side::NewVoice)]->setSource(QUrl::fromLocalFile(newVoice));
    setEnabled(true);
    play(side, 0);
}

void ABPlayer::unload() {
    for (QMediaPlayer* player : m_players) {
        player->stop();
        player->setSource(QUrl());
    }
    m_turnFrom = -1;
    setEnabled(false);
}

void ABPlayer::play(Side side, qint64 at) {
    m_players[1 - int(side)]->pause();
    m_side = side;
    (side == Side::Original ? optOriginal : optNewVoice)->setChecked(true);
    sldPosition->setRange(0, int(player()->duration()));
    player()->play();
    player()->setPosition(at);
}

// The other side at the same position, playing if this one was.
void ABPlayer::switchTo(Side side) {
    if (side == m_side)
        return;
    m_turnFrom = -1;
    const bool playing = player()->playbackState() == QMediaPlayer::PlayingState;
    const qint64 at = player()->position();
    play(side, at);
    if (!playing)
        player()->pause();
}

void ABPlayer::inTurn() {
    // From the start again once the end is reached.
    const qint64 position = player()->position();
    const qint64 from = position + 500 < player()->duration() ? position : 0;
    play(Side::Original, from);
    m_turnFrom = from;
}

void ABPlayer::showPosition(qint64 position) {
    if (!sldPosition->isSliderDown())
        sldPosition->setValue(int(position));
    lblTime->setText(userTimeText(m_offset + double(position) / 1000));
}
