#pragma once

#include "app/Form1.h"

#include <QListWidget>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace testsupport {

// Paths handed to the tests by CTest.
QString ffmpeg();
QString ffprobe();
QString childTool();
QString appDir();
QString sourceDir();

// Runs ffmpeg with `arguments` (no shell) and waits; true on exit status 0.
bool runFfmpeg(const QStringList& arguments, QString* output = nullptr);
// Generates a short test video: a test pattern and a sine tone.
bool makeVideo(const QString& path, double seconds, int toneHz = 440);
// The duration of one stream (`spec` as in "-map 0:<spec>"), decoded to its end, in seconds;
// -1 on failure. audioDuration is that of the first audio stream.
double streamDuration(const QString& path, const QString& spec);
double audioDuration(const QString& path);
// The rows of a progress list without their time stamps.
QStringList logRows(const QListWidget* list);

// A temporary working folder laid out like the program's: ffmpeg/bin/ffmpeg, complete.wav and
// convert.py. `name` becomes part of its path, so tests can use blanks or quotes in it.
class WorkDir {
public:
    explicit WorkDir(const QString& name = QStringLiteral("work"), bool withFfmpeg = true);
    QString path() const { return m_path; }
    QString file(const QString& name) const;
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// A window on a temporary working folder and a temporary settings file, with message boxes and
// sounds recorded instead of shown and played.
class FormFixture {
public:
    explicit FormFixture(const QString& workName = QStringLiteral("work"), bool withFfmpeg = true);
    ~FormFixture();

    Form1::LoadResult load();
    // Closes the window as the user would (shutdown runs) and opens a new one on the same
    // folder and settings, without loading it.
    void reopen();

    WorkDir work;
    QTemporaryDir settingsDir;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<Form1> form;
    QStringList messages;
    QStringList sounds;

private:
    void createForm();
};

} // namespace testsupport

namespace testsupport {

// A stand-in for the file and text dialogs: each call takes the next of `answers` (empty text,
// as a cancel, once they are used up) and is recorded in `calls` as its name and arguments joined
// by '|', e.g. "SaveFile|talk.mp4|/videos|Save File".
class RecordingDialogs : public PickerDialogs {
public:
    explicit RecordingDialogs(QStringList answers = {})
        : answers(std::move(answers)) {}

    QString OpenFile(const QString& initialPath, const QString& title) override;
    QString SaveFile(const QString& proposedName, const QString& folder,
                     const QString& title) override;
    QString PickFolder(const QString& startFolder) override;
    QString AskText(const QString& prompt) override;

    QStringList answers;
    QStringList calls;

private:
    QString answer(const QStringList& call);
};

// Gives `form` a RecordingDialogs with `answers`; the form owns it, the pointer lives as long.
RecordingDialogs* installDialogs(Form1& form, const QStringList& answers = {});

} // namespace testsupport

#include <QTest>

namespace testsupport {

// Writes `bytes` to `path`, making its folder first; `executable` adds the owner's execute bit.
bool putFile(const QString& path, const QByteArray& bytes = "x", bool executable = false);

// A data row on one line: addRow("name", a, b) is QTest::newRow("name") << a << b.
template <typename... T> void addRow(const char* name, const T&... values) {
    (QTest::newRow(name) << ... << values);
}

} // namespace testsupport
