#include "app/VoicePanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>

VoicePanel::VoicePanel(QWidget* parent)
    : QWidget(parent)
    , Label10(new QLabel(tr("&Voice"), this))
    , Combo1(new QComboBox(this))
    , cmdPreview(new QPushButton(tr("Previe&w"), this))
    , cmdVoiceSettings(new QPushButton(tr("..."), this))
    , lblPieces(new QLabel(tr("Pieces at o&nce"), this))
    , spnPieces(new QSpinBox(this))
    , chkKeepBackground(new QCheckBox(tr("&Keep background"), this))
    , cboSeparation(new QComboBox(this))
    , chkSpeakers(new QCheckBox(tr("Find &speakers"), this))
    , lblMaxSpeakers(new QLabel(tr("at &most"), this))
    , spnMaxSpeakers(new QSpinBox(this)) {
    setObjectName(QStringLiteral("voicePanel"));
    Label10->setObjectName(QStringLiteral("Label10"));
    Combo1->setObjectName(QStringLiteral("Combo1"));
    cmdPreview->setObjectName(QStringLiteral("cmdPreview"));
    cmdVoiceSettings->setObjectName(QStringLiteral("cmdVoiceSettings"));
    lblPieces->setObjectName(QStringLiteral("lblPieces"));
    spnPieces->setObjectName(QStringLiteral("spnPieces"));
    chkKeepBackground->setObjectName(QStringLiteral("chkKeepBackground"));
    cboSeparation->setObjectName(QStringLiteral("cboSeparation"));
    chkSpeakers->setObjectName(QStringLiteral("chkSpeakers"));
    spnMaxSpeakers->setObjectName(QStringLiteral("spnMaxSpeakers"));
    lblMaxSpeakers->setBuddy(spnMaxSpeakers);
    spnMaxSpeakers->setRange(0, 32);
    spnMaxSpeakers->setSpecialValueText(tr("any number"));
    spnMaxSpeakers->setAccessibleName(tr("At most this many speakers"));
    chkSpeakers->setToolTip(tr("Give each speaker a voice of their own: the speakers are found "
                               "once with the voice service's speech to text (or read from "
                               "subtitles, Tools menu), and only their speech is converted; "
                               "music and silence stay as they are."));
    Label10->setBuddy(Combo1);
    // A reader would name a list box by its choice, not by what it chooses.
    Combo1->setAccessibleName(tr("Voice"));
    lblPieces->setBuddy(spnPieces);
    Combo1->setEditable(false);
    // The voice rows are long ("Liam, TX3LPaxmHKxFdv7VOQHJ"): the list is as wide as its
    // longest, the box shows what fits.
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo1->setMinimumContentsLength(24);
    spnPieces->setRange(1, 15);
    // Shown in the user's language; the settings keep the words of their data.
    cboSeparation->addItem(tr("automatic"), QStringLiteral("automatic"));
    cboSeparation->addItem(tr("service"), QStringLiteral("service"));
    cboSeparation->addItem(tr("local"), QStringLiteral("local"));
    cmdPreview->setToolTip(tr("Hear the voice on 30 s of the input, beside the original, before "
                              "converting it all. What it costs is asked first."));
    cmdVoiceSettings->setToolTip(tr("Voice settings: the model, stability, similarity, style, "
                                    "speaker boost, noise removal and a seed."));
    cmdVoiceSettings->setAccessibleName(tr("Voice settings"));
    spnPieces->setToolTip(tr("How many pieces go to the voice service at once. Every plan takes "
                             "several (Free 2, Starter 3, Creator 5, Pro 10); a lower figure is "
                             "used when it says so."));
    chkKeepBackground->setToolTip(tr("Keep the music and sounds under the new voice: each piece "
                                     "is split into voice and background first; only the voice "
                                     "is changed."));
    cboSeparation->setToolTip(tr("Where the voice is split off: on this machine (local, needs "
                                 "python3-torchaudio; no credits), at the voice service's "
                                 "isolator (service; costs as much again as the conversion), or "
                                 "local where it can run, else the service (automatic)."));
    cboSeparation->setAccessibleName(tr("Where the voice is split off"));
    for (QPushButton* button : {cmdPreview, cmdVoiceSettings})
        button->setAutoDefault(false);
    cmdVoiceSettings->setMaximumWidth(
        cmdVoiceSettings->fontMetrics().horizontalAdvance(cmdVoiceSettings->text()) * 2 +
        cmdVoiceSettings->style()->pixelMetric(QStyle::PM_ButtonMargin) * 2);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(Label10, 0, 0);
    auto* voice = new QHBoxLayout;
    voice->addWidget(Combo1, 1);
    voice->addWidget(cmdPreview);
    voice->addWidget(cmdVoiceSettings);
    grid->addLayout(voice, 0, 1);
    grid->addWidget(lblPieces, 1, 0);
    auto* service = new QHBoxLayout;
    service->addWidget(spnPieces);
    service->addSpacing(12);
    service->addWidget(chkKeepBackground);
    service->addWidget(cboSeparation);
    service->addStretch(1);
    grid->addLayout(service, 1, 1);
    auto* speakers = new QHBoxLayout;
    speakers->addWidget(chkSpeakers);
    speakers->addWidget(lblMaxSpeakers);
    speakers->addWidget(spnMaxSpeakers);
    speakers->addStretch(1);
    grid->addLayout(speakers, 2, 1);
    grid->setColumnStretch(1, 1);
}
