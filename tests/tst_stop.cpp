// Progress, Stop and closing during a run: what stays, what goes, and that no child outlives it.
#include "app/DropLineEdit.h"
#include "app/RunStatus.h"
#include "helpers/TestSupport.h"
#include "platform/FileSnapshot.h"

#include <QComboBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
#include <QtTest>

#include <unistd.h>

using testsupport::FormFixture;

namespace {

// The processes whose parent is this test.
QList<qint64> childProcesses() {
    QList<qint64> pids;
    const QString self = QString::number(::getpid());
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ..."; the name may hold blanks, so read after the last ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1) == self.toLatin1() && fields.at(0) != "Z")
            pids.append(pid);
    }
    return pids;
}

// Once the window has run a child for `ms` (and `also` holds), does `act`; checks every 50 ms.
void whenRunningFor(
    Form1& form, int ms, std::function<void()> act,
    std::function<bool()> also = [] { return true; }) {
    auto* timer = new QTimer(&form);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, &form, [=, &form] {
        if (!form.isRunning() || childProcesses().isEmpty() || clock->elapsed() <= ms || !also())
            return;
        timer->stop();
        timer->deleteLater();
        act();
    });
    timer->start(50);
}

// Clicks Stop once the window has run a child for `ms` (and `also` holds).
void stopAfter(
    Form1& form, int ms, std::function<bool()> also = [] { return true; }) {
    whenRunningFor(
        form, ms,
        [&form] {
            QVERIFY(form.cmdStop->isEnabled());
            QTest::mouseClick(form.cmdStop, Qt::LeftButton);
        },
        also);
}

} // namespace

class TestStop : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_media;
    QString m_video;
    std::unique_ptr<FormFixture> m_f;

    // The templates paced in real time (-re), so a step takes as long as the media lasts.
    static QString paced(QString text) {
        return text.replace(QStringLiteral(" -i "), QStringLiteral(" -re -i "));
    }

