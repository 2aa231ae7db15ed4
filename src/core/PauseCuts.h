#pragma once

#include "core/Progress.h"

#include <QByteArray>
#include <QList>

#include <optional>

// Where Split cuts the audio. Every piece is at most `limit` seconds long; its cut falls in the
// stretch of `lookBack` seconds before that limit: inside a pause there where the stretch holds
// one (at its middle), else at the stretch's quietest moment. A pause is at least
// `shortestPause` seconds `quieterBy` dB or more under the speech around it (the loud end of
// the stretch), or under -70 dB whatever is around it. The cuts depend on the audio alone, and
// there is at most one piece more than cutting every `limit` seconds gives.
struct CutRules {
    double limit = 299;
    double lookBack = 60;
    double shortestPause = 0.2;
    double quieterBy = 20;
    // Where a cut may fall: on a multiple of this (the audio's packets, where a copy can cut);
    // 0 for anywhere.
    double granule = 0;
};

struct CutPlan {
    QList<double> cuts; // seconds from the start, rising
    int inPauses = 0;
    int atQuietest = 0;
};

// The cuts chosen one piece after another, each from the loudness of the stretch before the
// piece's limit: only those stretches need measuring. Levels are in dB, one per `window` seconds
// on a grid from the start of the audio. A cut in a pause lies at its middle, one at the quietest
// moment at the end of the quietest window, each moved back to the granule before it.
class CutPlanner {
public:
    struct Stretch {
        qsizetype first = 0; // the first window to measure
        qsizetype count = 0; // and how many
    };
    CutPlanner(double total, double window, const CutRules& rules);
    // The windows whose levels the next cut needs; none when the plan is complete.
    std::optional<Stretch> next();
    // The levels of the windows that `next()` asked for (fewer where the audio ended early).
    void take(const QList<float>& levels);
    const CutPlan& plan() const { return m_plan; }

private:
    void cutAt(double cut);

    double m_total;
    double m_window;
    CutRules m_rules;
    int m_budget = 0;
    double m_start = 0;
    double m_latest = 0;
    Stretch m_asked;
    CutPlan m_plan;
};

// The same for levels measured over the whole audio.
CutPlan planCuts(const QList<float>& levels, double window, const CutRules& rules);

// Reads the loudness ffmpeg prints with astats and ametadata ("lavfi.astats.Overall.RMS_level=
// -23.5" per window, "-inf" for silence) as it arrives.
class LevelReader {
public:
    void feed(const QByteArray& bytes);
    void finish();
    const QList<float>& levels() const { return m_levels; }

private:
    void take(const QStringList& lines);
    LineSplitter m_lines;
    QList<float> m_levels;
};
