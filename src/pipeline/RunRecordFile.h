#pragma once

#include "core/RunRecord.h"
#include "pipeline/WorkFolder.h"

// The run record on disk: parts/run.json, replaced in one step on every change, so that it is
// never read half-written.
struct LoadedRecord {
    enum class State { Missing, Damaged, Present };
    State state = State::Missing;
    RunRecord record;
    QString error; // why it is damaged

    // The message that says a damaged record cannot be used.
    QString damage(const WorkFolder& work) const;
};

LoadedRecord loadRunRecord(const WorkFolder& work);
bool saveRunRecord(const WorkFolder& work, const RunRecord& record);

// The input as it is now: its path, size and last change.
RecordedInput describeInput(const QString& path);

// The message that refuses a record of pieces cut from another video than `input`; empty when
// they were cut from it.
QString otherVideoProblem(const RunRecord& record, const QString& input);
