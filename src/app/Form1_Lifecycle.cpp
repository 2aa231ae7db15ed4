// Start-up and shutdown.
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "app/StepsPanel.h"
#include "app/VoicePanel.h"
#include "core/MacroHelp.h"
#include "core/Voices.h"
#include "pipeline/AccountVoices.h"
#include "platform/Platform.h"
#include "platform/UserEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSpinBox>

#include <algorithm>

Form1::LoadResult Form1::Form_Load() {
    ffmpegPath = m_work.ffmpeg();
    const LoadResult checked = m_startup.check();
    if (checked != LoadResult::Ready) {
        if (checked != LoadResult::NoFfmpeg) // that one is said on the command line
            msgBox(m_startup.message(checked));
        return checked;
    }

    setWindowTitle(tr("exe ok: %1").arg(ffmpegPath));
    tellScriptsAbout(m_work);
    // A key stored by an earlier run reaches the conversion script without a new login.
    adoptUserEnvironment(QLatin1String(kApiKeyVariable));

    if (!m_paths.FolderExists(m_work.parts()))
        m_paths.CreateFolder(m_work.parts());
    m_ui.txtOutDir->setText(m_settings.outputFolder());
    m_ui.steps->setMacroHelp(m_work.installed() ? macroHelpText(m_work.root(), ffmpegPath)
                                                : macroHelpText());
    // Folded for a new user; as the user left it, and open for one who edits a template.
    m_ui.steps->setOpen(m_settings.commandsOpen());
    if (!restoreGeometry(m_settings.windowGeometry()))
        resize(firstSize());
    m_ui.txtPy->setText(findPythonInterpreter());
    m_ui.Combo1->addItems(voiceRows());
    m_ui.Combo1->setCurrentIndex(m_settings.voiceIndex(m_ui.Combo1->count(), kDefaultVoiceIndex));
    // The parts name their voices by the list's names.
    m_ui.File1->setPath(m_work.parts());
    m_storedVoiceId = m_settings.voiceId();
    m_ui.spnPieces->setValue(m_settings.piecesAtOnce());
    m_ui.chkKeepBackground->setChecked(m_settings.keepBackground());
    m_ui.voice->chkSpeakers->setChecked(m_settings.findSpeakers());
    m_ui.voice->spnMaxSpeakers->setValue(m_settings.maxSpeakers());
    m_ui.chkKeepOriginal->setChecked(m_settings.keepOriginal());
    m_ui.cboSeparation->setCurrentIndex(
        std::max(0, m_ui.cboSeparation->findData(m_settings.separation())));
    m_loaded = true;
    loadAccountVoices();
    loadQueue();
    return LoadResult::Ready;
}

// At the first start: room for everything with the steps open, within the screen.
QSize Form1::firstSize() const {
    QSize size = sizeHint().expandedTo(
        QSize(fontMetrics().averageCharWidth() * 180, fontMetrics().lineSpacing() * 40));
    if (const QScreen* where = screen())
        size = size.boundedTo(where->availableGeometry().size() * 0.95);
    return size;
}

void Form1::loadAccountVoices() {
    // Without a key there is no account to ask; the fixed voices are all there is.
    if (qEnvironmentVariable(kApiKeyVariable).trimmed().isEmpty() ||
        !m_paths.FileExists(m_ui.txtPy->text()))
        return;
    auto* voices = new AccountVoices(m_ui.txtPy->text(), m_work.script(), this);
    connect(voices, &Job::finished, this, [this, voices](const JobOutcome& outcome) {
        voices->deleteLater();
        if (!outcome.isDone())
            return; // no network, no permission: silently the fixed voices only
        const int fixed = m_ui.Combo1->count();
        m_ui.Combo1->addItems(voices->rows());
        m_ui.File1->refresh(); // a piece in an account's voice now has its name
        // A voice of the account chosen in an earlier session, unless another was chosen since.
        if (m_ui.Combo1->currentIndex() >= 0 || m_storedVoiceId.isEmpty())
            return;
        for (int i = fixed; i < m_ui.Combo1->count(); ++i) {
            if (voiceIdFromRow(m_ui.Combo1->itemText(i)) == m_storedVoiceId)
                m_ui.Combo1->setCurrentIndex(i);
        }
    });
    voices->start();
}

void Form1::Form_Unload() {
    m_settings.setVoiceIndex(m_ui.Combo1->currentIndex());
    m_settings.setVoiceId(voiceIdFromRow(m_ui.Combo1->currentText()));
    m_settings.setPiecesAtOnce(m_ui.spnPieces->value());
    m_settings.setKeepBackground(m_ui.chkKeepBackground->isChecked());
    m_settings.setFindSpeakers(m_ui.voice->chkSpeakers->isChecked());
    m_settings.setMaxSpeakers(m_ui.voice->spnMaxSpeakers->value());
    m_settings.setKeepOriginal(m_ui.chkKeepOriginal->isChecked());
    m_settings.setSeparation(m_ui.cboSeparation->currentData().toString());
    m_settings.setCommandsOpen(m_ui.steps->isOpen());
    m_settings.setWindowGeometry(saveGeometry());
    if (!m_ui.txtOutDir->text().isEmpty())
        m_settings.setOutputFolder(m_ui.txtOutDir->text());
    m_settings.sync();

    if (m_paths.FileExists(m_work.joined()))
        m_paths.DeleteFile(m_work.joined());
    for (const QString& path : m_paths.ListFiles(m_work.parts(), QStringLiteral("*")))
        m_paths.DeleteFile(path);
    m_loaded = false;
    m_startup.release();
}
