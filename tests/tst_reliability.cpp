// Reliability: bad inputs, broken templates and faults of the tools, through the real window with
// the real ffmpeg and convert.py. Every case must end in a clear message or an "Error: " with the
// tool's text, never in a crash or a hang, never lose a file the user had, and leave the program
// able to do the next run.
#include "../bench/fuzz/FuzzChecks.h"
#include "app/DropLineEdit.h"
#include "helpers/TestSupport.h"
#include "platform/UserEnvironment.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <array>
#include <csignal>

using namespace testsupport;

// Fails the test with `problem` (evaluated once) unless it is empty.
#define VERIFY_NO_PROBLEM(problem)                                                                 \
    if (const QString why = (problem); !why.isEmpty())                                             \
    QFAIL(qPrintable(why))

namespace {

const QString kKey = QStringLiteral("vxk-Secret-4711-Zebra-q9");
const QStringList kAllStages{"Extracting", "Splitting", "AI Conversion", "Joining", "Final output"};

// Each stage's template box (none for the conversion) and button, in the order of kAllStages.
struct Stage {
    QLineEdit* Form1::*box;
    void (Form1::*click)();
};
const std::array<Stage, 5> kStages{{{&Form1::txtExtractCmd, &Form1::Command2_Click},
                                    {&Form1::txtSplit, &Form1::Command3_Click},
                                    {nullptr, &Form1::cmdConvert_Click},
                                    {&Form1::txtConcat, &Form1::Command4_Click},
                                    {&Form1::txtIntegrate, &Form1::Command5_Click}}};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below `folder` with its checksum, so a test can see that nothing was lost or changed.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, QCryptographicHash::hash(contents(path), QCryptographicHash::Md5));
    }
    return files;
}

QString commandLine(const QString& pid) {
    return QString::fromUtf8(contents("/proc/" + pid + "/cmdline").replace('\0', ' '));
}

// Polls the children of this process every millisecond while a handler runs and records their
// command lines; runs `action` once on the first whose command line holds `needle`, when `ready`.
struct ChildWatch {
    ChildWatch(const QString& needle = {}, std::function<void(qint64)> action = {},
               std::function<bool()> ready = {}) {
        timer.callOnTimeout([=, this] {
            for (const QString& task : QDir("/proc/self/task").entryList(QDir::Dirs)) {
                const QByteArray pids = contents("/proc/self/task/" + task + "/children");
                for (const QByteArray& pid : pids.simplified().split(' ')) {
                    const QString command = commandLine(QString::fromLatin1(pid));
                    if (!command.isEmpty() && !seen.contains(command))
                        seen << command;
                    if (!fired && !needle.isEmpty() && command.contains(needle) &&
                        (!ready || ready())) {
                        fired = true;
                        action(pid.toLongLong());
                    }
                }
            }
        });
        timer.start(1);
    }
    QTimer timer;
    QStringList seen;
    bool fired = false;
};

bool anyProcessMentions(const QString& text) {
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs))
        if (commandLine(entry).contains(text))
            return true;
    return false;
}

const auto killChild = [](qint64 pid) { ::kill(static_cast<pid_t>(pid), SIGKILL); };

