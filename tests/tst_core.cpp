// The pure routines: log lines, text lists, the voice table, argument splitting, natural order
// and the interpreter list.
#include "core/ArgumentString.h"
#include "core/InterpreterList.h"
#include "core/LogLine.h"
#include "core/MacroHelp.h"
#include "core/NaturalOrder.h"
#include "core/TextList.h"
#include "core/Voices.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <algorithm>

class TestCore : public QObject {
    Q_OBJECT
private slots:
    void logLineUsesTwentyFourHourClockWithLeadingZeros() {
        QCOMPARE(logLine(QTime(0, 9, 5), QStringLiteral("Extracting")),
                 QStringLiteral("00:09:05 Extracting"));
        QCOMPARE(logLine(QTime(23, 59, 59), QString()), QStringLiteral("23:59:59 "));
        // The message is kept as it is, line breaks and blanks included.
        QCOMPARE(logLine(QTime(9, 5, 7), QStringLiteral(" a\r\nb ")),
                 QStringLiteral("09:05:07  a\r\nb "));
    }

    void textListPushKeepsCallOrder() {
        QStringList list;
        QVERIFY(AryIsEmpty(list));
        push(list, QStringLiteral("a"));
        QVERIFY(!AryIsEmpty(list));
        QCOMPARE(list.indexOf(QStringLiteral("a")), 0);
        push(list, QStringLiteral("b"));
        push(list, QStringLiteral("c"));
        QCOMPARE(list, (QStringList{"a", "b", "c"}));
    }

