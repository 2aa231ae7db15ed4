#include "app/VoiceSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>

#include <cmath>

VoiceSettingsDialog::VoiceSettingsDialog(const VoiceSettings& settings, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("VoiceSettingsDialog"));
    setWindowTitle(tr("Voice settings"));
    m_form = new QFormLayout(this);
    m_model = new QComboBox(this);
    m_model->addItem(tr("Multilingual (%1)").arg(kMultilingualModel), QString());
    m_model->addItem(tr("English (%1)").arg(kEnglishModel), kEnglishModel);
    m_form->addRow(tr("Model"), m_model);
    m_stability =
        addShare(tr("Stability"), tr("Higher: a steadier, more even voice; lower: livelier."));
    m_similarity =
        addShare(tr("Similarity boost"), tr("How closely the new voice keeps to the chosen one."));
    m_style = addShare(tr("Style"), tr("Exaggerates the chosen voice's style."));
    m_speakerBoost = new QCheckBox(tr("Speaker boost"), this);
    m_speakerBoost->setTristate(true);
    m_speakerBoost->setToolTip(tr("Half checked: the service decides for the chosen voice."));
    m_form->addRow(QString(), m_speakerBoost);
    m_denoise = new QCheckBox(tr("Remove background noise"), this);
    m_denoise->setToolTip(
        tr("The service removes noise (and music) from each piece before changing its voice."));
    m_form->addRow(QString(), m_denoise);
    m_seed = new QLineEdit(this);
    m_seed->setPlaceholderText(tr("none"));
    m_seed->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,10}")), this));
    m_seed->setToolTip(
        tr("The same seed and settings give the service's best try at the same result."));
    m_form->addRow(tr("Seed"), m_seed);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    buttons->button(QDialogButtonBox::RestoreDefaults)->setText(tr("Service defaults"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            [this] { setSettings({}); });
    m_form->addRow(buttons);
    setSettings(settings);
}

VoiceSettingsDialog::Share VoiceSettingsDialog::addShare(const QString& name, const QString& tip) {
    Share share;
    auto* row = new QHBoxLayout;
    share.set = new QCheckBox(this);
    share.set->setToolTip(tr("Unchecked: the service's own default."));
    share.slider = new QSlider(Qt::Horizontal, this);
    share.slider->setRange(0, 100);
    share.slider->setMinimumWidth(160);
    share.slider->setToolTip(tip);
    auto* value = new QLabel(this);
    value->setMinimumWidth(QFontMetrics(value->font()).horizontalAdvance(QStringLiteral("100 %")));
    const auto show = [share, value] {
        share.slider->setEnabled(share.set->isChecked());
        value->setText(share.set->isChecked() ? QStringLiteral("%1 %").arg(share.slider->value())
                                              : tr("default"));
    };
    connect(share.set, &QCheckBox::toggled, this, show);
    connect(share.slider, &QSlider::valueChanged, this, show);
    row->addWidget(share.set);
    row->addWidget(share.slider, 1);
    row->addWidget(value);
    m_form->addRow(name, row);
    return share;
}

VoiceSettings VoiceSettingsDialog::settings() const {
    VoiceSettings s;
    s.model = m_model->currentData().toString();
    const auto share = [](const Share& from) -> std::optional<double> {
        if (!from.set->isChecked())
            return std::nullopt;
        return from.slider->value() / 100.0;
    };
    s.stability = share(m_stability);
    s.similarity = share(m_similarity);
    s.style = share(m_style);
    if (m_speakerBoost->checkState() != Qt::PartiallyChecked)
        s.speakerBoost = m_speakerBoost->isChecked();
    if (m_denoise->isChecked())
        s.denoise = true;
    bool ok = false;
    const qulonglong seed = m_seed->text().toULongLong(&ok);
    if (ok && seed <= 4294967295ULL)
        s.seed = quint32(seed);
    return s;
}

void VoiceSettingsDialog::setSettings(const VoiceSettings& s) {
    if (!s.model.isEmpty() && m_model->findData(s.model) < 0)
        m_model->addItem(s.model, s.model); // one this window does not name
    m_model->setCurrentIndex(std::max(0, m_model->findData(s.model)));
    const auto share = [](const Share& to, const std::optional<double>& value) {
        to.slider->setValue(value ? int(std::lround(*value * 100)) : 50);
        to.set->setChecked(!value); // makes sure the label follows
        to.set->setChecked(bool(value));
    };
    share(m_stability, s.stability);
    share(m_similarity, s.similarity);
    share(m_style, s.style);
    m_speakerBoost->setCheckState(!s.speakerBoost   ? Qt::PartiallyChecked
                                  : *s.speakerBoost ? Qt::Checked
                                                    : Qt::Unchecked);
    m_denoise->setChecked(s.denoise.value_or(false));
    m_seed->setText(s.seed ? QString::number(*s.seed) : QString());
}
