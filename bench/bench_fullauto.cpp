// Drives one Full Auto run of the real window, headless, and reports what it cost as one JSON
// line: the run's wall time, the longest stall of the event loop while it ran and the process's
// peak resident size. The working folder is a fresh temporary one laid out like the program's.
//
//   bench_fullauto --app DIR --script convert.py --input VIDEO --out FOLDER [--segment S]
//                  [--keep DIR]
//   ... --convert-only --pieces N   Extract and Split, then only the AI conversion is timed, with
//                                   N pieces at once, against the service the environment names
//   ... --split-only                Extract, then only Split is timed
//   --segment S cuts every S seconds (-segment_time) instead of where the speaker pauses;
//   --keep DIR keeps raw.mp4, the record of the pieces and joined.mp4 there.
//   ... --input V1 --input V2 ...    Full Auto on each in turn, timed as a whole; with --queue,
//                                   the same videos through the queue
//   bench_fullauto --app DIR --templates     the four default templates and the interpreter
//   bench_fullauto --idle S                  the longest stall of an idle event loop
#include "app/DropLineEdit.h"
#include "app/Form1.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// The longest gap between two ticks of a 5 ms timer: time in which no event was handled.
class StallMeter {
public:
    // `context` names what the program was doing; it is taken when the longest gap ends.
    explicit StallMeter(std::function<QString()> context = {})
        : m_context(std::move(context)) {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (now - m_last > m_longest) {
                m_longest = now - m_last;
                m_longestAt = now;
                if (m_context)
                    m_longestContext = m_context();
            }
            m_last = now;
        });
    }
    void start() {
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    void stop() {
        m_longest = std::max(m_longest, m_clock.nsecsElapsed() - m_last);
        m_timer.stop();
    }
    double longestMs() const { return m_longest / 1e6; }
    double longestAtSeconds() const { return m_longestAt / 1e9; }
    QString longestContext() const { return m_longestContext; }

private:
    std::function<QString()> m_context;
    QString m_longestContext;
    qint64 m_longestAt = 0;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// VmHWM from /proc/self/status, in KiB; -1 where there is none.
qint64 peakResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void print(const QJsonObject& object) {
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

// A working folder like the program's: ffmpeg/bin/ffmpeg and ffprobe, convert.py with its
// package, and complete.wav.
bool layOutWorkFolder(const QString& work, const QString& appDir, const QString& script) {
    if (!QDir().mkpath(QDir(work).filePath("ffmpeg/bin")))
        return false;
    for (const char* tool : {"ffmpeg/bin/ffmpeg", "ffmpeg/bin/ffprobe"}) {
        const QString target = QFileInfo(QDir(appDir).filePath(tool)).canonicalFilePath();
        if (target.isEmpty() || !QFile::link(target, QDir(work).filePath(tool)))
            return false;
    }
    QFile::copy(QDir(appDir).filePath("complete.wav"), QDir(work).filePath("complete.wav"));
    if (script.isEmpty())
        return true;
    const QDir package(QFileInfo(script).dir().filePath("voxconvert"));
    QDir().mkpath(QDir(work).filePath("voxconvert"));
    for (const QString& name : package.entryList({"*.py"}, QDir::Files))
        QFile::copy(package.filePath(name), QDir(work).filePath("voxconvert/" + name));
    return QFile::copy(script, QDir(work).filePath("convert.py"));
}

int idle(double seconds) {
    StallMeter meter;
    meter.start();
    QTimer::singleShot(static_cast<int>(seconds * 1000), qApp, [&meter] {
        meter.stop();
        print({{"idle_s", 0}, {"stall_ms", meter.longestMs()}});
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{"app", "The built working folder (for ffmpeg and the chime).", "dir"},
                       {"script", "convert.py to copy into the working folder.", "file"},
                       {"input", "The video to run (several: one after the other).", "file"},
                       {"queue", "Run the videos through the queue."},
                       {"out", "The output folder.", "dir"},
                       {"segment", "Cut every S seconds instead of in the pauses.", "s"},
                       {"keep", "Keep raw.mp4, run.json and joined.mp4 here.", "dir"},
                       {"split-only", "Time Split alone."},
                       {"templates", "Print the default templates and exit."},
                       {"convert-only", "Time the AI conversion alone (through the service)."},
                       {"pieces", "Pieces at once.", "n", "2"},
                       {"idle", "Measure an idle event loop for this long.", "s"}});
    parser.process(app);
    if (parser.isSet("idle"))
        return idle(parser.value("idle").toDouble());

    // The offline voice: the real script, no key and no network; or the service that the
    // environment names, with an empty cache.
    const bool convertOnly = parser.isSet("convert-only");
    QTemporaryDir temp;
    if (convertOnly)
        qputenv("XDG_CACHE_HOME", QFile::encodeName(QDir(temp.path()).filePath("cache")));
    else
        qputenv("VOXSPLICE_OFFLINE_VOICE", "1");
    const QString work = QDir(temp.path()).filePath("work");
    if (!layOutWorkFolder(work, parser.value("app"), parser.value("script"))) {
        std::fprintf(stderr, "cannot lay out the working folder in %s\n", qPrintable(work));
        return 2;
    }
    QSettings settings(QDir(temp.path()).filePath("voxsplice.ini"), QSettings::IniFormat);
    Form1 window(WorkFolder(work), &settings);
    QStringList messages;
    window.setMessageBoxHandler([&messages](const QString& text) { messages << text; });
    window.setSoundPlayer([](const QString&) {});
    if (window.Form_Load() != Form1::LoadResult::Ready) {
        std::fprintf(stderr, "the window did not load\n");
        return 2;
    }

    if (parser.isSet("templates")) {
        const Form1Ui& ui = window.ui();
        print({{"extract", ui.txtExtractCmd->text()},
               {"split", ui.txtSplit->text()},
               {"concat", ui.txtConcat->text()},
               {"integrate", ui.txtIntegrate->text()},
               {"python", ui.txtPy->text()},
               {"voice", ui.Combo1->currentText()}});
        return 0;
    }

    const Form1Ui& ui = window.ui();
    const QStringList inputs = parser.values("input");
    ui.txtInput->setText(inputs.value(0));
    ui.txtOutDir->setText(parser.value("out"));
    QString split = ui.txtSplit->text();
    if (parser.isSet("segment"))
        split.replace(QStringLiteral("-segment_times %cuts "),
                      QStringLiteral("-segment_time %1 ").arg(parser.value("segment")));
    ui.txtSplit->setText(split);
    ui.spnPieces->setValue(parser.value("pieces").toInt());
    window.show();

    // What the window showed last: the conversion log's or the Full Auto log's latest row.
    StallMeter meter([&window] {
        const auto last = [](const QListWidget* list) {
            return list->count() ? list->item(list->count() - 1)->text() : QString();
        };
        return last(window.ui().listAuto) + QStringLiteral(" | ") + last(window.ui().lstAI);
    });
    double wallSeconds = 0;
    bool piecesLeft = false;
    QElapsedTimer clock;
    // With --convert-only, Extract and Split run first, untimed; with --split-only, Extract.
    const QString keep = parser.value("keep");
    const auto keepFile = [&](const QString& name, const QString& as) {
        if (!keep.isEmpty()) {
            QFile::remove(QDir(keep).filePath(as));
            QFile::copy(QDir(work).filePath(name), QDir(keep).filePath(as));
        }
    };
    QList<std::function<void()>> stages;
    if (parser.isSet("split-only"))
        stages = {[&] { window.Command2_Click(); },
                  [&] {
                      keepFile("raw.mp4", "raw.mp4");
                      window.Command3_Click();
                  }};
    else if (convertOnly)
        stages = {[&] { window.Command2_Click(); }, [&] { window.Command3_Click(); },
                  [&] { window.cmdConvert_Click(); }};
    else if (parser.isSet("queue"))
        stages = {[&] {
            window.queueVideos(inputs);
            window.startQueue();
        }};
    else
        for (const QString& input : inputs)
            stages.append([&window, input] {
                window.ui().txtInput->setText(input);
                window.Command1_Click();
            });
    const bool timeAll = !convertOnly && !parser.isSet("split-only");
    const auto nextStage = [&] {
        if (timeAll ? !clock.isValid() : stages.size() == 1) {
            meter.start();
            clock.start();
        }
        stages.takeFirst()();
    };
    QObject::connect(&window.runs(), &RunControl::ended, &window,
                     [&](const QString&, const JobOutcome& outcome) {
                         if (!stages.isEmpty() && outcome.isDone()) {
                             nextStage();
                             return;
                         }
                         wallSeconds = clock.nsecsElapsed() / 1e9;
                         meter.stop();
                         // Closing the window empties the parts folder: look now.
                         piecesLeft =
                             !QDir(QDir(work).filePath("parts")).entryList({"output*"}).isEmpty();
                         keepFile("parts/run.json", "run.json");
                         keepFile("joined.mp4", "joined.mp4");
                         QCoreApplication::quit();
                     });
    QTimer::singleShot(0, &window, nextStage);
    app.exec();

    QJsonArray log;
    for (const QListWidget* list : {ui.listAuto, ui.lstAI}) {
        for (int i = 0; i < list->count(); ++i)
            log.append(list->item(i)->text());
    }
    const QString output =
        QDir(parser.value("out"))
            .filePath(QFileInfo(inputs.value(inputs.size() - 1)).completeBaseName() +
                      QStringLiteral("_AI.mp4"));
    const bool ok = messages.isEmpty() && stages.isEmpty() &&
                    (convertOnly ? ui.lstAI->findItems("Complete!", Qt::MatchContains).size() > 0
                     : parser.isSet("split-only") ? piecesLeft
                                                  : QFile::exists(output)) &&
                    !ui.listAuto->findItems("Stopped", Qt::MatchContains).size();
    print({{"ok", ok},
           {"wall_s", wallSeconds},
           {"stall_ms", meter.longestMs()},
           {"stall_at_s", meter.longestAtSeconds()},
           {"stall_during", meter.longestContext()},
           {"vmhwm_kib", peakResidentKiB()},
           {"output", output},
           {"messages", QJsonArray::fromStringList(messages)},
           {"log", log},
           {"tool_output", ok ? QString() : ui.txtOut->toPlainText().right(2000)}});
    window.close();
    return ok ? 0 : 1;
}
