// Choosing the input video and the output folder.
#include "app/DropLineEdit.h"
#include "app/Form1.h"

void Form1::cmdBrowse_Click() {
    const QString file = m_dialogs->OpenFile(QString(), QStringLiteral("Open File"));
    if (file.isEmpty())
        return;
    txtInput->setText(file);
    if (txtOutDir->text().isEmpty())
        txtOutDir->setText(m_paths.ParentFolder(txtInput->text()));
}

void Form1::cmdOutDir_Click() {
    const QString start =
        txtOutDir->text().isEmpty() ? m_paths.ParentFolder(txtInput->text()) : txtOutDir->text();
    const QString folder = m_dialogs->PickFolder(start);
    if (!folder.isEmpty())
        txtOutDir->setText(folder);
}

void Form1::txtInput_OLEDragDrop(const QStringList& paths) {
    if (!paths.isEmpty())
        txtInput->setText(paths.first());
}

void Form1::txtOutDir_OLEDragDrop(const QStringList& paths) {
    if (!paths.isEmpty())
        txtOutDir->setText(paths.first());
}