// The stand-in voice service on loopback; convert.py talks to it while it lives.
struct Standin {
    Standin(const QString& mode, int failCount) {
        QStringList args{QDir(sourceDir()).filePath("tests/convert/standin_service.py")};
        args << "--ffmpeg" << ffmpeg() << "--port"
             << "0"
             << "--lifetime"
             << "120";
        args << "--mode" << mode << "--key" << kKey;
        if (failCount >= 0)
            args << "--fail-count" << QString::number(failCount);
        m_process.start(QStringLiteral("python3"), args);
        if (m_process.waitForReadyRead(20000))
            url = QString::fromUtf8(m_process.readLine()).trimmed();
        qunsetenv("VOXSPLICE_OFFLINE_VOICE");
        qputenv("ELEVENLABS_API_BASE", url.toUtf8());
    }
    ~Standin() {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    QString url;
    QProcess m_process;
};

// The messages, the logs and the end of the output box, for a failing check to print.
QString report(const Form1& w, const QStringList& messages = {}) {
    return QStringList{messages.join('\n'), logRows(w.listAuto).join('|'),
                       logRows(w.lstAI).join('|'), w.txtOut->toPlainText().right(1500)}
        .join('\n');
}

// Empty when Full Auto ran every stage on `input` without a message and made its output.
QString fullRunProblem(FormFixture& f, const QString& input) {
    Form1& w = *f.form;
    f.messages.clear();
    w.txtInput->setText(input);
    w.Command1_Click();
    const QString output =
        QDir(w.txtOutDir->text()).filePath(QFileInfo(input).completeBaseName() + "_AI.mp4");
    const bool ok =
        f.messages.isEmpty() && logRows(w.listAuto) == kAllStages && audioDuration(output) > 1.5;
    return ok ? QString() : report(w, f.messages);
}

// Empty when the window said `expect`: "message: <part>" in its one message box, or
// "error: <part>" as "Error: " and the tool's text in the output box.
QString outcomeProblem(const FormFixture& f, const QString& expect) {
    const QString part = expect.section(QStringLiteral(": "), 1);
    const QString said = f.form->txtOut->toPlainText();
    const bool ok = expect.startsWith(QStringLiteral("message"))
                        ? f.messages.size() == 1 && f.messages.first().contains(part)
                        : f.messages.isEmpty() && said.startsWith("Error: ") && said.contains(part);
    return ok ? QString() : expect + " expected; got:\n" + report(*f.form, f.messages);
}

// Empty when the conversion ended in `row` with `said` in the output box, no message, the
// segment kept for the next run and no piece passing for a converted one.
QString failedConversionProblem(const FormFixture& f, const QString& row, const QString& said) {
    const Form1& w = *f.form;
    const QDir parts(w.workFolder().parts());
    const bool ok = logRows(w.lstAI).last() == row && w.txtOut->toPlainText().contains(said) &&
                    f.messages.isEmpty() && parts.exists("output000000000.mp4") &&
                    QFileInfo(parts.filePath("1.mp4")).size() == 0;
    return ok ? QString() : report(w, f.messages);
}

// Empty when a conversion of the segment completes.
QString conversionProblem(Form1& w) {
    w.cmdConvert_Click();
    const bool ok = logRows(w.lstAI).last() == "Complete!" &&
                    QFile::exists(QDir(w.workFolder().parts()).filePath("1.mp4"));
    return ok ? QString() : report(w);
}

// Every text the window shows.
QString shownTexts(Form1& w) {
    QStringList texts{w.windowTitle(), w.txtOut->toPlainText(), w.statusBar()->currentMessage()};
    for (const QListWidget* list : w.findChildren<QListWidget*>())
        texts << logRows(list);
    for (const QLabel* label : w.findChildren<QLabel*>())
        texts << label->text();
    for (const QLineEdit* edit : w.findChildren<QLineEdit*>())
        texts << edit->text();
    return texts.join('\n');
}

} // namespace

class ReliabilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void badInput_data();
    void badInput();
    void badOutputFolder_data();
    void badOutputFolder();
    void badTemplate_data();
    void badTemplate();
    void toolKilled_data();
    void toolKilled();
    void resumeAfterKilledConversion();
    void scriptMisbehaves_data();
    void scriptMisbehaves();
    void serviceAnswers_data();
    void serviceAnswers();
    void partsFolderDeleted();
    void garbageSettings_data();
    void garbageSettings();
    void keyStaysSecret();
    void fuzzInputs_data();
    void fuzzInputs();

