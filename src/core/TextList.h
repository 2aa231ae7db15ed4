#pragma once

#include <QStringList>

// The growable list of texts that start-up, the rejoin step and the folder listings share.
inline void push(QStringList& list, const QString& value) {
    list.append(value);
}
inline bool AryIsEmpty(const QStringList& list) {
    return list.isEmpty();
}
