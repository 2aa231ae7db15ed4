// The window against the strict stand-in service: its voices, pieces several at once joined in
// order, the cost before a run, no audio paid for twice (after a failure or a restart), the
// voices' previews and a preview of the voice on the video; a queue of videos.
#include "app/ABPlayer.h"
#include "app/CostDialog.h"
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/PartsPanel.h"
#include "app/PreviewDialog.h"
#include "app/QueueWindow.h"
#include "app/VoiceSamplesDialog.h"
#include "core/RunRecord.h"
#include "core/Voices.h"
#include "helpers/TestSupport.h"
#include "platform/UserEnvironment.h"

#include <QAbstractItemModelTester>
#include <QAudioDevice>
#include <QCheckBox>
#include <QJsonArray>
#include <QLabel>
#include <QListWidget>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>

using namespace testsupport;

namespace {

const QByteArray kKey = "standin-test-key";

// The pitch of each second of the file's audio, from its rising zero crossings.
QList<int> tonePerSecond(const QString& path) {
    const QByteArray bytes = decodedSamples(path);
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData());
    QList<int> tones;
    for (qsizetype from = 0; from + 44100 <= bytes.size() / 2; from += 44100) {
        int rising = 0;
        for (qsizetype i = from + 4411; i < from + 39690; ++i)
            rising += samples[i - 1] < 0 && samples[i] >= 0;
        tones.append(int(std::lround(rising / 0.8 / 10.0)) * 10);
    }
    return tones;
}

// Each audio the service was paid for, and how often.
QList<int> charges(Standin& service) {
    QList<int> times;
    for (const QJsonValue& count : service.ledger()["charges_per_audio"].toObject())
        times.append(count.toInt());
    return times;
}

} // namespace

class ServiceTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_media;
    QString m_video;

