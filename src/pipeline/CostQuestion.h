#pragma once

#include "core/Estimate.h"
#include "pipeline/RunInputs.h"
#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

class ScriptRun;

// Before anything is paid for: what it costs worked out, said, and asked about where it costs
// credits. Done when the run may go on; stopped when the user said no to the cost; failed with
// "too few credits" when they said no because the credits left would not do it.
class CostQuestion : public Job {
    Q_OBJECT
public:
    struct Asking {
        // Where the cost's lines go before any question: a log, a label, standard output.
        std::function<void(const QStringList& lines)> say;
        // The question when the account has fewer credits left than the run needs (%1 the
        // credits needed, %2 those left). Empty: such a cost is asked about like any other.
        QString tooFew;
        // The question in words of its own (a preview's); empty: the host's cost question.
        std::function<QString(const Estimate&)> question;
        // Agreed to before (a queue, a command line): asked about only when too few are left.
        bool agreed = false;
        // A cost that cannot be worked out fails; by default the run goes on (what it runs
        // works its own cost out again, and asks then).
        bool unknownFails = false;
    };

    // The cost of whole videos.
    CostQuestion(StepHost& host, const WorkFolder& work, const QList<RunInputs>& videos,
                 Asking asking, QObject* parent = nullptr);
    // The cost as a run of convert.py --estimate reckons it.
    CostQuestion(StepHost& host, ScriptRun* estimate, Asking asking, QObject* parent = nullptr);

    // How a conversion asks: the cost's lines into the log `which`, and "Convert anyway?" when
    // the credits left would not do.
    static Asking converting(StepHost& host, StepHost::Log which);

    // Once ended: the cost, unless it could not be worked out; then the line that says why.
    const std::optional<Estimate>& cost() const { return m_cost; }
    const QString& unknownLine() const { return m_unknownLine; }
    // The user said no (to the cost, or to the credits left).
    bool declined() const { return m_declined; }

protected:
    void begin() override;

private:
    void reckoned(const JobOutcome& outcome, const std::optional<Estimate>& cost,
                  const QString& failure, const QString& toolText);
    void answer(bool yes, bool tooFew);

    StepHost& m_host;
    std::optional<WorkFolder> m_work; // of whole videos
    QList<RunInputs> m_videos;
    ScriptRun* m_script = nullptr;
    Asking m_asking;
    std::optional<Estimate> m_cost;
    QString m_unknownLine;
    bool m_declined = false;
};
