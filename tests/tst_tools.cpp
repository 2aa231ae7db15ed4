// The Tools menu: converting a video to MP4, storing the API key, the voice samples; and the
// desktop entry with the program's icon.
#include "app/DropLineEdit.h"
#include "helpers/TestSupport.h"
#include "platform/EnvironmentFile.h"
#include "platform/Launcher.h"
#include "platform/UserEnvironment.h"

#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

using namespace testsupport;

namespace {

const char kKey[] = "elevenlabs_api_key";

bool makeWmv(const QString& path) {
    return runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=1", "-f", "lavfi",
                      "-i", "sine=frequency=440:sample_rate=44100:duration=1", "-c:v", "wmv2",
                      "-c:a", "wmav2", "-shortest", path});
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

int fileMode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

// The key's value in an environment file's text, with other variables left unexpanded.
std::optional<QString> storedKey(const QString& text) {
    return environmentFileValue(text, QLatin1String(kKey),
                                [](const QString&) { return QStringLiteral("<expanded>"); });
}

// Everything the window shows as text: its widgets' and actions' texts, the rows of its lists
// and boxes (their models), the status bar and the message boxes it raised.
QStringList shownTexts(FormFixture& f) {
    QStringList texts = f.messages;
    texts << f.form->statusBar()->currentMessage();
    const QObjectList objects = f.form->findChildren<QObject*>() << f.form.get();
    for (QObject* object : objects) {
        for (const char* name :
             {"text", "plainText", "placeholderText", "windowTitle", "toolTip", "statusTip"})
            texts << object->property(name).toString();
        if (auto* model = qobject_cast<QAbstractItemModel*>(object)) {
            for (int row = 0; row < model->rowCount(); ++row)
                texts << model->index(row, 0).data().toString();
        }
    }
    return texts;
}

class RecordingLauncher : public Launcher {
public:
    qint64 startProgram(const QString& program, WindowStyle style) override {
        started << program;
        styles << style;
        return 4242;
    }
    bool openFolder(const QString& folder) override {
        opened << folder;
        return true;
    }
    QStringList started;
    QList<WindowStyle> styles;
    QStringList opened;
};

} // namespace

class TestTools : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_config;

    QString envFile() const {
        return m_config->filePath(QStringLiteral("environment.d/voxsplice.conf"));
    }

