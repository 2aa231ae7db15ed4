// The parts folder panel: refresh, open and "del output*".
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "app/ProgressPanel.h"
#include "platform/Platform.h"

void Form1::lblrefresh_Click() {
    m_ui.File1->refresh();
}

void Form1::lblOpenParts_Click() {
    m_launcher->openFolder(m_work.parts());
}

void Form1::cmdPlay_Click() {
    if (!m_ui.progress->result().isEmpty())
        m_launcher->openFile(m_ui.progress->result());
}

void Form1::cmdOpenFolder_Click() {
    if (!m_ui.progress->result().isEmpty())
        m_launcher->openFolder(m_paths.ParentFolder(m_ui.progress->result()));
}

void Form1::lblDelOutput_Click() {
    // A running step may be reading these very files.
    if (!idle())
        return;
    for (const QString& path : m_paths.ListFiles(m_work.parts(), QStringLiteral("output*")))
        m_paths.DeleteFile(path); // a file that cannot go is skipped
    m_ui.File1->refresh();
}
