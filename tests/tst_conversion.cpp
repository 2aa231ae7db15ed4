// The AI conversion step through the window, on real segments cut by ffmpeg and with small
// stand-in conversion scripts written into the working folder.
#include "helpers/TestSupport.h"

#include "core/Segments.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QtTest>

using namespace testsupport;

namespace {

const QString kRachel = QStringLiteral("Rachel, 21m00Tcm4TlvDq8ikWAM");

// A stand-in convert.py. `body` runs with `src`, `dst`, `voice` set from argv; every run appends
// its argv to argv.jsonl next to the script.
QString fakeScript(const QString& body) {
    return QStringLiteral("import json, os, shutil, sys\n"
                          "here = os.path.dirname(os.path.abspath(__file__))\n"
                          "with open(os.path.join(here, 'argv.jsonl'), 'a') as f:\n"
                          "    f.write(json.dumps(sys.argv[1:]) + '\\n')\n"
                          "src, dst, voice = sys.argv[1], sys.argv[2], sys.argv[3]\n") +
           body;
}

const QString kCopy = QStringLiteral("shutil.copyfile(src, dst)\nprint('OK ' + voice)\n");

} // namespace

class ConversionTest : public QObject {
    Q_OBJECT

private slots:
    void segmentNames_data();
    void segmentNames();
    void argumentString();

    void convertsEverySegmentInOrder();
    void scriptOutcome_data();
    void scriptOutcome();
    void resumesAfterFailure();
    void earlierPieceDoesNotPassForNewOne();
    void refusesBeforeStarting();
    void strayOutputFile();
    void folderWithQuote();

private:
    // A loaded window with `segments` real segments of one second (the last one half as long) in
    // its parts folder and `script` as its convert.py; null when that could not be set up.
    std::unique_ptr<FormFixture> prepare(int segments, const QString& script,
                                         const QString& workName = QStringLiteral("work"));
    static QString parts(FormFixture& f) { return f.work.file(QStringLiteral("parts")); }
    static QStringList partNames(FormFixture& f) {
        return PathTools().ListFiles(parts(f), QStringLiteral("*"), false);
    }
    static void writeScript(FormFixture& f, const QString& text);
    // lstAI's rows, with the time stamp taken off the log lines.
    static QStringList logRows(FormFixture& f);
    static QList<QStringList> recordedArgs(FormFixture& f);
};

std::unique_ptr<FormFixture> ConversionTest::prepare(int segments, const QString& script,
                                                     const QString& workName) {
    auto f = std::make_unique<FormFixture>(workName);
    if (f->load() != Form1::LoadResult::Ready)
        return nullptr;
    f->form->Combo1->setCurrentText(kRachel);
    if (segments > 0) {
        const bool cut = runFfmpeg(
            {"-f", "lavfi", "-i",
             QStringLiteral("sine=frequency=330:sample_rate=22050:duration=%1").arg(segments - 0.5),
             "-c:a", "aac", "-f", "segment", "-segment_time", "1",
             QDir(parts(*f)).filePath(QStringLiteral("output%09d.mp4"))});
        const QStringList made = PathTools().ListFiles(parts(*f), QStringLiteral("output*"), false);
        if (!cut || made.size() != segments)
            return nullptr;
    }
    writeScript(*f, script);
    return f;
}

