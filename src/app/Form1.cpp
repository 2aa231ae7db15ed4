#include "app/Form1.h"
#include "app/QueueHost.h"
#include "app/SpeakersPanel.h"
#include "app/VoicePanel.h"

#include "app/CostDialog.h"
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/LinkLabel.h"
#include "app/PartsPanel.h"
#include "app/ProgressPanel.h"
#include "app/RunStatus.h"
#include "app/Sound.h"
#include "app/StepsPanel.h"
#include "core/LogLine.h"
#include "core/Voices.h"
#include "pipeline/Steps.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTime>

#include <utility>

Form1::Form1(const WorkFolder& workFolder, QSettings* settings, QWidget* parent)
    : QMainWindow(parent)
    , m_settings(*settings)
    , m_work(workFolder)
    , m_startup(m_work)
    , m_dialogs(std::make_unique<PickerDialogs>(this)) {
    m_ui.setupUi(this);
    connectEvents();
    // The parts list names the voices of the window's list.
    m_ui.File1->setVoiceNames([this](const QString& id) {
        for (int i = 0; i < m_ui.Combo1->count(); ++i)
            if (voiceIdFromRow(m_ui.Combo1->itemText(i)) == id)
                return voiceNameFromRow(m_ui.Combo1->itemText(i));
        return QString();
    });
}

Form1::~Form1() = default;

