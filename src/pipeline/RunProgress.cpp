#include "pipeline/RunProgress.h"

#include <algorithm>

void RunProgress::beginStage(const QString& name, double from, double share) {
    m_stage = name;
    m_from = from;
    m_share = share;
    host().showProgress(from, name);
}

void RunProgress::showStage(const QString& stage) {
    host().showProgress(m_from, m_stage + QStringLiteral(": ") + stage);
}

void RunProgress::showProgress(double fraction, const QString& detail) {
    host().showProgress(m_from + std::clamp(fraction, 0.0, 1.0) * m_share,
                        detail.isEmpty() ? m_stage : m_stage + QStringLiteral(": ") + detail);
}
