#pragma once

#include <QListWidget>
#include <QString>

// Shows the names of the files in one folder. It reads the folder only when told to.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

    void setPath(const QString& folder) {
        m_folder = folder;
        refresh();
    }
    QString path() const { return m_folder; }
    void refresh();

private:
    QString m_folder;
};
