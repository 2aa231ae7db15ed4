#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A video waiting in the queue, running, or what became of it. `settings` are the window's
// settings of the moment it was queued (voice, its settings, pieces at once, background, output
// folder, templates), kept as the run will take them.
struct QueueItem {
    enum class State { Waiting, Running, Done, Failed, Stopped };
    qint64 id = 0; // unique in its queue
    QString input;
    QJsonObject settings;
    State state = State::Waiting;
    QString stage;    // while running: "Extracting", "AI Conversion", ...
    int percent = -1; // of the stage, where known
    QString output;   // once done: the new video
    QString reason;   // once failed: why
};

// The videos of the queue, in the order they run. Only waiting videos move or go; one runs at a
// time, the first of those left to run.
class VideoQueue {
public:
    const QList<QueueItem>& items() const { return m_items; }
    int size() const { return int(m_items.size()); }
    // The row of the item `id`; -1 when it is not (or no longer) there.
    int row(qint64 id) const;
    QueueItem& at(int row) { return m_items[row]; }

    // Adds a video to the end; returns its id.
    qint64 add(const QString& input, const QJsonObject& settings);
    // Removes a waiting video; false for any other.
    bool remove(int row);
    // Moves a waiting video `by` places up (negative) or down, past waiting videos only.
    bool move(int row, int by);
    // Done and failed videos leave the list.
    void clearFinished();

    // Makes the stopped videos (and one left running when the program ended) wait again.
    void rewind();
    // The first video left to run.
    std::optional<int> next() const;
    // Any video left to run.
    bool hasWork() const { return next().has_value(); }

    // Kept across sessions: the items and whether the queue was running when it was saved.
    QJsonObject toJson(bool running) const;
    static VideoQueue fromJson(const QJsonObject& json, bool* running = nullptr);

private:
    QList<QueueItem> m_items;
    qint64 m_nextId = 1;
};

// True for the name of a video by its extension ("talk.MKV"): what a folder dropped on the
// window gives to the queue.
bool isVideoFileName(const QString& name);
