#pragma once

#include "core/VoiceSettings.h"

#include <QByteArray>
#include <QJsonObject>
#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

// The per-user settings store: organization and application "voxsplice".
std::unique_ptr<QSettings> openUserSettings();

// The program's values in the store, in the section "settings", as text.
class UserSettings {
public:
    // `store` must outlive this object.
    explicit UserSettings(QSettings& store)
        : m_store(store) {}

    // "outdir": the output folder; empty when none is stored.
    QString outputFolder() const;
    void setOutputFolder(const QString& folder);

    // "comboindex": the chosen row of a voice list of `rows` rows. Nothing stored gives
    // `fallback`; a stored text that is no number gives 0; a number outside the list gives -1
    // (no row).
    int voiceIndex(int rows, int fallback) const;
    void setVoiceIndex(int index);
    // "voiceid": the chosen voice's id, so that one of the account's own voices, which come
    // later and may come in another order, is found again.
    QString voiceId() const;
    void setVoiceId(const QString& id);
    // "model", "stability", "similarity", "style", "speakerboost", "denoise", "seed": how the
    // service shapes the voice; a setting not set is not stored.
    VoiceSettings voiceSettings() const;
    void setVoiceSettings(const VoiceSettings& settings);
    // "piecesatonce": conversions that run at once, 1 to 15; 2 when nothing is stored.
    int piecesAtOnce() const;
    void setPiecesAtOnce(int count);
    // "keepbackground": "true" or "false" (when nothing is stored); "separation": where the
    // voice is split off, "automatic" (when nothing is stored), "service" or "local".
    bool keepOriginal() const;
    void setKeepOriginal(bool keep);
    bool keepBackground() const;
    void setKeepBackground(bool keep);
    QString separation() const;
    void setSeparation(const QString& where);
    // "speakers": "1" when each speaker gets a voice of their own, else "0" (and when nothing is
    // stored); "maxspeakers": at most that many speakers, empty (0) for as many as are found.
    bool findSpeakers() const;
    void setFindSpeakers(bool find);
    int maxSpeakers() const;
    void setMaxSpeakers(int count);
    // "cachelimitmb": the most the cache of converted pieces may hold, in megabytes.
    int cacheLimitMb() const;
    // "pieceseconds": the longest piece Split makes, 1 to 299 seconds; 299 (the voice service
    // takes 300) when nothing is stored.
    int pieceSeconds() const;

    // "commandsopen": the group of the steps and their templates open ("true") or folded
    // ("false", and when nothing is stored).
    bool commandsOpen() const;
    void setCommandsOpen(bool open);
    // "windowgeometry": the window's size and place, as Qt saves them (base64).
    QByteArray windowGeometry() const;
    void setWindowGeometry(const QByteArray& geometry);
    // "askabovecredits": runs that cost fewer credits go without the question; empty (when
    // nothing is stored): every paid run asks.
    std::optional<qint64> askAboveCredits() const;
    void setAskAboveCredits(std::optional<qint64> credits);

    // "queue": where earlier versions kept the queue of videos (JSON), now in a file of its own
    // (QueueFile.h); read once, then removed.
    QJsonObject queue() const;
    void removeQueue();

    void sync() { m_store.sync(); }

private:
    QString value(const QString& key, const QString& fallback) const;
    void setValue(const QString& key, const QString& value);

    QSettings& m_store;
};
