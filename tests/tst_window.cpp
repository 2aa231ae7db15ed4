// The window around the pipeline: start-up and shutdown with their settings, choosing input and
// output, and the Tools menu.
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/LinkLabel.h"
#include "app/Sound.h"
#include "app/SpeakersPanel.h"
#include "app/VoicePanel.h"
#include "app/VoiceSamplesDialog.h"
#include "app/VoiceSettingsDialog.h"
#include "core/RunRecord.h"
#include "helpers/TestSupport.h"
#include "platform/Platform.h"
#include "platform/UserEnvironment.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <sys/mount.h>
#include <unistd.h>

using namespace testsupport;

namespace {

// Records what would start instead of starting it.
struct RecordingLauncher : Launcher {
    QStringList started;
    qint64 startProgram(const QString& program, WindowStyle style) override {
        started << QStringLiteral("program %1 %2").arg(program).arg(int(style));
        return program.endsWith("broken") ? 0 : 42;
    }
    bool openFolder(const QString& folder) override {
        started << "folder " + folder;
        return true;
    }
};

// Lays out what waits to be, inner layouts first, each of which may ask its outer one again.
void settleLayouts() {
    for (int round = 0; round < 8; ++round)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

// The controls a user sees: buttons, labels, boxes and lists, not the parts they are made of.
QList<QWidget*> controlsOf(QWidget* window) {
    const auto isControl = [](const QWidget* w) {
        return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w) ||
               qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
               qobject_cast<const QAbstractSpinBox*>(w) ||
               qobject_cast<const QAbstractScrollArea*>(w) ||
               qobject_cast<const QProgressBar*>(w) || qobject_cast<const QMenuBar*>(w);
    };
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        bool inner = false;
        for (QWidget* up = w->parentWidget(); up && up != window; up = up->parentWidget())
            inner = inner || isControl(up);
        if (isControl(w) && !inner && w->isVisibleTo(window))
            controls << w;
    }
    return controls;
}

