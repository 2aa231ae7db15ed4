#pragma once

#include <QWidget>

class DropLineEdit;
class QLabel;
class QPushButton;

// What the run works on and where its result goes: the input video and the output folder, each
// a box that takes dropped files and a button that opens a dialog.
class InputPanel : public QWidget {
    Q_OBJECT
public:
    explicit InputPanel(QWidget* parent = nullptr);

    QLabel* Label1;
    DropLineEdit* txtInput;
    QPushButton* cmdBrowse;
    QLabel* Label8;
    DropLineEdit* txtOutDir;
    QPushButton* cmdOutDir;
};
