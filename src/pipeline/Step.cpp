#include "pipeline/Step.h"

#include "core/Progress.h"
#include "platform/FileSnapshot.h"
#include "platform/ProcessJob.h"

#include <memory>

namespace {
const QString kPictureShift = QStringLiteral("%vo");
const QString kExtension = QStringLiteral("%ext");
} // namespace

Step::Step(const StepContext& context, QObject* parent)
    : Job(parent)
    , m_context(context) {}

Step::~Step() = default;

void Step::refuse(const QString& message) {
    host().showMessage(message);
    finish(JobOutcome::failed(message));
}

bool Step::inputCheck() {
    if (m_paths.FileExists(inputs().input))
        return true;
    refuse(QStringLiteral("no input"));
    return false;
}

namespace {

QList<Macro> macroList(const RunInputs& inputs, const WorkFolder& work, const PathTools& paths,
                       Step::MacroOrder order, const MediaInfo* media) {
    const Macro inputFile{QStringLiteral("%1"), inputs.input};
    const Macro parentFolder{QStringLiteral("%pf"), paths.ParentFolder(inputs.input)};
    const Macro appFolder{QStringLiteral("%ap"), work.root()};
    const Macro outputFolder{QStringLiteral("%2"), inputs.outputFolder};
    const Macro baseName{QStringLiteral("%bn"), paths.BaseName(inputs.input)};
    QList<Macro> macros =
        order == Step::MacroOrder::Standard
            ? QList<Macro>{inputFile, parentFolder, appFolder, outputFolder, baseName}
            : QList<Macro>{inputFile, parentFolder, baseName, appFolder, outputFolder};
    if (media) {
        macros.append({kPictureShift, secondsArgument(pictureShift(*media))});
        macros.append({kExtension, outputExtension(*media)});
    }
    return macros;
}

} // namespace

bool Step::valuesCheck(Template which) {
    const QString& text = inputs().templateText(which);
    for (const Macro& macro : macroList(inputs(), work(), m_paths, MacroOrder::Standard, nullptr)) {
        if (!templateUses(text, macro.name))
            continue;
        if (macro.name == QLatin1String("%2") && macro.value.isEmpty()) {
            refuse(QStringLiteral("no output folder"));
            return false;
        }
        if (const QString problem = doubleQuoteProblem(macro.value); !problem.isEmpty()) {
            refuse(problem);
            return false;
        }
    }
    return true;
}

QStringList Step::arguments(Template which, MacroOrder order, const MediaInfo* media) const {
    return templateArguments(inputs().templateText(which),
                             macroList(inputs(), work(), m_paths, order, media));
}

bool Step::usesMediaMacros(Template which) const {
    const QString& text = inputs().templateText(which);
    return templateUses(text, kPictureShift) || templateUses(text, kExtension);
}

void Step::probeInput(bool needAudio, std::function<void(const MediaInfo&)> then) {
    if (m_context.media) {
        then(*m_context.media);
        return;
    }
    const QString ffprobe = work().ffprobe();
    if (!m_paths.FileExists(ffprobe)) {
        refuse(QStringLiteral("ffprobe not found: ") + ffprobe +
               QStringLiteral("\n\nIt comes with ffmpeg; put it in the same folder."));
        return;
    }
    const QString input = inputs().input;
    if (const QString problem = doubleQuoteProblem(input); !problem.isEmpty()) {
        refuse(problem);
        return;
    }
    runTool(ffprobe, probeArguments(input), [this, input, needAudio, then](ProcessJob& run) {
        if (run.outcome().isStopped()) {
            finish(JobOutcome::stopped());
            return;
        }
        const MediaInfo media = parseProbeReport(run.output().toUtf8());
        if (!media.error.isEmpty())
            refuse(QStringLiteral("ffmpeg cannot read ") + input + QStringLiteral(":\n") +
                   media.error);
        else if (needAudio && !media.first(QStringLiteral("audio")))
            refuse(input + QStringLiteral("\n\nhas no audio track: there is no speech in it to "
                                          "give another voice."));
        else
            then(media);
    });
}

bool Step::removeWorkingFile(const QString& path) {
    if (!m_paths.FileExists(path) || m_paths.DeleteFile(path))
        return true;
    refuse(QStringLiteral("Could not delete ") + path);
    return false;
}

ProcessJob* Step::runTool(const QString& program, const QStringList& arguments,
                          std::function<void(ProcessJob&)> then,
                          const ProcessJob::Environment& environment) {
    if (stopRequested()) {
        finish(JobOutcome::stopped());
        return nullptr;
    }
    auto* run = new ProcessJob(program, arguments, this);
    for (const auto& [name, value] : environment)
        run->setEnvironmentValue(name, value);
    m_running.append(run);
    connect(run, &Job::finished, this, [this, run, then] {
        m_running.removeOne(run);
        run->deleteLater();
        then(*run);
    });
    run->start();
    return run;
}

void Step::runFfmpeg(const QStringList& arguments, std::function<void(bool ok)> then) {
    const QString remark = m_remark.isEmpty() ? QString() : m_remark + QStringLiteral("\r\n\r\n");
    m_remark.clear();
    if (stopRequested()) {
        host().setToolOutput(QStringLiteral("Stopped"));
        finish(JobOutcome::stopped());
        return;
    }
    const auto before = std::make_shared<FileSnapshot>(FileSnapshot::pathsIn(arguments));
    ProcessJob* started =
        runTool(work().ffmpeg(), arguments, [this, before, remark, then](ProcessJob& run) {
            if (run.outcome().isStopped()) {
                // What the stopped run wrote is incomplete; what it only read is left alone.
                for (const QString& path : before->written())
                    m_paths.DeleteFile(path);
                cleanUpAfterStop();
                host().setToolOutput(QStringLiteral("Stopped\r\n") + run.output());
                finish(JobOutcome::stopped());
                return;
            }
            const bool ok = run.outcome().isDone();
            m_shownOutput = ok ? remark + run.output() : QStringLiteral("Error: ") + run.output();
            host().setToolOutput(m_shownOutput);
            then(ok);
        });
    // ffmpeg tells how far it has come; the status bar shows it.
    if (started) {
        struct Reader {
            LineSplitter lines;
            FfmpegProgress progress;
        };
        const auto reader = std::make_shared<Reader>();
        connect(started, &ProcessJob::outputReceived, this,
                [this, reader](const QByteArray& bytes) {
                    const int before = reader->progress.percent().value_or(-1);
                    for (const QString& line : reader->lines.feed(bytes))
                        reader->progress.feedLine(line);
                    if (const auto now = reader->progress.percent(); now && *now != before)
                        host().showProgress(*now / 100.0);
                });
    }
}

void Step::remark(const QString& text) {
    m_remark = text;
    if (m_context.inFullAuto)
        host().log(StepHost::Log::Auto, text);
}

void Step::halt() {
    if (m_running.isEmpty()) {
        finish(JobOutcome::stopped());
        return;
    }
    for (ProcessJob* run : m_running)
        run->stop();
}
