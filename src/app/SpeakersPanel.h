#pragma once

#include "core/RunRecord.h"

#include <QGroupBox>

class QComboBox;
class QPushButton;
class QTreeWidget;

// The speakers of a run by speaker: a row each (their name, which the user may type, their
// speaking time and turns, 8 s of their speech to hear, and their voice), and below, the turns,
// each of which may be given to another speaker before the run.
class SpeakersPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit SpeakersPanel(QWidget* parent = nullptr);

    QTreeWidget* lstSpeakers;
    QTreeWidget* lstTurns;
    QComboBox* cboGiveTo;
    QPushButton* cmdGiveTurn;

    // Fills the panel from `record`; the voices offered are `voiceRows` ("Name, id").
    void showRecord(const RunRecord& record, const QStringList& voiceRows);

    // The item data of a voice menu: empty for the window's voice, else an id or "original".
    static constexpr int kVoiceRole = Qt::UserRole;

signals:
    void nameEdited(int speaker, const QString& name);
    void voiceChosen(int speaker, const QString& voice);
    void playClicked(int speaker);

private:
    bool m_filling = false;
};
