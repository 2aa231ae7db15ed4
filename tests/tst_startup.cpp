// Start-up and shutdown: what is read, shown, written and deleted.
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "core/MacroHelp.h"
#include "core/Voices.h"
#include "helpers/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <sys/mount.h>
#include <unistd.h>

using testsupport::FormFixture;
using testsupport::WorkDir;

namespace {

void touch(const QString& path, const QByteArray& content = "x") {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QVariant stored(FormFixture& f, const char* key) {
    f.settings->sync();
    return f.settings->value(QStringLiteral("settings/") + QLatin1String(key));
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void firstStartShowsDefaults() {
        FormFixture f(QStringLiteral("first start"));
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        Form1& w = *f.form;
        const QString ffmpeg = f.work.file(QStringLiteral("ffmpeg/bin/ffmpeg"));
        QCOMPARE(w.windowTitle(), QStringLiteral("exe ok: ") + ffmpeg);
        QCOMPARE(w.ffmpegPath, ffmpeg);
        QVERIFY(QFileInfo(f.work.file(QStringLiteral("parts"))).isDir());
        QCOMPARE(w.File1->path(), f.work.file(QStringLiteral("parts")));
        QCOMPARE(w.txtOutDir->text(), QString());
        // The box keeps the help's lines (the text edit holds line breaks as paragraphs).
        QCOMPARE(w.txtOut->toPlainText(), macroHelpText().replace(QStringLiteral("\r\n"), "\n"));
        QCOMPARE(w.txtOut->document()->blockCount(), macroHelpText().count("\r\n") + 1);
        QCOMPARE(w.txtPy->text(), QStandardPaths::findExecutable(QStringLiteral("python3")));
        QCOMPARE(w.Combo1->count(), 45);
        for (int i = 0; i < 45; ++i)
            QCOMPARE(w.Combo1->itemText(i), voiceRows().at(i));
        QCOMPARE(w.Combo1->currentText(), QStringLiteral("Liam, TX3LPaxmHKxFdv7VOQHJ"));
        QVERIFY(f.messages.isEmpty());
    }

    void partsFolderListsWhatIsThere() {
        FormFixture f;
        QDir().mkpath(f.work.file(QStringLiteral("parts")));
        touch(f.work.file(QStringLiteral("parts/10.mp4")));
        touch(f.work.file(QStringLiteral("parts/2.mp4")));
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QCOMPARE(f.form->File1->count(), 2);
        QCOMPARE(f.form->File1->item(0)->text(), QStringLiteral("2.mp4"));
    }

    void storedVoiceIndexIsRestored_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("selected");
        QTest::newRow("a row") << QStringLiteral("3") << 3;
        QTest::newRow("none") << QStringLiteral("-1") << -1;
        QTest::newRow("out of range") << QStringLiteral("99") << -1;
        QTest::newRow("below -1") << QStringLiteral("-7") << -1;
        QTest::newRow("no number") << QStringLiteral("abc") << 0;
        QTest::newRow("empty") << QString() << 0;
    }
    void storedVoiceIndexIsRestored() {
        QFETCH(QString, stored);
        QFETCH(int, selected);
        FormFixture f;
        f.settings->setValue(QStringLiteral("settings/comboindex"), stored);
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QCOMPARE(f.form->Combo1->currentIndex(), selected);
    }

    void closingSavesTheVoiceAndANonEmptyOutputFolder() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        f.form->txtOutDir->setText(QStringLiteral("/videos/out put"));
        f.form->Combo1->setCurrentIndex(-1);
        f.reopen();
        QCOMPARE(stored(f, "comboindex").toString(), QStringLiteral("-1"));
        QCOMPARE(stored(f, "outdir").toString(), QStringLiteral("/videos/out put"));

        // Restored; then a cleared output folder does not erase the stored one.
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QCOMPARE(f.form->Combo1->currentIndex(), -1);
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/videos/out put"));
        f.form->txtOutDir->clear();
        f.form->Combo1->setCurrentIndex(44);
        f.reopen();
        QCOMPARE(stored(f, "comboindex").toString(), QStringLiteral("44"));
        QCOMPARE(stored(f, "outdir").toString(), QStringLiteral("/videos/out put"));
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/videos/out put"));
    }