void Form1::connectEvents() {
    connect(m_ui.cmdBrowse, &QPushButton::clicked, this, &Form1::cmdBrowse_Click);
    connect(m_ui.cmdOutDir, &QPushButton::clicked, this, &Form1::cmdOutDir_Click);
    connect(m_ui.txtInput, &DropLineEdit::filesDropped, this, &Form1::txtInput_OLEDragDrop);
    connect(m_ui.txtOutDir, &DropLineEdit::filesDropped, this, &Form1::txtOutDir_OLEDragDrop);
    connect(m_ui.lblrefresh, &LinkLabel::clicked, this, &Form1::lblrefresh_Click);
    connect(m_ui.lblOpenParts, &LinkLabel::clicked, this, &Form1::lblOpenParts_Click);
    connect(m_ui.lblDelOutput, &LinkLabel::clicked, this, &Form1::lblDelOutput_Click);
    connect(m_ui.File1, &QListWidget::itemSelectionChanged, this, &Form1::File1_Click);
    connect(m_ui.parts->cmdRedoPiece, &QPushButton::clicked, this, &Form1::cmdRedoPiece_Click);
    connect(m_ui.parts->cmdEarlierTake, &QPushButton::clicked, this, &Form1::cmdEarlierTake_Click);
    connect(m_ui.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(m_ui.Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(m_ui.cmdConvert, &QPushButton::clicked, this, &Form1::cmdConvert_Click);
    connect(m_ui.Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(m_ui.Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(m_ui.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_ui.mnuConvertWMV, &QAction::triggered, this, &Form1::mnuConvertWMV_Click);
    connect(m_ui.mnuSetApiKey, &QAction::triggered, this, &Form1::mnuSetApiKey_Click);
    connect(m_ui.mnuVoiceSamples, &QAction::triggered, this, &Form1::mnuVoiceSamples_Click);
    connect(m_ui.cmdVoiceSettings, &QPushButton::clicked, this, &Form1::cmdVoiceSettings_Click);
    connect(m_ui.mnuVoiceSettings, &QAction::triggered, this, &Form1::cmdVoiceSettings_Click);
    connect(m_ui.cmdPreview, &QPushButton::clicked, this, &Form1::cmdPreview_Click);
    connect(m_ui.mnuPreview, &QAction::triggered, this, &Form1::cmdPreview_Click);
    connect(m_ui.mnuQueue, &QAction::triggered, this, &Form1::mnuQueue_Click);
    connect(m_ui.mnuSpeakersFrom, &QAction::triggered, this, &Form1::mnuSpeakersFrom_Click);
    connect(m_ui.speakers->cmdGiveTurn, &QPushButton::clicked, this, &Form1::cmdGiveTurn_Click);
    connect(m_ui.speakers, &SpeakersPanel::nameEdited, this, &Form1::speakers_NameEdited);
    connect(m_ui.speakers, &SpeakersPanel::voiceChosen, this, &Form1::speakers_VoiceChosen);
    connect(m_ui.speakers, &SpeakersPanel::playClicked, this, &Form1::speakers_PlayClicked);
    connect(m_ui.cmdStop, &QPushButton::clicked, this, &Form1::cmdStop_Click);
    connect(m_ui.cmdPlay, &QPushButton::clicked, this, &Form1::cmdPlay_Click);
    connect(m_ui.cmdOpenFolder, &QPushButton::clicked, this, &Form1::cmdOpenFolder_Click);
    // One who edits a template wants the group open next time too.
    for (QLineEdit* box : {m_ui.txtExtractCmd, m_ui.txtSplit, m_ui.txtConcat, m_ui.txtIntegrate})
        connect(box, &QLineEdit::textEdited, this, [this] { m_ui.steps->setOpen(true); });
    connect(&m_runs, &RunControl::started, this, &Form1::runStarted);
    connect(&m_runs, &RunControl::ended, this, &Form1::runEnded);
}

void Form1::msgBox(const QString& text) {
    if (m_messageBox) {
        m_messageBox(text);
        return;
    }
    // Window-modal and without waiting: the run that asked for it goes on ending meanwhile.
    auto* box = new QMessageBox(QMessageBox::NoIcon, QCoreApplication::applicationName(), text,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Form1::setMessageBoxHandler(std::function<void(const QString&)> handler) {
    m_messageBox = std::move(handler);
}

void Form1::setQuestionHandler(std::function<bool(const QString&)> handler) {
    m_question = std::move(handler);
}

void Form1::ask(const QString& question, std::function<void(bool)> answer) {
    if (m_question) {
        answer(m_question(question));
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Question, QCoreApplication::applicationName(),
                                question, QMessageBox::Yes | QMessageBox::No, this);
    box->setDefaultButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this,
            [box, answer] { answer(box->clickedButton() == box->button(QMessageBox::Yes)); });
    box->open();
}

// Runs under the user's threshold go without the question.
void Form1::askCost(const QStringList& lines, qint64 credits, std::function<void(bool)> answer) {
    if (const auto above = m_settings.askAboveCredits(); above && credits < *above) {
        answer(true);
        return;
    }
    if (m_question) {
        answer(m_question(lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
                          tr("Convert (about %1 credits)?").arg(QLocale().toString(credits))));
        return;
    }
    auto* dialog = new CostDialog(lines, credits, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this, dialog, answer](int result) {
        if (result == QDialog::Accepted && dialog->askAbove())
            m_settings.setAskAboveCredits(dialog->askAbove());
        answer(result == QDialog::Accepted);
    });
    dialog->open();
}

void Form1::setPickerDialogs(std::unique_ptr<PickerDialogs> dialogs) {
    m_dialogs = std::move(dialogs);
}

void Form1::setSoundPlayer(std::function<void(const QString&)> player) {
    m_soundPlayer = std::move(player);
}

void Form1::lst(const QString& message) {
    m_ui.lstAI->addItem(logLine(QTime::currentTime(), message));
    m_ui.lstAI->scrollToBottom();
}

void Form1::lst2(const QString& message) {
    m_ui.listAuto->addItem(logLine(QTime::currentTime(), message));
    m_ui.listAuto->scrollToBottom();
}

void Form1::playwav(const QString& path) {
    if (m_soundPlayer)
        m_soundPlayer(path);
    else
        playWave(path);
}

// --- what the steps see of the window ---

RunInputs Form1::runInputs() const {
    RunInputs inputs{m_ui.txtInput->text(),
                     m_ui.txtOutDir->text(),
                     m_ui.txtPy->text(),
                     m_ui.Combo1->currentText(),
                     {m_ui.txtExtractCmd->text(), m_ui.txtSplit->text(), m_ui.txtConcat->text(),
                      m_ui.txtIntegrate->text()},
                     m_ui.spnPieces->value(),
                     QStandardPaths::writableLocation(QStandardPaths::CacheLocation),
                     m_settings.cacheLimitMb(),
                     m_settings.pieceSeconds(),
                     m_ui.chkKeepBackground->isChecked(),
                     m_ui.cboSeparation->currentData().toString(),
                     m_ui.chkKeepOriginal->isChecked(),
                     m_settings.voiceSettings()};
    inputs.findSpeakers = m_ui.voice->chkSpeakers->isChecked();
    inputs.maxSpeakers = m_ui.voice->spnMaxSpeakers->value();
    // Subtitles belong to the video they were loaded for (or to any, loaded before one was).
    if (inputs.findSpeakers && (m_speakersFor.isEmpty() || m_speakersFor == inputs.input))
        inputs.speakersFrom = m_speakersFrom;
    return inputs;
}

StepContext Form1::stepContext() const {
    return {const_cast<Form1&>(*this), m_work, runInputs()};
}

void Form1::setToolOutput(const QString& text) {
    m_ui.txtOut->setPlainText(text);
}

void Form1::log(Log which, const QString& message) {
    which == Log::Conversion ? lst(message) : lst2(message);
}

void Form1::addConversionRow(const QString& text) {
    m_ui.lstAI->addItem(text);
    m_ui.lstAI->scrollToBottom();
}

void Form1::clearLog(Log which) {
    (which == Log::Conversion ? m_ui.lstAI : m_ui.listAuto)->clear();
}

void Form1::partsChanged() {
    m_ui.File1->refresh();
    refreshSpeakers();
}

void Form1::showStage(const QString& stage) {
    m_ui.runStatus->setStage(stage);
}

void Form1::showProgress(double fraction, const QString& detail) {
    m_ui.runStatus->setFraction(fraction, detail);
}

// --- one thing at a time ---

bool Form1::idle() {
    if (!isRunning())
        return true;
    statusBar()->showMessage(
        tr("%1 is still running. Wait for it to finish, or press Stop.").arg(m_runs.running()),
        6000);
    return false;
}

bool Form1::startJob(const QString& what, Step* job) {
    return m_runs.start(what, job);
}

void Form1::runStarted(const QString& what) {
    m_ui.cmdStop->setEnabled(true);
    m_ui.progress->clearResult();
    statusBar()->clearMessage();
    m_ui.runStatus->setStage(what);
}

void Form1::runEnded(const QString& what, const JobOutcome& outcome) {
    m_ui.cmdStop->setEnabled(false);
    m_ui.runStatus->clear();
    // The line that stays: where the new video is, or why the run failed.
    const QString output = std::exchange(m_newVideo, QString());
    switch (outcome.kind) {
    case JobOutcome::Kind::Done:
        statusBar()->showMessage(tr("%1: done").arg(what), 10000);
        if (!output.isEmpty())
            m_ui.progress->showResult(output);
        break;
    case JobOutcome::Kind::Failed:
        statusBar()->showMessage(tr("%1 failed: %2").arg(what, outcome.reason.section('\n', 0, 0)));
        m_ui.progress->showFailure(tr("%1 failed: %2").arg(what, outcome.reason.simplified()));
        break;
    case JobOutcome::Kind::Stopped:
        statusBar()->showMessage(tr("%1: stopped").arg(what), 10000);
        break;
    }
    if (m_closeAfterRun)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void Form1::cmdStop_Click() {
    if (!isRunning())
        return;
    if (!m_runs.isStopping()) {
        m_ui.runStatus->setDetail(tr("Stopping…"));
        m_runs.stop();
        return;
    }
    // Stopped once already: what it waits for is paid, so ending now asks first.
    const int paid = m_runs.paidPending();
    if (paid == 0) {
        m_runs.stopNow();
        return;
    }
    ask(stopNowQuestion(paid), [this](bool yes) {
        if (yes)
            m_runs.stopNow();
    });
}

void Form1::closeEvent(QCloseEvent* event) {
    if (isRunning()) {
        // Stop the run first; the window closes once it has ended.
        m_closeAfterRun = true;
        cmdStop_Click();
        event->ignore();
        return;
    }
    if (m_loaded)
        Form_Unload();
    event->accept();
}
