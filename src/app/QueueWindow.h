#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTreeView;
class QueueColumns;
class VideoQueue;

// The queue of videos: each with its voice and what became of it (waiting, the stage it is at,
// done with a link to the new video, failed with the reason, stopped). Videos that do not run
// can be removed, waiting ones moved, failed ones run again; the chosen video's reason is shown
// whole below the list. Start (while videos wait), "Stop after this video" and Stop act on the
// queue. It shows the window's queue and changes only its order and the videos that do not run;
// the window runs it.
class QueueWindow : public QDialog {
    Q_OBJECT
public:
    QueueWindow(VideoQueue& queue, QWidget* parent = nullptr);

    void setRunning(bool running);
    void setStatus(const QString& text);
    QString status() const;
    // What the queue costs, said before it starts and again after each video.
    void setCost(const QString& text);
    QString cost() const;
    // The video chosen in the list; -1 for none.
    int selectedRow() const;
    void choose(int row);

    QTreeView* lstQueue = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDown = nullptr;
    QPushButton* cmdAgain = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdStopAfter = nullptr; // checkable
    QPushButton* cmdStop = nullptr;
    QLabel* lblReason = nullptr; // the chosen video's reason, whole

signals:
    void addClicked();
    void startClicked();
    void stopClicked();
    void stopAfterToggled(bool stop);
    // The link of a done video.
    void outputClicked(const QString& path);

private:
    // The buttons as the chosen video and the queue allow.
    void updateButtons();
    void editSelected(const std::function<bool(int row)>& edit);

    VideoQueue& m_queue;
    QueueColumns* m_columns = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_cost = nullptr;
    bool m_running = false;
};
