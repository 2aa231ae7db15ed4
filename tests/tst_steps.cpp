// The four ffmpeg steps and the parts panel through the window, with the real ffmpeg on media
// made here: working files, message boxes, the output box, awkward paths and edited templates.
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/LinkLabel.h"
#include "helpers/TestSupport.h"
#include "platform/PathTools.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <cmath>

using testsupport::addRow;
using testsupport::FormFixture;

namespace {

constexpr double kVideoSeconds = 5;

void touch(const QString& path, const QByteArray& content = "no media") {
    QVERIFY2(testsupport::putFile(path, content), qPrintable(path));
}

QStringList namesIn(const QString& folder) {
    return PathTools().ListFiles(folder, QStringLiteral("*"), false, false);
}

QStringList shownIn(const FileListBox* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names.append(list->item(i)->text());
    return names;
}

bool near(double seconds, double expected) {
    return std::abs(seconds - expected) < 0.25;
}

// The window on a temporary working folder, with a copy of the test video as its input and an
// existing output folder; `flavour` goes into all three paths.
class Session {
public:
    Session(const QString& video, const QString& flavour = QString())
        : f(QStringLiteral("work") + flavour) {
        QVERIFY(f.load() == Form1::LoadResult::Ready);
        const QString inFolder = places.filePath(QStringLiteral("in") + flavour);
        outFolder = places.filePath(QStringLiteral("out") + flavour);
        QDir().mkpath(inFolder);
        QDir().mkpath(outFolder);
        input = inFolder + QStringLiteral("/clip") + flavour + QStringLiteral(".mp4");
        QVERIFY(QFile::copy(video, input));
        f.form->txtInput->setText(input);
        f.form->txtOutDir->setText(outFolder);
        // Two-second segments, three in all, each starting at zero: pieces that keep the source's
        // timestamps leave gaps when they are joined again without a conversion between.
        f.form->txtSplit->setText(
            f.form->txtSplit->text().replace(" 299 ", " 2 -reset_timestamps 1 "));
    }

    Form1& w() { return *f.form; }
    QString work(const QString& name) const { return f.work.file(name); }
    QStringList parts() const { return namesIn(work(QStringLiteral("parts"))); }
    QString out() const { return f.form->txtOut->toPlainText(); }
    bool failed() const { return out().startsWith(QStringLiteral("Error: ")); }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    bool run(QPushButton* button) { return click(button), !failed(); }
    // The same routines as the buttons, for their results.
    Pipeline steps() { return Pipeline(w(), w().toolRunner(), w().workFolder()); }

    FormFixture f;
    QTemporaryDir places;
    QString input;
    QString outFolder;
};

// The pitch in the middle of each of `count` equal stretches of the file's audio, in Hz rounded
// to tens; counted from the rising zero crossings of the decoded samples.
QList<int> tones(const QString& path, int count) {
    QProcess ffmpeg;
    ffmpeg.start(testsupport::ffmpeg(), {"-nostdin", "-v", "error", "-i", path, "-ac", "1", "-ar",
                                         "44100", "-f", "s16le", "-"});
    ffmpeg.waitForFinished(60000);
    const QByteArray bytes = ffmpeg.readAllStandardOutput();
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData());
    const qsizetype total = bytes.size() / 2;
    QList<int> result;
    for (int k = 0; k < count && total > 0; ++k) {
        const qsizetype from = total * (10 * k + 3) / (10 * count);
        const qsizetype to = total * (10 * k + 7) / (10 * count);
        int rising = 0;
        bool high = samples[from] > 0;
        for (qsizetype i = from; i < to; ++i) {
            if (samples[i] > 300 && !high)
                ++rising;
            if (std::abs(samples[i]) > 300)
                high = samples[i] > 0;
        }
        result.append(int(std::lround(rising * 4410.0 / double(to - from)) * 10));
    }
    return result;
}

} // namespace

class TestSteps : public QObject {
    Q_OBJECT
    QTemporaryDir m_media;
    QString m_video;

private slots:
    void initTestCase() {
        m_video = m_media.filePath(QStringLiteral("video.mp4"));
        QVERIFY(testsupport::makeVideo(m_video, kVideoSeconds));
    }

