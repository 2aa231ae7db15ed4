#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// What the command line of voxsplice-cli asks for. What it leaves out comes from the window's
// remembered settings.
struct CliOptions {
    enum class Action { Run, Estimate, ListVoices, ListSpeakers, Redo, Help, Version };
    Action action = Action::Run;
    QString outputFolder;               // --out
    QString voice;                      // --voice: a name or an id; empty for the remembered one
    std::optional<int> piecesAtOnce;    // --pieces-at-once
    std::optional<bool> keepBackground; // --keep-background, --no-keep-background
    bool offline = false;               // --offline
    bool yes = false;                   // --yes
    QString workFolder;                 // --work; empty for a new one in the cache folder
    QString cacheFolder;                // --cache: the answers' cache; empty for the user's own
    int redoPiece = 0;                  // --redo: the piece to convert again, from 1
    std::optional<quint32> seed;        // --seed: the new take's
    bool speakers = false;              // --speakers: a voice for each speaker
    int maxSpeakers = 0;                // --max-speakers; 0 for as many as there are
    QMap<int, QString> voiceFor;        // --voice-for N=VOICE: a name, an id or "original"
    QString speakersFrom;               // --speakers-from: a WebVTT file with voice tags
    QStringList videos;
};

// The options, or why the arguments are wrong.
struct ParsedCommandLine {
    CliOptions options;
    QString error; // empty when they are right
};

// Reads the arguments (without the program's name). An option's value follows it, or comes
// after '=' ("--out=DIR"); "--" ends the options.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

// What --help prints.
QString cliUsage();
// The one line wrong arguments get on standard error: the program, what is wrong, where to look.
QString wrongArgumentsLine(const QString& error);

// The row ("Name, id") of `rows` whose voice is `nameOrId`: its name in any case (one of the
// account's voices also without its " (category)"), or its id. Empty when there is none.
QString findVoiceRow(const QStringList& rows, const QString& nameOrId);
