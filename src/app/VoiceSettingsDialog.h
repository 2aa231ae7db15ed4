#pragma once

#include "core/VoiceSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;

// The voice's settings beside the voice: the model, stability, similarity boost and style
// (0 to 100 %, each either set or left to the service), speaker boost (on, off or the service's
// choice), removal of background noise, and a seed (empty: none).
class VoiceSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit VoiceSettingsDialog(const VoiceSettings& settings, QWidget* parent = nullptr);

    VoiceSettings settings() const;
    void setSettings(const VoiceSettings& settings);

private:
    struct Share {
        QCheckBox* set = nullptr;
        QSlider* slider = nullptr;
    };
    Share addShare(const QString& name, const QString& tip);

    QComboBox* m_model = nullptr;
    Share m_stability, m_similarity, m_style;
    QCheckBox* m_speakerBoost = nullptr;
    QCheckBox* m_denoise = nullptr;
    QLineEdit* m_seed = nullptr;
    class QFormLayout* m_form = nullptr;
};
