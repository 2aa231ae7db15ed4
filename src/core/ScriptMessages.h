#pragma once

#include "core/Progress.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// What a script of the program tells the window: one JSON object per line on its standard output,
// each with a "type" ("progress", "ready", "answered", "result", "failure", "estimate", "voices",
// "check"). People's text goes to its standard error and is never read for meaning.
struct ScriptMessage {
    QString type;
    QJsonObject fields;

    QString text(const char* key) const { return fields.value(QLatin1String(key)).toString(); }
    double number(const char* key, double otherwise = 0) const {
        return fields.value(QLatin1String(key)).toDouble(otherwise);
    }
    bool flag(const char* key) const { return fields.value(QLatin1String(key)).toBool(); }
};

// Reads the messages out of a script's standard output as it arrives. A line that is no JSON
// object with a "type" is not a message and is passed over.
class ScriptReader {
public:
    QList<ScriptMessage> feed(const QByteArray& bytes);
    // What is left after the last line end.
    QList<ScriptMessage> finish();

private:
    static QList<ScriptMessage> parse(const QStringList& lines);
    LineSplitter m_lines;
};

// The one message of `type` among `messages`, the last where there are several.
std::optional<ScriptMessage> lastOf(const QList<ScriptMessage>& messages, const QString& type);
