// The five pipeline steps and the Full Auto run. Each runs as the one thing running; a click
// while something else runs is refused with a note in the status bar.
#include "app/Form1.h"

void Form1::Command2_Click() {
    runExclusive(QStringLiteral("Extracting"), [this] { m_pipeline.extractAudio(); });
}

void Form1::Command3_Click() {
    runExclusive(QStringLiteral("Splitting"), [this] { m_pipeline.splitAudio(); });
}

void Form1::cmdConvert_Click() {
    runExclusive(QStringLiteral("Converting"), [this] { m_pipeline.convertVoices(); });
}

void Form1::Command4_Click() {
    runExclusive(QStringLiteral("Joining"), [this] { m_pipeline.rejoinAudio(); });
}

void Form1::Command5_Click() {
    runExclusive(QStringLiteral("Final output"), [this] { m_pipeline.reintegrate(); });
}

void Form1::Command1_Click() {
    runExclusive(QStringLiteral("Full Auto"), [this] { m_pipeline.fullAuto(); });
}
