// ToolRunner against a real child process.
#include "helpers/TestSupport.h"
#include "platform/ToolRunner.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <QtTest>

using testsupport::childTool;

class TestToolRunner : public QObject {
    Q_OBJECT
private slots:
    void quotedArgumentsReachTheChildWhole() {
        ToolRunner runner;
        QVERIFY(runner.Run(childTool(),
                           QStringLiteral("args \"/a b/in put.mp4\" -y \"\" \"it's %20\" plain ")));
        QCOMPARE(runner.Output(),
                 QStringLiteral("[/a b/in put.mp4]\n[-y]\n[]\n[it's %20]\n[plain]\n"));
    }

    void successMeansExitStatusZero() {
        ToolRunner runner;
        QVERIFY(runner.Run(childTool(), QStringLiteral("exit 0")));
        QVERIFY(!runner.Run(childTool(), QStringLiteral("exit 3")));
        QVERIFY(!runner.wasStopped());
    }

    void aMissingProgramFailsWithAReason() {
        ToolRunner runner;
        const QString missing = QStringLiteral("/nonexistent/tool");
        QVERIFY(!runner.Run(missing, QStringLiteral("x")));
        QVERIFY(runner.Output().contains(missing));
        // The runner is usable again afterwards.
        QVERIFY(runner.Run(childTool(), QStringLiteral("exit 0")));
        QCOMPARE(runner.Output(), QString());
    }

    void outputHoldsBothStreamsInOrderAsUtf8() {
        ToolRunner runner;
        QVERIFY(runner.Run(childTool(), QStringLiteral("both")));
        QCOMPARE(runner.Output(), QStringLiteral("out1\nerr1\nout2\nerr2\nout3\nerr3\n"));
        QVERIFY(runner.Run(childTool(), QStringLiteral("utf8")));
        QCOMPARE(runner.Output(), QStringLiteral("Grüße – 日本\n"));
    }

    void aChildReadingStandardInputGetsEndOfFile() {
        ToolRunner runner;
        QVERIFY(runner.Run(childTool(), QStringLiteral("stdin")));
        QCOMPARE(runner.Output(), QStringLiteral("eof\n"));
    }

    void theEventLoopRunsWhileTheChildWorks() {
        QWidget window;
        window.resize(100, 100);
        window.show();
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            ++ticks;
            window.update();
        });
        timer.start(20);
        ToolRunner runner;
        QVERIFY(runner.Run(childTool(), QStringLiteral("sleep 600")));
        QCOMPARE(runner.Output(), QStringLiteral("awake\n"));
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    }

    void stopEndsTheChildAndSaysSo() {
        ToolRunner runner;
        QTimer::singleShot(200, &runner, [&] {
            QVERIFY(runner.isRunning());
            runner.stop();
        });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!runner.Run(childTool(), QStringLiteral("sleep 20000")));
        QVERIFY(runner.wasStopped());
        QVERIFY(!runner.isRunning());
        QVERIFY(clock.elapsed() < 15000);
        // The next run starts afresh.
        QVERIFY(runner.Run(childTool(), QStringLiteral("exit 0")));
        QVERIFY(!runner.wasStopped());
    }
};

QTEST_MAIN(TestToolRunner)
#include "tst_toolrunner.moc"
