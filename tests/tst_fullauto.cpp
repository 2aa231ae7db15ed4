// The Full Auto run end to end: a generated video through the five steps and the real
// convert.py with its offline voice, and runs that stop at a failed stage.
#include "app/DropLineEdit.h"
#include "helpers/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtTest>

using namespace testsupport;

namespace {

// A hash of the video stream's packets as stored, without decoding.
QString videoHash(const QString& path) {
    QString out;
    if (!runFfmpeg({"-i", path, "-map", "0:v", "-c", "copy", "-f", "md5", "-"}, &out))
        return {};
    static const QRegularExpression md5(QStringLiteral("MD5=([0-9a-f]{32})"));
    return md5.match(out).captured(1);
}

} // namespace

class FullAutoTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void producesVideoWithNewVoice();
    void stopsWhenConversionFails();
    void stopsAtFirstStage();

private:
    // Rows of `list` with the time stamps taken off.

    QTemporaryDir m_media;
    QString m_input;
    QString m_outDir;
    std::unique_ptr<FormFixture> m_f;
};

void FullAutoTest::initTestCase() {
    // The offline voice: the real script, no key and no network.
    qputenv("VOXSPLICE_OFFLINE_VOICE", "1");
    qunsetenv("elevenlabs_api_key");
    qputenv("ELEVENLABS_API_BASE", "http://127.0.0.1:9");

    QVERIFY(m_media.isValid());
    m_input = m_media.filePath(QStringLiteral("clip.mp4"));
    QVERIFY(makeVideo(m_input, 5));
    m_outDir = m_media.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(m_outDir));
}

void FullAutoTest::init() {
    m_f = std::make_unique<FormFixture>(QStringLiteral("full auto"));
    QVERIFY(QFile::exists(m_f->work.file(QStringLiteral("convert.py"))));
    QCOMPARE(m_f->load(), Form1::LoadResult::Ready);
    Form1& w = *m_f->form;
    w.txtInput->setText(m_input);
    w.txtOutDir->setText(m_outDir);
    // Pieces of two seconds instead of 299, so the five seconds make several segments.
    QString split = w.txtSplit->text();
    QVERIFY(split.contains(QStringLiteral("-segment_time 299 ")));
    w.txtSplit->setText(
        split.replace(QStringLiteral("-segment_time 299 "), QStringLiteral("-segment_time 2 ")));
    QVERIFY(!w.Combo1->currentText().isEmpty());
}

void FullAutoTest::cleanup() {
    m_f.reset();
    QFile::remove(QDir(m_outDir).filePath(QStringLiteral("clip_AI.mp4")));
}

void FullAutoTest::producesVideoWithNewVoice() {
    Form1& w = *m_f->form;
    w.listAuto->addItem(QStringLiteral("from the last run"));

    w.Command1_Click();

    QVERIFY2(m_f->messages.isEmpty(), qPrintable(m_f->messages.join('\n')));
    QCOMPARE(logRows(w.listAuto),
             (QStringList{"Extracting", "Splitting", "AI Conversion", "Joining", "Final output"}));
    const QString chime = w.workFolder().completeSound();
    QCOMPARE(m_f->sounds, (QStringList{chime, chime}));

    const QStringList log = logRows(w.lstAI);
    QCOMPARE(log.first(), QStringLiteral("3 files found"));
    QCOMPARE(log.last(), QStringLiteral("Complete!"));
    QCOMPARE(PathTools().ListFiles(w.workFolder().parts(), QStringLiteral("*"), false),
             (QStringList{"1.mp4", "2.mp4", "3.mp4"}));

    // The picture untouched, the new audio as long as the picture.
    const QString output = QDir(m_outDir).filePath(QStringLiteral("clip_AI.mp4"));
    QVERIFY2(QFile::exists(output), qPrintable(w.txtOut->toPlainText()));
    const QString inputHash = videoHash(m_input);
    QVERIFY(!inputHash.isEmpty());
    QCOMPARE(videoHash(output), inputHash);
    const double video = streamDuration(output, QStringLiteral("v:0"));
    const double audio = streamDuration(output, QStringLiteral("a:0"));
    QVERIFY(video > 4.5);
    QVERIFY2(qAbs(audio - video) <= 0.05,
             qPrintable(QStringLiteral("audio %1 s, video %2 s").arg(audio).arg(video)));
}

void FullAutoTest::stopsWhenConversionFails() {
    QFile script(m_f->work.file(QStringLiteral("convert.py")));
    QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("import sys\nprint('Invalid ElevenLabs key: set it again with Tools')\n"
                 "sys.exit(1)\n");
    script.close();
    Form1& w = *m_f->form;

    w.Command1_Click();

    QCOMPARE(logRows(w.listAuto), (QStringList{"Extracting", "Splitting", "AI Conversion",
                                               "AI Conversion failed; the run stops here"}));
    QCOMPARE(logRows(w.lstAI).last(), QStringLiteral("Error"));
    QVERIFY(w.txtOut->toPlainText().contains(QStringLiteral("Invalid ElevenLabs key")));
    QVERIFY(m_f->sounds.isEmpty());
    // Nothing joined, nothing that looks finished; the segments wait for a second try.
    QVERIFY(!QFile::exists(w.workFolder().joined()));
    QVERIFY(!QFile::exists(QDir(m_outDir).filePath(QStringLiteral("clip_AI.mp4"))));
    QCOMPARE(PathTools().ListFiles(w.workFolder().parts(), QStringLiteral("output*"), false).size(),
             3);
}

void FullAutoTest::stopsAtFirstStage() {
    Form1& w = *m_f->form;
    w.txtInput->setText(m_media.filePath(QStringLiteral("missing.mp4")));

    w.Command1_Click();

    // One "no input", not one per ffmpeg stage, and no chime.
    QCOMPARE(m_f->messages, QStringList{QStringLiteral("no input")});
    QCOMPARE(logRows(w.listAuto),
             (QStringList{"Extracting", "Extracting failed; the run stops here"}));
    QVERIFY(m_f->sounds.isEmpty());
}

QTEST_MAIN(FullAutoTest)
#include "tst_fullauto.moc"
