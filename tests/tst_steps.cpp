// The four ffmpeg steps and the parts panel, driven through the window with the real ffmpeg on
// media made here: working files, message boxes, the output box, awkward paths and edited
// templates.
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/LinkLabel.h"
#include "helpers/TestSupport.h"
#include "platform/PathTools.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <cmath>

using testsupport::FormFixture;

namespace {

constexpr double kVideoSeconds = 5;

void touch(const QString& path, const QByteArray& content = "no media") {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
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
        // Two-second segments, so a five-second video gives three. Each starts at zero: the
        // segment muxer keeps the source's timestamps otherwise, and joining such pieces again
        // without a conversion between leaves gaps.
        f.form->txtSplit->setText(
            f.form->txtSplit->text().replace(" 299 ", " 2 -reset_timestamps 1 "));
    }

    Form1& w() { return *f.form; }
    QString work(const QString& name) const { return f.work.file(name); }
    QStringList parts() const { return namesIn(work(QStringLiteral("parts"))); }
    QString out() const { return f.form->txtOut->toPlainText(); }
    bool failed() const { return out().startsWith(QStringLiteral("Error: ")); }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // The same routines as the buttons, for their results.
    Pipeline steps() { return Pipeline(w(), w().toolRunner(), w().workFolder()); }

    FormFixture f;
    QTemporaryDir places;
    QString input;
    QString outFolder;
};

