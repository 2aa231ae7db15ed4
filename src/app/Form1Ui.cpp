// The window's panels, where they stand and in which order the Tab key visits them. Layouts
// place them: the window follows the system's font, scale and style, and gives the extra room to
// the templates, the parts list and the logs.
#include "app/Form1Ui.h"

#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/InputPanel.h"
#include "app/PartsPanel.h"
#include "app/ProgressPanel.h"
#include "app/RunStatus.h"
#include "app/SpeakersPanel.h"
#include "app/StepsPanel.h"
#include "app/VoicePanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

void Form1Ui::setupUi(QMainWindow* window) {
    window->setObjectName(QStringLiteral("Form1"));
    window->setWindowTitle(QStringLiteral("Form1"));
    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    window->setCentralWidget(client);

    input = new InputPanel(client);
    voice = new VoicePanel(client);
    steps = new StepsPanel(client);
    parts = new PartsPanel(client);
    speakers = new SpeakersPanel(client);
    speakers->hide();
    progress = new ProgressPanel(client);

    // The rows as users know them: input and output beside the voice; below, the steps over
    // what the last tool printed, beside the parts over the conversion's progress, Full Auto and
    // its log; how the last run ended at the bottom. Folded, the steps leave their room to the
    // tool's output.
    auto* top = new QHBoxLayout;
    top->addWidget(input, 1);
    top->addSpacing(12);
    top->addWidget(voice);
    auto* left = new QWidget(client);
    auto* leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    leftColumn->addWidget(steps);
    leftColumn->addWidget(speakers, 2);
    leftColumn->addWidget(progress->txtOut, 1);
    auto* right = new QWidget(client);
    auto* rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    rightColumn->addWidget(parts, 2);
    rightColumn->addWidget(progress, 3);
    // The extra width goes to both, in a ratio the user may change.
    auto* body = new QSplitter(Qt::Horizontal, client);
    body->setObjectName(QStringLiteral("bodySplit"));
    body->setChildrenCollapsible(false);
    body->addWidget(left);
    body->addWidget(right);
    body->setStretchFactor(0, 3);
    body->setStretchFactor(1, 2);
    body->setSizes({3000, 2000}); // scaled to the width there is
    auto* layout = new QVBoxLayout(client);
    layout->addLayout(top);
    layout->addWidget(body, 1);
    layout->addWidget(progress->resultLine);

    Label1 = input->Label1;
    txtInput = input->txtInput;
    cmdBrowse = input->cmdBrowse;
    Label8 = input->Label8;
    txtOutDir = input->txtOutDir;
    cmdOutDir = input->cmdOutDir;
    Label10 = voice->Label10;
    Combo1 = voice->Combo1;
    cmdPreview = voice->cmdPreview;
    cmdVoiceSettings = voice->cmdVoiceSettings;
    lblPieces = voice->lblPieces;
    spnPieces = voice->spnPieces;
    chkKeepBackground = voice->chkKeepBackground;
    cboSeparation = voice->cboSeparation;
    grpCommands = steps->grpCommands;
    Label2 = steps->Label2;
    txtExtractCmd = steps->txtExtractCmd;
    Command2 = steps->Command2;
    Label3 = steps->Label3;
    txtSplit = steps->txtSplit;
    Command3 = steps->Command3;
    Label4 = steps->Label4;
    txtPy = steps->txtPy;
    cmdConvert = steps->cmdConvert;
    Label5 = steps->Label5;
    txtConcat = steps->txtConcat;
    Command4 = steps->Command4;
    Label6 = steps->Label6;
    txtIntegrate = steps->txtIntegrate;
    Command5 = steps->Command5;
    txtMacros = steps->txtMacros;
    Label7 = parts->Label7;
    lblrefresh = parts->lblrefresh;
    lblOpenParts = parts->lblOpenParts;
    lblDelOutput = parts->lblDelOutput;
    File1 = parts->File1;
    txtOut = progress->txtOut;
    Label9 = progress->Label9;
    lstAI = progress->lstAI;
    Command1 = progress->Command1;
    chkKeepOriginal = progress->chkKeepOriginal;
    listAuto = progress->listAuto;
    lblResult = progress->lblResult;
    cmdPlay = progress->cmdPlay;
    cmdOpenFolder = progress->cmdOpenFolder;

    // The status bar: notes, the running work's progress, and Stop while something runs.
    cmdStop = new QPushButton(tr("Sto&p"), window);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setEnabled(false);
    cmdStop->setAutoDefault(false);
    runStatus = new RunStatus(window);
    window->statusBar()->addPermanentWidget(runStatus, 1);
    window->statusBar()->addPermanentWidget(cmdStop);

    mnuTools = window->menuBar()->addMenu(tr("&Tools"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));
    mnuConvertWMV = mnuTools->addAction(tr("&Convert wmv to mp4"));
    mnuConvertWMV->setObjectName(QStringLiteral("mnuConvertWMV"));
    mnuSetApiKey = mnuTools->addAction(tr("Set &elevenlabs_api_key env var"));
    mnuSetApiKey->setObjectName(QStringLiteral("mnuSetApiKey"));
    mnuVoiceSamples = mnuTools->addAction(tr("Voice &Samples"));
    mnuVoiceSamples->setObjectName(QStringLiteral("mnuVoiceSamples"));
    mnuVoiceSettings = mnuTools->addAction(tr("&Voice Settings..."));
    mnuVoiceSettings->setObjectName(QStringLiteral("mnuVoiceSettings"));
    mnuSpeakersFrom = mnuTools->addAction(tr("Speakers from su&btitles..."));
    mnuSpeakersFrom->setObjectName(QStringLiteral("mnuSpeakersFrom"));
    mnuPreview = mnuTools->addAction(tr("&Preview..."));
    mnuPreview->setObjectName(QStringLiteral("mnuPreview"));
    mnuQueue = mnuTools->addAction(tr("&Queue..."));
    mnuQueue->setObjectName(QStringLiteral("mnuQueue"));

    // The Tab key follows the rows in reading order.
    const QList<QWidget*> order = {txtInput,
                                   cmdBrowse,
                                   txtOutDir,
                                   cmdOutDir,
                                   Combo1,
                                   cmdPreview,
                                   cmdVoiceSettings,
                                   spnPieces,
                                   chkKeepBackground,
                                   cboSeparation,
                                   grpCommands,
                                   txtExtractCmd,
                                   Command2,
                                   txtSplit,
                                   Command3,
                                   txtPy,
                                   cmdConvert,
                                   txtConcat,
                                   Command4,
                                   txtIntegrate,
                                   Command5,
                                   txtMacros,
                                   File1,
                                   txtOut,
                                   lstAI,
                                   Command1,
                                   chkKeepOriginal,
                                   listAuto,
                                   cmdPlay,
                                   cmdOpenFolder,
                                   cmdStop};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    txtInput->setFocus();
}
