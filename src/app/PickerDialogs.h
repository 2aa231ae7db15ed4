#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// The dialogs that ask the user for a path or a text. Each opens window-modal and gives its
// answer to `then` once the user closes it: the chosen path or the text, or empty text when the
// user cancels. Nothing waits for them. Tests replace them with a double that answers at once.
class PickerDialogs {
public:
    using Answer = std::function<void(const QString&)>;
    using Answers = std::function<void(const QStringList&)>;

    explicit PickerDialogs(QWidget* parent = nullptr)
        : m_parent(parent) {}
    virtual ~PickerDialogs() = default;

    virtual void OpenFile(const QString& initialPath, const QString& title, Answer then);
    // One file or several; none when the user cancels.
    virtual void OpenFiles(const QString& initialPath, const QString& title, Answers then);
    virtual void SaveFile(const QString& proposedName, const QString& folder, const QString& title,
                          Answer then);
    virtual void PickFolder(const QString& startFolder, Answer then);
    // A one-line text, shown with `prompt`; the text exactly as typed.
    virtual void AskText(const QString& prompt, Answer then);
    // The same for a secret (a key): what is typed shows as dots until "Show" is ticked.
    virtual void AskSecret(const QString& prompt, Answer then);

private:
    QWidget* m_parent;
};