// The pitch of the middle of each of `count` equal stretches of the file's audio, in Hz rounded
// to tens; counted from the rising zero crossings of the decoded samples.
QList<int> tones(const QString& path, int count) {
    QTemporaryDir dir;
    const QString pcm = dir.filePath(QStringLiteral("a.raw"));
    if (!testsupport::runFfmpeg({"-i", path, "-map", "0:a:0", "-ac", "1", "-ar", "44100", "-f",
                                 "s16le", "-c:a", "pcm_s16le", pcm}))
        return {};
    QFile file(pcm);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData());
    const qsizetype total = bytes.size() / 2;

    QList<int> result;
    for (int k = 0; k < count; ++k) {
        const qsizetype from = total * (10 * k + 3) / (10 * count);
        const qsizetype to = total * (10 * k + 7) / (10 * count);
        int rising = 0;
        bool high = samples[from] > 0;
        for (qsizetype i = from; i < to; ++i) {
            if (!high && samples[i] > 300) {
                high = true;
                ++rising;
            } else if (high && samples[i] < -300) {
                high = false;
            }
        }
        const double hz = rising * 44100.0 / double(to - from);
        result.append(int(std::lround(hz / 10) * 10));
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

    // The whole road through the four buttons, in folders whose names trouble command lines,
    // list files and ffmpeg's file patterns; each name goes into the working folder, the input
    // and the output folder at once.
    void fourStepsLeaveTheWorkingFilesAsTheyShould_data() {
        QTest::addColumn<QString>("flavour");
        QTest::newRow("plain") << QString();
        QTest::newRow("blanks") << QStringLiteral(" a  b ");
        QTest::newRow("apostrophe") << QStringLiteral(" it's");
        QTest::newRow("url-encoded") << QStringLiteral(" Talk%20one");
        QTest::newRow("macro characters") << QStringLiteral(" x%2y %2d %bn %ap %1 %pf");
        QTest::newRow("non-ASCII") << QStringLiteral(" Ünïcødé 日本");
        QTest::newRow("all at once") << QStringLiteral(" it's %20 %2 %bn Ü");
    }
    void fourStepsLeaveTheWorkingFilesAsTheyShould() {
        QFETCH(QString, flavour);
        Session s(m_video, flavour);
        touch(s.work("raw.mp4")); // an old one, replaced
        touch(s.work("parts/1.mp4"));
        touch(s.work("parts/notes.txt"));

        s.click(s.w().Command2);
        QVERIFY2(!s.failed(), qPrintable(s.out()));
        QVERIFY(near(testsupport::audioDuration(s.work("raw.mp4")), kVideoSeconds));

        s.click(s.w().Command3);
        QVERIFY2(!s.failed(), qPrintable(s.out()));
        const QStringList segments = {"output000000000.mp4", "output000000001.mp4",
                                      "output000000002.mp4"};
        QCOMPARE(s.parts(), segments); // everything earlier is gone
        QCOMPARE(shownIn(s.w().File1), segments);
        QVERIFY(!QFile::exists(s.work("raw.mp4")));

        s.click(s.w().Command4);
        QVERIFY2(!s.failed(), qPrintable(s.out()));
        QVERIFY(!QFile::exists(s.work("concat_files.txt")));
        QCOMPARE(s.parts(), segments);
        QVERIFY(near(testsupport::audioDuration(s.work("joined.mp4")), kVideoSeconds));

        s.click(s.w().Command5);
        QVERIFY2(!s.failed(), qPrintable(s.out()));
        const QString result = s.outFolder + "/clip" + flavour + "_AI.mp4";
        QVERIFY2(QFile::exists(result), qPrintable(namesIn(s.outFolder).join(", ")));
        QVERIFY(near(testsupport::audioDuration(result), kVideoSeconds));
        QString probe;
        testsupport::runFfmpeg({"-i", result}, &probe);
        QVERIFY2(probe.contains("Video: h264"), qPrintable(probe));
        QVERIFY(QFile::exists(s.work("joined.mp4"))); // kept for another reintegrate
        QCOMPARE(s.f.messages, QStringList());
    }

    void stepsReportWhetherTheyDidTheirWork() {
        Session s(m_video);
        Pipeline steps = s.steps();
        QVERIFY(steps.extractAudio());
        QVERIFY(steps.splitAudio());
        QVERIFY(steps.rejoinAudio());
        QVERIFY(steps.reintegrate());
        QVERIFY(!steps.splitAudio()); // raw.mp4 went with the first split
        QCOMPARE(s.f.messages, QStringList{"Could not find raw.mp4"});
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

    // Extract removes an old raw.mp4 before ffmpeg runs, also when the run then fails.
    void extractOfANonVideoFailsWithoutAnOldRawLeft() {
        Session s(m_video);
        touch(s.input, "this is no video");
        touch(s.work("raw.mp4"));
        QVERIFY(!s.steps().extractAudio());
        QVERIFY2(s.failed(), qPrintable(s.out()));
        QVERIFY(s.out().contains("Invalid data"));
        QVERIFY(!QFile::exists(s.work("raw.mp4")));
        QVERIFY(s.f.messages.isEmpty());
    }

    void editedExtractTemplates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("word in capitals") << R"(FFMPEG -i "%1" -vn -acodec copy "%ap/raw.mp4")"
                                          << "raw.mp4";
        QTest::newRow("written elsewhere")
            << R"(ffmpeg -i "%1" -vn -acodec copy "%ap/elsewhere.mp4")"
            << "elsewhere.mp4";
        QTest::newRow("capitalised macro as typed")
            << R"(ffmpeg -i "%1" -vn -acodec copy "%ap/%AP.mp4")"
            << "%AP.mp4";
    }
    void editedExtractTemplates() {
        QFETCH(QString, text);
        QFETCH(QString, written);
        Session s(m_video);
        touch(s.work("raw.mp4"));
        s.w().txtExtractCmd->setText(text);
        const bool wroteRaw = written == "raw.mp4";

        QCOMPARE(s.steps().extractAudio(), wroteRaw);
        QVERIFY2(!s.failed(), qPrintable(s.out()));
        QVERIFY(near(testsupport::audioDuration(s.work(written)), kVideoSeconds));
        QCOMPARE(QFile::exists(s.work("raw.mp4")), wroteRaw); // the old one is gone in any case

        if (!wroteRaw) {
            touch(s.work("parts/1.mp4"));
            s.click(s.w().Command3);
            QCOMPARE(s.f.messages, QStringList{"Could not find raw.mp4"});
            QCOMPARE(s.parts(), QStringList{"1.mp4"});
        }
    }

    // Without raw.mp4 the converted pieces of an earlier run must survive.
    void splitWithoutRawKeepsThePartsFolder() {
        Session s(m_video);
        touch(s.work("parts/1.mp4"));
        touch(s.work("parts/output000000004.mp4"));
        s.w().txtOut->setPlainText("before");
        s.click(s.w().Command3);
        QCOMPARE(s.f.messages, QStringList{"Could not find raw.mp4"});
        QCOMPARE(s.parts(), (QStringList{"1.mp4", "output000000004.mp4"}));
        QCOMPARE(s.out(), QStringLiteral("before"));
    }

    void failedSplitStillRemovesRawAndShowsTheEmptiedFolder() {
        Session s(m_video);
        touch(s.work("raw.mp4"));
        touch(s.work("parts/1.mp4"));
        s.w().lblrefresh_Click();
        QCOMPARE(shownIn(s.w().File1), QStringList{"1.mp4"});

        QVERIFY(!s.steps().splitAudio());
        QVERIFY2(s.failed(), qPrintable(s.out()));
        QVERIFY(!QFile::exists(s.work("raw.mp4")));
        QCOMPARE(s.parts(), QStringList());
        QCOMPARE(shownIn(s.w().File1), QStringList());

        s.click(s.w().Command3);
        QCOMPARE(s.f.messages, QStringList{"Could not find raw.mp4"});
    }

    void rejoinFailuresLeaveNoListBehind() {
        Session s(m_video);
        s.click(s.w().Command4);
        QCOMPARE(s.f.messages, QStringList{"No files in \\parts?"});
        QVERIFY(!QFile::exists(s.work("concat_files.txt")));

        // ffmpeg cannot read the piece: the list goes all the same.
        touch(s.work("parts/1.mp4"), "not audio");
        QVERIFY(!s.steps().rejoinAudio());
        QVERIFY2(s.failed(), qPrintable(s.out()));
        QVERIFY(!QFile::exists(s.work("concat_files.txt")));
        QVERIFY(!QFile::exists(s.work("joined.mp4")));
        QCOMPARE(s.parts(), QStringList{"1.mp4"});

        // The list cannot be written: ffmpeg does not run on whatever stands there.
        QDir().mkpath(s.work("concat_files.txt"));
        s.w().txtOut->setPlainText("before");
        QVERIFY(!s.steps().rejoinAudio());
        QCOMPARE(s.f.messages.last(), "Could not write " + s.work("concat_files.txt"));
        QCOMPARE(s.out(), QStringLiteral("before"));
    }

    // Converted pieces carry their numbers without leading zeros; the joined audio must follow
    // the numbers, which is checked on the tones themselves.
    void rejoinJoinsTwelvePiecesInNumberOrder() {
        Session s(m_video);
        QList<int> expected;
        for (int n = 1; n <= 12; ++n) {
            const int hz = 100 + 100 * n;
            expected.append(hz);
            QVERIFY(testsupport::runFfmpeg(
                {"-f", "lavfi", "-i", QStringLiteral("sine=frequency=%1:duration=1").arg(hz),
                 "-c:a", "aac", s.work(QStringLiteral("parts/%1.mp4").arg(n))}));
        }
        // A conversion's temporary left beside the pieces is no piece.
        QFile leftover(s.work("parts/.13.mp4.x1y2.part"));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("half a piece");
        leftover.close();
        s.click(s.w().Command4);
        QVERIFY2(!s.failed(), qPrintable(s.out()));
        const QString joined = s.work("joined.mp4");
        QVERIFY(near(testsupport::audioDuration(joined), 12));
        QCOMPARE(tones(joined, 12), expected);
        QVERIFY(!QFile::exists(s.work("concat_files.txt")));
    }

    void reintegrateFailures() {
        Session s(m_video);
        QVERIFY(!s.steps().reintegrate());
        QCOMPARE(s.f.messages, QStringList{"Could not find joined.mp4"});
        QCOMPARE(namesIn(s.outFolder), QStringList());

        touch(s.work("joined.mp4"), "not audio");
        QVERIFY(!s.steps().reintegrate());
        QVERIFY2(s.failed(), qPrintable(s.out()));

        // A missing output folder is not made.
        QVERIFY(
            testsupport::runFfmpeg({"-i", m_video, "-vn", "-c:a", "copy", s.work("joined.mp4")}));
        s.w().txtOutDir->setText(s.outFolder + "/missing");
        s.click(s.w().Command5);
        QVERIFY2(s.failed(), qPrintable(s.out()));
        QVERIFY(!QFileInfo::exists(s.outFolder + "/missing"));
        QCOMPARE(s.f.messages.size(), 1);
    }

    // With no output folder chosen, the default template would write to the file system's root.
    void emptyOutputFolderIsRefusedWhenTheTemplateUsesIt() {
        Session s(m_video);
        QVERIFY(
            testsupport::runFfmpeg({"-i", m_video, "-vn", "-c:a", "copy", s.work("joined.mp4")}));
        s.w().txtOutDir->clear();
        s.w().txtOut->setPlainText("before");
        QVERIFY(!s.steps().reintegrate());
        QCOMPARE(s.f.messages, QStringList{"no output folder"});
        QCOMPARE(s.out(), QStringLiteral("before"));
        QVERIFY(!QFile::exists("/clip_AI.mp4"));

        // A template that writes next to the input needs none.
        s.w().txtIntegrate->setText(s.w().txtIntegrate->text().replace("%2", "%pf"));
        QVERIFY(s.steps().reintegrate());
        QVERIFY(QFile::exists(QFileInfo(s.input).path() + "/clip_AI.mp4"));
    }

    // A double quote would end the quoted argument early and turn the rest of the name into
    // arguments of ffmpeg; the step refuses before it touches a file.
    void pathWithADoubleQuoteIsRefused() {
        Session s(m_video);
        const QString quoted = QFileInfo(s.input).path() + "/a\" -y \"b.mp4";
        QVERIFY(QFile::copy(m_video, quoted));
        s.w().txtInput->setText(quoted);
        touch(s.work("raw.mp4"));
        s.w().txtOut->setPlainText("before");
        s.click(s.w().Command2);
        QCOMPARE(s.f.messages.size(), 1);
        QVERIFY(s.f.messages.last().startsWith("This path holds a double quote"));
        QVERIFY(s.f.messages.last().endsWith(quoted));
        QVERIFY(QFile::exists(s.work("raw.mp4")));

        // The split template names neither the input nor the output folder: ffmpeg runs (on the
        // junk raw.mp4).
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

    void delOutputRemovesOnlyTheSegments() {
        Session s(m_video);
        for (const char* name : {"output000000000.mp4", "output000000001.mp4", "1.mp4"})
            touch(s.work(QStringLiteral("parts/") + name));
        QTest::mouseClick(s.w().lblrefresh, Qt::LeftButton);
        QCOMPARE(shownIn(s.w().File1).size(), 3);

        QTest::mouseClick(s.w().lblDelOutput, Qt::LeftButton);
        QCOMPARE(s.parts(), QStringList{"1.mp4"});
        QCOMPARE(shownIn(s.w().File1), QStringList{"1.mp4"});
        QVERIFY(s.f.messages.isEmpty());
    }

    // While ffmpeg runs, the window keeps taking events; a click on another step or on
    // "del output*" is refused with a note and changes nothing.
    void secondClickWhileAStepRunsIsRefused() {
        Session s(m_video);
        // Reading the input at its own pace makes the run last as long as the video.
        s.w().txtExtractCmd->setText(R"(ffmpeg -re -i "%1" -vn -acodec copy "%ap/raw.mp4")");
        touch(s.work("parts/output000000000.mp4"));

        bool runningThen = false;
        QString note;
        QTimer::singleShot(0, &s.w(), [&] {
            runningThen = s.w().isRunning();
            s.click(s.w().Command3);
            QTest::mouseClick(s.w().lblDelOutput, Qt::LeftButton);
            note = s.w().statusBar()->currentMessage();
        });
        s.click(s.w().Command2);

        QVERIFY(runningThen);
        QVERIFY2(note.contains("still running"), qPrintable(note));
        QVERIFY(s.f.messages.isEmpty());
        QCOMPARE(s.parts(), QStringList{"output000000000.mp4"});
        QVERIFY2(!s.failed(), qPrintable(s.out()));
        QVERIFY(QFile::exists(s.work("raw.mp4")));
        QVERIFY(!s.w().isRunning());
    }
};

QTEST_MAIN(TestSteps)
#include "tst_steps.moc"
