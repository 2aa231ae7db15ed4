#include "pipeline/VoiceTrial.h"

#include "core/Estimate.h"
#include "core/Progress.h"
#include "core/Voices.h"
#include "pipeline/CostQuestion.h"
#include "pipeline/FfmpegRun.h"
#include "pipeline/LevelRun.h"
#include "pipeline/ScriptRun.h"
#include "platform/UserEnvironment.h"

#include <QFile>

namespace {
// The first speech is looked for this far into the audio.
constexpr double kSpeechSearchSeconds = 180;
} // namespace

VoiceTrial::VoiceTrial(const StepContext& context, std::optional<double> start, QObject* parent)
    : Step(context, parent)
    , m_start(start) {}

void VoiceTrial::begin() {
    if (!inputCheck())
        return;
    m_voiceId = voiceCheck();
    if (m_voiceId.isEmpty())
        return;
    if (!paths().FileExists(inputs().interpreter)) {
        refuse(pythonMissing(inputs().interpreter));
        return;
    }
    m_offline = offlineVoice();
    if (!m_offline && qEnvironmentVariable(kApiKeyVariable).trimmed().isEmpty()) {
        refuse(tr("A preview with the voice service needs an ElevenLabs API key: set it with "
                  "Tools > Set elevenlabs_api_key env var."));
        return;
    }
    probeInput(true, [this](const MediaInfo& media) {
        m_total = media.duration;
        if (m_start)
            cut(*m_start);
        else
            findSpeech();
    });
}

void VoiceTrial::findSpeech() {
    host().showStage(tr("Looking for the first speech"));
    runChild(new LevelRun(work().ffmpeg(), inputs().input, 0, kSpeechSearchSeconds),
             [this](LevelRun& run) {
                 if (!run.outcome().isDone()) {
                     host().setToolOutput(run.text());
                     finish(run.outcome());
                     return;
                 }
                 cut(firstSpeech(run.levels(), LevelRun::kWindowSeconds));
             });
}

// The excerpt twice from one reading: in the format of a run's pieces for the conversion (the
// same audio cut the same way decodes the same, so the cache knows it again), and as WAV.
void VoiceTrial::cut(double start) {
    m_excerpt = previewExcerpt(start, m_total);
    host().showStage(tr("Cutting %1 to %2")
                         .arg(formatDuration(m_excerpt.start),
                              formatDuration(m_excerpt.start + m_excerpt.length)));
    const QStringList audio{"-map", "0:a:0", "-af", "aresample=44100", "-ac", "2"};
    const QStringList arguments =
        QStringList{"-nostdin",
                    "-hide_banner",
                    "-y",
                    "-ss",
                    secondsArgument(m_excerpt.start),
                    "-t",
                    secondsArgument(m_excerpt.length),
                    "-i",
                    inputs().input} +
        audio + QStringList{"-c:a", "alac", "-sample_fmt", "s16p", excerptFile()} + audio +
        QStringList{"-c:a", "pcm_s16le", original()};
    runChild(new FfmpegRun(host(), work(), arguments), [this](FfmpegRun& run) {
        if (!run.outcome().isDone()) {
            finish(run.outcome());
            return;
        }
        planBackground(m_excerpt.length, [this](const QString& mode) {
            m_background = mode;
            if (m_offline && mode != QLatin1String("service"))
                convert(); // nothing is paid
            else
                estimateCost();
        });
    });
}

void VoiceTrial::estimateCost() {
    host().showStage(tr("Working out the cost"));
    auto* estimate =
        new ScriptRun(inputs().interpreter,
                      {work().script(), QStringLiteral("--estimate"), m_voiceId, excerptFile()},
                      conversionEnvironment(inputs(), m_background));
    CostQuestion::Asking asking;
    asking.unknownFails = true;
    asking.question = [this](const Estimate& cost) {
        const QString length = QString::number(qRound(m_excerpt.length));
        const QString voice = voiceNameFromRow(inputs().voiceRow);
        const QString credits = QString::number(cost.credits);
        QString question =
            cost.creditsLeft ? tr("A preview of %1 s with %2 costs about %3 credits of the %4 left")
                                   .arg(length, voice, credits, QString::number(*cost.creditsLeft))
                             : tr("A preview of %1 s with %2 costs about %3 credits")
                                   .arg(length, voice, credits);
        if (cost.isolateSeconds > 0)
            question += QLatin1Char(' ') + tr("(half of it for the voice isolator, which keeps "
                                              "the background)");
        return question + QStringLiteral(".\n\n") + tr("Convert it?");
    };
    // From the cache, or agreed to: converted.
    runChild(new CostQuestion(host(), estimate, asking), [this](CostQuestion& question) {
        if (question.outcome().isDone())
            convert();
        else
            finish(question.outcome());
    });
}

void VoiceTrial::convert() {
    host().showStage(tr("Converting with %1").arg(voiceNameFromRow(inputs().voiceRow)));
    // What an earlier preview left must not pass for this one's.
    QFile::remove(voiceFile());
    QFile::remove(converted());
    auto* run = new ScriptRun(
        inputs().interpreter,
        {work().script(), QStringLiteral("--wait-for-go"), excerptFile(), voiceFile(), m_voiceId},
        conversionEnvironment(inputs(), m_background));
    run->keepInputOpen();
    connect(run, &ScriptRun::message, this, [this, run](const ScriptMessage& m) {
        if (m.type == QLatin1String("ready")) {
            m_paid = true; // from here on, until the script has kept the answer
            run->go();
        }
    });
    runChild(run, [this](ScriptRun& run) {
        m_paid = false;
        if (run.outcome().isStopped()) {
            finish(run.outcome());
        } else if (!run.outcome().isDone()) {
            host().setToolOutput(run.text());
            fail(run.last(QStringLiteral("failure")).text("kind") == QLatin1String("busy")
                     ? tr("The voice service is busy with other requests of this account: try "
                          "again once they are done.")
                     : run.failure());
        } else {
            const ScriptMessage result = run.last(QStringLiteral("result"));
            m_reused = result.flag("reused");
            m_credits = qint64(result.number("credits"));
            decode();
        }
    });
}

void VoiceTrial::decode() {
    runChild(new FfmpegRun(host(), work(),
                           {"-nostdin", "-hide_banner", "-y", "-i", voiceFile(), "-c:a",
                            "pcm_s16le", converted()}),
             [this](FfmpegRun& run) { finish(run.outcome()); });
}

// A request at the voice service is paid for: its answer is waited for, and kept in the cache
// for the next preview of the same excerpt; the preview then stops.
void VoiceTrial::halt() {
    if (m_paid)
        host().showStage(tr("Stopping once the excerpt already paid for is kept"));
    else
        Step::halt();
}
