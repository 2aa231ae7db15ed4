// Command templates: removing the program word, expanding the macros in one pass, and the concat
// list that the rejoin step hands to ffmpeg.
#include "core/CommandTemplate.h"
#include "core/ConcatList.h"

#include <QtTest>

namespace {

// The values a test video would give, each holding the characters of other macros.
QList<Macro> macros(bool reintegrateOrder, const QString& input, const QString& work,
                    const QString& output) {
    const Macro m1{QStringLiteral("%1"), input};
    const Macro pf{QStringLiteral("%pf"), input.left(input.lastIndexOf('/'))};
    const Macro ap{QStringLiteral("%ap"), work};
    const Macro m2{QStringLiteral("%2"), output};
    const QString name = input.mid(input.lastIndexOf('/') + 1);
    const Macro bn{QStringLiteral("%bn"), name.left(name.lastIndexOf('.'))};
    return reintegrateOrder ? QList<Macro>{m1, pf, bn, ap, m2} : QList<Macro>{m1, pf, ap, m2, bn};
}

const QString kExtract = QStringLiteral(R"(ffmpeg -i "%1" -vn -acodec copy "%ap/raw.mp4")");
const QString kSplit = QStringLiteral(
    R"(ffmpeg -i "%ap/raw.mp4" -f segment -segment_time 299 -c copy "%ap/parts/output%09d.mp4")");
const QString kConcat = QStringLiteral(
    R"(ffmpeg -f concat -safe 0 -i "%ap/concat_files.txt" -c copy "%ap/joined.mp4" -y )");
const QString kIntegrate = QStringLiteral(
    R"(ffmpeg -i "%1" -i "%ap/joined.mp4" -c:v copy -map 0:v:0? -map 1:a:0 "%2/%bn_AI.mp4" -y)");

} // namespace

