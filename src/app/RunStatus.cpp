#include "app/RunStatus.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

RunStatus::RunStatus(QWidget* parent)
    : QWidget(parent)
    , m_stage(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_left(new QLabel(this)) {
    setObjectName(QStringLiteral("runStatus"));
    m_stage->setObjectName(QStringLiteral("runStage"));
    m_bar->setObjectName(QStringLiteral("runProgress"));
    m_left->setObjectName(QStringLiteral("runTimeLeft"));
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(true);
    m_bar->setFixedWidth(m_bar->fontMetrics().averageCharWidth() * 24);
    // The bar and the time left first, the words after them: however long the words, the bar
    // stays where it is; what does not fit is cut off at the end.
    m_stage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_left->setMinimumWidth(m_left->fontMetrics().horizontalAdvance(tr("%1 left").arg("0:00:00")));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar);
    layout->addWidget(m_left);
    layout->addWidget(m_stage, 1);
    clear();
}

void RunStatus::setStage(const QString& stage) {
    m_stage->setText(stage);
    m_bar->setValue(0);
    m_bar->show();
    m_left->clear();
    m_clock.start();
}

void RunStatus::setFraction(double fraction, const QString& detail) {
    if (!detail.isEmpty())
        m_stage->setText(detail);
    fraction = std::clamp(fraction, 0.0, 1.0);
    m_bar->setValue(static_cast<int>(fraction * 100.0));
    const auto left = estimateSecondsLeft(m_clock.elapsed() / 1000.0, fraction);
    m_left->setText(left ? tr("%1 left").arg(formatDuration(*left)) : QString());
}

void RunStatus::setDetail(const QString& detail) {
    m_stage->setText(detail);
}

void RunStatus::clear() {
    m_stage->clear();
    m_bar->reset();
    m_bar->hide();
    m_left->clear();
}
