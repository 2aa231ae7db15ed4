#include "app/InputPanel.h"

#include "app/DropLineEdit.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

InputPanel::InputPanel(QWidget* parent)
    : QWidget(parent)
    , Label1(new QLabel(tr("&Input"), this))
    , txtInput(new DropLineEdit(this))
    , cmdBrowse(new QPushButton(tr("..."), this))
    , Label8(new QLabel(tr("&OutDir"), this))
    , txtOutDir(new DropLineEdit(this))
    , cmdOutDir(new QPushButton(tr("..."), this)) {
    setObjectName(QStringLiteral("inputPanel"));
    Label1->setObjectName(QStringLiteral("Label1"));
    txtInput->setObjectName(QStringLiteral("txtInput"));
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    Label8->setObjectName(QStringLiteral("Label8"));
    txtOutDir->setObjectName(QStringLiteral("txtOutDir"));
    cmdOutDir->setObjectName(QStringLiteral("cmdOutDir"));
    // A box's label names it for the screen reader and gives it its mnemonic.
    Label1->setBuddy(txtInput);
    Label8->setBuddy(txtOutDir);
    txtInput->setPlaceholderText(tr("Can Drag & Drop"));
    txtOutDir->setPlaceholderText(tr("Where the new video goes"));
    txtInput->setAcceptDrops(true);
    txtOutDir->setAcceptDrops(true);
    // The buttons as narrow as their three dots allow; the boxes take the room.
    for (QPushButton* button : {cmdBrowse, cmdOutDir}) {
        button->setAutoDefault(false);
        button->setMaximumWidth(button->fontMetrics().horizontalAdvance(button->text()) * 2 +
                                button->style()->pixelMetric(QStyle::PM_ButtonMargin) * 2);
    }
    cmdBrowse->setToolTip(tr("Choose the video (several go to the queue)"));
    cmdBrowse->setAccessibleName(tr("Choose the input video"));
    cmdOutDir->setToolTip(tr("Choose the output folder"));
    cmdOutDir->setAccessibleName(tr("Choose the output folder"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(txtInput, 0, 1);
    grid->addWidget(cmdBrowse, 0, 2);
    grid->addWidget(Label8, 1, 0);
    grid->addWidget(txtOutDir, 1, 1);
    grid->addWidget(cmdOutDir, 1, 2);
    grid->setColumnStretch(1, 1);
}
