#include "core/VideoQueue.h"

#include "core/Voices.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include <algorithm>

namespace {

const char* const kStates[] = {"waiting", "running", "done", "failed", "stopped"};

QString stateName(QueueItem::State state) {
    return QString::fromLatin1(kStates[int(state)]);
}

QueueItem::State stateFromName(const QString& name) {
    for (int i = 0; i < 5; ++i)
        if (name == QLatin1String(kStates[i]))
            return QueueItem::State(i);
    return QueueItem::State::Waiting;
}

} // namespace

int VideoQueue::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : size();
}

QVariant VideoQueue::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= size())
        return {};
    const QueueItem& item = m_items.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QFileInfo(item.input).fileName();
    case Qt::ToolTipRole:
        return QDir::toNativeSeparators(item.input);
    case VoiceRole:
        return voiceNameFromRow(item.settings.value(QLatin1String("voice")).toString());
    case StateRole:
        return int(item.state);
    case StateTextRole:
        return stateText(item);
    case OutputRole:
        return item.output;
    case ReasonRole:
        return item.reason;
    default:
        return {};
    }
}

QString VideoQueue::stateText(const QueueItem& item) {
    switch (item.state) {
    case QueueItem::State::Waiting:
        return tr("waiting");
    case QueueItem::State::Running:
        if (item.stage.isEmpty())
            return tr("starting");
        return item.percent >= 0 ? QStringLiteral("%1 %2 %").arg(item.stage).arg(item.percent)
                                 : item.stage;
    case QueueItem::State::Done:
        return tr("done");
    case QueueItem::State::Failed:
        return tr("failed: %1").arg(item.reason);
    case QueueItem::State::Stopped:
        return tr("stopped");
    }
    return {};
}

int VideoQueue::row(qint64 id) const {
    for (int i = 0; i < size(); ++i)
        if (m_items.at(i).id == id)
            return i;
    return -1;
}

qint64 VideoQueue::add(const QString& input, const QJsonObject& settings) {
    QueueItem item;
    item.id = m_nextId++;
    item.input = input;
    item.settings = settings;
    beginInsertRows({}, size(), size());
    m_items.append(item);
    endInsertRows();
    return item.id;
}

bool VideoQueue::remove(int row) {
    if (row < 0 || row >= size() || m_items.at(row).state == QueueItem::State::Running)
        return false;
    beginRemoveRows({}, row, row);
    m_items.removeAt(row);
    endRemoveRows();
    return true;
}

bool VideoQueue::move(int row, int by) {
    const int to = row + by;
    if (row < 0 || row >= size() || to < 0 || to >= size() || by == 0)
        return false;
    for (int i = std::min(row, to); i <= std::max(row, to); ++i)
        if (m_items.at(i).state != QueueItem::State::Waiting)
            return false;
    // The model's row goes before the row it lands in front of.
    beginMoveRows({}, row, row, {}, to > row ? to + 1 : to);
    m_items.move(row, to);
    endMoveRows();
    return true;
}

bool VideoQueue::again(int row) {
    if (row < 0 || row >= size() ||
        (m_items.at(row).state != QueueItem::State::Failed &&
         m_items.at(row).state != QueueItem::State::Stopped))
        return false;
    setState(row, QueueItem::State::Waiting);
    return true;
}

void VideoQueue::clearFinished() {
    for (int i = size() - 1; i >= 0; --i) {
        const QueueItem::State state = m_items.at(i).state;
        if (state == QueueItem::State::Done || state == QueueItem::State::Failed) {
            beginRemoveRows({}, i, i);
            m_items.removeAt(i);
            endRemoveRows();
        }
    }
}

void VideoQueue::rewind() {
    for (int i = 0; i < size(); ++i) {
        const QueueItem::State state = m_items.at(i).state;
        if (state == QueueItem::State::Stopped || state == QueueItem::State::Running)
            setState(i, QueueItem::State::Waiting);
    }
}

std::optional<int> VideoQueue::next() const {
    for (int i = 0; i < size(); ++i)
        if (m_items.at(i).state == QueueItem::State::Waiting)
            return i;
    return std::nullopt;
}

int VideoQueue::count(QueueItem::State state) const {
    return int(std::count_if(m_items.begin(), m_items.end(),
                             [state](const QueueItem& item) { return item.state == state; }));
}

QString VideoQueue::summary() const {
    return tr("%1 done, %2 failed")
        .arg(count(QueueItem::State::Done))
        .arg(count(QueueItem::State::Failed));
}

void VideoQueue::setState(int row, QueueItem::State state, const QString& output,
                          const QString& reason) {
    QueueItem& item = m_items[row];
    item.state = state;
    item.stage.clear();
    item.percent = -1;
    item.output = output;
    item.reason = reason;
    changed(row);
}

void VideoQueue::setStage(int row, const QString& stage, int percent) {
    QueueItem& item = m_items[row];
    if (item.stage == stage && item.percent == percent)
        return;
    item.stage = stage;
    item.percent = percent;
    changed(row);
}

void VideoQueue::changed(int row) {
    emit dataChanged(index(row), index(row));
}

QJsonObject VideoQueue::toJson(bool running) const {
    QJsonArray items;
    for (const QueueItem& item : m_items)
        items.append(QJsonObject{{"input", item.input},
                                 {"settings", item.settings},
                                 {"state", stateName(item.state)},
                                 {"output", item.output},
                                 {"reason", item.reason}});
    return {{"items", items}, {"running", running}};
}

void VideoQueue::load(const QJsonObject& json, bool* running) {
    beginResetModel();
    m_items.clear();
    for (const QJsonValue& value : json.value(QLatin1String("items")).toArray()) {
        const QJsonObject kept = value.toObject();
        QueueItem item;
        item.input = kept.value(QLatin1String("input")).toString();
        if (item.input.isEmpty())
            continue;
        item.id = m_nextId++;
        item.settings = kept.value(QLatin1String("settings")).toObject();
        item.state = stateFromName(kept.value(QLatin1String("state")).toString());
        item.output = kept.value(QLatin1String("output")).toString();
        item.reason = kept.value(QLatin1String("reason")).toString();
        m_items.append(item);
    }
    endResetModel();
    if (running)
        *running = json.value(QLatin1String("running")).toBool();
}

bool isVideoFileName(const QString& name) {
    static const QStringList kVideos = {
        QStringLiteral("mp4"), QStringLiteral("m4v"),  QStringLiteral("mov"),
        QStringLiteral("mkv"), QStringLiteral("webm"), QStringLiteral("avi"),
        QStringLiteral("wmv"), QStringLiteral("asf"),  QStringLiteral("flv"),
        QStringLiteral("mpg"), QStringLiteral("mpeg"), QStringLiteral("ts"),
        QStringLiteral("mts"), QStringLiteral("m2ts"), QStringLiteral("3gp"),
        QStringLiteral("ogv"), QStringLiteral("vob"),  QStringLiteral("mxf")};
    return kVideos.contains(name.section(QLatin1Char('.'), -1).toLower()) &&
           name.contains(QLatin1Char('.'));
}
