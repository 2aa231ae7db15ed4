#pragma once

#include <QCoreApplication>

class DropLineEdit;
class FileListBox;
class InputPanel;
class LinkLabel;
class PartsPanel;
class SpeakersPanel;
class ProgressPanel;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class RunStatus;
class StepsPanel;
class VoicePanel;

// The window's panels, and their controls under their names for the handlers.
struct Form1Ui {
    InputPanel* input = nullptr;
    VoicePanel* voice = nullptr;
    StepsPanel* steps = nullptr;
    PartsPanel* parts = nullptr;
    SpeakersPanel* speakers = nullptr; // shown for a run by speaker
    ProgressPanel* progress = nullptr;

    QLabel* Label1 = nullptr;
    DropLineEdit* txtInput = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLabel* Label8 = nullptr;
    DropLineEdit* txtOutDir = nullptr;
    QPushButton* cmdOutDir = nullptr;
    QLabel* Label10 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* cmdVoiceSettings = nullptr; // the voice's settings, beside it
    QPushButton* cmdPreview = nullptr;       // the voice tried on 30 s of the input
    QLabel* lblPieces = nullptr;
    QSpinBox* spnPieces = nullptr; // pieces converted at once
    QCheckBox* chkKeepBackground = nullptr;
    QCheckBox* chkKeepOriginal = nullptr; // the original voice as a second track
    QComboBox* cboSeparation = nullptr;   // where the voice is split off: automatic, service, local
    QToolButton* grpCommands = nullptr;   // folds and opens the steps and their templates
    QLabel* Label2 = nullptr;
    QLineEdit* txtExtractCmd = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtSplit = nullptr;
    QPushButton* Command3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtPy = nullptr;
    QPushButton* cmdConvert = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* txtConcat = nullptr;
    QPushButton* Command4 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtIntegrate = nullptr;
    QPushButton* Command5 = nullptr;
    QPlainTextEdit* txtMacros = nullptr;
    QLabel* Label7 = nullptr;
    LinkLabel* lblrefresh = nullptr;
    LinkLabel* lblOpenParts = nullptr;
    LinkLabel* lblDelOutput = nullptr;
    FileListBox* File1 = nullptr;
    QPlainTextEdit* txtOut = nullptr;
    QLabel* Label9 = nullptr;
    QListWidget* lstAI = nullptr;
    QPushButton* Command1 = nullptr;
    QListWidget* listAuto = nullptr;
    QLabel* lblResult = nullptr; // how the last run ended
    QPushButton* cmdPlay = nullptr;
    QPushButton* cmdOpenFolder = nullptr;
    QMenu* mnuTools = nullptr;
    QAction* mnuConvertWMV = nullptr;
    QAction* mnuSetApiKey = nullptr;
    QAction* mnuVoiceSamples = nullptr;
    QAction* mnuVoiceSettings = nullptr;
    QAction* mnuPreview = nullptr;
    QAction* mnuSpeakersFrom = nullptr; // a WebVTT transcript names the speakers
    QAction* mnuQueue = nullptr;
    QPushButton* cmdStop = nullptr; // in the status bar
    RunStatus* runStatus = nullptr; // in the status bar: stage, progress, time left

    // Makes the panels, the menu and the status bar of `window`, in the Tab key's order.
    void setupUi(QMainWindow* window);

    // Its texts are the window's.
    Q_DECLARE_TR_FUNCTIONS(Form1)
};
