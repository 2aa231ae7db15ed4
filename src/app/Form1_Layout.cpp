// The window's controls, where they stand and in which order the Tab key visits them.
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/Form1Ui.h"
#include "app/LinkLabel.h"
#include "app/RunStatus.h"
#include "core/CommandTemplate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>

namespace {

// Positions are kept in twips as the form was drawn; 15 twips make a pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidthTwips = 13965;
constexpr int kClientHeightTwips = 8325;

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height, int tabIndex) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                        height / kTwipsPerPixel);
    widget->setProperty("tabIndex", tabIndex);
    return widget;
}

// The form was drawn for the classic 8-point dialog font; a larger desktop default would not
// fit the drawn sizes.
QFont formFont() {
    QFont font;
    // Arial's metrics are close to the classic dialog font's; Liberation Sans shares them.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

QLabel* label(QWidget* parent, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setFocusPolicy(Qt::NoFocus);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

LinkLabel* link(QWidget* parent, const char* text) {
    auto* l = new LinkLabel(QString::fromLatin1(text), parent);
    QFont font = formFont();
    font.setWeight(QFont::Normal);
    font.setUnderline(true);
    l->setFont(font);
    l->setFocusPolicy(Qt::NoFocus);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QLineEdit* templateBox(QWidget* parent, Template which) {
    auto* box = new QLineEdit(defaultTemplate(which), parent);
    box->setCursorPosition(0);
    return box;
}

} // namespace

void Form1Ui::setupUi(QMainWindow* window) {
    window->setObjectName(QStringLiteral("Form1"));
    window->setWindowTitle(QStringLiteral("Form1"));
    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    window->setFont(formFont());
    client->setFixedSize(kClientWidthTwips / kTwipsPerPixel, kClientHeightTwips / kTwipsPerPixel);
    window->setCentralWidget(client);

    // In the order of the drawn form, top to bottom.
    txtInput = place(new DropLineEdit(QStringLiteral("Can Drag & Drop"), client), "txtInput", 600,
                     0, 7095, 315, 1);
    cmdBrowse =
        place(new QPushButton(QStringLiteral("..."), client), "cmdBrowse", 7860, 0, 735, 315, 2);
    Label1 = place(label(client, "Input"), "Label1", 60, 60, 555, 315, 0);
    Label10 = place(label(client, "Voice"), "Label10", 8640, 60, 435, 315, 30);
    Combo1 = place(new QComboBox(client), "Combo1", 9180, 60, 2955, 315, 29);
    cmdPreview = place(new QPushButton(QStringLiteral("Preview"), client), "cmdPreview", 12180, 60,
                       1335, 315, 39);
    cmdPreview->setToolTip(QStringLiteral("Hear the voice on 30 s of the input, beside the "
                                          "original, before converting it all. What it costs "
                                          "is asked first."));
    cmdVoiceSettings = place(new QPushButton(QStringLiteral("..."), client), "cmdVoiceSettings",
                             13560, 60, 360, 315, 38);
    cmdVoiceSettings->setToolTip(QStringLiteral(
        "Voice settings: the model, stability, similarity, style, speaker boost, noise removal "
        "and a seed."));
    // Below the voice: how the voice service is used.
    lblPieces = place(label(client, "Pieces at once"), "lblPieces", 8640, 450, 1215, 255, 33);
    spnPieces = place(new QSpinBox(client), "spnPieces", 9870, 390, 600, 285, 34);
    spnPieces->setRange(1, 15);
    chkKeepBackground = place(new QCheckBox(QStringLiteral("Keep background"), client),
                              "chkKeepBackground", 10560, 405, 1620, 255, 35);
    chkKeepBackground->setToolTip(QStringLiteral(
        "Keep the music and sounds under the new voice: each piece is split into voice and "
        "background first; only the voice is changed."));
    cboSeparation = place(new QComboBox(client), "cboSeparation", 12210, 390, 1305, 285, 36);
    cboSeparation->addItems(
        {QStringLiteral("automatic"), QStringLiteral("service"), QStringLiteral("local")});
    cboSeparation->setToolTip(QStringLiteral(
        "Where the voice is split off: on this machine (local, needs python3-torchaudio; no "
        "credits), at the voice service's isolator (service; costs as much again as the "
        "conversion), or local where it can run, else the service (automatic)."));
    spnPieces->setToolTip(QStringLiteral("How many pieces go to the voice service at once. Every "
                                         "plan takes several (Free 2, Starter 3, Creator 5, "
                                         "Pro 10); a lower figure is used when it says so."));
    txtOutDir = place(new DropLineEdit(client), "txtOutDir", 600, 360, 7095, 285, 22);
    cmdOutDir =
        place(new QPushButton(QStringLiteral("..."), client), "cmdOutDir", 7860, 360, 735, 315, 23);
    Label8 = place(label(client, "OutDir"), "Label8", 0, 420, 615, 255, 21);
    txtExtractCmd =
        place(templateBox(client, Template::Extract), "txtExtractCmd", 1020, 720, 8775, 315, 4);
    Command2 = place(new QPushButton(QStringLiteral("Extract Audio"), client), "Command2", 10020,
                     720, 1215, 375, 7);
    Label2 = place(label(client, "Extract Cmd"), "Label2", 0, 780, 915, 255, 3);
    Label7 = place(label(client, "Parts"), "Label7", 11940, 840, 1095, 255, 17);
    lblrefresh = place(link(client, "refresh"), "lblrefresh", 12420, 840, 555, 255, 19);
    lblOpenParts = place(link(client, "open"), "lblOpenParts", 12420, 1080, 855, 255, 20);
    txtSplit = place(templateBox(client, Template::Split), "txtSplit", 1020, 1200, 8775, 375, 6);
    Command3 = place(new QPushButton(QStringLiteral("Split Audio"), client), "Command3", 9960, 1260,
                     1335, 315, 8);
    Label3 = place(label(client, "split cmd"), "Label3", 60, 1320, 735, 315, 5);
    lblDelOutput = place(link(client, "del output*"), "lblDelOutput", 12420, 1320, 855, 255, 24);
    File1 = place(new FileListBox(client), "File1", 11880, 1560, 1575, 2235, 18);
    txtPy = place(new QLineEdit(client), "txtPy", 2280, 1680, 7515, 315, 25);
    cmdConvert = place(new QPushButton(QStringLiteral("AI Convert"), client), "cmdConvert", 9960,
                       1680, 1275, 375, 26);
    Label4 =
        place(label(client, "ai translate audio python path:"), "Label4", 60, 1740, 2535, 255, 9);
    Command4 = place(new QPushButton(QStringLiteral("Rejoin Audio"), client), "Command4", 9900,
                     2280, 1455, 315, 14);
    txtConcat =
        place(templateBox(client, Template::Concat), "txtConcat", 1080, 2340, 8655, 315, 11);
    Label5 = place(label(client, "rejoin cmd"), "Label5", 60, 2400, 855, 255, 10);
    Command5 = place(new QPushButton(QStringLiteral("Reintegrate"), client), "Command5", 9960, 2880,
                     1455, 435, 15);
    txtIntegrate =
        place(templateBox(client, Template::Integrate), "txtIntegrate", 1140, 2940, 8595, 315, 13);
    Label6 = place(label(client, "reintegrate"), "Label6", 60, 3060, 915, 255, 12);
    txtOut = place(new QPlainTextEdit(client), "txtOut", 120, 3540, 9735, 4635, 16);
    Label9 = place(label(client, "Ai Conversion Progress"), "Label9", 10020, 3900, 1695, 255, 28);
    lstAI = place(new QListWidget(client), "lstAI", 9900, 4140, 3735, 1815, 27);
    Command1 = place(new QPushButton(QStringLiteral("Full Auto"), client), "Command1", 10020, 6120,
                     1155, 195, 31);
    listAuto = place(new QListWidget(client), "listAuto", 9960, 6360, 3735, 1815, 32);
    // Beside Full Auto: what the output holds.
    chkKeepOriginal = place(new QCheckBox(QStringLiteral("Keep original voice"), client),
                            "chkKeepOriginal", 11310, 6090, 2340, 255, 37);
    chkKeepOriginal->setToolTip(
        QStringLiteral("Keep the original voice as a second track: after the new voice, not "
                       "the default one, titled \"Original voice\"."));

    // Labels lie beneath the other controls where they overlap, as on the drawn form.
    for (QLabel* l : {Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9,
                      Label10, lblPieces})
        l->lower();

    txtInput->setAcceptDrops(true);
    txtOutDir->setAcceptDrops(true);
    txtOut->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtOut->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtOut->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Combo1->setEditable(false);
    for (QPushButton* button : {cmdBrowse, cmdOutDir, Command2, Command3, cmdConvert, Command4,
                                Command5, Command1, cmdPreview, cmdVoiceSettings})
        button->setAutoDefault(false);

    // The status bar below the form: notes, and the Stop button while something runs.
    cmdStop = new QPushButton(QMainWindow::tr("Stop"), window);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setEnabled(false);
    cmdStop->setFocusPolicy(Qt::NoFocus);
    runStatus = new RunStatus(window);
    window->statusBar()->addPermanentWidget(runStatus);
    window->statusBar()->addPermanentWidget(cmdStop);
    window->statusBar()->setSizeGripEnabled(false);

    mnuTools = window->menuBar()->addMenu(QStringLiteral("Tools"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));
    mnuConvertWMV = mnuTools->addAction(QStringLiteral("Convert wmv to mp4"));
    mnuConvertWMV->setObjectName(QStringLiteral("mnuConvertWMV"));
    mnuSetApiKey = mnuTools->addAction(QStringLiteral("Set elevenlabs_api_key env var"));
    mnuSetApiKey->setObjectName(QStringLiteral("mnuSetApiKey"));
    mnuVoiceSamples = mnuTools->addAction(QStringLiteral("Voice Samples"));
    mnuVoiceSamples->setObjectName(QStringLiteral("mnuVoiceSamples"));
    mnuVoiceSettings = mnuTools->addAction(QStringLiteral("Voice Settings..."));
    mnuVoiceSettings->setObjectName(QStringLiteral("mnuVoiceSettings"));
    mnuPreview = mnuTools->addAction(QStringLiteral("Preview..."));
    mnuPreview->setObjectName(QStringLiteral("mnuPreview"));
    mnuQueue = mnuTools->addAction(QStringLiteral("Queue..."));
    mnuQueue->setObjectName(QStringLiteral("mnuQueue"));

    // Rising tab index over the controls that take the focus; labels never do.
    const QList<QWidget*> order = {
        txtInput,   cmdBrowse,        txtExtractCmd, txtSplit,   Command2, Command3,
        txtConcat,  txtIntegrate,     Command4,      Command5,   txtOut,   File1,
        txtOutDir,  cmdOutDir,        txtPy,         cmdConvert, lstAI,    Combo1,
        cmdPreview, cmdVoiceSettings, Command1,      listAuto,   spnPieces};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    txtInput->setFocus();
}
