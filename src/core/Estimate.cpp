#include "core/Estimate.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>

namespace {

QString minutes(double seconds) {
    return QCoreApplication::translate("Estimate", "%1 min")
        .arg(QLocale::c().toString(seconds / 60.0, 'f', 1));
}

QString number(qint64 value) {
    QLocale locale = QLocale::c();
    locale.setNumberOptions({});
    return locale.toString(value);
}

QString megabytes(qint64 bytes) {
    return QCoreApplication::translate("Estimate", "%1 MB").arg(bytes / 1000000);
}

} // namespace

std::optional<Estimate> parseEstimate(const QJsonObject& report) {
    if (!report.contains(QLatin1String("credits")))
        return std::nullopt;
    Estimate e;
    e.sendSeconds = report.value(QLatin1String("send_seconds")).toDouble();
    e.cachedSeconds = report.value(QLatin1String("cached_seconds")).toDouble();
    e.isolateSeconds = report.value(QLatin1String("isolate_seconds")).toDouble();
    e.transcribeSeconds = report.value(QLatin1String("transcribe_seconds")).toDouble();
    e.transcribeCredits = report.value(QLatin1String("transcribe_credits")).toInteger();
    e.credits = report.value(QLatin1String("credits")).toInteger();
    if (report.contains(QLatin1String("credits_left")))
        e.creditsLeft = report.value(QLatin1String("credits_left")).toInteger();
    const qint64 renews = report.value(QLatin1String("renews_unix")).toInteger();
    if (renews > 0)
        e.renews = QDateTime::fromSecsSinceEpoch(renews);
    e.accountProblem = report.value(QLatin1String("account_problem")).toString();
    for (const QJsonValue& file : report.value(QLatin1String("unreadable")).toArray())
        e.unreadable.append(file.toString());
    e.cacheFolder = report.value(QLatin1String("cache_folder")).toString();
    e.cacheBytes = report.value(QLatin1String("cache_bytes")).toInteger();
    e.cacheLimitBytes = report.value(QLatin1String("cache_limit_bytes")).toInteger();
    return e;
}

QStringList costLines(const Estimate& e) {
    QStringList lines;
    if (e.transcribeSeconds > 0)
        lines << QCoreApplication::translate(
                     "Estimate",
                     "To the speech to text, to find the speakers: %1, about %2 credits")
                     .arg(minutes(e.transcribeSeconds), number(e.transcribeCredits));
    // The speakers' cost alone, before their pieces are cut, has no line for the voice changer.
    if (e.transcribeSeconds <= 0 || e.sendSeconds > 0 || e.cachedSeconds > 0)
        lines << QCoreApplication::translate(
                     "Estimate", "To the voice service: %1, about %2 credits; from the cache: %3")
                     .arg(minutes(e.sendSeconds), number(e.credits - e.transcribeCredits),
                          minutes(e.cachedSeconds));
    if (e.isolateSeconds > 0)
        lines << QCoreApplication::translate("Estimate",
                                             "Of these, %1 also to the voice isolator, which "
                                             "keeps the background: the credits count it twice")
                     .arg(minutes(e.isolateSeconds));
    if (!e.unreadable.isEmpty()) {
        QStringList names;
        for (const QString& file : e.unreadable)
            names << QFileInfo(file).fileName();
        lines << QCoreApplication::translate("Estimate",
                                             "Not counted, ffmpeg cannot read their audio: %1")
                     .arg(names.join(QStringLiteral(", ")));
    }
    if (e.creditsLeft && e.renews)
        lines << QCoreApplication::translate("Estimate", "Credits left: %1, renewed on %2")
                     .arg(number(*e.creditsLeft), e.renews->toString(QStringLiteral("yyyy-MM-dd")));
    else if (e.creditsLeft)
        lines << QCoreApplication::translate("Estimate", "Credits left: %1")
                     .arg(number(*e.creditsLeft));
    else
        lines << QCoreApplication::translate("Estimate", "Credits left: not known (%1)")
                     .arg(e.accountProblem);
    lines << QCoreApplication::translate("Estimate", "Cache: %1 of %2 in %3")
                 .arg(megabytes(e.cacheBytes), megabytes(e.cacheLimitBytes), e.cacheFolder);
    return lines;
}

qint64 creditsFor(double seconds) {
    return qRound64(seconds / 60.0 * 1000.0);
}
