// The pure routines, each against a table of inputs and what they must give.
#include "../bench/fuzz/FuzzChecks.h"
#include "core/ConcatList.h"
#include "core/Excerpt.h"
#include "core/InterpreterList.h"
#include "core/KeptStreams.h"
#include "core/MediaInfo.h"
#include "core/NaturalOrder.h"
#include "core/PauseCuts.h"
#include "core/PieceSchedule.h"
#include "core/RunRecord.h"
#include "core/ScriptMessages.h"
#include "core/Segments.h"
#include "core/ToolReason.h"
#include "core/Turns.h"
#include "core/VideoQueue.h"
#include "core/Voices.h"
#include "helpers/TestSupport.h"
#include "platform/EnvironmentFile.h"
#include "platform/Settings.h"

#include <QAbstractItemModelTester>
#include <QDirIterator>
#include <QtTest>

#include <algorithm>

using testsupport::addRow;

class CoreTest : public QObject {
    Q_OBJECT

private slots:
    // Templates: the program word goes once whatever its case; the text is split once; macros
    // are replaced where they stand, case-sensitively, never inside what a macro put in; a '%'
    // of a value is doubled only in an argument that is one of ffmpeg's number patterns.
    void arguments_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        addRow("default extract", defaultTemplate(Template::Extract),
               QStringList{"-itsoffset", "-0.5", "-i", "/in/a b%2.mp4", "-map", "0:a:0", "-af",
                           "aresample=44100:async=1:first_pts=0", "-c:a", "alac", "-sample_fmt",
                           "s16p", "-ac", "2", "/w/raw.mp4"});
        addRow("number pattern", defaultTemplate(Template::Split),
               QStringList{"-i", "/w/raw.mp4", "-f", "segment", "-segment_times", "298.5,597",
                           "-reset_timestamps", "1", "-segment_format_options",
                           "movie_timescale=44100", "-c", "copy", "/w/parts/output%09d.mp4"});
        addRow("word in capitals, twice", QString("FFMPEG -i %1 ffmpeg"),
               QStringList{"-i", "/in/a b%2.mp4", "ffmpeg"});
        addRow("word inside a path", QString(R"(-i "/opt/ffmpeg/x %bn")"),
               QStringList{"-i", "/opt//x a b%2"});
        addRow("macro in capitals", QString("ffmpeg %AP %ap"), QStringList{"%AP", "/w"});
        addRow("pieced together", QString("%%1 %p%2f"), QStringList{"%/in/a b%2.mp4", "%p/outf"});
        addRow("percent doubled in pattern", QString(R"("%2/%bn-%03d.wav" "%2/%bn.wav")"),
               QStringList{"/out/a b%%2-%03d.wav", "/out/a b%2.wav"});
        addRow("empty value and quotes", QString(R"(ffmpeg "" -x "%ext" a"b c"d)"),
               QStringList{"", "-x", "mkv", "ab cd"});
        // A macro of several arguments stands alone for them; inside another, for its text.
        addRow("several arguments", defaultTemplate(Template::Integrate),
               QStringList{"-itsoffset",
                           "-0.5",
                           "-i",
                           "/in/a b%2.mp4",
                           "-itsoffset",
                           "0.05",
                           "-i",
                           "/w/joined.mp4",
                           "-map",
                           "0:v:0?",
                           "-map",
                           "1:a:0",
                           "-c:v",
                           "copy",
                           "-c:a",
                           "aac",
                           "-map",
                           "0:3",
                           "-metadata:s:a:1",
                           "title=Original voice",
                           "/out/a b%2_AI.mkv",
                           "-y"});
        addRow("none, and inside another", QString("%nothing x%keep"),
               QStringList{"x-map 0:3 -metadata:s:a:1 title=Original voice"});
    }
    void arguments() {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QList<Macro> macros = {{"%1", "/in/a b%2.mp4"}, {"%pf", "/in"},         {"%ap", "/w"},
                               {"%2", "/out"},          {"%bn", "a b%2"},       {"%vo", "-0.5"},
                               {"%ext", "mkv"},         {"%cuts", "298.5,597"}, {"%ao", "0.05"}};
        const QStringList keep = {"-map", "0:3", "-metadata:s:a:1", "title=Original voice"};
        macros.append({"%keep", keep.join(' '), keep});
        macros.append({"%nothing", "", QStringList()});
        QCOMPARE(::templateArguments(text.replace('\\', '/'), macros), expected);
    }

    // Concat lists quote every path by ffmpeg's rule; numbered names sort by value.
    void listsAndNames() {
        QCOMPARE(concatListText({"/w/parts/1.mp4", "/it's/2.mp4"}),
                 QString("file '/w/parts/1.mp4'\r\nfile '/it'\\''s/2.mp4'"));
        QStringList names = {"10.mp4", "2.mp4", "output000000011.mp4", "1.mp4", "output2.mp4"};
        std::sort(names.begin(), names.end(), naturalLess);
        QCOMPARE(names,
                 (QStringList{"1.mp4", "2.mp4", "10.mp4", "output2.mp4", "output000000011.mp4"}));
        // The folder listing that the join takes its order from.
        QTemporaryDir parts;
        for (const QString& name : names)
            QVERIFY(testsupport::putFile(parts.filePath(name)));
        QCOMPARE(testsupport::namesIn(parts.path()), names);
        QCOMPARE(segmentNumber("output000000009"), std::optional<qint64>(9));
        QCOMPARE(convertedFileName(9), QString("10.mp4"));
        for (const char* bad : {"output", "outputx1", "output-1", "output99999999999999999999"})
            QVERIFY2(!segmentNumber(bad), bad);
        // A stored voice: a row, none for a number out of range, the first for no number.
        QSettings store(QTemporaryDir().filePath("s.ini"), QSettings::IniFormat);
        for (const auto& [text, index] : {std::pair{"44", 44}, {"45", -1}, {"Rachel", 0}}) {
            store.setValue("settings/comboindex", text);
            QCOMPARE(UserSettings(store).voiceIndex(45, 17), index);
        }
        QCOMPARE(voiceIdFromRow(voiceRows().at(0)), QString("21m00Tcm4TlvDq8ikWAM"));
        QCOMPARE(voiceIdFromRow("a, b ,c"), QString("b"));
        QCOMPARE(voiceIdFromRow(""), QString());
    }

    // Python on Windows: the first launcher's list that names an existing interpreter (the
    // Windows folder's launcher before the per-user one; fewer than three pieces are not
    // trusted), else the newest per-user install, then for all users, then the Store's.
    // `answers`: the launchers' lists, the Windows folder's first; `entries`: what the folders
    // hold; "gone" is missing.
    void interpreterList_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("expected");
        const QString user = "C:\\Users\\u\\AppData\\Local\\Programs\\Python\\";
        const QString all = "C:\\Program Files\\";
        const QString store = "C:\\Users\\u\\AppData\\Local\\Microsoft\\WindowsApps\\";
        const QStringList none;
        addRow("two pieces", QStringList{"-V:3.12 * C:\\Py312\\python.exe\n"}, none, "");
        addRow("heading first", QStringList{"Installed:\n -V:3.12 * C:\\Python312\\python.exe\r\n"},
               none, "C:\\Python312\\python.exe");
        addRow("missing then present",
               QStringList{" -3.11 C:\\gone\\python3.exe\n -3.12 C:\\Py3\\python.exe\n\n"}, none,
               "C:\\Py3\\python.exe");
        addRow("no digit after Python", QStringList{"Python 3 C:\\P\\python.exe\nx\ny"}, none, "");
        addRow("no drive letter", QStringList{":\\PYTHON312\\python.exe\nx\ny"}, none, "");
        addRow("Windows folder's launcher first",
               QStringList{"-V:3.11 C:\\Python311\\python.exe\n\n",
                           "-V:3.13 C:\\Python313\\python.exe\n\n"},
               QStringList{user + "Python313"}, "C:\\Python311\\python.exe");
        addRow("per-user launcher when the other names nothing",
               QStringList{"-V:3.11 C:\\Python311gone\\python.exe\n\n",
                           "-V:3.13 C:\\Python313\\python.exe\n\n"},
               none, "C:\\Python313\\python.exe");
        addRow("newest per-user by number", none,
               QStringList{user + "Python39", user + "Python310-32", user + "Python310",
                           user + "Python311gone", user + "Launcher", all + "Python313"},
               user + "Python310\\python.exe");
        addRow("all users without a per-user install", none,
               QStringList{user + "Python27", all + "Python312", all + "Python3",
                           store + "python3.13.exe"},
               all + "Python312\\python.exe");
        addRow(
            "Store's newest versioned alias", none,
            QStringList{store + "python3.exe", store + "python3.9.exe", store + "python3.12.exe"},
            store + "python3.12.exe");
        addRow("Store's stub alone", none, QStringList{store + "python.exe", store + "python3.exe"},
               "");
    }
    void interpreterList() {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, entries);
        QFETCH(QString, expected);
        PythonProbe probe;
        probe.fileExists = [](const QString& path) { return !path.contains("gone"); };
        probe.namesIn = [&entries](const QString& folder) {
            QStringList names;
            for (const QString& entry : entries) {
                if (entry.startsWith(folder + '\\'))
                    names.append(entry.mid(folder.size() + 1).section('\\', 0, 0));
            }
            return names;
        };
        probe.launcherList = [&answers](const QString& launcher) {
            return answers.value(launcher == "C:\\Windows\\py.exe" ? 0 : 1);
        };
        QCOMPARE(findWindowsPython(
                     {"C:\\Windows", "C:\\Users\\u\\AppData\\Local\\", "C:\\Program Files"}, probe),
                 expected);
    }

    // ffmpeg's output: lines end at CR or LF and a character cut between two reads survives;
    // percent from "Duration:" and "time="; no time left without enough to go on.
    void progress() {
        LineSplitter lines;
        const QByteArray text = "Duration: 00:01:40.00, x\rtime=00:00:25.00 \xc3";
        QCOMPARE(lines.feed(text), (QStringList{"Duration: 00:01:40.00, x"}));
        QCOMPARE(lines.feed("\xbc\n"), QStringList{"time=00:00:25.00 ü"});
        QCOMPARE(lines.finish(), QStringList());
        FfmpegProgress progress;
        for (const char* line : {"Duration: 00:01:40.00, start", "time=-577014:32:22.77",
                                 "size= 1kB time=00:00:25.00 bitrate"})
            progress.feedLine(line);
        QCOMPARE(progress.percent(), std::optional<int>(25));
        QCOMPARE(parseClock(u"1:02:03.5"), std::optional<double>(3723.5));
        QVERIFY(!parseClock(u"00:61:00") && !parseClock(u"N/A"));
        QCOMPARE(estimateSecondsLeft(10, 0.25), std::optional<double>(30));
        QVERIFY(!estimateSecondsLeft(1, 0.5) && !estimateSecondsLeft(10, 0.01));
        QCOMPARE(formatDuration(3725), QString("1:02:05"));
    }

    // ffprobe's report: the shift that puts the first picture at 0, the container that holds it,
    // and the one that holds all else Reintegrate keeps (and why), with the subtitles' codec.
    void mediaInfo_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("shift");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("subtitles");
        const QByteArray ts = R"({"streams":[{"codec_type":"video","codec_name":"h264",
            "start_time":"11.400000"},{"codec_type":"audio","codec_name":"aac",
            "start_time":"11.378667"}],"format":{"start_time":"11.378667"}})";
        addRow("audio before the picture", ts, "-0.021333", "mp4", "", "mp4: ", "");
        addRow("vp8, no start times", QByteArray(R"({"streams":[{"codec_type":"video",
            "codec_name":"vp8","start_time":"N/A"}],"format":{}})"),
               "0", "mkv", "", "mkv: the vp8 picture", "");
        addRow("audio only", QByteArray(R"({"streams":[{"codec_type":"audio",
            "codec_name":"mp3"}],"format":{"start_time":"0.1"}})"),
               "0", "mp4", "", "mp4: ", "");
        addRow("unreadable", QByteArray(R"({"error":{"code":-1094995529,
            "string":"Invalid data found when processing input"}})"),
               "0", "mp4", "Invalid data found when processing input", "mp4: ", "");
        addRow("no report", QByteArray("garbage"), "0", "mp4", "ffprobe gave no report",
               "mp4: ", "");
        const auto streams = [](const char* list) {
            return QByteArray(R"({"streams":[)") + list + R"(],"format":{"start_time":"0"}})";
        };
        addRow("second language, SRT", streams(R"({"index":0,"codec_type":"video",
            "codec_name":"h264"},{"index":1,"codec_type":"audio","codec_name":"aac"},
            {"index":2,"codec_type":"audio","codec_name":"eac3"},{"index":3,"codec_type":
            "subtitle","codec_name":"subrip"},{"index":4,"codec_type":"data"})"),
               "0", "mp4", "", "mp4: ", "-c:s:0 mov_text");
        addRow("ASS, a font", streams(R"({"index":0,"codec_type":"video","codec_name":"h264"},
            {"index":1,"codec_type":"audio","codec_name":"aac"},{"index":2,"codec_type":
            "subtitle","codec_name":"ass"},{"index":3,"codec_type":"attachment",
            "codec_name":"ttf"})"),
               "0", "mp4", "", "mkv: the ass subtitles, the attachments (fonts and the like)",
               "-c:s:0 copy");
        addRow("PCM second track, bitmap subtitles", streams(R"({"index":0,"codec_type":"video",
            "codec_name":"h264"},{"index":1,"codec_type":"audio","codec_name":"aac"},
            {"index":2,"codec_type":"audio","codec_name":"pcm_s16le"},{"index":3,"codec_type":
            "subtitle","codec_name":"hdmv_pgs_subtitle"})"),
               "0", "mp4", "", "mkv: the pcm_s16le audio track, the hdmv_pgs_subtitle subtitles",
               "-c:s:0 copy");
        addRow("timed text under a VP8 picture", streams(R"({"index":0,"codec_type":"video",
            "codec_name":"vp8"},{"index":1,"codec_type":"audio","codec_name":"vorbis"},
            {"index":2,"codec_type":"subtitle","codec_name":"mov_text"})"),
               "0", "mkv", "", "mkv: the vp8 picture", "-c:s:0 srt");
    }
    void mediaInfo() {
        QFETCH(QByteArray, json);
        QFETCH(QString, shift);
        QFETCH(QString, extension);
        QFETCH(QString, error);
        const MediaInfo media = parseProbeReport(json);
        QCOMPARE(media.error, error);
        QCOMPARE(secondsArgument(pictureShift(media)), shift);
        QCOMPARE(outputExtension(media), extension);
        QFETCH(QString, kept);
        QFETCH(QString, subtitles);
        const KeptStreams keeps = keptStreams(media, false);
        QCOMPARE(keeps.extension + ": " + keeps.matroskaReasons.join(", "), kept);
        QCOMPARE(keeps.arguments.join(' ').contains(subtitles), true);
    }

    // The user's environment file: any value comes back exactly, in the form every version
    // wrote; a replaced entry leaves the other lines as they were; no other form is read.
    void environmentFile() {
        const QString others = "A=1\n# note\nKEY=by hand\nB=\"x\"\n";
        const QStringList values = {
            "plain", "  blanks ", "quote\" 'single' `tick`", "$HOME $$ ${X:-y}", "back\\slash\\",
            "ünï ✓", "",          "line\nbreak\r\n",         "KEY=\"x\"\n"};
        for (const QString& value : values) {
            const QString text = replaceEnvironmentEntry(
                "KEY=\"first\"\n" + others + "KEY=\"old\nline\"\n", "KEY", value);
            QVERIFY(text.startsWith(others));
            QCOMPARE(environmentFileValue(text, "KEY"), std::optional<QString>(value));
            QCOMPARE(replaceEnvironmentEntry(text, "KEY", "new"), others + "KEY=\"new\"\n");
        }
        const QString written = "KEY=\"sk \\\"q\\\" $$HOME \\\\ \\` ü\nend\"\n";
        QCOMPARE(replaceEnvironmentEntry("", "KEY", "sk \"q\" $HOME \\ ` ü\nend"), written);
        QCOMPARE(environmentFileValue(written + "KEY=\"last\"", "KEY"),
                 std::optional<QString>("last"));
        const QStringList foreign = {"KEY=plain\n",    "KEY='single'\n",   "KEY=\"$HOME\"\n",
                                     "KEY=\"a\\b\"\n", "KEY=\"open\n",     "KEY=\"cut\\",
                                     " KEY=\"x\"\n",   "KEY=\"x\" # note", "MY_KEY=\"x\""};
        for (const QString& text : foreign) {
            QVERIFY2(!environmentFileValue(text, "KEY"), qPrintable(text));
            QCOMPARE(replaceEnvironmentEntry(text, "KEY", "v"),
                     text.chopped(text.endsWith('\n') ? 1 : 0) + "\nKEY=\"v\"\n");
        }
    }

    // The run record: it reads back as written; a text that is no record, or that points outside
    // its folder, is refused; the join takes each piece's converted file where it was converted
    // and is there, else its segment, else names the missing piece; without a record, names
    // sort by the piece they hold.
    void runRecord() {
        using S = RecordedPiece::State;
        RunRecord record;
        record.input = {"/v/say \"hi\".mp4", 123,
                        QDateTime::fromMSecsSinceEpoch(qint64(17e11), Qt::UTC)};
        record.output = "/v/out/say \"hi\"_AI (2).mp4";
        record.pieces = {{0,
                          100,
                          "output000000000.mp4",
                          "1.take2.mp4",
                          S::Converted,
                          "",
                          "v1",
                          {},
                          true,
                          {{"1.mp4", "v0", {{"seed", 7}}}}},
                         {100, 50, "output000000001.mp4", "", S::Failed, "FAILED: x", "", {}},
                         {150, 7, "output000000002.mp4", "3.mp4", S::Waiting, "", "", {}}};
        const QByteArray json = record.toJson();
        QString error;
        QCOMPARE(RunRecord::fromJson(json, &error).value_or(RunRecord{}).toJson(), json);
        for (const auto& [from, to] : {std::pair{"\"version\": 1", "\"version\": 2"},
                                       {"output000000001.mp4", "../x.mp4"},
                                       {"\"1.mp4\"", "\"/etc/x.mp4\""},
                                       {"\"samples\": 157", "\"samples\": 158"},
                                       {"\"failed\"", "\"lost\""},
                                       {"\"index\": 2", "\"index\": 3"},
                                       {"\"sample_rate\": 44100", "\"sample_rate\": 0"}})
            QVERIFY2(!RunRecord::fromJson(QByteArray(json).replace(from, to), &error), from);
        QVERIFY(!RunRecord::fromJson(json.left(json.size() / 2), &error) && !error.isEmpty());
        const QList<std::pair<QStringList, QString>> joins = {
            // A converted file of a piece not converted (a run killed) is never joined.
            {{"1.take2.mp4", "output000000000.mp4", "output000000001.mp4", "output000000002.mp4",
              "3.mp4"},
             "1.take2.mp4 output000000001.mp4 output000000002.mp4"},
            {{"output000000000.mp4", "output000000001.mp4", "output000000002.mp4"},
             "output000000000.mp4 output000000001.mp4 output000000002.mp4"},
            {{"output000000001.mp4", "output000000002.mp4"},
             "Piece 1 of 3 is missing: neither 1.take2.mp4 nor output000000000.mp4 is in " +
                 QDir::toNativeSeparators("/parts.")},
            {{"1.take2.mp4", "output000000002.mp4"},
             "Piece 2 of 3 is missing: output000000001.mp4 is not in " +
                 QDir::toNativeSeparators("/parts.")}};
        for (const auto& [there, expected] : joins) {
            QString problem;
            const QStringList order = joinOrder(
                record, [&](const QString& n) { return there.contains(n); }, &problem);
            QCOMPARE(order.isEmpty() ? problem : order.join(' '), expected);
        }
        QCOMPARE(pieceOrder({"2.mp4", "notes.txt", "output000000002.mp4", "10.mp4",
                             "output000000000.mp4"}),
                 (QStringList{"output000000000.mp4", "2.mp4", "output000000002.mp4", "10.mp4",
                              "notes.txt"}));
        // A video moved or copied is the same; one written again, or another, is not.
        const RecordedInput moved{"/w/a.mp4", 123, record.input.modified};
        const RecordedInput touched{record.input.path, 123, QDateTime::currentDateTimeUtc()};
        QVERIFY(record.input.isSameVideo(moved) && record.input.isSameVideo(touched));
        QVERIFY(!moved.isSameVideo(touched) &&
                !record.input.isSameVideo({record.input.path, 124, record.input.modified}));
    }

    // The scripts' messages: only whole lines holding a JSON object with a type; people's text
    // that looks like a result is passed over.
    void scriptMessages() {
        ScriptReader reader;
        QList<ScriptMessage> got = reader.feed("OK: wrote /x\n{\"type\": \"ready\"}\n{\"ty");
        got +=
            reader.feed("pe\": \"result\", \"ok\": true}\r\n[1]\n{\"ok\": true}\nretry after 9 s");
        got += reader.finish();
        QStringList types;
        for (const ScriptMessage& m : got)
            types << m.type;
        QCOMPARE(types, (QStringList{"ready", "result"}));
        QVERIFY(lastOf(got, "result")->flag("ok") && !lastOf(got, "failure"));
    }

    // The order in which the conversion's pieces run: events on the schedule (r ready, a
    // answered, c converted, x returned, f failed, b busy, u resume, h halt) and, after "=", the
    // moves expected from next(): pieces to start / to send / to cancel; "F" when it is finished.
    void pieceSchedule_data() {
        QTest::addColumn<int>("pieces");
        QTest::addColumn<int>("atOnce");
        QTest::addColumn<QString>("events");
        QTest::addColumn<int>("preparing"); // at most at a time
        addRow("never ready (offline, cached)", 3, 2, QString("=0,1// c0 =2// c1 c2 =// F"), 9);
        addRow("sent in turn, the next prepared meanwhile", 4, 1,
               QString("=0// r0 =1/0/ r1 =// a0 =/1/ c0 =2// r2 a1 =/2/ c1 =3// r3 a2 =/3/ c2 a3 "
                       "c3 =// F"),
               9);
        addRow("a busy refusal with others out: fewer at once", 4, 3,
               QString("=0,1,2// r0 r1 r2 =3/0,1,2/ b1 =1// r3 a0 =/3/ r1 =// a2 =/1/"), 9);
        addRow("a busy refusal alone: waits until resumed", 2, 2,
               QString("=0,1// r0 =/0/ b0 =// u =0// c1 r0 =/0/ a0 c0 =// F"), 9);
        addRow("a failure cancels the ready and starts no more", 4, 2,
               QString("=0,1// r0 r1 =2,3/0,1/ r2 f0 =//2 x2 c1 r3 =//3 x3 =// F"), 9);
        addRow("prepared one at a time, sent as each is ready", 3, 3,
               QString("=0// r0 =1/0/ r1 =2/1/ r2 =/2/"), 1);
        addRow("halted: nothing new, the running end", 3, 1, QString("=0// h =// x0 =// F"), 9);
    }
    void pieceSchedule() {
        QFETCH(int, pieces);
        QFETCH(int, atOnce);
        QFETCH(QString, events);
        QFETCH(int, preparing);
        QList<int> all;
        for (int i = 0; i < pieces; ++i)
            all << i;
        PieceSchedule schedule(all, atOnce, preparing);
        const auto list = [](const QList<int>& l) {
            QStringList s;
            for (int i : l)
                s << QString::number(i);
            return s.join(',');
        };
        for (const QString& event : events.split(' ')) {
            const int piece = event.mid(1).toInt();
            switch (event.at(0).toLatin1()) {
            case '=': {
                const PieceSchedule::Moves m = schedule.next();
                QCOMPARE(list(m.start) + '/' + list(m.send) + '/' + list(m.cancel), event.mid(1));
                break;
            }
            case 'r':
                schedule.ready(piece);
                break;
            case 'a':
                schedule.answered(piece);
                break;
            case 'c':
                schedule.converted(piece);
                break;
            case 'x':
                schedule.returned(piece);
                break;
            case 'f':
                schedule.failed(piece);
                break;
            case 'b':
                schedule.busy(piece);
                break;
            case 'u':
                schedule.resume();
                break;
            case 'h':
                schedule.halt();
                break;
            case 'F':
                QVERIFY(schedule.finished());
                break;
            }
        }
        QCOMPARE(schedule.finished(), events.endsWith('F'));
    }

    // Where Split cuts (the audio written a character a tenth of a second: s speech at -20 dB,
    // - at -32 dB, quieter but no pause, . a pause at -80 dB): in the latest pause of the
    // stretch before each limit, at its middle; without one at its quietest moment; never more
    // than one piece over cutting at every limit; the levels as ffmpeg prints them.
    void pauseCuts_data() {
        QTest::addColumn<QString>("audio");
        QTest::addColumn<double>("limit");
        QTest::addColumn<QString>("cuts");
        QTest::addColumn<int>("inPauses");
        QTest::addColumn<double>("granule");
        addRow("shorter than the limit", QString("ssss..ss"), 1.0, QString(""), 0, 0.0);
        addRow("the latest pause, at its middle", QString("ss..ss...ssssssssssss"), 1.0,
               QString("0.75 1.70"), 1, 0.0);
        addRow("on the audio's packets", QString("ss..ss...ssssssssssss"), 1.0,
               QString("0.75 1.50"), 1, 0.25);
        addRow("too short to be a pause", QString("sssss.ssssss"), 1.0, QString("0.60"), 0, 0.0);
        addRow("quieter is not a pause", QString("ssss--sssss"), 1.0, QString("0.60"), 0, 0.0);
        addRow("never two pieces more", QString("s..sssssss").repeated(3), 1.0,
               QString("0.30 1.20 2.20"), 1, 0.0);
    }
    void pauseCuts() {
        QFETCH(QString, audio);
        QFETCH(double, limit);
        QFETCH(QString, cuts);
        QFETCH(int, inPauses);
        QFETCH(double, granule);
        QByteArray printed;
        for (const QChar c : audio)
            printed += "frame:0 pts:0 pts_time:0\nlavfi.astats.Overall.RMS_level=" +
                       QByteArray(c == 's'   ? "-20.0"
                                  : c == '-' ? "-32"
                                             : "-inf") +
                       '\n';
        LevelReader reader;
        reader.feed(printed.left(50));
        reader.feed(printed.mid(50));
        reader.finish();
        const CutPlan plan = planCuts(reader.levels(), 0.1, {limit, limit * 0.8, 0.2, 20, granule});
        QStringList got;
        double start = 0;
        for (const double cut : plan.cuts) {
            got << QString::number(cut, 'f', 2);
            QVERIFY(cut - start <= limit + 1e-9);
            start = cut;
        }
        QCOMPARE(got.join(' '), cuts);
        QCOMPARE(plan.inPauses, inPauses);
        QCOMPARE(plan.inPauses + plan.atQuietest, plan.cuts.size());
        QVERIFY(audio.size() * 0.1 - start <= limit + 1e-9);
        QVERIFY(plan.cuts.size() <= std::ceil(audio.size() * 0.1 / limit));
    }

    // A preview's excerpt (the audio written a character a tenth of a second: s speech at -20
    // dB, h a hum at -65 dB, . silence): from the first speech that fills half a second, a
    // quarter of a second early, on a tenth; or from the start typed; within the audio; the
    // start written back as it was read.
    void excerpts_data() {
        QTest::addColumn<QString>("audio");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("total");
        QTest::addColumn<QString>("excerpt");
        addRow("speech after silence", QString("..........ssssssssss"), QString(), 0.0,
               QString("0:00.7 30"));
        addRow("a click is no speech", QString("..s.......ssssssssss"), QString(), 0.0,
               QString("0:00.7 30"));
        addRow("a hum is no speech", QString("hhhhhsssssssss"), QString(), 0.0,
               QString("0:00.2 30"));
        addRow("silence only", QString("......"), QString(), 0.0, QString("0:00 30"));
        addRow("past the end", QString("s"), QString("1:00"), 40.0, QString("0:10 30"));
        addRow("shorter than an excerpt", QString("s"), QString("5"), 12.0, QString("0:00 12"));
        addRow("hours, a fraction", QString("s"), QString(" 1:02:03.5"), 0.0,
               QString("1:02:03.5 30"));
        addRow("seconds over 59", QString("s"), QString("1:75"), 0.0, QString("invalid"));
        addRow("not a time", QString("s"), QString("soon"), 0.0, QString("invalid"));
        addRow("negative", QString("s"), QString("-3"), 0.0, QString("invalid"));
        addRow("a part missing", QString("s"), QString("1::5"), 0.0, QString("invalid"));
    }
    void excerpts() {
        QFETCH(QString, audio);
        QFETCH(QString, typed);
        QFETCH(double, total);
        QFETCH(QString, excerpt);
        QList<float> levels;
        for (const QChar c : audio)
            levels.append(c == 's' ? -20.0f : c == 'h' ? -65.0f : -INFINITY);
        const std::optional<double> start =
            typed.isEmpty() ? firstSpeech(levels, 0.1) : parseUserTime(typed);
        if (!start) {
            QCOMPARE(QString("invalid"), excerpt);
            return;
        }
        const Excerpt got =
            ::previewExcerpt(*start, total > 0 ? std::optional(total) : std::nullopt);
        QCOMPARE(userTimeText(got.start) + ' ' + QString::number(got.length), excerpt);
        QCOMPARE(parseUserTime(userTimeText(got.start)), std::optional(got.start));
    }

    // The queue (videos A, B, ... in the states w waiting, r running, d done, f failed, s
    // stopped): any but the running one goes, only waiting ones move, and only past waiting
    // ones; failed ones run again; the next to run; what a restart makes of it; kept and read
    // back as it was. As a model, every change is one its views can follow.
    void videoQueue_data() {
        QTest::addColumn<QString>("states");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("after"); // the videos and states; "refused" when nothing changed
        addRow("remove a waiting one", QString("dww"), QString("remove 1"), QString("Ad Cw"));
        addRow("remove a failed one", QString("wfd"), QString("remove 1"), QString("Aw Cd"));
        addRow("the running one stays", QString("rw"), QString("remove 0"), QString("refused"));
        addRow("a failed one again", QString("dfw"), QString("again 1"), QString("Ad Bw Cw"));
        addRow("not a done one again", QString("dw"), QString("again 0"), QString("refused"));
        addRow("up past a waiting one", QString("dww"), QString("move 2 -1"), QString("Ad Cw Bw"));
        addRow("not past a done one", QString("dww"), QString("move 1 -1"), QString("refused"));
        addRow("not past the end", QString("ww"), QString("move 1 1"), QString("refused"));
        addRow("down two", QString("www"), QString("move 0 2"), QString("Bw Cw Aw"));
        addRow("a restart", QString("dsfr"), QString("rewind"), QString("Ad Bw Cf Dw"));
        addRow("clear finished", QString("dfws"), QString("clear"), QString("Cw Ds"));
    }
    void videoQueue() {
        QFETCH(QString, states);
        QFETCH(QString, edit);
        QFETCH(QString, after);
        VideoQueue queue;
        QAbstractItemModelTester tester(&queue,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QString letters = "wrdfs";
        for (qsizetype i = 0; i < states.size(); ++i) {
            queue.add(QString(QChar(char16_t('A' + i))), QJsonObject{{"voice", "Liam, x"}});
            queue.setState(int(i), QueueItem::State(letters.indexOf(states.at(i))));
        }
        const QStringList words = edit.split(' ');
        bool changed = true;
        if (words.first() == "remove")
            changed = queue.remove(words.at(1).toInt());
        else if (words.first() == "move")
            changed = queue.move(words.at(1).toInt(), words.at(2).toInt());
        else if (words.first() == "again")
            changed = queue.again(words.at(1).toInt());
        else if (words.first() == "rewind")
            queue.rewind();
        else
            queue.clearFinished();
        bool running = false;
        VideoQueue kept;
        kept.load(queue.toJson(true), &running);
        QStringList got;
        for (const QueueItem& item : kept.items())
            got << item.input + letters.at(int(item.state));
        QCOMPARE(changed ? got.join(' ') : QString("refused"), after);
        QVERIFY(running);
        QCOMPARE(kept.items().first().settings, queue.items().first().settings);
        const std::optional<int> next = kept.next();
        QCOMPARE(next ? kept.items().at(*next).state : QueueItem::State::Waiting,
                 QueueItem::State::Waiting);
        QVERIFY(isVideoFileName("a.b.MKV") && !isVideoFileName("notes.txt") &&
                !isVideoFileName("mp4"));
    }

    // ffmpeg's own reason for a failure, from the end of what it printed; a piece's length in
    // samples from ffprobe's report.
    void toolReports() {
        QCOMPARE(ffmpegReason("ffmpeg version 5.1\n[mp4 @ 0x55d0] muxing\n"
                              "av_interleaved_write_frame(): No space left on device\r\n"
                              "Error writing trailer of /o/x.mp4: No space left on device\n"
                              "size=    1024kB time=00:00:01.00 bitrate= 8.1kbits/s\n"
                              "Conversion failed!\n"),
                 QString("Error writing trailer of /o/x.mp4: No space left on device"));
        QCOMPARE(ffmpegReason("[mp4 @ 0x1] Could not find tag for codec\n"),
                 QString("Could not find tag for codec"));
        QCOMPARE(ffmpegReason("\n\n"), QString());
        const QList<std::pair<QByteArray, qint64>> lengths = {
            {R"({"streams":[{"sample_rate":"44100","time_base":"1/44100","duration_ts":13185900}]})",
             13185900},
            {R"({"streams":[{"sample_rate":"48000","time_base":"1/1000","duration_ts":2500}]})",
             120000},
            {R"({"streams":[{"sample_rate":"8000","duration":"1.5"}]})", 12000},
            {R"({"streams":[{"time_base":"1/44100","duration_ts":5}]})", -1},
            {"{}", -1}};
        for (const auto& [json, samples] : lengths)
            QCOMPARE(parseAudioLength(json).value_or(AudioLength{-1, 0}).samples, samples);
        QCOMPARE(parseAudioLength(R"({"packets":[{"duration":4}],"streams":[{"sample_rate":"48000",
            "time_base":"1/1000","duration_ts":2500}]})")
                     ->packetSamples,
                 192);
        // Split's pieces, all in one listing: each stream's packets added up in its time base.
        const QByteArray listing = "#tb 0: 1/44100\n#sample_rate 0: 44100\n#tb 1: 1/1000\n"
                                   "#sample_rate 1: 48000\n0, 0, 0, 4096, 10, 0x1\n"
                                   "1, 0, 0, 20, 10, 0x1\n0, 4096, 4096, 1000, 9, 0x2\n"
                                   "1, 20, 20, 5, 9, 0x2\n";
        const auto pieces = parsePacketLengths(listing, 2);
        QVERIFY(pieces && pieces->size() == 2);
        QCOMPARE(pieces->at(0).samples, 5096);
        QCOMPARE(pieces->at(1).samples, 1200);
        QCOMPARE(pieces->at(1).packetSamples, 960); // 20 ms at 48 kHz
        QVERIFY(!parsePacketLengths(listing, 3));   // a piece without audio packets
    }

    // What the fuzzers once found stays found: every kept input passes the fuzzers' checks.
    void fuzzFindings() {
        QDirIterator it(testsupport::fromCtest("VOXSPLICE_SOURCE_DIR") + "/bench/fuzz/crashes",
                        QDir::Files, QDirIterator::Subdirectories);
        int replayed = 0;
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
            const QString target = it.fileInfo().dir().dirName();
            const QString broken =
                target == "fuzz_template"   ? fuzzchecks::checkTemplate(data, bytes.size())
                : target == "fuzz_progress" ? fuzzchecks::checkProgress(data, bytes.size())
                                            : fuzzchecks::checkInterpreters(data, bytes.size());
            QVERIFY2(broken.isEmpty(), qPrintable(it.filePath() + ": " + broken));
            ++replayed;
        }
        QVERIFY(replayed > 0);
    }

    // Transcripts, JSON from the service or WebVTT (told apart by the brace): each entry as
    // "speaker start end text", in order of time; "!" and the start of the error when refused.
    void transcripts_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        addRow("service: words only, in order, speaker_0 by default",
               QByteArray(R"j({"words":[{"text":"there","start":0.5,"end":0.9,"speaker_id":"s1"},
                {"text":" ","type":"spacing"},{"text":"(laughter)","type":"audio_event"},
                {"text":"Hi","start":0.1,"end":0.4}]})j"),
               QString("speaker_0 0.1 0.4 Hi; s1 0.5 0.9 there"));
        addRow("service: not JSON", QByteArray(R"({"words":[)"), QString("!it is not JSON"));
        addRow("service: no words", QByteArray(R"({"text":"Hi"})"), QString("!it holds no list"));
        addRow("service: a time as text", QByteArray(R"({"words":[{"start":"1","end":2}]})"),
               QString("!its entry 1 has no time"));
        addRow("service: backwards", QByteArray(R"({"words":[{"type":"x"},{"start":2,"end":1}]})"),
               QString("!its entry 2 ends"));
        addRow("WebVTT: voices kept, tags and notes left out",
               QByteArray("WEBVTT - a title\n\n00:01.000 --> 00:02.000\nintro\n\nNOTE a note\n"
                          "--> not a cue\n\nid-2\n00:02.500 --> 00:00:04.000 align:start\n"
                          "<v.loud Host>Hello <b>there</b></v>\n<i>you</i> &amp; me\n\n"
                          "00:04.000 --> 00:05.000\nstill the host\n\n"
                          "01:00:05.000 --> 01:00:06.500\n<v Guest>Hi"),
               QString("Speaker 1 2 intro; Host 2.5 4 Hello there you & me; Host 4 5 still the "
                       "host; Guest 3605 3606.5 Hi"));
        addRow("WebVTT: BOM, CRLF, a header",
               QByteArray("\xEF\xBB\xBFWEBVTT\r\nKind: captions\r\n"
                          "\r\n00:00.000 --> 00:01.000\r\n<v Ann>Yes\r\n"),
               QString("Ann 0 1 Yes"));
        addRow("WebVTT: no header", QByteArray("WEBVTTX\n\n00:01.000 --> 00:02.000\nx"),
               QString("!it does not start"));
        addRow("WebVTT: 61 seconds",
               QByteArray("WEBVTT\n\n00:01.000 --> 00:02.000\nok\n\n1\n"
                          "00:01.000 --> 00:61.000\nx"),
               QString("!line 7 is no cue timing"));
        addRow("WebVTT: no cue", QByteArray("WEBVTT\n\nNOTE only this\n"),
               QString("!it holds no cue"));
    }
    void transcripts() {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        QString error;
        const auto words =
            text.startsWith('{') ? parseTranscript(text, &error) : parseWebVtt(text, &error);
        QStringList got;
        for (const SpokenWord& w : words.value_or(QList<SpokenWord>()))
            got << QString("%1 %2 %3 %4").arg(w.speaker).arg(w.start).arg(w.end).arg(w.text);
        QVERIFY2(words || expected.startsWith('!'), qPrintable(error));
        QCOMPARE(words ? got.join("; ") : '!' + error.left(expected.size() - 1), expected);
    }

    // Turns at 100 samples a second (0.15 s margins are 15 samples), from words written
    // "speaker:start-end:text": "labels | speaker start-end words (pauses); ...".
    void turns_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("expected");
        addRow("a gap under the bridge, one of it; margins from 0",
               QString("A:0.1-0.5:a A:0.7-1:b A:1.5-2:c"), 1000,
               QString("A | 0 0-115 a b (60); 0 135-215 c ()"));
        addRow("a short turn to the nearer, margins meet, to the end",
               QString("A:1-2:a B:2.1-2.3:b C:2.5-3.2:c"), 330,
               QString("A C | 0 85-240 a b (205); 1 240-330 c ()"));
        addRow("a tie to the one before, numbered by first speech",
               QString("B:0.5-1:x A:1.25-1.5:y C:1.75-2.5:z"), 1000,
               QString("B C | 0 35-162 x y (113); 1 162-265 z ()"));
        addRow("joined, one speaker's turns become one", QString("A:0-1:a B:1.1-1.2:b A:1.4-2:c"),
               1000, QString("A | 0 0-215 a b c (105 130)"));
        addRow("talking over each other", QString("A:0-1:a B:0.8-1.6:b B:3-4:c"), 1000,
               QString("A B | 0 0-100 a (); 1 100-175 b (); 1 285-415 c ()"));
        addRow("the first turn short, words past the end",
               QString("A:0-0.2:hm B:0.4-1:yes C:1.5-2:z"), 120,
               QString("B | 0 0-120 hm yes z (30 110)"));
    }
    void turns() {
        QFETCH(QString, words);
        QFETCH(int, total);
        QFETCH(QString, expected);
        QList<SpokenWord> spoken;
        for (const QString& word : words.split(' ')) {
            const QStringList fields = word.split(':');
            spoken.append({fields.at(1).section('-', 0, 0).toDouble(),
                           fields.at(1).section('-', 1).toDouble(), fields.at(2), fields.at(0)});
        }
        const Turns got = turnsFromWords(spoken, total, 100);
        QStringList turns;
        qint64 reached = 0;
        for (const Turn& t : got.turns) {
            QStringList pauses;
            for (const qint64 p : t.pauses) {
                QVERIFY(p > t.start && p < t.end);
                pauses << QString::number(p);
            }
            turns << QString("%1 %2-%3 ").arg(t.speaker).arg(t.start).arg(t.end) + t.words + " (" +
                         pauses.join(' ') + ')';
            QVERIFY(t.start >= reached && t.end > t.start && t.end <= total);
            reached = t.end;
        }
        QCOMPARE(got.labels.join(' ') + " | " + turns.join("; "), expected);
    }

    // Pieces of turns written "speaker:start-end:pause,...", 10 samples between spans; a piece
    // "speaker:turn/from-to@at,...". Each sample of a turn goes once, and none over the limit.
    void speakerPieces_data() {
        QTest::addColumn<QString>("turns");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("skip"); // the speaker kept in the original voice
        QTest::addColumn<QString>("expected");
        addRow("interleaved; a turn that does not fit starts a piece",
               QString("0:0-30 1:30-60 0:70-100 1:110-130 0:140-200"), 120, -1,
               QString("0:0/0-30@0,2/70-100@40 0:4/140-200@0 1:1/30-60@0,3/110-130@40"));
        addRow("filled to the sample", QString("0:0-50 0:60-110 0:120-130"), 110, -1,
               QString("0:0/0-50@0,1/60-110@60 0:2/120-130@0"));
        addRow("a long turn cut at its latest pauses that fit",
               QString("0:0-50 0:60-300:100,170,175,290 0:310-350"), 120, -1,
               QString("0:0/0-50@0 0:1/60-175@0 0:1/175-290@0 0:1/290-300@0,2/310-350@20"));
        addRow("no pause: cut at the limit; speaker 1 kept", QString("1:0-50 0:60-330"), 120, 1,
               QString("0:1/60-180@0 0:1/180-300@0 0:1/300-330@0"));
    }
    void speakerPieces() {
        QFETCH(QString, turns);
        QFETCH(int, limit);
        QFETCH(int, skip);
        QFETCH(QString, expected);
        QList<Turn> given;
        for (const QString& text : turns.split(' ')) {
            const QStringList fields = text.split(':');
            Turn turn{fields.at(0).toInt(), fields.at(1).section('-', 0, 0).toLongLong(),
                      fields.at(1).section('-', 1).toLongLong()};
            for (const QString& pause : fields.value(2).split(',', Qt::SkipEmptyParts))
                turn.pauses << pause.toLongLong();
            given << turn;
        }
        const QList<SpeakerPiece> pieces = ::speakerPieces(given, 2, limit, 10, {skip});
        QStringList got;
        QList<qint64> reached(given.size(), -1);
        for (const SpeakerPiece& piece : pieces) {
            QStringList spans;
            qint64 at = 0;
            for (const PieceSpan& s : piece.spans) {
                spans << QString("%1/%2-%3@%4").arg(s.turn).arg(s.from).arg(s.to).arg(s.at);
                QCOMPARE(s.at, at);
                at = s.at + s.to - s.from + 10;
                QCOMPARE(s.from, reached[s.turn] < 0 ? given.at(s.turn).start : reached[s.turn]);
                reached[s.turn] = s.to;
            }
            QCOMPARE(piece.length, at - 10);
            QVERIFY(piece.length <= limit);
            got << QString::number(piece.speaker) + ':' + spans.join(',');
        }
        for (qsizetype i = 0; i < given.size(); ++i)
            QCOMPARE(reached.at(i), given.at(i).speaker == skip ? -1 : given.at(i).end);
        QCOMPARE(got.join(' '), expected);
    }

    // The filter that makes a piece: each span cut to the sample, the gap after all but the last.
    void speakerPieceFilter() {
        const QString trim = "[0:a]atrim=start_sample=%1:end_sample=%2,asetpts=PTS-STARTPTS";
        QCOMPARE(::speakerPieceFilter({0, {{0, 0, 30, 0}, {2, 441000, 441100, 40}}, 140}, 10),
                 trim.arg(0).arg(30) + ",apad=pad_len=10[s0];" + trim.arg(441000).arg(441100) +
                     "[s1];[s0][s1]concat=n=2:v=0:a=1[piece]");
    }
};

QTEST_GUILESS_MAIN(CoreTest)
#include "tst_core.moc"
