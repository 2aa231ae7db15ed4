#include "TestSupport.h"

#include "platform/PathTools.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>

namespace testsupport {

QString ffmpeg() {
    // As CTest gave it: a test may point the scripts at another one meanwhile.
    static const QString given = qEnvironmentVariable("VOXSPLICE_FFMPEG", QStringLiteral("ffmpeg"));
    return given;
}

QString ffprobe() {
    return qEnvironmentVariable("VOXSPLICE_FFPROBE", QStringLiteral("ffprobe"));
}

QString fromCtest(const char* variable) {
    return qEnvironmentVariable(variable);
}

bool inSync(const QString& video) {
    // "video,5.000000" and "audio,5.015011", a line per stream: the first of each kind counts.
    QMap<QByteArray, double> seconds;
    for (const QByteArray& line :
         outputOf(ffprobe(), {"-v", "error", "-show_entries", "stream=codec_type,duration", "-of",
                              "csv=p=0", video})
             .split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() == 2 && !seconds.contains(fields.at(0)))
            seconds.insert(fields.at(0), fields.at(1).toDouble());
    }
    return seconds.value("video") > 0 && seconds.contains("audio") &&
           qAbs(seconds.value("audio") - seconds.value("video")) < 0.05;
}

bool runFfmpeg(const QStringList& arguments, QString* output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(ffmpeg(), QStringList{"-nostdin", "-hide_banner", "-y"} + arguments);
    process.waitForFinished(120000);
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool makeVideo(const QString& path, double seconds) {
    const QString d = QString::number(seconds);
    return runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=" + d, "-f",
                      "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + d, "-c:v",
                      "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac",
                      path});
}

QByteArray outputOf(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return process.readAllStandardOutput();
}

QByteArray decodedSamples(const QString& path) {
    return outputOf(ffmpeg(), {"-nostdin", "-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1",
                               "-ar", "44100", "-f", "s16le", "-"});
}

double lastTime(const QString& out) {
    static const QRegularExpression time(QStringLiteral("time=(\\d+):(\\d+):(\\d+\\.\\d+)"));
    double seconds = -1;
    for (auto it = time.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        seconds = m.captured(1).toDouble() * 3600 + m.captured(2).toDouble() * 60 +
                  m.captured(3).toDouble();
    }
    return seconds;
}

double audioDuration(const QString& path) {
    QString out;
    return runFfmpeg({"-i", path, "-map", "0:a:0", "-f", "null", "-"}, &out) ? lastTime(out) : -1;
}

QStringList logRows(const QListWidget* list) {
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d "));
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text().remove(stamp);
    return result;
}

bool putFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QStringList namesIn(const QString& folder) {
    return PathTools().ListFiles(folder, QStringLiteral("*"), false);
}

bool groupGone(qint64 group, int ms) {
    const auto alive = [group] {
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            QFile stat("/proc/" + pid + "/stat");
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            // "pid (name) state ppid pgrp ...": the name may hold blanks, so read after the ')'.
            const QByteArray line = stat.readAll();
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 2 && fields.at(0) != "Z" && fields.at(2).toLongLong() == group)
                return true;
        }
        return false;
    };
    return QTest::qWaitFor([&alive] { return !alive(); }, ms);
}

FormFixture::FormFixture(const QString& name, bool withFfmpeg)
    : settings(std::make_unique<QSettings>(dir.filePath(QStringLiteral("voxsplice.ini")),
                                           QSettings::IniFormat))
    , m_root(dir.filePath(name)) {
    QDir().mkpath(m_root);
    // Converted pieces and stored keys stay with the fixture, away from the user's own.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
    if (withFfmpeg) {
        QDir().mkpath(work(QStringLiteral("ffmpeg/bin")));
        QFile::link(ffmpeg(), work(QStringLiteral("ffmpeg/bin/ffmpeg")));
        QFile::link(ffprobe(), work(QStringLiteral("ffmpeg/bin/ffprobe")));
    }
    // The rest of the built working folder: the chime, convert.py and its package.
    QDirIterator it(fromCtest("VOXSPLICE_APP_DIR"), {"complete.wav", "convert.py", "*.py"},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString relative = QDir(fromCtest("VOXSPLICE_APP_DIR")).relativeFilePath(from);
        if (relative.startsWith(QLatin1String("parts/")))
            continue;
        QDir().mkpath(QFileInfo(work(relative)).absolutePath());
        QFile::copy(from, work(relative));
    }
    createForm();
}

