#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>

namespace testsupport {

QString ffmpeg() {
    return qEnvironmentVariable("VOXSPLICE_FFMPEG", QStringLiteral("ffmpeg"));
}

QString ffprobe() {
    return qEnvironmentVariable("VOXSPLICE_FFPROBE", QStringLiteral("ffprobe"));
}

QString childTool() {
    return qEnvironmentVariable("VOXSPLICE_CHILD");
}

QString appDir() {
    return qEnvironmentVariable("VOXSPLICE_APP_DIR");
}

QString sourceDir() {
    return qEnvironmentVariable("VOXSPLICE_SOURCE_DIR");
}

bool runFfmpeg(const QStringList& arguments, QString* output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(ffmpeg(), QStringList{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"),
                                        QStringLiteral("-y")} +
                                arguments);
    process.waitForFinished(120000);
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool makeVideo(const QString& path, double seconds, int toneHz) {
    const QString d = QString::number(seconds);
    return runFfmpeg(
        {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=" + d, "-f", "lavfi", "-i",
         QStringLiteral("sine=frequency=%1:sample_rate=44100:duration=%2").arg(toneHz).arg(d),
         "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac",
         "-shortest", path});
}

double streamDuration(const QString& path, const QString& spec) {
    QString out;
    if (!runFfmpeg({"-i", path, "-map", "0:" + spec, "-f", "null", "-"}, &out))
        return -1;
    const QRegularExpression time(QStringLiteral("time=(\\d+):(\\d+):(\\d+\\.\\d+)"));
    double seconds = -1;
    for (auto it = time.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        seconds = m.captured(1).toDouble() * 3600 + m.captured(2).toDouble() * 60 +
                  m.captured(3).toDouble();
    }
    return seconds;
}

double audioDuration(const QString& path) {
    return streamDuration(path, QStringLiteral("a:0"));
}

QStringList logRows(const QListWidget* list) {
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d "));
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text().remove(stamp);
    return result;
}

WorkDir::WorkDir(const QString& name, bool withFfmpeg) {
    m_path = QDir(m_dir.path()).filePath(name);
    QDir().mkpath(m_path);
    if (withFfmpeg) {
        QDir().mkpath(file(QStringLiteral("ffmpeg/bin")));
        QFile::link(ffmpeg(), file(QStringLiteral("ffmpeg/bin/ffmpeg")));
        QFile::link(ffprobe(), file(QStringLiteral("ffmpeg/bin/ffprobe")));
    }
    QFile::copy(QDir(appDir()).filePath(QStringLiteral("complete.wav")),
                file(QStringLiteral("complete.wav")));
    const QString script = QDir(sourceDir()).filePath(QStringLiteral("src/script/convert.py"));
    if (QFile::exists(script))
        QFile::copy(script, file(QStringLiteral("convert.py")));
}

QString WorkDir::file(const QString& name) const {
    return QDir(m_path).filePath(name);
}

FormFixture::FormFixture(const QString& workName, bool withFfmpeg)
    : work(workName, withFfmpeg)
    , settings(std::make_unique<QSettings>(settingsDir.filePath(QStringLiteral("voxsplice.ini")),
                                           QSettings::IniFormat)) {
    createForm();
}

FormFixture::~FormFixture() {
    form.reset();
}

void FormFixture::createForm() {
    form = std::make_unique<Form1>(work.path(), settings.get());
    form->setMessageBoxHandler([this](const QString& text) { messages.append(text); });
    form->setSoundPlayer([this](const QString& path) { sounds.append(path); });
}

Form1::LoadResult FormFixture::load() {
    return form->Form_Load();
}

void FormFixture::reopen() {
    form->close();
    form.reset();
    settings->sync();
    createForm();
}

} // namespace testsupport

namespace testsupport {

QString RecordingDialogs::answer(const QStringList& call) {
    calls.append(call.join(QLatin1Char('|')));
    return answers.isEmpty() ? QString() : answers.takeFirst();
}

QString RecordingDialogs::OpenFile(const QString& initialPath, const QString& title) {
    return answer({QStringLiteral("OpenFile"), initialPath, title});
}

QString RecordingDialogs::SaveFile(const QString& proposedName, const QString& folder,
                                   const QString& title) {
    return answer({QStringLiteral("SaveFile"), proposedName, folder, title});
}

QString RecordingDialogs::PickFolder(const QString& startFolder) {
    return answer({QStringLiteral("PickFolder"), startFolder});
}

QString RecordingDialogs::AskText(const QString& prompt) {
    return answer({QStringLiteral("AskText"), prompt});
}

RecordingDialogs* installDialogs(Form1& form, const QStringList& answers) {
    auto dialogs = std::make_unique<RecordingDialogs>(answers);
    RecordingDialogs* raw = dialogs.get();
    form.setPickerDialogs(std::move(dialogs));
    return raw;
}

} // namespace testsupport

namespace testsupport {

bool putFile(const QString& path, const QByteArray& bytes, bool executable) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return !executable || file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

} // namespace testsupport
