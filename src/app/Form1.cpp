#include "app/Form1.h"

#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/LinkLabel.h"
#include "app/RunStatus.h"
#include "core/LogLine.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLockFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTime>

Form1::Form1(const QString& workFolder, QSettings* settings, QWidget* parent)
    : QMainWindow(parent)
    , m_settings(settings)
    , m_work(workFolder)
    , m_dialogs(std::make_unique<PickerDialogs>(this))
    , m_pipeline(*this, m_runner, m_work) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    createControls();
    createMenu();
    connectEvents();
    applyTabOrder();
}

Form1::~Form1() = default;

void Form1::connectEvents() {
    connect(cmdBrowse, &QPushButton::clicked, this, &Form1::cmdBrowse_Click);
    connect(cmdOutDir, &QPushButton::clicked, this, &Form1::cmdOutDir_Click);
    connect(txtInput, &DropLineEdit::filesDropped, this, &Form1::txtInput_OLEDragDrop);
    connect(txtOutDir, &DropLineEdit::filesDropped, this, &Form1::txtOutDir_OLEDragDrop);
    connect(lblrefresh, &LinkLabel::clicked, this, &Form1::lblrefresh_Click);
    connect(lblOpenParts, &LinkLabel::clicked, this, &Form1::lblOpenParts_Click);
    connect(lblDelOutput, &LinkLabel::clicked, this, &Form1::lblDelOutput_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(cmdConvert, &QPushButton::clicked, this, &Form1::cmdConvert_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(mnuConvertWMV, &QAction::triggered, this, &Form1::mnuConvertWMV_Click);
    connect(mnuSetApiKey, &QAction::triggered, this, &Form1::mnuSetApiKey_Click);
    connect(mnuVoiceSamples, &QAction::triggered, this, &Form1::mnuVoiceSamples_Click);
    connect(cmdStop, &QPushButton::clicked, this, &Form1::stopRun);
    connect(&m_runner, &ToolRunner::started, runStatus, &RunStatus::toolStarted);
    connect(&m_runner, &ToolRunner::outputReceived, runStatus, &RunStatus::toolOutput);
}

void Form1::msgBox(const QString& text) {
    if (m_messageBox) {
        m_messageBox(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    this);
    box.exec();
}

void Form1::setMessageBoxHandler(std::function<void(const QString&)> handler) {
    m_messageBox = std::move(handler);
}

void Form1::setPickerDialogs(std::unique_ptr<PickerDialogs> dialogs) {
    m_dialogs = std::move(dialogs);
}

void Form1::setSoundPlayer(std::function<void(const QString&)> player) {
    m_soundPlayer = std::move(player);
}

void Form1::lst(const QString& message) {
    lstAI->addItem(logLine(QTime::currentTime(), message));
    lstAI->repaint();
    QCoreApplication::processEvents();
}

void Form1::lst2(const QString& message) {
    listAuto->addItem(logLine(QTime::currentTime(), message));
    listAuto->repaint();
    QCoreApplication::processEvents();
}

void Form1::playwav(const QString& path) {
    if (m_soundPlayer)
        m_soundPlayer(path);
    else
        playWave(path);
}

// --- what the steps see of the window ---

QString Form1::inputPath() const {
    return isRunning() ? m_runInputs.input : txtInput->text();
}

QString Form1::outputFolder() const {
    return isRunning() ? m_runInputs.outputFolder : txtOutDir->text();
}

QString Form1::templateText(Template which) const {
    if (isRunning())
        return m_runInputs.templates[static_cast<int>(which)];
    switch (which) {
    case Template::Extract:
        return txtExtractCmd->text();
    case Template::Split:
        return txtSplit->text();
    case Template::Concat:
        return txtConcat->text();
    case Template::Integrate:
        return txtIntegrate->text();
    }
    return {};
}

QString Form1::interpreterPath() const {
    return isRunning() ? m_runInputs.interpreter : txtPy->text();
}

QString Form1::voiceRow() const {
    return isRunning() ? m_runInputs.voice : Combo1->currentText();
}

void Form1::setToolOutput(const QString& text) {
    txtOut->setPlainText(text);
}

void Form1::addConversionRow(const QString& text) {
    lstAI->addItem(text);
}

void Form1::clearConversionLog() {
    lstAI->clear();
}

void Form1::clearAutoLog() {
    listAuto->clear();
}

void Form1::refreshPartsList() {
    File1->refresh();
}

// --- one thing at a time ---

bool Form1::beginRun(const QString& what) {
    if (isRunning()) {
        statusBar()->showMessage(
            tr("%1 is still running. Wait for it to finish, or press Stop.").arg(m_running), 6000);
        return false;
    }
    // Taken before the run counts as running, so the getters still read the boxes here.
    m_runInputs = {inputPath(),
                   outputFolder(),
                   interpreterPath(),
                   voiceRow(),
                   {templateText(Template::Extract), templateText(Template::Split),
                    templateText(Template::Concat), templateText(Template::Integrate)}};
    m_running = what;
    m_stopRequested = false;
    cmdStop->setEnabled(true);
    statusBar()->clearMessage();
    runStatus->setStage(what);
    return true;
}

void Form1::endRun() {
    m_running.clear();
    cmdStop->setEnabled(false);
    runStatus->clear();
    if (m_stopRequested)
        statusBar()->showMessage(tr("Stopped"), 6000);
    if (m_closeAfterRun)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void Form1::stopRun() {
    if (!isRunning())
        return;
    m_stopRequested = true;
    runStatus->setFraction(0, tr("Stopping…"));
    m_runner.stop();
}

void Form1::showStage(const QString& stage) {
    runStatus->setStage(stage);
}

void Form1::showFraction(double fraction, const QString& detail) {
    runStatus->setFraction(fraction, detail);
}

void Form1::runExclusive(const QString& what, const std::function<void()>& work) {
    if (!beginRun(what))
        return;
    work();
    endRun();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (isRunning()) {
        // Stop the child first; the window closes once the run has unwound.
        m_closeAfterRun = true;
        stopRun();
        event->ignore();
        return;
    }
    if (m_loaded)
        Form_Unload();
    event->accept();
}