void FormFixture::createForm() {
    form = std::make_unique<Form1>(WorkFolder(m_root), settings.get());
    form->setMessageBoxHandler([this](const QString& text) { messages.append(text); });
    // Questions (the cost of a run, replacing an output) answered yes unless a test says.
    form->setQuestionHandler([this](const QString& question) {
        questions.append(question);
        return true;
    });
    form->setSoundPlayer([this](const QString& path) { sounds.append(path); });
}

Form1::LoadResult FormFixture::load() {
    return form->Form_Load();
}

void FormFixture::reopen() {
    form->close();
    settle();
    form.reset();
    settings->sync();
    createForm();
}

bool FormFixture::settle(int ms) {
    return QTest::qWaitFor([this] { return !form->isRunning(); }, ms);
}

AnswerGate::AnswerGate() {
    const QByteArray folder = m_folder.path().toUtf8();
    putFile(program(), "#!/bin/sh\ncase \"$*\" in *.voice.mp3*) touch '" + folder +
                           "/reached'; while [ ! -e '" + folder +
                           "/open' ]; do sleep 0.02; done;; esac\nexec '" + ffmpeg().toUtf8() +
                           "' \"$@\"\n");
    QFile::setPermissions(program(), QFile::ExeOwner | QFile::ReadOwner);
}

bool AnswerGate::reached(int ms) const {
    return QTest::qWaitFor([this] { return QFile::exists(m_folder.filePath("reached")); }, ms);
}

void AnswerGate::open() {
    putFile(m_folder.filePath("open"));
}

Standin::Standin(const QStringList& options) {
    m_process.start("python3", QStringList{fromCtest("VOXSPLICE_SOURCE_DIR") +
                                               "/tests/convert/standin_service.py",
                                           "--port", "0", "--ffmpeg", ffmpeg()} +
                                   options);
    if (m_process.waitForReadyRead(20000))
        url = QString::fromUtf8(m_process.readLine()).trimmed();
}

Standin::~Standin() {
    m_process.terminate();
    m_process.waitForFinished(5000);
}

QJsonDocument Standin::exchange(const QString& path, const QByteArray* body) {
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(url + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    QNetworkReply* reply = body ? network.post(request, *body) : network.get(request);
    if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 20000))
        reply->abort();
    const QJsonDocument answer = QJsonDocument::fromJson(reply->readAll());
    delete reply;
    return answer;
}

QJsonObject Standin::ledger() {
    return exchange("/_standin/ledger", nullptr).object();
}

QJsonArray Standin::conversions() {
    QJsonArray sent;
    for (const QJsonValue& request : ledger()["requests"].toArray())
        if (!request["voice_id"].toString().isEmpty())
            sent.append(request);
    return sent;
}

void Standin::post(const QString& what, const QJsonValue& body) {
    const QByteArray data = body.isArray() ? QJsonDocument(body.toArray()).toJson()
                                           : QJsonDocument(body.toObject()).toJson();
    exchange("/_standin/" + what, &data);
}

void RecordingDialogs::answer(const QStringList& call, const Answer& then) {
    calls.append(call.join(QLatin1Char('|')));
    then(answers.isEmpty() ? QString() : answers.takeFirst());
}

void RecordingDialogs::OpenFile(const QString& initialPath, const QString& title, Answer then) {
    answer({"OpenFile", initialPath, title}, then);
}

void RecordingDialogs::OpenFiles(const QString& initialPath, const QString& title, Answers then) {
    answer({"OpenFiles", initialPath, title},
           [then](const QString& a) { then(a.split('\n', Qt::SkipEmptyParts)); });
}

void RecordingDialogs::SaveFile(const QString& name, const QString& folder, const QString& title,
                                Answer then) {
    answer({"SaveFile", name, folder, title}, then);
}

void RecordingDialogs::PickFolder(const QString& startFolder, Answer then) {
    answer({"PickFolder", startFolder}, then);
}

void RecordingDialogs::AskText(const QString& prompt, Answer then) {
    answer({"AskText", prompt}, then);
}

void RecordingDialogs::AskSecret(const QString& prompt, Answer then) {
    answer({"AskSecret", prompt}, then);
}

RecordingDialogs* installDialogs(Form1& form, const QStringList& answers) {
    auto dialogs = std::make_unique<RecordingDialogs>(answers);
    RecordingDialogs* raw = dialogs.get();
    form.setPickerDialogs(std::move(dialogs));
    return raw;
}

} // namespace testsupport
