// Choosing the input video and the output folder: the two "..." buttons and dropping files.
#include "app/DropLineEdit.h"
#include "helpers/TestSupport.h"

#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <memory>

using testsupport::FormFixture;
using testsupport::installDialogs;

namespace {

const QString kStartText = QStringLiteral("Can Drag & Drop");

// Drags `mime` onto `box` and drops it there, as the file manager does: the drop reaches the box
// only when it accepted the drag on entering. True when the box took the drop.
bool drop(QWidget* box, std::unique_ptr<QMimeData> mime) {
    const QPoint centre = box->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent event(QPointF(centre), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &event);
    return event.isAccepted();
}

std::unique_ptr<QMimeData> filesMime(const QStringList& paths) {
    auto mime = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    mime->setUrls(urls);
    return mime;
}

} // namespace

class TestInput : public QObject {
    Q_OBJECT
private slots:
    void browsingForAnInputProposesItsFolder() {
        FormFixture f;
        const QString video = f.work.file(QStringLiteral("clips with blanks/talk one.mp4"));
        auto* dialogs = installDialogs(*f.form, {video});
        f.form->txtOutDir->clear();

        f.form->cmdBrowse->click();

        QCOMPARE(dialogs->calls, QStringList{QStringLiteral("OpenFile||Open File")});
        QCOMPARE(f.form->txtInput->text(), video);
        QCOMPARE(f.form->txtOutDir->text(), f.work.file(QStringLiteral("clips with blanks")));
    }

    void browsingLeavesAnOutputFolderThatIsSet() {
        FormFixture f;
        installDialogs(*f.form, {f.work.file(QStringLiteral("a.mp4"))});
        // Even a folder that does not exist is the user's choice and stays.
        f.form->txtOutDir->setText(QStringLiteral("/no/such/folder"));

        f.form->cmdBrowse_Click();

        QCOMPARE(f.form->txtInput->text(), f.work.file(QStringLiteral("a.mp4")));
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/no/such/folder"));
    }

    void cancellingABrowseChangesNothing() {
        FormFixture f;
        auto* dialogs = installDialogs(*f.form); // every dialog is cancelled
        QCOMPARE(f.form->txtInput->text(), kStartText);
        f.form->txtOutDir->clear();

        f.form->cmdBrowse_Click();
        QCOMPARE(f.form->txtInput->text(), kStartText);
        QCOMPARE(f.form->txtOutDir->text(), QString());

        f.form->txtOutDir->setText(QStringLiteral("/videos/out"));
        f.form->cmdOutDir_Click();
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/videos/out"));
        QCOMPARE(dialogs->calls.size(), 2);
    }

    void theFolderDialogStartsAtTheOutputOrTheInputsFolder() {
        FormFixture f;
        auto* dialogs = installDialogs(
            *f.form, {QStringLiteral("/chosen/first"), QStringLiteral("/chosen/second")});
        f.form->txtInput->setText(QStringLiteral("/videos/in here/talk.mp4"));
        f.form->txtOutDir->clear();

        f.form->cmdOutDir->click(); // empty output folder: starts where the input is
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/chosen/first"));
        f.form->cmdOutDir_Click(); // now starts at the output folder
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/chosen/second"));

        QCOMPARE(dialogs->calls, (QStringList{QStringLiteral("PickFolder|/videos/in here"),
                                              QStringLiteral("PickFolder|/chosen/first")}));
        QCOMPARE(f.form->txtInput->text(), QStringLiteral("/videos/in here/talk.mp4"));
    }

    void droppingTakesTheFirstPathAndTouchesOnlyItsBox() {
        FormFixture f;
        f.form->txtOutDir->setText(QStringLiteral("/out"));
        const QStringList three = {QStringLiteral("/v/one.mp4"), QStringLiteral("/v/two.mp4"),
                                   QStringLiteral("/v/three.mp4")};

        f.form->txtInput_OLEDragDrop(three);
        QCOMPARE(f.form->txtInput->text(), three.first());
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/out"));

        // A file on the output box is taken as it is; nothing objects until a step uses it.
        f.form->txtOutDir_OLEDragDrop({QStringLiteral("/v/two.mp4")});
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/v/two.mp4"));
        QCOMPARE(f.form->txtInput->text(), three.first());

        f.form->txtInput_OLEDragDrop({});
        QCOMPARE(f.form->txtInput->text(), three.first());
    }

    void filesFromTheFileManagerLandInTheBoxTheyAreDroppedOn() {
        FormFixture f;
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("first clip.mp4"));
        const QString b = dir.filePath(QStringLiteral("second.mp4"));
        const QString c = dir.filePath(QStringLiteral("third.mp4"));
        f.form->txtOutDir->setText(QStringLiteral("/out"));

        QVERIFY(drop(f.form->txtInput, filesMime({a, b, c})));
        QCOMPARE(f.form->txtInput->text(), a);
        QCOMPARE(f.form->txtOutDir->text(), QStringLiteral("/out"));

        QVERIFY(drop(f.form->txtOutDir, filesMime({dir.path()})));
        QCOMPARE(f.form->txtOutDir->text(), dir.path());
    }

    void aDropWithoutFilesLeavesTheBoxAlone() {
        FormFixture f;
        auto text = std::make_unique<QMimeData>();
        text->setText(QStringLiteral("some words from another program"));
        QVERIFY(!drop(f.form->txtInput, std::move(text)));
        QCOMPARE(f.form->txtInput->text(), kStartText);

        // A web address is no file either.
        auto web = std::make_unique<QMimeData>();
        web->setUrls({QUrl(QStringLiteral("https://example.com/video.mp4"))});
        QVERIFY(!drop(f.form->txtOutDir, std::move(web)));
        QCOMPARE(f.form->txtOutDir->text(), QString());
    }
};

QTEST_MAIN(TestInput)
#include "tst_input.moc"
