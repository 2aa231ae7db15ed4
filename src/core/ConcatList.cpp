#include "core/ConcatList.h"

#include "core/TextList.h"

QString concatListText(const QStringList& paths) {
    QStringList lines;
    for (QString path : paths) {
        path.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
        push(lines, QStringLiteral("file '") + path + QLatin1Char('\''));
    }
    return lines.join(QStringLiteral("\r\n"));
}
