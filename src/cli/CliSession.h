#pragma once

#include "cli/RunFolder.h"
#include "core/CliOptions.h"
#include "core/VideoQueue.h"
#include "pipeline/RunInputs.h"
#include "pipeline/WorkFolder.h"

#include <QObject>
#include <QPointer>

#include <functional>

class ConsoleHost;
class Job;
struct JobOutcome;
class UserSettings;

// One command line of voxsplice-cli, from its options to its exit status: the voices listed, or
// the voice found (among the account's own too), what the videos cost said, and the videos run
// in a working folder of their own. What the command line leaves out comes from the window's
// remembered settings.
class CliSession : public QObject {
    Q_OBJECT
public:
    // TryLater (EX_TEMPFAIL): every video that failed did so because the account's limit of
    // requests at once stayed hit; a scheduler may run the same command again later.
    enum Status { Done = 0, Failed = 1, WrongArguments = 2, TryLater = 75 };

    // `program`: where the program's files are (ffmpeg, the scripts); its runs work elsewhere.
    CliSession(const CliOptions& options, const UserSettings& settings, ConsoleHost& host,
               const WorkFolder& program, QObject* parent = nullptr);

    void start();
    // Ctrl+C: what runs stops, and the session ends as failed. Again: what the stop waits for
    // (answers already paid for) is asked about, and the third time thrown away.
    void stop();

signals:
    void ended(int status);

private:
    void listVoices();
    void findVoice(const std::function<void()>& then);
    void speakerVoices(const std::function<void()>& then);
    void unknownVoice(const QString& voice);
    void listSpeakers();
    // The account's own voices; none, and a line saying why, when they cannot be read.
    void askAccount(const std::function<void(const QStringList&)>& then);
    void estimate();
    void run();
    void videoEnded(int row, const JobOutcome& outcome);
    void redo();
    void end(int status);
    // Runs `job`; `then` gets it once it ended, unless it was stopped.
    template <typename J, typename Then> void follow(J* job, Then then);
    bool hasAccount() const;
    // Why a video or the output folder cannot be used; empty when they can.
    QString unusablePaths() const;
    QList<RunInputs> videos() const;

    CliOptions m_options;
    ConsoleHost& m_host;
    WorkFolder m_program;
    RunInputs m_inputs;
    QString m_voice; // as asked for: a name or an id
    RunFolder m_folder;
    VideoQueue m_queue; // the videos of a run, and what became of them
    QPointer<Job> m_job;
    bool m_stopped = false;
    int m_interrupts = 0;
    bool m_ended = false;
    bool m_accountUnread = false; // the account's voices were asked for and could not be read
};
