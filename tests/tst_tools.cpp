// The Tools menu: converting a video to MP4, storing the API key, the voice samples; and the
// desktop entry with the program's icon.
#include "app/DropLineEdit.h"
#include "helpers/TestSupport.h"
#include "platform/EnvironmentFile.h"
#include "platform/Launcher.h"
#include "platform/UserEnvironment.h"

#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

using testsupport::FormFixture;
using testsupport::installDialogs;

namespace {

const char kKey[] = "elevenlabs_api_key";
const QString kGenerator = QStringLiteral(
    "/usr/lib/systemd/user-environment-generators/30-systemd-environment-d-generator");

bool makeWmv(const QString& path) {
    return testsupport::runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=1",
                                   "-f", "lavfi", "-i",
                                   "sine=frequency=440:sample_rate=44100:duration=1", "-c:v",
                                   "wmv2", "-c:a", "wmav2", "-shortest", path});
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeFile(const QString& path, const QByteArray& bytes, bool executable = false) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return true;
}

int fileMode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

QString lastLine(const QString& text) {
    return text.split(QLatin1Char('\n')).last();
}

QString noVariables(const QString&) {
    return QStringLiteral("<expanded>");
}

// Everything the window shows as text, including the message boxes it raised.
QStringList shownTexts(FormFixture& f) {
    QStringList texts{f.form->windowTitle(), f.form->statusBar()->currentMessage()};
    for (auto* box : f.form->findChildren<QLineEdit*>())
        texts << box->text() << box->placeholderText();
    for (auto* box : f.form->findChildren<QPlainTextEdit*>())
        texts << box->toPlainText();
    for (auto* label : f.form->findChildren<QLabel*>())
        texts << label->text();
    for (auto* list : f.form->findChildren<QListWidget*>()) {
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
    }
    for (auto* combo : f.form->findChildren<QComboBox*>()) {
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
    }
    for (auto* action : f.form->findChildren<QAction*>())
        texts << action->text() << action->toolTip() << action->statusTip();
    return texts + f.messages;
}

class RecordingLauncher : public Launcher {
public:
    qint64 startProgram(const QString& program, WindowStyle style) override {
        started << program;
        styles << style;
        return processNumber;
    }
    bool openFolder(const QString& folder) override {
        opened << folder;
        return true;
    }
    QStringList started;
    QList<WindowStyle> styles;
    QStringList opened;
    qint64 processNumber = 4242; // 0: the player does not start
};

RecordingLauncher* installLauncher(Form1& form) {
    auto launcher = std::make_unique<RecordingLauncher>();
    RecordingLauncher* raw = launcher.get();
    form.setLauncher(std::move(launcher));
    return raw;
}

} // namespace

class TestTools : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_config;
    QByteArray m_oldConfig;

    QString envFile() const {
        return m_config->filePath(QStringLiteral("environment.d/voxsplice.conf"));
    }