private:
    bool cutSegment(const QString& parts) const {
        return runFfmpeg({"-i", m_clip, "-vn", "-c:a", "copy", parts + "/output000000000.mp4"});
    }
    QString media(const QString& name) const { return m_media.filePath(name); }

    QTemporaryDir m_media;
    QTemporaryDir m_config;
    QString m_clip;
    QString m_out;
    QMap<QString, QByteArray> m_mediaBefore;
    // A loaded window with the clip as input, cut into one piece; made fresh for each case.
    std::unique_ptr<FormFixture> m_f;
};

void ReliabilityTest::initTestCase() {
    // The per-user environment file and settings stay out of the real home.
    QVERIFY(m_config.isValid() && m_media.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    m_clip = media(QStringLiteral("clip.mp4"));
    QVERIFY(makeVideo(m_clip, 2));
    QVERIFY(makeVideo(media("longer.mp4"), 6));
    QVERIFY(runFfmpeg({"-i", m_clip, "-an", "-c", "copy", media("video only.mp4")}));
    QVERIFY(runFfmpeg({"-i", m_clip, "-vn", "-c", "copy", media("audio only.m4a")}));
    QVERIFY(putFile(media("notes.mp4"), "These are my notes, not a video.\n"));
    QVERIFY(putFile(media("empty.mp4"), QByteArray()));
    QVERIFY(QDir().mkpath(media("a folder.mp4")));
    for (const char* name :
         {"it's 100% %1 %bn %09d ünï 日本語 ✓.mp4", "line\nbreak.mp4", "say \"hi\".mp4"})
        QVERIFY(QFile::copy(m_clip, media(QString::fromUtf8(name))));
    // A path of exactly 250 characters.
    const QString longFolder = media(QStringLiteral("long"));
    const QString longPath =
        longFolder + "/" + QString(250 - int(longFolder.size()) - 5, QLatin1Char('L')) + ".mp4";
    QVERIFY(QDir().mkpath(longFolder) && longPath.size() == 250);
    QVERIFY(QFile::copy(m_clip, longPath));
    m_out = media(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(m_out));
    m_mediaBefore = snapshot(m_media.path());
}

void ReliabilityTest::init() {
    qputenv("VOXSPLICE_OFFLINE_VOICE", "1");
    qputenv("ELEVENLABS_API_BASE", "http://127.0.0.1:9");
    for (const char* name : {"elevenlabs_api_key", "VOXSPLICE_RETRY_BASE_SECONDS",
                             "VOXSPLICE_MAX_TRIES", "VOXSPLICE_HTTP_TIMEOUT"})
        qunsetenv(name);
    if (QByteArray(QTest::currentTestFunction()) == "fuzzInputs")
        return;
    m_f = std::make_unique<FormFixture>();
    QCOMPARE(m_f->load(), Form1::LoadResult::Ready);
    Form1& w = *m_f->form;
    w.txtInput->setText(m_clip);
    w.txtOutDir->setText(m_out);
    w.txtSplit->setText(w.txtSplit->text().replace("-segment_time 299 ", "-segment_time 5 "));
}

void ReliabilityTest::cleanup() {
    m_f.reset();
    // No file the user had is gone or changed; outputs are removed for the next case.
    const QMap<QString, QByteArray> now = snapshot(m_media.path());
    for (auto it = m_mediaBefore.begin(); it != m_mediaBefore.end(); ++it)
        QVERIFY2(now.value(it.key()) == it.value(), qPrintable("lost or changed: " + it.key()));
    for (const QString& path : now.keys())
        if (!m_mediaBefore.contains(path))
            QFile::remove(path);
}

void ReliabilityTest::badInput_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expect"); // "ok" or as outcomeProblem takes it
    addRow("a folder", "a folder.mp4", "message: no input");
    addRow("missing file", "gone.mp4", "message: no input");
    addRow("text named .mp4", "notes.mp4", "message: ffmpeg cannot read");
    addRow("zero bytes", "empty.mp4", "message: ffmpeg cannot read");
    addRow("video without audio", "video only.mp4", "message: has no audio track");
    addRow("double quote", "say \"hi\".mp4", "message: double quote");
    // The audio has no picture to lie under: the result is the new voice alone.
    addRow("audio without video", "audio only.m4a", "ok");
    addRow("apostrophe, percent, macro names, non-ASCII", "it's 100% %1 %bn %09d ünï 日本語 ✓.mp4",
           "ok");
    addRow("newline", "line\nbreak.mp4", "ok");
    addRow("250 characters", "long", "ok");
}

