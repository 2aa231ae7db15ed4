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
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <array>
#include <csignal>
#include <unistd.h>

using namespace testsupport;

namespace {

const QString kKey = QStringLiteral("vxk-Secret-4711-Zebra-q9");

QByteArray md5(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex();
}

// Every file below `folder` with its checksum, so a test can see that nothing was lost or changed.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, md5(path));
    }
    return files;
}

const QStringList kAllStages{"Extracting", "Splitting", "AI Conversion", "Joining", "Final output"};

// The children of this process, with their command lines (arguments joined by blanks).
QMap<qint64, QString> childProcesses() {
    QMap<qint64, QString> found;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs)) {
        QFile list(QStringLiteral("/proc/self/task/%1/children").arg(task));
        if (!list.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : list.readAll().split(' ')) {
            if (pid.trimmed().isEmpty())
                continue;
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(QString::fromLatin1(pid)));
            if (cmdline.open(QIODevice::ReadOnly))
                found.insert(pid.toLongLong(),
                             QString::fromUtf8(cmdline.readAll().replace('\0', ' ')));
        }
    }
    return found;
}

// Watches this process's children every millisecond while a handler runs. Records every
// command line it sees; once a child's command line holds `needle` and `ready` agrees, runs
// `action` on it, once.
class ChildWatch : public QObject {
public:
    ChildWatch(
        QString needle, std::function<void(qint64)> action,
        std::function<bool()> ready = [] { return true; })
        : m_needle(std::move(needle))
        , m_action(std::move(action))
        , m_ready(std::move(ready)) {
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }
    bool fired() const { return m_fired; }
    QStringList seen;

private:
    void poll() {
        const auto found = childProcesses();
        for (auto it = found.begin(); it != found.end(); ++it) {
            if (!seen.contains(it.value()))
                seen << it.value();
            if (!m_fired && !m_needle.isEmpty() && it.value().contains(m_needle) && m_ready()) {
                m_fired = true;
                m_action(it.key());
            }
        }
    }

    QTimer m_timer;
    QString m_needle;
    std::function<void(qint64)> m_action;
    std::function<bool()> m_ready;
    bool m_fired = false;
};

// True while any process on the system has `text` in its command line.
bool anyProcessMentions(const QString& text) {
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (entry.at(0).isDigit() && cmdline.open(QIODevice::ReadOnly) &&
            QString::fromUtf8(cmdline.readAll().replace('\0', ' ')).contains(text))
            return true;
    }
    return false;
}

void killChild(qint64 pid) {
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}

// The stand-in voice service as a program on loopback.
class Standin {
public:
    bool start(const QString& mode, int failCount, const QString& key) {
        QStringList args{QDir(sourceDir()).filePath("tests/convert/standin_service.py"),
                         "--port",
                         "0",
                         "--mode",
                         mode,
                         "--key",
                         key,
                         "--lifetime",
                         "120",
                         "--ffmpeg",
                         ffmpeg()};
        if (failCount >= 0)
            args << "--fail-count" << QString::number(failCount);
        m_process.start(QStringLiteral("python3"), args);
        if (!m_process.waitForReadyRead(20000))
            return false;
        url = QString::fromUtf8(m_process.readLine()).trimmed();
        return url.startsWith(QStringLiteral("http://127.0.0.1:"));
    }
    ~Standin() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
    QString url;

private:
    QProcess m_process;
};

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(bytes);
}

// The first cut of a video as parts/output000000000.mp4 and onwards, as the split step makes them.
bool cutSegments(FormFixture& f, const QString& input, int seconds) {
    const QString parts = f.work.file(QStringLiteral("parts"));
    return runFfmpeg({"-i", input, "-vn", "-c:a", "copy", "-f", "segment", "-segment_time",
                      QString::number(seconds), QDir(parts).filePath("output%09d.mp4")});
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
    void partsFolderDeleted_data();
    void partsFolderDeleted();
    void garbageSettings_data();
    void garbageSettings();
    void keyStaysSecret();
    void fuzzInputs_data();
    void fuzzInputs();

private:
    // A loaded window on a fresh working folder with the clip as input, cut into one piece.
    std::unique_ptr<FormFixture> window(const QString& input = QString());
    // Runs Full Auto and expects it to make `input`'s output, with no message.
    void expectFullRun(FormFixture& f, const QString& input);
    // Every text the window shows.
    static QString shownTexts(Form1& w);
    QString media(const QString& name) const { return m_media.filePath(name); }

    QTemporaryDir m_media;
    QTemporaryDir m_config;
    QString m_clip;
    QString m_out;
    QMap<QString, QByteArray> m_mediaBefore;
};

