// Reintegrate: joined.mp4 laid under the input's picture, written into the output folder. The
// new video takes its name only once it is complete and decodes; until then an earlier one of
// that name stays as it was.
#include "core/OutputName.h"
#include "pipeline/FfmpegRun.h"
#include "pipeline/RunRecordFile.h"
#include "pipeline/Steps.h"
#include "pipeline/TemplateMacros.h"
#include "platform/FileSnapshot.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

// An output an earlier video of this queue or command line wrote is not written over: this
// video's goes beside it, under the next free number, and the log says so.
void ReintegrateStep::avoidTakenOutput(QStringList& arguments) {
    const QStringList written = FileSnapshot::pathsIn(arguments);
    if (written.isEmpty())
        return;
    const QString wanted = written.last();
    // A run's video made again replaces that video, not another one of the template's name (the
    // run may have written beside one).
    const QFileInfo remade(inputs().remakes);
    if (!inputs().remakes.isEmpty() && remade.absolutePath() == QFileInfo(wanted).absolutePath() &&
        remade.suffix() == QFileInfo(wanted).suffix()) {
        arguments[arguments.lastIndexOf(wanted)] = QDir::toNativeSeparators(inputs().remakes);
        return;
    }
    if (inputs().takenOutputs.isEmpty())
        return;
    const QString name = freeOutputName(
        QFileInfo(wanted).absoluteFilePath(), inputs().takenOutputs,
        [](const QString& path) { return QFileInfo::exists(path); },
#if defined(Q_OS_WIN)
        Qt::CaseInsensitive);
#else
        Qt::CaseSensitive);
#endif
    if (QDir::cleanPath(name) == QDir::cleanPath(QFileInfo(wanted).absoluteFilePath()))
        return;
    arguments[arguments.lastIndexOf(wanted)] = QDir::toNativeSeparators(name);
    m_remark = tr("%1 was written by an earlier video of this run: this one is %2")
                   .arg(QFileInfo(wanted).fileName(), QFileInfo(name).fileName());
    host().log(StepHost::Log::Auto, m_remark);
}

void ReintegrateStep::begin() {
    if (!inputCheck() || !valuesCheck(Template::Integrate))
        return;
    if (usesMediaMacros(inputs().templateText(Template::Integrate)))
        probeInput(false, [this](const MediaInfo& media) { run(&media); });
    else
        run(nullptr);
}

void ReintegrateStep::run(const MediaInfo* media) {
    // Here the base name is replaced before the folders: the reintegrate macro order.
    QStringList arguments = stepArguments(inputs(), work(), Template::Integrate, media);
    avoidTakenOutput(arguments);
    if (!paths().FileExists(work().joined())) {
        refuse(tr("Could not find joined.mp4"));
        return;
    }
    // Full Auto asked before it began; a queue or a command line asks nobody.
    const QStringList written = FileSnapshot::pathsIn(arguments);
    if (context().inFullAuto || inputs().unattended || written.isEmpty() ||
        !QFileInfo::exists(written.last())) {
        write(arguments, media);
        return;
    }
    const std::optional<MediaInfo> probed = media ? std::optional(*media) : std::nullopt;
    host().ask(tr("%1 exists. Replace it?").arg(QFileInfo(written.last()).fileName()),
               [self = QPointer<ReintegrateStep>(this), arguments, probed](bool yes) {
                   if (!self || self->isFinished())
                       return;
                   if (yes)
                       self->write(arguments, probed ? &*probed : nullptr);
                   else
                       self->finish(JobOutcome::stopped());
               });
}

void ReintegrateStep::write(const QStringList& arguments, const MediaInfo* media) {
    auto* run = new FfmpegRun(host(), work(), arguments);
    run->guardOutput(FfmpegRun::Check::DecodeAudio);
    const KeptStreams kept = media ? reintegrateKeeps(inputs(), *media) : KeptStreams();
    if (kept.extension != QLatin1String("mp4") &&
        templateUses(inputs().templateText(Template::Integrate), QStringLiteral("%ext"))) {
        const bool one = kept.matroskaReasons.size() == 1 && kept.pictureNeedsMatroska;
        QString remark = (one ? tr("%1_AI.mkv (Matroska): MP4 cannot hold %2 of this video, "
                                   "which is kept untouched.")
                              : tr("%1_AI.mkv (Matroska): MP4 cannot hold %2 of this video, "
                                   "which are kept untouched."))
                             .arg(paths().BaseName(inputs().input),
                                  kept.matroskaReasons.join(QStringLiteral(", ")));
        if (kept.pictureNeedsMatroska)
            remark += QLatin1Char(' ') + tr("Tools > Convert wmv to mp4 makes an MP4 of the video "
                                            "if you need one.");
        run->setRemark(remark);
        if (context().inFullAuto)
            host().log(StepHost::Log::Auto, remark);
    }
    runChild(run, [this](FfmpegRun& run) {
        m_output = run.outputFile();
        // The run's record says where its video went, for a piece redone later.
        if (LoadedRecord loaded = loadRunRecord(work());
            run.outcome().isDone() && loaded.state == LoadedRecord::State::Present &&
            otherVideoProblem(loaded.record, inputs().input).isEmpty()) {
            loaded.record.output = QFileInfo(m_output).absoluteFilePath();
            saveRunRecord(work(), loaded.record);
        }
        finish(run.outcome());
    });
}
