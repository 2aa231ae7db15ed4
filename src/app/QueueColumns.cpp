#include "app/QueueColumns.h"

#include "core/VideoQueue.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QPalette>

QueueColumns::QueueColumns(QAbstractItemModel* queue, QObject* parent)
    : QIdentityProxyModel(parent) {
    setSourceModel(queue);
    // A video's row changes as a whole: each of its columns is drawn again.
    connect(queue, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                emit dataChanged(index(from.row(), 0), index(to.row(), Count - 1));
            });
}

int QueueColumns::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count;
}

QModelIndex QueueColumns::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= Count)
        return {};
    return createIndex(row, column);
}

QModelIndex QueueColumns::parent(const QModelIndex&) const {
    return {};
}

QModelIndex QueueColumns::sibling(int row, int column, const QModelIndex&) const {
    return index(row, column);
}

QModelIndex QueueColumns::mapToSource(const QModelIndex& proxy) const {
    return proxy.isValid() && sourceModel() ? sourceModel()->index(proxy.row(), 0) : QModelIndex();
}

QModelIndex QueueColumns::mapFromSource(const QModelIndex& source) const {
    return source.isValid() ? index(source.row(), 0) : QModelIndex();
}

QVariant QueueColumns::data(const QModelIndex& index, int role) const {
    const QModelIndex video = mapToSource(index);
    if (!video.isValid())
        return {};
    const QString output = video.data(VideoQueue::OutputRole).toString();
    switch (index.column()) {
    case Video:
        return video.data(role);
    case Voice:
        return role == Qt::DisplayRole ? video.data(VideoQueue::VoiceRole) : QVariant();
    case State:
        return role == Qt::DisplayRole || role == Qt::ToolTipRole
                   ? video.data(VideoQueue::StateTextRole)
                   : QVariant();
    case Output:
        if (output.isEmpty())
            return {};
        if (role == Qt::DisplayRole)
            return QFileInfo(output).fileName();
        if (role == Qt::ToolTipRole)
            return output;
        if (role == Qt::ForegroundRole)
            return QApplication::palette().link();
        if (role == Qt::FontRole) {
            QFont link;
            link.setUnderline(true);
            return link;
        }
        return {};
    default:
        return {};
    }
}

QVariant QueueColumns::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Video:
        return tr("Video");
    case Voice:
        return tr("Voice");
    case State:
        return tr("State");
    case Output:
        return tr("Output");
    default:
        return {};
    }
}