void ReliabilityTest::initTestCase() {
    qputenv("VOXSPLICE_OFFLINE_VOICE", "1");
    qunsetenv("elevenlabs_api_key");
    qputenv("ELEVENLABS_API_BASE", "http://127.0.0.1:9");
    // The per-user environment file and settings stay out of the real home.
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());

    QVERIFY(m_media.isValid());
    m_clip = media(QStringLiteral("clip.mp4"));
    QVERIFY(makeVideo(m_clip, 2));
    QVERIFY(runFfmpeg({"-i", m_clip, "-an", "-c", "copy", media("video only.mp4")}));
    QVERIFY(runFfmpeg({"-i", m_clip, "-vn", "-c", "copy", media("audio only.m4a")}));
    writeFile(media("notes.mp4"), "These are my notes, not a video.\n");
    writeFile(media("empty.mp4"), QByteArray());
    QVERIFY(QDir().mkpath(media("a folder.mp4")));
    for (const QString& name :
         {QStringLiteral("it's 100% %1 %bn %09d ünï 日本語 ✓.mp4"),
          QStringLiteral("line\nbreak.mp4"), QStringLiteral("say \"hi\".mp4")})
        QVERIFY(QFile::copy(m_clip, media(name)));
    // A path of exactly 250 characters.
    const QString longFolder = media(QStringLiteral("long"));
    QVERIFY(QDir().mkpath(longFolder));
    const int fill = 250 - int(longFolder.size()) - 1 - 4;
    QVERIFY(fill > 10);
    const QString longPath = longFolder + "/" + QString(fill, QLatin1Char('L')) + ".mp4";
    QCOMPARE(longPath.size(), 250);
    QVERIFY(QFile::copy(m_clip, longPath));

    m_out = media(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(m_out));
    m_mediaBefore = snapshot(m_media.path());
}

void ReliabilityTest::init() {
    qputenv("VOXSPLICE_OFFLINE_VOICE", "1");
    qunsetenv("elevenlabs_api_key");
}

void ReliabilityTest::cleanup() {
    // No file the user had is gone or changed; outputs are removed for the next case.
    const QMap<QString, QByteArray> now = snapshot(m_media.path());
    for (auto it = m_mediaBefore.begin(); it != m_mediaBefore.end(); ++it) {
        QVERIFY2(now.contains(it.key()), qPrintable("lost: " + it.key()));
        QVERIFY2(now.value(it.key()) == it.value(), qPrintable("changed: " + it.key()));
    }
    for (const QString& path : now.keys()) {
        if (!m_mediaBefore.contains(path))
            QFile::remove(path);
    }
}

std::unique_ptr<FormFixture> ReliabilityTest::window(const QString& input) {
    auto f = std::make_unique<FormFixture>(QStringLiteral("work"));
    if (f->load() != Form1::LoadResult::Ready)
        return nullptr;
    Form1& w = *f->form;
    w.txtInput->setText(input.isEmpty() ? m_clip : input);
    w.txtOutDir->setText(m_out);
    QString split = w.txtSplit->text();
    w.txtSplit->setText(
        split.replace(QStringLiteral("-segment_time 299 "), QStringLiteral("-segment_time 5 ")));
    return f;
}

void ReliabilityTest::expectFullRun(FormFixture& f, const QString& input) {
    Form1& w = *f.form;
    f.messages.clear();
    w.txtInput->setText(input);
    w.Command1_Click();
    QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join('\n')));
    QVERIFY2(logRows(w.listAuto) == kAllStages, qPrintable(logRows(w.listAuto).join('|') + "\n" +
                                                           w.txtOut->toPlainText().right(1500)));
    const QString output = QDir(m_out).filePath(QFileInfo(input).completeBaseName() + "_AI.mp4");
    QVERIFY2(QFile::exists(output), qPrintable(output));
    QVERIFY(audioDuration(output) > 1.5);
}

QString ReliabilityTest::shownTexts(Form1& w) {
    QStringList texts{w.windowTitle(), w.txtOut->toPlainText(), w.statusBar()->currentMessage()};
    for (const QListWidget* list : w.findChildren<QListWidget*>())
        texts << logRows(list);
    for (const QLabel* label : w.findChildren<QLabel*>())
        texts << label->text();
    for (const QLineEdit* edit : w.findChildren<QLineEdit*>())
        texts << edit->text();
    return texts.join('\n');
}

// --- bad inputs ---