void ReliabilityTest::badInput() {
    QFETCH(QString, name);
    QFETCH(QString, expect);
    QString input = media(name);
    if (name == QStringLiteral("long"))
        input = QDir(input).entryInfoList(QDir::Files).value(0).filePath();
    if (expect == QStringLiteral("ok")) {
        VERIFY_NO_PROBLEM(fullRunProblem(*m_f, input));
        return;
    }
    Form1& w = *m_f->form;
    w.txtInput->setText(input);
    w.Command1_Click();
    // A failure stops the run at its first stage at the latest, says why, and plays no chime.
    VERIFY_NO_PROBLEM(outcomeProblem(*m_f, expect));
    const QStringList log = logRows(w.listAuto);
    QVERIFY2(expect.startsWith("message") ? log.isEmpty() || log.size() == 2 : log.size() == 2,
             qPrintable(log.join('|')));
    QVERIFY(log.isEmpty() || (log.first() == "Extracting" && log.last().contains("fail")));
    QVERIFY(!w.isRunning() && m_f->sounds.isEmpty() && !QFile::exists(w.workFolder().raw()));
}

void ReliabilityTest::badOutputFolder_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("fullAuto");    // said before any stage
    QTest::addColumn<QString>("reintegrate"); // said by Reintegrate alone
    addRow("does not exist", "out/not/there", "message: does not exist",
           "error: No such file or directory");
    addRow("is a file", "notes.mp4", "message: does not exist", "error: Not a directory");
    addRow("empty", "", "message: no output folder", "message: no output folder");
}

void ReliabilityTest::badOutputFolder() {
    QFETCH(QString, folder);
    QFETCH(QString, fullAuto);
    QFETCH(QString, reintegrate);
    Form1& w = *m_f->form;
    w.txtOutDir->setText(folder.isEmpty() ? QString() : media(folder));
    // Full Auto says so before it converts anything (a paid conversion must not be wasted).
    w.Command1_Click();
    VERIFY_NO_PROBLEM(outcomeProblem(*m_f, fullAuto));
    QVERIFY(logRows(w.listAuto).isEmpty());
    QVERIFY(PathTools().ListFiles(w.workFolder().parts(), QStringLiteral("*"), false).isEmpty());
    m_f->messages.clear();

    // Reintegrate alone keeps the joined audio the steps before it left, for a good folder.
    QVERIFY(runFfmpeg({"-i", m_clip, "-vn", "-c", "copy", w.workFolder().joined()}));
    w.Command5_Click();
    VERIFY_NO_PROBLEM(outcomeProblem(*m_f, reintegrate));
    QVERIFY(QFile::exists(w.workFolder().joined()));
    w.txtOutDir->setText(m_out);
    m_f->messages.clear();
    w.Command5_Click();
    QCOMPARE(m_f->messages, QStringList());
    QVERIFY(QFile::exists(QDir(m_out).filePath(QStringLiteral("clip_AI.mp4"))));
}

