#include "core/VoiceSettings.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cmath>

namespace {

std::optional<double> share(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > 1)
        return std::nullopt;
    return value;
}

std::optional<bool> flag(const QString& text) {
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    return std::nullopt;
}

QString text(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString percent(double share) {
    return QStringLiteral("%1 %").arg(std::lround(share * 100));
}

} // namespace

const QStringList& VoiceSettings::keys() {
    static const QStringList all = {QStringLiteral("model"),        QStringLiteral("stability"),
                                    QStringLiteral("similarity"),   QStringLiteral("style"),
                                    QStringLiteral("speakerboost"), QStringLiteral("denoise"),
                                    QStringLiteral("seed")};
    return all;
}

bool VoiceSettings::isEmpty() const {
    return *this == VoiceSettings();
}

QHash<QString, QString> VoiceSettings::texts() const {
    QHash<QString, QString> t;
    if (!model.isEmpty())
        t.insert(QStringLiteral("model"), model);
    const auto number = [&t](const char* key, const std::optional<double>& value) {
        if (value)
            t.insert(QLatin1String(key), QString::number(*value));
    };
    number("stability", stability);
    number("similarity", similarity);
    number("style", style);
    if (speakerBoost)
        t.insert(QStringLiteral("speakerboost"), text(*speakerBoost));
    if (denoise)
        t.insert(QStringLiteral("denoise"), text(*denoise));
    if (seed)
        t.insert(QStringLiteral("seed"), QString::number(*seed));
    return t;
}

VoiceSettings VoiceSettings::fromTexts(const QHash<QString, QString>& t) {
    VoiceSettings s;
    s.model = t.value(QStringLiteral("model")).trimmed();
    s.stability = share(t.value(QStringLiteral("stability")));
    s.similarity = share(t.value(QStringLiteral("similarity")));
    s.style = share(t.value(QStringLiteral("style")));
    s.speakerBoost = flag(t.value(QStringLiteral("speakerboost")));
    s.denoise = flag(t.value(QStringLiteral("denoise")));
    bool ok = false;
    const qulonglong seed = t.value(QStringLiteral("seed")).trimmed().toULongLong(&ok);
    if (ok && seed <= 4294967295ULL)
        s.seed = quint32(seed);
    return s;
}

QJsonObject VoiceSettings::toObject() const {
    QJsonObject o;
    if (!model.isEmpty())
        o.insert(QStringLiteral("model"), model);
    for (const auto& [key, value] :
         {std::pair{"stability", stability}, std::pair{"similarity", similarity},
          std::pair{"style", style}})
        if (value)
            o.insert(QLatin1String(key), *value);
    if (speakerBoost)
        o.insert(QStringLiteral("speakerboost"), *speakerBoost);
    if (denoise)
        o.insert(QStringLiteral("denoise"), *denoise);
    if (seed)
        o.insert(QStringLiteral("seed"), qint64(*seed));
    return o;
}

QByteArray VoiceSettings::toJson() const {
    return QJsonDocument(toObject()).toJson(QJsonDocument::Compact);
}

QString VoiceSettings::describe() const {
    QStringList parts;
    if (!model.isEmpty())
        parts.append(QCoreApplication::translate("VoiceSettings", "model %1").arg(model));
    if (stability)
        parts.append(
            QCoreApplication::translate("VoiceSettings", "stability %1").arg(percent(*stability)));
    if (similarity)
        parts.append(QCoreApplication::translate("VoiceSettings", "similarity %1")
                         .arg(percent(*similarity)));
    if (style)
        parts.append(QCoreApplication::translate("VoiceSettings", "style %1").arg(percent(*style)));
    if (speakerBoost)
        parts.append(*speakerBoost
                         ? QCoreApplication::translate("VoiceSettings", "speaker boost on")
                         : QCoreApplication::translate("VoiceSettings", "speaker boost off"));
    if (denoise)
        parts.append(*denoise
                         ? QCoreApplication::translate("VoiceSettings", "background noise removed")
                         : QCoreApplication::translate("VoiceSettings", "background noise kept"));
    if (seed)
        parts.append(QCoreApplication::translate("VoiceSettings", "seed %1").arg(*seed));
    return parts.isEmpty() ? QCoreApplication::translate("VoiceSettings", "the service's defaults")
                           : parts.join(QStringLiteral(", "));
}
