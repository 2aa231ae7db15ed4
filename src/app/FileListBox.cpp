#include "app/FileListBox.h"

#include "platform/PathTools.h"

void FileListBox::refresh() {
    clear();
    addItems(PathTools().ListFiles(m_folder, QStringLiteral("*"), false, false));
}
