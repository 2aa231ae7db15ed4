#include "platform/PickerDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>

QString PickerDialogs::OpenFile(const QString& initialPath, const QString& title) {
    return QDir::toNativeSeparators(QFileDialog::getOpenFileName(m_parent, title, initialPath));
}

QString PickerDialogs::SaveFile(const QString& proposedName, const QString& folder,
                                const QString& title) {
    const QString start = folder.isEmpty() ? proposedName : QDir(folder).filePath(proposedName);
    // ffmpeg is asked to keep an existing file (it is never told to overwrite), so the dialog
    // must not promise to replace one.
    return QDir::toNativeSeparators(QFileDialog::getSaveFileName(
        m_parent, title, start, QString(), nullptr, QFileDialog::DontConfirmOverwrite));
}

QString PickerDialogs::PickFolder(const QString& startFolder) {
    return QDir::toNativeSeparators(
        QFileDialog::getExistingDirectory(m_parent, QString(), startFolder));
}

QString PickerDialogs::AskText(const QString& prompt) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, QString(), prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? text : QString();
}
