#include "core/VideoQueue.h"

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
    m_items.append(item);
    return item.id;
}

bool VideoQueue::remove(int row) {
    if (row < 0 || row >= size() || m_items.at(row).state != QueueItem::State::Waiting)
        return false;
    m_items.removeAt(row);
    return true;
}

bool VideoQueue::move(int row, int by) {
    const int to = row + by;
    if (row < 0 || row >= size() || to < 0 || to >= size() || by == 0)
        return false;
    for (int i = std::min(row, to); i <= std::max(row, to); ++i)
        if (m_items.at(i).state != QueueItem::State::Waiting)
            return false;
    m_items.move(row, to);
    return true;
}

void VideoQueue::clearFinished() {
    m_items.removeIf([](const QueueItem& item) {
        return item.state == QueueItem::State::Done || item.state == QueueItem::State::Failed;
    });
}

void VideoQueue::rewind() {
    for (QueueItem& item : m_items) {
        if (item.state == QueueItem::State::Stopped || item.state == QueueItem::State::Running) {
            item.state = QueueItem::State::Waiting;
            item.stage.clear();
            item.percent = -1;
        }
    }
}

std::optional<int> VideoQueue::next() const {
    for (int i = 0; i < size(); ++i)
        if (m_items.at(i).state == QueueItem::State::Waiting)
            return i;
    return std::nullopt;
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

VideoQueue VideoQueue::fromJson(const QJsonObject& json, bool* running) {
    VideoQueue queue;
    for (const QJsonValue& value : json.value(QLatin1String("items")).toArray()) {
        const QJsonObject item = value.toObject();
        const QString input = item.value(QLatin1String("input")).toString();
        if (input.isEmpty())
            continue;
        QueueItem& added = queue.m_items[queue.row(
            queue.add(input, item.value(QLatin1String("settings")).toObject()))];
        added.state = stateFromName(item.value(QLatin1String("state")).toString());
        added.output = item.value(QLatin1String("output")).toString();
        added.reason = item.value(QLatin1String("reason")).toString();
    }
    if (running)
        *running = json.value(QLatin1String("running")).toBool();
    return queue;
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