private slots:
    void initTestCase() {
        qunsetenv("VOXSPLICE_OFFLINE_VOICE");
        qputenv(kApiKeyVariable, kKey);
        // Five seconds, each its own tone, so that the join's order can be heard.
        m_video = m_media.filePath("steps.mp4");
        QVERIFY(runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=5:duration=5", "-f",
                           "lavfi", "-i", "aevalsrc=0.5*sin(2*PI*(300+100*floor(t))*t):s=44100:d=5",
                           "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a",
                           "aac", m_video}));
    }

    void aRunThroughTheService() {
        // The account takes two at once; the window asks for four.
        // It answers only once a third request came while two were out: the run then goes on
        // with two.
        Standin service({"--key", kKey, "--concurrency", "2", "--latency", "0.15", "--hold"});
        QVERIFY(!service.url.isEmpty());
        qputenv("ELEVENLABS_API_BASE", service.url.toUtf8());
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const Form1Ui& ui = f.ui();

        // The account's own voices come after the 45, in the background; one is chosen.
        QVERIFY(QTest::qWaitFor([&] { return ui.Combo1->count() > 45; }, 20000));
        QCOMPARE(ui.Combo1->itemText(45), QString("Narrator; calm (cloned), Uv3qKx8RmT2pLw9NcA5e"));
        ui.Combo1->setCurrentIndex(46);
        ui.txtInput->setText(m_video);
        ui.txtOutDir->setText(m_media.path());
        f.settings->setValue("settings/pieceseconds", 2);
        ui.spnPieces->setValue(4);

        // Its cost is shown before the audio is extracted: Convert, and the threshold under which
        // runs go without the question is kept.
        f.w().setQuestionHandler(nullptr);
        f.w().Command1_Click();
        QVERIFY(QTest::qWaitFor([&f] { return f.form->findChild<CostDialog*>() != nullptr; }));
        auto* cost = f.form->findChild<CostDialog*>();
        QVERIFY2(
            cost->findChild<QLabel*>("costLines")
                ->text()
                .contains(QRegularExpression("^To the voice service: 0.1 min, about 8\\d credits")),
            qPrintable(cost->findChild<QLabel*>("costLines")->text()));
        cost->findChild<QCheckBox*>()->setChecked(true);
        cost->findChild<QSpinBox*>()->setValue(50);
        cost->accept();
        QVERIFY(f.settle());
        QCOMPARE(f.settings->value("settings/askabovecredits").toString(), QString("50"));
        f.w().setQuestionHandler([&f](const QString& question) {
            f.questions << question;
            return true;
        });
        QStringList log = logRows(ui.lstAI);
        QVERIFY2(log.contains("Complete!"), qPrintable(log.join('\n') + ui.txtOut->toPlainText()));
        QVERIFY(
            log.contains("The voice service takes 2 at once for this account: going on with 2"));
        QCOMPARE(log.filter(QRegularExpression("^To the voice service: 0.1 min, about 8\\d "
                                               "credits; from the cache: 0.0 min$"))
                     .size(),
                 1);
        // Cut at most every two seconds, where it is quietest: three pieces or one more.
        const int pieces = int(log.filter("starting output").size());
        QVERIFY(pieces == 3 || pieces == 4);
        QCOMPARE(service.ledger()["peak_in_flight"].toInt(), 2);
        QCOMPARE(charges(service), QList<int>(pieces, 1));
        // Joined in order: each second's tone where it was, raised a little by the service.
        const QList<int> tones = tonePerSecond(m_media.filePath("steps_AI.mp4"));
        QCOMPARE(tones.size(), 5);
        QVERIFY2(std::is_sorted(tones.begin(), tones.end()) && tones.first() > 300,
                 qPrintable(QString::number(tones.first())));

        // The same video again after a restart: every piece from the cache, nothing paid. The
        // output there is kept unless the user agrees to replace it; nothing to pay, no cost
        // question.
        f.reopen();
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QVERIFY(QTest::qWaitFor([&] { return f.ui().Combo1->currentIndex() == 46; }, 20000));
        f.ui().txtInput->setText(m_video);
        const QString output = m_media.filePath("steps_AI.mp4");
        const QDateTime written = QFileInfo(output).lastModified();
        f.w().setQuestionHandler([](const QString&) { return false; });
        f.w().Command1_Click();
        QVERIFY(f.settle());
        QCOMPARE(logRows(f.ui().listAuto),
                 QStringList{"Not started: " + QDir::toNativeSeparators(output) + " is kept"});
        QCOMPARE(QFileInfo(output).lastModified(), written);
        f.questions.clear();
        f.w().setQuestionHandler([&f](const QString& question) {
            f.questions << question;
            return true;
        });
        f.w().Command1_Click();
        QVERIFY(f.settle());
        log = logRows(f.ui().lstAI);
        QCOMPARE(log.filter("reused").size(), pieces);
        QVERIFY(log.contains(
            "To the voice service: 0.0 min, about 0 credits; from the cache: 0.1 min"));
        QCOMPARE(charges(service), QList<int>(pieces, 1));
        // Before the video is cut again, the pieces it was cut into before are found in the
        // cache: nothing to pay, nothing asked but the replacing.
        QCOMPARE(f.questions.size(), 1);
        QCOMPARE(f.questions.first(), QString("steps_AI.mp4 exists. Replace it?"));
        QVERIFY(logRows(f.ui().listAuto)
                    .filter(QRegularExpression("To the voice service: 0.0 min.*from the "
                                               "cache: 0.1 min$"))
                    .size() == 1);

        // Another voice, shaped, one piece refused: the run stops; the next pays only for the
        // rest. What is set of the voice reaches the service, the rest is not sent; the first
        // line of the log says so. Runs under the user's threshold go without the cost question.
        f.settings->setValue("settings/askabovecredits", "100");
        f.questions.clear();
        f.ui().Combo1->setCurrentIndex(3);
        f.settings->setValue("settings/stability", "0.3");
        f.settings->setValue("settings/seed", "7");
        service.post("queue", QJsonObject{{"answer", "quota_exceeded"}});
        f.w().Command1_Click();
        QVERIFY(f.settle());
        QCOMPARE(
            logRows(f.ui().listAuto).last(),
            QString("AI Conversion failed: a piece could not be converted; the run stops here"));
        f.w().Command1_Click();
        QVERIFY(f.settle());
        QCOMPARE(logRows(f.ui().listAuto).last(), QString("Final output"));
        QCOMPARE(charges(service), QList<int>(pieces, 2)); // once for each voice
        QCOMPARE(f.questions, QStringList(2, "steps_AI.mp4 exists. Replace it?"));
        f.settings->remove("settings/askabovecredits");

        QCOMPARE(logRows(f.ui().lstAI).first(),
                 f.ui().Combo1->currentText() + ": stability 30 %, seed 7");
        const QJsonObject sent = service.ledger()["requests"].toArray().last()["fields"].toObject();
        QCOMPARE(sent["voice_settings"].toString(), QString(R"({"stability": 0.3})"));
        QCOMPARE(sent["seed"].toString(), QString("7"));
        QVERIFY(!sent.contains("remove_background_noise"));
        f.settings->remove("settings/stability");
        f.settings->remove("settings/seed");

        // Stopped with one answer in and the next piece at the service: both are paid for, so
        // both are finished and kept; a second Stop asks before losing them. The next run pays
        // for the rest only.
        AnswerGate gate;
        qputenv("VOXSPLICE_FFMPEG", gate.program().toUtf8());
        service.post("set", QJsonObject{{"hold_answers", true}});
        const auto held = [&service] { return service.ledger()["held"].toInt() == 1; };
        f.ui().Combo1->setCurrentIndex(11);
        f.ui().spnPieces->setValue(1);
        f.w().Command1_Click();
        QVERIFY(QTest::qWaitFor(held, 60000));
        service.post("release", QJsonObject{{"count", 1}});
        QVERIFY(gate.reached() && QTest::qWaitFor(held, 60000));
        QStringList asked;
        f.w().setQuestionHandler([&asked](const QString& question) {
            asked << question;
            return false;
        });
        f.w().cmdStop_Click();
        f.w().cmdStop_Click();
        QCOMPARE(asked, QStringList{"Stop now? 2 answers already paid for will be lost."});
        f.w().setQuestionHandler([](const QString&) { return true; });
        QVERIFY(f.w().isRunning());
        service.post("set", QJsonObject{{"hold_answers", false}});
        service.post("release");
        gate.open();
        QVERIFY(f.settle());
        QCOMPARE(logRows(f.ui().listAuto).last(), QString("Stopped"));
        qputenv("VOXSPLICE_FFMPEG", ffmpeg().toUtf8());
        f.w().Command1_Click();
        QVERIFY(f.settle());
        QCOMPARE(logRows(f.ui().lstAI).filter("reused").size(), 2);
        QCOMPARE(charges(service), QList<int>(pieces, 3));
        f.ui().spnPieces->setValue(4);

        // The background kept: each piece goes to the isolator first, and the cost says so.
        f.ui().chkKeepBackground->setChecked(true);
        f.ui().cboSeparation->setCurrentText("service");
        f.w().Command1_Click();
        QVERIFY(f.settle());
        QCOMPARE(logRows(f.ui().listAuto).last(), QString("Final output"));
        QCOMPARE(logRows(f.ui().lstAI).filter("also to the voice isolator").size(), 1);
        int isolated = 0; // answered, not refused as one too many at once
        for (const QJsonValue& r : service.ledger()["requests"].toArray())
            isolated +=
                r["path"].toString().startsWith("/v1/audio-isolation") && r["charged"].toInt();
        QCOMPARE(isolated, pieces);
        f.ui().chkKeepBackground->setChecked(false);

        // A run that needs more credits than are left asks first; "no" sends nothing.
        service.post("set", QJsonObject{{"credits_used", 99990}});
        const QList<int> paid = charges(service);
        asked.clear();
        f.w().setQuestionHandler([&asked](const QString& question) {
            asked << question;
            return question.endsWith("Replace it?");
        });
        f.ui().Combo1->setCurrentIndex(7);
        f.w().Command1_Click();
        QVERIFY(f.settle());
        QCOMPARE(asked.size(), 2);
        QVERIFY2(asked.last().contains("credits, but the account has 10 left"),
                 qPrintable(asked.last()));
        QCOMPARE(logRows(f.ui().listAuto).last(), QString("Not started: too few credits"));
        QCOMPARE(f.messages, QStringList());
        QCOMPARE(charges(service), paid);

        // Piece 2 selected, then redone in another voice after its cost was asked: one request,
        // of that piece's length, in that voice, under a seed of its own; the rest of the joined
        // audio as it was, the video in sync. Its earlier take comes back without a request.
        const QByteArray joined = decodedSamples(f.work("joined.mp4"));
        const qsizetype sentBefore = service.conversions().size();
        f.ui().File1->setCurrentRow(1);
        QVERIFY(f.ui().parts->lblPiece->text().startsWith("Piece 2 of ") &&
                f.ui().parts->lblPiece->text().endsWith(
                    ": converted (George)\nthe service's defaults") &&
                !f.ui().parts->cmdEarlierTake->isEnabled());
        f.ui().Combo1->setCurrentIndex(5);
        service.post("set", QJsonObject{{"credits_used", 0}});
        f.questions.clear();
        f.w().setQuestionHandler([&f](const QString& question) {
            f.questions << question;
            return true;
        });
        f.w().cmdRedoPiece_Click();
        QVERIFY(f.settle());
        QCOMPARE(f.ui().lblResult->text(),
                 "Done: " + QDir::toNativeSeparators(m_media.filePath("steps_AI.mp4")));
        QVERIFY2(f.questions.size() == 1 && f.questions.first().endsWith(" credits)?"),
                 qPrintable(f.questions.join('|')));
        QFile recordFile(f.work("parts/run.json"));
        QVERIFY(recordFile.open(QIODevice::ReadOnly));
        const RecordedPiece redone =
            RunRecord::fromJson(recordFile.readAll(), nullptr).value().pieces.at(1);
        const QJsonArray redoSent = service.conversions();
        QCOMPARE(redoSent.size(), sentBefore + 1);
        QCOMPARE(redoSent.last()["voice_id"].toString(),
                 voiceIdFromRow(f.ui().Combo1->currentText()));
        QVERIFY(qAbs(redoSent.last()["seconds"].toDouble() - redone.length / 44100.0) < 0.01);
        QVERIFY(redone.redone && redone.earlierTakes.size() == 1 &&
                redone.converted != redone.earlierTakes.first().file &&
                redoSent.last()["fields"]["seed"].toString() != "7");
        const QByteArray again = decodedSamples(f.work("joined.mp4"));
        const qsizetype from = redone.start * 2, length = redone.length * 2; // s16 mono
        QVERIFY(again.size() == joined.size() && again.left(from) == joined.left(from) &&
                again.mid(from + length) == joined.mid(from + length));
        QVERIFY(inSync(m_media.filePath("steps_AI.mp4")));
        f.ui().File1->setCurrentRow(1);
        QVERIFY(f.ui().parts->cmdEarlierTake->isEnabled());
        f.w().cmdEarlierTake_Click();
        QVERIFY(f.settle());
        QCOMPARE(service.conversions().size(), sentBefore + 1);
        QCOMPARE(decodedSamples(f.work("joined.mp4")), joined);
    }

    // The voices' previews: the window's voice plays at once (where there is a sound output),
    // each preview is downloaded once however often the player opens, and "Use this voice" takes
    // another that was played. Then a preview of the voice on the video.
    void previews() {
        Standin service({"--key", kKey});
        qputenv("ELEVENLABS_API_BASE", service.url.toUtf8());
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        f.ui().Combo1->setCurrentIndex(7);
        f.ui().cboSeparation->setCurrentText("service");
        QStringList asked;
        const QString voice = voiceIdFromRow(f.ui().Combo1->currentText());
        for (const int row : {7, 9}) {
            f.w().mnuVoiceSamples_Click();
            auto* player = f.form->findChild<VoiceSamplesDialog*>();
            const auto played = [player] {
                return player->status().startsWith("Playing") ||
                       player->status().contains("no sound output");
            };
            QVERIFY2(QTest::qWaitFor(played, 30000), qPrintable(player->status()));
            if (!QMediaDevices::audioOutputs().isEmpty())
                QTRY_VERIFY_WITH_TIMEOUT(player->player()->position() > 0, 30000);
            QListWidget* voices = player->voices();
            QTest::mouseClick(voices->viewport(), Qt::LeftButton, {},
                              voices->visualItemRect(voices->item(row)).center());
            QVERIFY2(QTest::qWaitFor(played, 30000), qPrintable(player->status()));
            for (QPushButton* button : player->findChildren<QPushButton*>())
                if (button->text() == "Use this voice")
                    button->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(f.ui().Combo1->currentIndex(), row);
        }
        const QJsonObject downloads = service.ledger()["preview_downloads"].toObject();
        QCOMPARE(downloads.value(voice).toInt(), 1);
        QCOMPARE(downloads.size(), 2);

        // A preview on 30 s of a longer video, from its first speech: its cost asked first,
        // billed once; the same again comes from the cache and asks nothing; with the background
        // kept, the voice isolator's share is asked about too.
        service.post("set", QJsonObject{{"credits_used", 0}});
        const QString talk = m_media.filePath("talk.mp4");
        QVERIFY(runFfmpeg(
            {"-f", "lavfi", "-i", "testsrc=size=64x48:rate=5:duration=40", "-f", "lavfi", "-i",
             "aevalsrc=if(gte(t\\,3)\\,0.5*sin(2*PI*440*t)\\,0):s=44100:d=40", "-c:v", "libx264",
             "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", talk}));
        f.ui().txtInput->setText(talk);
        asked.clear();
        f.w().setQuestionHandler([&asked](const QString& question) {
            asked << question;
            return true;
        });
        const QStringList said{": about \\d+ credits\\.", ": from the cache, nothing paid\\.",
                               ": about \\d+ credits\\."};
        for (int i = 0; i < 3; ++i) {
            f.ui().chkKeepBackground->setChecked(i == 2);
            f.w().cmdPreview_Click();
            auto* preview = f.form->findChild<PreviewDialog*>();
            QVERIFY(QTest::qWaitFor([&] { return !preview->isConverting(); }, 600000));
            QVERIFY2(preview->status().contains(QRegularExpression(
                         "^0:02.7 to 0:32.7 \\(from the first speech\\)" + said[i])),
                     qPrintable(preview->status()));
            if (ABPlayer::canPlay())
                QTRY_VERIFY_WITH_TIMEOUT(preview->player()->player()->position() > 0, 30000);
            preview->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCOMPARE(asked.size(), 2);
        QVERIFY2(asked.first().contains(QRegularExpression(
                     "^A preview of 30 s with \\S+ costs about \\d+ credits of the \\d+ left.\n")),
                 qPrintable(asked.first()));
        QVERIFY(asked.last().contains("for the voice isolator"));
        int billed = 0; // 30 s with the voice alone, and with the background kept
        for (const QJsonValue& r : service.ledger()["requests"].toArray())
            billed += r["charged"].toInt() && qAbs(r["seconds"].toDouble() - 30) < 0.05;
        QCOMPARE(billed, 3);
    }

    // A queue: videos chosen together (one unreadable) run in turn with the settings of when
    // they were queued, and the failing one does not stop the others; waiting ones move and
    // go; "Stop after this video" lets the running one end; a restart in the middle goes on
    // where the queue was, and nothing is paid twice.
    void aQueueOfVideos() {
        Standin service({"--key", kKey, "--latency", "0.05"});
        qputenv("ELEVENLABS_API_BASE", service.url.toUtf8());
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        f.settings->setValue("settings/pieceseconds", 2);
        // The second video is two pieces, the others one; the last is only ever removed.
        QStringList videos;
        for (const auto& [tone, seconds] : {std::pair{330, "1.5"}, {440, "3.5"}, {550, "1.5"}}) {
            videos << m_media.filePath(QString("tone %1.mp4").arg(tone));
            QVERIFY(runFfmpeg(
                {"-f", "lavfi", "-i", QString("testsrc=size=64x48:rate=5:duration=%1").arg(seconds),
                 "-f", "lavfi", "-i",
                 QString("sine=frequency=%1:duration=%2").arg(tone).arg(seconds), "-c:v", "libx264",
                 "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", videos.last()}));
        }
        videos << m_media.filePath("tone 660.mp4");
        QVERIFY(QFile::copy(videos.first(), videos.last()));
        const QString bad = m_media.filePath("notes.mp4");
        QVERIFY(putFile(bad, "no video"));
        f.ui().txtOutDir->setText(m_media.path());
        installDialogs(f.w(), {videos.mid(0, 2).join('\n') + '\n' + bad});
        f.w().cmdBrowse_Click();
        f.w().queueVideos({videos.at(2), videos.at(3)});
        auto* window = f.form->findChild<QueueWindow*>();
        const auto states = [&f] {
            QStringList got;
            for (const QueueItem& item : f.w().queue().items())
                got << QFileInfo(item.input).baseName() + ' ' + "wrdfs"[int(item.state)];
            return got.join(", ");
        };
        QAbstractItemModelTester columns(window->lstQueue->model(),
                                         QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto choose = [window](int row) { window->choose(row); };
        choose(3);
        window->cmdUp->click();
        choose(4);
        window->cmdRemove->click();
        QCOMPARE(states(), QString("tone 330 w, tone 440 w, tone 550 w, notes w"));

        window->cmdStart->click();
        window->cmdStopAfter->click();
        QVERIFY(f.settle());
        QCOMPARE(states(), QString("tone 330 d, tone 440 w, tone 550 w, notes w"));
        QVERIFY2(window->cost().startsWith("The queue: To the voice service: 0.1 min"),
                 qPrintable(window->cost()));
        QVERIFY(window->cost().contains("Not counted, ffmpeg cannot read their audio: notes.mp4"));
        QCOMPARE(window->status(), QString("Stopped: 1 done, 0 failed"));
        QCOMPARE(charges(service), QList<int>(1, 1));

        // Closed while the second converts, once it has paid for one of its pieces.
        window->cmdStart->click();
        QVERIFY(QTest::qWaitFor([&] { return charges(service).size() > 1; }, 60000));
        f.reopen();
        // Nothing is paid for again before the user says to go on.
        const int paidBefore = int(charges(service).size());
        QString asked;
        f.form->setQuestionHandler([&](const QString& question) {
            asked = question;
            return charges(service).size() == paidBefore &&
                   service.ledger()["in_flight"].toInt() == 0;
        });
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QVERIFY(QTest::qWaitFor([&] { return !asked.isEmpty(); }));
        QCOMPARE(asked, QString("The queue was running when voxsplice closed: 3 videos wait. "
                                "Go on?"));
        const auto finished = [&] { return !states().contains(" w") && !f.w().isRunning(); };
        QVERIFY2(QTest::qWaitFor(finished, 120000), qPrintable(states()));
        QCOMPARE(states(), QString("tone 330 d, tone 440 d, tone 550 d, notes f"));
        QCOMPARE(f.form->findChild<QueueWindow*>()->status(),
                 QString("Finished: 3 done, 1 failed"));
        QCOMPARE(charges(service), QList<int>(4, 1));
        const QueueItem& failed = f.w().queue().items().last();
        QVERIFY2(failed.reason.contains("Invalid data"), qPrintable(failed.reason));
        for (const QueueItem& item : f.w().queue().items().mid(0, 3))
            QCOMPARE(item.output, QDir::toNativeSeparators(m_media.filePath(
                                      QFileInfo(item.input).baseName() + "_AI.mp4")));
        // Said again after each video: at the end, only the video that cannot be read was left.
        window = f.form->findChild<QueueWindow*>();
        QVERIFY2(window->cost().contains("0.0 min"), qPrintable(window->cost()));

        // Nothing waits: nothing to start. The failed video, chosen, says why in whole; it can
        // run again, or go.
        QVERIFY(!window->cmdStart->isEnabled());
        window->choose(3);
        QVERIFY(window->lblReason->text().contains(failed.reason));
        window->cmdAgain->click();
        QVERIFY(states().endsWith("notes w") && window->cmdStart->isEnabled());
        window->cmdRemove->click();
        QCOMPARE(states(), QString("tone 330 d, tone 440 d, tone 550 d"));
    }
};

QTEST_MAIN(ServiceTest)
#include "tst_service.moc"
