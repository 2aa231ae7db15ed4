#include "pipeline/CostQuestion.h"

#include "pipeline/ScriptRun.h"
#include "pipeline/VideosEstimate.h"

#include <QPointer>

CostQuestion::CostQuestion(StepHost& host, const WorkFolder& work, const QList<RunInputs>& videos,
                           Asking asking, QObject* parent)
    : Job(parent)
    , m_host(host)
    , m_work(work)
    , m_videos(videos)
    , m_asking(std::move(asking)) {}

CostQuestion::CostQuestion(StepHost& host, ScriptRun* estimate, Asking asking, QObject* parent)
    : Job(parent)
    , m_host(host)
    , m_script(estimate)
    , m_asking(std::move(asking)) {
    m_script->setParent(this);
    m_script->expect(QStringLiteral("estimate"));
}

CostQuestion::Asking CostQuestion::converting(StepHost& host, StepHost::Log which) {
    Asking asking;
    asking.say = [&host, which](const QStringList& lines) {
        for (const QString& line : lines)
            host.log(which, line);
    };
    asking.tooFew = tr("This run needs about %1 credits, but the account has %2 left; it would "
                       "stop half-way.\n\nConvert anyway?");
    return asking;
}

void CostQuestion::begin() {
    if (m_script) {
        runChild(m_script, [this](ScriptRun& run) {
            reckoned(run.outcome(), parseEstimate(run.last(QStringLiteral("estimate")).fields),
                     run.failure(), run.text());
        });
        return;
    }
    runChild(new VideosEstimate(*m_work, m_videos), [this](VideosEstimate& estimate) {
        const JobOutcome& outcome = estimate.outcome();
        reckoned(outcome, outcome.isDone() ? std::optional(estimate.total()) : std::nullopt,
                 outcome.reason, QString());
    });
}

void CostQuestion::reckoned(const JobOutcome& outcome, const std::optional<Estimate>& cost,
                            const QString& failure, const QString& toolText) {
    if (outcome.isStopped() || stopRequested()) {
        finish(JobOutcome::stopped());
        return;
    }
    if (!cost) {
        m_unknownLine = tr("The cost could not be worked out: %1").arg(failure);
        if (!m_asking.unknownFails) {
            finish(JobOutcome::done());
            return;
        }
        if (!toolText.isEmpty())
            m_host.setToolOutput(toolText);
        finish(JobOutcome::failed(m_unknownLine));
        return;
    }
    m_cost = cost;
    const QStringList lines = costLines(*cost);
    if (m_asking.say)
        m_asking.say(lines);
    // The answer may come after this question was stopped and deleted.
    const auto answered = [self = QPointer<CostQuestion>(this)](bool tooFew) {
        return [self, tooFew](bool yes) {
            if (self && !self->isFinished())
                self->answer(yes, tooFew);
        };
    };
    if (cost->exceedsCredits() && !m_asking.tooFew.isEmpty())
        m_host.ask(m_asking.tooFew.arg(cost->credits).arg(*cost->creditsLeft), answered(true));
    else if (cost->credits == 0 || m_asking.agreed)
        finish(JobOutcome::done());
    else if (m_asking.question)
        m_host.ask(m_asking.question(*cost), answered(false));
    else
        m_host.askCost(lines, cost->credits, answered(false));
}

void CostQuestion::answer(bool yes, bool tooFew) {
    if (yes) {
        finish(JobOutcome::done());
        return;
    }
    m_declined = true;
    finish(tooFew ? JobOutcome::failed(tr("too few credits")) : JobOutcome::stopped());
}
