#pragma once

#include "core/MediaInfo.h"
#include "platform/Job.h"

class ProcessJob;

// What ffprobe says of the input: its streams and where they start. It fails, with a sentence
// for the user, when ffprobe is missing or cannot read the input, or when the input has no
// audio and audio is needed.
class InputProbe : public Job {
    Q_OBJECT
public:
    InputProbe(const QString& ffprobe, const QString& input, bool needAudio,
               QObject* parent = nullptr);

    const MediaInfo& media() const { return m_media; }

protected:
    void begin() override;
    void halt() override;

private:
    // Done, or failed when the input cannot be read or lacks the audio it needs.
    void judge();

    QString m_ffprobe;
    QString m_input;
    bool m_needAudio;
    MediaInfo m_media;
    ProcessJob* m_run = nullptr;
};