void ReliabilityTest::badInput_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expect"); // "ok", "message: <part>" or "error: <ffmpeg's text>"

    QTest::newRow("a folder") << "a folder.mp4"
                              << "message: no input";
    QTest::newRow("text named .mp4") << "notes.mp4"
                                     << "error: Invalid data found";
    QTest::newRow("zero bytes") << "empty.mp4"
                                << "error: Invalid data found";
    QTest::newRow("video without audio") << "video only.mp4"
                                         << "error: does not contain any stream";
    QTest::newRow("missing file") << "gone.mp4"
                                  << "message: no input";
    QTest::newRow("double quote") << "say \"hi\".mp4"
                                  << "message: double quote";
    // The audio has no picture to lie under: the result is the new voice alone.
    QTest::newRow("audio without video") << "audio only.m4a"
                                         << "ok";
    QTest::newRow("apostrophe, percent, macro names, non-ASCII")
        << "it's 100% %1 %bn %09d ünï 日本語 ✓.mp4"
        << "ok";
    QTest::newRow("newline") << "line\nbreak.mp4"
                             << "ok";
    QTest::newRow("250 characters") << "long"
                                    << "ok";
}

void ReliabilityTest::badInput() {
    QFETCH(QString, name);
    QFETCH(QString, expect);
    QString input = media(name);
    if (name == QStringLiteral("long"))
        input = QDir(media("long")).entryInfoList(QDir::Files).value(0).filePath();
    auto f = window(input);
    QVERIFY(f);
    Form1& w = *f->form;

    w.Command1_Click();

    QVERIFY(!w.isRunning());
    const QStringList log = logRows(w.listAuto);
    if (expect == QStringLiteral("ok")) {
        QVERIFY2(f->messages.isEmpty(), qPrintable(f->messages.join('\n')));
        QVERIFY2(log == kAllStages,
                 qPrintable(log.join('|') + "\n" + w.txtOut->toPlainText().right(1500)));
        const QString output =
            QDir(m_out).filePath(QFileInfo(input).completeBaseName() + QStringLiteral("_AI.mp4"));
        QVERIFY2(QFile::exists(output), qPrintable(output));
        QVERIFY(audioDuration(output) > 1.5);
        return;
    }
    // A failure stops the run before or at its first stage, says why, and plays no chime.
    QVERIFY2(log.size() <= 2, qPrintable(log.join('|')));
    if (!log.isEmpty()) {
        QCOMPARE(log.first(), QStringLiteral("Extracting"));
        QVERIFY(log.last().contains(QStringLiteral("fail")));
    }
    QVERIFY(f->sounds.isEmpty());
    const QString part = expect.section(QStringLiteral(": "), 1);
    if (expect.startsWith(QStringLiteral("message"))) {
        QCOMPARE(f->messages.size(), 1);
        QVERIFY2(f->messages.first().contains(part), qPrintable(f->messages.first()));
    } else {
        QVERIFY(f->messages.isEmpty());
        QCOMPARE(log.size(), 2);
        const QString text = w.txtOut->toPlainText();
        QVERIFY2(text.startsWith(QStringLiteral("Error: ")), qPrintable(text));
        QVERIFY2(text.contains(part), qPrintable(text));
    }
    QVERIFY(!QFile::exists(w.workFolder().raw()));
}

void ReliabilityTest::badOutputFolder_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expect");   // from Reintegrate alone
    QTest::addColumn<QString>("fullAuto"); // Full Auto's message, before any stage

    QTest::newRow("does not exist") << "out/not/there"
                                    << "error: No such file or directory"
                                    << "does not exist";
    QTest::newRow("is a file") << "notes.mp4"
                               << "error: Not a directory"
                               << "does not exist";
    QTest::newRow("empty") << ""
                           << "message: no output folder"
                           << "no output folder";
}