private slots:
    // Every test gets its own config folder, so the user's real environment file is never
    // touched, and starts without the key.
    void init() {
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        m_config = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
        qunsetenv(kKey);
        QCOMPARE(userEnvironmentFile(), envFile());
    }
    void cleanup() {
        qunsetenv(kKey);
        if (m_oldConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_oldConfig);
        m_config.reset();
    }

    // --- Convert wmv to mp4 ---

    void aWmvBecomesAnMp4AndTheNewInput() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        // The folder's name holds the program's word: only the leading one may go.
        const QString folder = f.work.file(QStringLiteral("ffmpeg clips"));
        const QString input = folder + QStringLiteral("/talk one.wmv");
        const QString output = folder + QStringLiteral("/talk one.mp4");
        QDir().mkpath(folder);
        QVERIFY(makeWmv(input));
        auto* dialogs = installDialogs(*f.form, {input, output});
        f.form->txtOutDir->setText(QStringLiteral("/kept"));

        f.form->mnuConvertWMV->trigger();

        QCOMPARE(dialogs->calls, (QStringList{QStringLiteral("OpenFile||Open File"),
                                              QStringLiteral("SaveFile|talk one.mp4|") + folder +
                                                  QStringLiteral("|Save File")}));
        QVERIFY(QFileInfo(output).size() > 0);
        const QString shown = f.form->txtOut->toPlainText();
        QVERIFY2(!shown.startsWith(QStringLiteral("Error: ")), qPrintable(shown));
        QCOMPARE(lastLine(shown),
                 QStringLiteral("FileSize: ") + QString::number(QFileInfo(output).size()));
        QVERIFY(shown.contains(QStringLiteral("libx264"))); // ffmpeg's own text comes first
        QCOMPARE(f.form->txtInput->text(), output);
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/kept"));
        QVERIFY(!f.form->isRunning());

        QString probe;
        testsupport::runFfmpeg({"-i", output}, &probe);
        QVERIFY2(probe.contains(QStringLiteral("Video: h264")), qPrintable(probe));
        QVERIFY2(probe.contains(QStringLiteral("Audio: aac")), qPrintable(probe));
    }

    void aFailedConversionLeavesTheInputAlone() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const QString input = f.work.file(QStringLiteral("not a video.wmv"));
        QVERIFY(writeFile(input, "these are words, not pictures"));
        installDialogs(*f.form, {input, f.work.file(QStringLiteral("not a video.mp4"))});

        f.form->mnuConvertWMV_Click();

        QVERIFY(f.form->txtOut->toPlainText().startsWith(QStringLiteral("Error: ")));
        QVERIFY(!f.form->txtOut->toPlainText().contains(QStringLiteral("FileSize: ")));
        QCOMPARE(f.form->txtInput->text(), QStringLiteral("Can Drag & Drop"));
        QVERIFY(!f.form->isRunning());
    }

    // ffmpeg asks before it overwrites; with its standard input closed it reads no answer and
    // declines, so the run ends and nothing is lost, not even when the output is the input.
    void anExistingOutputEndsTheRunWithoutLoss() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const QString video = f.work.file(QStringLiteral("clip.mp4"));
        QVERIFY(testsupport::makeVideo(video, 1));
        const qint64 size = QFileInfo(video).size();
        auto* dialogs = installDialogs(*f.form, {video, video});

        f.form->mnuConvertWMV_Click();

        QCOMPARE(dialogs->calls.at(1), QStringLiteral("SaveFile|clip.mp4|") + f.work.path() +
                                           QStringLiteral("|Save File"));
        const QString shown = f.form->txtOut->toPlainText();
        QVERIFY2(shown.startsWith(QStringLiteral("Error: ")), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("already exists")), qPrintable(shown));
        QCOMPARE(QFileInfo(video).size(), size);
        QCOMPARE(f.form->txtInput->text(), QStringLiteral("Can Drag & Drop"));
    }

    void cancellingEitherDialogRunsNothing() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const QString before = f.form->txtOut->toPlainText();

        auto* dialogs = installDialogs(*f.form);
        f.form->mnuConvertWMV_Click();
        QCOMPARE(dialogs->calls.size(), 1); // no save dialog after a cancelled open

        dialogs = installDialogs(*f.form, {f.work.file(QStringLiteral("a.wmv"))});
        f.form->mnuConvertWMV_Click();
        QCOMPARE(dialogs->calls.size(), 2);

        QCOMPARE(f.form->txtOut->toPlainText(), before);
        QCOMPARE(f.form->txtInput->text(), QStringLiteral("Can Drag & Drop"));
        QVERIFY(f.messages.isEmpty());
    }

    // A double quote in a name would end the quoted path early and hand ffmpeg other names.
    void aNameWithADoubleQuoteIsRefused() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const QString input = f.work.file(QStringLiteral("say \"hi\".wmv"));
        QVERIFY(makeWmv(input));
        const QString output = f.work.file(QStringLiteral("say \"hi\".mp4"));
        const QString before = f.form->txtOut->toPlainText();
        installDialogs(*f.form, {input, output});

        f.form->mnuConvertWMV_Click();

        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.form->txtOut->toPlainText(), before);
        QVERIFY(!QFileInfo::exists(output));
        QVERIFY(!QFileInfo::exists(f.work.file(QStringLiteral("say hi.mp4"))));
    }

    // --- Set elevenlabs_api_key env var ---

    void cancelOrAnEmptyAnswerChangesNothing() {
        FormFixture f;
        auto* dialogs = installDialogs(*f.form, {QString(), QString()});
        f.form->mnuSetApiKey->trigger();
        f.form->mnuSetApiKey_Click();
        QCOMPARE(dialogs->calls, QStringList(2, QStringLiteral("AskText|Paste in your elevenlabs "
                                                               "api key")));
        QVERIFY(!qEnvironmentVariableIsSet(kKey));
        QVERIFY(!QFileInfo::exists(envFile()));
        QVERIFY(f.messages.isEmpty());
    }

    void theKeyIsKeptExactlyAndOnlyForTheUser() {
        FormFixture f;
        const QString key = QStringLiteral("  sk_1f\"2a' $HOME \\x `y` =z; #w  ");
        installDialogs(*f.form, {key});

        f.form->mnuSetApiKey_Click();

        QCOMPARE(qEnvironmentVariable(kKey), key);
        QCOMPARE(fileMode(envFile()), 0600);
        QCOMPARE(environmentFileValue(readFile(envFile()), QLatin1String(kKey), noVariables),
                 std::optional<QString>(key));
        QVERIFY(f.messages.isEmpty());
    }

    void aSecondKeyReplacesTheFirst() {
        // A file the user keeps, readable by others, with lines of its own.
        const QByteArray own = "# mine\nEDITOR=vim\nelevenlabs_api_key=old\nPATH=\"$PATH:/x\"\n";
        QVERIFY(writeFile(envFile(), own));
        QFile::setPermissions(envFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ReadGroup | QFileDevice::ReadOther);
        FormFixture f;
        installDialogs(*f.form, {QStringLiteral("first key"), QStringLiteral("second key")});

        f.form->mnuSetApiKey_Click();
        f.form->mnuSetApiKey_Click();

        const QString text = readFile(envFile());
        QCOMPARE(text.count(QStringLiteral("elevenlabs_api_key=")), 1);
        QCOMPARE(environmentFileValue(text, QLatin1String(kKey), noVariables),
                 std::optional<QString>(QStringLiteral("second key")));
        QVERIFY(text.startsWith(QStringLiteral("# mine\nEDITOR=vim\nPATH=\"$PATH:/x\"\n")));
        QCOMPARE(fileMode(envFile()), 0600);
        QCOMPARE(qEnvironmentVariable(kKey), QStringLiteral("second key"));
    }

    void aToolStartedAfterwardsSeesTheNewKey() {
        FormFixture f;
        installDialogs(*f.form, {QStringLiteral("key one"), QStringLiteral(" key two ")});
        ToolRunner& runner = f.form->toolRunner();
        const QString child = testsupport::childTool();

        f.form->mnuSetApiKey_Click();
        QVERIFY(runner.Run(child, QStringLiteral("env elevenlabs_api_key")));
        QCOMPARE(runner.Output(), QStringLiteral("key one\n"));

        f.form->mnuSetApiKey_Click();
        QVERIFY(runner.Run(child, QStringLiteral("env elevenlabs_api_key")));
        QCOMPARE(runner.Output(), QStringLiteral(" key two \n"));
    }

    void startUpTakesTheStoredKey() {
        const QString stored = QStringLiteral("stored $key \"x\"");
        QVERIFY(SetEnvVar(QLatin1String(kKey), stored, true));
        qunsetenv(kKey);

        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QCOMPARE(qEnvironmentVariable(kKey), stored);

        // The session may still carry the key it read at login, replaced since: the stored one
        // wins.
        qputenv(kKey, "from the session");
        FormFixture g;
        QCOMPARE(g.load(), Form1::LoadResult::Ready);
        QCOMPARE(qEnvironmentVariable(kKey), stored);
    }

    void theKeyIsNeverShown() {
        const QString key = QStringLiteral("sk_visible_nowhere_93817");
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        installDialogs(*f.form, {key, key});
        f.form->mnuSetApiKey_Click();

        // Storing fails when the config folder cannot be made: the message says so, without
        // the key, and the key still holds for this session.
        const QString blocker = m_config->filePath(QStringLiteral("blocker"));
        QVERIFY(writeFile(blocker, "a file where a folder should be"));
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
        QTest::newRow("blanks at both ends") << QStringLiteral("  key  ");
        QTest::newRow("tabs") << QStringLiteral("\tkey\t");
        QTest::newRow("double quotes") << QStringLiteral("\"k\"e\"y\"");
        QTest::newRow("single quotes") << QStringLiteral("'k'e'y'");
        QTest::newRow("backslashes") << QStringLiteral("\\k\\\\e\\y\\");
        QTest::newRow("dollars") << QStringLiteral("$HOME ${HOME} $$ $ ${X:-y} $");
        QTest::newRow("equals and comments") << QStringLiteral("=a=b #c ;d");
        QTest::newRow("backticks") << QStringLiteral("`id`");
        QTest::newRow("line breaks") << QStringLiteral("one\ntwo\r\nthree");
        QTest::newRow("not ascii") << QStringLiteral("kéy–鍵");
    }
    void anyValueRoundTrips() {
        QFETCH(QString, value);
        const QString text =
            replaceEnvironmentEntry(QStringLiteral("A=1\n"), QLatin1String(kKey), value);
        QCOMPARE(environmentFileValue(text, QLatin1String(kKey), noVariables),
                 std::optional<QString>(value));
        QCOMPARE(environmentFileValue(text, QStringLiteral("A"), noVariables),
                 std::optional<QString>(QStringLiteral("1")));
        // Written twice, the value is there once, and the file still reads the same.
        const QString again = replaceEnvironmentEntry(text, QLatin1String(kKey), value);
        QCOMPARE(parseEnvironmentFile(again).size(), 2);
        QCOMPARE(environmentFileValue(again, QLatin1String(kKey), noVariables),
                 std::optional<QString>(value));
    }

    // Lines that people write by hand read as the user session reads them.
    void handWrittenLinesReadAsTheSessionReadsThem_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trailing blanks") << "K=plain value  \n"
                                         << "plain value";
        QTest::newRow("blanks around =") << "K = 'single $$ quoted'\n"
                                         << "single $ quoted";
        QTest::newRow("escapes in quotes") << "K=\"a\\\\b\\\"c\"\n"
                                           << "a\\b\"c";
        QTest::newRow("other backslash") << "K=\"\\q\"\n"
                                         << "\\q";
        QTest::newRow("escaped blank") << "K=a\\ b\n"
                                       << "a b";
        QTest::newRow("continued line") << "K=one\\\ntwo\n"
                                        << "onetwo";
        QTest::newRow("variable") << "K=${HOME_X}/x\n"
                                  << "/h/x";
        QTest::newRow("default") << "K=${UNSET:-fallback}\n"
                                 << "fallback";
        QTest::newRow("alternate") << "K=${SET:+alt}\n"
                                   << "alt";
        QTest::newRow("last wins") << "K=first\n# K=comment\nK=second\n"
                                   << "second";
        QTest::newRow("earlier line") << "OTHER=o\nK=$OTHER-x\n"
                                      << "o-x";
        QTest::newRow("mixed quoting") << "K=\"a\"'b'c d  \n"
                                       << "abc d";
        QTest::newRow("no newline at the end") << "K=${SET:-x}$SET"
                                               << "11";
    }
    void handWrittenLinesReadAsTheSessionReadsThem() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto lookup = [](const QString& name) {
            return name == QLatin1String("HOME_X") ? QStringLiteral("/h")
                   : name == QLatin1String("SET")  ? QStringLiteral("1")
                                                   : QString();
        };
        QCOMPARE(environmentFileValue(text, QStringLiteral("K"), lookup),
                 std::optional<QString>(expected));
    }

    // The session's own reader (systemd's environment.d generator) gets back what was stored.
    void theSessionReadsTheStoredKey() {
        if (!QFileInfo(kGenerator).isExecutable())
            QSKIP("systemd's environment.d generator is not installed");
        const QStringList values = {QStringLiteral("  sk \"q\" 'a' \\b $HOME ${X} $$ `c` =d #e  "),
                                    QStringLiteral("plain"), QStringLiteral("kéy–鍵")};
        for (const QString& value : values) {
            QVERIFY(SetEnvVar(QLatin1String(kKey), value, true));
            QProcess generator;
            QProcessEnvironment env;
            env.insert(QStringLiteral("HOME"), QDir::homePath());
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config->path());
            generator.setProcessEnvironment(env);
            generator.start(kGenerator, {});
            QVERIFY(generator.waitForFinished(60000));
            // It prints the merged environment, expanded, in the same syntax (control characters
            // aside, which it writes as C escapes).
            const QString printed = QString::fromUtf8(generator.readAllStandardOutput());
            std::optional<QString> got;
            for (const EnvironmentEntry& entry : parseEnvironmentFile(printed)) {
                if (entry.key == QLatin1String(kKey))
                    got = entry.value;
            }
            QCOMPARE(got, std::optional<QString>(value));
        }
    }

    // --- Voice Samples ---

    void thePlayerStartsMinimizedWhenPresent() {
        FormFixture f;
        auto* launcher = installLauncher(*f.form);
        QVERIFY(writeFile(f.work.file(QStringLiteral("voices")), "#!/bin/sh\n", true));

        f.form->mnuVoiceSamples->trigger();

        QCOMPARE(launcher->started, QStringList{f.work.file(QStringLiteral("voices"))});
        QCOMPARE(launcher->styles, QList<WindowStyle>{WindowStyle::MinimizedFocus});
        QVERIFY(launcher->opened.isEmpty());
        QVERIFY(f.messages.isEmpty());
    }

    void theSamplesFolderOpensWithoutAPlayer() {
        FormFixture f;
        auto* launcher = installLauncher(*f.form);
        QDir().mkpath(f.work.file(QStringLiteral("voices/samples")));

        f.form->mnuVoiceSamples_Click();
        QVERIFY(launcher->started.isEmpty());
        QCOMPARE(launcher->opened, QStringList{f.work.file(QStringLiteral("voices/samples"))});
        QVERIFY(f.messages.isEmpty());
    }

    void neitherStartsNothing() {
        FormFixture f;
        auto* launcher = installLauncher(*f.form);
        f.form->mnuVoiceSamples_Click();
        QVERIFY(launcher->started.isEmpty());
        QVERIFY(launcher->opened.isEmpty());
        QVERIFY(f.messages.isEmpty());
    }

    // The real start, in a working folder whose path has blanks: the player and the file
    // manager (a stand-in earlier on PATH) each get the path whole.
    void programsReallyStartInAFolderWithBlanks() {
        FormFixture f(QStringLiteral("work with blanks"));
        const QString ran = f.work.file(QStringLiteral("player ran"));
        QVERIFY(writeFile(f.work.file(QStringLiteral("voices")),
                          "#!/bin/sh\necho started > \"$(dirname \"$0\")/player ran\"\n", true));
        f.form->mnuVoiceSamples_Click();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(ran), 30000);

        QVERIFY(QFile::remove(f.work.file(QStringLiteral("voices"))));
        const QString samples = f.work.file(QStringLiteral("voices/samples"));
        QDir().mkpath(samples);
        QTemporaryDir bin;
        const QString opened = bin.filePath(QStringLiteral("opened"));
        QVERIFY(writeFile(bin.filePath(QStringLiteral("xdg-open")),
                          "#!/bin/sh\nprintf '%s' \"$1\" > \"" + QFile::encodeName(opened) +
                              ".part\" && mv \"" + QFile::encodeName(opened) + ".part\" \"" +
                              QFile::encodeName(opened) + "\"\n",
                          true));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
        f.form->mnuVoiceSamples_Click();
        qputenv("PATH", path);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(opened), 30000);
        QCOMPARE(readFile(opened), samples);
    }

    // --- desktop integration ---

    void theIconRenders() {
        const QIcon icon(testsupport::sourceDir() + QStringLiteral("/src/app/voxsplice.svg"));
        const QImage image = icon.pixmap(64, 64).toImage();
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
        const QString app = testsupport::sourceDir() + QStringLiteral("/src/app/");
        QProcess install;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DESTDIR"));
        install.setProcessEnvironment(env);
        install.start(cmake, {"-DTEMPLATE=" + app + "voxsplice.desktop.in", "-DPREFIX=" + prefix,
                              "-DMENU_DIR=" + menu, "-P", app + "InstallDesktopEntry.cmake"});
        QVERIFY(install.waitForFinished(60000));
        QCOMPARE(install.exitCode(), 0);
        QCOMPARE(readFile(menu + QStringLiteral("/voxsplice.desktop")),
                 readFile(prefix + QStringLiteral("/voxsplice.desktop")));

        const QString text = readFile(menu + QStringLiteral("/voxsplice.desktop"));
        QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QString exec, icon;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            if (line.startsWith(QStringLiteral("Exec=")))
                exec = line.mid(5);
            if (line.startsWith(QStringLiteral("Icon=")))
                icon = line.mid(5);
        }
        // Undo the entry's string escapes, then Exec's quoting and its "%%".
        const auto unescape = [](const QString& value) {
            QString out;
            for (qsizetype i = 0; i < value.size(); ++i) {
                if (value.at(i) == QLatin1Char('\\') && i + 1 < value.size())
                    ++i;
                out += value.at(i);
            }
            return out;
        };
        QString quoted = unescape(exec);
        QVERIFY(quoted.startsWith(QLatin1Char('"')) && quoted.endsWith(QLatin1Char('"')));
        quoted = unescape(quoted.mid(1, quoted.size() - 2)).replace(QStringLiteral("%%"), "%");
        QCOMPARE(quoted, prefix + QStringLiteral("/voxsplice"));
        QCOMPARE(unescape(icon), prefix + QStringLiteral("/voxsplice.svg"));
    }
};

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
