#include "core/InterpreterList.h"

#include <QStringList>

namespace {

QString trimBlanks(const QString& s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && s.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

} // namespace

QString pickInterpreter(const QString& launcherOutput,
                        const std::function<bool(const QString&)>& fileExists) {
    const QStringList pieces = launcherOutput.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    if (pieces.size() < 3)
        return {};

    for (const QString& piece : pieces) {
        if (!piece.contains(QLatin1String("Python3"), Qt::CaseInsensitive) &&
            !piece.contains(QLatin1String("Py3"), Qt::CaseInsensitive))
            continue;
        const qsizetype drive = piece.indexOf(QLatin1String(":\\"));
        if (drive < 1) // no drive path, or ":\" with no drive letter before it
            continue;
        QString path = trimBlanks(piece.mid(drive - 1));
        path.remove(QLatin1Char('\r'));
        path.remove(QLatin1Char('\n'));
        path = trimBlanks(path);
        if (fileExists(path))
            return path;
    }
    return {};
}