void ReliabilityTest::badOutputFolder() {
    QFETCH(QString, folder);
    QFETCH(QString, expect);
    QFETCH(QString, fullAuto);
    auto f = window();
    QVERIFY(f);
    Form1& w = *f->form;
    w.txtOutDir->setText(folder.isEmpty() ? QString() : media(folder));

    // Full Auto says so before it converts anything (a paid conversion must not be wasted).
    w.Command1_Click();
    QCOMPARE(f->messages.size(), 1);
    QVERIFY2(f->messages.first().contains(fullAuto), qPrintable(f->messages.first()));
    QVERIFY(logRows(w.listAuto).isEmpty());
    QVERIFY(PathTools().ListFiles(w.workFolder().parts(), QStringLiteral("*"), false).isEmpty());
    f->messages.clear();

    // Only the last step needs the folder; joined.mp4 is what the steps before it leave.
    QVERIFY(runFfmpeg({"-i", m_clip, "-vn", "-c", "copy", w.workFolder().joined()}));
    w.txtOutDir->setText(folder.isEmpty() ? QString() : media(folder));

    w.Command5_Click();

    const QString part = expect.section(QStringLiteral(": "), 1);
    if (expect.startsWith(QStringLiteral("message"))) {
        QCOMPARE(f->messages, QStringList{part});
    } else {
        QVERIFY(f->messages.isEmpty());
        QVERIFY2(w.txtOut->toPlainText().startsWith(QStringLiteral("Error: ")) &&
                     w.txtOut->toPlainText().contains(part),
                 qPrintable(w.txtOut->toPlainText()));
    }
    // The joined audio waits for a good folder: the conversion need not run again.
    QVERIFY(QFile::exists(w.workFolder().joined()));
    w.txtOutDir->setText(m_out);
    f->messages.clear();
    w.Command5_Click();
    QVERIFY2(f->messages.isEmpty(), qPrintable(f->messages.join('\n')));
    QVERIFY2(QFile::exists(QDir(m_out).filePath(QStringLiteral("clip_AI.mp4"))),
             qPrintable(w.txtOut->toPlainText()));
}

// --- templates ---

void ReliabilityTest::badTemplate_data() {
    QTest::addColumn<int>("step"); // 2 extract, 3 split, 4 rejoin, 5 reintegrate
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expect"); // a part of ffmpeg's text after "Error: "

    for (int step = 2; step <= 5; ++step) {
        const QByteArray n = QByteArray::number(step);
        QTest::newRow("ffmpeg alone " + n) << step << "ffmpeg"
                                           << "Use -h to get full help";
    }
    QTest::newRow("empty") << 2 << ""
                           << "Use -h to get full help";
    QTest::newRow("unbalanced quote 2") << 2 << "ffmpeg -i \"%1 -vn -acodec copy \"%ap/raw.mp4"
                                        << "No such file";
    QTest::newRow("unbalanced quote 5")
        << 5 << "ffmpeg -i \"%1\" -i \"%ap/joined.mp4 -c:v copy \"%2/%bn_AI.mp4\" -y"
        << "No such file";
    QTest::newRow("writes over its input")
        << 5 << "ffmpeg -i \"%1\" -i \"%ap/joined.mp4\" -map 0:v -map 1:a -c:v copy \"%1\" -y"
        << "same as Input";
    QTest::newRow("unknown option") << 3 << "ffmpeg -i \"%ap/raw.mp4\" --no-such-thing %bn"
                                    << "no-such-thing";
}

void ReliabilityTest::badTemplate() {
    QFETCH(int, step);
    QFETCH(QString, text);
    QFETCH(QString, expect);
    auto f = window();
    QVERIFY(f);
    Form1& w = *f->form;
    const std::array<std::function<void()>, 4> clicks{
        [&] { w.Command2_Click(); }, [&] { w.Command3_Click(); }, [&] { w.Command4_Click(); },
        [&] { w.Command5_Click(); }};
    const std::array<QLineEdit*, 4> boxes{w.txtExtractCmd, w.txtSplit, w.txtConcat, w.txtIntegrate};
    const auto runUpTo = [&](int last) {
        for (int s = 2; s <= last; ++s)
            clicks[s - 2]();
    };

    runUpTo(step - 1);
    QVERIFY2(f->messages.isEmpty(), qPrintable(f->messages.join('\n')));
    const QString original = boxes[step - 2]->text();
    boxes[step - 2]->setText(text);
    clicks[step - 2]();

    QVERIFY(!w.isRunning());
    QVERIFY2(f->messages.isEmpty(), qPrintable(f->messages.join('\n')));
    const QString said = w.txtOut->toPlainText();
    QVERIFY2(said.startsWith(QStringLiteral("Error: ")) && said.contains(expect), qPrintable(said));

    // The template put back, the same steps succeed.
    boxes[step - 2]->setText(original);
    runUpTo(step);
    QVERIFY2(f->messages.isEmpty(), qPrintable(f->messages.join('\n')));
    QVERIFY2(!w.txtOut->toPlainText().startsWith(QStringLiteral("Error: ")),
             qPrintable(w.txtOut->toPlainText()));
    if (step == 5)
        QVERIFY(QFile::exists(QDir(m_out).filePath(QStringLiteral("clip_AI.mp4"))));
}

// --- tools that die ---

