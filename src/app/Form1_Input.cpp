// Choosing the input video and the output folder.
#include "app/DropLineEdit.h"
#include "app/Form1.h"

void Form1::cmdBrowse_Click() {
    m_dialogs->OpenFile(QString(), QStringLiteral("Open File"), [this](const QString& file) {
        if (file.isEmpty())
            return;
        m_ui.txtInput->setText(file);
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

void Form1::txtInput_OLEDragDrop(const QStringList& paths) {
    if (!paths.isEmpty())
        m_ui.txtInput->setText(paths.first());
}

void Form1::txtOutDir_OLEDragDrop(const QStringList& paths) {
    if (!paths.isEmpty())
        m_ui.txtOutDir->setText(paths.first());
}
