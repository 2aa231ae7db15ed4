#pragma once

#include "pipeline/StepHost.h"

// A host that passes everything on to another; what it does differently, it overrides.
class ForwardingHost : public StepHost {
public:
    explicit ForwardingHost(StepHost& host)
        : m_host(host) {}

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
    void showStage(const QString& stage) override { m_host.showStage(stage); }
    void showProgress(double fraction, const QString& detail = QString()) override {
        m_host.showProgress(fraction, detail);
    }

protected:
    StepHost& host() const { return m_host; }

private:
    StepHost& m_host;
};
