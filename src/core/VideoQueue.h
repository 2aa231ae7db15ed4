#pragma once

#include <QAbstractListModel>
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

// The videos of a queue, in the order they run, as a list model: the queue window shows it, the
// runner changes it. One runs at a time, the first of those left to run. Only waiting videos
// move, and only past waiting ones; any but the running one can go; a failed or stopped one can
// wait again.
class VideoQueue : public QAbstractListModel {
    Q_OBJECT
public:
    // Besides the display role (the video's file name) and the tool tip (its path).
    enum Role {
        VoiceRole = Qt::UserRole + 1, // the voice's name
        StateRole,                    // a QueueItem::State, as an int
        StateTextRole,                // "waiting", "Extracting 40 %", "failed: ..."
        OutputRole,                   // the new video, once done
        ReasonRole,                   // why it failed
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const QList<QueueItem>& items() const { return m_items; }
    int size() const { return int(m_items.size()); }
    // The row of the item `id`; -1 when it is not (or no longer) there.
    int row(qint64 id) const;
    const QueueItem& at(int row) const { return m_items.at(row); }

    // Adds a video to the end; returns its id.
    qint64 add(const QString& input, const QJsonObject& settings);
    // Removes any video but the running one; false for that one.
    bool remove(int row);
    // Moves a waiting video `by` places up (negative) or down, past waiting videos only.
    bool move(int row, int by);
    // A failed or stopped video waits to run again; false for any other.
    bool again(int row);
    // Done and failed videos leave the list.
    void clearFinished();

    // Makes the stopped videos (and one left running when the program ended) wait again.
    void rewind();
    // The first video left to run.
    std::optional<int> next() const;
    // Any video left to run.
    bool hasWork() const { return next().has_value(); }
    int count(QueueItem::State state) const;
    // "3 done, 1 failed": what became of the videos.
    QString summary() const;

    // What the runner changes. A video that starts running has no stage, output or reason yet.
    void setState(int row, QueueItem::State state, const QString& output = QString(),
                  const QString& reason = QString());
    // The running video's stage and how far it has come (-1 when that is not known).
    void setStage(int row, const QString& stage, int percent);

    // Kept across sessions: the items and whether the queue was running when it was saved.
    QJsonObject toJson(bool running) const;
    // The queue kept, in place of what the list held.
    void load(const QJsonObject& json, bool* running = nullptr);

    // How a video's state reads in the list.
    static QString stateText(const QueueItem& item);

private:
    void changed(int row);

    QList<QueueItem> m_items;
    qint64 m_nextId = 1;
};

// True for the name of a video by its extension ("talk.MKV"): what a folder dropped on the
// window gives to the queue.
bool isVideoFileName(const QString& name);
