// The job contract: a run of an outside program says once how it ended, whatever happens to it,
// and a stopped run leaves nothing of itself behind.
#include "helpers/TestSupport.h"
#include "pipeline/InputProbe.h"
#include "platform/ProcessJob.h"
#include "platform/UserEnvironment.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>

using testsupport::addRow;

namespace {
// A tenth of a second of silence, 8 kHz mono: a file ffprobe reads in no time.
QByteArray silence() {
    QByteArray wav("RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0"
                   "data\x40\x06\0\0",
                   44);
    return wav + QByteArray(1600, '\0');
}
} // namespace

// Two children one after the other, run the way every job runs them.
class TwoChildren : public Job {
public:
    explicit TwoChildren(ProcessJob* first)
        : m_first(first) {}
    bool secondStarted = false;

protected:
    void begin() override {
        runChild(m_first, [this](ProcessJob& first) {
            if (!first.outcome().isDone()) {
                finish(first.outcome());
                return;
            }
            secondStarted = runChild(
                new ProcessJob(testsupport::fromCtest("VOXSPLICE_CHILD"), {"sleep", "30000"}),
                [this](ProcessJob& second) { finish(second.outcome()); });
        });
    }

private:
    ProcessJob* m_first;
};

class JobsTest : public QObject {
    Q_OBJECT

private slots:
    void outcomes_data() {
        QTest::addColumn<QStringList>("arguments"); // to the child tool; "!" + path: that program
        QTest::addColumn<QString>("action");        // done to it once it runs
        QTest::addColumn<int>("kind");              // JobOutcome::Kind
        QTest::addColumn<QString>("said");          // in its output or reason
        using K = JobOutcome::Kind;
        addRow("done, arguments whole", QStringList{"args", "a b", "", "ü\""}, "", int(K::Done),
               "[a b]\n[]\n[ü\"]");
        addRow("both streams, UTF-8", QStringList{"both"}, "", int(K::Done), "out1\nerr1\nout2");
        addRow("standard input closed", QStringList{"stdin"}, "", int(K::Done), "eof");
        addRow("exit status", QStringList{"exit", "3"}, "", int(K::Failed), "exit status 3");
        addRow("crash", QStringList{"crash"}, "", int(K::Failed), "abnormally");
        addRow("cannot start", QStringList{"!/no/such/program"}, "", int(K::Failed),
               "Could not start /no/such/program");
        addRow("stopped", QStringList{"sleep", "30000"}, "stop", int(K::Stopped), "");
        addRow("stopped with its own child", QStringList{"spawn"}, "stop", int(K::Stopped), "");
        addRow("deaf to a stop, ended firmly", QStringList{"deaf", "30000"}, "stop",
               int(K::Stopped), "deaf");
        addRow("stopped at once", QStringList{"deaf", "30000"}, "stop now", int(K::Stopped), "");
        // The service's key reaches only the programs it is given to.
        addRow("no key in the environment", QStringList{"env", kApiKeyVariable}, "", int(K::Done),
               "(unset)");
        addRow("killed from outside", QStringList{"sleep", "30000"}, "kill", int(K::Failed),
               "abnormally");
        // A nested loop that ends early took the child's end for a success once: a job only
        // ends when its program does.
        addRow("loop left while it runs", QStringList{"sleep", "30000"}, "leave loop",
               int(K::Stopped), "");
    }
    void outcomes() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, action);
        QFETCH(int, kind);
        QFETCH(QString, said);
        QString program = testsupport::fromCtest("VOXSPLICE_CHILD");
        if (arguments.first().startsWith('!'))
            program = arguments.takeFirst().mid(1);
        qputenv(kApiKeyVariable, "sk-secret");
        ProcessJob job(program, arguments);
        QSignalSpy ended(&job, &Job::finished);
        job.start();
        const qint64 root = job.processId();
        // Running, and past what it does first (a child started, SIGTERM ignored).
        QVERIFY(QTest::qWaitFor([&] {
            return !arguments.contains("spawn") && !arguments.contains("deaf") ||
                   !job.output().isEmpty();
        }));
        if (action == "stop") {
            job.stop();
        } else if (action == "stop now") {
            job.stopNow();
        } else if (action == "kill") {
            ::kill(pid_t(root), SIGKILL);
        } else if (action == "leave loop") {
            QEventLoop loop;
            QTimer::singleShot(0, &loop, [&loop] { loop.exit(); });
            loop.exec();
            QCOMPARE(ended.count(), 0);
            QVERIFY(!job.isFinished() && ::kill(pid_t(root), 0) == 0);
            job.stop();
        }
        QVERIFY(ended.count() == 1 || ended.wait(10000));
        QCoreApplication::processEvents();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(int(job.outcome().kind), kind);
        QVERIFY2((job.output() + job.outcome().reason).contains(said),
                 qPrintable(job.output() + job.outcome().reason));
        if (root > 0)
            QVERIFY(testsupport::groupGone(root));
    }

    // ffprobe reads a video once while it stays as it was: a run again takes what it said. A file
    // written since, another in its place or one it cannot read is read again.
    void probesRemembered_data() {
        QTest::addColumn<QString>("change"); // to the file between two probes
        QTest::addColumn<int>("reads");      // by ffprobe in all
        addRow("unchanged", QString(), 1);
        addRow("written again, the same bytes", QString("rewrite"), 2);
        addRow("another file in its place", QString("replace"), 2);
        addRow("unreadable", QString("garbage"), 2);
    }
    void probesRemembered() {
        QFETCH(QString, change);
        QFETCH(int, reads);
        QTemporaryDir dir;
        const QString log = dir.filePath("reads"), ffprobe = dir.filePath("ffprobe");
        QVERIFY(testsupport::putFile(ffprobe, "#!/bin/sh\necho >> '" + log.toUtf8() + "'\nexec '" +
                                                  testsupport::ffprobe().toUtf8() + "' \"$@\"\n"));
        QVERIFY(QFile::setPermissions(ffprobe, QFile::ReadOwner | QFile::ExeOwner));
        const QString input = dir.filePath("tone.wav");
        const QByteArray bytes = change == "garbage" ? "no audio" : silence();
        QVERIFY(testsupport::putFile(input, bytes));
        const auto probe = [&] {
            InputProbe probe(ffprobe, input, true);
            QSignalSpy ended(&probe, &Job::finished);
            probe.start();
            return (probe.isFinished() || ended.wait(60000)) && probe.outcome().isDone();
        };
        QCOMPARE(probe(), change != "garbage");
        if (change == "rewrite")
            QVERIFY(testsupport::putFile(input, bytes));
        if (change == "replace") { // other audio of the same size and time
            const QDateTime written = QFileInfo(input).lastModified();
            QFile other(input + ".new");
            QVERIFY(other.open(QIODevice::WriteOnly) &&
                    other.write(QByteArray(bytes).replace(44, 2, "\x01\x01")) == bytes.size());
            QVERIFY(other.setFileTime(written, QFileDevice::FileModificationTime));
            other.close();
            QVERIFY(QFile::remove(input) && QFile::rename(other.fileName(), input));
        }
        QCOMPARE(probe(), change != "garbage");
        QFile read(log);
        QVERIFY(read.open(QIODevice::ReadOnly));
        QCOMPARE(read.readAll().count('\n'), reads);
    }

    // A stop that comes as one child ends starts no next one.
    void stopBetweenChildren() {
        auto* first = new ProcessJob(testsupport::fromCtest("VOXSPLICE_CHILD"), {"exit", "0"});
        TwoChildren job(first);
        connect(first, &Job::finished, &job, [&job] { job.stop(); });
        QSignalSpy ended(&job, &Job::finished);
        job.start();
        QVERIFY(ended.wait(10000));
        QVERIFY(job.outcome().isStopped());
        QVERIFY(!job.secondStarted);
    }
};

QTEST_GUILESS_MAIN(JobsTest)
#include "tst_jobs.moc"
