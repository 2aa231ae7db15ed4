#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Cuts a child's output into lines as it arrives. Both "\n" and "\r" end a line (ffmpeg ends its
// status lines with "\r"), and only complete lines are decoded, so a character split between two
// reads is not corrupted.
class LineSplitter {
public:
    // The lines completed by `bytes`, without their line ends.
    QStringList feed(const QByteArray& bytes);
    // What is left after the last line end, as a line of its own (empty list when nothing).
    QStringList finish();

private:
    QByteArray m_pending;
};

// Reads how far an ffmpeg run has come from its output: the input's length from the first
// "Duration: HH:MM:SS.cc" and the position from the latest "time=HH:MM:SS.cc".
class FfmpegProgress {
public:
    // A known total overrides the "Duration:" line (a joined list has no single duration).
    void setTotalSeconds(double seconds) {
        m_total = seconds > 0 ? std::optional(seconds) : std::nullopt;
    }
    void feedLine(const QString& line);

    std::optional<double> totalSeconds() const { return m_total; }
    std::optional<double> positionSeconds() const { return m_position; }
    // 0 to 100, once both the total and a position are known.
    std::optional<int> percent() const;

private:
    std::optional<double> m_total;
    std::optional<double> m_position;
};

// "HH:MM:SS.cc" (hours may have more digits) in seconds; nothing for a malformed or negative
// time.
std::optional<double> parseClock(QStringView text);

// The time left, in seconds, from the time spent so far and the share done (0 to 1). Nothing
// until there is enough to go on.
std::optional<double> estimateSecondsLeft(double elapsedSeconds, double fractionDone);

// "1:02:03", "2:03", "0:05" for a number of seconds.
QString formatDuration(double seconds);
