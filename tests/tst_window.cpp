// The window as drawn: controls, texts, geometry, tab order, fonts and menu.
#include "app/DropLineEdit.h"
#include "app/FileListBox.h"
#include "app/LinkLabel.h"
#include "helpers/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using testsupport::FormFixture;

namespace {

struct Drawn {
    const char* name;
    const char* kind; // the Qt class the control must be
    int left, top, width, height, tabIndex;
};

// The form's table, in twips.
const Drawn kForm[] = {
    {"txtInput", "QLineEdit", 600, 0, 7095, 315, 1},
    {"cmdBrowse", "QPushButton", 7860, 0, 735, 315, 2},
    {"Label1", "QLabel", 60, 60, 555, 315, 0},
    {"Label10", "QLabel", 9900, 60, 435, 315, 30},
    {"Combo1", "QComboBox", 10560, 60, 2955, 315, 29},
    {"txtOutDir", "QLineEdit", 600, 360, 7095, 285, 22},
    {"cmdOutDir", "QPushButton", 7860, 360, 735, 315, 23},
    {"Label8", "QLabel", 0, 420, 615, 255, 21},
    {"txtExtractCmd", "QLineEdit", 1020, 720, 8775, 315, 4},
    {"Command2", "QPushButton", 10020, 720, 1215, 375, 7},
    {"Label2", "QLabel", 0, 780, 915, 255, 3},
    {"Label7", "QLabel", 11940, 840, 1095, 255, 17},
    {"lblrefresh", "LinkLabel", 12420, 840, 555, 255, 19},
    {"lblOpenParts", "LinkLabel", 12420, 1080, 855, 255, 20},
    {"txtSplit", "QLineEdit", 1020, 1200, 8775, 375, 6},
    {"Command3", "QPushButton", 9960, 1260, 1335, 315, 8},
    {"Label3", "QLabel", 60, 1320, 735, 315, 5},
    {"lblDelOutput", "LinkLabel", 12420, 1320, 855, 255, 24},
    {"File1", "FileListBox", 11880, 1560, 1575, 2235, 18},
    {"txtPy", "QLineEdit", 2280, 1680, 7515, 315, 25},
    {"cmdConvert", "QPushButton", 9960, 1680, 1275, 375, 26},
    {"Label4", "QLabel", 60, 1740, 2535, 255, 9},
    {"Command4", "QPushButton", 9900, 2280, 1455, 315, 14},
    {"txtConcat", "QLineEdit", 1080, 2340, 8655, 315, 11},
    {"Label5", "QLabel", 60, 2400, 855, 255, 10},
    {"Command5", "QPushButton", 9960, 2880, 1455, 435, 15},
    {"txtIntegrate", "QLineEdit", 1140, 2940, 8595, 315, 13},
    {"Label6", "QLabel", 60, 3060, 915, 255, 12},
    {"txtOut", "QPlainTextEdit", 120, 3540, 9735, 4635, 16},
    {"Label9", "QLabel", 10020, 3900, 1695, 255, 28},
    {"lstAI", "QListWidget", 9900, 4140, 3735, 1815, 27},
    {"Command1", "QPushButton", 10020, 6120, 1155, 195, 31},
    {"listAuto", "QListWidget", 9960, 6360, 3735, 1815, 32},
};

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void controlsStandWhereTheFormHasThem() {
        FormFixture f;
        QWidget* client = f.form->centralWidget();
        QCOMPARE(client->size(), QSize(931, 555));
        QCOMPARE(client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(),
                 int(std::size(kForm)));
        for (const Drawn& d : kForm) {
            auto* w = client->findChild<QWidget*>(QString::fromLatin1(d.name),
                                                  Qt::FindDirectChildrenOnly);
            QVERIFY2(w, d.name);
            QVERIFY2(w->inherits(d.kind), d.name);
            QCOMPARE(w->geometry(), QRect(d.left / 15, d.top / 15, d.width / 15, d.height / 15));
            QCOMPARE(w->property("tabIndex").toInt(), d.tabIndex);
        }
    }

    void linksAreUnderlinedAndOutputBoxDoesNotWrap() {
        FormFixture f;
        for (QLabel* link :
             {static_cast<QLabel*>(f.form->lblrefresh), static_cast<QLabel*>(f.form->lblOpenParts),
              static_cast<QLabel*>(f.form->lblDelOutput)}) {
            QVERIFY(link->font().underline());
            QCOMPARE(link->font().pointSizeF(), 8.25);
            QVERIFY(!link->font().bold());
        }
        QVERIFY(!f.form->Label1->font().underline());
        QCOMPARE(f.form->txtOut->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(!f.form->txtOut->isReadOnly());
        QVERIFY(!f.form->Combo1->isEditable());
    }

    void toolsMenuHasThreeItems() {
        FormFixture f;
        const QList<QAction*> top = f.form->menuBar()->actions();
        QCOMPARE(top.size(), 1);
        QCOMPARE(top.first()->text(), QStringLiteral("Tools"));
        QStringList items;
        for (QAction* a : f.form->mnuTools->actions()) {
            items.append(a->text());
            QVERIFY(a->shortcut().isEmpty());
        }
        QCOMPARE(items, (QStringList{"Convert wmv to mp4", "Set elevenlabs_api_key env var",
                                     "Voice Samples"}));
    }

    void tabWalksRisingTabIndexFromTheInput() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        f.form->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()) || true);
        f.form->activateWindow();
        f.form->txtInput->setFocus();

        QList<const Drawn*> focusable;
        for (const Drawn& d : kForm) {
            if (QByteArray(d.kind) != "QLabel" && QByteArray(d.kind) != "LinkLabel")
                focusable.append(&d);
        }
        std::sort(focusable.begin(), focusable.end(),
                  [](const Drawn* a, const Drawn* b) { return a->tabIndex < b->tabIndex; });
        QWidget* w = f.form->txtInput;
        for (qsizetype i = 1; i < focusable.size(); ++i) {
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || !w->isVisible() ||
                   w->parentWidget() != f.form->centralWidget())
                w = w->nextInFocusChain();
            QCOMPARE(w->objectName(), QString::fromLatin1(focusable.at(i)->name));
        }
        for (QLabel* l : f.form->centralWidget()->findChildren<QLabel*>())
            QCOMPARE(l->focusPolicy(), Qt::NoFocus);
    }

    void resizingMovesNothing() {
        FormFixture f;
        QCOMPARE(f.load(), Form1::LoadResult::Ready);
        f.form->show();
        const QRect before = f.form->txtOut->geometry();
        const QRect list = f.form->listAuto->geometry();
        f.form->resize(1400, 900);
        QCoreApplication::processEvents();
        f.form->resize(500, 300);
        QCoreApplication::processEvents();
        QCOMPARE(f.form->txtOut->geometry(), before);
        QCOMPARE(f.form->listAuto->geometry(), list);
        QCOMPARE(f.form->centralWidget()->size(), QSize(931, 555));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
