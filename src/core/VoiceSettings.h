#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>

#include <optional>

// How the voice service shapes the new voice. Anything not set is not sent, so the service's
// own default applies; no model means the multilingual one.
struct VoiceSettings {
    QString model;
    std::optional<double> stability; // 0 to 1
    std::optional<double> similarity;
    std::optional<double> style;
    std::optional<bool> speakerBoost;
    std::optional<bool> denoise; // the service removes background noise first
    std::optional<quint32> seed;

    bool isEmpty() const;
    bool operator==(const VoiceSettings& other) const = default;

    // The settings under the keys the program stores them by ("model", "stability",
    // "similarity", "style", "speakerboost", "denoise", "seed"), as text; only those set.
    QHash<QString, QString> texts() const;
    // From stored texts: an unreadable or out-of-range value counts as not set.
    static VoiceSettings fromTexts(const QHash<QString, QString>& texts);
    static const QStringList& keys();

    // The same as one JSON object, for the conversion script.
    QJsonObject toObject() const;
    QByteArray toJson() const;
    // For people: "stability 40 %, speaker boost on, seed 7", or "the service's defaults".
    QString describe() const;
};

// The models of the voice changer.
inline const QString kMultilingualModel = QStringLiteral("eleven_multilingual_sts_v2");
inline const QString kEnglishModel = QStringLiteral("eleven_english_sts_v2");
