#include "cli/ConsoleHost.h"

#include "core/Progress.h"

#include <QIODevice>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr qsizetype kBarCells = 24;
constexpr qsizetype kFewestBarCells = 6; // fewer say nothing: the percentage alone is shown
constexpr int kDefaultColumns = 80;

} // namespace

ConsoleHost::ConsoleHost(QIODevice& out, QIODevice& err, QIODevice* bar, bool yes, int columns)
    : m_out(out)
    , m_err(err)
    , m_bar(bar)
    , m_yes(yes)
    // A line as wide as the terminal would wrap where the cursor stops at its end.
    , m_lineWidth((columns > 1 ? columns : kDefaultColumns) - 1) {
    const auto started = std::make_shared<QElapsedTimer>();
    started->start();
    m_clock = [started] { return started->elapsed(); };
}

void ConsoleHost::write(QIODevice& to, const QString& text) {
    // The tools end their lines either way.
    QString body = QString(text).remove(QLatin1Char('\r'));
    while (body.endsWith(QLatin1Char('\n')))
        body.chop(1);
    if (body.trimmed().isEmpty())
        return;
    clearBar();
    const QString prefix = m_video.isEmpty() ? QString() : m_video + QStringLiteral(": ");
    QString lines;
    // Among a video's lines a blank one says nothing.
    for (const QString& line : body.split(QLatin1Char('\n'))) {
        if (prefix.isEmpty() || !line.trimmed().isEmpty())
            lines += prefix + line + QLatin1Char('\n');
    }
    to.write(lines.toUtf8());
}

void ConsoleHost::ask(const QString& question, std::function<void(bool)> answer) {
    warn(question);
    warn(m_yes ? tr("Yes: --yes was given.") : tr("No: give --yes to agree."));
    answer(m_yes);
}

void ConsoleHost::askCost(const QStringList& lines, qint64 credits,
                          std::function<void(bool)> answer) {
    // The conversion's log has just said them.
    Q_UNUSED(lines);
    Q_UNUSED(credits);
    if (!m_yes)
        warn(tr("No: give --yes to agree."));
    answer(m_yes);
}

void ConsoleHost::log(Log which, const QString& message) {
    // The conversion's lines belong to its stage.
    print(which == Log::Conversion ? QStringLiteral("  ") + message : message);
}

void ConsoleHost::showStage(const QString& stage) {
    m_stage = stage;
    m_toolOutput.clear();
    m_stageStart = m_clock();
}

void ConsoleHost::setVideo(const QString& name) {
    m_video = name;
    m_toolOutput.clear();
    m_message.clear();
}

void ConsoleHost::videoFailed(const QString& reason) {
    warn(m_toolOutput);
    if (!reason.contains(m_message))
        warn(m_message);
    warn(tr("failed: %1").arg(reason.simplified()));
}

void ConsoleHost::showProgress(double fraction, const QString& detail) {
    if (!m_bar)
        return;
    const double part = std::clamp(fraction, 0.0, 1.0);
    const QString head = (m_video.isEmpty() ? QString() : m_video + QStringLiteral(": ")) + m_stage;
    QString tail = QStringLiteral(" %1 %").arg(int(part * 100), 3);
    for (const QString& more : {detail, timeLeft(part)}) {
        if (!more.isEmpty())
            tail += QStringLiteral("  ") + more;
    }
    // The bar takes the room the words leave, up to its full length; the words come first.
    const qsizetype cells = std::min(kBarCells, m_lineWidth - head.size() - tail.size() - 3);
    QString line = head;
    if (cells >= kFewestBarCells) {
        const auto filled = qsizetype(std::lround(part * double(cells)));
        line += QStringLiteral(" [") + QString(filled, QLatin1Char('#')) +
                QString(cells - filled, QLatin1Char('.')) + QLatin1Char(']');
    }
    line += tail;
    line.truncate(m_lineWidth);
    // Blanks cover what is left of a longer line before.
    m_bar->write((QLatin1Char('\r') + line.leftJustified(m_barWidth)).toUtf8());
    m_barWidth = line.size();
}

QString ConsoleHost::timeLeft(double part) const {
    const std::optional<double> left =
        part < 1 ? estimateSecondsLeft(double(m_clock() - m_stageStart) / 1000, part)
                 : std::nullopt;
    return left ? tr("%1 left").arg(formatDuration(*left)) : QString();
}

void ConsoleHost::clearBar() {
    if (m_barWidth == 0)
        return;
    m_bar->write(
        (QLatin1Char('\r') + QString(m_barWidth, QLatin1Char(' ')) + QLatin1Char('\r')).toUtf8());
    m_barWidth = 0;
}
