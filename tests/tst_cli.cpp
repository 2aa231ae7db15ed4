// voxsplice-cli as the user runs it, on videos made here: its arguments and exit statuses,
// videos one after another (one unreadable), two runs at once, a working folder in use, Ctrl+C,
// the account's voices and credits at the stand-in service; and its progress bar on a terminal.
#include "cli/ConsoleHost.h"
#include "core/CliOptions.h"
#include "core/RunRecord.h"
#include "core/Voices.h"
#include "helpers/TestSupport.h"
#include "pipeline/WorkFolder.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonObject>
#include <QLockFile>
#include <QtTest>

using namespace testsupport;

namespace {

const QByteArray kKey = "standin-test-key";

struct Ended {
    int status = -1;
    QString out;
    QString err;
};

} // namespace

class CliTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<Standin> m_service;
    // "" plain, "key" the stand-in's, "fake" python, "de" in German
    QMap<QString, QProcessEnvironment> m_env;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // voxsplice-cli with `arguments`, in which "%name" is that file of the test's folder.
    QProcess* start(QStringList arguments, const QString& env = QString()) {
        static const QRegularExpression file(QStringLiteral("%(\\S+)"));
        for (QString& argument : arguments)
            argument.replace(file, m_dir.path() + "/\\1");
        auto* cli = new QProcess(this);
        cli->setProcessEnvironment(m_env.value(env));
        cli->start(fromCtest("VOXSPLICE_APP_DIR") + "/voxsplice-cli", arguments);
        return cli;
    }
    static Ended ended(QProcess* cli) {
        if (!QTest::qWaitFor([cli] { return cli->state() == QProcess::NotRunning; }, 300000))
            return {};
        return {cli->exitCode(), cli->readAllStandardOutput(), cli->readAllStandardError()};
    }
    // No run left a working folder in the cache.
    bool noRunsLeft() const {
        return QDir(path("cache/voxsplice/voxsplice/runs"))
            .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase() {
        QVERIFY(makeVideo(path("a.mp4"), 3));
        QVERIFY(QFile::copy(path("a.mp4"), path("b.mp4")));
        // Another video of the same name, in a folder of its own.
        QVERIFY(QDir().mkpath(path("s2")) && makeVideo(path("s2/a.mp4"), 5));
        QVERIFY(putFile(path("mine/notes.txt"), "the user's"));
        QVERIFY(putFile(path("bad.mp4"), "not a video\n"));
        QVERIFY(putFile(path("talk.vtt"), "WEBVTT\n\n00:00.200 --> 00:01.200\n<v Host>Hello "
                                          "there\n\n00:01.600 --> 00:02.800\n<v Guest>Hi\n"));
        for (const char* out : {"out", "out1", "out2", "out3"})
            QVERIFY(QDir().mkpath(path(out)));
        // The window's remembered settings: Paul, pieces of 4 s: a.mp4 is one, s2/a.mp4 two.
        QSettings settings(path("config/voxsplice/voxsplice.conf"), QSettings::IniFormat);
        settings.setValue("settings/comboindex", 3);
        settings.setValue("settings/pieceseconds", 4);
        // A Python that cannot estimate and converts forever.
        QVERIFY(putFile(path("fake/python3"), "#!/bin/sh\ncase \"$2\" in --estimate) echo 'no "
                                              "python here' >&2; exit 1;; esac\nexec sleep 600\n"));
        QFile(path("fake/python3")).setPermissions(QFile::ExeOwner | QFile::ReadOwner);
        m_service = std::make_unique<Standin>(QStringList{"--key", kKey, "--credits", "10"});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("elevenlabs_api_key");
        env.remove("VOXSPLICE_OFFLINE_VOICE");
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_CACHE_HOME", path("cache"));
        m_env[""] = m_env["key"] = m_env["fake"] = m_env["de"] = env;
        m_env["de"].insert("LANGUAGE", "de");
        m_env["key"].insert("elevenlabs_api_key", kKey);
        m_env["key"].insert("ELEVENLABS_API_BASE", m_service->url);
        m_env["busy"] = m_env["refused"] = m_env["key"];
        m_env["refused"].insert("elevenlabs_api_key", "not-the-key");
        // A user whose remembered voice is one of the account's.
        QSettings account(path("account/voxsplice/voxsplice.conf"), QSettings::IniFormat);
        account.setValue("settings/comboindex", 46);
        account.setValue("settings/voiceid", "Bq7Zt1YhWm4Rk6XsPd0L");
        m_env["account"] = env;
        m_env["account"].insert("XDG_CONFIG_HOME", path("account"));
        m_env["fake"].insert("PATH", path("fake") + ':' + env.value("PATH"));
    }

    void arguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("voice"); // the row --voice names, among the 45 and one more
        const QStringList out{"--out", "o"};
        addRow("voice by name, any case", out + QStringList{"--voice", "liAM", "a"}, QString(),
               QString("Liam, TX3LPaxmHKxFdv7VOQHJ"));
        addRow("voice by id, after '='",
               QStringList{"--voice=zrHiDhphv9ZnVXBqCLjz", "--estimate", "a"}, QString(),
               QString("Mimi, zrHiDhphv9ZnVXBqCLjz"));
        addRow("account's voice without its category",
               out + QStringList{"--voice", "grandpa joe", "a"}, QString(),
               QString("Grandpa Joe (generated), Bq7Zt1YhWm4Rk6XsPd0L"));
        addRow("unknown voice", out + QStringList{"--voice", "Nobody", "a"}, QString(), QString());
        addRow("a video named like an option", out + QStringList{"--", "--odd.mp4"}, QString(),
               QString());
        addRow("no --out", QStringList{"a"}, QString("--out is missing"), QString());
        addRow("no video", out, QString("no video given"), QString());
        addRow("too many at once", out + QStringList{"--pieces-at-once", "16", "a"},
               QString("1 to 15, not 16"), QString());
        addRow("pieces not a number", out + QStringList{"--pieces-at-once=x", "a"},
               QString("1 to 15, not x"), QString());
        addRow("value missing", QStringList{"a", "--out"}, QString("--out needs a value"),
               QString());
        addRow("unknown option", out + QStringList{"--fast", "a"}, QString("unknown option --fast"),
               QString());
        addRow("two actions", QStringList{"--estimate", "--list-voices"}, QString("go alone"),
               QString());
        addRow("voices of a video", QStringList{"--list-voices", "a"}, QString("takes no videos"),
               QString());
        addRow("a speaker's voice without speakers",
               out + QStringList{"--voice-for", "1=Liam", "a"}, QString("need --speakers"),
               QString());
        addRow("a speaker's voice without its number",
               out + QStringList{"--speakers", "--voice-for", "Liam", "a"},
               QString("takes N=VOICE"), QString());
        addRow("too many speakers", out + QStringList{"--max-speakers", "33", "a"},
               QString("1 to 32, not 33"), QString());
        addRow("speakers of two videos", QStringList{"--list-speakers", "a", "b"},
               QString("takes one video"), QString());
    }
    void arguments() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QFETCH(QString, voice);
        const ParsedCommandLine parsed = parseCommandLine(arguments);
        QVERIFY2(error.isEmpty() ? parsed.error.isEmpty() : parsed.error.contains(error),
                 qPrintable(parsed.error));
        QCOMPARE(findVoiceRow(voiceRows() + QStringList{"Grandpa Joe (generated), "
                                                        "Bq7Zt1YhWm4Rk6XsPd0L"},
                              parsed.options.voice),
                 voice);
    }

    // What a command line ends with, and what it says (on standard output when it ends well,
    // else on standard error).
    void statuses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("env");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        const QStringList run{"--out", "%out", "%a.mp4"};
        addRow("help", QStringList{"--help"}, QString(), 0, QString("Exit status:"));
        addRow("version", QStringList{"--version"}, QString(), 0, QString("voxsplice-cli "));
        addRow("wrong arguments", QStringList{"--bogus"}, QString(), 2,
               QString("voxsplice-cli: unknown option --bogus; see --help\n"));
        addRow("wrong arguments in German", QStringList{"--bogus"}, QString("de"), 2,
               QString("unbekannte Option --bogus"));
        addRow("unknown voice", QStringList{"--voice", "Nobody"} + run, QString(), 2,
               QString("Unknown voice: Nobody"));
        addRow("a video not there", QStringList{"--out", "%out", "%a.mp4", "%gone.mp4"}, QString(),
               2, "No such video: " + path("gone.mp4"));
        addRow("an output folder that cannot be made",
               QStringList{"--offline", "--out", "%mine/notes.txt/out", "%a.mp4"}, QString(), 2,
               "The output folder " + path("mine/notes.txt/out") + " cannot be made.");
        addRow("folder in use", QStringList{"--offline", "--work", "%locked"} + run, QString(), 2,
               QString("The working folder " + path("locked") +
                       " is in use by another voxsplice run."));
        addRow("a folder of the user's", QStringList{"--offline", "--work", "%mine"} + run,
               QString(), 2,
               path("mine") + " holds files that voxsplice did not make; choose an empty folder");
        addRow("fixed voices", QStringList{"--list-voices"}, QString(), 0,
               QString("Mimi, zrHiDhphv9ZnVXBqCLjz"));
        addRow("account's voices", QStringList{"--list-voices"}, QString("key"), 0,
               QString("Mimi, zrHiDhphv9ZnVXBqCLjz\nNarrator; calm (cloned), "
                       "Uv3qKx8RmT2pLw9NcA5e\n"));
        addRow("estimate", QStringList{"--estimate", "%a.mp4", "%b.mp4"}, QString(), 0,
               QString("To the voice service: 0.1 min"));
        addRow("estimate keeping the background",
               QStringList{"--estimate", "--keep-background", "%a.mp4"}, QString(), 0,
               QString("To the voice service: 0.1 min")); // the isolator's part where it is there
        addRow("offline estimate", QStringList{"--estimate", "--offline", "%a.mp4"}, QString(), 0,
               QString("Nothing to pay"));
        // The account's voice remembered, no key: offline, the default voice.
        addRow("offline, an account's voice remembered",
               QStringList{"--estimate", "--offline", "%a.mp4"}, QString("account"), 0,
               QString("Nothing to pay"));
        addRow("key refused", QStringList{"--list-voices"}, QString("refused"), 1,
               QString("The account's own voices could not be read: "));
        addRow("estimate failing", QStringList{"--estimate", "%a.mp4"}, QString("fake"), 1,
               QString("The cost could not be worked out: no python here"));
        // Speakers from subtitles with the offline voice: one speaker converted, one kept.
        addRow("speakers from subtitles, into a folder made for them",
               QStringList{"--offline", "--speakers-from", "%talk.vtt", "--voice-for", "2=original",
                           "--voice-for", "1=mimi", "--out", "%made/out", "%a.mp4"},
               QString(), 0, QString("2 speakers, 2 turns"));
        addRow(
            "speakers listed",
            QStringList{"--list-speakers", "--offline", "--speakers-from", "%talk.vtt", "%a.mp4"},
            QString(), 0, QString("2  Guest  0:02 speaking, 1 turn  \"Hi\""));
        addRow("speaker's voice unknown",
               QStringList{"--offline", "--speakers-from", "%talk.vtt", "--voice-for", "1=Nobody"} +
                   run,
               QString(), 2, QString("Unknown voice: Nobody"));
        addRow("too few credits", QStringList{"--voice", "Grandpa Joe"} + run, QString("key"), 1,
               QString("the account has 10 left"));
        addRow("credits not enough, all the same", QStringList{"--yes"} + run, QString("key"), 1,
               QString("a.mp4: Yes: --yes was given."));
        // The account's limit of requests at once hit all the run long: run it again later.
        addRow("the service busy throughout", QStringList{"--yes", "--voice", "Mimi"} + run,
               QString("busy"), 75, QString("0 of 1 videos done; failed: a.mp4"));
    }
    void statuses() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, env);
        QFETCH(int, status);
        QFETCH(QString, said);
        QDir().mkpath(path("locked"));
        QLockFile held(WorkFolder(path("locked")).lockFile());
        QVERIFY(held.tryLock(0));
        // Held for an hour already: a live run's lock is never taken for a stale one.
        QFile lock(WorkFolder(path("locked")).lockFile());
        QVERIFY(lock.open(QIODevice::ReadWrite) &&
                lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
        if (env == "busy")
            m_service->post("set", QJsonObject{{"concurrency", 0}, {"busy_retry_after", 0}});
        const auto idle = qScopeGuard([this, &env] {
            if (env == "busy")
                m_service->post("set", QJsonObject{{"concurrency", QJsonValue::Null},
                                                   {"busy_retry_after", QJsonValue::Null}});
        });
        const Ended cli = ended(start(arguments, env));
        QVERIFY2(cli.status == status, qPrintable(cli.out + cli.err));
        QVERIFY2((status == 0 ? cli.out : cli.err).contains(said), qPrintable(cli.out + cli.err));
        // Wrong arguments are found before anything runs, and said in one line.
        if (status == 2)
            QVERIFY2(cli.out.isEmpty() && cli.err.count('\n') == 1, qPrintable(cli.out + cli.err));
        QVERIFY(noRunsLeft());
        QCOMPARE(namesIn(path("mine")), QStringList{"notes.txt"});
    }

    // Two speakers after a music intro, through the stand-in: the speech to text once, each
    // speaker's turns alone in a request in that speaker's voice, the intro as it was, each turn
    // where it was; a second run pays nothing.
    void speakers() {
        // Music (two tones) for 3 s, then A at 400 Hz, B at 600 Hz, A again.
        QVERIFY(runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=5:duration=11", "-f",
                           "lavfi", "-i",
                           "aevalsrc=if(lt(t\\,3)\\,0.3*sin(2*PI*220*t)+0.3*sin(2*PI*330*t)\\,"
                           "0.5*sin(2*PI*if(between(t\\,6\\,9)\\,600\\,400)*t)):s=44100:d=11",
                           "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a",
                           "aac", path("talk.mp4")}));
        Standin service({"--key", kKey});
        service.post("register_transcript",
                     QJsonObject{{"words", QJsonArray{QJsonArray{3.1, 4.4, "speaker_0", "Hello"},
                                                      QJsonArray{4.5, 5.9, "speaker_0", "there"},
                                                      QJsonArray{6.1, 8.9, "speaker_1", "Hi"},
                                                      QJsonArray{9.1, 10.9, "speaker_0", "Bye"}}}});
        QProcessEnvironment env = m_env["key"];
        env.insert("ELEVENLABS_API_BASE", service.url);
        env.insert("XDG_CONFIG_HOME", path("defaults")); // pieces of up to 299 s
        m_env["speakers"] = env;
        const QStringList run{"--speakers", "--voice", "Liam",     "--voice-for",
                              "2=Mimi",     "--yes",   "--work",   "%talkwork",
                              "--out",      "%out",    "%talk.mp4"};
        Ended cli = ended(start(run, "speakers"));
        QVERIFY2(cli.status == 0, qPrintable(cli.out + cli.err));
        const QJsonArray sent = service.conversions();
        QCOMPARE(sent.size(), 2);
        // Speaker 1's two turns with their margins and the gap between them; speaker 2's one.
        QMap<QString, double> seconds; // by voice
        for (const QJsonValue& request : sent)
            seconds[request["voice_id"].toString()] += request["seconds"].toDouble();
        QVERIFY2(seconds.size() == 2 && qAbs(seconds["TX3LPaxmHKxFdv7VOQHJ"] - 5.35) < 0.05 &&
                     qAbs(seconds["zrHiDhphv9ZnVXBqCLjz"] - 3.0) < 0.05,
                 qPrintable(QStringList(seconds.keys()).join(' ')));
        const QByteArray original = decodedSamples(path("talkwork/parts/original.mp4"));
        const QByteArray joined = decodedSamples(path("talkwork/joined.mp4"));
        const qsizetype intro = 2 * qsizetype(2.95 * 44100); // s16 mono, up to the first margin
        QVERIFY(joined.size() == original.size() && joined.left(intro) == original.left(intro));
        // Each turn in its place, a semitone up.
        const auto tone = [&joined](double from) {
            const auto* samples = reinterpret_cast<const qint16*>(joined.constData());
            int rising = 0;
            for (auto i = qsizetype(from * 44100) + 1; i < qsizetype((from + 1) * 44100); ++i)
                rising += samples[i - 1] < 0 && samples[i] >= 0;
            return rising;
        };
        QVERIFY2(qAbs(tone(4) - 424) < 6 && qAbs(tone(7) - 636) < 6 && qAbs(tone(9.5) - 424) < 6,
                 qPrintable(QString("%1 %2 %3").arg(tone(4)).arg(tone(7)).arg(tone(9.5))));
        const auto transcribed = [&service] {
            int sent = 0;
            for (const QJsonValue& request : service.ledger()["requests"].toArray())
                sent += request["path"].toString() == "/v1/speech-to-text";
            return sent;
        };
        QCOMPARE(transcribed(), 1);
        // Again: the speakers and both pieces from the cache; the list of speakers too.
        cli = ended(start(run, "speakers"));
        QVERIFY2(cli.status == 0 && service.conversions().size() == 2,
                 qPrintable(cli.out + cli.err));
        cli = ended(start({"--list-speakers", "%talk.mp4"}, "speakers"));
        QVERIFY2(cli.out.contains("1  Speaker 1  0:05 speaking, 2 turns  \"Hello there\"\n2  "
                                  "Speaker 2  0:03 speaking, 1 turn  \"Hi\""),
                 qPrintable(cli.out + cli.err));
        QVERIFY(transcribed() == 1 && service.conversions().size() == 2);
        // Speaker 2's piece again, in another voice, the background kept by the service's
        // isolator: their turns cut again out of the original, that piece alone sent to each;
        // the audio outside their turn as it was.
        QVERIFY(
            putFile(path("defaults/voxsplice/voxsplice.conf"), "[settings]\nseparation=service\n"));
        cli = ended(
            start({"--redo", "2", "--voice", "Liam", "--voice-for", "2=Rachel", "--keep-background",
                   "--yes", "--work", "%talkwork", "--out", "%out", "%talk.mp4"},
                  "speakers"));
        const QJsonArray redone = service.conversions();
        QVERIFY2(cli.status == 0 && redone.size() == 3, qPrintable(cli.out + cli.err));
        QVERIFY(redone.last()["voice_id"].toString() == "21m00Tcm4TlvDq8ikWAM" &&
                qAbs(redone.last()["seconds"].toDouble() - 3.0) < 0.05);
        QList<double> isolated; // seconds sent to the isolator
        for (const QJsonValue& request : service.ledger()["requests"].toArray())
            if (request["path"].toString().startsWith("/v1/audio-isolation"))
                isolated << request["seconds"].toDouble();
        QVERIFY2(isolated.size() == 1 && qAbs(isolated.first() - 3.0) < 0.05,
                 qPrintable(cli.out + cli.err));
        const QByteArray again = decodedSamples(path("talkwork/joined.mp4"));
        const qsizetype turn = 2 * qsizetype(5.9 * 44100), after = 2 * qsizetype(9.1 * 44100);
        QVERIFY(again.size() == joined.size() && again.left(turn) == joined.left(turn) &&
                again.mid(after) == joined.mid(after));
    }

    // In a working folder of the user's, made for the run and kept after it, free again. Two
    // videos of one name each get an output of their own.
    void videosOneAfterAnother() {
        const Ended cli = ended(start(
            {"--offline", "--work", "%work", "--out", "%out", "%a.mp4", "%bad.mp4", "%s2/a.mp4"}));
        QCOMPARE(cli.status, 1);
        QVERIFY2(cli.err.contains("bad.mp4: failed: ffmpeg cannot read " + path("bad.mp4") +
                                  ": Invalid data found when processing input"),
                 qPrintable(cli.err));
        QVERIFY(cli.out.contains("a.mp4: Extracting\na.mp4: Splitting\n"));
        QVERIFY(cli.out.contains("a.mp4:   Paul, 5Q0t7uMcjvnagumLfvZi: the service's defaults\n"
                                 "a.mp4:   2 files found\n"));
        QVERIFY(inSync(path("out/a_AI.mp4")));
        QVERIFY2(cli.out.contains("a.mp4: a_AI.mp4 was written by an earlier video of this run: "
                                  "this one is a_AI (2).mp4\n"),
                 qPrintable(cli.out));
        const QString second = path("out/a_AI (2).mp4");
        QVERIFY(inSync(second) && qAbs(audioDuration(second) - 5) < 0.1);
        QVERIFY(qAbs(audioDuration(path("out/a_AI.mp4")) - 3) < 0.1);
        QVERIFY(QLockFile(WorkFolder(path("work")).lockFile()).tryLock(0));

        // Its second piece again, through the service, in another voice: one request, of that
        // piece's length and in that voice, with the cost said first; the rest of the audio as
        // it was to the sample, the video in sync.
        const WorkFolder work(path("work"));
        QFile file(work.record());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const RunRecord record = RunRecord::fromJson(file.readAll(), nullptr).value();
        const QByteArray joined = decodedSamples(work.joined());
        m_service->post("set", QJsonObject{{"credits", 100000}});
        const auto creditsBack = qScopeGuard([this] {
            m_service->post("set", QJsonObject{{"credits", 10}, {"credits_used", 0}});
        });
        const qsizetype sent = m_service->conversions().size();
        // The other video's output of the same name is never written over.
        const QByteArray firstVideo = outputOf("sha256sum", {path("out/a_AI.mp4")});
        const QDateTime written = QFileInfo(second).lastModified();
        const QList<std::pair<QStringList, int>> redos = {
            {{"--redo", "1", "--offline", "%a.mp4"}, 2},    // the folder holds s2/a.mp4's run
            {{"--redo", "7", "--offline", "%s2/a.mp4"}, 2}, // no such piece
            {{"--redo", "2", "--voice", "Rachel", "%s2/a.mp4"}, 1}, // the cost not agreed to
            {{"--redo", "2", "--voice", "Rachel", "--yes", "%s2/a.mp4"}, 0}};
        for (const auto& [arguments, status] : redos) {
            const Ended redo =
                ended(start(QStringList{"--work", "%work", "--out", "%out"} + arguments, "key"));
            QVERIFY2(redo.status == status, qPrintable(redo.out + redo.err));
        }
        const QJsonArray requests = m_service->conversions();
        QCOMPARE(requests.size(), sent + 1);
        const RecordedPiece& redone = record.pieces.at(1);
        QCOMPARE(requests.last()["voice_id"].toString(), QString("21m00Tcm4TlvDq8ikWAM"));
        QVERIFY(qAbs(requests.last()["seconds"].toDouble() - redone.length / 44100.0) < 0.01);
        const QByteArray again = decodedSamples(work.joined());
        const qsizetype from = redone.start * 2, length = redone.length * 2; // s16 mono
        QCOMPARE(again.size(), joined.size());
        QVERIFY(again.left(from) == joined.left(from) &&
                again.mid(from + length) == joined.mid(from + length) &&
                again.mid(from, length) != joined.mid(from, length));
        QVERIFY(inSync(second) && QFileInfo(second).lastModified() > written);
        QCOMPARE(outputOf("sha256sum", {path("out/a_AI.mp4")}), firstVideo);
    }

    // Two command lines at once on two videos with the same audio, sharing one cache: each
    // piece is paid for once in all, and counted as kept before a run of either again.
    void twoRunsAtOnce() {
        m_service->post("set", QJsonObject{{"credits", 100000}});
        const auto creditsBack = qScopeGuard([this] {
            m_service->post("set", QJsonObject{{"credits", 10}, {"credits_used", 0}});
        });
        const qsizetype sent = m_service->conversions().size();
        const QStringList voice{"--voice", "George", "--yes"};
        QProcess* first = start(voice + QStringList{"--out", "%out1", "%a.mp4"}, "key");
        QProcess* second = start(voice + QStringList{"--out", "%out2", "%b.mp4"}, "key");
        const Ended one = ended(first), two = ended(second);
        QVERIFY2(one.status == 0 && two.status == 0, qPrintable(one.err + two.err));
        QVERIFY(QFile::exists(path("out1/a_AI.mp4")) && QFile::exists(path("out2/b_AI.mp4")));
        double billed = 0;
        const QJsonArray requests = m_service->conversions();
        for (qsizetype i = sent; i < requests.size(); ++i)
            billed += requests.at(i)["seconds"].toDouble();
        QVERIFY2(qAbs(billed - 3) < 0.1, qPrintable(QString::number(billed)));
        QVERIFY(noRunsLeft());
        // Run again, the videos' pieces come from the cache: the cost line says so first.
        const Ended again = ended(start({"--estimate", "--voice", "George", "%a.mp4"}, "key"));
        QVERIFY2(again.out.contains("To the voice service: 0.0 min, about 0 credits; from the "
                                    "cache: 0.1 min"),
                 qPrintable(again.out + again.err));
    }

    // Ctrl+C (SIGTERM here) while a piece converts: the run stops, nothing is left behind, and
    // the working folder a killed run left is swept.
    void stopped() {
        const auto converting = [this] {
            QProcess* cli = start({"--offline", "--out", "%out3", "%a.mp4"}, "fake");
            QString out;
            if (!QTest::qWaitFor(
                    [&] { return (out += cli->readAllStandardOutput()).contains("AI Conversion"); },
                    120000))
                return (QProcess*)nullptr;
            return cli;
        };
        QProcess* killed = converting();
        QVERIFY(killed);
        killed->kill();
        ended(killed);
        QVERIFY(!noRunsLeft());
        QProcess* cli = converting();
        QVERIFY(cli);
        cli->terminate();
        const Ended stopped = ended(cli);
        QCOMPARE(stopped.status, 1);
        QVERIFY2(stopped.err.contains("Stopped; 0 of 1 videos done"), qPrintable(stopped.err));
        QVERIFY(namesIn(path("out3")).isEmpty() && noRunsLeft());

        // Stopped as the service's answer is being kept: it is finished first, and the next run
        // pays nothing for it.
        Standin service({"--key", kKey});
        AnswerGate gate;
        QProcessEnvironment& env = m_env["paid"] = m_env["key"];
        env.insert("ELEVENLABS_API_BASE", service.url);
        env.insert("VOXSPLICE_FFMPEG", gate.program());
        const QStringList run{"--yes", "--pieces-at-once", "1", "--out", "%out3", "%a.mp4"};
        QProcess* paid = start(run, "paid");
        QVERIFY(gate.reached());
        paid->terminate();
        QString err;
        QVERIFY(QTest::qWaitFor(
            [&] { return (err += paid->readAllStandardError()).contains("already paid for"); },
            60000));
        gate.open();
        QCOMPARE(ended(paid).status, 1);
        env.insert("VOXSPLICE_FFMPEG", ffmpeg());
        const Ended again = ended(start(run, "paid"));
        QVERIFY2(again.status == 0 && again.out.contains("reused"), qPrintable(again.err));
        for (const QJsonValue& times : service.ledger()["charges_per_audio"].toObject())
            QCOMPARE(times.toInt(), 1);
    }

    // On a terminal: the stage's progress drawn in place, gone before the next line.
    void progressBar() {
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        ConsoleHost host(out, err, &err, false);
        host.setVideo("clip.mp4");
        host.showStage("Extracting");
        host.showProgress(0.5, "1 of 2");
        host.log(StepHost::Log::Auto, "Splitting");
        bool answer = true;
        host.ask("Fetch it?", [&answer](bool yes) { answer = yes; });
        const QString bar = "clip.mp4: Extracting [############............]  50 %  1 of 2";
        QCOMPARE(QString(err.data()), '\r' + bar + '\r' + QString(bar.size(), ' ') + '\r' +
                                          "clip.mp4: Fetch it?\nclip.mp4: No: give --yes to "
                                          "agree.\n");
        QCOMPARE(out.data(), "clip.mp4: Splitting\n");
        QVERIFY(!answer);
    }

    // The bar on terminals of every width, and the stage's time left once it can be told.
    void progressBarFits_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("ranMs");
        QTest::addColumn<double>("part");
        QTest::addColumn<QString>("line");
        addRow("80 columns, just begun", 80, 1000, 0.5,
               QString("clip.mp4: Extracting [############............]  50 %  1 of 2"));
        addRow("a quarter in 10 s", 80, 10000, 0.25,
               QString("clip.mp4: Extracting [######..................]  25 %  1 of 2  0:30 left"));
        addRow(
            "an hour and more left", 100, 80000, 0.02,
            QString("clip.mp4: Extracting [........................]   2 %  1 of 2  1:05:20 left"));
        addRow("a shorter bar", 50, 0, 0.5,
               QString("clip.mp4: Extracting [######......]  50 %  1 of 2"));
        addRow("no room for a bar", 40, 0, 0.5, QString("clip.mp4: Extracting  50 %  1 of 2"));
        addRow("cut at the edge", 20, 0, 0.5, QString("clip.mp4: Extractin"));
    }
    void progressBarFits() {
        QFETCH(int, columns);
        QFETCH(int, ranMs);
        QFETCH(double, part);
        QFETCH(QString, line);
        QBuffer out, bar;
        out.open(QIODevice::WriteOnly);
        bar.open(QIODevice::WriteOnly);
        ConsoleHost host(out, out, &bar, false, columns);
        qint64 now = 0;
        host.setClock([&now] { return now; });
        host.setVideo("clip.mp4");
        host.showStage("Extracting");
        now = ranMs;
        host.showProgress(part, "1 of 2");
        QCOMPARE(QString(bar.data()), '\r' + line);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
