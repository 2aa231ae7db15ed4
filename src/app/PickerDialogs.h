#pragma once

#include <QString>

class QWidget;

// The modal dialogs that ask the user for a path or a text. Each returns the answer, or empty
// text when the user cancels. Tests replace it with a double.
class PickerDialogs {
public:
    explicit PickerDialogs(QWidget* parent = nullptr)
        : m_parent(parent) {}
    virtual ~PickerDialogs() = default;

    virtual QString OpenFile(const QString& initialPath, const QString& title);
    virtual QString SaveFile(const QString& proposedName, const QString& folder,
                             const QString& title);
    virtual QString PickFolder(const QString& startFolder);
    // A one-line text, shown with `prompt`; the text exactly as typed.
    virtual QString AskText(const QString& prompt);

private:
    QWidget* m_parent;
};
