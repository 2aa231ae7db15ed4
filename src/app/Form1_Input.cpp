// Choosing the input video and the output folder.
#include "app/DropLineEdit.h"
#include "app/Form1.h"
#include "app/VoicePanel.h"

#include <QCheckBox>
#include <QDir>

// One video becomes the input; several go to the queue.
void Form1::cmdBrowse_Click() {
    m_dialogs->OpenFiles(QString(), tr("Open File"), [this](const QStringList& files) {
        if (files.isEmpty())
            return;
        if (files.size() > 1) {
            queueVideos(files);
            return;
        }
        m_ui.txtInput->setText(files.first());
        if (m_ui.txtOutDir->text().isEmpty())
            m_ui.txtOutDir->setText(m_paths.ParentFolder(m_ui.txtInput->text()));
    });
}

void Form1::cmdOutDir_Click() {
    const QString start = m_ui.txtOutDir->text().isEmpty()
                              ? m_paths.ParentFolder(m_ui.txtInput->text())
                              : m_ui.txtOutDir->text();
    m_dialogs->PickFolder(start, [this](const QString& folder) {
        if (!folder.isEmpty())
            m_ui.txtOutDir->setText(folder);
    });
}

// One file becomes the input; several, or a folder, go to the queue.
void Form1::txtInput_OLEDragDrop(const QStringList& paths) {
    if (paths.size() == 1 && !m_paths.FolderExists(paths.first()))
        m_ui.txtInput->setText(paths.first());
    else if (!paths.isEmpty())
        queueVideos(paths);
}

void Form1::txtOutDir_OLEDragDrop(const QStringList& paths) {
    if (!paths.isEmpty())
        m_ui.txtOutDir->setText(paths.first());
}

// The speakers of the video from subtitles with voice tags (<v Host>...): no speech to text, and
// the offline voice can give them voices too.
void Form1::mnuSpeakersFrom_Click() {
    m_dialogs->OpenFile(
        QString(), tr("Speakers from subtitles (WebVTT)"), [this](const QString& file) {
            if (file.isEmpty())
                return;
            m_speakersFrom = file;
            m_speakersFor = m_ui.txtInput->text();
            m_ui.voice->chkSpeakers->setChecked(true);
            setToolOutput(tr("The speakers come from %1").arg(QDir::toNativeSeparators(file)));
        });
}
