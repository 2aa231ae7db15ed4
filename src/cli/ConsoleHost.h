#pragma once

#include "pipeline/StepHost.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

class QIODevice;

// What the steps say, written for the command line. Each line starts with the name of the video
// it is about. The stages and the logs go to `out`; messages, and what the last tool said where a
// video fails, to `err`. The running stage's progress is a line drawn again and again in place on
// `bar`, a terminal of `columns` (80 where it is not known); without one there is none. It says
// how long the stage has left once that can be told. Questions get the answer of the command line.
class ConsoleHost : public StepHost {
    Q_DECLARE_TR_FUNCTIONS(ConsoleHost)

public:
    ConsoleHost(QIODevice& out, QIODevice& err, QIODevice* bar, bool yes, int columns = 0);
    // The milliseconds since some start, which the bar's time left is reckoned in.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // The video the next lines are about; empty for lines about the whole run.
    void setVideo(const QString& name);
    void print(const QString& text) { write(m_out, text); }
    void warn(const QString& text) { write(m_err, text); }
    // The video failed: why, with what its last tool said.
    void videoFailed(const QString& reason);

    // A message box would say what the run's failure says: it is kept for then.
    void showMessage(const QString& text) override { m_message = text; }
    void ask(const QString& question, std::function<void(bool)> answer) override;
    // A conversion nobody agreed to the cost of before (its log says it): agreed to with --yes
    // only.
    void askCost(const QStringList& lines, qint64 credits,
                 std::function<void(bool)> answer) override;
    void setToolOutput(const QString& text) override { m_toolOutput = text; }
    void log(Log which, const QString& message) override;
    void addConversionRow(const QString& text) override { log(Log::Conversion, text); }
    void clearLog(Log) override {}
    void partsChanged() override {}
    void playSound(const QString&) override {}
    void showStage(const QString& stage) override;
    void showProgress(double fraction, const QString& detail = QString()) override;

private:
    void write(QIODevice& to, const QString& text);
    void clearBar();
    // "1:05 left" once the stage has run long enough to tell; empty before.
    QString timeLeft(double part) const;

    QIODevice& m_out;
    QIODevice& m_err;
    QIODevice* m_bar;
    bool m_yes;
    QString m_video;
    QString m_stage;
    QString m_toolOutput; // of the running stage
    QString m_message;
    qsizetype m_barWidth = 0; // of the bar on the screen; 0 when there is none
    qsizetype m_lineWidth;    // the longest line the terminal shows without wrapping it
    std::function<qint64()> m_clock;
    qint64 m_stageStart = 0; // m_clock() when the stage began
};
