#include "core/ScriptMessages.h"

#include <QJsonDocument>

QList<ScriptMessage> ScriptReader::feed(const QByteArray& bytes) {
    return parse(m_lines.feed(bytes));
}

QList<ScriptMessage> ScriptReader::finish() {
    return parse(m_lines.finish());
}

QList<ScriptMessage> ScriptReader::parse(const QStringList& lines) {
    QList<ScriptMessage> messages;
    for (const QString& line : lines) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        const QString type = object.value(QLatin1String("type")).toString();
        if (!type.isEmpty())
            messages.append({type, object});
    }
    return messages;
}

std::optional<ScriptMessage> lastOf(const QList<ScriptMessage>& messages, const QString& type) {
    for (auto it = messages.crbegin(); it != messages.crend(); ++it) {
        if (it->type == type)
            return *it;
    }
    return std::nullopt;
}
