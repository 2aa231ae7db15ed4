#include "app/PartsPanel.h"

#include "app/ABPlayer.h"
#include "app/FileListBox.h"
#include "app/LinkLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PartsPanel::PartsPanel(QWidget* parent)
    : QWidget(parent)
    , Label7(new QLabel(tr("Parts"), this))
    , lblrefresh(new LinkLabel(tr("refresh"), this))
    , lblOpenParts(new LinkLabel(tr("open"), this))
    , lblDelOutput(new LinkLabel(tr("del output*"), this))
    , File1(new FileListBox(this))
    , lblPiece(new QLabel(this))
    , cmdRedoPiece(new QPushButton(tr("Re&do piece"), this))
    , cmdEarlierTake(new QPushButton(tr("&Use earlier take"), this)) {
    setObjectName(QStringLiteral("partsPanel"));
    Label7->setObjectName(QStringLiteral("Label7"));
    lblrefresh->setObjectName(QStringLiteral("lblrefresh"));
    lblOpenParts->setObjectName(QStringLiteral("lblOpenParts"));
    lblDelOutput->setObjectName(QStringLiteral("lblDelOutput"));
    File1->setObjectName(QStringLiteral("File1"));
    Label7->setBuddy(File1);
    File1->setAccessibleName(tr("Parts")); // a list is not named by its label's buddy
    lblrefresh->setToolTip(tr("Read the parts folder again"));
    lblOpenParts->setToolTip(tr("Open the parts folder in the file manager"));
    lblDelOutput->setToolTip(tr("Remove the cut pieces (output*) from the parts folder"));
    auto* links = new QHBoxLayout;
    links->addWidget(Label7);
    links->addStretch(1);
    for (LinkLabel* link : {lblrefresh, lblOpenParts, lblDelOutput})
        links->addWidget(link);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(links);
    layout->addWidget(File1, 1);

    lblPiece->setObjectName(QStringLiteral("lblPiece"));
    cmdRedoPiece->setObjectName(QStringLiteral("cmdRedoPiece"));
    cmdEarlierTake->setObjectName(QStringLiteral("cmdEarlierTake"));
    lblPiece->setWordWrap(true);
    lblPiece->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblPiece->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cmdRedoPiece->setToolTip(tr("Convert this piece again with the voice and settings chosen "
                                "now, as a new take; the video is made again with it"));
    cmdEarlierTake->setToolTip(tr("Bring back the take this piece had before, without a request"));
    for (QPushButton* button : {cmdRedoPiece, cmdEarlierTake})
        button->setAutoDefault(false);
    auto* takes = new QHBoxLayout;
    takes->addWidget(cmdRedoPiece);
    takes->addWidget(cmdEarlierTake);
    takes->addStretch(1);
    layout->addWidget(lblPiece);
    layout->addLayout(takes);
    m_layout = layout;
    showPiece(QString(), false);
}

ABPlayer* PartsPanel::player() {
    if (!m_player) {
        m_player = new ABPlayer(this);
        m_player->setObjectName(QStringLiteral("plyPiece"));
        m_layout->insertWidget(m_layout->indexOf(lblPiece) + 1, m_player);
    }
    return m_player;
}

void PartsPanel::unloadPlayer() {
    if (m_player)
        m_player->unload();
}

void PartsPanel::showPiece(const QString& what, bool earlierTake) {
    lblPiece->setText(what);
    lblPiece->setVisible(!what.isEmpty());
    if (m_player)
        m_player->setVisible(!what.isEmpty());
    cmdRedoPiece->setVisible(!what.isEmpty());
    cmdEarlierTake->setVisible(!what.isEmpty());
    cmdEarlierTake->setEnabled(earlierTake);
    if (what.isEmpty())
        unloadPlayer();
}
