#pragma once

#include "app/Form1Ui.h"
#include "app/PickerDialogs.h"
#include "core/VideoQueue.h"
#include "pipeline/RedoPiece.h"
#include "pipeline/RunControl.h"
#include "pipeline/Startup.h"
#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/Launcher.h"
#include "platform/PathTools.h"
#include "platform/Settings.h"

#include <QJsonObject>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class PreviewDialog;
class BatchRun;
class QueueHost;
class QueueWindow;
struct RunInputs;
class Step;
struct StepContext;

// The program's one window: the controls, the menu and thin handlers named after their control
// and event. The work runs as jobs under a RunControl; the window only starts them and shows
// what they report.
class Form1 : public QMainWindow, private StepHost {
    Q_OBJECT
public:
    // `workFolder` holds the program, ffmpeg, the script and the working files. `settings` is the
    // per-user store; it must outlive the window.
    Form1(const WorkFolder& workFolder, QSettings* settings, QWidget* parent = nullptr);
    ~Form1() override;

    using LoadResult = Startup::Result;

    // Start-up, before the window is first shown. Anything but Ready means: do not show the
    // window and end the program; nothing has been written or deleted then.
    LoadResult Form_Load();
    // Shutdown: saves the settings and removes the intermediate files. Run by closing the window.
    void Form_Unload();

    // Every message box of the program goes through here; tests may replace the box.
    void msgBox(const QString& text);
    void setMessageBoxHandler(std::function<void(const QString&)> handler);
    // Every Yes/No question goes through here; tests may answer it themselves. The cost of a
    // run is asked through it too, as the cost lines and "Convert (about N credits)?".
    void setQuestionHandler(std::function<bool(const QString&)> handler);
    // Replace the dialogs, the sound and the start of outside programs (tests use doubles).
    void setPickerDialogs(std::unique_ptr<PickerDialogs> dialogs);
    void setSoundPlayer(std::function<void(const QString&)> player);
    void setLauncher(std::unique_ptr<Launcher> launcher) { m_launcher = std::move(launcher); }

    const Form1Ui& ui() const { return m_ui; }
    const WorkFolder& workFolder() const { return m_work; }
    RunControl& runs() { return m_runs; }
    bool isRunning() const { return m_runs.isRunning(); }
    // What a step started now would work on: the boxes as they are.
    RunInputs runInputs() const;

    QString ffmpegPath;

    // Event handlers, named after their control and event.
    void cmdBrowse_Click();
    void cmdOutDir_Click();
    void txtInput_OLEDragDrop(const QStringList& paths);
    void txtOutDir_OLEDragDrop(const QStringList& paths);
    void lblrefresh_Click();
    void lblOpenParts_Click();
    void lblDelOutput_Click();
    void File1_Click();
    void cmdRedoPiece_Click();
    void cmdEarlierTake_Click();
    void Command2_Click();
    void Command3_Click();
    void cmdConvert_Click();
    void Command4_Click();
    void Command5_Click();
    void Command1_Click();
    void mnuConvertWMV_Click();
    void mnuSetApiKey_Click();
    void mnuVoiceSamples_Click();
    void cmdVoiceSettings_Click();
    void cmdPreview_Click();
    void mnuQueue_Click();
    void mnuSpeakersFrom_Click();
    void cmdGiveTurn_Click();
    void speakers_NameEdited(int speaker, const QString& name);
    void speakers_VoiceChosen(int speaker, const QString& voice);
    void speakers_PlayClicked(int speaker);
    // Adds videos (a folder: its videos) to the queue with the settings of the moment, and
    // shows the queue.
    void queueVideos(const QStringList& paths);
    // Runs the videos of the queue left to run, unless something runs.
    void startQueue();
    const VideoQueue& queue() const { return m_queue; }
    void cmdStop_Click();
    // The line of the last run's result: its video played, its folder shown.
    void cmdPlay_Click();
    void cmdOpenFolder_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void refreshSpeakers();
    void changeSpeakers(const std::function<void(RunRecord&)>& change);
    void connectEvents();
    // Starts a step made from the boxes as they are now, unless something runs.
    template <typename T> void startStep(const QString& what);
    bool startJob(const QString& what, Step* job);
    void startRedo(RedoPieceRun::Take take, const QString& what);
    StepContext stepContext() const;
    void runStarted(const QString& what);
    void runEnded(const QString& what, const JobOutcome& outcome);
    // Says in the status bar that something runs; true when nothing does.
    bool idle();

    // The progress logs: a time-stamped row.
    void lst(const QString& message);  // lstAI
    void lst2(const QString& message); // listAuto
    void playwav(const QString& path);

    // The window's size at its first start.
    QSize firstSize() const;
    // The account's own voices, after the fixed ones, once the service has named them.
    void loadAccountVoices();

    // StepHost
    void showMessage(const QString& text) override { msgBox(text); }
    void ask(const QString& question, std::function<void(bool)> answer) override;
    void setToolOutput(const QString& text) override;
    void log(Log which, const QString& message) override;
    void addConversionRow(const QString& text) override;
    void clearLog(Log which) override;
    void partsChanged() override;
    void playSound(const QString& path) override { playwav(path); }
    void showStage(const QString& stage) override;
    void showProgress(double fraction, const QString& detail = QString()) override;
    void askCost(const QStringList& lines, qint64 credits,
                 std::function<void(bool)> answer) override;

    Form1Ui m_ui;
    UserSettings m_settings;
    WorkFolder m_work;
    Startup m_startup;
    PathTools m_paths;
    RunControl m_runs;
    std::unique_ptr<PickerDialogs> m_dialogs;
    std::function<void(const QString&)> m_messageBox;
    std::function<bool(const QString&)> m_question;
    std::function<void(const QString&)> m_soundPlayer;
    std::unique_ptr<Launcher> m_launcher = std::make_unique<Launcher>();
    QPointer<PreviewDialog> m_preview;
    VideoQueue m_queue;
    QPointer<QueueWindow> m_queueWindow;
    QPointer<BatchRun> m_queueRun;
    std::unique_ptr<QueueHost> m_queueHost; // the queue's videos reach the window through it
    QString m_queuePath;
    QJsonObject m_savedQueue; // as last written
    void saveQueue(bool running);
    void loadQueue();
    QueueWindow* showQueue();
    QString queueStatus(std::optional<double> secondsLeft) const;
    class QMediaPlayer* m_speakerSample = nullptr; // a speaker's 8 s
    QString m_speakersFrom;  // a transcript with voice tags, instead of the speech to text
    QString m_speakersFor;   // the video it was loaded for
    QString m_storedVoiceId; // chosen in an earlier session, perhaps among the account's own
    bool m_loaded = false;
    bool m_closeAfterRun = false;
    QString m_newVideo; // what the running Full Auto or Reintegrate made
};
