#pragma once

#include "core/Excerpt.h"
#include "pipeline/Step.h"

// A preview of the voice on the user's own video: 30 s of its first audio track from a start the
// user gives (without one, from where its speech begins) converted as a run would convert it,
// with the voice, its settings and Keep background, but in a folder of its own (the work
// folder's root), never in a run's. What the service would charge is asked about before
// anything goes out; an excerpt converted before with the same voice and settings comes from the
// cache for nothing. Done with the excerpt as it is and with the new voice, both WAV of the
// same length, which any player plays.
class VoiceTrial : public Step {
    Q_OBJECT
public:
    VoiceTrial(const StepContext& context, std::optional<double> start, QObject* parent = nullptr);

    const Excerpt& excerpt() const { return m_excerpt; }
    QString original() const { return work().file(QStringLiteral("original.wav")); }
    QString converted() const { return work().file(QStringLiteral("voice.wav")); }
    // What the conversion was charged: nothing when it came from the cache or was offline.
    qint64 credits() const { return m_credits; }
    bool reused() const { return m_reused; }
    // The voice was changed on this machine.
    bool offline() const { return m_offline; }
    int paidPending() const override { return m_paid ? 1 : 0; }

protected:
    void begin() override;
    void halt() override;

private:
    void findSpeech();
    void cut(double start);
    void estimateCost();
    void convert();
    void decode();
    QString excerptFile() const { return work().file(QStringLiteral("excerpt.mp4")); }
    QString voiceFile() const { return work().file(QStringLiteral("voice.mp4")); }

    std::optional<double> m_start;
    std::optional<double> m_total;
    Excerpt m_excerpt;
    QString m_voiceId;
    QString m_background;
    bool m_offline = false;
    bool m_paid = false; // the excerpt went to the voice service; its answer is not kept yet
    qint64 m_credits = 0;
    bool m_reused = false;
};
