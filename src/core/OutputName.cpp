#include "core/OutputName.h"

#include <QDir>
#include <QFileInfo>

QString freeOutputName(const QString& wanted, const QStringList& taken,
                       const std::function<bool(const QString&)>& exists,
                       Qt::CaseSensitivity sensitivity) {
    const auto isTaken = [&](const QString& path) {
        const QString clean = QDir::cleanPath(path);
        for (const QString& other : taken)
            if (QDir::cleanPath(other).compare(clean, sensitivity) == 0)
                return true;
        return false;
    };
    if (!isTaken(wanted))
        return wanted;
    const QFileInfo info(wanted);
    const QString folder = wanted.left(wanted.size() - info.fileName().size());
    const QString suffix = info.suffix().isEmpty() ? QString() : '.' + info.suffix();
    for (int number = 2;; ++number) {
        const QString name =
            folder +
            QStringLiteral("%1 (%2)%3").arg(info.completeBaseName()).arg(number).arg(suffix);
        if (!isTaken(name) && !exists(name))
            return name;
    }
}
