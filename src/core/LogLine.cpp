#include "core/LogLine.h"

QString logLine(const QTime& time, const QString& message) {
    return time.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ') + message;
}
