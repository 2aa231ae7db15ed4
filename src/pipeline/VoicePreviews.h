#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class ScriptRun;

// The voices' previews for the sample player, through convert.py: which voices have one (the
// service's list), and each preview's audio, downloaded once into the cache folder.
class VoicePreviews : public QObject {
    Q_OBJECT
public:
    VoicePreviews(const QString& interpreter, const QString& script, const QString& cacheFolder,
                  QObject* parent = nullptr);

    // Asks for the list; `listed` follows.
    void list();
    // The preview of `voiceId` (once listed); `ready` or `failed` follows.
    void fetch(const QString& voiceId);
    bool has(const QString& voiceId) const { return m_urls.contains(voiceId); }

signals:
    void listed(bool ok, const QString& failure);
    void ready(const QString& voiceId, const QString& path);
    void failed(const QString& voiceId, const QString& failure);

private:
    ScriptRun* run(const QStringList& arguments, const QString& answer);

    QString m_interpreter;
    QString m_script;
    QString m_cacheFolder;
    QHash<QString, QString> m_urls; // voice id: its preview's address
};
