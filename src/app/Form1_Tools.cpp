// The Tools menu: converting a video to MP4, storing the API key, the voice samples, the
// voice's settings and its preview on the input.
#include "app/DropLineEdit.h"
#include "app/Form1.h"
#include "app/PreviewDialog.h"
#include "app/VoiceSamplesDialog.h"
#include "app/VoiceSettingsDialog.h"
#include "pipeline/Steps.h"
#include "pipeline/VoicePreviews.h"
#include "platform/Platform.h"
#include "platform/UserEnvironment.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStandardPaths>

void Form1::mnuConvertWMV_Click() {
    if (!idle())
        return;
    // The questions come first; the run starts once both are answered.
    m_dialogs->OpenFile(QString(), tr("Open File"), [this](const QString& input) {
        if (input.isEmpty())
            return;
        m_dialogs->SaveFile(
            m_paths.BaseName(input) + QStringLiteral(".mp4"), m_paths.ParentFolder(input),
            tr("Save File"), [this, input](const QString& output) {
                if (output.isEmpty() || !idle())
                    return;
                auto* job = new Mp4Conversion(stepContext(), input, output);
                connect(job, &Mp4Conversion::converted, m_ui.txtInput, &QLineEdit::setText);
                startJob(tr("Converting to MP4"), job);
            });
    });
}

void Form1::mnuSetApiKey_Click() {
    m_dialogs->AskSecret(tr("Paste in your elevenlabs api key"), [this](const QString& key) {
        if (key.isEmpty())
            return;
        QString error;
        if (!SetEnvVar(QLatin1String(kApiKeyVariable), key, true, &error))
            msgBox(tr("The key is set for this session, but it could not be kept for the next "
                      "ones.\n\n%1")
                       .arg(error));
    });
}

void Form1::mnuVoiceSamples_Click() {
    const QString player = m_work.programFile(executableFileName(QStringLiteral("voices")));
    qint64 process = 0;
    if (m_paths.FileExists(player))
        process = m_launcher->startProgram(player, WindowStyle::MinimizedFocus);
    if (process != 0)
        return;
    const QString samples =
        PathTools::join(m_work.programFile(QStringLiteral("voices")), QStringLiteral("samples"));
    if (m_paths.FolderExists(samples)) {
        m_launcher->openFolder(samples);
        return;
    }
    // Neither: the voices' own previews, from the voice service.
    QStringList rows;
    for (int i = 0; i < m_ui.Combo1->count(); ++i)
        rows.append(m_ui.Combo1->itemText(i));
    auto* dialog = new VoiceSamplesDialog(
        rows, m_ui.Combo1->currentIndex(),
        new VoicePreviews(m_ui.txtPy->text(), m_work.script(),
                          QStandardPaths::writableLocation(QStandardPaths::CacheLocation)),
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &VoiceSamplesDialog::voiceChosen, m_ui.Combo1, &QComboBox::setCurrentIndex);
    dialog->open();
}

// Opened beside the voice and from the Tools menu; what is kept applies to the next conversion.
void Form1::cmdVoiceSettings_Click() {
    auto* dialog = new VoiceSettingsDialog(m_settings.voiceSettings(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        m_settings.setVoiceSettings(dialog->settings());
        m_settings.sync();
    });
    dialog->open();
}

// Beside the voice and in the Tools menu: the voice on 30 s of the input, which the dialog
// starts converting at once. Each preview there takes the window's voice and settings as they
// are then.
void Form1::cmdPreview_Click() {
    if (m_preview && m_preview->isVisible()) {
        m_preview->raise();
        m_preview->activateWindow();
        return;
    }
    if (!m_paths.FileExists(m_ui.txtInput->text())) {
        msgBox(tr("no input"));
        return;
    }
    m_preview = new PreviewDialog(
        *this, [this] { return runInputs(); }, m_work, this);
    m_preview->show();
    m_preview->cmdConvert_Click();
}
