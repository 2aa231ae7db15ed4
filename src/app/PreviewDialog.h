#pragma once

#include "pipeline/RunInputs.h"
#include "pipeline/StepHost.h"
#include "pipeline/VoiceTrial.h"
#include "pipeline/WorkFolder.h"

#include <QDialog>
#include <QPointer>
#include <QTemporaryDir>

#include <functional>

class ABPlayer;
class QLabel;
class QLineEdit;
class QPushButton;

// "Preview": the window's voice tried on 30 s of its input before a run pays for the whole. The
// excerpt starts where the user says (empty: at the first speech); it is converted in a folder
// of its own, and the original and the new voice play at the same position. The window's
// questions and message boxes ask and tell; the rest of what the preview reports shows here.
class PreviewDialog : public QDialog, private StepHost {
    Q_OBJECT
public:
    // `window` asks the questions; `inputs` gives the window's boxes as they are when a preview
    // starts; `program` is the program's folder.
    PreviewDialog(StepHost& window, std::function<RunInputs()> inputs, const WorkFolder& program,
                  QWidget* parent = nullptr);
    ~PreviewDialog() override;

    // Closing stops a preview under way; the dialog goes once it has ended.
    void reject() override;
    // Converts the excerpt from the start in the box.
    void cmdConvert_Click();
    bool isConverting() const { return m_trial != nullptr; }
    QString status() const;
    ABPlayer* player() const { return m_player; }
    // Where the excerpt and its new voice are, while the dialog is open.
    QString folder() const { return m_folder.path(); }

    QLineEdit* txtStart = nullptr;
    QPushButton* cmdConvert = nullptr;

private:
    void trialEnded();

    // StepHost
    void showMessage(const QString& text) override { m_window.showMessage(text); }
    void ask(const QString& question, std::function<void(bool)> answer) override {
        m_window.ask(question, std::move(answer));
    }
    void setToolOutput(const QString& text) override;
    void log(Log, const QString& message) override;
    void addConversionRow(const QString&) override {}
    void clearLog(Log) override {}
    void partsChanged() override {}
    void playSound(const QString&) override {}
    void showStage(const QString& stage) override;
    void showProgress(double, const QString&) override {}

    StepHost& m_window;
    std::function<RunInputs()> m_inputs;
    WorkFolder m_program;
    QTemporaryDir m_folder;
    QPointer<VoiceTrial> m_trial;
    bool m_closing = false;
    QString m_details; // what the tool that failed said
    QLabel* m_title = nullptr;
    QLabel* m_status = nullptr;
    ABPlayer* m_player = nullptr;
};