    // The four buttons in turn, with names that trouble command lines, list files and ffmpeg's
    // file patterns in the working folder, the input and the output folder at once.
    void fourStepsLeaveTheWorkingFilesAsTheyShould_data() {
        QTest::addColumn<QString>("flavour");
        QTest::newRow("blanks") << QStringLiteral(" a  b ");
        QTest::newRow("apostrophe") << QStringLiteral(" it's");
        QTest::newRow("url-encoded") << QStringLiteral(" Talk%20one");
        QTest::newRow("macro characters") << QStringLiteral(" x%2y %2d %bn %ap %1 %pf");
        QTest::newRow("non-ASCII") << QStringLiteral(" Ünïcødé 日本");
    }
    void fourStepsLeaveTheWorkingFilesAsTheyShould() {
        QFETCH(QString, flavour);
        Session s(m_video, flavour);
        for (const char* old : {"raw.mp4", "parts/1.mp4", "parts/notes.txt"}) // all replaced
            touch(s.work(old));

        QVERIFY2(s.run(s.w().Command2), qPrintable(s.out()));
        QVERIFY(near(testsupport::audioDuration(s.work("raw.mp4")), kVideoSeconds));

        QVERIFY2(s.run(s.w().Command3), qPrintable(s.out()));
        const QStringList segments = {"output000000000.mp4", "output000000001.mp4",
                                      "output000000002.mp4"};
        QCOMPARE(s.parts(), segments); // everything earlier is gone
        QCOMPARE(shownIn(s.w().File1), segments);
        QVERIFY(!QFile::exists(s.work("raw.mp4")));

        QVERIFY2(s.run(s.w().Command4), qPrintable(s.out()));
        QVERIFY(!QFile::exists(s.work("concat_files.txt")));
        QCOMPARE(s.parts(), segments);
        QVERIFY(near(testsupport::audioDuration(s.work("joined.mp4")), kVideoSeconds));

        QVERIFY2(s.run(s.w().Command5), qPrintable(s.out()));
        const QString result = s.outFolder + "/clip" + flavour + "_AI.mp4";
        QVERIFY2(QFile::exists(result), qPrintable(namesIn(s.outFolder).join(", ")));
        QVERIFY(near(testsupport::audioDuration(result), kVideoSeconds));
        QVERIFY(QFile::exists(s.work("joined.mp4"))); // kept for another reintegrate
        QCOMPARE(s.f.messages, QStringList());
    }

    void noInputStopsEveryStepBeforeItTouchesAnything_data() {
        QTest::addColumn<QString>("input");
        QTest::newRow("empty") << QString();
        QTest::newRow("missing file") << QStringLiteral("/nowhere/clip.mp4");
        QTest::newRow("a folder") << QStringLiteral("/tmp");
    }
    void noInputStopsEveryStepBeforeItTouchesAnything() {
        QFETCH(QString, input);
        Session s(m_video);
        s.w().txtInput->setText(input);
        for (const char* name : {"raw.mp4", "joined.mp4", "parts/output000000000.mp4"})
            touch(s.work(name));
        s.w().txtOut->setPlainText("before");

        for (QPushButton* button : {s.w().Command2, s.w().Command3, s.w().Command4, s.w().Command5})
            s.click(button);

        QCOMPARE(s.f.messages, QStringList(4, "no input"));
        QCOMPARE(s.out(), QStringLiteral("before"));
        QCOMPARE(s.parts(), QStringList{"output000000000.mp4"});
        QVERIFY(QFile::exists(s.work("raw.mp4")));
        QVERIFY(QFile::exists(s.work("joined.mp4")));
        QVERIFY(!QFile::exists(s.work("concat_files.txt")));
    }