void ReliabilityTest::badTemplate_data() {
    QTest::addColumn<int>("stage"); // index in kStages
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expect"); // a part of ffmpeg's text after "Error: "
    for (int stage : {0, 1, 3, 4})
        addRow(qPrintable("ffmpeg alone, " + kAllStages[stage]), stage, "ffmpeg",
               "Use -h to get full help");
    addRow("empty", 0, "", "Use -h to get full help");
    addRow("unbalanced quote, Extracting", 0, "ffmpeg -i \"%1 -vn -acodec copy \"%ap/raw.mp4",
           "No such file");
    addRow("unbalanced quote, Final output", 4,
           "ffmpeg -i \"%1\" -i \"%ap/joined.mp4 -c:v copy \"%2/%bn_AI.mp4\" -y", "No such file");
    addRow("writes over its input", 4,
           "ffmpeg -i \"%1\" -i \"%ap/joined.mp4\" -map 0:v -map 1:a -c:v copy \"%1\" -y",
           "same as Input");
    addRow("unknown option", 1, "ffmpeg -i \"%ap/raw.mp4\" --no-such-thing %bn", "no-such-thing");
}

void ReliabilityTest::badTemplate() {
    QFETCH(int, stage);
    QFETCH(QString, text);
    QFETCH(QString, expect);
    Form1& w = *m_f->form;
    // The steps up to `last`, without the conversion (no step needs its pieces).
    const auto runTo = [&w](int last) {
        for (int s = 0; s <= last; ++s)
            if (s != 2)
                (w.*kStages[s].click)();
    };
    QLineEdit* box = w.*kStages[stage].box;
    const QString original = box->text();
    runTo(stage - 1);
    QCOMPARE(m_f->messages, QStringList());
    box->setText(text);
    (w.*kStages[stage].click)();
    VERIFY_NO_PROBLEM(outcomeProblem(*m_f, "error: " + expect));

    // The template put back, the same steps succeed.
    box->setText(original);
    runTo(stage);
    QCOMPARE(m_f->messages, QStringList());
    QVERIFY2(!w.txtOut->toPlainText().startsWith("Error: "), qPrintable(w.txtOut->toPlainText()));
    QVERIFY(stage < 4 || QFile::exists(QDir(m_out).filePath(QStringLiteral("clip_AI.mp4"))));
}

void ReliabilityTest::toolKilled_data() {
    QTest::addColumn<int>("stage"); // index in kAllStages; ffmpeg is killed, or convert.py
    for (int stage = 0; stage < 5; ++stage)
        addRow(qPrintable(kAllStages[stage]), stage);
}

void ReliabilityTest::toolKilled() {
    QFETCH(int, stage);
    Form1& w = *m_f->form;
    // "-re" makes ffmpeg read at the pace of playback, so it is still running when found.
    QLineEdit* box = kStages[stage].box ? w.*kStages[stage].box : nullptr;
    const QString original = box ? box->text() : QString();
    if (box)
        box->setText(QString(original).replace("ffmpeg ", "ffmpeg -re "));
    ChildWatch watch(box ? " -re " : "convert.py", killChild);
    w.Command1_Click();

    QVERIFY(watch.fired);
    const QStringList log = logRows(w.listAuto);
    QVERIFY2(log.size() == stage + 2 && log.at(stage) == kAllStages.at(stage) &&
                 log.last().contains("fail"),
             qPrintable(log.join('|')));
    // Only a finished conversion chimes; the run's own chime needs the last stage done.
    QCOMPARE(m_f->sounds.size(), stage > 2 ? 1 : 0);
    VERIFY_NO_PROBLEM(box ? outcomeProblem(*m_f, "error: ")
                          : failedConversionProblem(*m_f, "Error", ""));
    if (box)
        box->setText(original);
    VERIFY_NO_PROBLEM(fullRunProblem(*m_f, m_clip));
}

