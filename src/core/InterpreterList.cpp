#include "core/InterpreterList.h"

#include <QStringList>

#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>

namespace {

QString trimBlanks(const QString& s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && s.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

// `folder`, one backslash, `name`; empty for an empty folder, which names no place (joined, it
// would name one at the root of the current drive).
QString under(QString folder, const QString& name) {
    while (folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder.isEmpty() ? QString() : folder + QLatin1Char('\\') + name;
}

// A name made of `prefix`, a minor version of Python 3 and `suffix` (all in any case), with
// perhaps some text between the version and the suffix: the version and that text.
std::optional<std::pair<int, QString>> minorVersion(const QString& name, QLatin1String prefix,
                                                    QLatin1String suffix) {
    if (!name.startsWith(prefix, Qt::CaseInsensitive) ||
        !name.endsWith(suffix, Qt::CaseInsensitive) || name.size() < prefix.size() + suffix.size())
        return std::nullopt;
    const QString middle = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
    const auto isDigit = [&middle](qsizetype i) {
        return i < middle.size() && middle.at(i) >= QLatin1Char('0') &&
               middle.at(i) <= QLatin1Char('9');
    };
    qsizetype digits = 0;
    while (digits < 4 && isDigit(digits))
        ++digits;
    if (digits == 0 || isDigit(digits))
        return std::nullopt;
    return std::pair{middle.left(digits).toInt(), middle.mid(digits)};
}

// The entries of `folder` named `prefix` + version + `suffix`, newest first; of one version the
// plain one before the others, those in the order of their names. As paths, with `file` added.
QStringList newestFirst(const QString& folder, const QStringList& names, QLatin1String prefix,
                        QLatin1String suffix, const QString& file) {
    std::vector<std::tuple<int, QString, QString>> found; // minor, what follows it, name
    for (const QString& name : names) {
        if (const auto version = minorVersion(name, prefix, suffix))
            found.emplace_back(version->first, version->second.toLower(), name);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (std::get<0>(a) != std::get<0>(b))
            return std::get<0>(a) > std::get<0>(b);
        return std::get<1>(a) < std::get<1>(b);
    });
    QStringList paths;
    for (const auto& entry : found) {
        const QString path = under(folder, std::get<2>(entry));
        paths.append(file.isEmpty() ? path : under(path, file));
    }
    return paths;
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

QString findWindowsPython(const PythonPlaces& places, const PythonProbe& probe) {
    const QString perUser = under(places.localAppData, QStringLiteral("Programs\\Python"));
    for (const QString& launcher : {under(places.windowsFolder, QStringLiteral("py.exe")),
                                    under(perUser, QStringLiteral("Launcher\\py.exe"))}) {
        if (launcher.isEmpty() || !probe.fileExists(launcher))
            continue;
        const QString picked = pickInterpreter(probe.launcherList(launcher), probe.fileExists);
        if (!picked.isEmpty())
            return picked;
    }

    const QString python = QStringLiteral("python.exe");
    const QLatin1String installs("Python3");
    const QString store = under(places.localAppData, QStringLiteral("Microsoft\\WindowsApps"));
    QStringList candidates;
    for (const QString& folder : {perUser, places.programFiles}) {
        if (!folder.isEmpty())
            candidates += newestFirst(folder, probe.namesIn(folder), installs, {}, python);
    }
    if (!store.isEmpty())
        candidates += newestFirst(store, probe.namesIn(store), QLatin1String("python3."),
                                  QLatin1String(".exe"), {});
    for (const QString& candidate : candidates) {
        if (probe.fileExists(candidate))
            return candidate;
    }
    return {};
}
