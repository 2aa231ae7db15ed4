#pragma once

#include "core/PauseCuts.h"
#include "pipeline/LevelRun.h"
#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"

// Where Split cuts raw.mp4: its length from ffprobe, then, cut after cut, ffmpeg on the stretch
// before the next piece's limit that prints its loudness for every 20 ms (the progress in the
// status bar); the cuts are chosen from that (PauseCuts.h). Short audio cut into short pieces is
// measured whole in one run instead, which also lists its packets when the input's length
// (`about`, from the run's probe) tells that beforehand: no ffprobe then. Done with `plan()`.
class PauseAnalysis : public Job {
    Q_OBJECT
public:
    PauseAnalysis(StepHost& host, const WorkFolder& work, const CutRules& rules,
                  std::optional<double> about = std::nullopt, QObject* parent = nullptr);

    const CutPlan& plan() const { return m_plan; }
    // The cuts as -segment_times takes them; a time after the end when there is none, so that
    // the audio stays one piece.
    QString cutsArgument() const;
    // "12 cuts: 11 in pauses, 1 at the quietest moment".
    QString summary() const;
    // What the tool that failed said.
    const QString& text() const { return m_text; }

    static constexpr double kWindowSeconds = LevelRun::kWindowSeconds;

protected:
    void begin() override;

private:
    bool measuredWhole(double seconds, bool probed) const;
    void startPlan(double seconds);
    void planWhole(const QList<float>& levels);
    void analyse(double seconds);
    void measureNext();
    void measureWhole();
    void measureAndList();

    StepHost& m_host;
    WorkFolder m_work;
    CutRules m_rules;
    std::optional<double> m_about;
    CutPlan m_plan;
    std::optional<CutPlanner> m_planner;
    double m_seconds = 0;
    QString m_text;
};
