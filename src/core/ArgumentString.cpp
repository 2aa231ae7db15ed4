#include "core/ArgumentString.h"

QStringList splitArgumentString(const QString& arguments) {
    QStringList result;
    QString current;
    bool inArgument = false; // something (even an empty quoted span) belongs to `current`
    bool quoted = false;

    for (const QChar c : arguments) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && isArgumentSeparator(c)) {
            if (inArgument) {
                result.append(current);
                current.clear();
                inArgument = false;
            }
        } else {
            current.append(c);
            inArgument = true;
        }
    }
    if (inArgument)
        result.append(current);
    return result;
}
