// Linux and other Unix-like systems: the user's variables live in a systemd environment.d file.
#include "platform/UserEnvironment.h"

#include "platform/EnvironmentFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

namespace {

bool fail(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return false;
}

// Replaces the variable's line in the file, keeping every other line. The file holds a secret, so
// only its owner may read it; it is replaced in one step, so a failed write leaves the old one.
bool storeInFile(const QString& name, const QString& value, QString* error) {
    const QString path = userEnvironmentFile();
    QString text;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return fail(error, QCoreApplication::translate("UserEnvironment", "Cannot read %1: %2")
                                   .arg(path, existing.errorString()));
        text = QString::fromUtf8(existing.readAll());
        existing.close();
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(error,
                    QCoreApplication::translate("UserEnvironment", "Cannot create the folder %1")
                        .arg(folder));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, QCoreApplication::translate("UserEnvironment", "Cannot write %1: %2")
                               .arg(path, file.errorString()));
    if (::fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0) {
        file.cancelWriting();
        return fail(error,
                    QCoreApplication::translate("UserEnvironment", "Cannot make %1 private to you")
                        .arg(path));
    }
    file.write(replaceEnvironmentEntry(text, name, value).toUtf8());
    if (!file.commit())
        return fail(error, QCoreApplication::translate("UserEnvironment", "Cannot write %1: %2")
                               .arg(path, file.errorString()));
    return true;
}

} // namespace

QString userEnvironmentFile() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QLatin1String("/.config");
    return config + QLatin1String("/environment.d/voxsplice.conf");
}

bool SetEnvVar(const QString& EnvName, const QString& EnvValue, bool setGlobal, QString* error) {
    qputenv(EnvName.toLocal8Bit().constData(), EnvValue.toLocal8Bit());
    if (!setGlobal)
        return true;
    return storeInFile(EnvName, EnvValue, error);
}

void adoptUserEnvironment(const QString& name) {
    QFile file(userEnvironmentFile());
    if (!file.open(QIODevice::ReadOnly))
        return;
    const std::optional<QString> value =
        environmentFileValue(QString::fromUtf8(file.readAll()), name);
    if (value && !value->isEmpty())
        qputenv(name.toLocal8Bit().constData(), value->toLocal8Bit());
}
