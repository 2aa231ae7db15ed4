#pragma once

#include <QIdentityProxyModel>

// The queue's list in columns for its window: the video, its voice, its state and, once done,
// the new video (shown as a link). Rows are the queue's rows.
class QueueColumns : public QIdentityProxyModel {
    Q_OBJECT
public:
    enum Column { Video, Voice, State, Output, Count };

    explicit QueueColumns(QAbstractItemModel* queue, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    QModelIndex mapToSource(const QModelIndex& proxy) const override;
    QModelIndex mapFromSource(const QModelIndex& source) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
};
