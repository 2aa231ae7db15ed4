// The Debian package as a user gets it: built by CPack from this build, checked by the
// validators of Debian and of the desktops, unpacked into a folder of its own and run from
// there (the window's Full Auto, voxsplice-cli, the program itself) with nothing written into
// that folder.
#include "app/DropLineEdit.h"
#include "helpers/TestSupport.h"
#include "pipeline/WorkFolder.h"

#include <QDirIterator>
#include <QStandardPaths>
#include <QtTest>

using namespace testsupport;

class PackageTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_deb;
    QStringList m_tree; // every entry of the unpacked package: path, size, time written
    QProcessEnvironment m_env;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString installed(const QString& name) const { return path("root/usr/" + name); }

    // Every file and folder of the unpacked package.
    QFileInfoList unpacked() const {
        QFileInfoList entries;
        QDirIterator it(path("root"), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            entries.append(QFileInfo(it.next()));
        return entries;
    }
    // The unpacked package's entries as they are now.
    QStringList tree() const {
        QStringList entries;
        for (const QFileInfo& info : unpacked())
            entries.append(QStringLiteral("%1 %2 %3")
                               .arg(info.filePath(), QString::number(info.size()),
                                    info.lastModified().toString(Qt::ISODateWithMs)));
        entries.sort();
        return entries;
    }
    // Runs a program with `arguments` in the user's environment; its exit status, -1 when it
    // did not end; what it printed in `output`.
    int run(const QString& program, const QStringList& arguments, QString* output = nullptr,
            const QString& folder = QString()) {
        QProcess process;
        process.setProcessEnvironment(m_env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(folder);
        process.start(program, arguments);
        const bool ended = process.waitForFinished(300000);
        if (output)
            *output = QString::fromUtf8(process.readAll());
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    void setWritable(bool writable) const {
        const QFile::Permissions write = QFile::WriteOwner | QFile::WriteUser;
        for (const QFileInfo& info : unpacked()) {
            QFile entry(info.filePath());
            entry.setPermissions(writable ? entry.permissions() | write
                                          : entry.permissions() & ~write);
        }
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("dpkg-deb").isEmpty())
            QSKIP("dpkg-deb is missing: no Debian package can be built here");
        QVERIFY(makeVideo(path("talk.mp4"), 4));
        // A user's home of its own; the system's ffmpeg, as on a machine without a build.
        for (const char* folder : {"config", "cache", "data", "out", "cli"})
            QVERIFY(QDir().mkpath(path(folder)));
        m_env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"VOXSPLICE_FFMPEG", "VOXSPLICE_FFPROBE", "VOXSPLICE_APP_DIR",
                                 "elevenlabs_api_key", "PYTHONDONTWRITEBYTECODE"}) {
            m_env.remove(name);
            qunsetenv(name);
        }
        const QStringList home = {"HOME",           "",      "XDG_CONFIG_HOME", "config",
                                  "XDG_CACHE_HOME", "cache", "XDG_DATA_HOME",   "data"};
        for (int i = 0; i < home.size(); i += 2) {
            m_env.insert(home[i], path(home[i + 1]));
            qputenv(qPrintable(home[i]), QFile::encodeName(path(home[i + 1])));
        }
        m_env.insert("VOXSPLICE_OFFLINE_VOICE", "1");
        qputenv("VOXSPLICE_OFFLINE_VOICE", "1");

        // The build's package, compressed by gzip instead of xz: the same files, in a fraction
        // of the time.
        const QString config = path("CPackConfig.cmake");
        QVERIFY(putFile(config,
                        "include(\"" + fromCtest("VOXSPLICE_BUILD_DIR").toUtf8() +
                            "/CPackConfig.cmake\")\nset(CPACK_DEBIAN_COMPRESSION_TYPE gzip)\n"));
        QString said;
        QCOMPARE(run(fromCtest("VOXSPLICE_CPACK"),
                     {"-G", "DEB", "-B", path("package"), "--config", config}, &said,
                     fromCtest("VOXSPLICE_BUILD_DIR")),
                 0);
        const QStringList debs = QDir(path("package")).entryList({"voxsplice_*.deb"});
        QVERIFY2(debs.size() == 1, qPrintable(said));
        m_deb = path("package/" + debs.first());
        QCOMPARE(run("dpkg-deb", {"-x", m_deb, path("root")}), 0);
        setWritable(false);
        m_tree = tree();
        // The libraries' packages came from dpkg-shlibdeps, beside the programs it runs.
        QString depends;
        QCOMPARE(run("dpkg-deb", {"-f", m_deb, "Depends"}, &depends), 0);
        QVERIFY2(depends.contains("libqt6widgets6") && depends.contains("ffmpeg") &&
                     depends.contains("python3"),
                 qPrintable(depends));
    }

    void cleanupTestCase() {
        if (m_deb.isEmpty())
            return;
        const QStringList now = tree();
        QStringList written;
        for (const QString& entry : now) {
            if (!m_tree.contains(entry))
                written.append(entry);
        }
        QVERIFY2(written.isEmpty() && now.size() == m_tree.size(), qPrintable(written.join('\n')));
        setWritable(true);
    }

    void validators_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        addRow("lintian", QString("lintian"), QStringList{"--fail-on", "error", "%deb"});
        addRow("desktop entry", QString("desktop-file-validate"),
               QStringList{"%share/applications/org.voxsplice.voxsplice.desktop"});
        addRow("AppStream", QString("appstreamcli"),
               QStringList{"validate", "--no-net",
                           "%share/metainfo/org.voxsplice.voxsplice.metainfo.xml"});
    }

    void validators() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP(qPrintable(program + " is missing (tools/install-deps.sh installs it)"));
        arguments.replaceInStrings("%deb", m_deb);
        arguments.replaceInStrings("%share", installed("share"));
        QString said;
        QVERIFY2(run(program, arguments, &said) == 0, qPrintable(said));
    }

    // The window on the installed program's files: its scripts, the system's ffmpeg, the
    // working files in the user's data folder (%ap).
    void windowFullAuto() {
        QCoreApplication::setOrganizationName("voxsplice");
        QCoreApplication::setApplicationName("voxsplice");
        QSettings settings(path("window.ini"), QSettings::IniFormat);
        Form1 window(WorkFolder::forProgram(installed("bin")), &settings);
        QStringList messages;
        window.setMessageBoxHandler([&messages](const QString& text) { messages.append(text); });
        window.setSoundPlayer([](const QString&) {});
        QCOMPARE(window.Form_Load(), Form1::LoadResult::Ready);
        QCOMPARE(window.windowTitle(), "exe ok: " + QStandardPaths::findExecutable("ffmpeg"));
        window.ui().txtInput->setText(path("talk.mp4"));
        window.ui().txtOutDir->setText(path("out"));
        window.Command1_Click();
        QVERIFY(QTest::qWaitFor([&window] { return !window.isRunning(); }, 300000));
        QVERIFY2(logRows(window.ui().lstAI).contains("Complete!"),
                 qPrintable(messages.join('\n') + window.ui().txtOut->toPlainText()));
        QVERIFY(inSync(path("out/talk_AI.mp4")));
        QVERIFY(QFile::exists(path("data/voxsplice/voxsplice/parts/run.json")));
    }

    void commandLine() {
        QString said;
        QCOMPARE(
            run(installed("bin/voxsplice-cli"), {"--out", path("cli"), path("talk.mp4")}, &said),
            0);
        QVERIFY2(inSync(path("cli/talk_AI.mp4")), qPrintable(said));
    }

    // The program from the unpacked package starts on the user's data folder: it locks it and
    // makes its parts folder there.
    void programStarts() {
        QProcess program;
        QProcessEnvironment env = m_env;
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start(installed("bin/voxsplice"), {});
        const QString work = path("data/voxsplice/voxsplice/");
        QVERIFY(QTest::qWaitFor(
            [&] {
                return QFileInfo(work + "parts").isDir() && QFile::exists(work + ".voxsplice.lock");
            },
            60000));
        QCOMPARE(program.state(), QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(30000));
    }
};

QTEST_MAIN(PackageTest)
#include "tst_package.moc"
