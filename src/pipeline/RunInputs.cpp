#include "pipeline/RunInputs.h"

#include <QJsonArray>

QJsonObject queuedSettings(const RunInputs& inputs) {
    QJsonArray templates;
    for (const QString& text : inputs.templates)
        templates.append(text);
    QJsonObject voiceSettings;
    const QHash<QString, QString> texts = inputs.voiceSettings.texts();
    for (auto it = texts.begin(); it != texts.end(); ++it)
        voiceSettings.insert(it.key(), it.value());
    return {{"outputfolder", inputs.outputFolder},
            {"voice", inputs.voiceRow},
            {"templates", templates},
            {"piecesatonce", inputs.piecesAtOnce},
            {"pieceseconds", inputs.pieceSeconds},
            {"keepbackground", inputs.keepBackground},
            {"separation", inputs.separation},
            {"keeporiginal", inputs.keepOriginal},
            {"voicesettings", voiceSettings}};
}

RunInputs queuedInputs(const QString& input, const QJsonObject& settings, const RunInputs& now) {
    RunInputs inputs = now;
    inputs.input = input;
    inputs.outputFolder = settings.value(QLatin1String("outputfolder")).toString();
    inputs.voiceRow = settings.value(QLatin1String("voice")).toString();
    const QJsonArray templates = settings.value(QLatin1String("templates")).toArray();
    for (std::size_t i = 0; i < inputs.templates.size(); ++i)
        if (templates.size() > qsizetype(i))
            inputs.templates[i] = templates.at(qsizetype(i)).toString();
    inputs.piecesAtOnce = settings.value(QLatin1String("piecesatonce")).toInt(now.piecesAtOnce);
    inputs.pieceSeconds = settings.value(QLatin1String("pieceseconds")).toInt(now.pieceSeconds);
    inputs.keepBackground = settings.value(QLatin1String("keepbackground")).toBool();
    inputs.separation = settings.value(QLatin1String("separation")).toString(now.separation);
    inputs.keepOriginal = settings.value(QLatin1String("keeporiginal")).toBool();
    QHash<QString, QString> texts;
    const QJsonObject voiceSettings = settings.value(QLatin1String("voicesettings")).toObject();
    for (auto it = voiceSettings.begin(); it != voiceSettings.end(); ++it)
        texts.insert(it.key(), it.value().toString());
    inputs.voiceSettings = VoiceSettings::fromTexts(texts);
    return inputs;
}
