#include "pipeline/TemplateMacros.h"

#include "platform/PathTools.h"

namespace {
const QString kPictureShift = QStringLiteral("%vo");
const QString kExtension = QStringLiteral("%ext");
const QString kKeep = QStringLiteral("%keep");
const QString kVoiceLead = QStringLiteral("%ao");
} // namespace

KeptStreams reintegrateKeeps(const RunInputs& inputs, const MediaInfo& media) {
    return templateUses(inputs.templateText(Template::Integrate), kKeep)
               ? keptStreams(media, inputs.keepOriginal)
               : keptPicture(media);
}

QList<Macro> templateMacros(const RunInputs& inputs, const WorkFolder& work, Template which,
                            const MediaInfo* media, const QList<Macro>& more) {
    const PathTools paths;
    const Macro inputFile{QStringLiteral("%1"), inputs.input};
    const Macro parentFolder{QStringLiteral("%pf"), paths.ParentFolder(inputs.input)};
    const Macro appFolder{QStringLiteral("%ap"), work.root()};
    const Macro outputFolder{QStringLiteral("%2"), inputs.outputFolder};
    const Macro baseName{QStringLiteral("%bn"), paths.BaseName(inputs.input)};
    QList<Macro> macros =
        which != Template::Integrate
            ? QList<Macro>{inputFile, parentFolder, appFolder, outputFolder, baseName}
            : QList<Macro>{inputFile, parentFolder, baseName, appFolder, outputFolder};
    if (!media)
        return macros + more;
    if (which != Template::Integrate) {
        macros.append({kPictureShift, secondsArgument(pictureShift(*media))});
        macros.append({kExtension, outputExtension(*media)});
        return macros + more;
    }
    // Reintegrate: with %ao in the template, the input and the new voice both start %ao late
    // where the container needs it.
    const KeptStreams kept = reintegrateKeeps(inputs, *media);
    const double lead = templateUses(inputs.templateText(which), kVoiceLead)
                            ? outputLead(*media, kept.extension)
                            : 0;
    macros.append({kPictureShift, secondsArgument(pictureShift(*media) + lead)});
    macros.append({kExtension, kept.extension});
    macros.append({kVoiceLead, secondsArgument(lead)});
    macros.append({kKeep, kept.arguments.join(QLatin1Char(' ')), kept.arguments});
    return macros + more;
}

QStringList stepArguments(const RunInputs& inputs, const WorkFolder& work, Template which,
                          const MediaInfo* media, const QList<Macro>& more) {
    return templateArguments(inputs.templateText(which),
                             templateMacros(inputs, work, which, media, more));
}

bool usesMediaMacros(const QString& templateText) {
    for (const QString& name : {kPictureShift, kExtension, kKeep, kVoiceLead}) {
        if (templateUses(templateText, name))
            return true;
    }
    return false;
}
