#include "app/PickerDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>

namespace {

void openFileDialog(QFileDialog* dialog, const PickerDialogs::Answer& then) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, then](int result) {
        const QStringList chosen = dialog->selectedFiles();
        then(result == QDialog::Accepted && !chosen.isEmpty()
                 ? QDir::toNativeSeparators(chosen.first())
                 : QString());
    });
    dialog->open();
}

} // namespace

void PickerDialogs::OpenFile(const QString& initialPath, const QString& title, Answer then) {
    auto* dialog = new QFileDialog(m_parent, title, initialPath);
    dialog->setFileMode(QFileDialog::ExistingFile);
    openFileDialog(dialog, then);
}

void PickerDialogs::OpenFiles(const QString& initialPath, const QString& title, Answers then) {
    auto* dialog = new QFileDialog(m_parent, title, initialPath);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, then](int result) {
        QStringList chosen;
        if (result == QDialog::Accepted)
            for (const QString& file : dialog->selectedFiles())
                chosen.append(QDir::toNativeSeparators(file));
        then(chosen);
    });
    dialog->open();
}

void PickerDialogs::SaveFile(const QString& proposedName, const QString& folder,
                             const QString& title, Answer then) {
    const QString start = folder.isEmpty() ? proposedName : QDir(folder).filePath(proposedName);
    auto* dialog = new QFileDialog(m_parent, title, start);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // ffmpeg is asked to keep an existing file (it is never told to overwrite), so the dialog
    // must not promise to replace one.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    openFileDialog(dialog, then);
}

void PickerDialogs::PickFolder(const QString& startFolder, Answer then) {
    auto* dialog = new QFileDialog(m_parent, QString(), startFolder);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    openFileDialog(dialog, then);
}

void PickerDialogs::AskText(const QString& prompt, Answer then) {
    auto* dialog = new QInputDialog(m_parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setLabelText(prompt);
    QObject::connect(dialog, &QInputDialog::finished, dialog, [dialog, then](int result) {
        then(result == QDialog::Accepted ? dialog->textValue() : QString());
    });
    dialog->open();
}
