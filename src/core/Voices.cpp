#include "core/Voices.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

const QStringList& voiceRows() {
    static const QStringList rows = {
        QStringLiteral("Rachel, 21m00Tcm4TlvDq8ikWAM"),
        QStringLiteral("Drew, 29vD33N1CtxCmqQRPOHJ"),
        QStringLiteral("Clyde, 2EiwWnXFnvU5JabPnv8n"),
        QStringLiteral("Paul, 5Q0t7uMcjvnagumLfvZi"),
        QStringLiteral("Domi, AZnzlk1XvdvUeBnXmlld"),
        QStringLiteral("Dave, CYw3kZ02Hs0563khs1Fj"),
        QStringLiteral("Fin, D38z5RcWu1voky8WS1ja"),
        QStringLiteral("Sarah, EXAVITQu4vr4xnSDxMaL"),
        QStringLiteral("Antoni, ErXwobaYiN019PkySvjV"),
        QStringLiteral("Thomas, GBv7mTt0atIp3Br8iCZE"),
        QStringLiteral("Charlie, IKne3meq5aSn9XLyUdCD"),
        QStringLiteral("George, JBFqnCBsd6RMkjVDRZzb"),
        QStringLiteral("Emily, LcfcDJNUP1GQjkzn1xUU"),
        QStringLiteral("Elli, MF3mGyEYCl7XYWbV9V6O"),
        QStringLiteral("Callum, N2lVS1w4EtoT3dr4eOWO"),
        QStringLiteral("Patrick, ODq5zmih8GrVes37Dizd"),
        QStringLiteral("Harry, SOYHLrjzK2X1ezoPC6cr"),
        QStringLiteral("Liam, TX3LPaxmHKxFdv7VOQHJ"),
        QStringLiteral("Dorothy, ThT5KcBeYPX3keUQqHPh"),
        QStringLiteral("Josh, TxGEqnHWrfWFTfGW9XjX"),
        QStringLiteral("Arnold, VR6AewLTigWG4xSOukaG"),
        QStringLiteral("Charlotte, XB0fDUnXU5powFXDhCwa"),
        QStringLiteral("Alice, Xb7hH8MSUJpSbSDYk0k2"),
        QStringLiteral("Matilda, XrExE9yKIg1WjnnlVkGX"),
        QStringLiteral("James, ZQe5CZNOzWyzPSCn5a3c"),
        QStringLiteral("Joseph, Zlb1dXrM653N07WRdFW3"),
        QStringLiteral("Jeremy, bVMeCyTHy58xNoL34h3p"),
        QStringLiteral("Michael, flq6f7yk4E4fJM5XTYuZ"),
        QStringLiteral("Ethan, g5CIjZEefAph4nQFvHAz"),
        QStringLiteral("Chris, iP95p4xoKVk53GoZ742B"),
        QStringLiteral("Gigi, jBpfuIE2acCO8z3wKNLl"),
        QStringLiteral("Freya, jsCqWAovK2LkecY7zXl4"),
        QStringLiteral("Brian, nPczCjzI2devNBz1zQrb"),
        QStringLiteral("Grace, oWAxZDx7w5VEj9dCyTzz"),
        QStringLiteral("Daniel, onwK4e9ZLuTAKqWW03F9"),
        QStringLiteral("Lily, pFZP5JQG7iQjIQuC4Bku"),
        QStringLiteral("Serena, pMsXgVXv3BLzUgSXRplE"),
        QStringLiteral("Adam, pNInz6obpgDQGcFmaJgB"),
        QStringLiteral("Nicole, piTKgcLEGmPE4e6mEKli"),
        QStringLiteral("Bill, pqHfZKP75CvOlQylNhV4"),
        QStringLiteral("Jessie, t0jbNlBVZ17f02VDIeMI"),
        QStringLiteral("Sam, yoZ06aMxZJJ28mfd3POQ"),
        QStringLiteral("Glinda, z9fAnlkpzviPz146aGWa"),
        QStringLiteral("Giovanni, zcAOhNBS3c14rBihAFp1"),
        QStringLiteral("Mimi, zrHiDhphv9ZnVXBqCLjz"),
    };
    return rows;
}

QString voiceIdFromRow(const QString& row) {
    const QStringList fields = row.split(QLatin1Char(','));
    if (fields.size() < 2)
        return {};
    return fields.at(1).trimmed();
}

QString voiceNameFromRow(const QString& row) {
    return row.section(QLatin1Char(','), 0, 0).trimmed();
}

QStringList accountVoiceRows(const QJsonArray& voices) {
    QStringList fixed;
    for (const QString& row : voiceRows())
        fixed.append(voiceIdFromRow(row));
    QStringList rows;
    for (const QJsonValue& value : voices) {
        const QJsonObject voice = value.toObject();
        const QString id = voice.value(QLatin1String("voice_id")).toString().trimmed();
        if (id.isEmpty() || id.contains(QLatin1Char(',')) || fixed.contains(id))
            continue;
        QString name = voice.value(QLatin1String("name")).toString().simplified();
        name.replace(QLatin1Char(','), QLatin1Char(';'));
        const QString category = voice.value(QLatin1String("category")).toString();
        if (!category.isEmpty())
            name += QStringLiteral(" (") + category + QLatin1Char(')');
        rows.append(name + QStringLiteral(", ") + id);
    }
    return rows;
}
