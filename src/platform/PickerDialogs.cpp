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
    return QDir::toNativeSeparators(QFileDialog::getSaveFileName(m_parent, title, start));
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
