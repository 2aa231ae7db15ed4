#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QStringList>

#include <optional>

// What a run of the conversion would send to the voice service and cost, as the script reckons
// it (convert.py --estimate), and what the account has left.
struct Estimate {
    double sendSeconds = 0;
    double cachedSeconds = 0;
    double isolateSeconds = 0;    // of sendSeconds, also to the voice isolator
    double transcribeSeconds = 0; // to the speech to text, to find the speakers
    qint64 transcribeCredits = 0; // of `credits`
    qint64 credits = 0;
    std::optional<qint64> creditsLeft;
    std::optional<QDateTime> renews;
    QString accountProblem; // why the account could not be read
    QStringList unreadable; // files whose audio ffmpeg cannot read, not counted
    QString cacheFolder;
    qint64 cacheBytes = 0;
    qint64 cacheLimitBytes = 0;

    // True when the run needs more credits than are known to be left.
    bool exceedsCredits() const { return creditsLeft && credits > *creditsLeft; }
};

// What the service bills for `seconds` of audio: about 1,000 credits a minute, by duration.
qint64 creditsFor(double seconds);

// Reads the script's report (its "estimate" message); nothing when it is no report.
std::optional<Estimate> parseEstimate(const QJsonObject& report);

// The lines the conversion log shows before a run.
QStringList costLines(const Estimate& estimate);