    void closingRemovesOnlyJoinedAndTheParts() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const QStringList kept = {QStringLiteral("raw.mp4"), QStringLiteral("concat_files.txt"),
                                  QStringLiteral("complete.wav")};
        for (const QString& name : kept + QStringList{QStringLiteral("joined.mp4")})
            touch(f.work.file(name));
        for (const char* name : {"output000000000.mp4", "1.mp4", "notes.txt", ".hidden"})
            touch(f.work.file(QStringLiteral("parts/") + QLatin1String(name)));
        QDir().mkpath(f.work.file(QStringLiteral("parts/sub")));

        f.reopen();
        QVERIFY(!QFile::exists(f.work.file(QStringLiteral("joined.mp4"))));
        for (const QString& name : kept)
            QVERIFY2(QFile::exists(f.work.file(name)), qPrintable(name));
        const QDir parts(f.work.file(QStringLiteral("parts")));
        QVERIFY(parts.exists());
        QCOMPARE(parts.entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(parts.exists(QStringLiteral("sub"))); // folders are not files
    }

    void withoutFfmpegNothingIsShownWrittenOrDeleted() {
        // The real program, copied into a folder that has no ffmpeg.
        WorkDir work(QStringLiteral("no ffmpeg"), false);
        const QString program = work.file(QStringLiteral("voxsplice"));
        QVERIFY(QFile::copy(QDir(testsupport::appDir()).filePath(QStringLiteral("voxsplice")),
                            program));
        QDir().mkpath(work.file(QStringLiteral("parts")));
        touch(work.file(QStringLiteral("parts/output000000000.mp4")));
        touch(work.file(QStringLiteral("joined.mp4")));
        QTemporaryDir config;

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(program, {});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(err.contains(work.file(QStringLiteral("ffmpeg/bin/ffmpeg"))), qPrintable(err));
        QCOMPARE(QDir(config.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
        QVERIFY(QFile::exists(work.file(QStringLiteral("parts/output000000000.mp4"))));
        QVERIFY(QFile::exists(work.file(QStringLiteral("joined.mp4"))));
    }

    void aFolderThatCannotBeWrittenIsNamedAndLeftAlone() {
        FormFixture f(QStringLiteral("read only"));
        const QString root = f.work.path();
        bool mounted = false;
        if (::geteuid() == 0) {
            // Permissions do not stop root; a read-only bind of the folder onto itself does.
            const QByteArray path = QFile::encodeName(root);
            mounted = ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0 &&
                      ::mount(nullptr, path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY,
                              nullptr) == 0;
            if (!mounted)
                QSKIP("cannot make a read-only folder here");
        } else {
            QFile::setPermissions(root, QFile::ReadOwner | QFile::ExeOwner);
        }
        const auto load = f.load();
        const bool partsCreated = QFileInfo::exists(f.work.file(QStringLiteral("parts")));
        if (mounted)
            ::umount(QFile::encodeName(root).constData());
        else
            QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(load, Form1::LoadResult::FolderNotWritable);
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages.first().contains(root));
        QVERIFY(!partsCreated);
        f.form->close(); // no shutdown work for a window that never loaded
        f.settings->sync();
        QVERIFY(f.settings->allKeys().isEmpty());
    }

    void aSecondWindowOnTheSameFolderIsRefused() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QStringList messages;
        Form1 second(f.work.path(), f.settings.get());
        second.setMessageBoxHandler([&](const QString& text) { messages.append(text); });
        QCOMPARE(second.Form_Load(), Form1::LoadResult::AlreadyRunning);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().contains(f.work.path()));
        // Its closing deletes nothing of the first window's work.
        touch(f.work.file(QStringLiteral("parts/1.mp4")));
        second.close();
        QVERIFY(QFile::exists(f.work.file(QStringLiteral("parts/1.mp4"))));
        // Once the first window has closed, the folder is free again.
        f.reopen();
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
    }

    void garbageInTheSettingsFileIsSurvived() {
        FormFixture f;
        const QString path = f.settings->fileName();
        f.settings.reset();
        touch(path, QByteArray("\x00\xff[settings\ncomboindex=\"\x01\nouts\xfe\n[[", 30));
        f.settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        f.reopen();
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QVERIFY(f.form->Combo1->currentIndex() >= -1);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
