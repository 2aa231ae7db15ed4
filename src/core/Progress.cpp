#include "core/Progress.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

QStringList LineSplitter::feed(const QByteArray& bytes) {
    m_pending += bytes;
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        const char c = m_pending.at(i);
        if (c != '\n' && c != '\r')
            continue;
        if (i > start)
            lines.append(QString::fromUtf8(m_pending.constData() + start, i - start));
        start = i + 1;
    }
    m_pending.remove(0, start);
    return lines;
}

QStringList LineSplitter::finish() {
    QStringList lines;
    if (!m_pending.isEmpty())
        lines.append(QString::fromUtf8(m_pending));
    m_pending.clear();
    return lines;
}

std::optional<double> parseClock(QStringView text) {
    static const QRegularExpression clock(QStringLiteral("^(\\d+):(\\d{2}):(\\d{2}(?:\\.\\d+)?)$"));
    const auto match = clock.match(text.trimmed().toString());
    if (!match.hasMatch())
        return std::nullopt;
    const double minutes = match.capturedView(2).toDouble();
    const double seconds = match.capturedView(3).toDouble();
    if (minutes >= 60 || seconds >= 60)
        return std::nullopt;
    const double total = match.capturedView(1).toDouble() * 3600 + minutes * 60 + seconds;
    // Hours too many for a double give infinity, and infinity over infinity is no percentage.
    if (!std::isfinite(total))
        return std::nullopt;
    return total;
}

void FfmpegProgress::feedLine(const QString& line) {
    static const QRegularExpression duration(QStringLiteral("Duration:\\s*([-\\d:.]+)"));
    static const QRegularExpression time(QStringLiteral("\\btime=\\s*([-\\d:.]+)"));
    if (!m_total) {
        const auto match = duration.match(line);
        if (match.hasMatch()) {
            const auto seconds = parseClock(match.capturedView(1));
            if (seconds && *seconds > 0)
                m_total = seconds;
        }
    }
    const auto match = time.match(line);
    if (match.hasMatch()) {
        // "time=-577014:32:22.77" and "time=N/A" appear before the first packet; skip them.
        if (const auto seconds = parseClock(match.capturedView(1)))
            m_position = seconds;
    }
}

std::optional<int> FfmpegProgress::percent() const {
    if (!m_total || !m_position)
        return std::nullopt;
    const double share = std::clamp(*m_position / *m_total, 0.0, 1.0);
    return static_cast<int>(std::floor(share * 100.0));
}

std::optional<double> estimateSecondsLeft(double elapsedSeconds, double fractionDone) {
    if (!(fractionDone >= 0.02) || !(elapsedSeconds >= 2.0) || fractionDone > 1.0)
        return std::nullopt;
    return elapsedSeconds * (1.0 - fractionDone) / fractionDone;
}

QString formatDuration(double seconds) {
    const qint64 total = static_cast<qint64>(std::llround(std::max(0.0, seconds)));
    const qint64 h = total / 3600, m = (total / 60) % 60, s = total % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}
