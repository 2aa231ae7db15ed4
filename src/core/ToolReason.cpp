#include "core/ToolReason.h"

#include <QRegularExpression>
#include <QStringList>

QString ffmpegReason(const QString& output, bool errorsOnly) {
    static const QRegularExpression lineEnds(QStringLiteral("[\r\n]+"));
    static const QRegularExpression part(QStringLiteral("^\\[[^\\]]* @ [^\\]]*\\]\\s*"));
    QString last;
    const QStringList lines = output.split(lineEnds, Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        QString line = it->trimmed();
        const bool progress =
            line.contains(QLatin1String("time=")) &&
            (line.startsWith(QLatin1String("size=")) || line.startsWith(QLatin1String("frame=")));
        if (line.isEmpty() || progress || line == QLatin1String("Conversion failed!"))
            continue;
        line.remove(part);
        if (line.size() > 300)
            line = line.left(297) + QStringLiteral("...");
        if (line.contains(QLatin1String("error"), Qt::CaseInsensitive))
            return line;
        if (last.isEmpty())
            last = line;
    }
    return errorsOnly ? QString() : last;
}
