// The pure routines, each against a table of inputs and what they must give.
#include "../bench/fuzz/FuzzChecks.h"
#include "core/ConcatList.h"
#include "core/InterpreterList.h"
#include "core/MediaInfo.h"
#include "core/NaturalOrder.h"
#include "core/Segments.h"
#include "core/Voices.h"
#include "helpers/TestSupport.h"
#include "platform/EnvironmentFile.h"
#include "platform/Settings.h"

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
               QStringList{"-i", "/w/raw.mp4", "-f", "segment", "-segment_time", "299",
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
    }
    void arguments() {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        const QList<Macro> macros = {{"%1", "/in/a b%2.mp4"}, {"%pf", "/in"},   {"%ap", "/w"},
                                     {"%2", "/out"},          {"%bn", "a b%2"}, {"%vo", "-0.5"},
                                     {"%ext", "mkv"}};
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

    // The launcher's list: the first qualifying line whose path exists; fewer than three
    // pieces are not trusted.
    void interpreterList_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("expected");
        addRow("two pieces", "-V:3.12 * C:\\Py312\\python.exe\n", "");
        addRow("heading first", "Installed:\n -V:3.12 * C:\\Python312\\python.exe\r\n",
               "C:\\Python312\\python.exe");
        addRow("missing then present",
               " -3.11 C:\\gone\\python3.exe\n -3.12 C:\\Py3\\python.exe\n\n",
               "C:\\Py3\\python.exe");
        addRow("no digit after Python", "Python 3 C:\\P\\python.exe\nx\ny", "");
        addRow("no drive letter", ":\\PYTHON312\\python.exe\nx\ny", "");
    }
    void interpreterList() {
        QFETCH(QString, output);
        QFETCH(QString, expected);
        QCOMPARE(pickInterpreter(output, [](const QString& p) { return !p.contains("gone"); }),
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

    // ffprobe's report: the shift that puts the first picture at 0, the container that holds it.
    void mediaInfo_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("shift");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("error");
        const QByteArray ts = R"({"streams":[{"codec_type":"video","codec_name":"h264",
            "start_time":"11.400000"},{"codec_type":"audio","codec_name":"aac",
            "start_time":"11.378667"}],"format":{"start_time":"11.378667"}})";
        addRow("audio before the picture", ts, "-0.021333", "mp4", "");
        addRow("vp8, no start times", QByteArray(R"({"streams":[{"codec_type":"video",
            "codec_name":"vp8","start_time":"N/A"}],"format":{}})"),
               "0", "mkv", "");
        addRow("audio only", QByteArray(R"({"streams":[{"codec_type":"audio",
            "codec_name":"mp3"}],"format":{"start_time":"0.1"}})"),
               "0", "mp4", "");
        addRow("unreadable", QByteArray(R"({"error":{"code":-1094995529,
            "string":"Invalid data found when processing input"}})"),
               "0", "mp4", "Invalid data found when processing input");
        addRow("no report", QByteArray("garbage"), "0", "mp4", "ffprobe gave no report");
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
    }

    // The user's environment file: any value comes back exactly as stored; a replaced key keeps
    // the other lines; hand-written lines read as the session reads them.
    void environmentFile() {
        const QStringList values = {
            "plain", "  blanks ", "quote\" and 'single'", "$HOME ${X:-y}", "back\\slash",
            "ünï ✓", "",          "line\nbreak"};
        for (const QString& value : values) {
            const QString text = replaceEnvironmentEntry("A=1\n# note\nKEY=old\n", "KEY", value);
            QVERIFY(text.startsWith("A=1\n# note\n"));
            QCOMPARE(environmentFileValue(text, "KEY", [](const QString&) { return QString(); }),
                     std::optional<QString>(value));
        }
        const QString hand = "X=one\nKEY=\"${X}-two\"\n# KEY=no\nY = 'a b' \\\n";
        const auto lookup = [](const QString& n) {
            return n == "HOME" ? QString("/h") : QString();
        };
        QCOMPARE(environmentFileValue(hand, "KEY", lookup), std::optional<QString>("one-two"));
        QCOMPARE(environmentFileValue(hand, "Y", lookup), std::optional<QString>("a b"));
        QCOMPARE(environmentFileValue(hand, "Z", lookup), std::nullopt);
        const QList<std::pair<QString, QString>> lines = {
            {"K=plain value  \n", "plain value"},
            {"K = 'single $$ quoted'", "single $ quoted"},
            {"K=\"a\\\\b\\\"c\\q\"", "a\\b\"c\\q"},
            {"K=a\\ b\\\nc", "a bc"},
            {"K=${UNSET:-fall}${HOME:+alt}", "fallalt"},
            {"K=first\n;K=no\nK=$$x\n", "$x"},
            {"K=\"$HOME\"'$HOME'", "/h/h"},
            {"K=\"multi\nline\"", "multi\nline"}};
        for (const auto& [text, value] : lines)
            QVERIFY2(environmentFileValue(text, "K", lookup) == value, qPrintable(text));
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
};

QTEST_GUILESS_MAIN(CoreTest)
#include "tst_core.moc"
