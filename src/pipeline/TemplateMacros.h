#pragma once

#include "core/CommandTemplate.h"
#include "core/KeptStreams.h"
#include "core/MediaInfo.h"
#include "pipeline/RunInputs.h"
#include "pipeline/WorkFolder.h"

// The macros of the command templates and their values for a run.

// %1 %pf %ap %2 %bn (Reintegrate replaces the base name before the folders), from what ffprobe
// said of the input %vo and %ext and, for Reintegrate, %keep and %ao; then `more` (a step's own,
// such as Split's %cuts).
QList<Macro> templateMacros(const RunInputs& inputs, const WorkFolder& work, Template which,
                            const MediaInfo* media, const QList<Macro>& more = {});

// The template's arguments for ffmpeg.
QStringList stepArguments(const RunInputs& inputs, const WorkFolder& work, Template which,
                          const MediaInfo* media, const QList<Macro>& more = {});

// What Reintegrate keeps of the input with its template: with %keep, everything
// (KeptStreams.h), else the picture and the voice. Tells %ext.
KeptStreams reintegrateKeeps(const RunInputs& inputs, const MediaInfo& media);

// Where Split cuts, the macro %cuts: needs the audio looked at first.
inline const QString kCutsMacro = QStringLiteral("%cuts");

// True when the template needs what ffprobe says of the input.
bool usesMediaMacros(const QString& templateText);