private slots:
    // Every test gets its own config folder, so the user's real environment file is never
    // touched, and starts without the key.
    void init() {
        m_config = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
        qunsetenv(kKey);
        QCOMPARE(userEnvironmentFile(), envFile());
    }

    // --- Convert wmv to mp4 ---

    void aWmvBecomesAnMp4AndTheNewInput() {
        // The folder's name holds the program's word: only the leading one may go.
        FormFixture f(QStringLiteral("ffmpeg clips"));
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const QString input = f.work.file(QStringLiteral("talk one.wmv"));
        const QString output = f.work.file(QStringLiteral("talk one.mp4"));
        QVERIFY(makeWmv(input));
        auto* dialogs = installDialogs(*f.form, {input, output});
        f.form->txtOutDir->setText(QStringLiteral("/kept"));

        f.form->mnuConvertWMV->trigger();

        QCOMPARE(dialogs->calls,
                 (QStringList{QStringLiteral("OpenFile||Open File"),
                              "SaveFile|talk one.mp4|" + f.work.path() + "|Save File"}));
        const QString shown = f.form->txtOut->toPlainText();
        // ffmpeg's own text, then the size.
        QVERIFY2(!shown.startsWith("Error: ") && shown.contains("libx264"), qPrintable(shown));
        QVERIFY(shown.endsWith("\nFileSize: " + QString::number(QFileInfo(output).size())));
        QCOMPARE(f.form->txtInput->text(), output);
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/kept"));
        QVERIFY(!f.form->isRunning());
        QString probe;
        runFfmpeg({"-i", output}, &probe);
        QVERIFY2(probe.contains("Video: h264") && probe.contains("Audio: aac"), qPrintable(probe));
    }

    // Every way the conversion ends without a new input. "clip.mp4" is a real video, the other
    // inputs hold text; the output is the proposed name, the dialogs past `answered` cancelled.
    void conversionsThatKeepTheInput_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("answered");
        QTest::addColumn<QString>("shown"); // in txtOut after "Error: "; empty: txtOut unchanged
        QTest::addColumn<int>("messages");
        addRow("not a video", "junk.wmv", 2, "Invalid data", 0);
        // ffmpeg asks before it overwrites; with its standard input closed it reads no answer and
        // declines, so the run ends and nothing is lost, not even when the output is the input.
        addRow("existing output", "clip.mp4", 2, "already exists", 0);
        // A double quote would end the quoted path early and hand ffmpeg other names.
        addRow("double quote", "say \"hi\".wmv", 2, "", 1);
        addRow("open cancelled", "junk.wmv", 0, "", 0);
        addRow("save cancelled", "junk.wmv", 1, "", 0);
    }
    void conversionsThatKeepTheInput() {
        QFETCH(QString, input);
        QFETCH(int, answered);
        QFETCH(QString, shown);
        QFETCH(int, messages);
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const QString in = f.work.file(input), out = in.left(in.lastIndexOf('.')) + ".mp4";
        QVERIFY(input == "clip.mp4" ? makeVideo(in, 1) : putFile(in, "words, not pictures"));
        const qint64 size = QFileInfo(in).size();
        const QString before = f.form->txtOut->toPlainText();
        auto* dialogs = installDialogs(*f.form, QStringList{in, out}.mid(0, answered));

        f.form->mnuConvertWMV_Click();

        QCOMPARE(dialogs->calls.size(), qMin(answered + 1, 2)); // no save dialog after a cancel
        QCOMPARE(f.messages.size(), messages);
        const QString text = f.form->txtOut->toPlainText();
        if (shown.isEmpty())
            QCOMPARE(text, before);
        else
            QVERIFY2(text.startsWith("Error: ") && text.contains(shown) &&
                         !text.contains("FileSize: "),
                     qPrintable(text));
        QCOMPARE(QFileInfo(in).size(), size);
        QVERIFY(in == out || !QFileInfo::exists(out));
        QCOMPARE(f.form->txtInput->text(), QStringLiteral("Can Drag & Drop"));
        QVERIFY(!f.form->isRunning());
    }

    // --- Set elevenlabs_api_key env var ---

    // A cancel changes nothing. Each key is kept exactly for this program, the tools it starts
    // and the next start, replacing the last in the user's own file, which becomes private.
    void eachKeyReplacesTheLastEverywhere() {
        const QByteArray own = "# mine\nEDITOR=vim\nelevenlabs_api_key=old\nPATH=\"$PATH:/x\"\n";
        QVERIFY(putFile(envFile(), own));
        QFile::setPermissions(envFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ReadGroup | QFileDevice::ReadOther);
        FormFixture f;
        const QStringList keys = {QStringLiteral(" key one "),
                                  QStringLiteral("  sk_1f\"2a' $HOME \\x `y` =z; #w  ")};
        auto* dialogs = installDialogs(*f.form, QStringList{QString()} + keys);
        f.form->mnuSetApiKey->trigger();
        QCOMPARE(dialogs->calls, QStringList{"AskText|Paste in your elevenlabs api key"});
        QVERIFY(!qEnvironmentVariableIsSet(kKey));
        QCOMPARE(readFile(envFile()), QString::fromUtf8(own));

        ToolRunner& runner = f.form->toolRunner();
        for (const QString& key : keys) {
            f.form->mnuSetApiKey_Click();
            QCOMPARE(qEnvironmentVariable(kKey), key);
            const QString text = readFile(envFile());
            QCOMPARE(text.count(QStringLiteral("elevenlabs_api_key=")), 1);
            QCOMPARE(storedKey(text), std::optional<QString>(key));
            QVERIFY(text.startsWith(QStringLiteral("# mine\nEDITOR=vim\nPATH=\"$PATH:/x\"\n")));
            QCOMPARE(fileMode(envFile()), 0600);
            QVERIFY(runner.Run(childTool(), QStringLiteral("env elevenlabs_api_key")));
            QCOMPARE(runner.Output(), key + '\n');
        }
        QVERIFY(f.messages.isEmpty());

        // A new start takes the stored key, also over an older one the session still carries.
        qunsetenv(kKey);
        for (int start = 0; start < 2; ++start) {
            f.reopen();
            QCOMPARE(f.load(), Form1::LoadResult::Ready);
            QCOMPARE(qEnvironmentVariable(kKey), keys.last());
            qputenv(kKey, "from the session");
        }
    }

    void theKeyIsNeverShown() {
        const QString key = QStringLiteral("sk_visible_nowhere_93817");
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        installDialogs(*f.form, {key, key});
        f.form->mnuSetApiKey_Click();
        QCOMPARE(fileMode(envFile()), 0600); // a new file too

        // Storing fails when the config folder cannot be made: the message says so, without
        // the key, and the key still holds for this session.
        const QString blocker = m_config->filePath(QStringLiteral("blocker"));
        QVERIFY(putFile(blocker, "a file where a folder should be"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));
        f.form->mnuSetApiKey_Click();
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(qEnvironmentVariable(kKey), key);
        for (const QString& text : shownTexts(f))
            QVERIFY2(!text.contains(key), qPrintable(text));
    }

    // --- the environment file's text ---

    void anyValueRoundTrips_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("blanks, tabs, quotes") << QStringLiteral(" \t \"k\"e'y' \t ");
        QTest::newRow("backslashes") << QStringLiteral("\\k\\\\e\\y\\");
        QTest::newRow("dollars") << QStringLiteral("$HOME ${HOME} $$ $ ${X:-y} $");
        QTest::newRow("equals, comments, backticks") << QStringLiteral("=a=b #c ;d `id`");
        QTest::newRow("line breaks") << QStringLiteral("one\ntwo\r\nthree");
        QTest::newRow("not ascii") << QStringLiteral("kéy–鍵");
    }
    void anyValueRoundTrips() {
        QFETCH(QString, value);
        const QString text = replaceEnvironmentEntry("A=1\n", QLatin1String(kKey), value);
        QCOMPARE(storedKey(text), std::optional<QString>(value));
        QCOMPARE(parseEnvironmentFile(text).value(0).value, QStringLiteral("1"));
        // Written twice, the value is there once, and the file still reads the same.
        const QString again = replaceEnvironmentEntry(text, QLatin1String(kKey), value);
        QCOMPARE(parseEnvironmentFile(again).size(), 2);
        QCOMPARE(storedKey(again), std::optional<QString>(value));
    }

    // Lines that people write by hand read as the user session reads them.
    void handWrittenLinesReadAsTheSessionReadsThem_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        addRow("trailing blanks", "K=plain value  \n", "plain value");
        addRow("blanks around =", "K = 'single $$ quoted'\n", "single $ quoted");
        addRow("escapes in quotes", "K=\"a\\\\b\\\"c\"\n", "a\\b\"c");
        addRow("other backslash", "K=\"\\q\"\n", "\\q");
        addRow("escaped blank", "K=a\\ b\n", "a b");
        addRow("continued line", "K=one\\\ntwo\n", "onetwo");
        addRow("variable", "K=${HOME_X}/x\n", "/h/x");
        addRow("default", "K=${UNSET:-fallback}\n", "fallback");
        addRow("alternate", "K=${SET:+alt}\n", "alt");
        addRow("last wins", "K=first\n# K=comment\nK=second\n", "second");
        addRow("earlier line", "OTHER=o\nK=$OTHER-x\n", "o-x");
        addRow("mixed quoting", "K=\"a\"'b'c d  \n", "abc d");
        addRow("no newline at the end", "K=${SET:-x}$SET", "11");
    }
    void handWrittenLinesReadAsTheSessionReadsThem() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QHash<QString, QString> session{{"HOME_X", "/h"}, {"SET", "1"}};
        const auto lookup = [&](const QString& name) { return session.value(name); };
        QCOMPARE(environmentFileValue(text, QStringLiteral("K"), lookup),
                 std::optional<QString>(expected));
    }

    // The session's own reader (systemd's environment.d generator) gets back what was stored.
    void theSessionReadsTheStoredKey() {
        const QString generatorPath = QStringLiteral(
            "/usr/lib/systemd/user-environment-generators/30-systemd-environment-d-generator");
        if (!QFileInfo(generatorPath).isExecutable())
            QSKIP("systemd's environment.d generator is not installed");
        const QString value = QStringLiteral("  sk \"q\" 'a' \\b $HOME ${X} $$ `c` =d #e kéy–鍵  ");
        QVERIFY(SetEnvVar(QLatin1String(kKey), value, true));
        QProcess generator;
        generator.setEnvironment(
            {"HOME=" + QDir::homePath(), "XDG_CONFIG_HOME=" + m_config->path()});
        generator.start(generatorPath, {});
        QVERIFY(generator.waitForFinished(60000));
        // It prints the merged environment, expanded, in the same syntax: the value has its
        // quoting undone only.
        std::optional<QString> got;
        for (const auto& entry :
             parseEnvironmentFile(QString::fromUtf8(generator.readAllStandardOutput()))) {
            if (entry.key == QLatin1String(kKey))
                got = entry.value;
        }
        QCOMPARE(got, std::optional<QString>(value));
    }

    // --- Voice Samples ---

    // The player (a file named voices) or else the samples folder; with neither nothing starts
    // and nothing is said.
    void voiceSamples_data() {
        QTest::addColumn<bool>("player");
        QTest::addColumn<bool>("folder");
        addRow("player", true, false);
        addRow("folder only", false, true);
        addRow("neither", false, false);
    }
    void voiceSamples() {
        QFETCH(bool, player);
        QFETCH(bool, folder);
        FormFixture f;
        auto owned = std::make_unique<RecordingLauncher>();
        RecordingLauncher* launcher = owned.get();
        f.form->setLauncher(std::move(owned));
        const QString voices = f.work.file(QStringLiteral("voices"));
        QVERIFY(!player || putFile(voices, "#!/bin/sh\n", true));
        QVERIFY(!folder || QDir().mkpath(voices + "/samples"));

        f.form->mnuVoiceSamples->trigger();

        QCOMPARE(launcher->started, player ? QStringList{voices} : QStringList());
        QCOMPARE(launcher->styles, QList<WindowStyle>(player ? 1 : 0, WindowStyle::MinimizedFocus));
        QCOMPARE(launcher->opened, folder ? QStringList{voices + "/samples"} : QStringList());
        QVERIFY(f.messages.isEmpty());
    }

    // The real start, in a working folder whose path has blanks: the player and the file
    // manager (a stand-in earlier on PATH) each get the path whole.
    void programsReallyStartInAFolderWithBlanks() {
        FormFixture f(QStringLiteral("work with blanks"));
        const QString voices = f.work.file(QStringLiteral("voices"));
        QVERIFY(
            putFile(voices, "#!/bin/sh\necho started > \"$(dirname \"$0\")/player ran\"\n", true));
        f.form->mnuVoiceSamples_Click();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(f.work.file(QStringLiteral("player ran"))),
                                 30000);

        QVERIFY(QFile::remove(voices) && QDir().mkpath(voices + "/samples"));
        QTemporaryDir bin;
        const QString opened = bin.filePath(QStringLiteral("opened"));
        QVERIFY(putFile(bin.filePath(QStringLiteral("xdg-open")),
                        "#!/bin/sh\nprintf '%s' \"$1\" > \"" + QFile::encodeName(opened) + "\"\n",
                        true));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
        f.form->mnuVoiceSamples_Click();
        qputenv("PATH", path);
        QTRY_COMPARE_WITH_TIMEOUT(readFile(opened), voices + "/samples", 30000);
    }

    // --- desktop integration ---

    void theIconRenders() {
        const QImage image = QIcon(sourceDir() + "/src/app/voxsplice.svg").pixmap(64, 64).toImage();
        QVERIFY(!image.isNull());
        QVERIFY(image.pixelColor(32, 32).alpha() > 0);
        QVERIFY(image.pixelColor(0, 0) != image.pixelColor(32, 32));
    }

    void theMenuEntryPointsAtTheInstalledProgram() {
        const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
        if (cmake.isEmpty())
            QSKIP("cmake is not installed");
        QTemporaryDir dir;
        const QString prefix = dir.filePath(QStringLiteral("my apps/100% \"vox\" $x"));
        const QString menu = dir.filePath(QStringLiteral("menu"));
        const QString app = sourceDir() + QStringLiteral("/src/app/");
        QProcess install;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DESTDIR"));
        install.setProcessEnvironment(env);
        install.start(cmake, {"-DTEMPLATE=" + app + "voxsplice.desktop.in", "-DPREFIX=" + prefix,
                              "-DMENU_DIR=" + menu, "-P", app + "InstallDesktopEntry.cmake"});
        QVERIFY(install.waitForFinished(60000));
        QCOMPARE(install.exitCode(), 0);
        const QString text = readFile(menu + QStringLiteral("/voxsplice.desktop"));
        QCOMPARE(readFile(prefix + QStringLiteral("/voxsplice.desktop")), text);
        QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
        // Exec's argument is quoted, with '"' and '$' escaped by a backslash that the string
        // rules escape again, and '%' doubled; Icon is a plain string.
        QVERIFY2(text.contains("\nExec=\"" + dir.path() +
                               "/my apps/100%% \\\\\"vox\\\\\" \\\\$x/voxsplice\"\n"),
                 qPrintable(text));
        QVERIFY2(text.contains("\nIcon=" + prefix + "/voxsplice.svg\n"), qPrintable(text));
    }
};

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
