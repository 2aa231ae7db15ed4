#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
class VideoQueue;

// The queue of videos: each with its voice and what became of it (waiting, the stage it is at,
// done with a link to the new video, failed with the reason, stopped). Waiting videos can be
// removed and moved; Start, "Stop after this video" and Stop act on the queue. It shows the
// window's queue and changes only the order and the waiting videos of it; the window runs it.
class QueueWindow : public QDialog {
    Q_OBJECT
public:
    QueueWindow(VideoQueue& queue, QWidget* parent = nullptr);

    // Draws the list again from the queue, keeping the chosen video chosen.
    void refresh();
    void setRunning(bool running);
    void setStatus(const QString& text);
    QString status() const;
    // What the queue costs, said before it starts.
    void setCost(const QString& text);
    QString cost() const;

    QTreeWidget* lstQueue = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDown = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdStopAfter = nullptr; // checkable
    QPushButton* cmdStop = nullptr;

signals:
    void addClicked();
    void startClicked();
    void stopClicked();
    void stopAfterToggled(bool stop);
    // The user removed or moved videos: the queue is to be kept.
    void edited();
    // The link of a done video.
    void outputClicked(const QString& path);

private:
    void selectionChanged();
    void editSelected(const std::function<bool(int row)>& edit);
    int selectedRow() const;

    VideoQueue& m_queue;
    QLabel* m_status = nullptr;
    QLabel* m_cost = nullptr;
    bool m_running = false;
};
