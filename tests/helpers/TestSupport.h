#pragma once

#include "app/Form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>
#include <QSpinBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace testsupport {

// Paths handed to the tests by CTest.
QString ffmpeg();
QString ffprobe();
QString fromCtest(const char* variable); // VOXSPLICE_APP_DIR, _SOURCE_DIR, _CHILD

// Runs ffmpeg with `arguments` (no shell) and waits; true on exit status 0.
bool runFfmpeg(const QStringList& arguments, QString* output = nullptr);
// Generates a short test video: a test pattern and a sine tone.
bool makeVideo(const QString& path, double seconds);
// What a program prints on its standard output (waited for).
QByteArray outputOf(const QString& program, const QStringList& arguments);
// The first audio stream decoded to 16-bit mono samples at 44.1 kHz.
QByteArray decodedSamples(const QString& path);
// The position ffmpeg last reported ("time=...") in what it printed, in seconds; -1 if none.
double lastTime(const QString& ffmpegOutput);
// The duration of the first audio stream, decoded to its end, in seconds; -1 on failure.
double audioDuration(const QString& path);
// The new voice lasts as long as the picture, within 50 ms, as the file says.
bool inSync(const QString& video);
// The rows of a progress list without their time stamps.
QStringList logRows(const QListWidget* list);
// Writes `bytes` to `path`, making its folder first.
bool putFile(const QString& path, const QByteArray& bytes = "x");
// The names of the files in a folder, in the program's order.
QStringList namesIn(const QString& folder);
// True once no live process of the process group `group` is left (zombies have ended: where
// nothing reaps orphans they stay in their group); waits up to `ms`.
bool groupGone(qint64 group, int ms = 5000);

// A window on a temporary working folder laid out like the program's (ffmpeg and ffprobe in
// ffmpeg/bin, complete.wav, convert.py and its package) and a temporary settings file, with
// message boxes and sounds recorded instead of shown and played. `name` becomes part of the
// folder's path.
class FormFixture {
public:
    explicit FormFixture(const QString& name = QStringLiteral("work"), bool withFfmpeg = true);

    Form1::LoadResult load();
    // Closes the window as the user would (shutdown runs) and opens a new one on the same
    // folder and settings, without loading it.
    void reopen();
    // Waits until nothing runs; false after `ms`.
    bool settle(int ms = 120000);
    QString work(const QString& name) const { return QDir(m_root).filePath(name); }

    Form1& w() { return *form; }
    const Form1Ui& ui() const { return form->ui(); }

    QTemporaryDir dir;
    std::unique_ptr<QSettings> settings;
    QStringList messages;
    QStringList questions; // asked of the default answerer, which says yes
    QStringList sounds;
    std::unique_ptr<Form1> form; // closed first: its handlers write to the lists above

private:
    void createForm();
    QString m_root;
};

// The stand-in of the voice service (tests/convert/standin_service.py), run as a program on
// loopback with `options`; steered and read through its control endpoints.
class Standin {
public:
    explicit Standin(const QStringList& options = {});
    ~Standin();
    QString url;
    // GET /_standin/ledger: requests, charged_credits, charges_per_audio, peak_in_flight, ...
    QJsonObject ledger();
    // The ledger's requests to the voice changer, in the order they came.
    QJsonArray conversions();
    // POST /_standin/<what> (queue, set, clear) with a JSON body.
    void post(const QString& what, const QJsonValue& body = QJsonObject());

private:
    QJsonDocument exchange(const QString& path, const QByteArray* body);
    QProcess m_process;
};

// An ffmpeg for the scripts (VOXSPLICE_FFMPEG) that holds the encoding of each of the voice
// service's answers until opened: the moment between a paid answer and the piece kept.
class AnswerGate {
public:
    AnswerGate();
    QString program() const { return m_folder.filePath("ffmpeg"); }
    // Waits until an answer waits at the gate.
    bool reached(int ms = 60000) const;
    void open();

private:
    QTemporaryDir m_folder;
};

// A stand-in for the dialogs: each takes the next of `answers` (empty text, as a cancel, once
// they are used up) at once and is recorded in `calls` as its name and arguments joined by '|'.
class RecordingDialogs : public PickerDialogs {
public:
    explicit RecordingDialogs(QStringList answers = {})
        : answers(std::move(answers)) {}
    void OpenFile(const QString& initialPath, const QString& title, Answer then) override;
    // Several files as one answer, one a line.
    void OpenFiles(const QString& initialPath, const QString& title, Answers then) override;
    void SaveFile(const QString& name, const QString& folder, const QString& title,
                  Answer then) override;
    void PickFolder(const QString& startFolder, Answer then) override;
    void AskText(const QString& prompt, Answer then) override;
    void AskSecret(const QString& prompt, Answer then) override;

    QStringList answers;
    QStringList calls;

private:
    void answer(const QStringList& call, const Answer& then);
};

// Gives `form` a RecordingDialogs with `answers`; the form owns it.
RecordingDialogs* installDialogs(Form1& form, const QStringList& answers = {});

// A data row on one line: addRow("name", a, b) is QTest::newRow("name") << a << b.
template <typename... T> void addRow(const char* name, const T&... values) {
    (QTest::newRow(name) << ... << values);
}

} // namespace testsupport
