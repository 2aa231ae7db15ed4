#include "core/CliOptions.h"

#include "core/Voices.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

const QStringList kValueOptions = {QStringLiteral("--out"),
                                   QStringLiteral("--voice"),
                                   QStringLiteral("--pieces-at-once"),
                                   QStringLiteral("--work"),
                                   QStringLiteral("--cache"),
                                   QStringLiteral("--redo"),
                                   QStringLiteral("--seed"),
                                   QStringLiteral("--max-speakers"),
                                   QStringLiteral("--voice-for"),
                                   QStringLiteral("--speakers-from")};

// Sets a flag; false when `name` is none.
bool takeFlag(CliOptions& o, const QString& name) {
    if (name == QLatin1String("--keep-background") || name == QLatin1String("--no-keep-background"))
        o.keepBackground = name == QLatin1String("--keep-background");
    else if (name == QLatin1String("--offline"))
        o.offline = true;
    else if (name == QLatin1String("--yes"))
        o.yes = true;
    else if (name == QLatin1String("--speakers"))
        o.speakers = true;
    else
        return false;
    return true;
}

// Sets an option's value; the reason when the value will not do.
QString takeValue(CliOptions& o, const QString& name, const QString& value) {
    if (value.isEmpty())
        return QCoreApplication::translate("CliOptions", "%1 needs a value").arg(name);
    if (name == QLatin1String("--out")) {
        o.outputFolder = value;
    } else if (name == QLatin1String("--voice")) {
        o.voice = value;
    } else if (name == QLatin1String("--work")) {
        o.workFolder = value;
    } else if (name == QLatin1String("--cache")) {
        o.cacheFolder = value;
    } else if (name == QLatin1String("--redo")) {
        bool isNumber = false;
        o.redoPiece = value.toInt(&isNumber);
        if (!isNumber || o.redoPiece < 1)
            return QCoreApplication::translate("CliOptions",
                                               "--redo takes the number of a piece, not %1")
                .arg(value);
        o.action = CliOptions::Action::Redo;
    } else if (name == QLatin1String("--max-speakers")) {
        bool isNumber = false;
        o.maxSpeakers = value.toInt(&isNumber);
        if (!isNumber || o.maxSpeakers < 1 || o.maxSpeakers > 32)
            return QCoreApplication::translate("CliOptions",
                                               "--max-speakers takes a number from 1 to 32, not %1")
                .arg(value);
        o.speakers = true;
    } else if (name == QLatin1String("--voice-for")) {
        bool isNumber = false;
        const int speaker = value.section(QLatin1Char('='), 0, 0).toInt(&isNumber);
        const QString voice = value.section(QLatin1Char('='), 1).trimmed();
        if (!isNumber || speaker < 1 || voice.isEmpty())
            return QCoreApplication::translate("CliOptions",
                                               "--voice-for takes N=VOICE (the speaker's number "
                                               "from 1, a voice or \"original\"), not %1")
                .arg(value);
        o.voiceFor.insert(speaker, voice);
    } else if (name == QLatin1String("--speakers-from")) {
        o.speakersFrom = value;
    } else if (name == QLatin1String("--seed")) {
        bool isNumber = false;
        const quint32 seed = value.toUInt(&isNumber);
        if (!isNumber)
            return QCoreApplication::translate("CliOptions",
                                               "--seed takes a number from 0 to 4294967295, "
                                               "not %1")
                .arg(value);
        o.seed = seed;
    } else {
        bool isNumber = false;
        const int count = value.toInt(&isNumber);
        if (!isNumber || count < 1 || count > 15)
            return QCoreApplication::translate("CliOptions",
                                               "--pieces-at-once takes a number from 1 to 15, "
                                               "not %1")
                .arg(value);
        o.piecesAtOnce = count;
    }
    return {};
}

// Why the options make no command; empty when they do.
QString check(const CliOptions& o) {
    using Action = CliOptions::Action;
    if (o.action == Action::ListVoices && !o.videos.isEmpty())
        return QCoreApplication::translate("CliOptions", "--list-voices takes no videos");
    if (o.action != Action::ListVoices && o.videos.isEmpty())
        return QCoreApplication::translate("CliOptions", "no video given");
    if (o.action == Action::ListSpeakers && o.videos.size() != 1)
        return QCoreApplication::translate("CliOptions", "--list-speakers takes one video");
    // A piece redone keeps the speakers its run found: a voice may be given to them.
    if ((!o.voiceFor.isEmpty() && o.redoPiece == 0 || o.maxSpeakers > 0) && !o.speakers &&
        o.speakersFrom.isEmpty())
        return QCoreApplication::translate(
            "CliOptions", "--voice-for and --max-speakers need --speakers or --speakers-from");
    if (o.action == Action::Redo && (o.workFolder.isEmpty() || o.videos.size() != 1))
        return QCoreApplication::translate("CliOptions",
                                           "--redo needs --work with the run's folder and the one "
                                           "video of that run");
    if ((o.action == Action::Run || o.action == Action::Redo) && o.outputFolder.isEmpty())
        return QCoreApplication::translate("CliOptions",
                                           "--out is missing: where do the new videos go?");
    return {};
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments) {
    using Action = CliOptions::Action;
    ParsedCommandLine parsed;
    CliOptions& o = parsed.options;
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size() && parsed.error.isEmpty(); ++i) {
        const QString& argument = arguments.at(i);
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (optionsEnded || !argument.startsWith(QLatin1Char('-'))) {
            o.videos.append(argument);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            o.action = Action::Help;
            return parsed;
        } else if (argument == QLatin1String("--version")) {
            o.action = Action::Version;
            return parsed;
        } else if (argument == QLatin1String("--estimate") ||
                   argument == QLatin1String("--list-voices") ||
                   argument == QLatin1String("--list-speakers")) {
            const Action action = argument == QLatin1String("--estimate") ? Action::Estimate
                                  : argument == QLatin1String("--list-voices")
                                      ? Action::ListVoices
                                      : Action::ListSpeakers;
            if (o.action != Action::Run && o.action != action)
                parsed.error = QCoreApplication::translate(
                    "CliOptions", "--estimate, --list-voices and --list-speakers go alone");
            o.action = action;
        } else if (kValueOptions.contains(name)) {
            const QString value = argument.contains(QLatin1Char('='))
                                      ? argument.section(QLatin1Char('='), 1)
                                  : i + 1 < arguments.size() ? arguments.at(++i)
                                                             : QString();
            parsed.error = takeValue(o, name, value);
        } else if (!takeFlag(o, argument)) {
            parsed.error =
                QCoreApplication::translate("CliOptions", "unknown option %1").arg(argument);
        }
    }
    if (parsed.error.isEmpty())
        parsed.error = check(o);
    return parsed;
}

