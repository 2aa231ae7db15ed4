// The cost of whole videos before they run. The script counts a video's audio from its packets,
// without decoding it, and never says too little.
#include "pipeline/VideosEstimate.h"

#include "core/Voices.h"
#include "pipeline/ScriptRun.h"

#include <algorithm>

VideosEstimate::VideosEstimate(const WorkFolder& work, const QList<RunInputs>& videos,
                               QObject* parent)
    : Job(parent)
    , m_work(work)
    , m_videos(videos) {}

void VideosEstimate::begin() {
    // "automatic" keeps the background on this machine where the separator can run there; the
    // service's isolator costs credits.
    const bool asks = std::any_of(m_videos.begin(), m_videos.end(), [](const RunInputs& v) {
        return v.keepBackground && v.separation == QLatin1String("automatic");
    });
    if (!asks) {
        makeGroups(false);
        return;
    }
    auto* check = new ScriptRun(m_videos.first().interpreter,
                                {m_work.separator(), QStringLiteral("--check")}, {}, this);
    check->expect(QStringLiteral("check"));
    runScript(check, [this](ScriptRun& run) {
        makeGroups(run.last(QStringLiteral("check")).flag("available"));
    });
}

void VideosEstimate::makeGroups(bool localSeparator) {
    for (const RunInputs& video : std::as_const(m_videos)) {
        QString background;
        if (video.keepBackground)
            background = video.separation != QLatin1String("automatic") ? video.separation
                         : localSeparator                               ? QStringLiteral("local")
                                                                        : QStringLiteral("service");
        const auto same = [&](const Group& g) {
            return voiceIdFromRow(g.inputs.voiceRow) == voiceIdFromRow(video.voiceRow) &&
                   g.inputs.voiceSettings == video.voiceSettings && g.background == background &&
                   g.inputs.interpreter == video.interpreter &&
                   g.inputs.cacheFolder == video.cacheFolder &&
                   cutsSignature(g.inputs) == cutsSignature(video);
        };
        // A video whose speakers are to be found goes alone: its audio to the speech to text too.
        const bool transcribes = video.findSpeakers && video.speakersFrom.isEmpty();
        const auto group =
            transcribes ? m_groups.end() : std::find_if(m_groups.begin(), m_groups.end(), same);
        if (group == m_groups.end())
            m_groups.append({video, background, {video.input}});
        else
            group->videos.append(video.input);
    }
    next();
}

void VideosEstimate::next() {
    if (m_groups.isEmpty()) {
        finish(JobOutcome::done());
        return;
    }
    const Group group = m_groups.takeFirst();
    QStringList transcribed;
    if (group.inputs.findSpeakers && group.inputs.speakersFrom.isEmpty())
        transcribed << QStringLiteral("--transcribe") << group.videos.first();
    auto* run = new ScriptRun(group.inputs.interpreter,
                              QStringList{m_work.script(), QStringLiteral("--estimate"),
                                          voiceIdFromRow(group.inputs.voiceRow)} +
                                  transcribed + group.videos,
                              conversionEnvironment(group.inputs, group.background), this);
    run->expect(QStringLiteral("estimate"));
    runScript(run, [this](ScriptRun& run) {
        const std::optional<Estimate> estimate =
            parseEstimate(run.last(QStringLiteral("estimate")).fields);
        if (!estimate) {
            finish(JobOutcome::failed(run.failure()));
            return;
        }
        add(*estimate);
        next();
    });
}

// Its own for each group: what goes, what the cache holds, what it costs. The account's and the
// cache's state: as the last answer says.
void VideosEstimate::add(const Estimate& e) {
    m_total.sendSeconds += e.sendSeconds;
    m_total.cachedSeconds += e.cachedSeconds;
    m_total.isolateSeconds += e.isolateSeconds;
    m_total.transcribeSeconds += e.transcribeSeconds;
    m_total.transcribeCredits += e.transcribeCredits;
    m_total.credits += e.credits;
    m_total.creditsLeft = e.creditsLeft;
    m_total.renews = e.renews;
    m_total.accountProblem = e.accountProblem;
    m_total.unreadable += e.unreadable;
    m_total.cacheFolder = e.cacheFolder;
    m_total.cacheBytes = e.cacheBytes;
    m_total.cacheLimitBytes = e.cacheLimitBytes;
}

// One script at a time; `then` gets it once it ended, unless a stop came meanwhile.
void VideosEstimate::runScript(ScriptRun* run, const std::function<void(ScriptRun&)>& then) {
    runChild(run, [this, then](ScriptRun& run) {
        if (run.outcome().isStopped() || stopRequested())
            finish(JobOutcome::stopped());
        else
            then(run);
    });
}