    // Each step's failures: a message box and an untouched output box, or "Error: " and ffmpeg's
    // text; the step reports it and leaves the files as it should. Names are blank-separated.
    void failingSteps_data() {
        QTest::addColumn<int>("step");      // extract, split, rejoin, reintegrate
        QTest::addColumn<QString>("files"); // made first: "<input>" is the input, "name/" a folder
        QTest::addColumn<QString>("message"); // empty: ffmpeg fails; %w: the working folder
        QTest::addColumn<QString>("gone");
        QTest::addColumn<QString>("parts"); // the parts folder afterwards
        // An input that ffmpeg cannot read is named before raw.mp4 goes.
        addRow("extract: unreadable input", 0, "<input> raw.mp4",
               "ffmpeg cannot read %i:\nInvalid data found when processing input", "", "");
        // Without raw.mp4 the converted pieces of an earlier run must survive.
        addRow("split: no raw.mp4", 1, "parts/1.mp4 parts/output000000004.mp4",
               "Could not find raw.mp4", "", "1.mp4 output000000004.mp4");
        addRow("split: ffmpeg fails", 1, "raw.mp4 parts/1.mp4", "", "raw.mp4", "");
        addRow("rejoin: no parts", 2, "", "No files in \\parts?", "concat_files.txt", "");
        addRow("rejoin: ffmpeg fails", 2, "parts/1.mp4", "", "concat_files.txt joined.mp4",
               "1.mp4");
        // ffmpeg must not run on whatever stands where the list should be.
        addRow("rejoin: list not writable", 2, "parts/1.mp4 concat_files.txt/",
               "Could not write %w/concat_files.txt", "joined.mp4", "1.mp4");
        addRow("reintegrate: no joined.mp4", 3, "", "Could not find joined.mp4", "", "");
        addRow("reintegrate: ffmpeg fails", 3, "joined.mp4", "", "", "");
    }
    void failingSteps() {
        QFETCH(int, step);
        QFETCH(QString, files);
        QFETCH(QString, message);
        QFETCH(QString, gone);
        QFETCH(QString, parts);
        Session s(m_video);
        for (const QString& name : files.split(' ', Qt::SkipEmptyParts)) {
            if (name.endsWith('/'))
                QDir().mkpath(s.work(name));
            else
                touch(name == "<input>" ? s.input : s.work(name));
        }
        s.w().lblrefresh_Click();
        s.w().txtOut->setPlainText("before");
        using Step = bool (Pipeline::*)();
        const Step steps[] = {&Pipeline::extractAudio, &Pipeline::splitAudio,
                              &Pipeline::rejoinAudio, &Pipeline::reintegrate};
        Pipeline pipeline = s.steps();

        QVERIFY(!(pipeline.*steps[step])());

        if (message.isEmpty()) {
            QVERIFY2(s.failed(), qPrintable(s.out()));
            QCOMPARE(s.f.messages, QStringList());
        } else {
            QCOMPARE(s.f.messages,
                     QStringList{message.replace("%w", s.f.work.path()).replace("%i", s.input)});
            QCOMPARE(s.out(), QStringLiteral("before"));
        }
        for (const QString& name : gone.split(' ', Qt::SkipEmptyParts))
            QVERIFY2(!QFileInfo::exists(s.work(name)), qPrintable(name));
        QCOMPARE(s.parts(), parts.split(' ', Qt::SkipEmptyParts));
        QCOMPARE(shownIn(s.w().File1), parts.split(' ', Qt::SkipEmptyParts));
        QCOMPARE(namesIn(s.outFolder), QStringList());
    }

    // The templates are the user's: a word in capitals still names ffmpeg, a macro typed in
    // capitals stays as typed, and the step writes where its template says (and reports that it
    // made no raw.mp4); the old raw.mp4 goes in any case.
    void editedExtractTemplate() {
        Session s(m_video);
        touch(s.work("raw.mp4"));
        s.w().txtExtractCmd->setText(R"(FFMPEG -i "%1" -vn -acodec copy "%ap/%AP.mp4")");
        QVERIFY(!s.steps().extractAudio());
        QVERIFY2(!s.failed(), qPrintable(s.out()));
        QVERIFY(near(testsupport::audioDuration(s.work("%AP.mp4")), kVideoSeconds));
        QVERIFY(!QFile::exists(s.work("raw.mp4")));
    }

    // Converted pieces carry their numbers without leading zeros; the joined audio must follow
    // the numbers, which is checked on the tones themselves.
    void rejoinJoinsTwelvePiecesInNumberOrder() {
        Session s(m_video);
        QList<int> expected;
        for (int n = 1; n <= 12; ++n) {
            expected.append(100 + 100 * n);
            QVERIFY(testsupport::runFfmpeg(
                {"-f", "lavfi", "-i",
                 QStringLiteral("sine=frequency=%1:duration=1").arg(expected.last()), "-c:a", "aac",
                 s.work(QStringLiteral("parts/%1.mp4").arg(n))}));
        }
        touch(s.work("parts/.13.mp4.x1y2.part")); // a conversion's temporary is no piece
        QVERIFY2(s.run(s.w().Command4), qPrintable(s.out()));
        const QString joined = s.work("joined.mp4");
        QVERIFY(near(testsupport::audioDuration(joined), 12));
        QCOMPARE(tones(joined, 12), expected);
        QVERIFY(!QFile::exists(s.work("concat_files.txt")));
    }

