#pragma once

#include "pipeline/StepHost.h"

// The stages of a run as one progress: each stage's progress shown as its share of the whole
// run (the status bar's bar and time left cover all of it), its name and details beside the
// bar; everything else goes to the host as it is.
class RunProgress : public StepHost {
public:
    explicit RunProgress(StepHost& host)
        : m_host(host) {}

    // The next stage takes the run from `from` to `from + share` (fractions of the whole).
    void beginStage(const QString& name, double from, double share);

    void showMessage(const QString& text) override { m_host.showMessage(text); }
    void ask(const QString& question, std::function<void(bool)> answer) override {
        m_host.ask(question, std::move(answer));
    }
    void askCost(const QStringList& lines, qint64 credits,
                 std::function<void(bool)> answer) override {
        m_host.askCost(lines, credits, std::move(answer));
    }
    void setToolOutput(const QString& text) override { m_host.setToolOutput(text); }
    void log(Log which, const QString& message) override { m_host.log(which, message); }
    void addConversionRow(const QString& text) override { m_host.addConversionRow(text); }
    void clearLog(Log which) override { m_host.clearLog(which); }
    void partsChanged() override { m_host.partsChanged(); }
    void playSound(const QString& path) override { m_host.playSound(path); }
    void showStage(const QString& stage) override;
    void showProgress(double fraction, const QString& detail = QString()) override;

private:
    StepHost& m_host;
    QString m_stage;
    double m_from = 0;
    double m_share = 1;
};
