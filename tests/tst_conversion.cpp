// The AI conversion step through the window, on real segments cut by ffmpeg and with small
// stand-in conversion scripts written into the working folder.
#include "helpers/TestSupport.h"

#include "core/Segments.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest>

using namespace testsupport;

namespace {

const QString kVoice = QStringLiteral("21m00Tcm4TlvDq8ikWAM");
const QString kCopy = QStringLiteral("shutil.copyfile(src, dst)\nprint('OK ' + voice)\n");

// The stand-in convert.py's first lines: `src`, `dst`, `voice` from argv, and every run appends
// its arguments to argv.txt as one tab-separated line.
const QString kScriptHead =
    QStringLiteral("import os, shutil, sys\n"
                   "with open(os.path.join(os.path.dirname(__file__), 'argv.txt'), 'a') as f:\n"
                   "    f.write('\\t'.join(sys.argv[1:]) + '\\n')\n"
                   "src, dst, voice = sys.argv[1:4]\n");

bool setScript(FormFixture& f, const QString& body) {
    return putFile(f.work.file(QStringLiteral("convert.py")), (kScriptHead + body).toUtf8());
}

QStringList partNames(FormFixture& f) {
    return PathTools().ListFiles(f.form->workFolder().parts(), QStringLiteral("*"), false);
}

// lstAI's rows, with the time stamp taken off the log lines.
QStringList logRows(FormFixture& f) {
    QStringList rows;
    for (const auto* item : f.form->lstAI->findItems(QStringLiteral("*"), Qt::MatchWildcard))
        rows << item->text().remove(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d ")));
    return rows;
}

QStringList recordedArgs(FormFixture& f) {
    QFile file(f.work.file(QStringLiteral("argv.txt")));
    return file.open(QIODevice::ReadOnly)
               ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
               : QStringList();
}

// A loaded window with a voice chosen, `segments` real segments of one second (the last half as
// long) in its parts folder and a stand-in convert.py; null when that could not be set up.
std::unique_ptr<FormFixture> prepare(int segments, const QString& body = kCopy,
                                     const QString& workName = QStringLiteral("work")) {
    auto f = std::make_unique<FormFixture>(workName);
    if (f->load() != Form1::LoadResult::Ready)
        return nullptr;
    f->form->Combo1->setCurrentText(QStringLiteral("Rachel, ") + kVoice);
    const QString sine =
        QStringLiteral("sine=frequency=330:sample_rate=22050:duration=%1").arg(segments - 0.5);
    if (segments > 0 &&
        (!runFfmpeg({"-f", "lavfi", "-i", sine, "-c:a", "aac", "-f", "segment", "-segment_time",
                     "1", f->form->workFolder().parts() + "/output%09d.mp4"}) ||
         partNames(*f).size() != segments))
        return nullptr;
    return setScript(*f, body) ? std::move(f) : nullptr;
}

} // namespace

class ConversionTest : public QObject {
    Q_OBJECT

private slots:
    void segmentNames_data() {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("converted"); // empty: no segment number
        addRow("first", "output000000000", "1.mp4");
        addRow("tenth", "output000000009", "10.mp4");
        addRow("no padding", "output12", "13.mp4");
        addRow("bare prefix", "output", "");
        addRow("letters after", "output000000001a", "");
        addRow("sign", "output-1", "");
        addRow("blank", "output 1", "");
        addRow("other prefix", "input000000001", "");
        addRow("too large", "output99999999999999999999", "");
    }
    void segmentNames() {
        QFETCH(QString, baseName);
        QFETCH(QString, converted);
        const auto number = segmentNumber(baseName);
        QCOMPARE(number ? convertedFileName(*number) : QString(), converted);
    }

    // The voice id goes bare; the paths quoted.
    void argumentString() {
        QCOMPARE(conversionArguments("/w a/convert.py", "/w a/parts/output000000000.mp4",
                                     "/w a/parts/1.mp4", kVoice),
                 "\"/w a/convert.py\" \"/w a/parts/output000000000.mp4\" \"/w a/parts/1.mp4\" " +
                     kVoice);
    }

    // Twelve segments become 1.mp4 to 12.mp4 in order; a file matching "output*" without a
    // number is named in the log and left alone.
    void convertsEverySegmentInOrder() {
        // Blanks in the folder name: the quoted paths must reach the script whole.
        auto f = prepare(12, kCopy, QStringLiteral("my work"));
        QVERIFY(f);
        const QString parts = f->form->workFolder().parts() + '/';
        QVERIFY(putFile(parts + "output", "notes"));

        f->form->cmdConvert_Click();

        QVERIFY2(f->messages.isEmpty(), qPrintable(f->messages.join('\n')));
        QStringList pieces, log{"Skipped output: no segment number in its name", "12 files found"};
        QStringList runs;
        for (int i = 0; i < 12; ++i) {
            const QString segment = QStringLiteral("output%1").arg(i, 9, 10, QLatin1Char('0'));
            pieces << QString::number(i + 1) + ".mp4";
            log << "starting " + segment << "OK " + kVoice + '\n';
            runs << parts + segment + ".mp4\t" + parts + pieces.last() + '\t' + kVoice;
        }
        QCOMPARE(partNames(*f), pieces << QStringLiteral("output"));
        QCOMPARE(logRows(*f), log << QStringLiteral("Complete!"));
        QCOMPARE(recordedArgs(*f), runs);
        QCOMPARE(f->sounds, QStringList{f->form->workFolder().completeSound()});
    }