private slots:
    void initTestCase() {
        m_video = m_media.filePath(QStringLiteral("talk.mp4"));
        QVERIFY(testsupport::makeVideo(m_video, 6));
    }

    void init() {
        m_f = std::make_unique<FormFixture>(QStringLiteral("stop work"));
        QCOMPARE(m_f->load(), Form1::LoadResult::Ready);
        m_f->form->txtInput->setText(m_video);
        m_f->form->txtOutDir->setText(m_media.path());
    }

    void cleanup() {
        m_f.reset();
        QTRY_VERIFY(childProcesses().isEmpty());
    }

    void progressRisesAndTheStatusBarClearsAfterwards() {
        Form1& w = *m_f->form;
        w.txtExtractCmd->setText(paced(w.txtExtractCmd->text()));
        QList<int> seen;
        QStringList stages;
        QTimer sample;
        connect(&sample, &QTimer::timeout, this, [&] {
            if (!w.isRunning())
                return;
            stages.append(w.runStatus->stageText());
            if (seen.isEmpty() || seen.last() != w.runStatus->percent())
                seen.append(w.runStatus->percent());
            QVERIFY(w.cmdStop->isEnabled());
        });
        sample.start(100);
        w.Command2_Click();
        sample.stop();
        QVERIFY(QFile::exists(w.workFolder().raw()));
        QVERIFY(stages.contains(QStringLiteral("Extracting")));
        QVERIFY2(seen.size() >= 3, qPrintable(QString::number(seen.size())));
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QVERIFY(!w.cmdStop->isEnabled());
        QCOMPARE(w.runStatus->stageText(), QString());
    }

    void theWindowKeepsAnsweringWhileFfmpegWorks() {
        // The bound that matters to users is measured by the benchmark; here a blocking wait on
        // the child would show up as a gap as long as the whole run.
        Form1& w = *m_f->form;
        w.txtExtractCmd->setText(paced(w.txtExtractCmd->text()));
        QElapsedTimer clock;
        qint64 last = 0, longest = 0;
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] {
            const qint64 now = clock.elapsed();
            longest = std::max(longest, now - last);
            last = now;
            ++ticks;
        });
        clock.start();
        tick.start(5);
        w.Command2_Click();
        tick.stop();
        qInfo("longest event-loop stall: %lld ms over %d ticks", longest, ticks);
        QVERIFY(ticks > 100);
        QVERIFY(longest < 1000);
    }

    void stopDuringExtractRemovesTheHalfWrittenFile() {
        Form1& w = *m_f->form;
        w.txtExtractCmd->setText(paced(w.txtExtractCmd->text()));
        stopAfter(w, 800);
        w.Command2_Click();
        QVERIFY(!w.isRunning());
        QVERIFY(childProcesses().isEmpty());
        QVERIFY(!QFile::exists(w.workFolder().raw()));
        QVERIFY(QFile::exists(m_video));
        QVERIFY(w.txtOut->toPlainText().startsWith(QStringLiteral("Stopped")));
        QVERIFY(m_f->sounds.isEmpty());
        // The next run goes through.
        w.txtExtractCmd->setText(w.txtExtractCmd->text().remove(QStringLiteral(" -re")));
        w.Command2_Click();
        QVERIFY(QFile::exists(w.workFolder().raw()));
    }

    void stopDuringSplitKeepsRawAndDropsThePieces() {
        Form1& w = *m_f->form;
        w.Command2_Click();
        QVERIFY(QFile::exists(w.workFolder().raw()));
        w.txtSplit->setText(
            paced(w.txtSplit->text()).replace(QStringLiteral("299"), QStringLiteral("1")));
        stopAfter(w, 2500);
        w.Command3_Click();
        QVERIFY(childProcesses().isEmpty());
        QVERIFY(QFile::exists(w.workFolder().raw()));
        QCOMPARE(PathTools().ListFiles(w.workFolder().parts(), QStringLiteral("*")), QStringList());
    }

    void stopDuringRejoinLeavesThePiecesAndNoJoinedFile() {
        Form1& w = *m_f->form;
        w.txtSplit->setText(w.txtSplit->text().replace(QStringLiteral("299"), QStringLiteral("2")));
        w.Command2_Click();
        w.Command3_Click();
        const QStringList pieces = PathTools().ListFiles(w.workFolder().parts(), "*");
        QVERIFY(pieces.size() >= 3);
        w.txtConcat->setText(
            w.txtConcat->text().replace(QStringLiteral(" -i "), QStringLiteral(" -re -i ")));
        stopAfter(w, 1000);
        w.Command4_Click();
        QVERIFY(childProcesses().isEmpty());
        QVERIFY(!QFile::exists(w.workFolder().joined()));
        QVERIFY(!QFile::exists(w.workFolder().concatList()));
        QCOMPARE(PathTools().ListFiles(w.workFolder().parts(), "*"), pieces);
    }

    void stopDuringConversionResumesWithTheSegmentsLeft() {
        // A service that holds the first request without answering, then answers the rest.
        QProcess service;
        service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        service.start(QStandardPaths::findExecutable(QStringLiteral("python3")),
                      {QDir(testsupport::sourceDir())
                           .filePath(QStringLiteral("tests/convert/standin_service.py")),
                       "--mode", "stall", "--fail-count", "1", "--key", "stop-test-key",
                       "--lifetime", "120", "--ffmpeg", testsupport::ffmpeg()});
        QVERIFY(service.waitForReadyRead(20000));
        const QString url = QString::fromUtf8(service.readLine()).trimmed();
        QVERIFY(url.startsWith(QStringLiteral("http://127.0.0.1:")));
        qputenv("ELEVENLABS_API_BASE", url.toUtf8());
        qputenv("elevenlabs_api_key", "stop-test-key");
        qputenv("VOXSPLICE_FFMPEG", testsupport::ffmpeg().toUtf8());

        Form1& w = *m_f->form;
        w.txtSplit->setText(w.txtSplit->text().replace(QStringLiteral("299"), QStringLiteral("2")));
        w.Command2_Click();
        w.Command3_Click();
        const QString parts = w.workFolder().parts();
        const QStringList segments = PathTools().ListFiles(parts, QStringLiteral("output*"), false);
        QVERIFY(segments.size() >= 3);
        // The first segment was converted by an earlier run.
        QVERIFY(QFile::rename(PathTools::join(parts, QStringLiteral("output000000000.mp4")),
                              PathTools::join(parts, QStringLiteral("1.mp4"))));

        stopAfter(w, 1500, [&] {
            return testsupport::logRows(w.lstAI).contains(
                QStringLiteral("starting output000000001"));
        });
        w.cmdConvert_Click();
        QVERIFY(childProcesses().isEmpty() ||
                childProcesses() == QList<qint64>{service.processId()});
        QCOMPARE(testsupport::logRows(w.lstAI).last(), QStringLiteral("Stopped"));
        QVERIFY(m_f->sounds.isEmpty());
        QCOMPARE(PathTools().ListFiles(parts, QStringLiteral("*"), false),
                 QStringList{"1.mp4"} + segments.mid(1));

        // The service answers now; the next run converts what is left.
        w.cmdConvert_Click();
        QCOMPARE(testsupport::logRows(w.lstAI).first(),
                 QStringLiteral("%1 files found").arg(segments.size() - 1));
        QVERIFY2(testsupport::logRows(w.lstAI).last() == QStringLiteral("Complete!"),
                 qPrintable(w.txtOut->toPlainText()));
        QStringList converted;
        for (qsizetype i = 1; i <= segments.size(); ++i)
            converted.append(QStringLiteral("%1.mp4").arg(i));
        QCOMPARE(PathTools().ListFiles(parts, QStringLiteral("*"), false), converted);

        qunsetenv("elevenlabs_api_key");
        qunsetenv("ELEVENLABS_API_BASE");
        service.terminate();
        QVERIFY(service.waitForFinished(10000));
    }

    void stoppingFullAutoSaysStoppedAndPlaysNothing() {
        Form1& w = *m_f->form;
        w.txtExtractCmd->setText(paced(w.txtExtractCmd->text()));
        stopAfter(w, 800);
        w.Command1_Click();
        QCOMPARE(testsupport::logRows(w.listAuto), (QStringList{"Extracting", "Stopped"}));
        QVERIFY(m_f->sounds.isEmpty());
        QVERIFY(m_f->messages.isEmpty());
    }

    void aStopBetweenTwoRunsStartsNoFurtherOne() {
        // A stand-in script that leaves a mark when it runs.
        Form1& w = *m_f->form;
        QFile script(w.workFolder().script());
        QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write("import sys\nopen(sys.argv[2], 'w').write('x')\nprint('OK')\n");
        script.close();
        QDir().mkpath(w.workFolder().parts());
        QFile segment(
            PathTools::join(w.workFolder().parts(), QStringLiteral("output000000000.mp4")));
        QVERIFY(segment.open(QIODevice::WriteOnly));
        segment.close();
        // Stop is pressed while the step writes its log, with no child running.
        connect(w.lstAI->model(), &QAbstractItemModel::rowsInserted, this, [&] {
            if (w.lstAI->item(w.lstAI->count() - 1)->text().contains(QStringLiteral("starting")))
                w.stopRun();
        });
        w.cmdConvert_Click();
        QCOMPARE(testsupport::logRows(w.lstAI).last(), QStringLiteral("Stopped"));
        QVERIFY(!QFile::exists(PathTools::join(w.workFolder().parts(), QStringLiteral("1.mp4"))));
        QVERIFY(segment.exists());
        QVERIFY(m_f->sounds.isEmpty());
    }

    void onlyWhatAStoppedToolWroteIsRemoved() {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in put.mp4"));
        const QString out = dir.filePath(QStringLiteral("out.mp4"));
        const QString kept = dir.filePath(QStringLiteral("kept.mp4"));
        for (const QString& path : {in, kept}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old");
        }
        const FileSnapshot before(FileSnapshot::pathsIn(
            QStringLiteral(" -i \"%1\" -map 0:a -y \"%2\" \"%3\"").arg(in, out, kept)));
        // The input grows while the tool runs (a recording still being written): still an input.
        for (const QString& path : {in, out}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            file.write("new data");
        }
        QCOMPARE(before.written(), QStringList{out});
    }

    void theRunKeepsTheBoxesItStartedWith() {
        Form1& w = *m_f->form;
        qputenv("VOXSPLICE_OFFLINE_VOICE", "1");
        qputenv("VOXSPLICE_FFMPEG", testsupport::ffmpeg().toUtf8());
        QTemporaryDir elsewhere;
        bool changed = false;
        connect(w.listAuto->model(), &QAbstractItemModel::rowsInserted, this, [&] {
            if (changed ||
                !testsupport::logRows(w.listAuto).contains(QStringLiteral("AI Conversion")))
                return;
            changed = true;
            w.txtInput->setText(elsewhere.filePath(QStringLiteral("other.mp4")));
            w.txtOutDir->setText(elsewhere.path());
        });
        w.Command1_Click();
        qunsetenv("VOXSPLICE_OFFLINE_VOICE");
        QVERIFY(changed);
        QCOMPARE(testsupport::logRows(w.listAuto).last(), QStringLiteral("Final output"));
        QVERIFY(QFile::exists(m_media.filePath(QStringLiteral("talk_AI.mp4"))));
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList());
        // The next run takes the boxes as they are now.
        w.Command1_Click();
        QCOMPARE(m_f->messages, QStringList{QStringLiteral("no input")});
    }

    void fullAutoChecksTheOutputFolderBeforeItStarts() {
        Form1& w = *m_f->form;
        w.txtOutDir->setText(m_media.filePath(QStringLiteral("no such folder")));
        w.Command1_Click();
        QCOMPARE(m_f->messages.size(), 1);
        QVERIFY(m_f->messages.first().contains(QStringLiteral("no such folder")));
        QCOMPARE(w.listAuto->count(), 0);
        QVERIFY(!QFile::exists(w.workFolder().raw()));
    }

    void closingDuringARunStopsItThenShutsDown() {
        Form1& w = *m_f->form;
        w.show();
        QDir().mkpath(w.workFolder().parts());
        QFile piece(PathTools::join(w.workFolder().parts(), QStringLiteral("9.mp4")));
        QVERIFY(piece.open(QIODevice::WriteOnly));
        piece.close();
        w.txtExtractCmd->setText(paced(w.txtExtractCmd->text()));
        bool closeRefused = false;
        // Refused while the child ends; the window closes afterwards.
        whenRunningFor(w, 800, [&] { closeRefused = !w.close(); });
        w.Command2_Click();
        QVERIFY(closeRefused);
        QTRY_VERIFY(!w.isVisible());
        QVERIFY(childProcesses().isEmpty());
        // Shutdown ran: the parts are gone and the voice was saved.
        QCOMPARE(PathTools().ListFiles(w.workFolder().parts(), QStringLiteral("*")), QStringList());
        m_f->settings->sync();
        QCOMPARE(m_f->settings->value(QStringLiteral("settings/comboindex")).toString(),
                 QString::number(w.Combo1->currentIndex()));
    }
};

QTEST_MAIN(TestStop)
#include "tst_stop.moc"
