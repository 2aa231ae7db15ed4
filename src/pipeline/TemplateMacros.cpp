#include "pipeline/TemplateMacros.h"

#include "platform/PathTools.h"

namespace {
const QString kPictureShift = QStringLiteral("%vo");
const QString kExtension = QStringLiteral("%ext");
} // namespace

QList<Macro> templateMacros(const RunInputs& inputs, const WorkFolder& work, MacroOrder order,
                            const MediaInfo* media, const QList<Macro>& more) {
    const PathTools paths;
    const Macro inputFile{QStringLiteral("%1"), inputs.input};
    const Macro parentFolder{QStringLiteral("%pf"), paths.ParentFolder(inputs.input)};
    const Macro appFolder{QStringLiteral("%ap"), work.root()};
    const Macro outputFolder{QStringLiteral("%2"), inputs.outputFolder};
    const Macro baseName{QStringLiteral("%bn"), paths.BaseName(inputs.input)};
    QList<Macro> macros =
        order == MacroOrder::Standard
            ? QList<Macro>{inputFile, parentFolder, appFolder, outputFolder, baseName}
            : QList<Macro>{inputFile, parentFolder, baseName, appFolder, outputFolder};
    if (media) {
        macros.append({kPictureShift, secondsArgument(pictureShift(*media))});
        macros.append({kExtension, outputExtension(*media)});
    }
    return macros + more;
}

QStringList stepArguments(const RunInputs& inputs, const WorkFolder& work, Template which,
                          MacroOrder order, const MediaInfo* media, const QList<Macro>& more) {
    return templateArguments(inputs.templateText(which),
                             templateMacros(inputs, work, order, media, more));
}

bool usesMediaMacros(const QString& templateText) {
    return templateUses(templateText, kPictureShift) || templateUses(templateText, kExtension);
}
