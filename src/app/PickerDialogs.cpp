#include "app/PickerDialogs.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

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

void PickerDialogs::AskSecret(const QString& prompt, Answer then) {
    auto* dialog = new QDialog(m_parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* label = new QLabel(prompt, dialog);
    auto* text = new QLineEdit(dialog);
    text->setEchoMode(QLineEdit::Password);
    text->setAccessibleName(prompt);
    label->setBuddy(text);
    auto* show = new QCheckBox(QCoreApplication::translate("PickerDialogs", "&Show"), dialog);
    QObject::connect(show, &QCheckBox::toggled, text, [text](bool on) {
        text->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addWidget(text);
    layout->addWidget(show);
    layout->addWidget(buttons);
    QObject::connect(dialog, &QDialog::finished, dialog, [text, then](int result) {
        then(result == QDialog::Accepted ? text->text() : QString());
    });
    dialog->open();
}
