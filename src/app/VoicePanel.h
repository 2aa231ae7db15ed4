#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The voice and how the voice service is used: the voice list with its settings and its
// preview, the pieces sent at once, and whether the background is kept and where it is split
// off.
class VoicePanel : public QWidget {
    Q_OBJECT
public:
    explicit VoicePanel(QWidget* parent = nullptr);

    QLabel* Label10;
    QComboBox* Combo1;
    QPushButton* cmdPreview;       // the voice tried on 30 s of the input
    QPushButton* cmdVoiceSettings; // the voice's settings
    QLabel* lblPieces;
    QSpinBox* spnPieces; // pieces converted at once
    QCheckBox* chkKeepBackground;
    QComboBox* cboSeparation; // where the voice is split off: automatic, service, local
    QCheckBox* chkSpeakers;   // a voice for each speaker, only speech sent
    QLabel* lblMaxSpeakers;
    QSpinBox* spnMaxSpeakers; // at most that many speakers; its lowest: as many as are found
};