QString cliUsage() {
    //: The option names, DIR, VIDEO, NAME_OR_ID and N stay as they are; the descriptions of the
    //: options begin in the 23rd column.
    return QCoreApplication::translate(
        "CliOptions",
        "Usage: voxsplice-cli --out DIR [options] VIDEO...\n"
        "       voxsplice-cli --estimate [options] VIDEO...\n"
        "       voxsplice-cli --list-voices\n"
        "       voxsplice-cli --list-speakers [--max-speakers N] VIDEO\n"
        "       voxsplice-cli --work DIR --redo N --out DIR [--voice V] [--seed S]\n"
        "                     [--voice-for N=VOICE] VIDEO\n"
        "\n"
        "Gives the speech of each video another voice, one video after the other: its audio\n"
        "extracted, split into pieces, each converted, joined and laid under the picture again\n"
        "(Full Auto). The new video goes to DIR as <name>_AI.mp4 (or .mkv). A video that fails\n"
        "does not stop the next.\n"
        "\n"
        "Options:\n"
        "  --out DIR             where the new videos go\n"
        "  --voice NAME_OR_ID    the voice, by name (\"Liam\", in any case) or id\n"
        "  --pieces-at-once N    pieces converted at the same time, 1 to 15\n"
        "  --keep-background     keep the music and sounds under the new voice\n"
        "  --no-keep-background  do not keep them\n"
        "  --offline             change the voice on this machine, without the voice service\n"
        "  --work DIR            the working folder, made if missing (default: a new one in the\n"
        "                        cache folder, removed when the run ends)\n"
        "  --cache DIR           the cache of the voice service's answers (default: the user's);\n"
        "                        runs that share one, at once or later, pay once for the same\n"
        "                        audio\n"
        "  --yes                 start even when the account's credits would not do, and fetch\n"
        "                        the separator's model where it is needed\n"
        "  --estimate            print what converting the videos costs; convert nothing\n"
        "  --list-voices         print the voices: the 45 fixed ones, then the account's own\n"
        "  --redo N              convert piece N of the run kept in --work again, as a new take\n"
        "                        (asked of the service, never the cache), and make the video\n"
        "                        again with it; the other pieces stay as they are\n"
        "  --seed S              the new take's seed (default: a new one)\n"
        "  --speakers            find the speakers (once, with the voice service's speech to\n"
        "                        text) and convert only their speech, each in their own voice\n"
        "  --max-speakers N      at most N speakers (default: as many as are found)\n"
        "  --voice-for N=VOICE   speaker N (numbered in order of first speech) in VOICE: a name,\n"
        "                        an id, or \"original\" to keep their voice; the others get\n"
        "                        --voice\n"
        "  --speakers-from FILE  the speakers from a WebVTT transcript with voice tags\n"
        "                        (<v Host>...), instead of the speech to text\n"
        "  --list-speakers       print the speakers of a video: number, speaking time, turns\n"
        "                        and first words (found once, then from the cache)\n"
        "  -h, --help            print this text\n"
        "  --version             print the version\n"
        "\n"
        "What is not given here comes from the window's remembered settings (voice, its\n"
        "settings, pieces at once, keep background and where it is split off, piece length,\n"
        "cache limit). The API key comes from the environment variable elevenlabs_api_key, or\n"
        "from where the window stored it. Before a run that costs credits, one line says what\n"
        "all the videos cost.\n"
        "\n"
        "Exit status: 0 when every video is done, 1 when one failed, the run was stopped\n"
        "(Ctrl+C) or the voice service refused the key, 2 for wrong arguments, a video that is\n"
        "not there, an --out folder that cannot be made, a working folder in use by another\n"
        "run, or one that holds no run of the video to redo a piece of; 75 when every video\n"
        "that failed met the account's limit of requests at once all the run long (run it\n"
        "again later).\n");
}

QString wrongArgumentsLine(const QString& error) {
    return QStringLiteral("voxsplice-cli: ") +
           QCoreApplication::translate("CliOptions", "%1; see --help").arg(error) +
           QLatin1Char('\n');
}

QString findVoiceRow(const QStringList& rows, const QString& nameOrId) {
    static const QRegularExpression category(QStringLiteral("\\s*\\([^()]*\\)$"));
    const QString wanted = nameOrId.trimmed();
    for (const QString& row : rows) {
        const QString name = voiceNameFromRow(row);
        if (voiceIdFromRow(row) == wanted || name.compare(wanted, Qt::CaseInsensitive) == 0 ||
            QString(name).remove(category).compare(wanted, Qt::CaseInsensitive) == 0)
            return row;
    }
    return {};
}
