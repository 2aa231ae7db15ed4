#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the steps may touch of the window: message boxes, the output box, the two progress logs,
// the parts list, the chime and the progress shown in the status bar. They read nothing from
// it: what they work on comes in a RunInputs when they are made.
class StepHost {
public:
    enum class Log { Conversion, Auto }; // lstAI, listAuto

    virtual ~StepHost() = default;

    virtual void showMessage(const QString& text) = 0; // a message box, OK only
    // A question with Yes and No; `answer` gets true for Yes, once the user has answered.
    virtual void ask(const QString& question, std::function<void(bool)> answer) = 0;
    // Before audio goes to the voice service: what it costs (the cost lines, about `credits`),
    // and whether to go on. By default it goes on: a host that asked before the run (a queue),
    // or whose user agreed on its command line, need not ask again.
    virtual void askCost(const QStringList& lines, qint64 credits,
                         std::function<void(bool)> answer) {
        Q_UNUSED(lines);
        Q_UNUSED(credits);
        answer(true);
    }
    virtual void setToolOutput(const QString& text) = 0;     // txtOut, whole text replaced
    virtual void log(Log which, const QString& message) = 0; // a time-stamped row
    virtual void addConversionRow(const QString& text) = 0;  // a plain row in lstAI
    virtual void clearLog(Log which) = 0;
    virtual void partsChanged() = 0; // File1 reads its folder again
    virtual void playSound(const QString& path) = 0;
    // A new stage of the running work begins (the status bar's text and clock start again).
    virtual void showStage(const QString& stage) = 0;
    // How far the running stage has come, 0 to 1; `detail` says more where it is not empty.
    virtual void showProgress(double fraction, const QString& detail = QString()) = 0;
};
