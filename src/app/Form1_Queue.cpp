// The queue of videos: adding to it, showing it, running it, and keeping it across sessions.
#include "app/Form1.h"
#include "app/QueueHost.h"
#include "app/QueueWindow.h"
#include "core/NaturalOrder.h"
#include "core/Progress.h"
#include "pipeline/BatchRun.h"
#include "pipeline/RunInputs.h"
#include "platform/QueueFile.h"

#include <QDir>
#include <QLineEdit>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

void Form1::mnuQueue_Click() {
    showQueue();
}

QueueWindow* Form1::showQueue() {
    if (!m_queueWindow) {
        m_queueWindow = new QueueWindow(m_queue, this);
        connect(m_queueWindow, &QueueWindow::addClicked, this, [this] {
            m_dialogs->OpenFiles(QString(), tr("Add videos"), [this](const QStringList& files) {
                if (!files.isEmpty())
                    queueVideos(files);
            });
        });
        connect(m_queueWindow, &QueueWindow::startClicked, this, &Form1::startQueue);
        connect(m_queueWindow, &QueueWindow::stopClicked, this, &Form1::cmdStop_Click);
        connect(m_queueWindow, &QueueWindow::stopAfterToggled, this, [this](bool stop) {
            if (m_queueRun)
                m_queueRun->setStopAfterCurrent(stop);
        });
        connect(m_queueWindow, &QueueWindow::outputClicked, this, [this](const QString& path) {
            m_launcher->openFolder(m_paths.ParentFolder(path));
        });
        m_queueWindow->setRunning(m_queueRun);
    }
    m_queueWindow->show();
    m_queueWindow->raise();
    m_queueWindow->activateWindow();
    return m_queueWindow;
}

void Form1::queueVideos(const QStringList& paths) {
    QStringList videos;
    for (const QString& path : paths) {
        if (!m_paths.FolderExists(path)) {
            videos.append(path); // a file chosen by name is meant, whatever its extension
            continue;
        }
        QStringList inside = m_paths.ListFiles(path, QStringLiteral("*"));
        inside.removeIf([](const QString& name) { return !isVideoFileName(name); });
        std::sort(inside.begin(), inside.end(), naturalLess);
        videos += inside;
    }
    const RunInputs now = runInputs();
    for (const QString& video : std::as_const(videos)) {
        RunInputs inputs = now;
        // Without an output folder, each new video goes beside its original.
        if (inputs.outputFolder.isEmpty())
            inputs.outputFolder = m_paths.ParentFolder(video);
        m_queue.add(video, queuedSettings(inputs));
    }
    showQueue()->setStatus(
        videos.isEmpty() ? tr("No videos among what was given.")
        : videos.size() == 1
            ? tr("1 video added, with the voice and settings of now.")
            : tr("%1 videos added, with the voice and settings of now.").arg(videos.size()));
}

void Form1::startQueue() {
    if (!idle())
        return;
    m_queue.rewind();
    QueueWindow* window = showQueue();
    if (!m_queue.hasWork()) {
        window->setStatus(tr("Nothing left to run: add videos first."));
        return;
    }
    m_queueHost = std::make_unique<QueueHost>(static_cast<StepHost&>(*this));
    auto* run = new BatchRun(*m_queueHost, m_work, m_queue, [this](const QueueItem& item) {
        return queuedInputs(item.input, item.settings, runInputs());
    });
    CostQuestion::Asking asking;
    asking.tooFew = tr("The queue needs about %1 credits, but the account has %2 left; it would "
                       "stop part-way.\n\nStart it anyway?");
    run->askCost(asking);
    run->sayCostAfterEachVideo();
    m_queueRun = run;
    connect(run, &BatchRun::costKnown, window, [window](const QStringList& lines) {
        window->setCost(tr("The queue: %1").arg(lines.join(QLatin1Char('\n'))));
    });
    connect(run, &BatchRun::costUnknown, window, &QueueWindow::setCost);
    connect(run, &BatchRun::videoStarted, this, [this](int row) {
        m_queueHost->setPosition(tr("Video %1 of %2: ").arg(row + 1).arg(m_queue.size()));
    });
    connect(&m_queue, &QAbstractItemModel::dataChanged, run, [this, run] {
        if (m_queueWindow)
            m_queueWindow->setStatus(queueStatus(run->secondsLeft()));
    });
    connect(run, &Job::finished, this, [this](const JobOutcome& outcome) {
        // Closing the window stops the queue; it goes on when the program starts again.
        saveQueue(m_closeAfterRun);
        if (m_queueWindow) {
            m_queueWindow->setRunning(false);
            m_queueWindow->setStatus((outcome.isStopped() ? tr("Stopped: %1") : tr("Finished: %1"))
                                         .arg(m_queue.summary()));
        }
    });
    window->setRunning(true);
    window->setCost(QString());
    window->setStatus(tr("Running"));
    m_runs.start(tr("Queue"), run);
    saveQueue(true);
}

// "Running: 2 done, 0 failed; about 12:30 left".
QString Form1::queueStatus(std::optional<double> secondsLeft) const {
    const QString status = tr("Running: %1").arg(m_queue.summary());
    return secondsLeft ? tr("%1; about %2 left").arg(status, formatDuration(*secondsLeft)) : status;
}

// Written when a video's state changes, not at every percent: what it keeps has no stage and no
// percent.
void Form1::saveQueue(bool running) {
    const QJsonObject queue = m_queue.toJson(running);
    if (queue == m_savedQueue)
        return;
    if (!writeQueueFile(m_queuePath, queue)) {
        statusBar()->showMessage(
            tr("Could not write the queue to %1").arg(QDir::toNativeSeparators(m_queuePath)));
        return;
    }
    m_savedQueue = queue;
}

// At start-up: the queue as it was. One that ran when the program ended goes on only when the
// user says so: nothing is paid for before a click.
void Form1::loadQueue() {
    m_queuePath = queueFilePath();
    // Kept as it changes: what the user edits, and each video's state as the queue runs.
    const auto keep = [this] { saveQueue(m_queueRun); };
    connect(&m_queue, &QAbstractItemModel::rowsInserted, this, keep);
    connect(&m_queue, &QAbstractItemModel::rowsRemoved, this, keep);
    connect(&m_queue, &QAbstractItemModel::rowsMoved, this, keep);
    connect(&m_queue, &QAbstractItemModel::dataChanged, this, keep);
    QJsonObject kept = readQueueFile(m_queuePath);
    if (kept.isEmpty() && !m_settings.queue().isEmpty()) {
        // Kept by an earlier version among the settings: moved into its file.
        kept = m_settings.queue();
        if (writeQueueFile(m_queuePath, kept))
            m_settings.removeQueue();
    }
    bool running = false;
    m_queue.load(kept, &running);
    m_savedQueue = kept;
    if (!running)
        return;
    m_queue.rewind();
    int waiting = 0;
    for (const QueueItem& item : m_queue.items())
        waiting += item.state == QueueItem::State::Waiting;
    saveQueue(false);
    if (waiting == 0)
        return;
    QTimer::singleShot(0, this, [this, waiting] {
        showQueue();
        ask(waiting == 1 ? tr("The queue was running when voxsplice closed: 1 video waits. Go on?")
                         : tr("The queue was running when voxsplice closed: %1 videos wait. Go on?")
                               .arg(waiting),
            [this](bool yes) {
                if (yes)
                    startQueue();
            });
    });
}
