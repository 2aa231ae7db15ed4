#include "core/Segments.h"

#include <limits>

namespace {
const QString kPrefix = QStringLiteral("output");

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}
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

QString conversionArguments(const QString& script, const QString& segment, const QString& converted,
                            const QString& voiceId) {
    return quoted(script) + QLatin1Char(' ') + quoted(segment) + QLatin1Char(' ') +
           quoted(converted) + QLatin1Char(' ') + voiceId;
}