void ReliabilityTest::toolKilled_data() {
    QTest::addColumn<int>("stage"); // index in kAllStages
    QTest::addColumn<QString>("needle");

    QTest::newRow("ffmpeg in Extracting") << 0 << "ffmpeg";
    QTest::newRow("ffmpeg in Splitting") << 1 << "ffmpeg";
    QTest::newRow("convert.py") << 2 << "convert.py";
    QTest::newRow("ffmpeg in Joining") << 3 << "ffmpeg";
    QTest::newRow("ffmpeg in Final output") << 4 << "ffmpeg";
}

void ReliabilityTest::toolKilled() {
    QFETCH(int, stage);
    QFETCH(QString, needle);
    auto f = window();
    QVERIFY(f);
    Form1& w = *f->form;
    // "-re" makes ffmpeg read at the pace of playback, so it is still running when found.
    QLineEdit* box = stage == 0   ? w.txtExtractCmd
                     : stage == 1 ? w.txtSplit
                     : stage == 3 ? w.txtConcat
                     : stage == 4 ? w.txtIntegrate
                                  : nullptr;
    const QString original = box ? box->text() : QString();
    if (box)
        box->setText(
            QString(original).replace(QStringLiteral("ffmpeg "), QStringLiteral("ffmpeg -re ")));
    ChildWatch watch(box ? QStringLiteral(" -re ") : needle, killChild);

    w.Command1_Click();

    QVERIFY(watch.fired());
    QVERIFY(!w.isRunning());
    const QStringList log = logRows(w.listAuto);
    QCOMPARE(log.size(), stage + 2);
    QCOMPARE(log.at(stage), kAllStages.at(stage));
    QVERIFY2(log.last().contains(QStringLiteral("fail")), qPrintable(log.join('|')));
    // Only a finished conversion chimes; the run's own chime needs the last stage done.
    QCOMPARE(f->sounds.size(), stage > 2 ? 1 : 0);
    if (box)
        QVERIFY2(w.txtOut->toPlainText().startsWith(QStringLiteral("Error: ")),
                 qPrintable(w.txtOut->toPlainText()));
    else
        QCOMPARE(logRows(w.lstAI).last(), QStringLiteral("Error"));

    if (box)
        box->setText(original);
    expectFullRun(*f, m_clip);
}

void ReliabilityTest::resumeAfterKilledConversion() {
    // convert.py killed while it writes its piece (as by the OOM killer or a crash of the
    // machine): the conversion is resumed by hand, as the program allows, and the join must take
    // each piece once.
    auto f = window();
    QVERIFY(f);
    Form1& w = *f->form;
    w.txtSplit->setText(w.txtSplit->text().replace(QStringLiteral("-segment_time 5 "),
                                                   QStringLiteral("-segment_time 3 ")));
    const QString longer = media(QStringLiteral("longer.mp4"));
    QVERIFY(makeVideo(longer, 6));
    m_mediaBefore.insert(longer, md5(longer));
    const QString parts = w.workFolder().parts();
    const auto writing = [parts] {
        return !QDir(parts)
                    .entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden)
                    .isEmpty();
    };
    ChildWatch watch(QStringLiteral("convert.py"), killChild, writing);
    w.txtInput->setText(longer);
    w.Command1_Click();
    if (!watch.fired())
        QSKIP("convert.py finished before its piece was seen being written");
    QVERIFY(logRows(w.listAuto).last().contains(QStringLiteral("fail")));
    // The killed script's ffmpeg lives on and finishes the piece.
    QTRY_VERIFY_WITH_TIMEOUT(!anyProcessMentions(parts), 20000);

    w.cmdConvert_Click();
    QCOMPARE(logRows(w.lstAI).last(), QStringLiteral("Complete!"));
    w.Command4_Click();
    QVERIFY2(!w.txtOut->toPlainText().startsWith(QStringLiteral("Error: ")),
             qPrintable(w.txtOut->toPlainText()));
    const double joined = audioDuration(w.workFolder().joined());
    const double source = audioDuration(longer);
    QVERIFY2(qAbs(joined - source) < 0.1,
             qPrintable(QStringLiteral("joined %1 s, source %2 s").arg(joined).arg(source)));
}

