// The steps through the real window and the real ffmpeg on media made here: what each refuses and
// what it leaves, the conversion's contract with its script and its resume, Stop at every stage,
// and closing during a run.
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/PreviewDialog.h"
#include "core/RunRecord.h"
#include "helpers/TestSupport.h"
#include "platform/Platform.h"
#include "platform/UserEnvironment.h"

#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace testsupport;

namespace {

// Separators: one that cannot run here, one whose model is missing and cannot be fetched.
const QByteArray kNoSeparator = "print('{\"type\": \"check\", \"available\": false}')\n";
const QByteArray kNoModel = "import sys\nif sys.argv[1] == '--check':\n"
                            "    print('{\"type\": \"check\", \"available\": true, "
                            "\"weights\": false}')\n"
                            "else:\n    sys.exit('(40%)\\nFAILED: no network')\n";

// A fixture with an input video, an output folder and pieces of at most 2 s (three for the 5 s
// video).
struct Session : FormFixture {
    explicit Session(const QString& video)
        : FormFixture(QStringLiteral("work")) {
        settings->setValue("settings/pieceseconds", 2);
        QVERIFY(load() == Form1::LoadResult::Ready);
        input = dir.filePath("in/clip.mp4");
        QDir().mkpath(dir.filePath("in"));
        QDir().mkpath(dir.filePath("out"));
        QVERIFY(QFile::copy(video, input));
        // A copy of the same video, as a run's record knows it again.
        QFile copy(input);
        QVERIFY(
            copy.open(QIODevice::ReadWrite) &&
            copy.setFileTime(QFileInfo(video).lastModified(), QFileDevice::FileModificationTime));
        ui().txtInput->setText(input);
        ui().txtOutDir->setText(dir.filePath("out"));
        // One piece at a time, so that a failure comes at a known piece.
        ui().spnPieces->setValue(1);
        // A user's template may name the input by its folder and name.
        ui().txtExtractCmd->setText(ui().txtExtractCmd->text().replace("%1", "%pf/%bn.mp4"));
    }
    // Clicks and waits for the end of what it started.
    void click(QPushButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(settle());
    }
    QString out() const { return ui().txtOut->toPlainText(); }
    QStringList parts() const { return namesIn(work("parts")); }
    // The conversion script replaced by `code` (Python).
    void script(const QByteArray& code) { QVERIFY(putFile(work("convert.py"), code)); }
    // Stop (or close the window) once `ready` holds, checked every 20 ms while the run goes on;
    // a click on a step meanwhile is refused.
    void stopWhen(std::function<bool()> ready, bool close = false) {
        auto* timer = new QTimer(form.get());
        QObject::connect(timer, &QTimer::timeout, form.get(), [this, timer, ready, close] {
            if (ready()) {
                timer->deleteLater();
                QTest::mouseClick(ui().Command3, Qt::LeftButton);
                QVERIFY(form->statusBar()->currentMessage().contains("still running"));
                ui().Combo1->setCurrentIndex(3);
                close ? void(form->close()) : QTest::mouseClick(ui().cmdStop, Qt::LeftButton);
            }
        });
        timer->start(20);
    }
    QString input;
};

// Every file under `folder` with its size and time of change.
QStringList filesIn(const QString& folder) {
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QFileInfo file = it.nextFileInfo();
        files << file.filePath() + ' ' + QString::number(file.size()) + ' ' +
                     file.lastModified().toString(Qt::ISODateWithMs);
    }
    files.sort();
    return files;
}

} // namespace

class PipelineTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_media;
    QString m_video;

