#pragma once

#include "pipeline/ForwardingHost.h"

// The stages of a run as one progress: each stage's progress shown as its share of the whole
// run (the status bar's bar and time left cover all of it), its name and details beside the
// bar; everything else goes to the host as it is.
class RunProgress : public ForwardingHost {
public:
    using ForwardingHost::ForwardingHost;

    // The next stage takes the run from `from` to `from + share` (fractions of the whole).
    void beginStage(const QString& name, double from, double share);

    void showStage(const QString& stage) override;
    void showProgress(double fraction, const QString& detail = QString()) override;

private:
    QString m_stage;
    double m_from = 0;
    double m_share = 1;
};
