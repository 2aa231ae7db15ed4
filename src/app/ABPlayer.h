#pragma once

#include <QWidget>

class QLabel;
class QMediaPlayer;
class QPushButton;
class QRadioButton;
class QSlider;

// Two recordings of the same moment, the original and the new voice, played at the same
// position: a switch between them that keeps the position (A/B), or one after the other from
// where the slider stands.
class ABPlayer : public QWidget {
    Q_OBJECT
public:
    enum class Side { Original, NewVoice };

    explicit ABPlayer(QWidget* parent = nullptr);

    // Plays `side` of the two files from their start; `offset` is where they begin in the
    // video, which the time shows.
    void load(const QString& original, const QString& newVoice, Side side, double offset = 0);
    // Lets go of the files (they are about to be written again).
    void unload();

    // False where the machine has no sound output to play to.
    static bool canPlay();

    // The side's player, the one that plays when the side is chosen.
    QMediaPlayer* player() const { return m_players[int(m_side)]; }
    Side side() const { return m_side; }

    QPushButton* cmdPlay = nullptr;
    QRadioButton* optOriginal = nullptr;
    QRadioButton* optNewVoice = nullptr;
    QPushButton* cmdInTurn = nullptr;
    QSlider* sldPosition = nullptr;
    QLabel* lblTime = nullptr;

private:
    // Each side has a player of its own, loaded once: a switch only pauses one and starts the
    // other where the first stood.
    void play(Side side, qint64 at);
    void switchTo(Side side);
    void inTurn();
    void showPosition(qint64 position);

    QMediaPlayer* m_players[2] = {};
    Side m_side = Side::NewVoice;
    double m_offset = 0;
    qint64 m_turnFrom = -1; // one after the other: the new voice from here once the original ends
};