void ConversionTest::writeScript(FormFixture& f, const QString& text) {
    QFile file(f.work.file(QStringLiteral("convert.py")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

QStringList ConversionTest::logRows(FormFixture& f) {
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d "));
    QStringList rows;
    for (int i = 0; i < f.form->lstAI->count(); ++i)
        rows << f.form->lstAI->item(i)->text().remove(stamp);
    return rows;
}

QList<QStringList> ConversionTest::recordedArgs(FormFixture& f) {
    QList<QStringList> runs;
    QFile file(f.work.file(QStringLiteral("argv.jsonl")));
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList args;
        for (const auto& value : QJsonDocument::fromJson(line).array())
            args << value.toString();
        runs << args;
    }
    return runs;
}

// --- the pure parts ---

void ConversionTest::segmentNames_data() {
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("converted"); // empty: no segment number

    QTest::newRow("first") << "output000000000"
                           << "1.mp4";
    QTest::newRow("tenth") << "output000000009"
                           << "10.mp4";
    QTest::newRow("no padding") << "output12"
                                << "13.mp4";
    QTest::newRow("bare prefix") << "output"
                                 << "";
    QTest::newRow("letters after") << "output000000001a"
                                   << "";
    QTest::newRow("sign") << "output-1"
                          << "";
    QTest::newRow("blank") << "output 1"
                           << "";
    QTest::newRow("other prefix") << "input000000001"
                                  << "";
    QTest::newRow("too large") << "output99999999999999999999"
                               << "";
}

void ConversionTest::segmentNames() {
    QFETCH(QString, baseName);
    QFETCH(QString, converted);
    const auto number = segmentNumber(baseName);
    QCOMPARE(number.has_value(), !converted.isEmpty());
    if (number)
        QCOMPARE(convertedFileName(*number), converted);
}

void ConversionTest::argumentString() {
    QCOMPARE(conversionArguments("/w a/convert.py", "/w a/parts/output000000000.mp4",
                                 "/w a/parts/1.mp4", "21m00Tcm4TlvDq8ikWAM"),
             QStringLiteral("\"/w a/convert.py\" \"/w a/parts/output000000000.mp4\" "
                            "\"/w a/parts/1.mp4\" 21m00Tcm4TlvDq8ikWAM"));
}

// --- the step through the window ---

void ConversionTest::convertsEverySegmentInOrder() {
    // Blanks in the folder name: the quoted paths must reach the script whole.
    auto f = prepare(12, fakeScript(kCopy), QStringLiteral("my work"));
    QVERIFY(f);
    QCOMPARE(f->form->txtPy->text(), QStandardPaths::findExecutable(QStringLiteral("python3")));

    f->form->cmdConvert_Click();

    QVERIFY2(f->messages.isEmpty(), qPrintable(f->messages.join('\n')));
    QStringList expectedParts;
    for (int i = 1; i <= 12; ++i)
        expectedParts << QStringLiteral("%1.mp4").arg(i);
    QCOMPARE(partNames(*f), expectedParts);

    QStringList expectedLog{QStringLiteral("12 files found")};
    for (int i = 0; i < 12; ++i)
        expectedLog << QStringLiteral("starting output%1").arg(i, 9, 10, QLatin1Char('0'))
                    << QStringLiteral("OK 21m00Tcm4TlvDq8ikWAM\n");
    expectedLog << QStringLiteral("Complete!");
    QCOMPARE(logRows(*f), expectedLog);
    QCOMPARE(f->sounds, QStringList{f->form->workFolder().completeSound()});

    // Each run: segment, its converted piece, the bare voice id; the paths whole despite blanks.
    const QList<QStringList> runs = recordedArgs(*f);
    QCOMPARE(runs.size(), 12);
    const QString partsDir = f->form->workFolder().parts();
    QCOMPARE(runs.at(0), (QStringList{partsDir + "/output000000000.mp4", partsDir + "/1.mp4",
                                      "21m00Tcm4TlvDq8ikWAM"}));
    QCOMPARE(runs.at(11), (QStringList{partsDir + "/output000000011.mp4", partsDir + "/12.mp4",
                                       "21m00Tcm4TlvDq8ikWAM"}));
}

void ConversionTest::scriptOutcome_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("shown"); // in txtOut on failure

    QTest::newRow("OK") << kCopy << true << "";
    QTest::newRow("OK inside a word") << "shutil.copyfile(src, dst)\nprint('TOKEN')\n"
                                      << true << "";
    QTest::newRow("ok in small letters") << "shutil.copyfile(src, dst)\nprint('conversion ok')\n"
                                         << false << "conversion ok";
    QTest::newRow("OK but exit status 1")
        << "shutil.copyfile(src, dst)\nprint('OK?')\nsys.exit(1)\n"
        << false << "OK?";
    QTest::newRow("failure text")
        << "print('Quota exceeded: add credits to your account')\nsys.exit(1)\n"
        << false << "Quota exceeded";
    QTest::newRow("OK but nothing written") << "print('OK')\n" << false << "no converted file";
    QTest::newRow("OK but empty file") << "open(dst, 'w').close()\nprint('OK')\n"
                                       << false << "converted file is empty";
}

void ConversionTest::scriptOutcome() {
    QFETCH(QString, body);
    QFETCH(bool, succeeds);
    QFETCH(QString, shown);
    auto f = prepare(2, fakeScript(body));
    QVERIFY(f);
    const QString before = f->form->txtOut->toPlainText();

    f->form->cmdConvert_Click();

    const QStringList log = logRows(*f);
    QVERIFY(f->messages.isEmpty());
    if (succeeds) {
        QCOMPARE(partNames(*f), (QStringList{"1.mp4", "2.mp4"}));
        QCOMPARE(log.last(), QStringLiteral("Complete!"));
        QCOMPARE(f->sounds.size(), 1);
        QCOMPARE(f->form->txtOut->toPlainText(), before);
        return;
    }
    // The first segment failed: it stays, the second was never tried, nothing is complete.
    QCOMPARE(log, (QStringList{"2 files found", "starting output000000000", "Error"}));
    QVERIFY(f->sounds.isEmpty());
    QVERIFY2(f->form->txtOut->toPlainText().contains(shown),
             qPrintable(f->form->txtOut->toPlainText()));
    const QStringList left = partNames(*f);
    QVERIFY(left.contains("output000000000.mp4"));
    QVERIFY(left.contains("output000000001.mp4"));
    QCOMPARE(recordedArgs(*f).size(), 1);
}

void ConversionTest::resumesAfterFailure() {
    auto f = prepare(5, fakeScript(QStringLiteral("if 'output000000002' in src:\n"
                                                  "    print('Service busy after 5 tries')\n"
                                                  "    sys.exit(1)\n") +
                                   kCopy));
    QVERIFY(f);

    f->form->cmdConvert_Click();
    QCOMPARE(partNames(*f), (QStringList{"1.mp4", "2.mp4", "output000000002.mp4",
                                         "output000000003.mp4", "output000000004.mp4"}));
    QCOMPARE(logRows(*f).last(), QStringLiteral("Error"));
    QVERIFY(f->form->txtOut->toPlainText().contains("Service busy"));
    QVERIFY(f->sounds.isEmpty());

    // The second run converts only what is left, under the numbers the names give.
    writeScript(*f, fakeScript(kCopy));
    f->form->cmdConvert_Click();
    const QStringList log = logRows(*f);
    QCOMPARE(log.first(), QStringLiteral("3 files found"));
    QCOMPARE(log.at(1), QStringLiteral("starting output000000002"));
    QCOMPARE(log.last(), QStringLiteral("Complete!"));
    QCOMPARE(partNames(*f), (QStringList{"1.mp4", "2.mp4", "3.mp4", "4.mp4", "5.mp4"}));
    QCOMPARE(f->sounds.size(), 1);
}

void ConversionTest::earlierPieceDoesNotPassForNewOne() {
    // A piece left by an earlier attempt; this time the script claims success but writes nothing.
    auto f = prepare(1, fakeScript(QStringLiteral("print('OK')\n")));
    QVERIFY(f);
    QFile stale(QDir(parts(*f)).filePath(QStringLiteral("1.mp4")));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("half a file");
    stale.close();

    f->form->cmdConvert_Click();

    QCOMPARE(logRows(*f).last(), QStringLiteral("Error"));
    QVERIFY(
        PathTools().FileExists(QDir(parts(*f)).filePath(QStringLiteral("output000000000.mp4"))));
    QVERIFY(f->sounds.isEmpty());
}

void ConversionTest::refusesBeforeStarting() {
    auto f = prepare(2, fakeScript(kCopy));
    QVERIFY(f);
    Form1& w = *f->form;
    const QString python = w.txtPy->text();
    const QStringList segments = partNames(*f);
    w.lstAI->addItem(QStringLiteral("from the last run"));

    // Interpreter missing or empty: the message, and the old log stays.
    w.txtPy->setText(f->work.file(QStringLiteral("no-python")));
    w.cmdConvert_Click();
    w.txtPy->clear();
    w.cmdConvert_Click();
    QCOMPARE(f->messages, (QStringList{"Python.exe not found: " + f->work.file("no-python"),
                                       QStringLiteral("Python.exe not found: ")}));
    QCOMPARE(logRows(*f), QStringList{QStringLiteral("from the last run")});
    w.txtPy->setText(python);

    // No voice selected: a message, nothing else.
    f->messages.clear();
    w.Combo1->setCurrentIndex(-1);
    w.cmdConvert_Click();
    QCOMPARE(f->messages.size(), 1);
    QVERIFY(f->messages.first().startsWith(QStringLiteral("No voice selected")));
    QCOMPARE(logRows(*f), QStringList{QStringLiteral("from the last run")});
    QCOMPARE(partNames(*f), segments);
    QVERIFY(recordedArgs(*f).isEmpty());
    w.Combo1->setCurrentText(kRachel);

    // Script missing: the log is cleared first, the segments stay.
    f->messages.clear();
    QVERIFY(QFile::remove(f->work.file(QStringLiteral("convert.py"))));
    w.cmdConvert_Click();
    QCOMPARE(f->messages, QStringList{QStringLiteral("convert.py not found?")});
    QVERIFY(logRows(*f).isEmpty());
    QCOMPARE(partNames(*f), segments);

    // Only converted pieces: nothing to convert, and they are left alone.
    writeScript(*f, fakeScript(kCopy));
    w.cmdConvert_Click();
    QCOMPARE(partNames(*f), (QStringList{"1.mp4", "2.mp4"}));
    f->messages.clear();
    w.cmdConvert_Click();
    QCOMPARE(f->messages, QStringList{QStringLiteral("No output files in \\parts?")});
    QCOMPARE(partNames(*f), (QStringList{"1.mp4", "2.mp4"}));
    QCOMPARE(recordedArgs(*f).size(), 2);
    QCOMPARE(f->sounds.size(), 1);
}

void ConversionTest::strayOutputFile() {
    auto f = prepare(2, fakeScript(kCopy));
    QVERIFY(f);
    QFile stray(QDir(parts(*f)).filePath(QStringLiteral("output")));
    QVERIFY(stray.open(QIODevice::WriteOnly));
    stray.write("notes");
    stray.close();

    f->form->cmdConvert_Click();

    const QStringList log = logRows(*f);
    QVERIFY2(log.first().startsWith(QStringLiteral("Skipped output:")), qPrintable(log.first()));
    QCOMPARE(log.at(1), QStringLiteral("2 files found"));
    QCOMPARE(log.last(), QStringLiteral("Complete!"));
    QCOMPARE(partNames(*f), (QStringList{"1.mp4", "2.mp4", "output"}));
    QCOMPARE(recordedArgs(*f).size(), 2);

    // With nothing but the stray left there is nothing to convert.
    f->messages.clear();
    f->form->cmdConvert_Click();
    QVERIFY(logRows(*f).first().startsWith(QStringLiteral("Skipped output:")));
    QCOMPARE(f->messages, QStringList{QStringLiteral("No output files in \\parts?")});
    QCOMPARE(recordedArgs(*f).size(), 2);
}

void ConversionTest::folderWithQuote() {
    // The quoted paths could not carry the quote: refused before any script runs.
    auto f = prepare(1, fakeScript(kCopy), QStringLiteral("say \"hi\""));
    QVERIFY(f);

    f->form->cmdConvert_Click();

    QCOMPARE(f->messages.size(), 1);
    QVERIFY(f->messages.first().contains(QStringLiteral("double quote")));
    QVERIFY(recordedArgs(*f).isEmpty());
    QCOMPARE(partNames(*f), QStringList{QStringLiteral("output000000000.mp4")});
}

QTEST_MAIN(ConversionTest)
#include "tst_conversion.moc"
