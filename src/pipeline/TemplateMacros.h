#pragma once

#include "core/CommandTemplate.h"
#include "core/MediaInfo.h"
#include "pipeline/RunInputs.h"
#include "pipeline/WorkFolder.h"

// The macros of the command templates and their values for a run.

// The order in which a step replaces them: Reintegrate replaces the base name before the folders.
enum class MacroOrder { Standard, Reintegrate };

// %1 %pf %ap %2 %bn (in `order`), from what ffprobe said of the input %vo and %ext, then `more`
// (a step's own, such as Split's %cuts).
QList<Macro> templateMacros(const RunInputs& inputs, const WorkFolder& work, MacroOrder order,
                            const MediaInfo* media, const QList<Macro>& more = {});

// The template's arguments for ffmpeg.
QStringList stepArguments(const RunInputs& inputs, const WorkFolder& work, Template which,
                          MacroOrder order, const MediaInfo* media, const QList<Macro>& more = {});

// Where Split cuts, the macro %cuts: needs the audio looked at first.
inline const QString kCutsMacro = QStringLiteral("%cuts");

// True when the template needs what ffprobe says of the input.
bool usesMediaMacros(const QString& templateText);
