#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Where a later video of a queue or a command line writes when its output would take the name
// of one an earlier video of the same run wrote ("s1/ep1.mp4" and "s2/ep1.mp4" both make
// "ep1_AI.mp4"): "ep1_AI (2).mp4", the first number from 2 whose name is neither taken nor a
// file already. `wanted` itself when no earlier video wrote it. Names compare as the system
// compares them (`sensitivity`).
QString freeOutputName(const QString& wanted, const QStringList& taken,
                       const std::function<bool(const QString&)>& exists,
                       Qt::CaseSensitivity sensitivity = Qt::CaseSensitive);
