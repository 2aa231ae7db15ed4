// Videos of every common kind through Full Auto with the offline voice: the picture comes out
// untouched and the new voice where the old one was. And joins of unconverted and mixed pieces.
#include "app/DropLineEdit.h"
#include "core/RunRecord.h"
#include "helpers/TestSupport.h"

#include <QJsonArray>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace testsupport;

namespace {

// The sources: four seconds of picture and of silence with a loud 0.2 s tone at 3 s of the audio,
// inside the second piece, so that it lies where the first piece's length decides.
const QString kPicture = QStringLiteral("testsrc=size=160x120:rate=10:duration=4");
const QString kSound =
    QStringLiteral("aevalsrc=if(between(t\\,3\\,3.2)\\,0.8*sin(2*PI*1000*t)\\,0):s=48000:d=4");

QJsonObject probe(const QString& path) {
    return QJsonDocument::fromJson(
               outputOf(testsupport::ffprobe(), {"-v", "quiet", "-show_streams", "-show_format",
                                                 "-show_chapters", "-of", "json", path}))
        .object();
}

// What a file holds besides the picture and the voice, as a viewer meets it: per stream its
// type, codec family, tags and flags, and the packets' digest where they are copied; the
// subtitles' words; the chapters relative to the first picture; the file's title.
struct Contents {
    QStringList streams; // "audio fra French default=0 <md5>"
    QString subtitles;
    QStringList chapters; // "Second 1.977"
    QString title;
};

// What one ffmpeg run reads of a file: where its first audio is silent, the digests of its
// picture's and of each audio stream's packets, and the words of its first subtitles.
struct Reading {
    QString silences;     // silencedetect's words
    QString pictureMd5;   // of the first picture's packets
    QStringList audioMd5; // of each audio stream's packets, in their order
    QString subtitles;    // the lines with words, '|' between them
};

// The audio's end: the silence detector's last silence ends a fixed pad after it, whether the
// audio ends in silence or in sound.
const double kPad = 0.2;

Reading read(const QString& path, const QJsonObject& info) {
    const QString silences =
        QStringLiteral("apad=pad_dur=%1,silencedetect=n=-30dB:d=0.05").arg(kPad);
    QStringList arguments = {"-i", path, "-map", "0:a:0", "-af", silences, "-f", "null", "-"};
    arguments +=
        QStringLiteral("-map 0:v:0 -f md5 - -map 0:a -c copy -f streamhash -hash md5 -").split(' ');
    const QString srt = path + ".srt";
    const QJsonArray streams = info["streams"].toArray();
    const bool subtitled = std::any_of(streams.begin(), streams.end(), [](const QJsonValue& s) {
        return s["codec_type"].toString() == "subtitle";
    });
    if (subtitled)
        arguments += {"-map", "0:s:0", "-f", "srt", srt};
    QString out;
    runFfmpeg(arguments, &out);
    Reading r{
        out, QRegularExpression(QStringLiteral("(?<!,)MD5=(\\w+)")).match(out).captured(1), {}, {}};
    static const QRegularExpression audio(QStringLiteral("(?m)^\\d+,a,MD5=(\\w+)"));
    for (auto it = audio.globalMatch(out); it.hasNext();)
        r.audioMd5 << it.next().captured(1);
    QFile words(srt);
    if (subtitled && words.open(QIODevice::ReadOnly))
        r.subtitles = QString::fromUtf8(words.readAll())
                          .split('\n')
                          .filter(QRegularExpression(QStringLiteral("[A-Za-z]")))
                          .join('|');
    return r;
}

Contents contents(const QJsonObject& info, const Reading& reading, double pictureStart) {
    Contents c;
    int audio = 0;
    for (const QJsonValue& v : info["streams"].toArray()) {
        const QJsonObject stream = v.toObject();
        const QJsonObject tags = stream["tags"].toObject();
        const QString type = stream["codec_type"].toString();
        // No language is "und" in MP4, whose muxer also makes its first picture the default.
        const QString language = tags["language"].toString();
        const int isDefault =
            type == "video" ? 1 : stream["disposition"].toObject()["default"].toInt();
        // MP4 names a track by its handler ("SoundHandler" where it has no name).
        QString title = tags["title"].toString();
        if (title.isEmpty() && !tags["handler_name"].toString().endsWith("Handler"))
            title = tags["handler_name"].toString();
        QString line = type + ' ' + (language == "und" ? QString() : language) + ' ' + title +
                       QStringLiteral(" default=%1").arg(isDefault);
        if (type == "audio")
            line += ' ' + reading.audioMd5.value(audio++);
        if (type == "attachment")
            line += ' ' + tags["filename"].toString();
        if (type != "data") // MP4 keeps its chapters in a track of its own
            c.streams.append(line);
    }
    // Where no stream of a type is the default, players take the first (and MP4 says so).
    for (const QString type : {"audio ", "subtitle "}) {
        const auto first = std::find_if(c.streams.begin(), c.streams.end(),
                                        [&](const QString& line) { return line.startsWith(type); });
        if (first != c.streams.end() &&
            !c.streams.filter(QRegularExpression('^' + type + ".* default=1")).size())
            first->replace(" default=0", " default=1");
    }
    c.subtitles = reading.subtitles;
    for (const QJsonValue& v : info["chapters"].toArray()) {
        const QJsonObject chapter = v.toObject();
        // A chapter from before the first picture starts with it.
        const double start =
            std::max(0.0, chapter["start_time"].toString().toDouble() - pictureStart);
        c.chapters.append(chapter["tags"].toObject()["title"].toString() + ' ' +
                          QString::number(start, 'f', 3));
    }
    c.title = info["format"].toObject()["tags"].toObject()["title"].toString();
    return c;
}

// Where things are, in seconds from the first picture.
struct Timing {
    double marker = -1;   // the tone's start
    double audioEnd = -1; // the last sample's end
    QString pictureMd5;   // of the decoded picture
    int rotation = 0;
    double pictureStart = 0; // in the file's own time
};

Timing measure(const QJsonObject& info, const Reading& reading) {
    Timing t;
    const double fileStart = info["format"].toObject()["start_time"].toString().toDouble();
    double pictureStart = fileStart;
    for (const QJsonValue& s : info["streams"].toArray()) {
        const QJsonObject stream = s.toObject();
        if (stream["codec_type"].toString() != "video")
            continue;
        pictureStart = t.pictureStart = stream["start_time"].toString().toDouble();
        for (const QJsonValue& d : stream["side_data_list"].toArray())
            t.rotation = d.toObject()["rotation"].toInt();
        break;
    }
    // ffmpeg counts from the file's start; the picture starts this much later.
    const double shift = pictureStart - fileStart;
    static const QRegularExpression end(QStringLiteral("silence_end: ([-0-9.]+)"));
    // The first silence ends at the tone; the last one after the audio, where the pad ends.
    QList<double> ends;
    for (auto it = end.globalMatch(reading.silences); it.hasNext();)
        ends << it.next().captured(1).toDouble() - shift;
    t.marker = ends.value(0, -1);
    t.audioEnd = ends.size() > 1 ? ends.last() - kPad : -1;
    t.pictureMd5 = reading.pictureMd5;
    return t;
}

// The audio's length as its timestamps say (in samples at 44.1 kHz) and as its decoded samples
// say: a join with gaps between its pieces says more than it holds.
std::pair<qint64, qint64> lengthsInSamples(const QString& path) {
    return {
        outputOf(testsupport::ffprobe(), {"-v", "quiet", "-select_streams", "a:0", "-show_entries",
                                          "stream=duration_ts", "-of", "csv=p=0", path})
            .trimmed()
            .toLongLong(),
        decodedSamples(path).size() / 2};
}

} // namespace

class SyncTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_media;

private slots:
    void initTestCase() {
        qputenv("VOXSPLICE_OFFLINE_VOICE", "1");
        qunsetenv("elevenlabs_api_key");
        QVERIFY(m_media.isValid());
        // What the richer videos are made of: words, chapters, a font.
        const auto write = [this](const char* name, const QByteArray& text) {
            QFile file(m_media.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
        };
        QVERIFY(write("words.srt", "1\n00:00:00,500 --> 00:00:01,500\nHello there\n\n"
                                   "2\n00:00:02,000 --> 00:00:03,000\nSecond line\n"));
        QVERIFY(write("chapters.txt", ";FFMETADATA1\ntitle=A talk\n[CHAPTER]\nTIMEBASE=1/1000\n"
                                      "START=0\nEND=2000\ntitle=Opening\n[CHAPTER]\n"
                                      "TIMEBASE=1/1000\nSTART=2000\nEND=4000\ntitle=Second\n"));
        QVERIFY(write("words.ass",
                      "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\nFormat: Name, "
                      "Fontname, Fontsize, PrimaryColour, Bold\nStyle: Default,Test Sans,20,"
                      "&H00FFFFFF,1\n\n[Events]\nFormat: Layer, Start, End, Style, Text\n"
                      "Dialogue: 0,0:00:00.50,0:00:01.50,Default,{\\i1}Hello{\\i0} there\n"
                      "Dialogue: 0,0:00:02.00,0:00:03.00,Default,Second line\n"));
        QVERIFY(write("font.ttf", QByteArray(4096, '\x7f')));
    }

    void everyKindComesOutInStep_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("audioInput"); // options before the sound's input
        QTest::addColumn<QString>("coding");
        QTest::addColumn<int>("rotation");     // set on the source after it is made
        QTest::addColumn<QString>("expected"); // the output's name
        QTest::addColumn<QString>("inputs");   // more inputs, {m} standing for the media folder
        QTest::addColumn<QString>("more");     // and how they go in
        QTest::addColumn<bool>("original");    // the original voice kept as a second track
        const QString h264 = QStringLiteral("-c:v libx264 -preset ultrafast -pix_fmt yuv420p ");
        const char* none = "";
        // A double quote is a character like any other in a file name. A phone's video: turned
        // on its side, its audio 5.1.
        addRow("rotated phone video in .mov, 5.1 PCM and timed text", "say \"pcm\".mov", "",
               h264 + "-c:a pcm_s16le -ac 6 -c:s mov_text", 90, "say \"pcm\"_AI.mp4",
               "-i {m}/words.srt", "-map 0:v -map 1:a -map 2:s -metadata:s:s:0 language=deu",
               false);
        addRow("WMV and WMA in .wmv", "old.wmv", "", "-c:v wmv2 -c:a wmav2", 0, "old_AI.mkv", none,
               none, false);

        // Both start some seconds in, the audio 0.3 s before the picture.
        addRow("transport stream starting late", "broadcast.ts", "-itsoffset -0.3",
               h264 + "-c:a aac -output_ts_offset 10", 0, "broadcast_AI.mp4", none, none, false);
        addRow("FLAC in .mkv, after the picture", "late.mkv", "-itsoffset 0.5", h264 + "-c:a flac",
               0, "late_AI.mp4", none, none, false);
        // Everything else the input holds comes through.
        addRow("two languages, SRT, chapters and a title in .mkv, the original kept", "talk.mkv",
               "", h264 + "-c:a aac -c:s srt", 0, "talk_AI.mp4",
               "-f lavfi -i sine=f=300:d=4 -i {m}/words.srt -i {m}/chapters.txt",
               "-map 0:v -map 1:a -map 2:a -map 3:s -map_metadata 4 -map_chapters 4 "
               "-metadata:s:a:0 language=eng -metadata:s:a:1 language=fra -metadata:s:a:1 "
               "title=French -disposition:a:1 0 -metadata:s:s:0 language=eng",
               true);
        addRow("VP8, Vorbis, ASS and a font in .mkv", "styled.mkv", "",
               "-c:v libvpx -c:a libvorbis -c:s ass", 0, "styled_AI.mkv",
               "-i {m}/words.ass -i {m}/chapters.txt",
               "-map 0:v -map 1:a -map 2:s -map_chapters 3 -attach {m}/font.ttf "
               "-metadata:s:t mimetype=application/x-truetype-font",
               false);
    }
    void everyKindComesOutInStep() {
        QFETCH(QString, name);
        QFETCH(QString, audioInput);
        QFETCH(QString, coding);
        QFETCH(int, rotation);
        QFETCH(QString, expected);
        QFETCH(QString, inputs);
        QFETCH(QString, more);
        QFETCH(bool, original);
        const QString source = m_media.filePath(name);
        QStringList make = {"-f", "lavfi", "-i", kPicture};
        make += audioInput.split(' ', Qt::SkipEmptyParts);
        make += QStringList{"-f", "lavfi", "-i", kSound};
        for (const QString& part : {inputs, coding, more})
            make += part.split(' ', Qt::SkipEmptyParts).replaceInStrings("{m}", m_media.path());
        make += source;
        QVERIFY(runFfmpeg(make));
        if (rotation) {
            const QString plain = source + ".plain." + QFileInfo(source).suffix();
            QVERIFY(QFile::rename(source, plain));
            QVERIFY(runFfmpeg({"-i", plain, "-c", "copy", "-metadata:s:v:0",
                               "rotate=" + QString::number(rotation), source}));
        }

        FormFixture f(QStringLiteral("sync"));
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const Form1Ui& w = f.ui();
        w.txtInput->setText(source);
        w.txtOutDir->setText(m_media.path());
        w.chkKeepOriginal->setChecked(original);
        // Pieces of at most 3 s: every video is joined from two, its marker in the second.
        f.settings->setValue("settings/pieceseconds", 3);

        f.w().Command1_Click();
        QVERIFY(f.settle());

        const QString output = m_media.filePath(expected);
        QVERIFY2(QFile::exists(output),
                 qPrintable(f.messages.join('\n') + w.txtOut->toPlainText()));
        const QStringList log = logRows(w.listAuto);
        QVERIFY2(log.contains("Final output") && !log.join('|').contains("failed") &&
                     !log.filter(QRegularExpression("^1 cut: ")).isEmpty(),
                 qPrintable(log.join('|')));
        const QJsonObject sourceInfo = probe(source), outputInfo = probe(output);
        const Reading sourceRead = read(source, sourceInfo), outputRead = read(output, outputInfo);
        const Timing before = measure(sourceInfo, sourceRead),
                     after = measure(outputInfo, outputRead);
        QVERIFY(!before.pictureMd5.isEmpty());
        QCOMPARE(after.pictureMd5, before.pictureMd5);
        QCOMPARE(after.rotation, rotation);
        QCOMPARE_LE(qAbs(after.marker - before.marker), 0.025);
        QCOMPARE_LE(qAbs(after.audioEnd - before.audioEnd), 0.05);
        // Where MP4 cannot hold the picture, the log and the output box say why it is Matroska.
        QCOMPARE(log.last().contains("(Matroska)"), expected.endsWith(".mkv"));
        QCOMPARE(w.txtOut->toPlainText().contains("(Matroska)"), expected.endsWith(".mkv"));

        // All the rest as it was: other tracks bit for bit with their tags and flags, the new
        // voice with the replaced one's, the original after it where asked for; the subtitles'
        // words, the chapters at their times from the picture, the title.
        Contents was = contents(sourceInfo, sourceRead, before.pictureStart);
        const Contents is = contents(outputInfo, outputRead, after.pictureStart);
        const int voice = int(was.streams.indexOf(QRegularExpression("audio .*")));
        QVERIFY(voice >= 0);
        const QString replaced = was.streams.at(voice);
        was.streams[voice] =
            replaced.section(' ', 0, 3) + ' ' + is.streams.value(voice).section(' ', 4);
        if (original)
            was.streams.insert(voice + 1, replaced.section(' ', 0, 1) +
                                              " Original voice default=0 " +
                                              replaced.section(' ', 4));
        QCOMPARE(is.streams, was.streams);
        QCOMPARE(is.subtitles, was.subtitles);
        QCOMPARE(is.chapters, was.chapters);
        QCOMPARE(is.title, was.title);
    }

    // Split cuts where the speaker pauses: every cut of spoken sentences inside a pause; over a
    // steady tone, which leaves no pause, at the quietest moment; every piece within the limit;
    // the same audio cut the same way twice; the unconverted pieces joined give back the
    // extracted audio sample for sample.
    void cutsFallInPauses_data() {
        QTest::addColumn<bool>("tone"); // a steady tone under the speech
        addRow("sentences with pauses", false);
        addRow("speech over a steady tone", true);
    }
    void cutsFallInPauses() {
        QFETCH(bool, tone);
        const QString speech = m_media.filePath("speech.wav");
        if (!QFile::exists(speech)) {
            QProcess espeak;
            // Sentences only: their ends are the pauses (a comma's is shorter).
            espeak.start("espeak-ng", {"-w", speech,
                                       "The market opens at seven. Traders arrive "
                                       "early. Nobody leaves before noon. The river "
                                       "turned green last spring. Nobody knows why. "
                                       "The mayor promised an answer. Children still "
                                       "swim there every summer. The old bridge will "
                                       "close in May."});
            QVERIFY(espeak.waitForFinished(60000) && espeak.exitCode() == 0);
        }
        const QString source = m_media.filePath(tone ? "talk-tone.mp4" : "talk.mp4");
        QStringList make = {"-f", "lavfi", "-i", "testsrc=size=64x48:rate=5:duration=16",
                            "-i", speech};
        if (tone)
            make += {"-f",
                     "lavfi",
                     "-i",
                     "sine=f=300:d=16",
                     "-filter_complex",
                     "[1:a][2:a]amix=inputs=2:duration=first:normalize=0[a]",
                     "-map",
                     "0:v",
                     "-map",
                     "[a]"};
        QVERIFY(runFfmpeg(make + QStringList{"-shortest", "-c:v", "libx264", "-preset", "ultrafast",
                                             "-pix_fmt", "yuv420p", "-c:a", "aac", source}));
        // Pieces of at most 4 s; the pauses of the source, as ffmpeg finds them.
        FormFixture f(QStringLiteral("cuts"));
        f.settings->setValue("settings/pieceseconds", 4);
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        f.ui().txtInput->setText(source);
        QString said;
        runFfmpeg({"-i", source, "-af", "silencedetect=n=-40dB:d=0.15", "-f", "null", "-"}, &said);
        QList<std::pair<double, double>> pauses;
        static const QRegularExpression silence(
            "silence_start: ([0-9.]+)[^\\n]*\\n[^\\n]*silence_end: ([0-9.]+)");
        for (auto it = silence.globalMatch(said); it.hasNext();) {
            const auto m = it.next();
            pauses.append({m.captured(1).toDouble(), m.captured(2).toDouble()});
        }
        QList<double> first;
        for (int run = 0; run < 2; ++run) {
            if (run == 0) {
                f.w().Command2_Click();
                QVERIFY(f.settle());
            }
            // The same audio again, as Extract made it.
            QVERIFY(run == 0 ? QFile::copy(f.work("raw.mp4"), f.work("extracted.mp4"))
                             : QFile::copy(f.work("extracted.mp4"), f.work("raw.mp4")));
            f.w().Command3_Click();
            QVERIFY(f.settle());
            QFile file(f.work("parts/run.json"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const RunRecord record = RunRecord::fromJson(file.readAll(), nullptr).value();
            QList<double> cuts;
            for (const RecordedPiece& piece : record.pieces) {
                QVERIFY2(piece.length <= 4 * 44100, qPrintable(QString::number(piece.length)));
                if (piece.start > 0)
                    cuts << piece.start / 44100.0;
            }
            QVERIFY(cuts.size() >= 3);
            if (run == 1)
                QCOMPARE(cuts, first);
            first = cuts;
        }
        const QString log = f.ui().txtOut->toPlainText();
        for (const double cut : first) {
            const bool inPause = std::any_of(pauses.begin(), pauses.end(), [cut](auto p) {
                return p.first < cut && cut < p.second;
            });
            QVERIFY2(inPause != tone, qPrintable(QString::number(cut)));
        }
        QVERIFY2(log.contains(tone ? QString("%1 at the quietest moment").arg(first.size())
                                   : QString("%1 in pauses").arg(first.size())),
                 qPrintable(log.left(300)));
        f.w().Command4_Click();
        QVERIFY(f.settle());
        QCOMPARE(decodedSamples(f.work("joined.mp4")), decodedSamples(f.work("extracted.mp4")));
    }

    // Rejoin after every state a conversion can leave the pieces in, several at once included:
    // the join holds the audio in the order of the video, each piece's marker where it was, and
    // no gap between the pieces. Without the record, the names decide the order. A piece of
    // another format makes a join that does not decode: a failure, nothing for Reintegrate.
    void rejoinKeepsTheOrder_data() {
        QTest::addColumn<QString>("fails"); // the segment whose conversion fails; "-": none runs
        QTest::addColumn<int>("atOnce");
        QTest::addColumn<QString>("then"); // joined again: "no record", "foreign" piece
        addRow("none converted", "-", 1, "");
        addRow("the first failed after the second was converted, with and without the record", "0",
               2, "no record");
        addRow("all converted, then another format among them", "", 2, "foreign");
    }
    void rejoinKeepsTheOrder() {
        QFETCH(QString, fails);
        QFETCH(int, atOnce);
        QFETCH(QString, then);
        // Three seconds of silence, a 0.1 s tone in each second, each a little later than the last.
        const QString source = m_media.filePath("markers.mp4");
        QList<double> marks;
        QString tones;
        for (int k = 0; k < 3; ++k) {
            marks << k + 0.1 * (k + 1);
            tones += QString("+between(t\\,%1\\,%2)").arg(marks.last()).arg(marks.last() + 0.1);
        }
        FormFixture f(QStringLiteral("rejoin"));
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const Form1Ui& w = f.ui();
        w.txtInput->setText(source);
        f.settings->setValue("settings/pieceseconds", 1);
        w.spnPieces->setValue(atOnce);
        // Extracted and split once; each row starts from those pieces.
        const QString cut = m_media.filePath("markers-parts");
        const QString parts = f.w().workFolder().parts();
        if (!QFile::exists(source)) {
            QVERIFY(runFfmpeg(
                {"-f", "lavfi", "-i", "testsrc=size=64x48:rate=5:duration=3", "-f", "lavfi", "-i",
                 "aevalsrc=(0" + tones + ")*0.8*sin(2*PI*1000*t):s=44100:d=3", "-c:v", "libx264",
                 "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", source}));
            for (QPushButton* step : {w.Command2, w.Command3}) {
                QTest::mouseClick(step, Qt::LeftButton);
                QVERIFY(f.settle());
            }
            QVERIFY(QDir().mkpath(cut));
            for (const QString& name : namesIn(parts))
                QVERIFY(QFile::copy(parts + '/' + name, cut + '/' + name));
        } else {
            for (const QString& name : namesIn(cut))
                QVERIFY(QFile::copy(cut + '/' + name, parts + '/' + name));
        }
        // The failing piece fails once the next one is converted, so that both states meet.
        QVERIFY(QFile::rename(f.work("convert.py"), f.work("real.py")));
        QVERIFY(putFile(f.work("convert.py"),
                        QString("import os, runpy, sys, time\nif sys.argv[2].endswith('%1.mp4'):\n"
                                "    while %2 and not os.path.exists(sys.argv[3][:-5] + '2.mp4'):"
                                " time.sleep(0.05)\n    sys.exit('no')\nsys.argv[0] = "
                                "os.path.join(os.path.dirname(__file__), 'real.py')\n"
                                "runpy.run_path(sys.argv[0], run_name='__main__')\n")
                            .arg(fails.isEmpty() ? "x" : "output00000000" + fails)
                            .arg(atOnce > 1 ? "True" : "False")
                            .toUtf8()));
        if (fails != "-") {
            QTest::mouseClick(w.cmdConvert, Qt::LeftButton);
            QVERIFY(f.settle());
            QCOMPARE(logRows(w.lstAI).contains(fails.isEmpty() ? "Complete!" : "Error"), true);
        }
        const QString joined = f.w().workFolder().joined();
        const auto joinsInOrder = [&] {
            QTest::mouseClick(w.Command4, Qt::LeftButton);
            QVERIFY(f.settle());
            QVERIFY2(!w.txtOut->toPlainText().startsWith("Error"),
                     qPrintable(w.txtOut->toPlainText()));
            QString out;
            runFfmpeg({"-i", joined, "-af", "silencedetect=n=-30dB:d=0.05", "-f", "null", "-"},
                      &out);
            QList<double> found;
            static const QRegularExpression end(QStringLiteral("silence_end: ([-0-9.]+)"));
            for (auto it = end.globalMatch(out); it.hasNext();) {
                const double at = it.next().captured(1).toDouble();
                if (at < 2.9) // not the end of the audio
                    found << at;
            }
            QCOMPARE(found.size(), marks.size());
            for (qsizetype k = 0; k < marks.size(); ++k)
                QVERIFY2(qAbs(found[k] - marks[k]) < 0.025, qPrintable(QString::number(found[k])));
            // No gap between the pieces, not even a millisecond one: such gaps add up over hours.
            const auto [stated, decoded] = lengthsInSamples(joined);
            QCOMPARE(stated, decoded);
        };
        joinsInOrder();
        if (then == "no record") {
            QVERIFY(QFile::remove(parts + "/run.json"));
            joinsInOrder();
        }
        if (then == "foreign") {
            QVERIFY(QFile::remove(joined));
            QVERIFY(runFfmpeg({"-f", "lavfi", "-i", "sine=d=1", "-c:a", "aac", parts + "/2.mp4"}));
            QTest::mouseClick(w.Command4, Qt::LeftButton);
            QVERIFY(f.settle());
            QVERIFY(w.txtOut->toPlainText().startsWith(
                "Error: ffmpeg wrote joined.mp4, but it does not decode"));
            QVERIFY(!QFile::exists(joined));
        }
    }
};

QTEST_MAIN(SyncTest)
#include "tst_sync.moc"
