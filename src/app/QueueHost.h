#pragma once

#include "pipeline/ForwardingHost.h"

// The window as the queue's videos reach it: the queue runs unattended, so what a message box
// would say becomes a line of Full Auto's log (and the failed video's reason); the stages and
// progress say which video they are about ("Video 2 of 5: ").
class QueueHost : public ForwardingHost {
public:
    using ForwardingHost::ForwardingHost;

    void setPosition(const QString& position) { m_position = position; }

    void showMessage(const QString& text) override { log(Log::Auto, text.simplified()); }
    void showStage(const QString& stage) override { host().showStage(m_position + stage); }
    void showProgress(double fraction, const QString& detail = QString()) override {
        host().showProgress(fraction, detail.isEmpty() ? detail : m_position + detail);
    }

private:
    QString m_position;
};