void ReliabilityTest::resumeAfterKilledConversion() {
    // convert.py killed while it writes its piece (as by the OOM killer): the conversion is
    // resumed by hand, as the program allows, and the join must take each piece once.
    Form1& w = *m_f->form;
    w.txtSplit->setText(w.txtSplit->text().replace("-segment_time 5 ", "-segment_time 3 "));
    const QString parts = w.workFolder().parts();
    ChildWatch watch("convert.py", killChild, [parts] {
        return !QDir(parts).entryList({".*.part"}, QDir::Files | QDir::Hidden).isEmpty();
    });
    w.txtInput->setText(media("longer.mp4"));
    w.Command1_Click();
    if (!watch.fired)
        QSKIP("convert.py finished before its piece was seen being written");
    QVERIFY(logRows(w.listAuto).last().contains(QStringLiteral("fail")));
    // The killed script's ffmpeg lives on and finishes the piece.
    QTRY_VERIFY_WITH_TIMEOUT(!anyProcessMentions(parts), 20000);

    VERIFY_NO_PROBLEM(conversionProblem(w));
    w.Command4_Click();
    QVERIFY2(!w.txtOut->toPlainText().startsWith("Error: "), qPrintable(w.txtOut->toPlainText()));
    const double joined = audioDuration(w.workFolder().joined());
    const double source = audioDuration(media("longer.mp4"));
    QVERIFY2(qAbs(joined - source) < 0.1,
             qPrintable(QString("joined %1 s of %2").arg(joined).arg(source)));
}

void ReliabilityTest::scriptMisbehaves_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expect"); // a part of txtOut after the failed conversion
    addRow("raises", "raise RuntimeError('boom in the script')\n",
           "RuntimeError: boom in the script");
    addRow("dies by a signal", "import os, signal\nos.kill(os.getpid(), signal.SIGSEGV)\n", "");
    addRow(
        "binary garbage",
        "sys.stdout.buffer.write(bytes(range(256)) * 8 + b'\\xc3\\x28\\xa0\\xa1')\nsys.exit(3)\n",
        QString(QChar::ReplacementCharacter));
    addRow("says OK, writes nothing", "print('\\xff OK?')\n", "wrote no converted file");
    addRow("says OK, writes an empty file", "open(sys.argv[2], 'wb').close()\nprint('OK')\n",
           "the converted file is empty");
    addRow("waits for input", "input('Your key: ')\n", "EOFError");
    addRow("floods its output",
           "for i in range(40000):\n    print('line %d of a long complaint' % i)\nsys.exit(1)\n",
           "line 39999 of a long complaint");
    // The program sets no time limit of its own: a script that hangs is ended with Stop.
    addRow("hangs", "import time\ntime.sleep(600)\n", "");
}

void ReliabilityTest::scriptMisbehaves() {
    QFETCH(QString, script);
    QFETCH(QString, expect);
    Form1& w = *m_f->form;
    QVERIFY(cutSegment(w.workFolder().parts()));
    const QString real = w.workFolder().script();
    const QByteArray realScript = contents(real);
    QVERIFY(!realScript.isEmpty() && putFile(real, "import sys\n" + script.toUtf8()));

    const bool hangs = QByteArray(QTest::currentDataTag()) == "hangs";
    ChildWatch watch(hangs ? "convert.py" : "", [&w](qint64) {
        QTimer::singleShot(200, w.cmdStop, [&w] { w.cmdStop->click(); });
    });
    w.cmdConvert_Click();
    QCOMPARE(watch.fired, hangs);
    VERIFY_NO_PROBLEM(failedConversionProblem(*m_f, hangs ? "Stopped" : "Error", expect));

    QVERIFY(putFile(real, realScript));
    VERIFY_NO_PROBLEM(conversionProblem(w));
}

void ReliabilityTest::serviceAnswers_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("expect"); // empty: the first run succeeds
    addRow("busy twice, then fine", "busy_twice", "");
    addRow("invalid key", "invalid_key", "invalid key");
    addRow("quota exceeded", "quota_exceeded", "quota exceeded");
    addRow("server error", "server_error", "busy");
    addRow("validation error", "validation_error", "invalid");
    addRow("voice not found", "voice_not_found", "voice not found");
    addRow("answer cut short", "truncated", "kept breaking");
    addRow("no answer within its timeout", "stall", "did not answer within 1 s");
}

