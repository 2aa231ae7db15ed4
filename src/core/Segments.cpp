#include "core/Segments.h"

#include <QDir>

#include <limits>

namespace {
const QString kPrefix = QStringLiteral("output");
} // namespace

std::optional<qint64> segmentNumber(const QString& baseName) {
    if (baseName.size() <= kPrefix.size() || !baseName.startsWith(kPrefix, Qt::CaseInsensitive))
        return std::nullopt;
    const QStringView digits = QStringView(baseName).mid(kPrefix.size());
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 number = digits.toLongLong(&ok, 10);
    // The converted piece carries number + 1, which must still be a whole number.
    if (!ok || number >= std::numeric_limits<qint64>::max())
        return std::nullopt;
    return number;
}

QString convertedFileName(qint64 number) {
    return QString::number(number + 1) + QStringLiteral(".mp4");
}

QString partsFolderText() {
    return QDir::toNativeSeparators(QStringLiteral("/parts"));
}

QString segmentFileName(qint64 number) {
    return QStringLiteral("output%1.mp4").arg(number, 9, 10, QLatin1Char('0'));
}