    // With no output folder chosen, the default template would write to the file system's root;
    // a missing one is not made; a template that writes next to the input needs none.
    void reintegrateAndTheOutputFolder() {
        Session s(m_video);
        QVERIFY(
            testsupport::runFfmpeg({"-i", m_video, "-vn", "-c:a", "copy", s.work("joined.mp4")}));
        s.w().txtOutDir->clear();
        s.w().txtOut->setPlainText("before");
        QVERIFY(!s.steps().reintegrate());
        QCOMPARE(s.f.messages, QStringList{"no output folder"});
        QCOMPARE(s.out(), QStringLiteral("before"));
        QVERIFY(!QFile::exists("/clip_AI.mp4"));

        s.w().txtOutDir->setText(s.outFolder + "/missing");
        s.click(s.w().Command5);
        QVERIFY2(s.failed(), qPrintable(s.out()));
        QVERIFY(!QFileInfo::exists(s.outFolder + "/missing"));

        s.w().txtIntegrate->setText(s.w().txtIntegrate->text().replace("%2", "%pf"));
        QVERIFY(s.steps().reintegrate());
        QVERIFY(QFile::exists(QFileInfo(s.input).path() + "/clip_AI.mp4"));
        QCOMPARE(s.f.messages.size(), 1);
    }

    // A double quote would end the quoted argument early and turn the rest of the name into
    // arguments of ffmpeg; a step whose template uses that path refuses before it touches a file.
    void pathWithADoubleQuoteIsRefused() {
        Session s(m_video);
        const QString quoted = QFileInfo(s.input).path() + "/a\" -y \"b.mp4";
        QVERIFY(QFile::copy(m_video, quoted));
        s.w().txtInput->setText(quoted);
        touch(s.work("raw.mp4"));
        s.w().txtOut->setPlainText("before");
        s.click(s.w().Command2);
        QCOMPARE(s.f.messages.size(), 1);
        QVERIFY(s.f.messages[0].startsWith("This path holds a double quote") &&
                s.f.messages[0].endsWith(quoted));
        QVERIFY(QFile::exists(s.work("raw.mp4")));

        // The split template names neither the input nor the output folder: ffmpeg runs.
        s.w().txtOutDir->setText(s.outFolder + "/\"");
        s.click(s.w().Command3);
        QCOMPARE(s.f.messages.size(), 1);
        QVERIFY(s.out() != "before");

        s.w().txtInput->setText(s.input);
        s.click(s.w().Command5);
        QCOMPARE(s.f.messages.size(), 2);
        QVERIFY(s.f.messages.last().endsWith(s.outFolder + "/\""));
        QCOMPARE(namesIn(s.outFolder), QStringList());
    }

    // While ffmpeg runs, the window keeps taking events; a click on another step or on
    // "del output*" is refused with a note and changes nothing. Afterwards "del output*" removes
    // the segments only.
    void delOutputAndClicksWhileAStepRuns() {
        Session s(m_video);
        // Reading the input at its own pace makes the run last as long as the video.
        s.w().txtExtractCmd->setText(R"(ffmpeg -re -i "%1" -vn -acodec copy "%ap/raw.mp4")");
        const QStringList parts = {"1.mp4", "output000000000.mp4", "output000000001.mp4"};
        for (const QString& name : parts)
            touch(s.work("parts/" + name));
        QTest::mouseClick(s.w().lblrefresh, Qt::LeftButton);

        bool runningThen = false;
        QString note;
        QTimer::singleShot(0, &s.w(), [&] {
            runningThen = s.w().isRunning();
            s.click(s.w().Command3);
            QTest::mouseClick(s.w().lblDelOutput, Qt::LeftButton);
            note = s.w().statusBar()->currentMessage();
        });
        QVERIFY2(s.run(s.w().Command2), qPrintable(s.out()));

        QVERIFY(runningThen);
        QVERIFY2(note.contains("still running"), qPrintable(note));
        QCOMPARE(s.parts(), parts);
        QCOMPARE(shownIn(s.w().File1), parts);
        QVERIFY(QFile::exists(s.work("raw.mp4")));
        QVERIFY(!s.w().isRunning());

        QTest::mouseClick(s.w().lblDelOutput, Qt::LeftButton);
        QCOMPARE(s.parts(), QStringList{"1.mp4"});
        QCOMPARE(shownIn(s.w().File1), QStringList{"1.mp4"});
        QVERIFY(s.f.messages.isEmpty());
    }
};

QTEST_MAIN(TestSteps)
#include "tst_steps.moc"