private slots:
    void initTestCase() {
        qputenv("VOXSPLICE_OFFLINE_VOICE", "1");
        qunsetenv("elevenlabs_api_key");
        m_video = m_media.filePath("clip.mp4");
        QVERIFY(makeVideo(m_video, 5));
        // The three pieces of the video, made once for the cases that only convert.
        Session s(m_video);
        s.click(s.ui().Command2);
        s.click(s.ui().Command3);
        QVERIFY(QDir().rename(s.work("parts"), m_media.filePath("parts")));
    }

    // What each step refuses before it touches anything, and what a failing ffmpeg leaves.
    // Files are blank-separated; "<input>" is the input, "-name" a file that must be gone after.
    void refusals_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("setup"); // made first; "input=..." replaces the input
        QTest::addColumn<QString>("said");  // the message, or the start of the output box
        QTest::addColumn<QString>("after"); // files that must be there, "-x" gone
        addRow("no input", "Command2", "raw.mp4 input=missing.mp4", "no input", "raw.mp4");
        addRow("unreadable input", "Command2", "raw.mp4 input=notes.mp4", "ffmpeg cannot read",
               "raw.mp4");
        // Full Auto finds what would fail later before the audio is extracted.
        addRow("Full Auto without an input", "Command1", "raw.mp4 input=", "no input", "raw.mp4");
        addRow("Full Auto without a voice", "Command1", "raw.mp4 voice=", "No voice selected",
               "raw.mp4");
        addRow("no audio track", "Command1", "raw.mp4 input=silent.mp4", "has no audio track",
               "raw.mp4");
        addRow("no output folder", "Command1", "outdir=", "no output folder", "");
        addRow("output folder missing", "Command1", "outdir=/no/such", "does not exist", "");
        addRow("ffprobe missing", "Command2", "raw.mp4 -ffmpeg/bin/ffprobe", "ffprobe not found",
               "raw.mp4");
        addRow("split without raw.mp4", "Command3", "parts/1.mp4", "Could not find raw.mp4",
               "parts/1.mp4");
        addRow("split of a broken raw.mp4", "Command3", "raw.mp4 parts/1.mp4",
               "Error: ", "-raw.mp4 -parts/1.mp4");
        addRow("conversion without segments", "cmdConvert", "parts/1.mp4",
               "No output files in " + QDir::toNativeSeparators("/parts?"), "parts/1.mp4");
        addRow("conversion without Python", "cmdConvert", "parts/output000000000.mp4 python=",
               pythonProgramName() + " not found: ", "parts/output000000000.mp4");
        addRow("conversion without its script", "cmdConvert",
               "parts/output000000000.mp4 parts/outputx.mp4 -convert.py", "convert.py not found?",
               "parts/output000000000.mp4");
        // No key and no torchaudio: the run says so before anything is sent or split.
        addRow("keep background with no way to", "cmdConvert",
               "parts/output000000000.mp4 background=", "Keep background cannot run",
               "parts/output000000000.mp4");
        // A separator without its model: the user says no to fetching it, or yes and it fails.
        addRow("model not wanted", "cmdConvert", "parts/output000000000.mp4 background=no",
               "model: not fetched", "parts/output000000000.mp4");
        addRow("model not fetched", "cmdConvert", "parts/output000000000.mp4 background=yes",
               "could not be fetched: FAILED: no network", "parts/output000000000.mp4");
        // A separator that crashes on its check: the paid isolator only when the user agrees.
        addRow("isolator not wanted", "cmdConvert",
               "parts/output000000000.mp4 parts/output000000001.mp4 record=in background=crash",
               "the voice service's isolator was not wanted", "parts/output000000000.mp4");
        addRow("conversion without a voice", "cmdConvert",
               "parts/output000000000.mp4 voice=", "No voice selected",
               "parts/output000000000.mp4");
        addRow("conversion with a piece gone", "cmdConvert", "parts/output000000001.mp4 record=in",
               "Piece 1 of 2 is missing", "parts/output000000001.mp4");
        addRow("join without pieces", "Command4", "",
               "No files in " + QDir::toNativeSeparators("/parts?"), "");
        addRow("join with a damaged record", "Command4", "parts/output000000000.mp4 parts/run.json",
               "record of the pieces is damaged", "parts/run.json");
        addRow("conversion of another video's pieces", "cmdConvert",
               "parts/output000000000.mp4 record=/a.mp4", "cut from another video",
               "parts/output000000000.mp4");
        addRow("join of another video's pieces", "Command4",
               "parts/output000000000.mp4 record=/a.mp4", "cut from another video",
               "parts/output000000000.mp4");
        addRow("join with a piece gone", "Command4", "parts/output000000000.mp4 record=in",
               "Piece 2 of 2 is missing", "parts/output000000000.mp4");
        addRow("join of a broken piece", "Command4", "parts/1.mp4",
               "Error: ", "-concat_files.txt -joined.mp4 parts/1.mp4");
        addRow("reintegrate without joined.mp4", "Command5", "", "Could not find joined.mp4", "");
        // A full disk: the earlier output stays as it was, nothing half-written is left.
        addRow("reintegrate onto a full disk", "Command5",
               "joined ../out/clip_AI.mp4 ffmpeg=limited", "Error: File too large",
               "../out/clip_AI.mp4 -../out/.clip_AI.partial.mp4");
    }
    void refusals() {
        QFETCH(QString, button);
        QFETCH(QString, setup);
        QFETCH(QString, said);
        QFETCH(QString, after);
        qunsetenv(kApiKeyVariable);
        Session s(m_video);
        QStringList made;  // files made here, which no step may change
        QStringList asked; // the questions, where a row answers them
        for (const QString& item : setup.split(' ', Qt::SkipEmptyParts)) {
            if (item == "input=") {
                s.ui().txtInput->clear();
            } else if (item.startsWith("input=")) {
                const QString path = m_media.filePath(item.mid(6));
                if (item.contains("silent"))
                    QVERIFY(runFfmpeg({"-f", "lavfi", "-i", "testsrc=d=1", path}));
                else if (!item.contains("missing"))
                    QVERIFY(putFile(path, "not a video"));
                s.ui().txtInput->setText(path);
            } else if (item.startsWith("outdir=")) {
                s.ui().txtOutDir->setText(item.mid(7));
            } else if (item.startsWith("python=")) {
                s.ui().txtPy->setText(item.mid(7));
            } else if (item == "background=crash") {
                qputenv(kApiKeyVariable, "sk-unused");
                s.ui().chkKeepBackground->setChecked(true);
                s.w().setQuestionHandler([&asked](const QString& question) {
                    asked << question;
                    return false;
                });
                QVERIFY(putFile(s.work("separate.py"),
                                "import sys\nsys.exit('separate.py crashed')\n"));
            } else if (item.startsWith("background=")) {
                const bool yes = item.endsWith("yes");
                s.ui().chkKeepBackground->setChecked(true);
                s.w().setQuestionHandler([yes](const QString&) { return yes; });
                QVERIFY(
                    putFile(s.work("separate.py"), item.endsWith('=') ? kNoSeparator : kNoModel));
            } else if (item.startsWith("record=")) {
                RunRecord record;
                record.input = {item.endsWith("=in") ? QFileInfo(s.input).absoluteFilePath()
                                                     : item.mid(7),
                                QFileInfo(s.input).size() + item.endsWith("=in") - 1,
                                QFileInfo(s.input).lastModified()};
                record.pieces = {{0, 88200, "output000000000.mp4"},
                                 {88200, 88200, "output000000001.mp4"}};
                QVERIFY(putFile(s.work("parts/run.json"), record.toJson()));
            } else if (item == "joined") {
                QVERIFY(runFfmpeg(
                    {"-f", "lavfi", "-i", "sine=d=5", "-c:a", "alac", s.work(item + ".mp4")}));
            } else if (item == "ffmpeg=limited") {
                // Files it writes may not grow past 32 kB, as on a disk that is full.
                QVERIFY(QFile::remove(s.work("ffmpeg/bin/ffmpeg")));
                QVERIFY(
                    putFile(s.work("ffmpeg/bin/ffmpeg"), "#!/bin/sh\ntrap '' XFSZ\nulimit -f 64\n"
                                                         "exec " +
                                                             ffmpeg().toUtf8() + " \"$@\"\n"));
                QVERIFY(QFile::setPermissions(s.work("ffmpeg/bin/ffmpeg"),
                                              QFile::ExeOwner | QFile::ReadOwner));
            } else if (item.startsWith("voice=")) {
                s.ui().Combo1->setCurrentIndex(-1);
            } else if (item.startsWith('-')) {
                QVERIFY(QFile::remove(s.work(item.mid(1))));
            } else {
                QVERIFY(putFile(s.work(item), "no media"));
                made << item;
            }
        }
        s.ui().txtOut->setPlainText("before");

        s.click(s.form->findChild<QPushButton*>(button));

        if (said.startsWith("Error: ")) {
            // The output box has all ffmpeg said; the status bar its reason.
            QVERIFY2(s.out().startsWith("Error: "), qPrintable(s.out()));
            QVERIFY2(s.form->statusBar()->currentMessage().contains(said.mid(7)),
                     qPrintable(s.form->statusBar()->currentMessage()));
            QCOMPARE(s.messages, QStringList());
        } else {
            QCOMPARE(s.messages.size(), 1);
            QVERIFY2(s.messages.first().contains(said), qPrintable(s.messages.first()));
            QCOMPARE(s.out(), QString("before"));
        }
        for (const QString& name : after.split(' ', Qt::SkipEmptyParts)) {
            const bool gone = name.startsWith('-');
            QVERIFY2(QFileInfo::exists(s.work(name.mid(gone ? 1 : 0))) != gone, qPrintable(name));
        }
        // A refused Full Auto logs no stage; no run leaves anything in the output folder, or
        // changes a file it did not make.
        if (button == "Command1")
            QCOMPARE(logRows(s.ui().listAuto), QStringList());
        QCOMPARE(namesIn(s.dir.filePath("out")),
                 made.filter("../out/").replaceInStrings("../out/", ""));
        for (const QString& name : made) {
            QFile file(s.work(name));
            QVERIFY(!file.open(QIODevice::ReadOnly) || file.readAll() == "no media");
        }
        QVERIFY(s.form->statusBar()->currentMessage().contains("failed"));
        // Why the separator cannot run, and what the other way costs: two pieces of 2 s.
        if (setup.contains("background=crash"))
            QCOMPARE(asked, QStringList{"The local separator cannot run: separate.py crashed. Use "
                                        "the voice service's isolator, about 67 credits?"});
    }

    // The script's contract: success is exit status 0, a "result" message, and a piece on disk;
    // a segment goes only once its piece is in place. Words for people that look like a result
    // or a wait are never read as one.
    void scriptOutcomes_data() {
        QTest::addColumn<QByteArray>("code"); // the stand-in's body; sys, os, a = sys.argv
        QTest::addColumn<bool>("converted");
        QTest::addColumn<QString>("said"); // in the output box when it failed
        const QByteArray result = "print('{\"type\": \"result\", \"ok\": true}')";
        addRow("a result and a piece", "open(a[3], 'wb').write(b'x'); " + result, true, "");
        addRow("OK only in words",
               QByteArray("open(a[3], 'wb').write(b'x'); print('OK: wrote', "
                          "a[3]); print('{\"ok\": true}')"),
               false, "ended without a result");
        addRow("a wait only in words",
               QByteArray("sys.stderr.write('BUSY: retry after 9 s'); sys.exit(75)"), false,
               "BUSY: retry after 9 s");
        addRow("a result without a piece", result, false, "it is not there");
        addRow("crashes", QByteArray("os.kill(os.getpid(), 9)"), false, "");
    }
    void scriptOutcomes() {
        QFETCH(QByteArray, code);
        QFETCH(bool, converted);
        QFETCH(QString, said);
        Session s(m_video);
        for (const QString& name : namesIn(m_media.filePath("parts")))
            QVERIFY(QFile::copy(m_media.filePath("parts/" + name), s.work("parts/" + name)));
        s.script("import os, sys\na = sys.argv\n" + code + "\n");
        s.click(s.ui().cmdConvert);
        const QStringList log = logRows(s.ui().lstAI);
        QCOMPARE(log.mid(1, 2), (QStringList{"3 files found", "starting output000000000"}));
        QCOMPARE(log.last(), QString(converted ? "Complete!" : "Error"));
        QCOMPARE(s.parts().contains("output000000000.mp4"), !converted);
        QCOMPARE(s.parts().contains("1.mp4"), converted);
        QVERIFY2(s.out().contains(said), qPrintable(s.out()));
        QCOMPARE(s.sounds.size(), converted ? 1 : 0);
    }

    // A conversion that failed part-way resumes with what is left; the join takes the pieces in
    // the order of their numbers; a killed run's hidden temporary is never joined.
    void resumeAfterFailure() {
        Session s(m_video);
        // The service's key reaches no ffmpeg of a run, the window's or the script's.
        qputenv(kApiKeyVariable, "sk-secret");
        const QString keys = s.dir.filePath("keys.txt"), wrapper = s.work("ffmpeg/bin/ffmpeg");
        QVERIFY(QFile::remove(wrapper));
        QVERIFY(putFile(wrapper, "#!/bin/sh\necho \"${elevenlabs_api_key:-none}\" >>'" +
                                     keys.toUtf8() + "'\nexec " + ffmpeg().toUtf8() + " \"$@\"\n"));
        QVERIFY(QFile::setPermissions(wrapper, QFile::ExeOwner | QFile::ReadOwner));
        qputenv("VOXSPLICE_FFMPEG", wrapper.toUtf8());
        const auto restore = qScopeGuard([] {
            qunsetenv(kApiKeyVariable);
            qputenv("VOXSPLICE_FFMPEG", ffmpeg().toUtf8());
        });
        s.click(s.ui().Command2);
        s.click(s.ui().Command3);
        const int pieces = int(s.parts().size()) - 1; // and the record
        QVERIFY(pieces >= 3);
        QVERIFY(QFile::copy(s.work("convert.py"), s.work("real.py")));
        s.script("import os, runpy, sys\nif sys.argv[2].endswith('2.mp4'): sys.exit('no')\n"
                 "sys.argv[0] = os.path.join(os.path.dirname(__file__), 'real.py')\n"
                 "runpy.run_path(sys.argv[0], run_name='__main__')\n");
        s.click(s.ui().cmdConvert);
        QCOMPARE(logRows(s.ui().lstAI).last(), QString("Error"));
        QStringList left{"1.mp4", "2.mp4"}, done{".1.mp4.killed.part"};
        for (int i = 0; i < pieces; ++i) {
            if (i >= 2)
                left << QString("output%1.mp4").arg(i, 9, 10, QChar('0'));
            done << QString("%1.mp4").arg(i + 1);
        }
        QCOMPARE(s.parts(), left + QStringList{"run.json"});
        // The parts panel shows the pieces in their order, each with what became of it.
        const QString third = s.ui().File1->item(2)->text();
        QVERIFY2(third.startsWith("Piece 3 of 3, ") && third.endsWith(": failed: no"),
                 qPrintable(third));
        QCOMPARE(s.ui().File1->item(2)->toolTip(), QString("output000000002.mp4"));
        // A preview meanwhile (the whole of this short video, offline) leaves the run's files
        // alone; its own go with its window.
        const QStringList files = filesIn(s.work(""));
        s.w().cmdPreview_Click();
        auto* preview = s.form->findChild<PreviewDialog*>();
        QVERIFY(QTest::qWaitFor([&] { return !preview->isConverting(); }, 60000));
        QVERIFY2(preview->status().startsWith(
                     "0:00 to 0:05 (from the first speech): changed on this machine"),
                 qPrintable(preview->status()));
        const QDir folder(preview->folder());
        QCOMPARE(audioDuration(folder.filePath("voice.wav")),
                 audioDuration(folder.filePath("original.wav")));
        QCOMPARE(filesIn(s.work("")), files);
        preview->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!folder.exists());
        QVERIFY(QFile::remove(s.work("convert.py")));
        QVERIFY(QFile::rename(s.work("real.py"), s.work("convert.py")));
        QVERIFY(putFile(s.work("parts/.1.mp4.killed.part"), QByteArray(100000, 'x')));
        s.click(s.ui().cmdConvert);
        QCOMPARE(logRows(s.ui().lstAI).value(1), QString("%1 files found").arg(pieces - 2));
        QCOMPARE(s.parts(), done + QStringList{"run.json"});
        s.click(s.ui().Command4);
        QVERIFY2(qAbs(audioDuration(s.work("joined.mp4")) - 5) < 0.025, qPrintable(s.out()));
        QFile keysSeen(keys);
        QVERIFY(keysSeen.open(QIODevice::ReadOnly));
        const QByteArray seen = keysSeen.readAll();
        QVERIFY2(seen.count("none\n") > pieces && !seen.contains("sk-secret"), seen.constData());
    }

    // Stop at every stage: the run says Stopped, what the stopped tool was writing is gone, what
    // earlier steps made stays, no child of the run is left, and the next run completes.
    void stops_data() {
        QTest::addColumn<QString>("stage"); // the step whose template or script is paced
        QTest::addColumn<QString>("left");  // working files there after the stop, "-x" gone
        addRow("extracting", "Extract", "-raw.mp4 -.raw.partial.mp4");
        addRow("splitting", "Split",
               "raw.mp4 -parts/output000000000.mp4 -parts/output000000001.mp4");
        addRow("converting", "Convert", "parts/output000000000.mp4 -parts/1.mp4");
        addRow("joining", "Concat",
               "parts/1.mp4 parts/run.json -joined.mp4 -.joined.partial.mp4 -concat_files.txt");
        // Closing the window stops the run first, then shuts down: the pieces go.
        addRow("closing the window", "Close", "-raw.mp4 -.raw.partial.mp4");
        // Stopped while a question waits; its answer comes after the run has gone.
        addRow("asking", "Ask", "-raw.mp4");
    }
    void stops() {
        QFETCH(QString, stage);
        QFETCH(QString, left);
        Session s(m_video);
        // Joined, or run again after the stop: whole, one piece is enough.
        const auto onePiece = [&s] { s.settings->setValue("settings/pieceseconds", 10); };
        if (stage == "Concat")
            onePiece();
        QLineEdit* paced = stage == "Extract" || stage == "Close" ? s.ui().txtExtractCmd
                           : stage == "Split"                     ? s.ui().txtSplit
                                                                  : s.ui().txtConcat;
        QString plain = paced->text();
        // Real time (-re): the step takes as long as the media lasts.
        paced->setText(QString(plain).replace(" -i ", " -re -i "));
        // The conversion: a script whose own ffmpeg child runs until it is stopped.
        QVERIFY(QFile::copy(s.work("convert.py"), s.work("real.py")));
        if (stage == "Convert")
            s.script("import os, subprocess, sys\nopen(sys.argv[3] + '.p', 'w').write(str("
                     "os.getpgrp()))\nos.replace(sys.argv[3] + '.p', sys.argv[3] + '.pid')\n"
                     "subprocess.run([os.path.join(os.path.dirname(__file__), "
                     "'ffmpeg/bin/ffmpeg'), '-v', 'quiet', '-nostats', '-re', '-f', "
                     "'lavfi', '-i', 'sine=d=60', '-f', 'null', '-'])\n");
        // Once the stopped tool is at work: it has begun the file it writes (under a hidden
        // name until it is complete), or said which process group it leads.
        const QString sign = stage == "Extract" || stage == "Close" ? ".raw.partial.mp4"
                             : stage == "Split"                     ? "parts/output000000000.mp4"
                             : stage == "Convert"                   ? "parts/1.mp4.pid"
                                                                    : ".joined.partial.mp4";
        if (stage == "Ask") { // the separator's model is missing: may it be fetched?
            s.w().setQuestionHandler(nullptr); // asked in a box of its own
            s.ui().chkKeepBackground->setChecked(true);
            s.ui().cboSeparation->setCurrentText("local");
            QVERIFY(putFile(s.work("separate.py"), kNoModel));
        }
        const auto question = [&s] { return s.form->findChild<QMessageBox*>(); };
        s.stopWhen(
            [&] { return stage == "Ask" ? question() != nullptr : QFile::exists(s.work(sign)); },
            stage == "Close");
        QVERIFY(putFile(s.work("parts/1.mp4")));
        // The window answers while the tool runs: stopWhen's check and clicks reach it.
        s.click(s.ui().Command1);
        QCOMPARE(logRows(s.ui().listAuto).last(), QString("Stopped"));
        QVERIFY(s.form->statusBar()->currentMessage().contains("stopped"));
        // No chime for a stopped run (the conversion's own plays when it completed).
        QCOMPARE(s.sounds.size(), stage == "Concat" ? 1 : 0);
        for (const QString& name : left.split(' ')) {
            const bool gone = name.startsWith('-');
            QVERIFY2(QFileInfo::exists(s.work(name.mid(gone ? 1 : 0))) != gone, qPrintable(name));
        }
        if (stage == "Convert") {
            // No process of the script's group is left: not the script, not its ffmpeg.
            QFile pid(s.work("parts/1.mp4.pid"));
            QVERIFY(pid.open(QIODevice::ReadOnly));
            QVERIFY(groupGone(pid.readAll().toLongLong()));
            QVERIFY(QFile::remove(pid.fileName()) && QFile::remove(s.work("convert.py")));
            QVERIFY(QFile::rename(s.work("real.py"), s.work("convert.py")));
        }
        if (stage == "Ask") { // nothing follows the late answer
            question()->button(QMessageBox::Yes)->click();
            QVERIFY(!s.w().isRunning() && !s.out().contains("FAILED"));
        }
        if (stage == "Close") { // then shut down: the choices kept, the pieces gone
            QVERIFY(QTest::qWaitFor([&] { return s.settings->contains("settings/comboindex"); }));
            QCOMPARE(s.settings->value("settings/comboindex").toString(), QString("3"));
            QCOMPARE(s.parts(), QStringList());
        }
        if (stage != "Split" && stage != "Convert")
            return;
        paced->setText(plain);
        onePiece();
        // Even with the parts folder gone behind the program's back.
        QVERIFY(QDir(s.work("parts")).removeRecursively());
        s.click(s.ui().Command1);
        QCOMPARE(logRows(s.ui().listAuto).last(), QString("Final output"));
        QVERIFY(QFile::exists(s.dir.filePath("out/clip_AI.mp4")));
    }
};

QTEST_MAIN(PipelineTest)
#include "tst_pipeline.moc"
