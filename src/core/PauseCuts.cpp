#include "core/PauseCuts.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kSilence = -200;    // dB for a window of digital silence
constexpr float kAlwaysQuiet = -70; // dB: a window this quiet is a pause whatever is around it
constexpr float kEqual = 1;         // dB: levels closer than this are alike

// The level that speech reaches in a stretch: three quarters of its windows are quieter.
float speechLevel(QList<float> levels) {
    const auto at = levels.begin() + qsizetype(levels.size() * 3 / 4);
    std::nth_element(levels.begin(), at, levels.end());
    return *at;
}

} // namespace

CutPlanner::CutPlanner(double total, double window, const CutRules& rules)
    : m_total(total)
    , m_window(window)
    , m_rules(rules) {
    // Pieces at most: one more than cutting every `limit` seconds gives.
    if (window > 0 && rules.limit > 0)
        m_budget = int(std::ceil(total / rules.limit)) + 1;
}

std::optional<CutPlanner::Stretch> CutPlanner::next() {
    if (m_budget == 0)
        return std::nullopt;
    const qsizetype windows = qsizetype(std::floor(m_total / m_window + 1e-9));
    while (m_total - m_start > m_rules.limit) {
        const int piece = int(m_plan.cuts.size()) + 1;
        m_latest = m_start + m_rules.limit;
        const double earliest =
            std::max({m_latest - m_rules.lookBack, m_total - (m_budget - piece) * m_rules.limit,
                      m_start + m_window});
        // The windows that lie wholly in the stretch.
        const qsizetype first = qsizetype(std::ceil(earliest / m_window - 1e-9));
        const qsizetype last =
            std::min(windows, qsizetype(std::floor(m_latest / m_window + 1e-9))) - 1;
        if (last >= first) {
            m_asked = {first, last - first + 1};
            return m_asked;
        }
        // A stretch shorter than a window: cut at its end.
        ++m_plan.atQuietest;
        cutAt(m_latest);
    }
    return std::nullopt;
}

void CutPlanner::take(const QList<float>& measured) {
    const QList<float> levels = measured.mid(0, m_asked.count);
    if (levels.isEmpty()) {
        ++m_plan.atQuietest;
        cutAt(m_latest);
        return;
    }
    const qsizetype shortest =
        std::max<qsizetype>(1, qsizetype(std::ceil(m_rules.shortestPause / m_window - 1e-9)));
    const qsizetype last = levels.size() - 1;
    const float quiet = std::max(speechLevel(levels) - float(m_rules.quieterBy), kAlwaysQuiet);
    const auto end = [this](qsizetype i) { return (m_asked.first + i + 1) * m_window; };
    // The latest pause that the stretch holds.
    qsizetype runEnd = -1;
    for (qsizetype i = last; i >= -1; --i) {
        const bool still = i >= 0 && levels.at(i) <= quiet;
        if (still && runEnd < 0)
            runEnd = i;
        if (!still && runEnd >= 0) {
            if (runEnd - i >= shortest) {
                ++m_plan.inPauses;
                cutAt((end(i) + end(runEnd)) / 2);
                return;
            }
            runEnd = -1;
        }
    }
    // The quietest moment: where the level around a window (itself and its neighbours in the
    // stretch) is lowest, and of those the quietest window; levels within a decibel count as
    // equal, and of equals the latest wins, so that steady sound is cut at the limit.
    QList<double> around;
    for (qsizetype i = 0; i <= last; ++i) {
        double sum = 0;
        int count = 0;
        for (qsizetype j = std::max<qsizetype>(0, i - 1); j <= std::min(last, i + 1); ++j, ++count)
            sum += levels.at(j);
        around.append(sum / count);
    }
    const double lowest = *std::min_element(around.cbegin(), around.cend());
    float quietest = 0;
    for (qsizetype i = 0; i <= last; ++i) {
        if (around.at(i) <= lowest + kEqual)
            quietest = std::min(quietest, levels.at(i));
    }
    double cut = m_latest;
    for (qsizetype i = 0; i <= last; ++i) {
        if (around.at(i) <= lowest + kEqual && levels.at(i) <= quietest + kEqual)
            cut = end(i);
    }
    ++m_plan.atQuietest;
    cutAt(cut);
}

void CutPlanner::cutAt(double cut) {
    if (m_rules.granule > 0)
        cut = std::max(m_start + m_rules.granule,
                       std::floor(cut / m_rules.granule + 1e-9) * m_rules.granule);
    m_plan.cuts.append(cut);
    m_start = cut;
}

CutPlan planCuts(const QList<float>& levels, double window, const CutRules& rules) {
    CutPlanner planner(levels.size() * window, window, rules);
    while (const auto stretch = planner.next())
        planner.take(levels.mid(stretch->first, stretch->count));
    return planner.plan();
}

void LevelReader::feed(const QByteArray& bytes) {
    take(m_lines.feed(bytes));
}

void LevelReader::finish() {
    take(m_lines.finish());
}

void LevelReader::take(const QStringList& lines) {
    static const QLatin1String key("lavfi.astats.Overall.RMS_level=");
    for (const QString& line : lines) {
        if (!line.startsWith(key))
            continue;
        bool ok = false;
        const float level = QStringView(line).mid(key.size()).toFloat(&ok);
        m_levels.append(ok && std::isfinite(level) ? std::max(level, kSilence) : kSilence);
    }
}
