#include "platform/Settings.h"

#include <QJsonDocument>

#include <algorithm>

namespace {
const QString kGroup = QStringLiteral("settings");
} // namespace

std::unique_ptr<QSettings> openUserSettings() {
    return std::make_unique<QSettings>(QStringLiteral("voxsplice"), QStringLiteral("voxsplice"));
}

VoiceSettings UserSettings::voiceSettings() const {
    QHash<QString, QString> texts;
    for (const QString& key : VoiceSettings::keys()) {
        if (m_store.contains(kGroup + QLatin1Char('/') + key))
            texts.insert(key, value(key, QString()));
    }
    return VoiceSettings::fromTexts(texts);
}

void UserSettings::setVoiceSettings(const VoiceSettings& settings) {
    const QHash<QString, QString> texts = settings.texts();
    for (const QString& key : VoiceSettings::keys()) {
        if (texts.contains(key))
            setValue(key, texts.value(key));
        else
            m_store.remove(kGroup + QLatin1Char('/') + key);
    }
}

QString UserSettings::value(const QString& key, const QString& fallback) const {
    return m_store.value(kGroup + QLatin1Char('/') + key, fallback).toString();
}

void UserSettings::setValue(const QString& key, const QString& value) {
    m_store.setValue(kGroup + QLatin1Char('/') + key, value);
}

QString UserSettings::outputFolder() const {
    return value(QStringLiteral("outdir"), QString());
}

void UserSettings::setOutputFolder(const QString& folder) {
    setValue(QStringLiteral("outdir"), folder);
}

int UserSettings::voiceIndex(int rows, int fallback) const {
    bool isNumber = false;
    const int index =
        value(QStringLiteral("comboindex"), QString::number(fallback)).trimmed().toInt(&isNumber);
    if (!isNumber)
        return 0;
    return index >= 0 && index < rows ? index : -1;
}

void UserSettings::setVoiceIndex(int index) {
    setValue(QStringLiteral("comboindex"), QString::number(index));
}

QString UserSettings::voiceId() const {
    return value(QStringLiteral("voiceid"), QString());
}

void UserSettings::setVoiceId(const QString& id) {
    setValue(QStringLiteral("voiceid"), id);
}

int UserSettings::piecesAtOnce() const {
    bool isNumber = false;
    const int count = value(QStringLiteral("piecesatonce"), QString()).toInt(&isNumber);
    return isNumber ? std::clamp(count, 1, 15) : 2;
}

void UserSettings::setPiecesAtOnce(int count) {
    setValue(QStringLiteral("piecesatonce"), QString::number(count));
}

int UserSettings::cacheLimitMb() const {
    bool isNumber = false;
    const int limit = value(QStringLiteral("cachelimitmb"), QString()).toInt(&isNumber);
    return isNumber && limit > 0 ? limit : 2048;
}

QJsonObject UserSettings::queue() const {
    return QJsonDocument::fromJson(value(QStringLiteral("queue"), QString()).toUtf8()).object();
}

void UserSettings::removeQueue() {
    m_store.remove(kGroup + QStringLiteral("/queue"));
}

int UserSettings::pieceSeconds() const {
    bool isNumber = false;
    const int seconds = value(QStringLiteral("pieceseconds"), QString()).toInt(&isNumber);
    return isNumber ? std::clamp(seconds, 1, 299) : 299;
}

bool UserSettings::keepOriginal() const {
    return value(QStringLiteral("keeporiginal"), QString()) == QLatin1String("true");
}

void UserSettings::setKeepOriginal(bool keep) {
    setValue(QStringLiteral("keeporiginal"),
             keep ? QStringLiteral("true") : QStringLiteral("false"));
}

bool UserSettings::keepBackground() const {
    return value(QStringLiteral("keepbackground"), QString()) == QLatin1String("true");
}

void UserSettings::setKeepBackground(bool keep) {
    setValue(QStringLiteral("keepbackground"),
             keep ? QStringLiteral("true") : QStringLiteral("false"));
}

bool UserSettings::findSpeakers() const {
    return value(QStringLiteral("speakers"), QString()) == QLatin1String("1");
}

void UserSettings::setFindSpeakers(bool find) {
    setValue(QStringLiteral("speakers"), find ? QStringLiteral("1") : QStringLiteral("0"));
}

int UserSettings::maxSpeakers() const {
    const int count = value(QStringLiteral("maxspeakers"), QString()).toInt();
    return count >= 1 && count <= 32 ? count : 0;
}

void UserSettings::setMaxSpeakers(int count) {
    setValue(QStringLiteral("maxspeakers"), count > 0 ? QString::number(count) : QString());
}

QString UserSettings::separation() const {
    const QString where = value(QStringLiteral("separation"), QString());
    return where == QLatin1String("service") || where == QLatin1String("local")
               ? where
               : QStringLiteral("automatic");
}

void UserSettings::setSeparation(const QString& where) {
    setValue(QStringLiteral("separation"), where);
}

bool UserSettings::commandsOpen() const {
    return value(QStringLiteral("commandsopen"), QString()) == QLatin1String("true");
}

void UserSettings::setCommandsOpen(bool open) {
    setValue(QStringLiteral("commandsopen"),
             open ? QStringLiteral("true") : QStringLiteral("false"));
}

QByteArray UserSettings::windowGeometry() const {
    return QByteArray::fromBase64(value(QStringLiteral("windowgeometry"), QString()).toLatin1());
}

void UserSettings::setWindowGeometry(const QByteArray& geometry) {
    setValue(QStringLiteral("windowgeometry"), QString::fromLatin1(geometry.toBase64()));
}

std::optional<qint64> UserSettings::askAboveCredits() const {
    bool isNumber = false;
    const qint64 credits =
        value(QStringLiteral("askabovecredits"), QString()).trimmed().toLongLong(&isNumber);
    return isNumber && credits >= 0 ? std::optional(credits) : std::nullopt;
}

void UserSettings::setAskAboveCredits(std::optional<qint64> credits) {
    setValue(QStringLiteral("askabovecredits"), credits ? QString::number(*credits) : QString());
}