void ReliabilityTest::scriptMisbehaves_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expect"); // a part of txtOut after the failed conversion

    QTest::newRow("raises") << "raise RuntimeError('boom in the script')\n"
                            << "RuntimeError: boom in the script";
    QTest::newRow("dies by a signal") << "import os, signal\nos.kill(os.getpid(), signal.SIGSEGV)\n"
                                      << "";
    QTest::newRow("binary garbage")
        << "import sys\nsys.stdout.buffer.write(bytes(range(256)) * 8 + b'\\xc3\\x28\\xa0\\xa1')\n"
           "sys.exit(3)\n"
        << QString(QChar::ReplacementCharacter);
    QTest::newRow("says OK, writes nothing") << "print('\\xff OK?')\n"
                                             << "wrote no converted file";
    QTest::newRow("says OK, writes an empty file")
        << "open(sys.argv[2], 'wb').close()\nprint('OK')\n"
        << "the converted file is empty";
    QTest::newRow("waits for input") << "input('Your key: ')\n"
                                     << "EOFError";
    QTest::newRow("floods its output") << "for i in range(40000):\n"
                                          "    print('line %d of a long complaint' % i)\n"
                                          "sys.exit(1)\n"
                                       << "line 39999 of a long complaint";
    QTest::newRow("hangs") << "import time\ntime.sleep(600)\n"
                           << "stop";
}

void ReliabilityTest::scriptMisbehaves() {
    QFETCH(QString, script);
    QFETCH(QString, expect);
    auto f = window();
    QVERIFY(f);
    Form1& w = *f->form;
    QVERIFY(cutSegments(*f, m_clip, 5));
    const QString real = w.workFolder().script();
    const QByteArray realScript = [&] {
        QFile file(real);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    QVERIFY(!realScript.isEmpty());
    writeFile(real, "import sys\n" + script.toUtf8());

    const bool hangs = expect == QStringLiteral("stop");
    // A script that hangs is ended with Stop: the program sets no time limit of its own.
    ChildWatch watch(hangs ? QStringLiteral("convert.py") : QString(), [&w](qint64) {
        QTimer::singleShot(200, w.cmdStop, [&w] { w.cmdStop->click(); });
    });
    w.cmdConvert_Click();

    QVERIFY(!w.isRunning());
    QVERIFY2(f->messages.isEmpty(), qPrintable(f->messages.join('\n')));
    if (hangs) {
        QVERIFY(watch.fired());
        QVERIFY(logRows(w.lstAI).last().contains(QStringLiteral("Stopped")));
    } else {
        QCOMPARE(logRows(w.lstAI).last(), QStringLiteral("Error"));
        QVERIFY2(w.txtOut->toPlainText().contains(expect),
                 qPrintable(w.txtOut->toPlainText().right(500)));
    }
    // The segment stays for the next run, and no half piece passes for a converted one.
    QVERIFY(QFile::exists(QDir(w.workFolder().parts()).filePath("output000000000.mp4")));
    QCOMPARE(QFileInfo(QDir(w.workFolder().parts()).filePath("1.mp4")).size(), 0);

    writeFile(real, realScript);
    w.cmdConvert_Click();
    QCOMPARE(logRows(w.lstAI).last(), QStringLiteral("Complete!"));
    QVERIFY(QFile::exists(QDir(w.workFolder().parts()).filePath("1.mp4")));
}

// --- the voice service ---

void ReliabilityTest::serviceAnswers_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("expect"); // empty: the first run succeeds

    QTest::newRow("busy twice, then fine") << "busy_twice"
                                           << "";
    QTest::newRow("invalid key") << "invalid_key"
                                 << "invalid key";
    QTest::newRow("quota exceeded") << "quota_exceeded"
                                    << "quota exceeded";
    QTest::newRow("server error") << "server_error"
                                  << "busy";
    QTest::newRow("validation error") << "validation_error"
                                      << "invalid";
    QTest::newRow("voice not found") << "voice_not_found"
                                     << "voice not found";
    QTest::newRow("answer cut short") << "truncated"
                                      << "kept breaking";
    QTest::newRow("no answer within its timeout") << "stall"
                                                  << "did not answer within 1 s";
}