void ReliabilityTest::serviceAnswers() {
    QFETCH(QString, mode);
    QFETCH(QString, expect);
    Standin service(mode, expect.isEmpty() ? -1 : 1);
    QVERIFY(service.url.startsWith("http://127.0.0.1:"));
    qputenv("elevenlabs_api_key", kKey.toUtf8());
    qputenv("VOXSPLICE_RETRY_BASE_SECONDS", "0");
    qputenv("VOXSPLICE_MAX_TRIES", expect.isEmpty() ? "3" : "1");
    qputenv("VOXSPLICE_HTTP_TIMEOUT", "1");
    Form1& w = *m_f->form;
    QVERIFY(cutSegment(w.workFolder().parts()));
    if (!expect.isEmpty()) {
        w.cmdConvert_Click();
        VERIFY_NO_PROBLEM(failedConversionProblem(*m_f, "Error", expect));
        QVERIFY2(!shownTexts(w).contains(kKey), qPrintable(shownTexts(w)));
    }
    // The service has recovered (or never failed for good): the run converts.
    VERIFY_NO_PROBLEM(conversionProblem(w));
    QVERIFY(!shownTexts(w).contains(kKey));
}

void ReliabilityTest::partsFolderDeleted() {
    // Deleted after Split, then while convert.py runs; each time the next run must not depend
    // on a folder that only start-up creates.
    Form1& w = *m_f->form;
    const QString parts = w.workFolder().parts();
    w.Command2_Click();
    w.Command3_Click();
    QVERIFY(QDir(parts).removeRecursively());
    w.lblrefresh_Click();
    w.cmdConvert_Click();
    w.Command4_Click();
    QCOMPARE(m_f->messages, (QStringList{"No output files in \\parts?", "No files in \\parts?"}));
    VERIFY_NO_PROBLEM(fullRunProblem(*m_f, m_clip));

    ChildWatch watch("convert.py", [parts](qint64) { QDir(parts).removeRecursively(); });
    w.Command1_Click();
    QVERIFY(watch.fired);
    const QStringList log = logRows(w.listAuto);
    QVERIFY2(log.value(2) == "AI Conversion" && log.last().contains("fail"),
             qPrintable(log.join('|')));
    VERIFY_NO_PROBLEM(fullRunProblem(*m_f, m_clip));
}

void ReliabilityTest::garbageSettings_data() {
    QTest::addColumn<QByteArray>("content"); // empty: a folder in the file's place
    QTest::addColumn<int>("voice");          // the voice selected after loading; -1 none
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(char((i * 7919 + 13) % 256));
    addRow("binary noise", noise, 17);
    addRow("not a number", QByteArray("[settings]\ncomboindex=Liam\noutdir=\n"), 0);
    addRow("out of range", QByteArray("[settings]\ncomboindex=45\n"), -1);
    addRow("overflowing number", QByteArray("[settings]\ncomboindex=99999999999999999999\n"), 0);
    addRow("half a section", QByteArray("[settings\ncomboindex=3\n[=]\n==\n\xff\xfe"), 3);
    addRow("one huge line", QByteArray("[settings]\noutdir=") + QByteArray(1 << 20, 'x'), 17);
    addRow("a folder instead of a file", QByteArray(), 17);
}

