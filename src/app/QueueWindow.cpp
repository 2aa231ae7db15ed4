#include "app/QueueWindow.h"

#include "app/QueueColumns.h"
#include "core/VideoQueue.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

QPushButton* button(QWidget* parent, const QString& text, const char* name) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* wrappedLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

QueueWindow::QueueWindow(VideoQueue& queue, QWidget* parent)
    : QDialog(parent)
    , m_queue(queue)
    , m_columns(new QueueColumns(&queue, this)) {
    setObjectName(QStringLiteral("QueueWindow"));
    setWindowTitle(tr("Queue"));
    auto* layout = new QVBoxLayout(this);
    lstQueue = new QTreeView(this);
    lstQueue->setObjectName(QStringLiteral("lstQueue"));
    lstQueue->setModel(m_columns);
    lstQueue->setRootIsDecorated(false);
    lstQueue->setAllColumnsShowFocus(true);
    lstQueue->setSelectionMode(QAbstractItemView::SingleSelection);
    lstQueue->setMinimumSize(720, 220);
    lstQueue->header()->resizeSection(QueueColumns::Video, 200);
    lstQueue->header()->resizeSection(QueueColumns::Voice, 90);
    lstQueue->header()->resizeSection(QueueColumns::State, 240);
    layout->addWidget(lstQueue, 1);
    lblReason = wrappedLabel(this, "lblReason");
    layout->addWidget(lblReason);
    auto* edits = new QHBoxLayout;
    cmdAdd = button(this, tr("Add videos..."), "cmdAdd");
    cmdRemove = button(this, tr("Remove"), "cmdRemove");
    cmdUp = button(this, tr("Up"), "cmdUp");
    cmdDown = button(this, tr("Down"), "cmdDown");
    cmdAgain = button(this, tr("Run again"), "cmdAgain");
    cmdClear = button(this, tr("Clear finished"), "cmdClear");
    for (QPushButton* b : {cmdAdd, cmdRemove, cmdUp, cmdDown, cmdAgain, cmdClear})
        edits->addWidget(b);
    edits->addStretch();
    layout->addLayout(edits);
    m_cost = wrappedLabel(this, "lblCost");
    layout->addWidget(m_cost);
    m_status = wrappedLabel(this, "lblStatus");
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
    connect(cmdAgain, &QPushButton::clicked, this,
            [this] { editSelected([this](int row) { return m_queue.again(row); }); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { m_queue.clearFinished(); });
    connect(lstQueue, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        const QString output = index.data(Qt::ToolTipRole).toString();
        if (index.column() == QueueColumns::Output && !output.isEmpty())
            emit outputClicked(output);
    });
    connect(lstQueue->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &QueueWindow::updateButtons);
    // The runner changes the queue: states, and videos added or gone.
    connect(&m_queue, &QAbstractItemModel::rowsInserted, this, &QueueWindow::updateButtons);
    connect(&m_queue, &QAbstractItemModel::rowsRemoved, this, &QueueWindow::updateButtons);
    connect(&m_queue, &QAbstractItemModel::rowsMoved, this, &QueueWindow::updateButtons);
    connect(&m_queue, &QAbstractItemModel::dataChanged, this, &QueueWindow::updateButtons);
    connect(&m_queue, &QAbstractItemModel::modelReset, this, &QueueWindow::updateButtons);
    setRunning(false);
}

int QueueWindow::selectedRow() const {
    const QModelIndexList rows = lstQueue->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void QueueWindow::choose(int row) {
    lstQueue->setCurrentIndex(m_columns->index(row, 0));
}

// Removes, moves or runs again the chosen video; the list keeps it chosen where it still is.
void QueueWindow::editSelected(const std::function<bool(int row)>& edit) {
    const int row = selectedRow();
    if (row >= 0)
        edit(row);
}

void QueueWindow::updateButtons() {
    const int row = selectedRow();
    const QueueItem::State state = row >= 0 ? m_queue.at(row).state : QueueItem::State::Running;
    const bool waiting = state == QueueItem::State::Waiting;
    cmdRemove->setEnabled(state != QueueItem::State::Running);
    // Only past waiting videos.
    const auto waits = [this](int at) {
        return at >= 0 && at < m_queue.size() && m_queue.at(at).state == QueueItem::State::Waiting;
    };
    cmdUp->setEnabled(waiting && waits(row - 1));
    cmdDown->setEnabled(waiting && waits(row + 1));
    cmdAgain->setEnabled(state == QueueItem::State::Failed || state == QueueItem::State::Stopped);
    cmdClear->setEnabled(
        m_queue.count(QueueItem::State::Done) + m_queue.count(QueueItem::State::Failed) > 0);
    // Stopped videos wait again when the queue starts.
    cmdStart->setEnabled(!m_running && m_queue.count(QueueItem::State::Waiting) +
                                               m_queue.count(QueueItem::State::Stopped) >
                                           0);
    lblReason->setText(state == QueueItem::State::Failed ? VideoQueue::stateText(m_queue.at(row))
                                                         : QString());
    lblReason->setVisible(!lblReason->text().isEmpty());
}

void QueueWindow::setRunning(bool running) {
    m_running = running;
    cmdStop->setEnabled(running);
    cmdStopAfter->setEnabled(running);
    if (!running)
        cmdStopAfter->setChecked(false);
    updateButtons();
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