void ReliabilityTest::serviceAnswers() {
    QFETCH(QString, mode);
    QFETCH(QString, expect);
    Standin service;
    QVERIFY(service.start(mode, expect.isEmpty() ? -1 : 1, kKey));
    qunsetenv("VOXSPLICE_OFFLINE_VOICE");
    qputenv("elevenlabs_api_key", kKey.toUtf8());
    qputenv("ELEVENLABS_API_BASE", service.url.toUtf8());
    qputenv("VOXSPLICE_RETRY_BASE_SECONDS", "0");
    qputenv("VOXSPLICE_MAX_TRIES", expect.isEmpty() ? "3" : "1");
    qputenv("VOXSPLICE_HTTP_TIMEOUT", "1");
    const auto restore = qScopeGuard([] {
        qputenv("ELEVENLABS_API_BASE", "http://127.0.0.1:9");
        for (const char* name : {"VOXSPLICE_RETRY_BASE_SECONDS", "VOXSPLICE_MAX_TRIES",
                                 "VOXSPLICE_HTTP_TIMEOUT", "elevenlabs_api_key"})
            qunsetenv(name);
    });

    auto f = window();
    QVERIFY(f);
    Form1& w = *f->form;
    QVERIFY(cutSegments(*f, m_clip, 5));
    w.cmdConvert_Click();
    if (!expect.isEmpty()) {
        QCOMPARE(logRows(w.lstAI).last(), QStringLiteral("Error"));
        QVERIFY2(w.txtOut->toPlainText().contains(expect), qPrintable(w.txtOut->toPlainText()));
        QVERIFY(QFile::exists(QDir(w.workFolder().parts()).filePath("output000000000.mp4")));
        QVERIFY2(!shownTexts(w).contains(kKey), qPrintable(shownTexts(w)));
        // The service has recovered: the next run converts.
        w.cmdConvert_Click();
    }
    QVERIFY2(logRows(w.lstAI).last() == QStringLiteral("Complete!"),
             qPrintable(w.txtOut->toPlainText()));
    QVERIFY(QFile::exists(QDir(w.workFolder().parts()).filePath("1.mp4")));
    QVERIFY(!shownTexts(w).contains(kKey));
}

// --- the working folder and the settings under attack ---

void ReliabilityTest::partsFolderDeleted_data() {
    QTest::addColumn<QString>("when");

    QTest::newRow("after splitting") << "split";
    QTest::newRow("while converting") << "convert";
}

void ReliabilityTest::partsFolderDeleted() {
    QFETCH(QString, when);
    auto f = window();
    QVERIFY(f);
    Form1& w = *f->form;
    const QString parts = w.workFolder().parts();

    if (when == QStringLiteral("split")) {
        w.Command2_Click();
        w.Command3_Click();
        QVERIFY(QDir(parts).removeRecursively());
        w.lblrefresh_Click();
        w.cmdConvert_Click();
        w.Command4_Click();
        QCOMPARE(f->messages, (QStringList{"No output files in \\parts?", "No files in \\parts?"}));
    } else {
        ChildWatch watch(QStringLiteral("convert.py"),
                         [parts](qint64) { QDir(parts).removeRecursively(); });
        w.Command1_Click();
        QVERIFY(watch.fired());
        QVERIFY(logRows(w.listAuto).last().contains(QStringLiteral("fail")));
        QCOMPARE(logRows(w.listAuto).at(2), QStringLiteral("AI Conversion"));
    }

    // The next run must not depend on a folder that only start-up creates.
    f->messages.clear();
    w.Command1_Click();
    QVERIFY2(logRows(w.listAuto) == kAllStages,
             qPrintable(logRows(w.listAuto).join('|') + "\n" + w.txtOut->toPlainText().right(800)));
}

void ReliabilityTest::garbageSettings_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("voice"); // the voice selected after loading; -1 none

    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(char((i * 7919 + 13) % 256));
    QTest::newRow("binary noise") << noise << 17;
    QTest::newRow("not a number") << QByteArray("[settings]\ncomboindex=Liam\noutdir=\n") << 0;
    QTest::newRow("out of range") << QByteArray("[settings]\ncomboindex=45\n") << -1;
    QTest::newRow("overflowing number")
        << QByteArray("[settings]\ncomboindex=99999999999999999999\n") << 0;
    QTest::newRow("half a section")
        << QByteArray("[settings\ncomboindex=3\n[=]\n==\n\xff\xfe") << 3;
    QTest::newRow("one huge line")
        << QByteArray("[settings]\noutdir=") + QByteArray(1 << 20, 'x') << 17;
    QTest::newRow("a folder instead of a file") << QByteArray() << 17;
}

void ReliabilityTest::garbageSettings() {
    QFETCH(QByteArray, content);
    QFETCH(int, voice);
    WorkDir work;
    QTemporaryDir store;
    const QString path = store.filePath(QStringLiteral("voxsplice.ini"));
    if (content.isEmpty())
        QVERIFY(QDir().mkpath(path));
    else
        writeFile(path, content);
    QStringList messages;
    {
        QSettings settings(path, QSettings::IniFormat);
        Form1 w(work.path(), &settings);
        w.setMessageBoxHandler([&messages](const QString& text) { messages << text; });
        w.setSoundPlayer([](const QString&) {});
        QCOMPARE(w.Form_Load(), Form1::LoadResult::Ready);
        QCOMPARE(w.Combo1->currentIndex(), voice);
        QCOMPARE(w.Combo1->count(), 45);

        w.txtOutDir->setText(m_out);
        QVERIFY(runFfmpeg({"-i", m_clip, "-vn", "-c:a", "copy",
                           work.file(QStringLiteral("parts/output000000000.mp4"))}));
        w.cmdConvert_Click();
        if (voice < 0) {
            // Said plainly; choosing a voice is all it takes.
            QCOMPARE(messages.size(), 1);
            QVERIFY(messages.first().contains(QStringLiteral("voice")));
            messages.clear();
            w.Combo1->setCurrentIndex(5);
            w.cmdConvert_Click();
        }
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        QCOMPARE(logRows(w.lstAI).last(), QStringLiteral("Complete!"));
        w.close();
    }
    // What shutdown wrote reads back as the window left it.
    if (!content.isEmpty()) {
        QSettings reread(path, QSettings::IniFormat);
        QCOMPARE(reread.value(QStringLiteral("settings/outdir")).toString(), m_out);
        bool isNumber = false;
        reread.value(QStringLiteral("settings/comboindex")).toString().toInt(&isNumber);
        QVERIFY(isNumber);
    }
}

