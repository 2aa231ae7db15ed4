#pragma once

#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/Job.h"

#include <QStringList>

class FileSnapshot;

// One run of the program's ffmpeg for a step: how far it has come in the status bar, its text in
// the output box (after "Error: " when it failed, a remark above it), and ffmpeg's own reason in
// the failure. What a failed or stopped run wrote is removed.
//
// With `guardOutput`, the file it writes (its last path that is not an input) appears under its
// name only once it is complete: ffmpeg writes a hidden file beside it, which takes the name when
// ffmpeg succeeded and the file reads back; an earlier file of that name stays until then.
class FfmpegRun : public Job {
    Q_OBJECT
public:
    // How the written file is read back before it takes its name.
    enum class Check { None, Demux, DecodeAudio };

    FfmpegRun(StepHost& host, const WorkFolder& work, const QStringList& arguments,
              QObject* parent = nullptr);
    ~FfmpegRun() override;

    void setRemark(const QString& remark) { m_remark = remark; }
    // Before start(): write through a hidden file, read back with `check`. `hint` follows the
    // message when it does not read back.
    void guardOutput(Check check, const QString& hint = QString());

    // The guarded file's name (empty without a guard or without an output path).
    const QString& outputFile() const { return m_output; }
    // What ffmpeg printed.
    const QString& text() const { return m_text; }

protected:
    void begin() override;

private:
    void ended(const JobOutcome& outcome, const QString& output);
    void checked(const JobOutcome& outcome, const QString& said);
    void removeWritten();
    QString named(QString text) const; // the hidden file called by the name it is written for

    StepHost& m_host;
    WorkFolder m_work;
    QStringList m_arguments;
    QString m_remark;
    Check m_check = Check::None;
    bool m_guarded = false;
    QString m_hint;
    QString m_output;
    QString m_hidden;
    QString m_text;
    FileSnapshot* m_before = nullptr;
};
