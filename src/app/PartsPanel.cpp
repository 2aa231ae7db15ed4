#include "app/PartsPanel.h"

#include "app/FileListBox.h"
#include "app/LinkLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

PartsPanel::PartsPanel(QWidget* parent)
    : QWidget(parent)
    , Label7(new QLabel(tr("Parts"), this))
    , lblrefresh(new LinkLabel(tr("refresh"), this))
    , lblOpenParts(new LinkLabel(tr("open"), this))
    , lblDelOutput(new LinkLabel(tr("del output*"), this))
    , File1(new FileListBox(this)) {
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
}