class TestTemplates : public QObject {
    Q_OBJECT
private slots:
    void programWordIsRemovedOnceWhateverItsCase_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("default") << kExtract << R"( -i "%1" -vn -acodec copy "%ap/raw.mp4")";
        QTest::newRow("capitals") << "FFMPEG -i x"
                                  << " -i x";
        QTest::newRow("mixed case") << "FfMpEg -y"
                                    << " -y";
        QTest::newRow("only the first") << "ffmpeg -i /ffmpeg/a"
                                        << " -i /ffmpeg/a";
        QTest::newRow("inside a path") << R"(-i "/opt/ffmpeg/a.mp4")"
                                       << R"(-i "/opt//a.mp4")";
        QTest::newRow("glued to a word") << "myffmpegx -y"
                                         << "myx -y";
        QTest::newRow("absent") << "-i a.mp4 b.mp4"
                                << "-i a.mp4 b.mp4";
        QTest::newRow("nothing trimmed") << "  ffmpeg  "
                                         << "    ";
    }
    void programWordIsRemovedOnceWhateverItsCase() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(removeProgramWord(text), expected);
    }

    void defaultTemplatesExpandWithPatternAndTrailingBlankKept() {
        const auto m = macros(false, "/v/clip.mp4", "/w", "/out");
        QCOMPARE(expandMacros(removeProgramWord(kExtract), m),
                 QStringLiteral(R"( -i "/v/clip.mp4" -vn -acodec copy "/w/raw.mp4")"));
        QCOMPARE(expandMacros(removeProgramWord(kSplit), m),
                 QStringLiteral(R"( -i "/w/raw.mp4" -f segment -segment_time 299 -c copy )"
                                R"("/w/parts/output%09d.mp4")"));
        QCOMPARE(expandMacros(removeProgramWord(kConcat), m),
                 QStringLiteral(R"( -f concat -safe 0 -i "/w/concat_files.txt" -c copy )"
                                R"("/w/joined.mp4" -y )"));
        QCOMPARE(
            expandMacros(removeProgramWord(kIntegrate), macros(true, "/v/clip.mp4", "/w", "/out")),
            QStringLiteral(R"( -i "/v/clip.mp4" -i "/w/joined.mp4" -c:v copy -map 0:v:0? )"
                           R"(-map 1:a:0 "/out/clip_AI.mp4" -y)"));
    }

    // Values that hold the characters of macros arrive unchanged, in both orders: a name with an
    // URL-encoded blank, a folder named after a macro.
    void valuesAreNeverSearchedForMacros_data() {
        QTest::addColumn<bool>("reintegrateOrder");
        QTest::newRow("standard order") << false;
        QTest::newRow("reintegrate order") << true;
    }
    void valuesAreNeverSearchedForMacros() {
        QFETCH(bool, reintegrateOrder);
        const QString input = QStringLiteral("/v/%2 %ap/Talk%20one %bn%pf.mp4");
        const QString work = QStringLiteral("/w/%1 %2");
        const QString output = QStringLiteral("/out/%bn %ap %1");
        const auto m = macros(reintegrateOrder, input, work, output);
        QCOMPARE(expandMacros(QStringLiteral(R"(-i "%1" "%ap/raw.mp4" "%2/%bn_AI.mp4" %pf)"), m),
                 QStringLiteral(R"(-i "/v/%2 %ap/Talk%20one %bn%pf.mp4" "/w/%1 %2/raw.mp4" )"
                                R"("/out/%bn %ap %1/Talk%20one %bn%pf_AI.mp4" /v/%2 %ap)"));
    }

    void macroPiecedTogetherByAValueIsNotReplaced() {
        // "%p" in the template and "f" from the value would read "%pf" if the text were searched
        // again after the replacement.
        const QList<Macro> m{{QStringLiteral("%1"), QStringLiteral("f")},
                             {QStringLiteral("%pf"), QStringLiteral("PARENT")}};
        QCOMPARE(expandMacros(QStringLiteral("%p%1 %pf"), m), QStringLiteral("%pf PARENT"));
    }

    void macrosAreCaseSensitive() {
        const auto m = macros(false, "/v/clip.mp4", "/w", "/out");
        QCOMPARE(expandMacros(QStringLiteral("%AP %Ap %BN %PF %pf %bn"), m),
                 QStringLiteral("%AP %Ap %BN %PF /v clip"));
    }

    void emptyValueLeavesTheSeparator() {
        const auto m = macros(true, "/v/clip.mp4", "/w", QString());
        QCOMPARE(expandMacros(QStringLiteral(R"("%2/%bn_AI.mp4")"), m),
                 QStringLiteral(R"("/clip_AI.mp4")"));
    }

    // ffmpeg reads every '%' of a segment pattern; a value's '%' in that argument must stay a
    // plain character, while the same value elsewhere is left alone.
    void percentInAValueIsDoubledOnlyInsideANumberPattern() {
        const auto m = macros(false, "/v/a%2b.mp4", "/w/50%20 off", "/o");
        QCOMPARE(expandMacros(removeProgramWord(kSplit), m),
                 QStringLiteral(R"( -i "/w/50%20 off/raw.mp4" -f segment -segment_time 299 -c )"
                                R"(copy "/w/50%%20 off/parts/output%09d.mp4")"));
        QCOMPARE(expandMacros(QStringLiteral(R"("%ap/img%d.png" "%1")"), m),
                 QStringLiteral(R"("/w/50%%20 off/img%d.png" "/v/a%2b.mp4")"));
        // An escaped "%%" is no pattern, and neither is a '%' followed by something else.
        QCOMPARE(expandMacros(QStringLiteral(R"("%ap/x%%09d.mp4" %ap/%AP.mp4)"), m),
                 QStringLiteral(R"("/w/50%20 off/x%%09d.mp4" /w/50%20 off/%AP.mp4)"));
    }

    void concatListQuotesEveryPathByFfmpegsRule() {
        QCOMPARE(concatListText({}), QString());
        QCOMPARE(concatListText({QStringLiteral("/w/parts/1.mp4")}),
                 QStringLiteral("file '/w/parts/1.mp4'"));
        QCOMPARE(concatListText({QStringLiteral("/w/it's/2.mp4"), QStringLiteral("/w/%20 Ü/10.mp4"),
                                 QStringLiteral("C:\\a b\\''3.mp4")}),
                 QStringLiteral("file '/w/it'\\''s/2.mp4'\r\nfile '/w/%20 Ü/10.mp4'\r\n"
                                "file 'C:\\a b\\'\\'''\\''3.mp4'"));
    }
};

QTEST_GUILESS_MAIN(TestTemplates)
#include "tst_templates.moc"
