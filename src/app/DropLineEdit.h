#pragma once

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

// A one-line box that takes files dropped from the file manager and reports their paths instead
// of inserting text.
class DropLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (!localPaths(event->mimeData()).isEmpty())
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (!localPaths(event->mimeData()).isEmpty())
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dropEvent(QDropEvent* event) override {
        const QStringList paths = localPaths(event->mimeData());
        if (paths.isEmpty()) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        emit filesDropped(paths);
    }

private:
    static QStringList localPaths(const QMimeData* mime) {
        QStringList paths;
        if (!mime || !mime->hasUrls())
            return paths;
        for (const QUrl& url : mime->urls()) {
            if (url.isLocalFile())
                paths.append(QDir::toNativeSeparators(url.toLocalFile()));
        }
        return paths;
    }
};
