#pragma once

#include "core/Progress.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;

// The status bar's view of the running work: its stage, a progress bar with percent, and the
// time left once there is enough to estimate it.
class RunStatus : public QWidget {
    Q_OBJECT
public:
    explicit RunStatus(QWidget* parent = nullptr);

    // A new stage: its name, the bar waiting for a first figure, the clock from zero.
    void setStage(const QString& stage);
    // How far the stage has come (0 to 1); `detail` replaces the stage text when given.
    void setFraction(double fraction, const QString& detail = QString());
    // The text beside the bar, the bar as it is.
    void setDetail(const QString& detail);
    // Nothing runs.
    void clear();

private:
    QLabel* m_stage;
    QProgressBar* m_bar;
    QLabel* m_left;
    QElapsedTimer m_clock;
};