    // Every row starts with a piece left by an earlier attempt, which must not pass for this
    // run's result.
    void scriptOutcome_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("shown"); // in txtOut on failure; empty: the run succeeds
        addRow("OK", kCopy, "");
        addRow("OK inside a word", "shutil.copyfile(src, dst)\nprint('TOKEN')\n", "");
        addRow("ok in small letters", "shutil.copyfile(src, dst)\nprint('conversion ok')\n",
               "conversion ok");
        addRow("OK but exit status 1", "shutil.copyfile(src, dst)\nprint('OK?')\nsys.exit(1)\n",
               "OK?");
        addRow("failure text", "print('Quota exceeded: add credits')\nsys.exit(1)\n",
               "Quota exceeded");
        addRow("OK but nothing written", "print('OK')\n", "no converted file");
        addRow("OK but empty file", "open(dst, 'w').close()\nprint('OK')\n",
               "converted file is empty");
    }
    void scriptOutcome() {
        QFETCH(QString, body);
        QFETCH(QString, shown);
        auto f = prepare(2, body);
        QVERIFY(f);
        QVERIFY(putFile(f->form->workFolder().parts() + "/1.mp4", "half a file"));
        const QString before = f->form->txtOut->toPlainText();

        f->form->cmdConvert_Click();

        const QStringList log = logRows(*f);
        QVERIFY(f->messages.isEmpty());
        if (shown.isEmpty()) {
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
        QVERIFY(left.contains("output000000000.mp4") && left.contains("output000000001.mp4"));
        QCOMPARE(recordedArgs(*f).size(), 1);
    }

    void resumesAfterFailure() {
        auto f = prepare(5, "if 'output000000002' in src:\n"
                            "    print('Service busy after 5 tries')\n"
                            "    sys.exit(1)\n" +
                                kCopy);
        QVERIFY(f);

        f->form->cmdConvert_Click();
        QCOMPARE(partNames(*f), (QStringList{"1.mp4", "2.mp4", "output000000002.mp4",
                                             "output000000003.mp4", "output000000004.mp4"}));
        QCOMPARE(logRows(*f).last(), QStringLiteral("Error"));
        QVERIFY(f->form->txtOut->toPlainText().contains("Service busy"));
        QVERIFY(f->sounds.isEmpty());

        // The second run converts only what is left, under the numbers the names give.
        QVERIFY(setScript(*f, kCopy));
        f->form->cmdConvert_Click();
        const QStringList log = logRows(*f);
        QCOMPARE(log.mid(0, 2), (QStringList{"3 files found", "starting output000000002"}));
        QCOMPARE(log.last(), QStringLiteral("Complete!"));
        QCOMPARE(partNames(*f), (QStringList{"1.mp4", "2.mp4", "3.mp4", "4.mp4", "5.mp4"}));
        QCOMPARE(f->sounds.size(), 1);
    }

    // Checks that refuse before any script runs: one message, the files as they were, and the
    // last run's log kept unless the check comes after the log is cleared.
    void refusedBeforeAnyScriptRuns_data() {
        QTest::addColumn<QString>("message"); // %w: the working folder
        QTest::addColumn<QString>("log");     // the one log row left, or empty
        addRow("no interpreter", "Python.exe not found: %w/no-python", "from the last run");
        addRow("empty interpreter", "Python.exe not found: ", "from the last run");
        addRow("no voice", "No voice selected", "from the last run");
        addRow("double quote in the folder", "double quote", "");
        addRow("no script", "convert.py not found?", "");
        addRow("only converted pieces", "No output files in \\parts?", "");
        addRow("only an unnumbered file", "No output files in \\parts?", "Skipped output:");
    }
    void refusedBeforeAnyScriptRuns() {
        QFETCH(QString, message);
        QFETCH(QString, log);
        const QByteArray fault = QTest::currentDataTag();
        auto f = prepare(fault.startsWith("only") ? 0 : 2, kCopy,
                         fault.contains("quote") ? "say \"hi\"" : QStringLiteral("work"));
        QVERIFY(f);
        Form1& w = *f->form;
        const QString parts = w.workFolder().parts() + '/';
        if (fault == "no interpreter")
            w.txtPy->setText(f->work.file("no-python"));
        if (fault == "empty interpreter")
            w.txtPy->clear();
        if (fault == "no voice")
            w.Combo1->setCurrentIndex(-1);
        if (fault == "no script")
            QVERIFY(QFile::remove(f->work.file("convert.py")));
        if (fault == "only converted pieces")
            QVERIFY(putFile(parts + "1.mp4") && putFile(parts + "2.mp4"));
        if (fault == "only an unnumbered file")
            QVERIFY(putFile(parts + "output"));
        const QStringList files = partNames(*f);
        w.lstAI->addItem(QStringLiteral("from the last run"));

        w.cmdConvert_Click();

        QCOMPARE(f->messages.size(), 1);
        QVERIFY2(f->messages.first().contains(message.replace("%w", f->work.path())),
                 qPrintable(f->messages.first()));
        const QStringList rows = logRows(*f);
        QCOMPARE(rows.size(), log.isEmpty() ? 0 : 1);
        QVERIFY2(rows.isEmpty() || rows.first().startsWith(log), qPrintable(rows.join('|')));
        QCOMPARE(partNames(*f), files);
        QVERIFY(recordedArgs(*f).isEmpty());
        QVERIFY(f->sounds.isEmpty());
    }
};

QTEST_MAIN(ConversionTest)
#include "tst_conversion.moc"
