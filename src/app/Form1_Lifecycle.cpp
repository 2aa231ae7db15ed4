// Start-up and shutdown.
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "core/MacroHelp.h"
#include "core/TextList.h"
#include "core/Voices.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/UserEnvironment.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QSettings>

namespace {
const QString kOutDirKey = QStringLiteral("outdir");
const QString kComboIndexKey = QStringLiteral("comboindex");
} // namespace

Form1::LoadResult Form1::Form_Load() {
    ffmpegPath = m_work.ffmpeg();
    if (!m_paths.FileExists(ffmpegPath))
        return LoadResult::NoFfmpeg;

    // Every step writes into the working folder; without write access each would fail later
    // with an unrelated ffmpeg error.
    if (!m_paths.FolderIsWritable(m_work.root())) {
        msgBox(tr("voxsplice cannot write to its folder:\n%1\n\nIt keeps its working files next "
                  "to the program. Put the program folder somewhere you can write to, for "
                  "instance in your home folder, and start it from there.")
                   .arg(m_work.root()));
        return LoadResult::FolderNotWritable;
    }

    // Two copies on one folder would delete each other's working files.
    m_folderLock = std::make_unique<QLockFile>(m_work.file(QStringLiteral(".voxsplice.lock")));
    if (!m_folderLock->tryLock(0)) {
        m_folderLock.reset();
        msgBox(tr("voxsplice is already running from this folder:\n%1\n\nBoth would use the same "
                  "working files. Use the window that is open, or close it first.")
                   .arg(m_work.root()));
        return LoadResult::AlreadyRunning;
    }

    setWindowTitle(QStringLiteral("exe ok: ") + ffmpegPath);
    // A key stored by an earlier run reaches the conversion script without a new login.
    adoptUserEnvironment(QLatin1String(kApiKeyVariable));

    if (!m_paths.FolderExists(m_work.parts()))
        m_paths.CreateFolder(m_work.parts());
    File1->setPath(m_work.parts());

    m_settings->beginGroup(QLatin1String(kSettingsGroup));
    txtOutDir->setText(m_settings->value(kOutDirKey, QString()).toString());
    const QString storedIndex =
        m_settings->value(kComboIndexKey, QString::number(kDefaultVoiceIndex)).toString();
    m_settings->endGroup();

    txtOut->setPlainText(macroHelpText());
    txtPy->setText(findPythonInterpreter(m_runner));

    Combo1->addItems(voiceRows());
    Combo1->setCurrentIndex(-1);

    // A stored text that is no number selects the first row; a number out of range selects none.
    bool isNumber = false;
    int index = storedIndex.trimmed().toInt(&isNumber);
    if (!isNumber)
        index = 0;
    Combo1->setCurrentIndex(index >= 0 && index < Combo1->count() ? index : -1);

    m_loaded = true;
    return LoadResult::Ready;
}

void Form1::Form_Unload() {
    m_settings->beginGroup(QLatin1String(kSettingsGroup));
    m_settings->setValue(kComboIndexKey, QString::number(Combo1->currentIndex()));
    if (!txtOutDir->text().isEmpty())
        m_settings->setValue(kOutDirKey, txtOutDir->text());
    m_settings->endGroup();
    m_settings->sync();

    if (m_paths.FileExists(m_work.joined()))
        m_paths.DeleteFile(m_work.joined());
    const QStringList parts = m_paths.ListFiles(m_work.parts(), QStringLiteral("*"), true, false);
    if (!AryIsEmpty(parts)) {
        for (const QString& path : parts)
            m_paths.DeleteFile(path);
    }
    m_loaded = false;
    m_folderLock.reset();
}
