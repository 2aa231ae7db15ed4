#include "core/Excerpt.h"

#include "core/Progress.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {
constexpr float kQuietestSound = -70;
constexpr float kBelowLoud = 30;
constexpr double kLeadIn = 0.25;
} // namespace

double firstSpeech(const QList<float>& levels, double window) {
    QList<float> finite;
    for (const float level : levels)
        if (std::isfinite(level))
            finite.append(level);
    if (finite.isEmpty() || window <= 0)
        return 0;
    const auto loudEnd = finite.begin() + qsizetype(0.9 * double(finite.size() - 1));
    std::nth_element(finite.begin(), loudEnd, finite.end());
    const float threshold = std::max(*loudEnd - kBelowLoud, kQuietestSound);
    const auto sound = [&](qsizetype i) {
        return std::isfinite(levels.at(i)) && levels.at(i) > threshold;
    };
    // A running count of the sound in the second from each window on.
    const qsizetype second = std::max<qsizetype>(1, qsizetype(std::lround(1.0 / window)));
    qsizetype count = 0;
    for (qsizetype i = 0; i < std::min(second, levels.size()); ++i)
        count += sound(i);
    for (qsizetype i = 0; i < levels.size(); ++i) {
        if (sound(i) && 2 * count >= std::min(second, levels.size() - i))
            return std::max(0.0, std::floor((double(i) * window - kLeadIn) * 10) / 10);
        count -= sound(i);
        if (i + second < levels.size())
            count += sound(i + second);
    }
    return 0;
}

Excerpt previewExcerpt(double start, std::optional<double> total, double length) {
    Excerpt excerpt{std::max(0.0, start), length};
    if (total && *total > 0) {
        excerpt.length = std::min(length, *total);
        excerpt.start = std::min(excerpt.start, *total - excerpt.length);
    }
    return excerpt;
}

std::optional<double> parseUserTime(const QString& text) {
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() > 3)
        return std::nullopt;
    double seconds = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const bool last = i == parts.size() - 1;
        bool ok = false;
        const double value = last ? parts.at(i).toDouble(&ok) : parts.at(i).toUInt(&ok);
        // Minutes and seconds after the first part stay under 60.
        if (!ok || !std::isfinite(value) || value < 0 || (i > 0 && value >= 60) ||
            parts.at(i).isEmpty() || parts.at(i).trimmed() != parts.at(i))
            return std::nullopt;
        seconds = seconds * 60 + value;
    }
    return seconds;
}

QString userTimeText(double seconds) {
    const qint64 tenths = std::llround(std::max(0.0, seconds) * 10);
    QString text = formatDuration(double(tenths / 10));
    if (tenths % 10 != 0)
        text += QLatin1Char('.') + QString::number(tenths % 10);
    return text;
}
