#pragma once

#include <QDialog>

class QAudioOutput;
class QLabel;
class QListWidget;
class QMediaPlayer;
class VoicePreviews;

// The voices' own previews: the list of voices with the window's voice chosen and its preview
// playing at once; a click plays another; "Use this voice" makes it the window's voice.
class VoiceSamplesDialog : public QDialog {
    Q_OBJECT
public:
    // `rows`: the window's voice list, `current` its chosen row.
    VoiceSamplesDialog(const QStringList& rows, int current, VoicePreviews* previews,
                       QWidget* parent = nullptr);

    QListWidget* voices() const { return m_voices; }
    QMediaPlayer* player() const { return m_player; }
    QString status() const;

signals:
    void voiceChosen(int row);

private:
    void play(int row);

    VoicePreviews* m_previews;
    QListWidget* m_voices = nullptr;
    QLabel* m_status = nullptr;
    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_output = nullptr;
    int m_wanted = -1; // the row whose preview is on its way
};
