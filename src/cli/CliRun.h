#pragma once

#include "pipeline/RunInputs.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"

#include <QList>
#include <QStringList>

class ConsoleHost;
class FullAutoRun;

// The videos of one command line, each through Full Auto in turn in one working folder. A video
// that fails does not stop the next; Stop stops the one that runs and the rest. Done when every
// video is done, failed when any failed.
class CliRun : public Job {
    Q_OBJECT
public:
    CliRun(ConsoleHost& host, const WorkFolder& work, const QList<RunInputs>& videos,
           QObject* parent = nullptr);

protected:
    void begin() override { next(); }

private:
    void next();
    void ended(const JobOutcome& outcome, const QString& output);

    ConsoleHost& m_host;
    WorkFolder m_work;
    QList<RunInputs> m_videos;
    int m_index = -1;
    QStringList m_failed;
    qsizetype m_failedForNow = 0; // of them, those that may do better later
    QStringList m_outputs;        // of the videos done so far
};
