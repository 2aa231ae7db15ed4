// Reading progress from a child's output.
#include "core/Progress.h"
#include "helpers/TestSupport.h"
#include "platform/ToolRunner.h"

#include <QtTest>

class TestProgress : public QObject {
    Q_OBJECT
private slots:
    void linesEndAtCarriageReturnOrLineFeed() {
        LineSplitter s;
        QCOMPARE(s.feed("frame=1 time=00:00:01.00\rframe=2 ti"),
                 QStringList{"frame=1 time=00:00:01.00"});
        QCOMPARE(s.feed("me=00:00:02.00\r\nDuration"), QStringList{"frame=2 time=00:00:02.00"});
        QCOMPARE(s.feed(": 00:01:00.00\n\n"), QStringList{"Duration: 00:01:00.00"});
        // A character cut between two reads comes out whole.
        const QByteArray word = QStringLiteral("Grüße").toUtf8();
        QCOMPARE(s.feed(word.left(3)), QStringList());
        QCOMPARE(s.feed(word.mid(3)), QStringList());
        QCOMPARE(s.finish(), QStringList{"Grüße"});
        QCOMPARE(s.finish(), QStringList());
    }

    void clockTimes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds"); // -1: rejected
        QTest::newRow("plain") << "00:01:02.50" << 62.5;
        QTest::newRow("long hours") << "120:00:00.00" << 432000.0;
        QTest::newRow("no fraction") << "00:00:07" << 7.0;
        QTest::newRow("negative") << "-577014:32:22.77" << -1.0;
        QTest::newRow("not available") << "N/A" << -1.0;
        QTest::newRow("minutes out of range") << "00:75:00.00" << -1.0;
        QTest::newRow("empty") << "" << -1.0;
        QTest::newRow("too long for a double")
            << QString(400, QLatin1Char('9')) + ":00:00.00" << -1.0;
    }
    void clockTimes() {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        const auto parsed = parseClock(text);
        if (seconds < 0)
            QVERIFY(!parsed);
        else
            QCOMPARE(*parsed, seconds);
    }

    void percentComesFromDurationAndTime() {
        FfmpegProgress p;
        p.feedLine(QStringLiteral("size=N/A time=-577014:32:22.77 bitrate=N/A speed=N/A"));
        QVERIFY(!p.percent());
        p.feedLine(QStringLiteral("  Duration: 00:01:40.00, start: 0.000000, bitrate: 130 kb/s"));
        QVERIFY(!p.percent()); // no position yet
        p.feedLine(QStringLiteral("size=   256kB time=00:00:25.00 bitrate= 83.9kbits/s"));
        QCOMPARE(*p.percent(), 25);
        // A second input's Duration does not replace the first.
        p.feedLine(QStringLiteral("  Duration: 00:00:10.00, start: 0.000000"));
        p.feedLine(QStringLiteral("size=   256kB time=00:01:50.00 bitrate= 83.9kbits/s"));
        QCOMPARE(*p.percent(), 100);

        FfmpegProgress known;
        known.setTotalSeconds(200);
        known.feedLine(QStringLiteral("  Duration: N/A, start: 0.000000"));
        known.feedLine(QStringLiteral("time=00:00:50.00"));
        QCOMPARE(*known.percent(), 25);
    }

    void timeLeftNeedsSomethingToGoOn() {
        QVERIFY(!estimateSecondsLeft(0.5, 0.5));
        QVERIFY(!estimateSecondsLeft(10, 0.0));
        QCOMPARE(*estimateSecondsLeft(10, 0.25), 30.0);
        QCOMPARE(*estimateSecondsLeft(10, 1.0), 0.0);
        QCOMPARE(formatDuration(5), QStringLiteral("0:05"));
        QCOMPARE(formatDuration(125), QStringLiteral("2:05"));
        QCOMPARE(formatDuration(3723), QStringLiteral("1:02:03"));
    }

    void aRealFfmpegRunReportsRisingPercentagesToTheEnd() {
        ToolRunner runner;
        LineSplitter lines;
        FfmpegProgress progress;
        QList<int> seen;
        auto take = [&](const QStringList& got) {
            for (const QString& line : got) {
                progress.feedLine(line);
                if (const auto p = progress.percent(); p && (seen.isEmpty() || seen.last() != *p))
                    seen.append(*p);
            }
        };
        connect(&runner, &ToolRunner::outputReceived, this,
                [&](const QByteArray& bytes) { take(lines.feed(bytes)); });
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.wav"));
        const QString out = dir.filePath(QStringLiteral("out.wav"));
        QVERIFY(testsupport::runFfmpeg({"-f", "lavfi", "-i", "sine=duration=1.5", in}));
        // -re paces the run in real time, so several status lines come out.
        QVERIFY(runner.Run(
            testsupport::ffmpeg(),
            QStringLiteral("-hide_banner -stats_period 0.1 -re -i \"%1\" \"%2\"").arg(in, out)));
        take(lines.finish());
        QVERIFY2(seen.size() >= 3, qPrintable(QString::number(seen.size())));
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QCOMPARE(seen.last(), 100);
    }
};

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
