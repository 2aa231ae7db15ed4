#include "cli/CliSession.h"

#include "cli/ConsoleHost.h"
#include "core/SpeakerSummary.h"
#include "core/Voices.h"
#include "pipeline/AccountVoices.h"
#include "pipeline/BatchRun.h"
#include "pipeline/CostQuestion.h"
#include "pipeline/RedoPiece.h"
#include "pipeline/RunControl.h"
#include "pipeline/RunRecordFile.h"
#include "pipeline/ScriptRun.h"
#include "pipeline/Steps.h"
#include "platform/PathTools.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/UserEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

CliSession::CliSession(const CliOptions& options, const UserSettings& settings, ConsoleHost& host,
                       const WorkFolder& program, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_host(host)
    , m_program(program) {
    // What the window would run with: its remembered settings, its interpreter, its templates.
    m_inputs.interpreter = findPythonInterpreter();
    if (!options.outputFolder.isEmpty())
        m_inputs.outputFolder = QFileInfo(options.outputFolder).absoluteFilePath();
    for (const Template which :
         {Template::Extract, Template::Split, Template::Concat, Template::Integrate})
        m_inputs.templates[static_cast<std::size_t>(which)] = defaultTemplate(which);
    m_inputs.piecesAtOnce = options.piecesAtOnce.value_or(settings.piecesAtOnce());
    // The runs' own folders stay in the user's cache folder, on this machine; --cache may be a
    // folder that many runs and machines share.
    m_inputs.cacheFolder = options.cacheFolder.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
                               : QFileInfo(options.cacheFolder).absoluteFilePath();
    m_inputs.cacheLimitMb = settings.cacheLimitMb();
    m_inputs.pieceSeconds = settings.pieceSeconds();
    m_inputs.keepBackground = options.keepBackground.value_or(settings.keepBackground());
    m_inputs.separation = settings.separation();
    m_inputs.keepOriginal = settings.keepOriginal();
    m_inputs.voiceSettings = settings.voiceSettings();
    m_inputs.findSpeakers = options.speakers || options.action == CliOptions::Action::ListSpeakers;
    m_inputs.maxSpeakers = options.maxSpeakers;
    if (!options.speakersFrom.isEmpty())
        m_inputs.speakersFrom = QFileInfo(options.speakersFrom).absoluteFilePath();
    // The window's voice: its row among the fixed ones, else one of the account's, by its id.
    const int row = settings.voiceIndex(int(voiceRows().size()), kDefaultVoiceIndex);
    // The offline voice knows the fixed voices only: for an account's voice, the default one.
    m_voice = !options.voice.isEmpty() ? options.voice
              : row >= 0 || options.offline
                  ? voiceIdFromRow(voiceRows().at(row >= 0 ? row : kDefaultVoiceIndex))
                  : settings.voiceId();
}

void CliSession::start() {
    if (m_stopped) {
        end(Failed);
        return;
    }
    if (m_options.action == CliOptions::Action::ListVoices) {
        listVoices();
        return;
    }
    QString problem = unusablePaths();
    if (!problem.isEmpty()) {
        m_host.warn(problem);
        end(WrongArguments);
        return;
    }
    const bool redoing = m_options.action == CliOptions::Action::Redo;
    const bool listing = m_options.action == CliOptions::Action::ListSpeakers;
    if ((m_options.action == CliOptions::Action::Run || redoing || listing) &&
        !m_folder.open(m_options.workFolder, &problem)) {
        m_host.warn(problem);
        end(WrongArguments);
        return;
    }
    findVoice([this, redoing, listing] {
        if (listing)
            listSpeakers();
        else if (redoing)
            redo();
        else
            m_options.action == CliOptions::Action::Estimate ? estimate() : run();
    });
}

// Before any video runs: every video is there, and the output folder is (made where missing).
QString CliSession::unusablePaths() const {
    for (const QString& video : m_options.videos) {
        if (!QFileInfo(video).isFile())
            return tr("No such video: %1").arg(QDir::toNativeSeparators(video));
    }
    const bool writing =
        m_options.action == CliOptions::Action::Run || m_options.action == CliOptions::Action::Redo;
    if (writing && !QDir().mkpath(m_inputs.outputFolder))
        return tr("The output folder %1 cannot be made.")
            .arg(QDir::toNativeSeparators(m_inputs.outputFolder));
    return {};
}

// Ctrl+C (or SIGTERM) once stops, letting the answers already paid for be kept; twice asks
// about those; three times ends at once.
void CliSession::stop() {
    m_stopped = true;
    ++m_interrupts;
    if (!m_job)
        return;
    const int paid = m_job->paidPending();
    if (m_interrupts == 1) {
        m_job->stop();
        if (const int waiting = m_job->paidPending(); waiting > 0)
            m_host.warn(
                waiting == 1
                    ? tr("Stopping once the answer already paid for is kept.")
                    : tr("Stopping once the %1 answers already paid for are kept.").arg(waiting));
    } else if (paid > 0 && m_interrupts == 2) {
        m_host.warn(stopNowQuestion(paid) + QLatin1Char(' ') + tr("Ctrl+C again stops now."));
    } else {
        m_job->stopNow();
    }
}

template <typename J, typename Then> void CliSession::follow(J* job, Then then) {
    m_job = job;
    connect(job, &Job::finished, this, [this, job, then] {
        job->deleteLater();
        m_job = nullptr;
        if (job->outcome().isStopped() || m_stopped)
            end(Failed);
        else
            then(*job);
    });
    job->start();
}

bool CliSession::hasAccount() const {
    return !qEnvironmentVariable(kApiKeyVariable).trimmed().isEmpty() &&
           PathTools().FileExists(m_inputs.interpreter);
}

void CliSession::askAccount(const std::function<void(const QStringList&)>& then) {
    follow(new AccountVoices(m_inputs.interpreter, m_program.script(), this),
           [this, then](AccountVoices& voices) {
               m_accountUnread = !voices.outcome().isDone();
               if (m_accountUnread)
                   m_host.warn(tr("The account's own voices could not be read: %1")
                                   .arg(voices.outcome().reason));
               then(voices.rows());
           });
}

void CliSession::listVoices() {
    m_host.print(voiceRows().join(QLatin1Char('\n')));
    if (!hasAccount()) {
        end(Done);
        return;
    }
    askAccount([this](const QStringList& rows) {
        m_host.print(rows.join(QLatin1Char('\n')));
        end(m_accountUnread ? Failed : Done);
    });
}

void CliSession::findVoice(const std::function<void()>& then) {
    const auto found = [this, then](const QString& row) {
        if (!row.isEmpty()) {
            m_inputs.voiceRow = row;
            speakerVoices(then);
            return;
        }
        unknownVoice(m_voice);
    };
    const QString row = findVoiceRow(voiceRows(), m_voice);
    if (!row.isEmpty() || !hasAccount())
        found(row);
    else // perhaps one of the account's own
        askAccount([this, found](const QStringList& rows) { found(findVoiceRow(rows, m_voice)); });
}

// A voice found nowhere is a wrong argument, unless the account's voices could not be read
// (a refused key): that failure was said already.
void CliSession::unknownVoice(const QString& voice) {
    if (!m_accountUnread)
        m_host.warn(tr("Unknown voice: %1. voxsplice-cli --list-voices lists them.").arg(voice));
    end(m_accountUnread ? Failed : WrongArguments);
}

// The voices of --voice-for, as ids: among the fixed ones, else the account's own.
void CliSession::speakerVoices(const std::function<void()>& then) {
    const auto resolve = [this, then](const QStringList& rows) {
        for (auto it = m_options.voiceFor.cbegin(); it != m_options.voiceFor.cend(); ++it) {
            if (it.value().compare(QLatin1String(kOriginalVoice), Qt::CaseInsensitive) == 0) {
                m_inputs.speakerVoices.insert(it.key(), QLatin1String(kOriginalVoice));
                continue;
            }
            const QString row = findVoiceRow(rows, it.value());
            if (row.isEmpty()) {
                unknownVoice(it.value());
                return;
            }
            m_inputs.speakerVoices.insert(it.key(), voiceIdFromRow(row));
        }
        then();
    };
    bool allFixed = true;
    for (const QString& voice : m_options.voiceFor)
        allFixed =
            allFixed && (voice.compare(QLatin1String(kOriginalVoice), Qt::CaseInsensitive) == 0 ||
                         !findVoiceRow(voiceRows(), voice).isEmpty());
    if (allFixed || !hasAccount())
        resolve(voiceRows());
    else
        askAccount([this, resolve](const QStringList& rows) { resolve(voiceRows() + rows); });
}

// The video's audio extracted and its speakers found (from the cache where it has them), then
// a line for each.
void CliSession::listSpeakers() {
    const RunInputs inputs = videos().constFirst();
    const WorkFolder work = m_program.withRoot(m_folder.path());
    m_host.setVideo(QFileInfo(inputs.input).fileName());
    follow(new ExtractStep(StepContext{m_host, work, inputs}, this),
           [this, inputs, work](ExtractStep& extract) {
               if (!extract.outcome().isDone()) {
                   m_host.videoFailed(extract.outcome().reason);
                   end(Failed);
                   return;
               }
               follow(new SplitStep(StepContext{m_host, work, inputs}, this),
                      [this, work](SplitStep& split) {
                          m_host.setVideo(QString());
                          const LoadedRecord loaded = loadRunRecord(work);
                          if (!split.outcome().isDone() || !loaded.record.bySpeaker()) {
                              m_host.videoFailed(split.outcome().reason);
                              end(Failed);
                              return;
                          }
                          for (const SpeakerSummary& speaker : summarizeSpeakers(loaded.record))
                              m_host.print(speakerLine(speaker));
                          end(Done);
                      });
           });
}

void CliSession::estimate() {
    if (offlineVoice() && !m_inputs.keepBackground) {
        m_host.print(tr("Nothing to pay: the offline voice converts on this machine."));
        end(Done);
        return;
    }
    CostQuestion::Asking asking;
    asking.say = [this](const QStringList& lines) { m_host.print(lines.join(QLatin1Char('\n'))); };
    asking.agreed = true;
    follow(new CostQuestion(m_host, m_program, videos(), asking, this),
           [this](CostQuestion& question) {
               if (question.cost()) {
                   end(Done);
                   return;
               }
               m_host.warn(question.unknownLine());
               end(Failed);
           });
}

// The videos one after another. What they all cost comes first; each video's conversion then
// works its own cost out again where this could not be worked out.
void CliSession::run() {
    for (const QString& video : m_options.videos)
        m_queue.add(QFileInfo(video).absoluteFilePath(), {});
    auto* run = new BatchRun(
        m_host, m_program.withRoot(m_folder.path()), m_queue,
        [this](const QueueItem& item) {
            RunInputs inputs = m_inputs;
            inputs.input = item.input;
            return inputs;
        },
        this);
    CostQuestion::Asking asking;
    asking.agreed = true; // by running the command
    asking.tooFew = tr("The videos need about %1 credits, but the account has %2 left: the run "
                       "would stop part-way. Start it all the same?");
    run->askCost(asking);
    connect(run, &BatchRun::costKnown, this,
            [this](const QStringList& lines) { m_host.print(lines.join(QLatin1Char('\n'))); });
    connect(run, &BatchRun::costUnknown, this, [this](const QString& line) { m_host.warn(line); });
    connect(run, &BatchRun::videoStarted, this,
            [this](int row) { m_host.setVideo(QFileInfo(m_queue.at(row).input).fileName()); });
    connect(run, &BatchRun::videoEnded, this, &CliSession::videoEnded);
    follow(run, [this](BatchRun& run) {
        m_host.setVideo(QString());
        const int done = m_queue.count(QueueItem::State::Done);
        if (run.outcome().isDone()) {
            m_host.print(tr("%1 of %1 videos done").arg(done));
            end(Done);
            return;
        }
        QStringList failed;
        for (const QueueItem& item : m_queue.items())
            if (item.state == QueueItem::State::Failed)
                failed.append(QFileInfo(item.input).fileName());
        // None failed: the run never began (the credits would not do).
        if (!failed.isEmpty())
            m_host.warn(tr("%1 of %2 videos done; failed: %3")
                            .arg(done)
                            .arg(m_queue.size())
                            .arg(failed.join(QStringLiteral(", "))));
        end(run.outcome().forNow && !failed.isEmpty() ? TryLater : Failed);
    });
}

void CliSession::videoEnded(int row, const JobOutcome& outcome) {
    if (outcome.isStopped()) {
        m_host.setVideo(QString());
        m_host.warn(tr("Stopped; %1 of %2 videos done")
                        .arg(m_queue.count(QueueItem::State::Done))
                        .arg(m_queue.size()));
    } else if (outcome.isDone()) {
        const QString output = m_queue.at(row).output;
        m_host.print(output.isEmpty() ? tr("done")
                                      : tr("done: %1").arg(QDir::toNativeSeparators(output)));
    } else {
        m_host.videoFailed(outcome.reason);
    }
}

// One piece of the run kept in --work converted again, then the video made again. A folder
// without a run of this video, or a piece it does not have, is a wrong argument.
void CliSession::redo() {
    RunInputs inputs = videos().constFirst();
    if (m_options.seed)
        inputs.voiceSettings.seed = m_options.seed;
    const WorkFolder work = m_program.withRoot(m_folder.path());
    const LoadedRecord loaded = loadRunRecord(work);
    QString problem = loaded.state == LoadedRecord::State::Present
                          ? otherVideoProblem(loaded.record, inputs.input)
                          : tr("%1 holds no run to redo a piece of.")
                                .arg(QDir::toNativeSeparators(m_folder.path()));
    if (problem.isEmpty())
        problem = missingPieceProblem(loaded.record, m_options.redoPiece - 1);
    if (!problem.isEmpty()) {
        m_host.warn(problem);
        end(WrongArguments);
        return;
    }
    m_host.setVideo(QFileInfo(inputs.input).fileName());
    follow(new RedoPieceRun(StepContext{m_host, work, inputs}, m_options.redoPiece - 1,
                            RedoPieceRun::Take::New, this),
           [this](RedoPieceRun& run) {
               m_host.setVideo(QString());
               if (run.outcome().isDone()) {
                   m_host.print(tr("done: %1").arg(QDir::toNativeSeparators(run.output())));
                   end(Done);
               } else {
                   m_host.videoFailed(run.outcome().reason);
                   end(Failed);
               }
           });
}

void CliSession::end(int status) {
    if (m_ended)
        return;
    m_ended = true;
    emit ended(status);
}

QList<RunInputs> CliSession::videos() const {
    QList<RunInputs> videos;
    for (const QString& video : m_options.videos) {
        RunInputs inputs = m_inputs;
        inputs.input = QFileInfo(video).absoluteFilePath();
        videos.append(inputs);
    }
    return videos;
}
