#pragma once

#include <QString>

// What the pipeline steps may see and touch of the window: the texts they read when they start,
// the output box, the two progress logs, message boxes, the parts list and the completion sound.
class StepHost {
public:
    enum class Template { Extract, Split, Concat, Integrate };

    virtual ~StepHost() = default;

    virtual QString inputPath() const = 0;    // txtInput
    virtual QString outputFolder() const = 0; // txtOutDir
    virtual QString templateText(Template which) const = 0;
    virtual QString interpreterPath() const = 0; // txtPy
    virtual QString voiceRow() const = 0;        // Combo1's text

    virtual void setToolOutput(const QString& text) = 0;    // txtOut, whole text replaced
    virtual void logConversion(const QString& message) = 0; // timestamped row in lstAI
    virtual void addConversionRow(const QString& text) = 0; // plain row in lstAI
    virtual void clearConversionLog() = 0;
    virtual void logAuto(const QString& message) = 0; // timestamped row in listAuto
    virtual void clearAutoLog() = 0;

    virtual void showMessage(const QString& text) = 0; // modal, OK only
    virtual void refreshPartsList() = 0;               // File1 re-reads its folder
    virtual void playSound(const QString& path) = 0;

    // Progress for the user: the stage running now, and how far it has come (0 to 1) where the
    // step knows it better than the tool's own output tells.
    virtual void showStage(const QString& /*stage*/) {}
    virtual void showFraction(double /*fraction*/, const QString& /*detail*/ = QString()) {}
    // True once the user asked to stop the running step or run.
    virtual bool stopRequested() const { return false; }
};
