// voxsplice-cli: Full Auto on videos from the command line, with the window's settings.
#include "cli/CliSession.h"
#include "cli/ConsoleHost.h"
#include "core/CliOptions.h"
#include "pipeline/ScriptRun.h"
#include "pipeline/WorkFolder.h"
#include "platform/Console.h"
#include "platform/Settings.h"
#include "platform/Translations.h"
#include "platform/UserEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The window's names: its settings and its cache are the ones used here.
    QCoreApplication::setOrganizationName(QStringLiteral("voxsplice"));
    QCoreApplication::setApplicationName(QStringLiteral("voxsplice"));
    // In the user's language from the first line on.
    const WorkFolder program = WorkFolder::forProgram(QCoreApplication::applicationDirPath());
    installTranslations(program.translations());

    // Unbuffered, straight to the descriptors: a line is there as soon as it is written, also
    // in a pipe.
    QFile out;
    QFile err;
    out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(fileno(stderr), QIODevice::WriteOnly | QIODevice::Unbuffered);

    const ParsedCommandLine parsed = parseCommandLine(app.arguments().mid(1));
    if (!parsed.error.isEmpty()) {
        err.write(wrongArgumentsLine(parsed.error).toUtf8());
        return CliSession::WrongArguments;
    }
    if (parsed.options.action == CliOptions::Action::Help) {
        out.write(cliUsage().toUtf8());
        return CliSession::Done;
    }
    if (parsed.options.action == CliOptions::Action::Version) {
        out.write("voxsplice-cli " VOXSPLICE_VERSION "\n");
        return CliSession::Done;
    }
    // A key stored by the window reaches the scripts, as it does in the window.
    adoptUserEnvironment(QLatin1String(kApiKeyVariable));
    if (parsed.options.offline)
        qputenv("VOXSPLICE_OFFLINE_VOICE", "1");

    std::FILE* terminal = isTerminal(stderr) ? stderr : isTerminal(stdout) ? stdout : nullptr;
    QFile* bar = terminal == stderr ? &err : terminal == stdout ? &out : nullptr;
    ConsoleHost host(out, err, bar, parsed.options.yes, terminal ? terminalColumns(terminal) : 0);
    const auto store = openUserSettings();
    tellScriptsAbout(program);
    CliSession session(parsed.options, UserSettings(*store), host, program);
    QObject::connect(&session, &CliSession::ended, &app, &QCoreApplication::exit);
    onInterrupt([&session] { session.stop(); });
    QTimer::singleShot(0, &session, &CliSession::start);
    return app.exec();
}
