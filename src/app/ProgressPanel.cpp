#include "app/ProgressPanel.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

ProgressPanel::ProgressPanel(QWidget* parent)
    : QWidget(parent)
    , txtOut(new QPlainTextEdit(this))
    , Label9(new QLabel(tr("Ai Conversion Progress"), this))
    , lstAI(new QListWidget(this))
    , Command1(new QPushButton(tr("&Full Auto"), this))
    , chkKeepOriginal(new QCheckBox(tr("Keep ori&ginal voice"), this))
    , listAuto(new QListWidget(this))
    , lblResult(new QLabel(this))
    , cmdPlay(new QPushButton(tr("P&lay"), this))
    , cmdOpenFolder(new QPushButton(tr("Open fol&der"), this)) {
    setObjectName(QStringLiteral("progressPanel"));
    txtOut->setObjectName(QStringLiteral("txtOut"));
    Label9->setObjectName(QStringLiteral("Label9"));
    lstAI->setObjectName(QStringLiteral("lstAI"));
    Command1->setObjectName(QStringLiteral("Command1"));
    chkKeepOriginal->setObjectName(QStringLiteral("chkKeepOriginal"));
    listAuto->setObjectName(QStringLiteral("listAuto"));
    lblResult->setObjectName(QStringLiteral("lblResult"));
    cmdPlay->setObjectName(QStringLiteral("cmdPlay"));
    cmdOpenFolder->setObjectName(QStringLiteral("cmdOpenFolder"));
    Label9->setBuddy(lstAI);
    txtOut->setAccessibleName(tr("Tool output"));
    listAuto->setAccessibleName(tr("Log"));
    txtOut->setLineWrapMode(QPlainTextEdit::NoWrap);
    chkKeepOriginal->setToolTip(tr("Keep the original voice as a second track: after the new "
                                   "voice, not the default one, titled \"Original voice\"."));
    // The one button most people need: as large as the steps', and the one Enter presses.
    Command1->setDefault(true);
    lblResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblResult->setWordWrap(true);
    lblResult->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QPushButton* button : {cmdPlay, cmdOpenFolder})
        button->setAutoDefault(false);

    // The conversion's progress, Full Auto and its log, one above the other.
    auto* full = new QHBoxLayout;
    full->addWidget(Command1);
    full->addWidget(chkKeepOriginal);
    full->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label9);
    layout->addWidget(lstAI, 1);
    layout->addLayout(full);
    layout->addWidget(listAuto, 1);

    // How the last run ended, in a line of its own the window places below everything.
    resultLine = new QWidget(this);
    resultLine->setObjectName(QStringLiteral("resultLine"));
    lblResult->setParent(resultLine);
    cmdPlay->setParent(resultLine);
    cmdOpenFolder->setParent(resultLine);
    auto* result = new QHBoxLayout(resultLine);
    result->setContentsMargins(0, 0, 0, 0);
    result->addWidget(lblResult, 1);
    result->addWidget(cmdPlay);
    result->addWidget(cmdOpenFolder);
    clearResult();
}

void ProgressPanel::showResult(const QString& video) {
    m_result = video;
    lblResult->setText(tr("Done: %1").arg(QDir::toNativeSeparators(video)));
    resultLine->show();
    cmdPlay->show();
    cmdOpenFolder->show();
}

void ProgressPanel::showFailure(const QString& reason) {
    m_result.clear();
    lblResult->setText(tr("Failed: %1").arg(reason));
    resultLine->show();
    cmdPlay->hide();
    cmdOpenFolder->hide();
}

void ProgressPanel::clearResult() {
    m_result.clear();
    lblResult->clear();
    resultLine->hide();
}
