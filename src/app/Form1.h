#pragma once

#include "pipeline/Pipeline.h"
#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/Launcher.h"
#include "platform/PathTools.h"
#include "platform/PickerDialogs.h"
#include "platform/ToolRunner.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class DropLineEdit;
class FileListBox;
class LinkLabel;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QLockFile;
class QSettings;
class RunStatus;

// The program's one window. It owns the controls and the companion objects; every operation of
// the program is one of its handlers. The handlers stay thin: the steps live in the pipeline.
class Form1 : public QMainWindow, public StepHost {
    Q_OBJECT
public:
    // `workFolder` holds the program, ffmpeg, the script and the working files. `settings` is the
    // per-user store; it must outlive the window.
    Form1(const QString& workFolder, QSettings* settings, QWidget* parent = nullptr);
    ~Form1() override;

    enum class LoadResult { Ready, NoFfmpeg, FolderNotWritable, AlreadyRunning };

    // Start-up, before the window is first shown. Anything but Ready means: do not show the
    // window and end the program; nothing has been written or deleted then.
    LoadResult Form_Load();
    // Shutdown: saves the settings and removes the intermediate files. Run by closing the window.
    void Form_Unload();

    // Every message box of the program goes through here; tests may replace the box.
    void msgBox(const QString& text);
    void setMessageBoxHandler(std::function<void(const QString&)> handler);
    // Replaces the file and text dialogs (tests use doubles).
    void setPickerDialogs(std::unique_ptr<PickerDialogs> dialogs);
    // Replaces the sound player (tests record what would play).
    void setSoundPlayer(std::function<void(const QString&)> player);
    // Replaces how programs are started without waiting (tests record instead).
    void setLauncher(std::unique_ptr<Launcher> launcher) { m_launcher = std::move(launcher); }

    // Progress logs: a timestamped row, then the window catches up with pending events.
    void lst(const QString& message);  // lstAI
    void lst2(const QString& message); // listAuto
    void playwav(const QString& path);

    const WorkFolder& workFolder() const { return m_work; }
    ToolRunner& toolRunner() { return m_runner; }
    // True while a step, the Full Auto run or a tool is running.
    bool isRunning() const { return !m_running.isEmpty(); }

    // Event handlers, named after their control and event.
    void cmdBrowse_Click();
    void cmdOutDir_Click();
    void txtInput_OLEDragDrop(const QStringList& paths);
    void txtOutDir_OLEDragDrop(const QStringList& paths);
    void lblrefresh_Click();
    void lblOpenParts_Click();
    void lblDelOutput_Click();
    void Command2_Click();
    void Command3_Click();
    void cmdConvert_Click();
    void Command4_Click();
    void Command5_Click();
    void Command1_Click();
    void mnuConvertWMV_Click();
    void mnuSetApiKey_Click();
    void mnuVoiceSamples_Click();

    // StepHost
    QString inputPath() const override;
    QString outputFolder() const override;
    QString templateText(Template which) const override;
    QString interpreterPath() const override;
    QString voiceRow() const override;
    void setToolOutput(const QString& text) override;
    void logConversion(const QString& message) override { lst(message); }
    void addConversionRow(const QString& text) override;
    void clearConversionLog() override;
    void logAuto(const QString& message) override { lst2(message); }
    void clearAutoLog() override;
    void showMessage(const QString& text) override { msgBox(text); }
    void refreshPartsList() override;
    void playSound(const QString& path) override { playwav(path); }
    void showStage(const QString& stage) override;
    void showFraction(double fraction, const QString& detail = QString()) override;
    bool stopRequested() const override { return m_stopRequested; }

    QString ffmpegPath;

    // Controls, under their names.
    QLabel* Label1 = nullptr;
    DropLineEdit* txtInput = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLabel* Label8 = nullptr;
    DropLineEdit* txtOutDir = nullptr;
    QPushButton* cmdOutDir = nullptr;
    QLabel* Label10 = nullptr;
    QComboBox* Combo1 = nullptr;
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
    QMenu* mnuTools = nullptr;
    QAction* mnuConvertWMV = nullptr;
    QAction* mnuSetApiKey = nullptr;
    QAction* mnuVoiceSamples = nullptr;
    QPushButton* cmdStop = nullptr; // in the status bar
    RunStatus* runStatus = nullptr; // in the status bar: stage, progress, time left

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createMenu();
    void connectEvents();
    void applyTabOrder();

    // The one place that knows whether something runs. `beginRun` refuses (with a note in the
    // status bar) while something else runs; every begin is paired with `endRun`.
    bool beginRun(const QString& what);
    void endRun();

public:
    // Ends the running step or run, as the Stop button does.
    void stopRun();

private:
    // Runs `work` as the one thing running, unless something else runs already.
    void runExclusive(const QString& what, const std::function<void()>& work);

    QSettings* m_settings;
    WorkFolder m_work;
    PathTools m_paths;
    ToolRunner m_runner;
    std::unique_ptr<PickerDialogs> m_dialogs;
    Pipeline m_pipeline;
    std::function<void(const QString&)> m_messageBox;
    std::function<void(const QString&)> m_soundPlayer;
    std::unique_ptr<Launcher> m_launcher = std::make_unique<Launcher>();
    QString m_running;
    // What the running step or run works on, taken from the boxes when it began: editing them
    // meanwhile must not mix two videos or two folders in one run.
    struct RunInputs {
        QString input, outputFolder, interpreter, voice;
        QString templates[4];
    } m_runInputs;
    std::unique_ptr<QLockFile> m_folderLock;
    bool m_loaded = false;
    bool m_closeAfterRun = false;
    bool m_stopRequested = false;
};
