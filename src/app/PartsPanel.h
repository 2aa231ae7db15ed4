#pragma once

#include <QWidget>

class ABPlayer;
class FileListBox;
class LinkLabel;
class QLabel;
class QPushButton;

// The parts folder: its pieces in the order of the audio, each with what became of it, and the
// links that read it again, open it and remove the cut pieces. Below, the piece selected: where
// it lies and what it was made with, its original and its new voice to hear, and the buttons
// that redo it or bring its earlier take back.
class PartsPanel : public QWidget {
    Q_OBJECT
public:
    explicit PartsPanel(QWidget* parent = nullptr);

    QLabel* Label7;
    LinkLabel* lblrefresh;
    LinkLabel* lblOpenParts;
    LinkLabel* lblDelOutput;
    FileListBox* File1;
    QLabel* lblPiece;
    // The piece's two sides to hear; made when first needed (a player brings up the system's
    // sound at once).
    ABPlayer* player();
    // Lets go of the piece's files, if a player holds them.
    void unloadPlayer();
    QPushButton* cmdRedoPiece;
    QPushButton* cmdEarlierTake;

    // What the selected piece is ("Piece 4 of 13, 14:56 to 19:51", its voice, settings and
    // seed), whether it has an earlier take; empty `what` for no piece.
    void showPiece(const QString& what, bool earlierTake);

private:
    ABPlayer* m_player = nullptr;
    class QVBoxLayout* m_layout = nullptr;
};
