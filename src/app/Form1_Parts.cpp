// The parts folder panel: refresh, open and "del output*".
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "core/TextList.h"
#include "platform/Platform.h"

void Form1::lblrefresh_Click() {
    File1->refresh();
}

void Form1::lblOpenParts_Click() {
    openFolder(m_work.parts());
}

void Form1::lblDelOutput_Click() {
    if (isRunning()) {
        beginRun(QString()); // only shows why nothing happens
        return;
    }
    const QStringList segments =
        m_paths.ListFiles(m_work.parts(), QStringLiteral("output*"), true, false);
    if (AryIsEmpty(segments))
        return;
    for (const QString& path : segments)
        m_paths.DeleteFile(path); // a file that cannot go is skipped
    File1->refresh();
}
