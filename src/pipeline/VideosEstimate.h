#pragma once

#include "core/Estimate.h"
#include "pipeline/RunInputs.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"

#include <QList>
#include <QStringList>

#include <functional>

class ScriptRun;

// What converting whole videos would cost: convert.py --estimate on each video's audio,
// grouped by voice, settings and background. Done with `total()`; fails with the script's words.
class VideosEstimate : public Job {
    Q_OBJECT
public:
    VideosEstimate(const WorkFolder& work, const QList<RunInputs>& videos,
                   QObject* parent = nullptr);
    const Estimate& total() const { return m_total; }

protected:
    void begin() override;

private:
    // Videos the script reckons in one run: the same voice, settings and background.
    struct Group {
        RunInputs inputs;
        QString background; // "service", "local" or ""
        QStringList videos;
    };
    void makeGroups(bool localSeparator);
    void next();
    void add(const Estimate& estimate);
    void runScript(ScriptRun* run, const std::function<void(ScriptRun&)>& then);

    WorkFolder m_work;
    QList<RunInputs> m_videos;
    QList<Group> m_groups;
    Estimate m_total;
};
