#pragma once

#include "core/CommandTemplate.h"
#include "core/MediaInfo.h"
#include "pipeline/StepHost.h"
#include "pipeline/WorkFolder.h"
#include "platform/PathTools.h"

#include <QString>

class ToolRunner;

// The five steps and the Full Auto run. Each step reads the window's texts when it starts,
// reports through the host, and returns whether it did its work.
class Pipeline {
public:
    Pipeline(StepHost& host, ToolRunner& runner, const WorkFolder& work);

    bool extractAudio();  // raw.mp4 from the input's audio track
    bool splitAudio();    // raw.mp4 cut into parts/output000000000.mp4, ...
    bool convertVoices(); // each parts/outputN.mp4 through convert.py into parts/<N+1>.mp4
    bool rejoinAudio();   // every file of parts joined into joined.mp4
    bool reintegrate();   // joined.mp4 under the input's picture, into the output folder
    bool fullAuto();      // the five in order

    // The order in which a step replaces the template macros.
    enum class MacroOrder { Standard, Reintegrate };

    // Shows "no input" and returns false when the input box names no existing file.
    bool inputCheck();
    // The argument line for ffmpeg: the template without its program word, macros replaced.
    // `media` gives the values of the macros that come from the input's streams.
    QString ExpandCommandTemplate(StepHost::Template which, MacroOrder order,
                                  const MediaInfo* media = nullptr) const;
    // Runs the working folder's ffmpeg with the argument line; its text goes to the output box,
    // after "Error: " when it failed.
    bool RunFfmpeg(const QString& arguments);

    // True once the user asked to stop the step or run (its tool, if one ran, has been ended).
    bool stopped() const;

private:
    // Shows a message and returns false when a macro that the step's template uses has a value
    // that cannot stand in the argument line: an empty output folder (the path would start at
    // the file system's root) or a path with a double quote (it would end the quoted argument
    // early and turn the rest of the name into arguments).
    bool valuesCheck(StepHost::Template which);
    // The macros with their current values, in the order in which `order` replaces them.
    QList<Macro> macroValues(MacroOrder order, const MediaInfo* media = nullptr) const;
    // True when the step's template uses a macro whose value comes from the input's streams.
    bool usesMediaMacros(StepHost::Template which) const;
    // Asks ffprobe about the input. Shows why and returns nothing when ffprobe is missing or
    // cannot read the input, or when `needAudio` and the input has no audio track.
    std::optional<MediaInfo> probeInput(bool needAudio);
    // After a join: decodes joined.mp4 to its end. A join that does not decode (pieces of
    // different formats) is removed and reported as a failure.
    bool checkJoinDecodes();
    // A remark on the step's run: it stands above the tool's text in the output box and, during
    // Full Auto, in its log.
    void remark(const QString& text);
    // Deletes a working file when it exists. When it stays, says so in a message box and returns
    // false: the step must not go on with a stale file in place.
    bool removeWorkingFile(const QString& path);

    StepHost& m_host;
    ToolRunner& m_runner;
    WorkFolder m_work;
    PathTools m_paths;
    QString m_remark;
    bool m_inFullAuto = false;
};
