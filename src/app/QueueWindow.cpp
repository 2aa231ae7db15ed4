#include "app/QueueWindow.h"

#include "core/VideoQueue.h"
#include "core/Voices.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace {

enum Column { Video, Voice, State, Output };

QString stateText(const QueueItem& item) {
    switch (item.state) {
    case QueueItem::State::Waiting:
        return QueueWindow::tr("waiting");
    case QueueItem::State::Running:
        if (item.stage.isEmpty())
            return QueueWindow::tr("starting");
        return item.percent >= 0 ? QStringLiteral("%1 %2 %").arg(item.stage).arg(item.percent)
                                 : item.stage;
    case QueueItem::State::Done:
        return QueueWindow::tr("done");
    case QueueItem::State::Failed:
        return QueueWindow::tr("failed: %1").arg(item.reason);
    case QueueItem::State::Stopped:
        return QueueWindow::tr("stopped");
    }
    return {};
}

QPushButton* button(QWidget* parent, const QString& text, const char* name) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

QueueWindow::QueueWindow(VideoQueue& queue, QWidget* parent)
    : QDialog(parent)
    , m_queue(queue) {
    setObjectName(QStringLiteral("QueueWindow"));
    setWindowTitle(tr("Queue"));
    auto* layout = new QVBoxLayout(this);
    lstQueue = new QTreeWidget(this);
    lstQueue->setObjectName(QStringLiteral("lstQueue"));
    lstQueue->setHeaderLabels({tr("Video"), tr("Voice"), tr("State"), tr("Output")});
    lstQueue->setRootIsDecorated(false);
    lstQueue->setMinimumSize(720, 220);
    lstQueue->header()->resizeSection(Video, 200);
    lstQueue->header()->resizeSection(Voice, 90);
    lstQueue->header()->resizeSection(State, 240);
    layout->addWidget(lstQueue);
    auto* edits = new QHBoxLayout;
    cmdAdd = button(this, tr("Add videos..."), "cmdAdd");
    cmdRemove = button(this, tr("Remove"), "cmdRemove");
    cmdUp = button(this, tr("Up"), "cmdUp");
    cmdDown = button(this, tr("Down"), "cmdDown");
    cmdClear = button(this, tr("Clear finished"), "cmdClear");
    for (QPushButton* b : {cmdAdd, cmdRemove, cmdUp, cmdDown, cmdClear})
        edits->addWidget(b);
    edits->addStretch();
    layout->addLayout(edits);
    m_cost = new QLabel(this);
    m_cost->setWordWrap(true);
    layout->addWidget(m_cost);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    auto* runs = new QHBoxLayout;
    cmdStart = button(this, tr("Start"), "cmdStart");
    cmdStopAfter = button(this, tr("Stop after this video"), "cmdStopAfter");
    cmdStopAfter->setCheckable(true);
    cmdStop = button(this, tr("Stop"), "cmdStop");
    runs->addStretch();
    for (QPushButton* b : {cmdStart, cmdStopAfter, cmdStop})
        runs->addWidget(b);
    layout->addLayout(runs);

    connect(cmdAdd, &QPushButton::clicked, this, &QueueWindow::addClicked);
    connect(cmdStart, &QPushButton::clicked, this, &QueueWindow::startClicked);
    connect(cmdStop, &QPushButton::clicked, this, &QueueWindow::stopClicked);
    connect(cmdStopAfter, &QPushButton::toggled, this, &QueueWindow::stopAfterToggled);
    connect(cmdRemove, &QPushButton::clicked, this,
            [this] { editSelected([this](int row) { return m_queue.remove(row); }); });
    connect(cmdUp, &QPushButton::clicked, this,
            [this] { editSelected([this](int row) { return m_queue.move(row, -1); }); });
    connect(cmdDown, &QPushButton::clicked, this,
            [this] { editSelected([this](int row) { return m_queue.move(row, 1); }); });
    connect(cmdClear, &QPushButton::clicked, this, [this] {
        m_queue.clearFinished();
        refresh();
        emit edited();
    });
    connect(lstQueue, &QTreeWidget::itemSelectionChanged, this, &QueueWindow::selectionChanged);
    refresh();
    setRunning(false);
}

int QueueWindow::selectedRow() const {
    QTreeWidgetItem* item = lstQueue->currentItem();
    return item && item->isSelected() ? lstQueue->indexOfTopLevelItem(item) : -1;
}

// Removes or moves the chosen video; the same video stays chosen where it is still there.
void QueueWindow::editSelected(const std::function<bool(int row)>& edit) {
    const int row = selectedRow();
    if (row < 0)
        return;
    const qint64 id = m_queue.items().at(row).id;
    if (!edit(row))
        return;
    refresh();
    const int now = m_queue.row(id);
    if (now >= 0)
        lstQueue->setCurrentItem(lstQueue->topLevelItem(now));
    emit edited();
}

void QueueWindow::refresh() {
    const int chosen = selectedRow();
    const qint64 id = chosen >= 0 && chosen < m_queue.size() ? m_queue.items().at(chosen).id : 0;
    lstQueue->clear();
    for (const QueueItem& video : m_queue.items()) {
        auto* item = new QTreeWidgetItem(lstQueue);
        item->setText(Video, QFileInfo(video.input).fileName());
        item->setToolTip(Video, video.input);
        item->setText(Voice,
                      voiceNameFromRow(video.settings.value(QLatin1String("voice")).toString()));
        item->setText(State, stateText(video));
        item->setToolTip(State, stateText(video));
        if (video.state == QueueItem::State::Done && !video.output.isEmpty()) {
            auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                                        .arg(video.output.toHtmlEscaped(),
                                             QFileInfo(video.output).fileName().toHtmlEscaped()),
                                    lstQueue);
            link->setToolTip(video.output);
            connect(link, &QLabel::linkActivated, this, &QueueWindow::outputClicked);
            lstQueue->setItemWidget(item, Output, link);
        }
    }
    if (id != 0 && m_queue.row(id) >= 0)
        lstQueue->setCurrentItem(lstQueue->topLevelItem(m_queue.row(id)));
    selectionChanged();
}

void QueueWindow::selectionChanged() {
    const int row = selectedRow();
    const bool waiting = row >= 0 && m_queue.items().at(row).state == QueueItem::State::Waiting;
    cmdRemove->setEnabled(waiting);
    cmdUp->setEnabled(waiting && row > 0);
    cmdDown->setEnabled(waiting && row + 1 < m_queue.size());
}

void QueueWindow::setRunning(bool running) {
    m_running = running;
    cmdStart->setEnabled(!running);
    cmdStop->setEnabled(running);
    cmdStopAfter->setEnabled(running);
    if (!running)
        cmdStopAfter->setChecked(false);
}

void QueueWindow::setStatus(const QString& text) {
    m_status->setText(text);
}

QString QueueWindow::status() const {
    return m_status->text();
}

void QueueWindow::setCost(const QString& text) {
    m_cost->setText(text);
}

QString QueueWindow::cost() const {
    return m_cost->text();
}