void ReliabilityTest::garbageSettings() {
    QFETCH(QByteArray, content);
    QFETCH(int, voice);
    WorkDir work;
    QTemporaryDir store;
    const QString path = store.filePath(QStringLiteral("voxsplice.ini"));
    QVERIFY(content.isEmpty() ? QDir().mkpath(path) : putFile(path, content));
    QStringList messages;
    QSettings settings(path, QSettings::IniFormat);
    Form1 w(work.path(), &settings);
    w.setMessageBoxHandler([&messages](const QString& text) { messages << text; });
    w.setSoundPlayer([](const QString&) {});
    QCOMPARE(w.Form_Load(), Form1::LoadResult::Ready);
    QCOMPARE(w.Combo1->currentIndex(), voice);
    QCOMPARE(w.Combo1->count(), 45);
    w.txtOutDir->setText(m_out);
    QVERIFY(cutSegment(w.workFolder().parts()));
    if (voice < 0) {
        // Said plainly; choosing a voice is all it takes.
        w.cmdConvert_Click();
        QVERIFY(messages.size() == 1 && messages.first().contains(QStringLiteral("voice")));
        messages.clear();
        w.Combo1->setCurrentIndex(5);
    }
    VERIFY_NO_PROBLEM(conversionProblem(w));
    QCOMPARE(messages, QStringList());
    w.close();
    settings.sync();
    // What shutdown wrote reads back as the window left it.
    if (!content.isEmpty()) {
        QSettings reread(path, QSettings::IniFormat);
        QCOMPARE(reread.value(QStringLiteral("settings/outdir")).toString(), m_out);
        QCOMPARE(reread.value("settings/comboindex").toString(),
                 QString::number(voice < 0 ? 5 : voice));
    }
}

void ReliabilityTest::keyStaysSecret() {
    Standin service(QStringLiteral("ok"), -1);
    QVERIFY(service.url.startsWith("http://127.0.0.1:"));
    Form1& w = *m_f->form;
    installDialogs(w, {kKey});
    w.mnuSetApiKey_Click();
    QCOMPARE(qEnvironmentVariable("elevenlabs_api_key"), kKey);

    ChildWatch watch;
    VERIFY_NO_PROBLEM(fullRunProblem(*m_f, m_clip));
    QVERIFY(!watch.seen.isEmpty());
    // The key reaches convert.py through the environment only, never on a command line.
    for (const QString& command : watch.seen)
        QVERIFY2(command.contains("standin_service.py") || !command.contains(kKey),
                 qPrintable(command));
    QVERIFY2(!shownTexts(w).contains(kKey), qPrintable(shownTexts(w)));
    const QString settingsFile = m_f->settings->fileName();
    w.close();
    m_f->settings->sync();

    // The per-user environment file holds it (so the scan would find it), no other file does.
    const QString environment = userEnvironmentFile();
    QStringList scanned;
    for (const QString& folder :
         {m_f->work.path(), m_out, QFileInfo(settingsFile).path(), m_config.path()}) {
        for (const QString& path : snapshot(folder).keys()) {
            QVERIFY2(contents(path).contains(kKey.toUtf8()) == (path == environment),
                     qPrintable(path));
            scanned << path;
        }
    }
    QVERIFY(scanned.contains(settingsFile) && scanned.contains(environment));
}

void ReliabilityTest::fuzzInputs_data() {
    // Every seed and every input a fuzz target ever failed on, through the same checks.
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");
    const QDir fuzz(QDir(sourceDir()).filePath(QStringLiteral("bench/fuzz")));
    for (const QString kind : {"corpus", "crashes"}) {
        for (const QString& target :
             QDir(fuzz.filePath(kind)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QDir folder(fuzz.filePath(kind + "/" + target));
            for (const QString& name : folder.entryList(QDir::Files))
                addRow(qPrintable(kind + "/" + target + "/" + name), target, folder.filePath(name));
        }
    }
}

void ReliabilityTest::fuzzInputs() {
    QFETCH(QString, target);
    QFETCH(QString, path);
    const QMap<QString, QString (*)(const uint8_t*, size_t)> checks{
        {"fuzz_template", fuzzchecks::checkTemplate},
        {"fuzz_interpreters", fuzzchecks::checkInterpreters},
        {"fuzz_progress", fuzzchecks::checkProgress}};
    QVERIFY2(checks.contains(target), qPrintable("no checks for " + target));
    const QByteArray bytes = contents(path);
    VERIFY_NO_PROBLEM(checks[target](reinterpret_cast<const uint8_t*>(bytes.constData()),
                                     static_cast<size_t>(bytes.size())));
}

QTEST_MAIN(ReliabilityTest)
#include "tst_reliability.moc"