    void voiceTableHasFortyFiveRowsInIdOrder() {
        const QStringList& rows = voiceRows();
        QCOMPARE(rows.size(), 45);
        QCOMPARE(rows.first(), QStringLiteral("Rachel, 21m00Tcm4TlvDq8ikWAM"));
        QCOMPARE(rows.at(kDefaultVoiceIndex), QStringLiteral("Liam, TX3LPaxmHKxFdv7VOQHJ"));
        QCOMPARE(rows.last(), QStringLiteral("Mimi, zrHiDhphv9ZnVXBqCLjz"));

        const QRegularExpression shape(QStringLiteral("^[A-Za-z]+, [A-Za-z0-9]{20}$"));
        QStringList ids;
        for (const QString& row : rows) {
            QVERIFY2(shape.match(row).hasMatch(), qPrintable(row));
            ids.append(voiceIdFromRow(row));
        }
        // Digits before capitals before small letters: plain code-point order of the ids.
        QVERIFY(std::is_sorted(ids.begin(), ids.end()));
        QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), 45);
    }

    void voiceIdIsTheSecondCommaField() {
        QCOMPARE(voiceIdFromRow(QStringLiteral("Rachel, 21m00Tcm4TlvDq8ikWAM")),
                 QStringLiteral("21m00Tcm4TlvDq8ikWAM"));
        QCOMPARE(voiceIdFromRow(QStringLiteral("A, id1, extra")), QStringLiteral("id1"));
        QCOMPARE(voiceIdFromRow(QString()), QString());
        QCOMPARE(voiceIdFromRow(QStringLiteral("no comma")), QString());
    }

    void argumentStringSplitsLikeAWindowsCommandLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("template") << QStringLiteral(R"( -i "/a b/in.mp4" -vn "/w/raw.mp4")")
                                  << QStringList{"-i", "/a b/in.mp4", "-vn", "/w/raw.mp4"};
        QTest::newRow("trailing blank") << QStringLiteral("-y ") << QStringList{"-y"};
        QTest::newRow("empty quoted") << QStringLiteral(R"(a "" b)") << QStringList{"a", "", "b"};
        QTest::newRow("quotes inside a word")
            << QStringLiteral("x\"y z\"w") << QStringList{"xy zw"};
        QTest::newRow("backslashes are literal")
            << QStringLiteral("\"C:\\dir\\\" next") << QStringList{"C:\\dir\\", "next"};
        QTest::newRow("apostrophe and percent")
            << QStringLiteral(R"("/it's/%20 %2")") << QStringList{"/it's/%20 %2"};
        QTest::newRow("unbalanced quote runs to the end")
            << QStringLiteral("a \"b c") << QStringList{"a", "b c"};
        QTest::newRow("nothing") << QStringLiteral("   ") << QStringList{};
    }
    void argumentStringSplitsLikeAWindowsCommandLine() {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        QCOMPARE(splitArgumentString(line), expected);
    }

    void naturalOrderComparesNumbersByValue() {
        QStringList names{"10.mp4", "2.mp4", "1.mp4", "output000000010.mp4", "output000000009.mp4",
                          "B.txt",  "a.txt", "12.mp4"};
        std::sort(names.begin(), names.end(), naturalLess);
        QCOMPARE(names, (QStringList{"1.mp4", "2.mp4", "10.mp4", "12.mp4", "a.txt", "B.txt",
                                     "output000000009.mp4", "output000000010.mp4"}));
        // A strict weak order: equal names are not less than each other, leading zeros still
        // order deterministically.
        QVERIFY(!naturalLess(QStringLiteral("x"), QStringLiteral("x")));
        QVERIFY(naturalLess(QStringLiteral("01"), QStringLiteral("1")) !=
                naturalLess(QStringLiteral("1"), QStringLiteral("01")));
        QVERIFY(naturalLess(QStringLiteral("99999999999999999999"),
                            QStringLiteral("100000000000000000000")));
    }

    void interpreterListFollowsTheLaunchersLines_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("expected");
        const QString py = QStringLiteral(R"(C:\Python311\python.exe)");
        const QString py2 = QStringLiteral(R"(D:\Py\python.exe)");
        QTest::newRow("one line and its line end is too little")
            << QStringLiteral(" -V:3.11 *  Python311 C:\\Python311\\python.exe\n")
            << QStringList{py} << QString();
        QTest::newRow("heading, interpreter line")
            << QStringLiteral(
                   "Installed Pythons found by py Launcher for Windows\n -V:3.11 Python3 "
                   "C:\\Python311\\python.exe\n")
            << QStringList{py} << py;
        QTest::newRow("first existing of two wins")
            << QStringLiteral("x\n py3 C:\\Python311\\python.exe\n Python3 D:\\Py\\python.exe\n")
            << QStringList{py, py2} << py;
        QTest::newRow("missing path is passed over")
            << QStringLiteral("x\n Py3 C:\\Gone\\python.exe\n PY3 D:\\Py\\python.exe\n")
            << QStringList{py2} << py2;
        QTest::newRow("CRLF lines give clean paths")
            << QStringLiteral("head\r\n Python3  C:\\Python311\\python.exe  \r\nend\r\n")
            << QStringList{py} << py;
        QTest::newRow("capitals qualify")
            << QStringLiteral("h\nPYTHON312 C:\\Python311\\python.exe\n") << QStringList{py} << py;
        QTest::newRow("Python 3 with a blank does not")
            << QStringLiteral("h\nPython 3 D:\\Py\\python.exe\n") << QStringList{py2} << QString();
        QTest::newRow("no drive letter before the colon")
            << QStringLiteral("h\n:\\Python3\\python.exe\nx\n")
            << QStringList{":\\Python3\\python.exe"} << QString();
        QTest::newRow("empty output") << QString() << QStringList{} << QString();
    }
    void interpreterListFollowsTheLaunchersLines() {
        QFETCH(QString, output);
        QFETCH(QStringList, existing);
        QFETCH(QString, expected);
        QStringList asked;
        const QString got = pickInterpreter(output, [&](const QString& path) {
            asked.append(path);
            return existing.contains(path);
        });
        QCOMPARE(got, expected);
        for (const QString& path : asked)
            QVERIFY2(!path.contains(QLatin1Char('\r')) && !path.startsWith(QLatin1Char(' ')),
                     qPrintable(path));
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
