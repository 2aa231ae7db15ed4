#pragma once

#include "platform/Job.h"

#include <QList>

class ProcessJob;

// ffmpeg on a stretch of a file's first audio track (all of it when `seconds` is 0), printing its
// loudness for every 20 ms (mono at 8 kHz is plenty to hear where speech is, and quick to
// measure). Done with `levels()`, in dB, fewer where the audio ends early.
class LevelRun : public Job {
    Q_OBJECT
public:
    LevelRun(const QString& ffmpeg, const QString& file, double from, double seconds,
             QObject* parent = nullptr);

    // With a `listing` file, the same run lists the stretch's packets into it (framecrc): the
    // audio's exact length comes with its levels.
    void listPacketsInto(const QString& listing) { m_listing = listing; }

    const QList<float>& levels() const { return m_levels; }
    // What ffmpeg said when it failed.
    const QString& text() const { return m_text; }

    static constexpr double kWindowSeconds = 0.02;

protected:
    void begin() override;
    void halt() override;

private:
    QString m_ffmpeg;
    QString m_file;
    double m_from;
    double m_seconds;
    QString m_listing;
    QList<float> m_levels;
    QString m_text;
    ProcessJob* m_run = nullptr;
};
