// The five pipeline steps and the Full Auto run. Each starts as the one thing running; a click
// while something else runs is refused with a note in the status bar.
#include "app/Form1.h"
#include "pipeline/Steps.h"

template <typename T> void Form1::startStep(const QString& what) {
    if (!idle())
        return;
    auto* step = new T(stepContext());
    // What Full Auto and Reintegrate make is named in the line that stays after them.
    if constexpr (std::is_same_v<T, FullAutoRun> || std::is_same_v<T, ReintegrateStep>)
        connect(step, &Job::finished, this, [this, step] { m_newVideo = step->output(); });
    startJob(what, step);
}

void Form1::Command2_Click() {
    startStep<ExtractStep>(tr("Extracting"));
}

void Form1::Command3_Click() {
    startStep<SplitStep>(tr("Splitting"));
}

void Form1::cmdConvert_Click() {
    startStep<ConvertStep>(tr("Converting"));
}

void Form1::Command4_Click() {
    startStep<RejoinStep>(tr("Joining"));
}

void Form1::Command5_Click() {
    startStep<ReintegrateStep>(tr("Final output"));
}

void Form1::Command1_Click() {
    startStep<FullAutoRun>(tr("Full Auto"));
}