// --- the key ---

void ReliabilityTest::keyStaysSecret() {
    Standin service;
    QVERIFY(service.start(QStringLiteral("ok"), -1, kKey));
    qunsetenv("VOXSPLICE_OFFLINE_VOICE");
    qputenv("ELEVENLABS_API_BASE", service.url.toUtf8());
    const auto restore = qScopeGuard([] {
        qputenv("ELEVENLABS_API_BASE", "http://127.0.0.1:9");
        qunsetenv("elevenlabs_api_key");
    });

    auto f = window();
    QVERIFY(f);
    Form1& w = *f->form;
    installDialogs(w, {kKey});
    w.mnuSetApiKey_Click();
    QCOMPARE(qEnvironmentVariable("elevenlabs_api_key"), kKey);

    ChildWatch watch(QString(), [](qint64) {});
    w.Command1_Click();
    QVERIFY2(logRows(w.listAuto) == kAllStages, qPrintable(w.txtOut->toPlainText()));
    QVERIFY(!watch.seen.isEmpty());
    // The key reaches convert.py through the environment only, never on a command line.
    for (const QString& command : watch.seen) {
        if (!command.contains(QStringLiteral("standin_service.py")))
            QVERIFY2(!command.contains(kKey), qPrintable(command));
    }
    QVERIFY2(!shownTexts(w).contains(kKey), qPrintable(shownTexts(w)));
    const QString settingsFile = f->settings->fileName();
    f->form->close();
    f->settings->sync();

    // The per-user environment file holds it (and shows that the scan would find it) ...
    const QString environment = userEnvironmentFile();
    QFile envFile(environment);
    QVERIFY(envFile.open(QIODevice::ReadOnly));
    QVERIFY(envFile.readAll().contains(kKey.toUtf8()));
    // ... and no other file the program wrote.
    QStringList scanned;
    for (const QString& folder :
         {f->work.path(), m_out, QFileInfo(settingsFile).path(), m_config.path()}) {
        for (const QString& path : snapshot(folder).keys()) {
            if (path == environment)
                continue;
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(!file.readAll().contains(kKey.toUtf8()), qPrintable(path));
            scanned << path;
        }
    }
    QVERIFY(scanned.contains(settingsFile));
}

// --- what the fuzzers found ---

void ReliabilityTest::fuzzInputs_data() {
    // Every seed and every input a fuzz target ever failed on, through the same checks.
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");
    const QDir fuzz(QDir(sourceDir()).filePath(QStringLiteral("bench/fuzz")));
    for (const QString& kind : {QStringLiteral("corpus"), QStringLiteral("crashes")}) {
        for (const QString& target :
             QDir(fuzz.filePath(kind)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QDir folder(fuzz.filePath(kind + "/" + target));
            for (const QString& name : folder.entryList(QDir::Files))
                QTest::newRow(qPrintable(kind + "/" + target + "/" + name))
                    << target << folder.filePath(name);
        }
    }
}

void ReliabilityTest::fuzzInputs() {
    QFETCH(QString, target);
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const size_t size = static_cast<size_t>(bytes.size());
    QString broken;
    if (target == QStringLiteral("fuzz_template"))
        broken = fuzzchecks::checkTemplate(data, size);
    else if (target == QStringLiteral("fuzz_interpreters"))
        broken = fuzzchecks::checkInterpreters(data, size);
    else if (target == QStringLiteral("fuzz_progress"))
        broken = fuzzchecks::checkProgress(data, size);
    else
        QFAIL(qPrintable("no checks for " + target));

    QVERIFY2(broken.isEmpty(), qPrintable(broken));
}

QTEST_MAIN(ReliabilityTest)
#include "tst_reliability.moc"
