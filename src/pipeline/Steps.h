#pragma once

#include "pipeline/Step.h"

#include <QStringList>

class QTimer;

// The five steps, the Full Auto run and the MP4 conversion of the Tools menu. Each is made with
// what it works on, started once, and says how it ended.

// Extract audio: the input's audio track into raw.mp4.
class ExtractStep : public Step {
    Q_OBJECT
public:
    using Step::Step;

protected:
    void begin() override;
};

// Split audio: raw.mp4 cut into parts/output000000000.mp4, ..., then removed.
class SplitStep : public Step {
    Q_OBJECT
public:
    using Step::Step;

protected:
    void begin() override;
    void cleanUpAfterStop() override;
};

// The AI conversion: each parts/outputN.mp4 through convert.py into parts/<N+1>.mp4, several at
// once. Before pieces go to the voice service, the log says what they cost.
class ConvertStep : public Step {
    Q_OBJECT
public:
    using Step::Step;

protected:
    void begin() override;
    void halt() override;

private:
    void estimateCost();
    void next();
    void startPiece(const QString& segment);
    void pieceEnded(ProcessJob& run, const QString& segment, const QString& piece);
    void busy(const QString& segment, const QString& said);
    ProcessJob* runScript(const QStringList& arguments, std::function<void(ProcessJob&)> then);

    QString m_voiceId;
    QString m_background;   // where it is split off: "service", "local", or "" for not kept
    QStringList m_segments; // still to convert, in order
    QStringList m_started;  // announced in the log (a piece sent again is not announced again)
    int m_total = 0;
    int m_done = 0;
    int m_running = 0;
    int m_atOnce = 1;
    int m_busyWaits = 0;
    bool m_failed = false;
    QTimer* m_wait = nullptr;
};

// Rejoin audio: every file of parts, in number order, joined into joined.mp4.
class RejoinStep : public Step {
    Q_OBJECT
public:
    using Step::Step;

protected:
    void begin() override;
    void cleanUpAfterStop() override;

private:
    void checkDecodes();
};

// Reintegrate: joined.mp4 under the input's picture, into the output folder.
class ReintegrateStep : public Step {
    Q_OBJECT
public:
    using Step::Step;

protected:
    void begin() override;

private:
    void run(const MediaInfo* media);
};

// Full Auto: the five steps in order, each announced in listAuto before it starts. The run stops
// at the first step that does not succeed.
class FullAutoRun : public Step {
    Q_OBJECT
public:
    using Step::Step;

protected:
    void begin() override;
    void halt() override;

private:
    void nextStage();

    int m_stage = -1;
    Step* m_current = nullptr;
    QString m_separation;
    std::optional<MediaInfo> m_media;
};

// Tools > Convert wmv to mp4: a video re-encoded to H.264 and AAC in MP4.
class Mp4Conversion : public Step {
    Q_OBJECT
public:
    Mp4Conversion(const StepContext& context, const QString& input, const QString& output,
                  QObject* parent = nullptr);

signals:
    // The new file is there; it becomes the pipeline's input.
    void converted(const QString& path);

protected:
    void begin() override;

private:
    QString m_input;
    QString m_output;
};