// Where `window`'s layout fails its user: a control outside the window, two on top of each
// other, a text cut. Empty when none does.
QStringList layoutFaults(QWidget* window) {
    QStringList faults;
    const QList<QWidget*> controls = controlsOf(window);
    const auto place = [window](QWidget* w) {
        return QRect(w->mapTo(window, QPoint()), w->size());
    };
    const auto name = [](QWidget* w) {
        return w->objectName() + ":" + w->metaObject()->className();
    };
    for (qsizetype i = 0; i < controls.size(); ++i) {
        QWidget* w = controls.at(i);
        if (!window->rect().contains(place(w)))
            faults << name(w) + " outside the window";
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            if (place(w).intersects(place(controls.at(j))))
                faults << name(w) + " over " + name(controls.at(j));
        }
        QSize needs;
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap())
            needs = label->minimumSizeHint();
        else if (label)
            needs = {0, label->heightForWidth(label->width())};
        else if (auto* push = qobject_cast<QPushButton*>(w)) // its text and a margin
            needs = {push->fontMetrics().horizontalAdvance(QString(push->text()).remove('&')) + 8,
                     push->sizeHint().height()};
        else if (qobject_cast<QAbstractButton*>(w))
            needs = w->sizeHint();
        else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                 qobject_cast<QAbstractSpinBox*>(w))
            needs = w->minimumSizeHint();
        if (needs.width() > w->width() || needs.height() > w->height())
            faults << QStringLiteral("%1 cut: %2x%3 needs %4x%5")
                          .arg(name(w))
                          .arg(w->width())
                          .arg(w->height())
                          .arg(needs.width())
                          .arg(needs.height());
    }
    return faults;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qunsetenv(kApiKeyVariable); }

    // Start-up fills the window; closing keeps the voice and a non-empty output folder and
    // removes joined.mp4 and the pieces, nothing else; the next start restores them.
    void startAndClose() {
        FormFixture f(QStringLiteral("first start"));
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const Form1Ui& ui = f.ui();
        QCOMPARE(f.form->windowTitle(), "exe ok: " + f.work("ffmpeg/bin/ffmpeg"));
        QCOMPARE(ui.File1->path(), f.work("parts"));
        QCOMPARE(ui.txtPy->text(), QStandardPaths::findExecutable("python3"));

        ui.txtOutDir->setText("/somewhere/gone");
        ui.Combo1->setCurrentIndex(2);
        ui.spnPieces->setValue(5);
        ui.chkKeepBackground->setChecked(true);
        ui.chkKeepOriginal->setChecked(true);
        ui.cboSeparation->setCurrentText("service");
        for (const char* name : {"joined.mp4", "raw.mp4", "concat_files.txt", "parts/1.mp4",
                                 "parts/output000000003.mp4"})
            QVERIFY(putFile(f.work(name)));
        f.reopen();
        QCOMPARE(namesIn(f.work("parts")), QStringList());
        QVERIFY(!QFile::exists(f.work("joined.mp4")) && QFile::exists(f.work("raw.mp4")) &&
                QFile::exists(f.work("concat_files.txt")));
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QCOMPARE(f.ui().txtOutDir->text(), QString("/somewhere/gone"));
        QCOMPARE(f.ui().Combo1->currentIndex(), 2);
        QVERIFY(f.ui().spnPieces->value() == 5 && f.ui().chkKeepBackground->isChecked() &&
                f.ui().chkKeepOriginal->isChecked() &&
                f.ui().cboSeparation->currentText() == "service");
        // An emptied output folder is not stored; no voice is stored as "-1".
        f.ui().txtOutDir->clear();
        f.ui().Combo1->setCurrentIndex(-1);
        f.reopen();
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QCOMPARE(f.ui().txtOutDir->text(), QString("/somewhere/gone"));
        QCOMPARE(f.ui().Combo1->currentIndex(), -1);

        // The voice's settings: what the dialog keeps comes back; the service's defaults keep
        // nothing; a stored value out of range or of no form counts as not set.
        // One dialog at a time: given `settings` and then accepted.
        const auto keep = [&f](const VoiceSettings& settings) {
            f.w().cmdVoiceSettings_Click();
            auto* dialog = f.form->findChild<VoiceSettingsDialog*>();
            const VoiceSettings was = dialog->settings();
            dialog->setSettings(settings);
            dialog->accept(); // and gone once deletions are done
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return was;
        };
        VoiceSettings shaped;
        shaped.model = kEnglishModel;
        shaped.stability = 0.4;
        shaped.style = 0;
        shaped.speakerBoost = false;
        shaped.denoise = true;
        shaped.seed = 4294967295U;
        keep(shaped);
        f.reopen();
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        f.settings->setValue("settings/similarity", "1.5");
        f.settings->setValue("settings/seed", "-3");
        shaped.seed.reset();
        QCOMPARE(keep({}), shaped);
        for (const QString& key : VoiceSettings::keys())
            QVERIFY(!f.settings->contains("settings/" + key));
    }

    // At any scale (the screens CTest gives this test) and with a large font: nothing cut,
    // nothing on top of anything, the Commands open or folded, at the first size and the
    // smallest; at the system's font the window fits the screen with room for a title bar and a
    // panel. Screen readers name the boxes by their labels.
    void layoutFits_data() {
        QTest::addColumn<int>("points"); // the font's size, 0 for the system's
        addRow("system font", 0);
        addRow("14 pt font", 14);
    }
    void layoutFits() {
        QFETCH(int, points);
        const QFont system = QApplication::font();
        const auto restore = qScopeGuard([&system] { QApplication::setFont(system); });
        if (points) {
            QFont large = system;
            large.setPointSize(points);
            QApplication::setFont(large);
        }
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        const QRect screen = f.form->screen()->availableGeometry();
        if (!points) {
            QVERIFY(screen.contains(f.form->geometry()));
            const QSize least = f.form->minimumSizeHint();
            QVERIFY2(least.width() <= screen.width() && least.height() + 80 <= screen.height(),
                     qPrintable(QStringLiteral("%1x%2 on %3x%4")
                                    .arg(least.width())
                                    .arg(least.height())
                                    .arg(screen.width())
                                    .arg(screen.height())));
        }
        for (const bool open : {false, true}) {
            if (open)
                f.ui().grpCommands->click();
            settleLayouts();
            for (const QSize size : {f.form->size(), f.form->minimumSizeHint()}) {
                f.form->resize(size);
                settleLayouts();
                const QStringList faults = layoutFaults(f.form.get());
                QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
            }
        }
        // Full Auto is as large as a step's button, and Enter presses it.
        QVERIFY(f.ui().Command1->height() >= f.ui().Command2->height() &&
                f.ui().Command1->isDefault());

        const QList<std::pair<QWidget*, QString>> names = {
            {f.ui().txtInput, "Input"},
            {f.ui().txtOutDir, "OutDir"},
            {f.ui().txtExtractCmd, "Extract Cmd"},
            {f.ui().txtSplit, "split cmd"},
            {f.ui().txtPy, "ai translate audio python path:"},
            {f.ui().txtConcat, "rejoin cmd"},
            {f.ui().txtIntegrate, "reintegrate"},
            {f.ui().Combo1, "Voice"},
            {f.ui().spnPieces, "Pieces at once"},
            {f.ui().File1, "Parts"},
            {f.ui().listAuto, "Log"},
            {f.ui().Command1, "Full Auto"},
            {f.ui().cmdStop, "Stop"}};
        for (const auto& [control, expected] : names) {
            // A list box is read by its choice; the name it is given goes with it on Linux.
            const QString name =
                qobject_cast<QComboBox*>(control)
                    ? control->accessibleName()
                    : QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
            QCOMPARE(name, expected);
        }
    }

    // Without ffmpeg the real program shows nothing, says where it looked on its error output,
    // and writes and deletes nothing.
    void withoutFfmpeg() {
        FormFixture f(QStringLiteral("no ffmpeg"), false);
        QVERIFY(QFile::copy(fromCtest("VOXSPLICE_APP_DIR") + "/voxsplice", f.work("voxsplice")));
        QVERIFY(putFile(f.work("parts/output000000000.mp4")));
        QTemporaryDir config;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        program.setProcessEnvironment(env);
        program.start(f.work("voxsplice"), {});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(program.readAllStandardError().contains(f.work("ffmpeg/bin/ffmpeg").toUtf8()));
        QCOMPARE(QDir(config.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
        QVERIFY(QFile::exists(f.work("parts/output000000000.mp4")));
    }

    // A folder the program cannot write to, or one another copy works in, is named and left
    // alone.
    void folderRefused() {
        // Installed, where its working folder cannot be made in the data folder.
        FormFixture installed;
        QVERIFY(putFile(installed.work("data")));
        Form1 blocked(WorkFolder(installed.work("data/voxsplice"), installed.work("")),
                      installed.settings.get());
        QStringList refused;
        blocked.setMessageBoxHandler([&refused](const QString& text) { refused << text; });
        QCOMPARE(blocked.Form_Load(), Form1::LoadResult::FolderNotWritable);
        QVERIFY(refused.value(0).contains(installed.work("data/voxsplice")));

        FormFixture f(QStringLiteral("read only"));
        const QByteArray root = QFile::encodeName(f.work(""));
        if (::geteuid() != 0 || ::mount(root, root, nullptr, MS_BIND, nullptr) != 0 ||
            ::mount(nullptr, root, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            QSKIP("cannot make a read-only folder here");
        const auto loaded = f.load();
        const bool partsMade = QFileInfo::exists(f.work("parts"));
        ::umount(root);
        QCOMPARE(loaded, Form1::LoadResult::FolderNotWritable);
        QVERIFY(f.messages.value(0).contains(f.work("")) && !partsMade);

        FormFixture first;
        QCOMPARE(first.load(), Form1::LoadResult::Ready);
        QStringList said;
        Form1 second(WorkFolder(first.work("")), first.settings.get());
        second.setMessageBoxHandler([&said](const QString& text) { said << text; });
        QCOMPARE(second.Form_Load(), Form1::LoadResult::AlreadyRunning);
        QVERIFY(said.value(0).contains("already running"));
        QVERIFY(putFile(first.work("parts/1.mp4")));
        second.close(); // deletes nothing of the first window's work
        QVERIFY(QFile::exists(first.work("parts/1.mp4")));
    }

    // Browsing proposes the input's folder as the output folder only when none is set; a cancel
    // changes nothing; a drop takes the first path, on the box it lands on.
    void choosingInputAndOutput() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const Form1Ui& ui = f.ui();
        auto* dialogs = installDialogs(f.w(), {"/v/talk.mp4", "", "/v2/b.mp4", "/chosen"});
        f.w().cmdBrowse_Click();
        QCOMPARE(ui.txtOutDir->text(), QString("/v"));
        f.w().cmdBrowse_Click(); // cancelled
        f.w().cmdBrowse_Click();
        QCOMPARE(ui.txtInput->text(), QString("/v2/b.mp4"));
        QCOMPARE(ui.txtOutDir->text(), QString("/v"));
        f.w().cmdOutDir_Click();
        QCOMPARE(ui.txtOutDir->text(), QString("/chosen"));
        QCOMPARE(dialogs->calls.last(), QString("PickFolder|/v"));
        f.w().txtOutDir_OLEDragDrop({"/d1", "/d2"});
        f.w().txtInput_OLEDragDrop({});
        QCOMPARE(ui.txtOutDir->text(), QString("/d1"));
        QCOMPARE(ui.txtInput->text(), QString("/v2/b.mp4"));
    }

    // A voice for each speaker from subtitles, with the offline voice: the speakers panel names
    // them, keeps what the user gives them, and a turn given to another speaker stays theirs in
    // the next run; pieces cut for the speakers as they were are not converted.
    void speakersPanel() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        qputenv("VOXSPLICE_OFFLINE_VOICE", "1");
        const QString vtt = f.dir.filePath("talk.vtt");
        QVERIFY(makeVideo(f.dir.filePath("talk.mp4"), 3) &&
                putFile(vtt, "WEBVTT\n\n00:00.200 --> 00:01.200\n<v Host>Hello there\n\n"
                             "00:01.600 --> 00:02.800\n<v Guest>Hi\n"));
        installDialogs(f.w(), {vtt});
        f.ui().mnuSpeakersFrom->trigger();
        QVERIFY(f.ui().voice->chkSpeakers->isChecked());
        f.ui().txtInput->setText(f.dir.filePath("talk.mp4"));
        f.ui().txtOutDir->setText(f.dir.path());
        f.w().Command1_Click();
        QVERIFY(f.settle());
        SpeakersPanel* panel = f.ui().speakers;
        QVERIFY2(!panel->isHidden() && panel->lstSpeakers->topLevelItemCount() == 2,
                 qPrintable(logRows(f.ui().listAuto).join('\n')));
        QCOMPARE(panel->lstTurns->topLevelItem(1)->text(1), QString("Guest"));
        const auto record = [&f] {
            QFile file(f.work("parts/run.json"));
            return file.open(QIODevice::ReadOnly)
                       ? RunRecord::fromJson(file.readAll(), nullptr).value_or(RunRecord())
                       : RunRecord();
        };
        panel->lstSpeakers->topLevelItem(0)->setText(0, "Ann");
        auto* voice = qobject_cast<QComboBox*>(
            panel->lstSpeakers->itemWidget(panel->lstSpeakers->topLevelItem(1), 4));
        voice->setCurrentIndex(voice->findData(QString("original")));
        QCOMPARE(record().speakers,
                 (QList<RecordedSpeaker>{{"Host", "Ann", ""}, {"Guest", "", "original"}}));
        // Guest's turn to Ann: converting the pieces cut before is refused; Full Auto cuts them
        // again, and the turn stays Ann's.
        panel->lstTurns->topLevelItem(1)->setSelected(true);
        panel->cboGiveTo->setCurrentIndex(0);
        panel->cmdGiveTurn->click();
        f.w().cmdConvert_Click();
        QVERIFY(f.settle());
        QVERIFY2(f.messages.last().startsWith("Some turns were given to another speaker"),
                 qPrintable(f.messages.join('|')));
        f.w().setQuestionHandler([](const QString&) { return true; });
        f.w().Command1_Click();
        QVERIFY(f.settle());
        const RunRecord again = record();
        QVERIFY(again.turns.size() == 2 && again.turns.at(1).speaker == 0 &&
                again.pieces.size() == 1 && again.pieces.first().spans.size() == 2);
        QVERIFY2(f.ui().File1->item(0)->text().startsWith("Piece 1 of 1, Ann, turns from 0:00"),
                 qPrintable(f.ui().File1->item(0)->text()));
        // Her piece to hear beside its original (her turns as they went), then redone alone.
        f.ui().File1->setCurrentRow(0);
        QVERIFY(QTest::qWaitFor(
            [&f] { return QFileInfo(f.work(".piece-original.mp4")).size() > 0; }, 60000));
        f.w().cmdRedoPiece_Click();
        QVERIFY(f.settle());
        QVERIFY2(record().pieces.first().redone && record().pieces.first().earlierTakes.size() == 1,
                 qPrintable(logRows(f.ui().listAuto).join('\n')));
        // Her 8 s to hear, cut out of the original.
        qobject_cast<QPushButton*>(
            panel->lstSpeakers->itemWidget(panel->lstSpeakers->topLevelItem(0), 3))
            ->click();
        QVERIFY(QTest::qWaitFor(
            [&f] { return QFileInfo(f.work(".speaker-sample.mp4")).size() > 0; }, 60000));
        // Subtitles loaded for this video are not another video's.
        installDialogs(f.w(), {vtt});
        f.ui().mnuSpeakersFrom->trigger();
        QCOMPARE(f.w().runInputs().speakersFrom, vtt);
        f.ui().txtInput->setText(f.dir.filePath("other.mp4"));
        QVERIFY(f.w().runInputs().speakersFrom.isEmpty());
        qunsetenv("VOXSPLICE_OFFLINE_VOICE");
    }

    // Tools > Convert wmv to mp4 asks both questions first; the new file becomes the input and
    // its size is told. An existing output is kept, and the input too.
    void convertToMp4() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        const QString input = f.dir.filePath("talk show.wmv");
        QVERIFY(runFfmpeg({"-f", "lavfi", "-i", "testsrc=d=1", "-f", "lavfi", "-i", "sine=d=1",
                           "-c:v", "wmv2", "-c:a", "wmav2", input}));
        const QString output = f.dir.filePath("talk show.mp4");
        auto* dialogs = installDialogs(f.w(), {input, output, input, output});
        f.ui().mnuConvertWMV->trigger();
        QVERIFY(f.settle());
        QCOMPARE(dialogs->calls.value(1), "SaveFile|talk show.mp4|" + f.dir.path() + "|Save File");
        QCOMPARE(f.ui().txtInput->text(), output);
        QVERIFY(f.ui().txtOut->toPlainText().endsWith("FileSize: " +
                                                      QString::number(QFileInfo(output).size())));
        f.ui().txtInput->setText("kept");
        f.w().mnuConvertWMV_Click();
        QVERIFY(f.settle());
        QVERIFY(f.ui().txtOut->toPlainText().startsWith("Error: "));
        QCOMPARE(f.ui().txtInput->text(), QString("kept"));
    }

    // The key reaches this program's tools and the next start, in a file only its owner reads;
    // it is never shown. A cancel changes nothing.
    void apiKey() {
        const QString key = QStringLiteral("  sk_never_shown \"q\" $HOME ");
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        installDialogs(f.w(), {"", key});
        f.w().mnuSetApiKey_Click();
        QVERIFY(!qEnvironmentVariableIsSet(kApiKeyVariable));
        f.w().mnuSetApiKey_Click();
        QCOMPARE(qEnvironmentVariable(kApiKeyVariable), key);
        QCOMPARE(QFile(userEnvironmentFile()).permissions() & 0x0077, QFileDevice::Permissions());
        qunsetenv(kApiKeyVariable);
        f.reopen();
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        QCOMPARE(qEnvironmentVariable(kApiKeyVariable), key);
        // Where it cannot be kept, the message says so, without the key; it holds for now.
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        QVERIFY(putFile(f.dir.filePath("blocker")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(f.dir.filePath("blocker")));
        installDialogs(f.w(), {key});
        f.w().mnuSetApiKey_Click();
        qputenv("XDG_CONFIG_HOME", config);
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(qEnvironmentVariable(kApiKeyVariable), key);
        for (const QString& text : f.messages + QStringList{f.ui().txtOut->toPlainText()})
            QVERIFY(!text.contains("sk_never_shown"));
        for (const QWidget* widget : f.form->findChildren<QWidget*>()) {
            for (const QByteArray property : {"text", "plainText", "currentText"})
                QVERIFY(!widget->property(property).toString().contains("sk_never_shown"));
        }
    }

    // The parts panel: "del output*" removes the segments only, and not while a run may read
    // them; files dropped from the file manager land in the box they are dropped on; the real
    // dialogs answer once closed; sounds and started programs do not need a device or a window.
    void panelDropsDialogsAndSound() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        for (const char* name : {"parts/1.mp4", "parts/output000000000.mp4", "parts/output7.txt"})
            QVERIFY(putFile(f.work(name)));
        QTest::mouseClick(f.ui().lblrefresh, Qt::LeftButton);
        QCOMPARE(f.ui().File1->count(), 3);
        f.w().lblOpenParts_Click(); // the file manager, where there is one
        f.w().lblDelOutput_Click();
        QCOMPARE(namesIn(f.work("parts")), QStringList{"1.mp4"});
        QCOMPARE(f.ui().File1->count(), 1);

        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile("/dropped/a.mp4"), QUrl("https://x/b.mp4")});
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        static_cast<QObject*>(f.ui().txtInput)->event(&drop); // as the file manager delivers it
        QCOMPARE(f.ui().txtInput->text(), QString("/dropped/a.mp4"));

        QString answer = "none";
        PickerDialogs dialogs(f.form.get());
        dialogs.OpenFile(f.dir.path(), "Open File", [&answer](const QString& a) { answer = a; });
        auto* dialog = f.form->findChild<QFileDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        dialog->reject();
        QCOMPARE(answer, QString());
        dialogs.AskText("key?", [&answer](const QString& a) { answer = a; });
        auto* ask = f.form->findChild<QInputDialog*>();
        ask->setTextValue(" typed ");
        ask->accept();
        QCOMPARE(answer, QString(" typed "));
        // The key shows as dots until "Show" is ticked.
        dialogs.AskSecret("key?", [&answer](const QString& a) { answer = a; });
        QDialog* keyBox = f.form->findChildren<QDialog*>().last();
        auto* secret = keyBox->findChild<QLineEdit*>();
        QCOMPARE(secret->echoMode(), QLineEdit::Password);
        keyBox->findChild<QCheckBox*>()->setChecked(true);
        QCOMPARE(secret->echoMode(), QLineEdit::Normal);
        secret->setText("sk-key");
        keyBox->accept();
        QCOMPARE(answer, QString("sk-key"));

        playWave(f.work("complete.wav"));
        playWave(f.work("missing.wav"));
        QVERIFY(startProgram("/bin/true", WindowStyle::NormalFocus) > 0);
        QCOMPARE(startProgram("/no/such/program", WindowStyle::NormalFocus), 0);
    }

    // Voice samples: the player when it is there (minimized), else the samples folder, else
    // nothing.
    void voiceSamples() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        auto* launcher = new RecordingLauncher;
        f.w().setLauncher(std::unique_ptr<Launcher>(launcher));
        // Neither the player program nor the samples: the voices' own previews, which need a key.
        qunsetenv("elevenlabs_api_key");
        f.w().mnuVoiceSamples_Click();
        auto* player = f.form->findChild<VoiceSamplesDialog*>();
        QVERIFY(player && player->voices()->currentRow() == f.ui().Combo1->currentIndex());
        QTRY_VERIFY_WITH_TIMEOUT(player->status().contains("need an ElevenLabs API key"), 30000);
        player->reject();
        QVERIFY(QDir().mkpath(f.work("voices/samples")));
        f.w().mnuVoiceSamples_Click();
        QVERIFY(QDir(f.work("voices")).removeRecursively() && putFile(f.work("voices")));
        f.w().mnuVoiceSamples_Click();
        QCOMPARE(launcher->started, (QStringList{"folder " + f.work("voices/samples"),
                                                 "program " + f.work("voices") + " 2"}));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
