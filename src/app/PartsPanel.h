#pragma once

#include <QWidget>

class FileListBox;
class LinkLabel;
class QLabel;

// The parts folder: its pieces in the order of the audio, each with what became of it, and the
// links that read it again, open it and remove the cut pieces.
class PartsPanel : public QWidget {
    Q_OBJECT
public:
    explicit PartsPanel(QWidget* parent = nullptr);

    QLabel* Label7;
    LinkLabel* lblrefresh;
    LinkLabel* lblOpenParts;
    LinkLabel* lblDelOutput;
    FileListBox* File1;
};
